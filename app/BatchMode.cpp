#include "BatchMode.h"

#include <cstdio>
#include <string_view>

#include "Dialogs.h"
#include "Forms.h"
#include "Platform.h"
#include "SysUtils.h"
#include "Unit1.h"

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

std::string UsageText() {
    return "usage: lumivar [--palette classic] [[--] FILE]\n"
           "       lumivar --batch [--open PATH] [--click NAME]... [--screenshot OUT.png] [--state [--lines]]\n"
           "               [--find TEXT [--regex] [--match-case] [--whole-word]]\n"
           "               [--palette classic] [[--] FILE]\n";
}

TCommandLine ParseCommandLine(int argc, char** argv) {
    TCommandLine cl;
    auto fail = [&cl](const std::string& message) {
        if (cl.Error.empty()) cl.Error = message;
    };
    auto takeFile = [&](std::string_view arg) {
        if (cl.FileName.empty()) cl.FileName = arg;
        else fail("more than one FILE given");
    };
    // After "--" an argument is FILE whatever it starts with (a log named "--x.log").
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded) {
            takeFile(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        auto value = [&](const char* option) -> std::string {
            if (i + 1 >= argc) {
                fail(std::string(option) + " needs a value");
                return std::string();
            }
            return argv[++i];
        };
        if (arg == "--batch") cl.Batch = true;
        else if (arg == "--open") cl.Steps.push_back({TBatchStep::Open, value("--open")});
        else if (arg == "--click") cl.Steps.push_back({TBatchStep::Click, value("--click")});
        else if (arg == "--screenshot") cl.Screenshot = value("--screenshot");
        else if (arg == "--state") cl.State = true;
        else if (arg == "--lines") cl.Lines = true;
        else if (arg == "--find") {
            cl.Find = true;
            cl.FindText = value("--find");
        } else if (arg == "--regex") cl.Regex = true;
        else if (arg == "--match-case") cl.MatchCase = true;
        else if (arg == "--whole-word") cl.WholeWord = true;
        else if (arg == "--palette") {
            const std::string palette = value("--palette");
            if (palette == "classic") cl.ClassicPalette = true;
            else if (!palette.empty()) fail("unknown palette '" + palette + "' (only 'classic' is known)");
        } else if (StartsWith(arg, "--")) fail("unknown option '" + std::string(arg) + "'");
        else takeFile(arg);
    }
    if (!cl.Batch && (!cl.Steps.empty() || !cl.Screenshot.empty() || cl.State || cl.Lines))
        fail("--open, --click, --screenshot, --state and --lines need --batch");
    if (cl.Lines && !cl.State) fail("--lines needs --state");
    if (cl.Find && !cl.Batch) fail("--find needs --batch");
    if ((cl.Regex || cl.MatchCase || cl.WholeWord) && !cl.Find) fail("--regex, --match-case and --whole-word need --find");
    for (const auto& step : cl.Steps) {
        if (step.Kind == TBatchStep::Click && step.Argument == "BtnOpen")
            fail("--click BtnOpen would need an answer to the open dialog; use --open PATH");
        if (step.Kind == TBatchStep::Open && step.Argument.empty()) fail("--open needs a path");
    }
    return cl;
}

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The escape that stands for a code unit in a JSON string; empty for a unit
// written as its UTF-8 bytes. A surrogate that is not part of a pair has no
// UTF-8 form: its escape keeps the output valid UTF-8 and the unit itself.
std::string JsonEscape(char16_t c) {
    switch (c) {
        case u'"': return "\\\"";
        case u'\\': return "\\\\";
        case u'\n': return "\\n";
        case u'\r': return "\\r";
        case u'\t': return "\\t";
    }
    if (c >= 0x20 && !IsHighSurrogate(c) && !IsLowSurrogate(c)) return std::string();
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
    return buf;
}

void AppendJsonString(std::string& out, const String& text) {
    const std::u16string_view units(text);
    out += '"';
    std::size_t plain = 0;  // the units from here on are not written yet
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (IsHighSurrogate(units[i]) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            ++i;  // a whole pair: one character
            continue;
        }
        const std::string escape = JsonEscape(units[i]);
        if (escape.empty()) continue;
        out += StringToUtf8(units.substr(plain, i - plain));
        out += escape;
        plain = i + 1;
    }
    out += StringToUtf8(units.substr(plain));
    out += '"';
}

std::string ColorHex(TColor c) {
    const TColor rgb = ColorToRGB(c);
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    return buf;
}

// "find": the count and the first match, or the expression's error.
std::string FindJson(TViewSearch& search, const TTextMatch& first) {
    std::string out = ", \"find\": {";
    const String error = search.Error();
    if (!error.empty()) {
        out += "\"error\": ";
        AppendJsonString(out, error);
        return out + "}";
    }
    out += "\"count\": " + std::to_string(search.Count().value_or(0)) + ", \"first\": ";
    if (!first.Found()) return out + "null}";
    out += "{\"line\": " + std::to_string(first.Line) + ", \"column\": " + std::to_string(first.Column) +
           ", \"length\": " + std::to_string(first.Length) + "}}";
    return out;
}

std::string StateJson(TForm1& form, bool withLines, const std::string& find) {
    std::string out = "{\"fileName\": ";
    AppendJsonString(out, form.FileName());
    out += ", \"panes\": [";
    AppendJsonString(out, form.KvStatusPane1->Caption());
    out += ", ";
    AppendJsonString(out, form.KvStatusPane2->Caption());
    out += ", ";
    AppendJsonString(out, form.KvStatusPane3->Caption());
    out += "], \"progress\": {\"visible\": ";
    auto* progress = form.KvProgressStatus1;
    out += progress->Visible() ? "true" : "false";
    out += ", \"partsComplete\": " + std::to_string(progress->PartsComplete());
    out += ", \"totalParts\": " + std::to_string(progress->TotalParts());
    out += ", \"percent\": " + std::to_string(progress->Percent()) + "}";
    TStrings& lines = *form.RichEdit1->Lines();
    out += ", \"lineCount\": " + std::to_string(lines.Count());
    if (withLines) {
        out += ", \"lines\": [";
        std::vector<TStyledRun> runs;
        for (int i = 0; i < lines.Count(); ++i) {
            if (i) out += ", ";
            out += "{\"text\": ";
            AppendJsonString(out, lines[i]);
            out += ", \"runs\": [";
            form.RichEdit1->LineRuns(i, runs);
            for (size_t r = 0; r < runs.size(); ++r) {
                if (r) out += ", ";
                out += '[';
                out += std::to_string(runs[r].Start);
                out += ", ";
                out += std::to_string(runs[r].Length);
                out += ", \"";
                out += ColorHex(runs[r].Color);
                out += "\", ";
                out += runs[r].Style.Contains(fsBold) ? "true" : "false";
                out += ']';
            }
            out += "]}";
        }
        out += "]";
    }
    out += find;
    out += "}\n";
    return out;
}

}  // namespace

int RunBatch(const TCommandLine& cl, int& argc, char** argv) {
    StartPlatform(argc, argv, TPlatformMode::Offscreen);
    if (cl.ClassicPalette) UseClassicPalette();
    TForm1::SetStartupFileName(FileNameFromBytes(cl.FileName));

    Application->Initialize();
    Application->SetErrorDisplay(TErrorDisplay::StandardError);
    Application->SetMainFormOnTaskBar(true);
    Application->CreateForm(Form1);
    Form1->Show();
    ProcessPendingEvents();

    int status = 0;
    for (const auto& step : cl.Steps) {
        if (step.Kind == TBatchStep::Open) {
            const String path = FileNameFromBytes(step.Argument);
            TOpenDialog::SetAutomation([path](TFileDialogDriver& dialog) { dialog.Accept(path); });
            GuardEvent([] { Form1->BtnOpen->Click(); });
            TOpenDialog::SetAutomation(nullptr);
        } else {
            auto* control = dynamic_cast<TControl*>(Form1->FindComponent(S(step.Argument)));
            if (!control) {
                std::fprintf(stderr, "lumivar: no control named '%s' in the window\n%s", step.Argument.c_str(),
                             UsageText().c_str());
                status = 1;
                break;
            }
            GuardEvent([control] { control->Click(); });
        }
        ProcessPendingEvents();
    }

    if (status == 0 && !cl.Screenshot.empty()) {
        ProcessPendingEvents();
        TBitmap shot;
        Form1->GetWindowImage(shot);
        if (!shot.SaveToFile(S(cl.Screenshot))) {
            std::fprintf(stderr, "lumivar: cannot write the screenshot '%s'\n", cl.Screenshot.c_str());
            status = 1;
        }
    }
    std::string find;
    if (status == 0 && cl.Find) {
        // As the user would: the bar, its options, the text, Enter.
        Form1->RichEdit1->SetSelStart(0);
        TFindBar& bar = Form1->FindBar();
        bar.Open();
        bar.MatchCase->SetChecked(cl.MatchCase);
        bar.RegularExpression->SetChecked(cl.Regex);
        bar.WholeWord->SetChecked(cl.WholeWord);
        bar.Field->SetText(Utf8ToString(cl.FindText));
        unsigned short enter = VK_RETURN;
        bar.Field->OnKeyDown(bar.Field, enter, TShiftState());
        TViewSearch& search = Form1->Search();
        search.WaitForCount();
        find = FindJson(search, search.LastMatch());
    }
    if (status == 0 && cl.State) {
        const std::string json = StateJson(*Form1, cl.Lines, find);
        std::fwrite(json.data(), 1, json.size(), stdout);
    }
    if (status == 0 && Application->ErrorCount() > 0) status = 2;

    std::fflush(stdout);
    Application->Free();
    StopPlatform();
    return status;
}
