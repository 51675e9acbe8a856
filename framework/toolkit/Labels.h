// The label: a line of text on its parent, sized to the text.
#pragma once

#include "Controls.h"

// A windowless control that shows its caption in its font, greyed when
// disabled. With AutoSize (the default) it takes the size of its text.
class TLabel : public TGraphicControl {
public:
    LV_CLASS_NAME(TLabel)
    explicit TLabel(TComponent* AOwner);

    void SetAutoSize(bool Value) override;
    // Lets the parent's background show instead of filling with Color.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);

    void WndProc(TMessage& Message) override;
    void Loaded() override;

protected:
    void Paint() override;
    void AdjustSize() override;

private:
    bool transparent_ = false;
    TAlignment alignment_ = taLeftJustify;
};

// Registers the label for stored layouts; safe to call more than once.
void RegisterLabelClasses();
