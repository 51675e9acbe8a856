// The conversion of Qt's key events into the toolkit's key codes, fed with
// Qt's own key values: a round trip through our own conversion could not
// tell a punctuation key from the navigation key that shares its code.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "Clipbrd.h"
#include "ControlWidget.h"
#include "Forms.h"
#include "Platform.h"
#include "RichEdit.h"

namespace {

TEST(KeyMapping, OnlyDigitsLettersAndNamedKeysBecomeKeyCodes) {
    struct Case {
        Qt::Key key;
        unsigned short code;  // 0: no key code, the key reaches the control as the character it types
    } cases[] = {
        {Qt::Key_A, 'A'},          {Qt::Key_Z, 'Z'},           {Qt::Key_0, '0'},
        {Qt::Key_9, '9'},          {Qt::Key_Space, VK_SPACE},  {Qt::Key_PageUp, VK_PRIOR},
        {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_Home, VK_HOME},  {Qt::Key_End, VK_END},
        {Qt::Key_Left, VK_LEFT},   {Qt::Key_Down, VK_DOWN},    {Qt::Key_Insert, VK_INSERT},
        {Qt::Key_Delete, VK_DELETE},
        // 0x21 to 0x2F share their values with navigation key codes.
        {Qt::Key_Exclam, 0},       {Qt::Key_QuoteDbl, 0},      {Qt::Key_NumberSign, 0},
        {Qt::Key_Dollar, 0},       {Qt::Key_Percent, 0},       {Qt::Key_Ampersand, 0},
        {Qt::Key_Apostrophe, 0},   {Qt::Key_ParenLeft, 0},     {Qt::Key_ParenRight, 0},
        {Qt::Key_Asterisk, 0},     {Qt::Key_Plus, 0},          {Qt::Key_Comma, 0},
        {Qt::Key_Minus, 0},        {Qt::Key_Period, 0},        {Qt::Key_Slash, 0},
        // Between the digits and the letters, and after the letters.
        {Qt::Key_Colon, 0},        {Qt::Key_Semicolon, 0},     {Qt::Key_Less, 0},
        {Qt::Key_Equal, 0},        {Qt::Key_Greater, 0},       {Qt::Key_Question, 0},
        {Qt::Key_At, 0},           {Qt::Key_BracketLeft, 0},   {Qt::Key_AsciiTilde, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(QtKeyToVirtualKey(c.key), c.code) << "Qt key 0x" << std::hex << int(c.key);
}

// Typing punctuation into the read-only view moves nothing, selects nothing
// and copies nothing; the navigation keys still work.
TEST(KeyMapping, PunctuationTypedIntoTheViewMovesNothing) {
    TOwned<TForm> form(new TForm(nullptr));
    form->SetBounds(0, 0, 400, 200);
    auto* view = new TRichEdit(form.get());
    view->SetParent(form.get());
    view->SetAlign(alClient);
    view->SetReadOnly(true);
    view->Lines()->BeginUpdate();
    for (int i = 0; i < 100; ++i) view->Lines()->Add(u"line " + IntToStr(i));
    view->Lines()->EndUpdate();
    form->Show();
    view->SetFocus();
    ProcessPendingEvents();
    const TTextPosition start = view->Document().LinePosition(50) + 2;
    view->SetSelStart(start);
    view->SetSelLength(0);
    const int top = view->TopLine();
    Clipboard().SetAsText(u"before");

    auto type = [&](Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(view->Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(view->Widget(), &release);
    };
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
    } cases[] = {
        {Qt::Key_Exclam, Qt::ShiftModifier, "!"},   {Qt::Key_QuoteDbl, Qt::ShiftModifier, "\""},
        {Qt::Key_Dollar, Qt::ShiftModifier, "$"},   {Qt::Key_NumberSign, Qt::ShiftModifier, "#"},
        {Qt::Key_Percent, Qt::ShiftModifier, "%"},  {Qt::Key_Ampersand, Qt::ShiftModifier, "&"},
        {Qt::Key_Apostrophe, Qt::NoModifier, "'"},  {Qt::Key_ParenLeft, Qt::ShiftModifier, "("},
        {Qt::Key_Minus, Qt::ControlModifier, ""},   {Qt::Key_Minus, Qt::NoModifier, "-"},
    };
    for (const Case& c : cases) {
        type(c.key, c.modifiers, QString::fromUtf8(c.text));
        EXPECT_EQ(view->SelStart(), start) << c.text;
        EXPECT_EQ(view->SelLength(), 0) << c.text;
        EXPECT_EQ(view->TopLine(), top) << c.text;
    }
    EXPECT_EQ(Clipboard().AsText(), u"before");

    type(Qt::Key_PageDown, Qt::NoModifier, QString());
    EXPECT_GT(view->SelStart(), start);
    type(Qt::Key_Home, Qt::ControlModifier, QString());
    EXPECT_EQ(view->SelStart(), 0);
}

}  // namespace
