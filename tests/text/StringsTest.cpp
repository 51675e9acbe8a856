// String lists over the compact line store: editing, objects, the update
// bracket, Text, and the piecewise accessors.
#include <gtest/gtest.h>

#include <vector>

#include "Strings.h"

namespace {

std::vector<String> LinesOf(const TStrings& list) {
    std::vector<String> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
    return lines;
}

TEST(StringList, StartsEmptyAndEditsInPlace) {
    TStringList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Add(u"b"), 0);
    EXPECT_EQ(list.Add(u"d"), 1);
    list.Insert(0, u"a");
    list.Insert(2, u"c\u00E9");
    list.Insert(4, u"e");
    EXPECT_EQ(LinesOf(list), (std::vector<String>{u"a", u"b", u"c\u00E9", u"d", u"e"}));
    list.Put(1, u"B\U0001F600");
    list.Delete(3);
    list.Delete(0);
    EXPECT_EQ(LinesOf(list), (std::vector<String>{u"B\U0001F600", u"c\u00E9", u"e"}));
    EXPECT_EQ(list.IndexOf(u"e"), 2);
    EXPECT_EQ(list.IndexOf(u"E"), -1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.Add(u"again");
    EXPECT_EQ(LinesOf(list), std::vector<String>{u"again"});
}

TEST(StringList, ItemsKeepEmbeddedBreaksAndTrailingCarriageReturns) {
    // An item is stored as given; breaks inside it or at its end must not
    // split or shorten it, whatever is added around it.
    const std::vector<String> items = {u"a\rb", u"ends in cr\r", u"ends in lf\n", u"\r\n", u"", u"\r", u"last"};
    TStringList list;
    for (const String& item : items) list.Add(item);
    EXPECT_EQ(LinesOf(list), items);
    list.Insert(1, u"x\r");
    list.Put(0, u"y\r\r");
    list.Delete(2);
    EXPECT_EQ(LinesOf(list), (std::vector<String>{u"y\r\r", u"x\r", u"ends in lf\n", u"\r\n", u"", u"\r", u"last"}));
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Length(i), static_cast<int>(list[i].size()));
}

TEST(StringList, ObjectsFollowTheirLines) {
    // A panel records "1"/"0" per child with the child as the object.
    TObject first, second, third;
    TStringList list;
    list.AddObject(u"1", &first);
    list.Add(u"plain");
    list.AddObject(u"0", &second);
    EXPECT_EQ(list.Objects(0), &first);
    EXPECT_EQ(list.Objects(1), nullptr);
    EXPECT_EQ(list.IndexOfObject(&second), 2);
    list.Insert(0, u"new");
    list.PutObject(0, &third);
    list.Delete(2);
    EXPECT_EQ(list.IndexOfObject(&first), 1);
    EXPECT_EQ(list.IndexOfObject(&second), 2);
    EXPECT_EQ(list.IndexOfObject(&third), 0);
    list.Put(1, u"0");
    EXPECT_EQ(list.Objects(1), &first);
    EXPECT_EQ(list.IndexOfObject(nullptr), -1);
}

TEST(StringList, MoveTakesTheLineWithItsObjectToItsNewPlace) {
    TObject object;
    TStringList list;
    list.SetText(u"a\nb\nc\nd\n");
    list.PutObject(0, &object);
    list.Move(0, 2);
    EXPECT_EQ(list.Text(), u"b\nc\na\nd\n");
    EXPECT_EQ(list.IndexOfObject(&object), 2);
    list.Move(3, 0);
    EXPECT_EQ(list.Text(), u"d\nb\nc\na\n");
    EXPECT_THROW(list.Move(0, 4), EListError);
    EXPECT_THROW(list.Move(-1, 0), EListError);
    EXPECT_EQ(list.Text(), u"d\nb\nc\na\n");
}

TEST(StringList, IndexOutOfBoundsRaises) {
    TStringList list;
    list.Add(u"only");
    const struct {
        const char* name;
        std::function<void()> call;
    } calls[] = {
        {"Get", [&] { (void)list[1]; }},
        {"Get negative", [&] { (void)list[-1]; }},
        {"Put", [&] { list.Put(1, u"x"); }},
        {"Delete", [&] { list.Delete(1); }},
        {"Insert past end", [&] { list.Insert(2, u"x"); }},
        {"Objects", [&] { (void)list.Objects(1); }},
        {"Mid", [&] { (void)list.Mid(1, 0, 1); }},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.name);
        try {
            c.call();
            ADD_FAILURE() << "no error";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message().substr(0, 26), u"List index out of bounds (");
        }
    }
    EXPECT_EQ(LinesOf(list), std::vector<String>{u"only"});
}

class RecordingList : public TStringList {
public:
    std::vector<bool> states;

protected:
    void SetUpdateState(bool Updating) override { states.push_back(Updating); }
};

TEST(StringList, UpdateStateChangesOnlyAtTheOutermostBracket) {
    RecordingList list;
    list.BeginUpdate();
    list.BeginUpdate();
    list.EndUpdate();
    EXPECT_EQ(list.states, std::vector<bool>{true});
    EXPECT_EQ(list.UpdateCount(), 1);
    list.EndUpdate();
    EXPECT_EQ(list.states, (std::vector<bool>{true, false}));
    list.EndUpdate();  // unbalanced: ignored
    EXPECT_EQ(list.UpdateCount(), 0);
    EXPECT_EQ(list.states.size(), 2u);
}

TEST(StringList, TextJoinsAndSplits) {
    TStringList list;
    list.SetText(u"a\r\nb\rc\n\nd");
    EXPECT_EQ(LinesOf(list), (std::vector<String>{u"a", u"b", u"c", u"", u"d"}));
    EXPECT_EQ(list.Text(), u"a\nb\nc\n\nd\n");
    list.SetText(u"x\n");
    EXPECT_EQ(LinesOf(list), std::vector<String>{u"x"});
}

TEST(StringList, LengthAndMidCountUtf16Units) {
    TStringList list;
    list.Add(u"2026-12-10 14:27:40.123 [ERRO ] m\u00E9ssage");
    list.Add(u"a\U0001F600b");
    list.Add(u"short");
    const struct {
        int line, start, count;
        String piece;
    } cases[] = {
        {0, 25, 5, u"ERRO "},
        {0, 33, 3, u"\u00E9ss"},
        {1, 1, 2, u"\U0001F600"},
        {1, 2, 2, String(u"\xDE00" u"b", 2)},  // starting inside the pair gives its low half
        {1, 0, 1, u"a"},
        {2, 3, 10, u"rt"},
        {2, 5, 1, u""},
        {2, 9, 1, u""},
        {2, -2, 2, u"sh"},
        {2, 1, -1, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line * 100 + c.start);
        EXPECT_EQ(list.Mid(c.line, c.start, c.count), c.piece);
    }
    EXPECT_EQ(list.Length(0), 39);
    EXPECT_EQ(list.Length(1), 4);
}

// Many plain lines appended after an accented one (a filter whose first
// match has an accent), then edits that move every later line.
TEST(StringList, PlainLinesAfterAnAccentedOneStayEditable) {
    TStringList list;
    list.Add(u"first");
    list.Add(u"t\u00E9o");
    for (int i = 0; i < 200000; ++i) list.Add(u"plain " + IntToStr(i));
    list.Delete(0);
    list.Insert(1, u"\u00E0 inserted");
    ASSERT_EQ(list.Count(), 200002);
    EXPECT_EQ(list[0], u"t\u00E9o");
    EXPECT_EQ(list[1], u"\u00E0 inserted");
    EXPECT_EQ(list[2], u"plain 0");
    EXPECT_EQ(list[200001], u"plain 199999");
    EXPECT_EQ(list.Length(200001), 12);
    EXPECT_EQ(list.Mid(150001, 6, 6), u"149999");
}

TEST(StringList, AddFromCopiesLinesOfAnotherList) {
    TStringList source;
    source.SetText(u"one\nt\u00E9o\nthree");
    TStringList copy;
    copy.AddFrom(source, 1);
    copy.AddFrom(source, 2);
    EXPECT_EQ(LinesOf(copy), (std::vector<String>{u"t\u00E9o", u"three"}));
    EXPECT_THROW(copy.AddFrom(source, 3), EListError);
    TStringList assigned;
    assigned.Assign(&source);
    EXPECT_EQ(LinesOf(assigned), LinesOf(source));
}

}  // namespace
