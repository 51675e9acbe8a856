// The speed button: a flat-capable windowless button with a glyph of
// several frames, one for each of its looks.
#pragma once

#include <memory>

#include "Controls.h"

// A button drawn on its parent, showing a picture and an optional caption.
// Its Glyph holds NumGlyphs frames of equal width side by side: up,
// disabled, pressed and latched down, in that order; a look without a frame
// of its own uses the first. The glyph's bottom-left pixel colour is
// transparent. A flat button shows its frame only while the mouse is over
// it or it is pressed.
class TSpeedButton : public TGraphicControl {
public:
    LV_CLASS_NAME(TSpeedButton)
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    TBitmap& Glyph() { return *glyph_; }
    const TBitmap& Glyph() const { return *glyph_; }
    void SetGlyph(const TBitmap& Value);
    // 1 to 4 frames.
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int Value);
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    // Latched down (drawn with the fourth frame, or the pressed one).
    bool Down() const { return down_; }
    void SetDown(bool Value);

    enum TLook { lkUp, lkDisabled, lkPressed, lkDown };
    // The frame of the glyph that a look shows, and its picture.
    int FrameOf(TLook Look) const;
    void GetFrame(int Index, TBitmap& Frame) const;
    TLook Look() const;
    bool Hot() const { return hot_; }

    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    bool flat_ = false;
    bool down_ = false;
    bool hot_ = false;
    bool pressed_ = false;
};

// Registers the speed button for stored layouts; safe to call more than once.
void RegisterButtonsClasses();
