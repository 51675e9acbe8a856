#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Forms.h"
#include "StdCtrls.h"
#include "Streaming.h"
#include "ToolkitClasses.h"

namespace {

std::vector<String> gLoadedOrder;

// A panel with a stored property of its own (a list of names) and an older
// name that is read and never written.
class TNamesPanel : public TPanel {
public:
    LV_CLASS_NAME(TNamesPanel)
    explicit TNamesPanel(TComponent* owner) : TPanel(owner) {}
    std::vector<String> names;
    bool legacySeen = false;
    TPanel* buddy = nullptr;
    TPanel* Buddy() const { return buddy; }
    void SetBuddy(TPanel* p) { buddy = p; }

    void DefineProperties(TFiler* filer) override {
        TPanel::DefineProperties(filer);
        filer->DefineProperty(
            u"Names",
            [this](TReader& r) {
                r.ReadListBegin();
                while (!r.EndOfList()) names.push_back(r.ReadIdent());
                r.ReadListEnd();
            },
            [this](TWriter& w) {
                w.WriteListBegin();
                for (const auto& n : names) w.WriteIdent(n);
                w.WriteListEnd();
            },
            !names.empty());
        filer->DefineProperty(u"OldFlag", [this](TReader& r) { legacySeen = r.ReadBoolean(); }, {}, false);
    }
    void Loaded() override {
        TPanel::Loaded();
        gLoadedOrder.push_back(Name());
    }
};

class TLayoutForm : public TForm {
public:
    LV_CLASS_NAME(TLayoutForm)
    explicit TLayoutForm(TComponent* owner, std::string_view layout) : TForm(owner) {
        RegisterField(u"Top1", Top1);
        RegisterField(u"Inner", Inner);
        RegisterMethod(u"TopClick", [this](TObject*) { ++clicks; });
        RegisterMethod(u"FormCreate", [this](TObject*) { created = true; });
        RegisterHandler<TMouseEvent>(u"TopMouseDown",
                                     [this](TObject*, TMouseButton, TShiftState, int x, int y) { presses.push_back({x, y}); });
        ReadLayout(layout);
    }
    TNamesPanel* Top1 = nullptr;
    TPanel* Inner = nullptr;
    int clicks = 0;
    std::vector<TPoint> presses;
    bool created = false;
};

namespace {

void RegisterTestClassesOnce() {
    TClassBuilder<TNamesPanel>(u"TNamesPanel", u"TPanel")
        .Reference<TPanel>(u"Buddy", &TNamesPanel::Buddy, &TNamesPanel::SetBuddy);
    TClassBuilder<TLayoutForm>(u"TLayoutForm", u"TForm");
}

}  // namespace

void RegisterTestClasses() {
    RegisterToolkitClasses();
    RegisterClassesOnce(RegisterTestClassesOnce);
}

constexpr std::string_view kLayout = R"(object LayoutForm: TLayoutForm
  Left = 0
  Top = 0
  Caption = 'It''s here'
  ClientWidth = 300
  ClientHeight = 200
  Font.Name = 'Tahoma'
  Font.Height = -11
  Font.Style = [fsBold, fsItalic]
  OnCreate = FormCreate
  object Top1: TNamesPanel
    Left = 0
    Top = 0
    Width = 300
    Height = 40
    Align = alTop
    Buddy = Inner
    OnClick = TopClick
    Names = (
      Alpha
      Beta)
    OldFlag = True
    object Inner: TPanel
      Left = 5
      Top = 5
      Width = 50
      Height = 20
      Caption = 'caf'#233
    end
  end
end
)";

TEST(Streaming, ReadsComponentsPropertiesReferencesAndEvents) {
    RegisterTestClasses();
    gLoadedOrder.clear();
    auto form = TOwned<TLayoutForm>(new TLayoutForm(nullptr, kLayout));
    form->DoCreate();
    ASSERT_NE(form->Top1, nullptr);
    ASSERT_NE(form->Inner, nullptr);
    EXPECT_EQ(form->Name(), u"LayoutForm");
    EXPECT_EQ(form->Caption(), u"It's here");
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_TRUE(form->Font().Style().Contains(fsItalic));
    EXPECT_EQ(form->Top1->Parent(), form.get());
    EXPECT_EQ(form->Inner->Parent(), form->Top1);
    EXPECT_EQ(form->Inner->Owner(), form.get());
    EXPECT_EQ(form->Inner->Caption(), u"caf\u00E9");
    EXPECT_EQ(form->Top1->buddy, form->Inner);
    EXPECT_EQ(form->Top1->names, (std::vector<String>{u"Alpha", u"Beta"}));
    EXPECT_TRUE(form->Top1->legacySeen);
    EXPECT_TRUE(form->created);
    EXPECT_EQ(gLoadedOrder, std::vector<String>{u"Top1"});
    EXPECT_FALSE(form->Top1->IsLoading());

    form->Top1->Click();
    EXPECT_EQ(form->clicks, 1);
    // Aligned to the top once loaded, the stored width notwithstanding.
    EXPECT_EQ(form->Top1->BoundsRect(), Rect(0, 0, 300, 40));
}

TEST(Streaming, WritesWhatDiffersFromDefaultsAndNeverTheOlderNames) {
    RegisterTestClasses();
    auto form = TOwned<TLayoutForm>(new TLayoutForm(nullptr, kLayout));
    const std::string text = WriteComponentToText(form.get());
    EXPECT_NE(text.find("Names = (\n      Alpha\n      Beta)"), std::string::npos) << text;
    EXPECT_NE(text.find("Buddy = Inner"), std::string::npos);
    EXPECT_NE(text.find("OnClick = TopClick"), std::string::npos);
    EXPECT_NE(text.find("Align = alTop"), std::string::npos);
    EXPECT_EQ(text.find("OldFlag"), std::string::npos);
    EXPECT_EQ(text.find("Visible"), std::string::npos);  // default
    EXPECT_EQ(text.find("Enabled"), std::string::npos);  // default

    // Written text reads back into the same state.
    auto again = TOwned<TLayoutForm>(new TLayoutForm(nullptr, text));
    EXPECT_EQ(again->Top1->names, form->Top1->names);
    EXPECT_EQ(again->Inner->Caption(), form->Inner->Caption());
}

TEST(Streaming, AListOfIdentifiersHasItsFixedBinaryForm) {
    TWriter w;
    w.WriteListBegin();
    w.WriteIdent(u"BtnOpen");
    w.WriteIdent(u"KvSpacer1");
    w.WriteListEnd();
    const std::vector<std::uint8_t> expected = {0x01, 0x07, 7, 'B', 't', 'n', 'O', 'p', 'e', 'n',
                                                0x07, 9, 'K', 'v', 'S', 'p', 'a', 'c', 'e', 'r', '1', 0x00};
    EXPECT_EQ(w.Data(), expected);
}

int gRegistrationRuns = 0;

// A second registration of a class is refused and leaves the first in
// place; a unit's registration runs once however often it is asked for.
TEST(Streaming, AClassIsRegisteredOnce) {
    RegisterToolkitClasses();
    const TClassInfo* panel = FindClassInfo(u"TPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_THROW(RegisterClassInfo(u"TPanel", u"TCustomPanel"), EComponentError);
    EXPECT_THROW(RegisterClassInfo(u"tpanel", u""), EComponentError);
    EXPECT_EQ(FindClassInfo(u"TPanel"), panel);
    EXPECT_EQ(panel->Parent, FindClassInfo(u"TCustomPanel"));

    void (*count)() = [] { ++gRegistrationRuns; };
    RegisterClassesOnce(count);
    RegisterClassesOnce(count);
    EXPECT_EQ(gRegistrationRuns, 1);
}

TEST(Streaming, ReportsUnknownPropertiesAndClasses) {
    RegisterTestClasses();
    const char* badProperty = "object LayoutForm: TLayoutForm\n  Colour = clRed\nend\n";
    try {
        TOwned<TLayoutForm> form(new TLayoutForm(nullptr, badProperty));
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), u"Error reading LayoutForm.Colour: Property Colour does not exist");
    }
    const char* badClass = "object LayoutForm: TLayoutForm\n  object X: TNoSuchThing\n  end\nend\n";
    EXPECT_THROW(TOwned<TLayoutForm>(new TLayoutForm(nullptr, badClass)), EReadError);
}

// --- malformed and hostile layouts -------------------------------------------

// The message of the reader's error that Read raises, or "" when it reads.
template <class F>
std::string ReadError(F read) {
    try {
        read();
    } catch (const EReadError& e) {
        return StringToUtf8(e.Message());
    }
    return "";
}

std::string TextError(const std::string& text) {
    return ReadError([&] { ObjectTextToBinary(text); });
}

TEST(Streaming, MalformedValuesAreTextErrorsWithTheirLine) {
    const char* values[] = {
        "-",                       // sign without digits
        "+",                       //
        "$",                       // hex mark without digits
        "-$",                      //
        "99999999999999999999",    // 20 digits: beyond 64 bits
        "-9223372036854775809",    // one below the smallest
        "$10000000000000000",      // 17 hex digits
        "-$8000000000000000",      // negating the smallest 64-bit value
        "12AB",                    // hex digits in a decimal number
        "1.5.2",                   //
        "1e999",                   // beyond a double
        "#99999999999",            // character code beyond 16 bits
        "#65536",                  //
        "'a'#",                    // character code without digits
        "{0G}",                    // bad hex digit in binary data
        "{zz}",                    //
        "{ABC}",                   // half a byte left over
        "[1abc]",                  // a set member starting with a digit
    };
    for (const char* value : values) {
        const std::string text = std::string("object Form1: TForm\n  Left = 0\n  Tag = ") + value + "\nend\n";
        const std::string message = TextError(text);
        EXPECT_EQ(message.rfind("Layout text, line 3: ", 0), 0u) << value << " gives \"" << message << '"';
    }
}

// Names the text form could not write back (a leading digit) are refused
// where they are read, in each place a name stands.
TEST(Streaming, NamesStartingWithADigitAreTextErrors) {
    const char* texts[] = {
        "object Form1: 1Form\nend\n",
        "object 1Form: TForm\nend\n",
        "object Form1: TForm\n  1Left = 0\nend\n",
    };
    for (const char* text : texts) {
        const std::string message = TextError(text);
        EXPECT_NE(message.find("identifier expected"), std::string::npos) << text << " gives \"" << message << '"';
    }
}

TEST(Streaming, WellFormedNumbersKeepTheirValues) {
    const std::string text =
        "object Form1: TForm\n  A = 9223372036854775807\n  B = -9223372036854775808\n  C = $FFFFFFFF\n"
        "  D = -$7FFFFFFFFFFFFFFF\n  E = $FFFFFFFFFFFFFFFF\n  F = +12\n  G = 1e+20\n  H = -2.5E-3\nend\n";
    const std::string back = ObjectBinaryToText(ObjectTextToBinary(text));
    for (const char* expected : {"A = 9223372036854775807\n", "B = -9223372036854775808\n", "C = -1\n",
                                 "D = -9223372036854775807\n", "E = -1\n", "F = 12\n", "G = 1e+20\n",
                                 "H = -0.0025000000000000001\n"})
        EXPECT_NE(back.find(expected), std::string::npos) << expected << " not in\n" << back;
    // What the text form writes, it reads again to the same bytes.
    EXPECT_EQ(ObjectTextToBinary(back), ObjectTextToBinary(text));
}

TEST(Streaming, AnIntegerPropertyRefusesAValueBeyond32Bits) {
    RegisterTestClasses();
    const char* layout = "object LayoutForm: TLayoutForm\n  Width = 4294967396\nend\n";
    EXPECT_EQ(ReadError([&] { TOwned<TLayoutForm>(new TLayoutForm(nullptr, layout)); }),
              "Error reading LayoutForm.Width: Invalid property value 4294967396");
}

// An event with more parameters than Sender is bound to the root's handler
// of its own type, and written back under that handler's name; a handler of
// another type does not fit it.
TEST(Streaming, EventsWithMoreParametersFindHandlersOfTheirType) {
    RegisterTestClasses();
    const char* layout = "object LayoutForm: TLayoutForm\n  object Top1: TNamesPanel\n    Width = 50\n"
                         "    Height = 20\n    OnMouseDown = TopMouseDown\n  end\nend\n";
    TOwned<TLayoutForm> form(new TLayoutForm(nullptr, layout));
    SimulateMouseDown(form->Top1, mbLeft, 7, 9);
    SimulateMouseUp(form->Top1, mbLeft, 7, 9);
    EXPECT_EQ(form->presses, (std::vector<TPoint>{{7, 9}}));
    EXPECT_NE(WriteComponentToText(form.get()).find("OnMouseDown = TopMouseDown"), std::string::npos);

    // The handler's name goes with the control.
    TPersistent* gone = form->Top1;
    EXPECT_EQ(HandlerName(gone, u"OnMouseDown"), u"TopMouseDown");
    form->Top1->Free();
    EXPECT_EQ(HandlerName(gone, u"OnMouseDown"), u"");

    const char* wrongType = "object LayoutForm: TLayoutForm\n  OnMouseDown = TopClick\nend\n";
    EXPECT_EQ(ReadError([&] { TOwned<TLayoutForm>(new TLayoutForm(nullptr, wrongType)); }),
              "Error reading LayoutForm.OnMouseDown: Invalid property value TopClick");
}

// Binary layouts of objects named P1, P2 … or of lists in a property of the
// root, nested Depth levels deep.
std::vector<std::uint8_t> NestedObjects(int depth) {
    std::vector<std::uint8_t> bytes{'L', 'V', 'F', '1'};
    for (int i = 1; i <= depth; ++i) {
        std::string name(1, 'P');
        name += std::to_string(i);
        bytes.insert(bytes.end(), {0xF0, 6, 'T', 'P', 'a', 'n', 'e', 'l', static_cast<std::uint8_t>(name.size())});
        bytes.insert(bytes.end(), name.begin(), name.end());
        bytes.push_back(vaNull);
    }
    bytes.insert(bytes.end(), static_cast<size_t>(depth), vaNull);
    return bytes;
}

std::vector<std::uint8_t> NestedLists(int depth) {
    std::vector<std::uint8_t> bytes{'L', 'V', 'F', '1', 0xF0, 5, 'T', 'F', 'o', 'r', 'm', 0, 3, 'T', 'a', 'g'};
    bytes.insert(bytes.end(), static_cast<size_t>(depth), vaList);
    bytes.insert(bytes.end(), static_cast<size_t>(depth), vaNull);
    bytes.insert(bytes.end(), {0x00, 0x00, 0x00});
    return bytes;
}

std::string NestedText(int depth, bool objects) {
    std::string text = "object Form1: TForm\n";
    if (objects) {
        for (int i = 0; i < depth; ++i) text += "object P: TPanel\n";
        for (int i = 0; i < depth; ++i) text += "end\n";
    } else {
        const auto n = static_cast<size_t>(depth);
        text += "  Tag = " + std::string(n, '(') + std::string(n, ')') + "\n";
    }
    return text + "end\n";
}

TEST(Streaming, NestingIsBoundedInEveryReader) {
    RegisterToolkitClasses();
    const std::string deeper = " deeper than " + std::to_string(MaxLayoutNesting) + " levels";
    // The root object is the first level; lists count like objects.
    for (bool objects : {false, true}) {
        const std::string deepest = NestedText(MaxLayoutNesting - 1, objects);
        EXPECT_EQ(TextError(deepest), "");
        EXPECT_EQ(ReadError([&] { ObjectBinaryToText(ObjectTextToBinary(deepest)); }), "");
    }
    const std::string objectTooDeep =
        "Layout text, line " + std::to_string(MaxLayoutNesting + 1) + ": nesting" + deeper;
    EXPECT_EQ(TextError(NestedText(MaxLayoutNesting, true)), objectTooDeep);
    EXPECT_EQ(TextError(NestedText(100000, true)), objectTooDeep);
    EXPECT_EQ(TextError(NestedText(30000, false)), "Layout text, line 2: nesting" + deeper);

    EXPECT_EQ(ReadError([] { ObjectBinaryToText(NestedObjects(100000)); }), "Nesting" + deeper);
    EXPECT_EQ(ReadError([] { ObjectBinaryToText(NestedLists(30000)); }), "Nesting" + deeper);
    auto root = MakeOwned<TForm>(nullptr);
    EXPECT_EQ(ReadError([&] { TReader(NestedObjects(100000)).ReadRootComponent(root.get()); }),
              "Error reading P" + std::to_string(MaxLayoutNesting + 1) + ": Nesting" + deeper);
    // A stored property that nobody reads is skipped, however it nests.
    std::vector<std::uint8_t> lists(30000, vaList);
    lists.insert(lists.end(), 30000, vaNull);
    EXPECT_EQ(ReadError([&] { TReader(lists).SkipValue(); }), "Nesting" + deeper);
}

TEST(Streaming, StringsKeepTheirBytesBetweenTheTextAndTheBinaryForm) {
    // Invalid UTF-8, a line break and a character outside the 16-bit range
    // given by its two code units.
    const std::string text = "object Form1: TForm\n  Caption = 'a\xFF" "b\xC3'#10'c'#55357#56832\nend\n";
    const std::vector<std::uint8_t> binary = ObjectTextToBinary(text);
    const std::vector<std::uint8_t> stored{'a', 0xFF, 'b', 0xC3, '\n', 'c', 0xF0, 0x9F, 0x98, 0x80};
    EXPECT_NE(std::search(binary.begin(), binary.end(), stored.begin(), stored.end()), binary.end());

    const std::string back = ObjectBinaryToText(binary);
    EXPECT_NE(back.find("Caption = 'a\xFF" "b\xC3'#10'c\xF0\x9F\x98\x80'\n"), std::string::npos) << back;
    EXPECT_EQ(ObjectTextToBinary(back), binary);
    EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary(back)), back);

    // A component decodes the bytes: what is no UTF-8 becomes U+FFFD.
    RegisterToolkitClasses();
    auto form = MakeOwned<TForm>(nullptr);
    TReader(binary).ReadRootComponent(form.get());
    EXPECT_EQ(form->Caption(), u"a\uFFFDb\uFFFD\nc\U0001F600");
}

}  // namespace

namespace {

// A binary layout of one unnamed TForm whose one property holds Value.
std::vector<std::uint8_t> OneProperty(const std::string& name, std::vector<std::uint8_t> value) {
    std::vector<std::uint8_t> bytes{'L', 'V', 'F', '1', 0xF0, 5, 'T', 'F', 'o', 'r', 'm', 0};
    bytes.push_back(static_cast<std::uint8_t>(name.size()));
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.insert(bytes.end(), value.begin(), value.end());
    bytes.insert(bytes.end(), {vaNull, vaNull});
    return bytes;
}

std::vector<std::uint8_t> FloatValue(double d) {
    std::vector<std::uint8_t> bytes{vaExtended};
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&d);
    bytes.insert(bytes.end(), raw, raw + sizeof d);
    return bytes;
}

}  // namespace

TEST(Streaming, TheTextFormIsWrittenOnlyForWhatItCanSpell) {
    const std::vector<std::uint8_t> ident{vaIdent, 3, 'a', 'b', 'c'};
    EXPECT_EQ(ObjectBinaryToText(OneProperty("Tag", FloatValue(2.5))), "object TForm\n  Tag = 2.5\nend\n");
    EXPECT_EQ(ObjectBinaryToText(OneProperty("Font.Name", ident)), "object TForm\n  Font.Name = abc\nend\n");
    const struct {
        const char* what;
        std::vector<std::uint8_t> layout;
        const char* error;
    } refused[] = {
        {"infinity", OneProperty("Tag", FloatValue(HUGE_VAL)), "Invalid floating point value"},
        {"NaN", OneProperty("Tag", FloatValue(std::nan(""))), "Invalid floating point value"},
        {"blank in a name", OneProperty("A B", ident), "Invalid name in layout data"},
        {"leading digit", OneProperty("Tag", {vaIdent, 2, '1', 'x'}), "Invalid name in layout data"},
        {"empty identifier", OneProperty("Tag", {vaIdent, 0}), "Invalid name in layout data"},
    };
    for (const auto& c : refused)
        EXPECT_EQ(ReadError([&] { ObjectBinaryToText(c.layout); }), c.error) << c.what;
}
