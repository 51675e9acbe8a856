#include "ImgList.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

#include "QtBridge.h"
#include "Streaming.h"
#include "ToolkitClasses.h"

// The images side by side, Width apart, in one image with an alpha channel.
struct TCustomImageList::Strip {
    QImage image;
    int count = 0;
};

namespace {

// Appends the Width-wide images of a picture to a strip.
int AppendImages(QImage& strip, int& count, const QImage& picture, int width, int height) {
    if (width <= 0 || height <= 0) return -1;
    const int added = picture.width() / width;
    if (added <= 0) return -1;
    QImage grown(width * (count + added), height, QImage::Format_ARGB32);
    grown.fill(Qt::transparent);
    QPainter p(&grown);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (count > 0) p.drawImage(0, 0, strip);
    p.drawImage(QRect(width * count, 0, width * added, height), picture, QRect(0, 0, width * added, height));
    p.end();
    strip = grown;
    const int first = count;
    count += added;
    return first;
}

QImage Greyed(const QImage& image) {
    QImage grey = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const QRgb c = line[x];
            const int luminance = (qRed(c) * 30 + qGreen(c) * 59 + qBlue(c) * 11) / 100;
            const int v = (luminance + 255) / 2;
            line[x] = qRgba(v, v, v, qAlpha(c));
        }
    }
    return grey;
}

}  // namespace

// ---------------------------------------------------------------------------
// TChangeLink

TChangeLink::~TChangeLink() {
    if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (OnChange) OnChange(sender_);
}

// ---------------------------------------------------------------------------
// TCustomImageList

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner), strip_(std::make_unique<Strip>()) {}

TCustomImageList::~TCustomImageList() {
    for (TChangeLink* link : links_) link->sender_ = nullptr;
}

int TCustomImageList::Count() const { return strip_->count; }

void TCustomImageList::SetWidth(int Value) { Resize(Value, height_); }
void TCustomImageList::SetHeight(int Value) { Resize(width_, Value); }

void TCustomImageList::Resize(int Width, int Height) {
    if (Width == width_ && Height == height_) return;
    width_ = Width;
    height_ = Height;
    strip_->image = QImage();
    strip_->count = 0;
    Change();
}

int TCustomImageList::AddMasked(const TBitmap& Image, TColor MaskColor) {
    EndBitmapPainting(const_cast<TBitmap&>(Image));
    const QImage picture = WithTransparentColor(Image.ImageData().image, ColorToRGB(MaskColor));
    const int first = AppendImages(strip_->image, strip_->count, picture, width_, height_);
    if (first >= 0) Change();
    return first;
}

int TCustomImageList::AddImageData(const unsigned char* Data, size_t Size) {
    QImage picture;
    if (!picture.loadFromData(Data, static_cast<int>(Size))) return -1;
    const int first = AppendImages(strip_->image, strip_->count, picture.convertToFormat(QImage::Format_ARGB32),
                                   width_, height_);
    if (first >= 0) Change();
    return first;
}

void TCustomImageList::Delete(int Index) {
    if (Index < 0 || Index >= strip_->count) TList::Error(u"List index out of bounds (%d)", Index);
    QImage shrunk(width_ * (strip_->count - 1), height_, QImage::Format_ARGB32);
    shrunk.fill(Qt::transparent);
    if (!shrunk.isNull()) {
        QPainter p(&shrunk);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), strip_->image, QRect(0, 0, width_ * Index, height_));
        p.drawImage(QPoint(width_ * Index, 0), strip_->image,
                    QRect(width_ * (Index + 1), 0, width_ * (strip_->count - Index - 1), height_));
    }
    strip_->image = shrunk;
    --strip_->count;
    Change();
}

void TCustomImageList::Clear() {
    if (strip_->count == 0) return;
    strip_->image = QImage();
    strip_->count = 0;
    Change();
}

void TCustomImageList::Draw(TCanvas& Canvas, int X, int Y, int Index, bool Enabled) const {
    if (Index < 0 || Index >= strip_->count) return;
    QPainter* p = PrepareCanvasPainter(Canvas);
    if (!p) return;
    const QImage image = strip_->image.copy(width_ * Index, 0, width_, height_);
    p->drawImage(QPoint(X, Y), Enabled ? image : Greyed(image));
}

void TCustomImageList::GetBitmap(int Index, TBitmap& Image, TColor BackColor) const {
    Image.SetSize(width_, height_);
    Image.Canvas().Brush().SetColor(BackColor);
    Image.Canvas().FillRect(Rect(0, 0, width_, height_));
    Draw(Image.Canvas(), 0, 0, Index, true);
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
    if (!Value) return;
    if (Value->sender_ && Value->sender_ != this) Value->sender_->UnRegisterChanges(Value);
    Value->sender_ = this;
    if (std::find(links_.begin(), links_.end(), Value) == links_.end()) links_.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
    if (!Value) return;
    links_.erase(std::remove(links_.begin(), links_.end(), Value), links_.end());
    if (Value->sender_ == this) Value->sender_ = nullptr;
}

void TCustomImageList::Change() {
    // A link may leave the list while it is told.
    const std::vector<TChangeLink*> links = links_;
    for (TChangeLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
    if (OnChange) OnChange(this);
}

std::vector<std::uint8_t> TCustomImageList::ImageData() const { return EncodePng(strip_->image); }

void TCustomImageList::DefineProperties(TFiler* Filer) {
    TComponent::DefineProperties(Filer);
    Filer->DefineProperty(
        u"Bitmap",
        [this](TReader& reader) {
            const std::vector<std::uint8_t> data = reader.ReadBinary();
            strip_->image = QImage();
            strip_->count = 0;
            if (AddImageData(data.data(), data.size()) < 0) reader.Error(u"Invalid image data");
        },
        [this](TWriter& writer) { writer.WriteBinary(ImageData()); }, Count() > 0);
}

void ReplaceImageList(TCustomImageList*& Field, TCustomImageList* Value, TChangeLink& Link, TComponent* Client) {
    if (Field) Field->UnRegisterChanges(&Link);
    Field = Value;
    if (!Value) return;
    Value->RegisterChanges(&Link);
    Value->FreeNotification(Client);
}

namespace {

void RegisterImageLists() {
    TClassBuilder<TCustomImageList>(u"TCustomImageList", u"")
        .Integer(u"Height", &TCustomImageList::Height, &TCustomImageList::SetHeight, 16)
        .Integer(u"Width", &TCustomImageList::Width, &TCustomImageList::SetWidth, 16);
    TClassBuilder<TImageList>(u"TImageList", u"TCustomImageList");
}

}  // namespace

void RegisterImageListClasses() {
    RegisterToolkitClasses();
    RegisterClassesOnce(RegisterImageLists);
}
