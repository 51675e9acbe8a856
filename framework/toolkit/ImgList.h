// Image lists: pictures of one size kept side by side in a strip, each with
// its transparency, drawn by index either as they are or greyed; and the
// change links through which the controls that draw them hear of changes.
#pragma once

#include <memory>
#include <vector>

#include "Classes.h"
#include "Graphics.h"

class TCustomImageList;

// A control's subscription to the changes of an image list. A link that
// ends leaves its list; a list that ends forgets its links.
class TChangeLink : public TObject {
public:
    LV_CLASS_NAME(TChangeLink)
    TChangeLink() = default;
    ~TChangeLink() override;
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;

    // The list the link is subscribed to, or nil.
    TCustomImageList* Sender() const { return sender_; }
    // Calls OnChange with the list as sender.
    virtual void Change();

    TNotifyEvent OnChange;

private:
    friend class TCustomImageList;
    TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
public:
    LV_CLASS_NAME(TCustomImageList)
    explicit TCustomImageList(TComponent* AOwner);
    ~TCustomImageList() override;

    // Size of every image. Changing it empties the list.
    int Width() const { return width_; }
    void SetWidth(int Value);
    int Height() const { return height_; }
    void SetHeight(int Value);
    int Count() const;

    // Adds the images of a strip, Width pixels each from the left (a rest
    // narrower than Width is left out). Pixels of MaskColor become
    // transparent. Returns the index of the first image added, or -1.
    int AddMasked(const TBitmap& Image, TColor MaskColor);
    // Adds the images of a strip stored as PNG data with an alpha channel;
    // returns the index of the first image added, or -1 when the data is
    // no picture.
    int AddImageData(const unsigned char* Data, size_t Size);
    // Removes one image; an index outside 0..Count-1 raises the list error.
    void Delete(int Index);
    void Clear();

    // Draws image Index with its top-left corner at (X, Y), leaving the
    // canvas alone where the image is transparent. Disabled, the image is
    // drawn in grey: every opaque pixel becomes the grey of its luminance
    // taken halfway to white. An index outside the list draws nothing.
    void Draw(TCanvas& Canvas, int X, int Y, int Index, bool Enabled = true) const;
    // Image Index on a background of BackColor, in a Width x Height bitmap.
    void GetBitmap(int Index, TBitmap& Image, TColor BackColor = clBtnFace) const;

    void RegisterChanges(TChangeLink* Value);
    void UnRegisterChanges(TChangeLink* Value);

    // The images are stored as one PNG strip ("Bitmap").
    void DefineProperties(TFiler* Filer) override;
    // The stored form of the images: a PNG strip with an alpha channel.
    std::vector<std::uint8_t> ImageData() const;

    TNotifyEvent OnChange;

protected:
    // Tells every change link and OnChange.
    virtual void Change();

private:
    // A new image size empties the list.
    void Resize(int Width, int Height);

    struct Strip;  // framework-internal pixel store
    std::unique_ptr<Strip> strip_;
    int width_ = 16;
    int height_ = 16;
    std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
public:
    LV_CLASS_NAME(TImageList)
    using TCustomImageList::TCustomImageList;
};

// What a control does when it is given another image list: Link leaves the
// list held in Field and joins Value, Field takes Value, and Value is asked
// to tell Client when it goes away.
void ReplaceImageList(TCustomImageList*& Field, TCustomImageList* Value, TChangeLink& Link, TComponent* Client);

// Registers the image list classes for stored layouts; safe to call more
// than once.
void RegisterImageListClasses();
