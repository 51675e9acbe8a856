#include <gtest/gtest.h>

#include "Forms.h"
#include "ImgList.h"
#include "PixelPicture.h"
#include "Streaming.h"

namespace {

constexpr TColor kPaper = 0x00FFFFFF;
constexpr TColor kMask = clFuchsia;
constexpr TColor kGreyRed = RGB(165, 165, 165);  // red greyed: luminance 76, halfway to white
const TPalette kPal{{kPaper, '.'}, {clRed, 'r'}, {clBlue, 'b'}, {clLime, 'g'}, {kGreyRed, 'x'}};

// A strip of three 4 x 3 images: a red frame on the mask colour, a blue
// block, a green column; every image keeps its own mask pixels.
void FillStrip(TBitmap& strip) {
    strip.SetSize(12, 3);
    Fill(strip, kMask);
    auto& c = strip.Canvas();
    c.Brush().SetColor(clRed);
    c.FrameRect(Rect(0, 0, 4, 3));
    c.Brush().SetColor(clBlue);
    c.FillRect(Rect(5, 1, 7, 3));
    c.Brush().SetColor(clLime);
    c.FillRect(Rect(11, 0, 12, 3));
}

TPicture Drawn(const TCustomImageList& list, int index, bool enabled) {
    TBitmap target(6, 5);
    Fill(target, kPaper);
    list.Draw(target.Canvas(), 1, 1, index, enabled);
    return Picture(target, kPal);
}

TEST(ImageList, DrawsEachImageOfAStripWithItsMaskAndGreyedWhenDisabled) {
    auto list = MakeOwned<TImageList>(nullptr);
    list->SetWidth(4);
    list->SetHeight(3);
    TBitmap strip;
    FillStrip(strip);
    EXPECT_EQ(list->AddMasked(strip, kMask), 0);
    ASSERT_EQ(list->Count(), 3);

    EXPECT_EQ(Drawn(*list, 0, true), (TPicture{"......", ".rrrr.", ".r..r.", ".rrrr.", "......"}));
    EXPECT_EQ(Drawn(*list, 1, true), (TPicture{"......", "......", "..bb..", "..bb..", "......"}));
    EXPECT_EQ(Drawn(*list, 2, true), (TPicture{"......", "....g.", "....g.", "....g.", "......"}));
    EXPECT_EQ(Drawn(*list, 0, false), (TPicture{"......", ".xxxx.", ".x..x.", ".xxxx.", "......"}));
    // Outside the list nothing is drawn.
    EXPECT_EQ(Drawn(*list, 3, true), (TPicture{"......", "......", "......", "......", "......"}));
    EXPECT_EQ(Drawn(*list, -1, true), Drawn(*list, 3, true));
}

TEST(ImageList, DeletingMovesTheLaterImagesUpAndAWrongIndexIsTheListError) {
    auto list = MakeOwned<TImageList>(nullptr);
    list->SetWidth(4);
    list->SetHeight(3);
    TBitmap strip;
    FillStrip(strip);
    list->AddMasked(strip, kMask);
    const TPicture green = Drawn(*list, 2, true);
    list->Delete(1);
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(Drawn(*list, 1, true), green);
    EXPECT_THROW(list->Delete(2), EListError);
    // A new image size empties the list.
    list->SetWidth(8);
    EXPECT_EQ(list->Count(), 0);
}

TEST(ImageList, ChangeLinksHearOfChangesUntilEitherSideEnds) {
    auto list = MakeOwned<TImageList>(nullptr);
    list->SetWidth(4);
    list->SetHeight(3);
    auto link = std::make_unique<TChangeLink>();
    std::vector<TObject*> senders;
    link->OnChange = [&](TObject* sender) { senders.push_back(sender); };
    list->RegisterChanges(link.get());
    EXPECT_EQ(link->Sender(), list.get());

    TBitmap strip;
    FillStrip(strip);
    list->AddMasked(strip, kMask);
    list->Clear();
    EXPECT_EQ(senders, (std::vector<TObject*>{list.get(), list.get()}));

    list->UnRegisterChanges(link.get());
    EXPECT_EQ(link->Sender(), nullptr);
    list->AddMasked(strip, kMask);
    EXPECT_EQ(senders.size(), 2u);

    // A link that ends first leaves the list; a list that ends first
    // leaves its links without a sender.
    list->RegisterChanges(link.get());
    auto second = std::make_unique<TChangeLink>();
    list->RegisterChanges(second.get());
    second.reset();
    list->Clear();
    EXPECT_EQ(senders.size(), 3u);
    list.reset();
    EXPECT_EQ(link->Sender(), nullptr);
}

TEST(ImageList, ImagesTravelInTheStoredLayoutAsOneStrip) {
    RegisterImageListClasses();
    auto form = MakeOwned<TForm>(nullptr);
    form->SetName(u"Holder");
    auto* list = new TImageList(form.get());
    list->SetName(u"Glyphs");
    list->SetWidth(4);
    list->SetHeight(3);
    TBitmap strip;
    FillStrip(strip);
    list->AddMasked(strip, kMask);

    const std::string text = WriteComponentToText(form.get());
    EXPECT_NE(text.find("object Glyphs: TImageList"), std::string::npos) << text;
    EXPECT_NE(text.find("Bitmap = {"), std::string::npos);

    auto copy = MakeOwned<TForm>(nullptr);
    ReadComponentFromText(copy.get(), text);
    auto* read = dynamic_cast<TImageList*>(copy->FindComponent(u"Glyphs"));
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Drawn(*read, i, true), Drawn(*list, i, true)) << i;

    // An empty list stores no pictures.
    list->Clear();
    EXPECT_EQ(WriteComponentToText(form.get()).find("Bitmap"), std::string::npos);
}

}  // namespace
