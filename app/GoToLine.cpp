#include "GoToLine.h"

#include <string>

TGoToLineForm::TGoToLineForm(TComponent* owner, int lineCount) : TForm(owner), lineCount_(lineCount) {
    SetCaption(u"Go to Line");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetClientWidth(260);
    SetClientHeight(104);
    const String range = u"1 - " + IntToStr(lineCount);
    Prompt = new TLabel(this);
    Prompt->SetParent(this);
    Prompt->SetCaption(u"Line number (" + range + u"):");
    Prompt->SetBounds(8, 8, Prompt->Width(), Prompt->Height());
    Field = new TEdit(this);
    Field->SetParent(this);
    Field->SetBounds(8, 26, 244, 21);
    Field->SetTabStop(true);
    Field->OnChange = [this](TObject*) { Problem->SetCaption(String()); };
    Field->OnKeyDown = [this](TObject*, unsigned short& key, TShiftState shift) {
        if (key == VK_RETURN && shift.Empty()) {
            Accept();
            key = 0;
        } else if (key == VK_ESCAPE && shift.Empty()) {
            SetModalResult(mrCancel);
            key = 0;
        }
    };
    Problem = new TLabel(this);
    Problem->SetParent(this);
    Problem->SetCaption(String());
    Problem->Font().SetColor(clRed);
    Problem->SetBounds(8, 52, Problem->Width(), Problem->Height());
    OkButton = new TButton(this);
    OkButton->SetParent(this);
    OkButton->SetCaption(u"OK");
    OkButton->SetBounds(96, 72, 75, 25);
    OkButton->SetDefault(true);
    OkButton->OnClick = [this](TObject*) { Accept(); };
    CancelButton = new TButton(this);
    CancelButton->SetParent(this);
    CancelButton->SetCaption(u"Cancel");
    CancelButton->SetBounds(177, 72, 75, 25);
    CancelButton->SetCancel(true);
    CancelButton->SetModalResult(mrCancel);
    SetActiveControl(Field);
}

std::optional<int> TGoToLineForm::Line() const {
    std::string text = StringToUtf8(Field->Text());
    // Blanks around the number are forgiven.
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    if (text.empty() || text.size() > 10) return std::nullopt;
    long long number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < 1 || number > lineCount_) return std::nullopt;
    return static_cast<int>(number);
}

void TGoToLineForm::Accept() {
    if (Line()) {
        SetModalResult(mrOk);
        return;
    }
    Problem->SetCaption(u"Enter a whole number from 1 to " + IntToStr(lineCount_) + u".");
    Field->SelectAll();
}

std::optional<int> AskForLine(TComponent* owner, int lineCount) {
    TOwned<TGoToLineForm> dialog(new TGoToLineForm(owner, lineCount));
    if (dialog->ShowModal() != mrOk) return std::nullopt;
    return dialog->Line();
}
