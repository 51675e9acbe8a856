// The go-to-line dialog: asks for a line number from 1 to the view's line
// count (the range shown) and refuses, in the dialog, anything else.
#pragma once

#include <optional>

#include "Forms.h"
#include "InputControls.h"
#include "Labels.h"
#include "StdCtrls.h"

class TGoToLineForm : public TForm {
public:
    LV_CLASS_NAME(TGoToLineForm)
    TGoToLineForm(TComponent* AOwner, int LineCount);

    TLabel* Prompt = nullptr;
    TEdit* Field = nullptr;
    TLabel* Problem = nullptr;
    TButton* OkButton = nullptr;
    TButton* CancelButton = nullptr;

    // The number in the field when it names a line (1-based).
    std::optional<int> Line() const;
    // OK: closes the dialog with mrOk when the field names a line, else
    // says what is wrong and keeps it open.
    void Accept();

private:
    int lineCount_;
};

// Asks for a line; empty when cancelled.
std::optional<int> AskForLine(TComponent* Owner, int LineCount);
