#include "RudUvud/support/VadUni.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// The smallest storage a descendant can give: strings and objects in vectors.
class TVectorWideStrings : public TWideStrings {
public:
    void Clear() override
    {
        FStrings.clear();
        FObjects.clear();
    }
    void Delete(Integer Index) override
    {
        Check(Index);
        FStrings.erase(FStrings.begin() + Index);
        FObjects.erase(FObjects.begin() + Index);
    }
    void Insert(Integer Index, const WideString& S) override
    {
        if (Index < 0 || Index > Count())
            Error(u"List index out of bounds (%d)", Index);
        FStrings.insert(FStrings.begin() + Index, S);
        FObjects.insert(FObjects.begin() + Index, nullptr);
    }
    std::vector<WideString> Items() const { return FStrings; }
    std::vector<bool> UpdateStates;

protected:
    WideString Get(Integer Index) const override
    {
        Check(Index);
        return FStrings[Index];
    }
    Integer GetCount() const override { return static_cast<Integer>(FStrings.size()); }
    TObject* GetObject(Integer Index) const override
    {
        Check(Index);
        return FObjects[Index];
    }
    void PutObject(Integer Index, TObject* AObject) override
    {
        Check(Index);
        FObjects[Index] = AObject;
    }
    void SetUpdateState(bool Updating) override { UpdateStates.push_back(Updating); }

private:
    void Check(Integer Index) const
    {
        if (Index < 0 || Index >= Count())
            Error(u"List index out of bounds (%d)", Index);
    }
    std::vector<WideString> FStrings;
    std::vector<TObject*> FObjects;
};

using Strings = std::vector<WideString>;

TEST(WideStrings, CommaTextBothWays)
{
    struct Case {
        Strings List;
        WideString Comma;
    } Written[] = {
        {{}, u""},
        {{u""}, u"\"\""},
        {{u"abc", u"d"}, u"abc,d"},
        {{u"a b", u"c,d", u"say \"hi\"", u"", u"x"}, u"\"a b\",\"c,d\",\"say \"\"hi\"\"\",,x"},
        {{u"tab\there"}, u"\"tab\there\""},
        {{u"\u734E\u54C1"}, u"\u734E\u54C1"},
    };
    for (const Case& C : Written) {
        TVectorWideStrings L;
        for (const WideString& S : C.List)
            L.Add(S);
        EXPECT_EQ(L.CommaText(), C.Comma);
        TVectorWideStrings Back;
        Back.SetCommaText(C.Comma);
        EXPECT_EQ(Back.Items(), C.List);
    }

    struct Parse {
        WideString Comma;
        Strings Expected;
    } Read[] = {
        {u"x, y,,z,", {u"x", u"y", u"", u"z"}},
        {u"\"abc", {u"ab"}}, // no closing quote: the last character is taken for it
        {u"\"a", {u""}},
        {u"\"\"", {u""}},
        {u"  a  b ", {u"a", u"b"}}, // blanks outside quotes separate
        {u"\"a\"\"b\",c", {u"a\"b", u"c"}},
        {u"a\0b,c"s, {u"a"}}, // the text ends at a NUL
        {u"", {}},
        {u",", {u""}},
    };
    for (const Parse& P : Read) {
        TVectorWideStrings L;
        L.Add(u"old");
        L.SetCommaText(P.Comma);
        EXPECT_EQ(L.Items(), P.Expected);
    }
}

TEST(WideStrings, TextForm)
{
    TVectorWideStrings L;
    EXPECT_EQ(L.Text(), u"");
    L.Add(u"a");
    L.Add(u"b");
    EXPECT_EQ(L.Text(), u"a\r\nb\r\n");
    EXPECT_EQ(L.GetText(), u"a\r\nb\r\n");

    struct Case {
        WideString Text;
        Strings Expected;
    } Cases[] = {
        {u"a\r\nb", {u"a", u"b"}}, {u"a\n\rb", {u"a", u"", u"b"}},
        {u"a\r\n", {u"a"}},        {u"a\u2028b\u2029c\vd\fe", {u"a", u"b", u"c", u"d", u"e"}},
        {u"\r\n\r\n", {u"", u""}}, {u"", {}},
    };
    for (const Case& C : Cases) {
        L.SetText(C.Text);
        EXPECT_EQ(L.Items(), C.Expected);
    }
    L.SetText(u"x\r\ny");
    EXPECT_EQ(L.Items(), (Strings{u"x", u"y"}));
    L.SetText(static_cast<const WideChar*>(nullptr));
    EXPECT_EQ(L.Count(), 0);
}

TEST(WideStrings, SearchesIgnoreCaseButEqualsIsExact)
{
    TVectorWideStrings A, B;
    A.Add(u"ABC");
    A.Add(u"\u00C4rger");
    B.Add(u"abc");
    B.Add(u"\u00C4rger");
    EXPECT_EQ(A.IndexOf(u"abc"), 0);
    EXPECT_EQ(A.IndexOf(u"\u00E4RGER"), 1);
    EXPECT_EQ(A.IndexOf(u"x"), -1);
    EXPECT_EQ(TVectorWideStrings().IndexOf(u""), -1);
    EXPECT_FALSE(A.Equals(&B));
    B.SetStrings(0, u"ABC");
    EXPECT_TRUE(A.Equals(&B));
    B.Add(u"more");
    EXPECT_FALSE(A.Equals(&B));
}

TEST(WideStrings, NamesAndValues)
{
    TVectorWideStrings L;
    L.Add(u"plain");
    L.Add(u"Key=one");
    L.Add(u"other=two=2");
    EXPECT_EQ(L.IndexOfName(u"key"), 1);
    EXPECT_EQ(L.IndexOfName(u"plain"), -1);
    EXPECT_EQ(L.Names(0), u"");
    EXPECT_EQ(L.Names(2), u"other");
    EXPECT_EQ(L.Values(u"OTHER"), u"two=2");
    EXPECT_EQ(L.Values(u"missing"), u"");
    L.SetValues(u"key", u"uno");
    EXPECT_EQ(L.Strings(1), u"key=uno");
    L.SetValues(u"new", u"3");
    EXPECT_EQ(L.Strings(3), u"new=3");
    L.SetValues(u"key", u"");
    EXPECT_EQ(L.Items(), (Strings{u"plain", u"other=two=2", u"new=3"}));
    L.SetValues(u"absent", u"");
    EXPECT_EQ(L.Count(), 3);
    L.Add(u"empty=");
    EXPECT_EQ(L.Values(u"empty"), u"");
}

TEST(WideStrings, MovingKeepsObjects)
{
    TObject O1, O2, O3;
    TVectorWideStrings L;
    L.AddObject(u"one", &O1);
    L.AddObject(u"two", &O2);
    L.AddObject(u"three", &O3);
    L.Exchange(0, 2);
    EXPECT_EQ(L.Items(), (Strings{u"three", u"two", u"one"}));
    EXPECT_EQ(L.Objects(0), &O3);
    EXPECT_EQ(L.Objects(2), &O1);
    L.Move(0, 2);
    EXPECT_EQ(L.Items(), (Strings{u"two", u"one", u"three"}));
    EXPECT_EQ(L.Objects(2), &O3);
    L.SetStrings(1, u"uno");
    EXPECT_EQ(L.Objects(1), &O1);
    EXPECT_EQ(L.IndexOfObject(&O2), 0);
    EXPECT_EQ(L.IndexOfObject(nullptr), -1);
    L.InsertObject(0, u"zero", &O2);
    EXPECT_EQ(L.Objects(0), &O2);
    EXPECT_THROW(L.Strings(9), EStringListError);
    try {
        L.Delete(-1);
    } catch (const EStringListError& E) {
        EXPECT_EQ(E.Message(), "List index out of bounds (-1)");
    }
}

TEST(WideStrings, UpdateStateOnlyAtTheOuterBracket)
{
    TVectorWideStrings L;
    L.BeginUpdate();
    L.BeginUpdate();
    L.EndUpdate();
    EXPECT_EQ(L.UpdateStates, (std::vector<bool>{true}));
    L.EndUpdate();
    EXPECT_EQ(L.UpdateStates, (std::vector<bool>{true, false}));
    L.SetCommaText(u"a,b");
    EXPECT_EQ(L.UpdateStates, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(L.UpdateDepth(), 0);
}

TEST(WideStrings, AssignBetweenListsAndThroughTheAnsiView)
{
    TObject O1, O2;
    TVectorWideStrings Wide;
    Wide.AddObject(u"\u734E", &O1);
    Wide.AddObject(u"b", &O2);

    // Between wide lists the objects go along.
    TVectorWideStrings Copy;
    Copy.Add(u"old");
    Copy.Assign(&Wide);
    EXPECT_EQ(Copy.Items(), Wide.Items());
    EXPECT_EQ(Copy.Objects(0), &O1);

    // To and from a platform string list, strings are converted and objects kept.
    TStringList Ansi;
    Ansi.Assign(&Wide);
    ASSERT_EQ(Ansi.Count(), 2);
    EXPECT_EQ(Ansi.Strings(0), "\xE7\x8D\x8E");
    EXPECT_EQ(Ansi.Objects(1), &O2);
    TVectorWideStrings FromAnsi;
    FromAnsi.Assign(&Ansi);
    EXPECT_EQ(FromAnsi.Items(), Wide.Items());
    EXPECT_EQ(FromAnsi.Objects(1), &O2);

    // Through the ANSI view objects are lost.
    TStrings* View = Wide.AnsiStrings();
    EXPECT_EQ(View->Count(), 2);
    EXPECT_EQ(View->Strings(0), "\xE7\x8D\x8E");
    View->AddObject("c", &O1);
    EXPECT_EQ(Wide.Strings(2), u"c");
    EXPECT_EQ(Wide.Objects(2), nullptr);
    EXPECT_EQ(View->Objects(0), nullptr);
    View->Delete(0);
    EXPECT_EQ(Wide.Items(), (Strings{u"b", u"c"}));
    Wide.SetAnsiStrings(&Ansi);
    EXPECT_EQ(Wide.Items(), (Strings{u"\u734E", u"b"}));
    EXPECT_EQ(Wide.Objects(0), nullptr);

    // A list added to itself ends.
    Wide.AddStrings(&Wide);
    EXPECT_EQ(Wide.Count(), 4);

    EXPECT_THROW(Wide.Assign(nullptr), EConvertError);
}

TEST(WideStrings, FormStreamingRoundTrip)
{
    TVectorWideStrings Source;
    Source.Add(u"\u734E\u54C1");
    Source.Add(u"");
    Source.Add(u"a\0b"s);
    TMemoryStream Stream;
    {
        TWriter Writer(&Stream, 4096);
        Source.DefineProperties(&Writer);
    }
    Stream.SetPosition(0);
    TVectorWideStrings Target;
    Target.Add(u"old");
    {
        TReader Reader(&Stream, 4096);
        EXPECT_EQ(Reader.ReadPropName(), "WideStrings");
        Target.DefineProperties(&Reader);
        EXPECT_TRUE(Reader.PropertyHandled());
    }
    EXPECT_EQ(Target.Items(), Source.Items());

    // An empty list without an ancestor writes nothing; with an equal ancestor neither.
    TMemoryStream Empty;
    {
        TWriter Writer(&Empty, 4096);
        TVectorWideStrings None;
        None.DefineProperties(&Writer);
        Writer.SetAncestor(&Target);
        Source.DefineProperties(&Writer);
    }
    EXPECT_EQ(Empty.Size(), 0);
}

} // namespace
