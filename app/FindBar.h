// The find bar: a one-line bar between the view and the status bar, made
// when first opened and hidden otherwise. Its field searches the view as
// typed; Enter and F3 find the next match, Shift with them the previous one;
// Escape closes it. It shows "N of M" (M counted on a worker thread), a note
// when the search wrapped, and an invalid expression's message in place of
// both, with the field in red.
#pragma once

#include "ExtCtrls.h"
#include "InputControls.h"
#include "Labels.h"
#include "StdCtrls.h"
#include "ViewSearch.h"

class TFindBar : public TPanel {
public:
    LV_CLASS_NAME(TFindBar)
    // On Form (which owns it), above StatusBar, searching View.
    TFindBar(TWinControl* Form, TControl* StatusBar, TRichEdit* View, TViewSearch& Search);
    ~TFindBar() override;

    TEdit* Field = nullptr;
    TCheckBox* MatchCase = nullptr;
    TCheckBox* RegularExpression = nullptr;
    TCheckBox* WholeWord = nullptr;
    TLabel* Status = nullptr;

    // Shows the bar, the field focused and filled with the view's selection
    // when that lies within one line.
    void Open();
    // Hides the bar and gives the focus back to the view.
    void Close();
    void FindNext();
    void FindPrevious();
    // Takes in a count that came in, or a text that changed (the timer's
    // work, for tests and the batch mode to call directly).
    void Poll();

    static const TColor kErrorColor;

private:
    void QueryChanged();
    void Found(const TTextMatch& match, bool forward);
    void ShowStatus();
    void FieldKeyDown(unsigned short& Key, TShiftState Shift);
    void LayOut();

    TControl* statusBar_;
    TRichEdit* view_;
    TViewSearch& search_;
    TTimer* timer_ = nullptr;
    String note_;  // wrapped, or not found
};
