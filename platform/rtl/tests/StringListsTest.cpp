#include "platform/rtl/StringLists.h"

#include "platform/rtl/Streams.h"
#include "platform/testing/FileContents.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<AnsiString>;

Lines Items(TStrings& List)
{
    Lines Result;
    for (Integer I = 0; I < List.Count(); ++I)
        Result.push_back(List.Strings(I));
    return Result;
}

void Fill(TStrings& List, const Lines& Values)
{
    List.Clear();
    for (const AnsiString& S : Values)
        List.Add(S);
}

// A distinct object per slot, to see that objects travel with their strings.
struct TTag : TObject {
    explicit TTag(int AValue) : Value(AValue) {}
    int Value;
};

} // namespace

TEST(StringListText, JoinsEveryLineWithCrLf)
{
    const struct {
        Lines List;
        AnsiString Text;
    } Cases[] = {
        {{}, ""},
        {{"a"}, "a\r\n"},
        {{"", ""}, "\r\n\r\n"},
        {{"Grüße", "日本語"}, "Grüße\r\n日本語\r\n"},
    };
    for (const auto& Case : Cases) {
        TStringList List;
        Fill(List, Case.List);
        EXPECT_EQ(List.Text(), Case.Text);
    }
}

TEST(StringListText, SplitsAtCrLfLfAndCr)
{
    const struct {
        AnsiString Text;
        Lines Expected;
    } Cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"x\ty \r\n", {"x\ty "}},
        {"Grüße\n日本語\r😀", {"Grüße", "日本語", "😀"}},
        {AnsiString("a\0b\nc", 5), {AnsiString("a\0b", 3), "c"}},
    };
    for (const auto& Case : Cases) {
        TStringList List;
        List.Add("old");
        List.SetText(Case.Text);
        EXPECT_EQ(Items(List), Case.Expected) << Case.Text;
    }
}

TEST(StringListCommaText, QuotesOnlyWhereNeeded)
{
    const struct {
        Lines List;
        AnsiString Comma;
    } Cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"a", "b"}, "a,b"},
        {{"", "a"}, ",a"},
        {{"a", ""}, "a,"},
        {{"a b"}, "\"a b\""},
        {{"a,b"}, "\"a,b\""},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"x\"y"}, "\"x\"\"y\""},
        {{"tab\tin"}, "\"tab\tin\""},
        {{"two\r\nlines"}, "\"two\r\nlines\""},
        {{"a;b", "c'd"}, "a;b,c'd"},
        {{"Grüße", "日本語", "naïve café"}, "Grüße,日本語,\"naïve café\""},
    };
    for (const auto& Case : Cases) {
        TStringList List;
        Fill(List, Case.List);
        EXPECT_EQ(List.CommaText(), Case.Comma);
    }
}

TEST(StringListCommaText, ReadsQuotedBlankSeparatedAndEmptyItems)
{
    const struct {
        AnsiString Comma;
        Lines Expected;
    } Cases[] = {
        {"", {}},
        {"   ", {}},
        {"a,b", {"a", "b"}},
        {"a b", {"a", "b"}},
        {"  a  ,  b  ", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {",", {"", ""}},
        {"\"a b\",c", {"a b", "c"}},
        {"\"x\"\"y\"", {"x\"y"}},
        {"\"\"", {""}},
        {"\"unterminated, still one", {"unterminated, still one"}},
        {"\"a\"b", {"a", "b"}},
        {"Grüße,\"日本 語\"", {"Grüße", "日本 語"}},
    };
    for (const auto& Case : Cases) {
        TStringList List;
        List.SetCommaText(Case.Comma);
        EXPECT_EQ(Items(List), Case.Expected) << Case.Comma;
    }
}

TEST(StringListCommaText, RoundTripsAnyList)
{
    const Lines Cases[] = {
        {},
        {""},
        {"", ""},
        {" lead", "trail ", "in side"},
        {"\"", "\"\"", "a\"", ",", ",,"},
        {"multi\r\nline", "tab\t", std::string("nul\0x", 5)},
        {"Grüße", "日本語", "😀 emoji", "ÄÖÜ,äöü"},
    };
    for (const Lines& Case : Cases) {
        TStringList Source;
        Fill(Source, Case);
        TStringList Copy;
        Copy.SetCommaText(Source.CommaText());
        EXPECT_EQ(Items(Copy), Case) << Source.CommaText();
    }
}

TEST(StringListDelimitedText, UsesDelimiterQuoteCharAndStrictMode)
{
    TStringList List;
    List.SetDelimiter(';');
    List.SetQuoteChar('\'');
    List.SetDelimitedText("a b;'c;d';'it''s'");
    EXPECT_EQ(Items(List), (Lines{"a", "b", "c;d", "it's"}));
    EXPECT_EQ(List.DelimitedText(), "a;b;'c;d';'it''s'");

    List.SetStrictDelimiter(true);
    List.SetDelimitedText("a b; c ;;'x;y'");
    EXPECT_EQ(Items(List), (Lines{"a b", " c ", "", "x;y"}));
    // Blanks no longer need quotes; the delimiter and the quote still do.
    EXPECT_EQ(List.DelimitedText(), "a b; c ;;'x;y'");

    // CommaText keeps its own rules whatever the delimiter settings are.
    Fill(List, {"a b", "c"});
    EXPECT_EQ(List.CommaText(), "\"a b\",c");
}

TEST(StringListNameValue, LooksUpNamesWithoutCase)
{
    TStringList List;
    Fill(List, {"Width=10", "no separator", "Color=clRed", "Path=C:\\a=b", "Größe=groß"});
    EXPECT_EQ(List.IndexOfName("width"), 0);
    EXPECT_EQ(List.IndexOfName("COLOR"), 2);
    EXPECT_EQ(List.IndexOfName("no separator"), -1);
    EXPECT_EQ(List.IndexOfName("GRÖSSE"), -1);
    EXPECT_EQ(List.IndexOfName("GRÖßE"), 4);
    EXPECT_EQ(List.Values("PATH"), "C:\\a=b");
    EXPECT_EQ(List.Values("missing"), "");
    EXPECT_EQ(List.Names(0), "Width");
    EXPECT_EQ(List.Names(1), "");
    EXPECT_EQ(List.ValueFromIndex(3), "C:\\a=b");
    // A string without separator has no value at all.
    EXPECT_EQ(List.ValueFromIndex(1), "");
}

TEST(StringListNameValue, SetValuesAddsReplacesAndDeletes)
{
    TStringList List;
    Fill(List, {"a=1", "b=2"});
    List.SetValues("B", "20");
    List.SetValues("c", "3");
    EXPECT_EQ(Items(List), (Lines{"a=1", "B=20", "c=3"}));
    List.SetValues("A", "");
    List.SetValues("absent", "");
    EXPECT_EQ(Items(List), (Lines{"B=20", "c=3"}));

    List.SetNameValueSeparator(':');
    List.SetValues("key", "v");
    EXPECT_EQ(List.Values("KEY"), "v");
    EXPECT_EQ(List.Strings(2), "key:v");
    List.SetValueFromIndex(2, "w");
    EXPECT_EQ(List.Strings(2), "key:w");
}

TEST(StringListNameValue, SetValuesOnSortedListKeepsOrderAndObject)
{
    TStringList List;
    List.SetSorted(true);
    TTag Tag(7);
    List.AddObject("m=1", &Tag);
    List.Add("b=1");
    List.SetValues("z", "9");
    List.SetValues("M", "0");
    EXPECT_EQ(Items(List), (Lines{"b=1", "M=0", "z=9"}));
    EXPECT_EQ(List.Objects(1), &Tag);
}

TEST(StringListSorted, AddKeepsLocaleOrderIgnoringCase)
{
    TStringList List;
    List.SetSorted(true);
    for (const char* S : {"delta", "Alpha", "charlie", "Bravo", "äpfel", "Zulu", "Éclair"})
        List.Add(S);
    EXPECT_EQ(Items(List), (Lines{"Alpha", "äpfel", "Bravo", "charlie", "delta", "Éclair", "Zulu"}));
    Integer Index = -1;
    EXPECT_TRUE(List.Find("CHARLIE", Index));
    EXPECT_EQ(Index, 3);
    EXPECT_FALSE(List.Find("coffee", Index));
    EXPECT_EQ(Index, 4);
    EXPECT_EQ(List.IndexOf("ÄPFEL"), 1);
}

TEST(StringListSorted, DuplicatesRule)
{
    struct {
        TDuplicates Rule;
        Integer Count;
        bool Raises;
    } Cases[] = {{dupIgnore, 2, false}, {dupAccept, 3, false}, {dupError, 2, true}};
    for (const auto& Case : Cases) {
        TStringList List;
        List.SetSorted(true);
        List.SetDuplicates(Case.Rule);
        List.Add("b");
        List.Add("a");
        if (Case.Raises) {
            try {
                List.Add("B");
                ADD_FAILURE() << "no exception";
            } catch (const EStringListError& E) {
                EXPECT_EQ(E.Message(), "String list does not allow duplicates");
            }
        } else {
            const Integer Index = List.Add("B");
            EXPECT_EQ(Index, 1);
        }
        EXPECT_EQ(List.Count(), Case.Count);
    }
}

TEST(StringListSorted, FindAnswersFirstOfEqualStringsWithDupAccept)
{
    TStringList List;
    List.SetSorted(true);
    List.SetDuplicates(dupAccept);
    for (const char* S : {"x", "a", "x", "X", "b", "x", "z"})
        List.Add(S);
    Integer Index = -1;
    EXPECT_TRUE(List.Find("x", Index));
    EXPECT_EQ(Index, 2);
    EXPECT_EQ(List.IndexOf("X"), 2);
    EXPECT_EQ(List.Count(), 7);
}

TEST(StringListSorted, ChangesThatWouldBreakTheOrderAreRefused)
{
    TStringList List;
    Fill(List, {"c", "a", "b"});
    List.SetSorted(true);
    EXPECT_EQ(Items(List), (Lines{"a", "b", "c"}));
    for (auto Action : std::vector<std::function<void()>>{
             [&] { List.Insert(0, "z"); },
             [&] { List.SetStrings(0, "z"); },
             [&] { List.Move(0, 2); },
         }) {
        try {
            Action();
            ADD_FAILURE() << "no exception";
        } catch (const EStringListError& E) {
            EXPECT_EQ(E.Message(), "Operation not allowed on sorted list");
        }
    }
    EXPECT_EQ(Items(List), (Lines{"a", "b", "c"}));
}

TEST(StringListSorted, CaseSensitiveSwitchReordersSoFindStaysRight)
{
    TStringList List;
    List.SetSorted(true);
    List.SetDuplicates(dupAccept);
    for (const char* S : {"b", "B", "a", "A"})
        List.Add(S);
    List.SetCaseSensitive(true);
    // The locale's order: each small letter just before its capital.
    EXPECT_EQ(Items(List), (Lines{"a", "A", "b", "B"}));
    for (const char* S : {"A", "B", "a", "b"}) {
        Integer Index = -1;
        EXPECT_TRUE(List.Find(S, Index)) << S;
        EXPECT_EQ(List.Strings(Index), S);
    }
    EXPECT_EQ(List.IndexOf("c"), -1);
}

TEST(StringListSearch, IndexOfFollowsCaseSensitivity)
{
    TStringList List;
    Fill(List, {"Apple", "Über", "apple"});
    EXPECT_EQ(List.IndexOf("APPLE"), 0);
    EXPECT_EQ(List.IndexOf("über"), 1);
    List.SetCaseSensitive(true);
    EXPECT_EQ(List.IndexOf("apple"), 2);
    EXPECT_EQ(List.IndexOf("über"), -1);
    EXPECT_EQ(List.IndexOf("Über"), 1);
}

TEST(StringListSort, SortAndCustomSortKeepObjectsWithStrings)
{
    TStringList List;
    std::vector<std::unique_ptr<TTag>> Tags;
    const Lines Source = {"pear", "Fig", "banana", "apple", "kiwi", "date", "cherry", "Fig"};
    for (std::size_t I = 0; I < Source.size(); ++I) {
        Tags.push_back(std::make_unique<TTag>(static_cast<int>(I)));
        List.AddObject(Source[I], Tags.back().get());
    }
    List.Sort();
    EXPECT_EQ(Items(List), (Lines{"apple", "banana", "cherry", "date", "Fig", "Fig", "kiwi", "pear"}));
    for (Integer I = 0; I < List.Count(); ++I)
        EXPECT_EQ(Source[static_cast<std::size_t>(static_cast<TTag*>(List.Objects(I))->Value)],
                  List.Strings(I));

    List.CustomSort([](TStringList* L, Integer A, Integer B) {
        return static_cast<Integer>(L->Strings(B).size()) - static_cast<Integer>(L->Strings(A).size());
    });
    for (Integer I = 1; I < List.Count(); ++I)
        EXPECT_GE(List.Strings(I - 1).size(), List.Strings(I).size());
}

TEST(StringListSort, InconsistentCompareNeitherCrashesNorLosesStrings)
{
    TStringList List;
    for (int I = 0; I < 200; ++I)
        List.Add(std::to_string(I * 7919 % 200));
    unsigned Seed = 1;
    List.CustomSort([&](TStringList*, Integer, Integer) {
        Seed = Seed * 1103515245u + 12345u;
        return static_cast<Integer>(Seed >> 16) % 3 - 1;
    });
    List.CustomSort([](TStringList*, Integer, Integer) { return -1; });
    List.CustomSort([](TStringList*, Integer, Integer) { return 1; });
    List.SetSorted(true);
    ASSERT_EQ(List.Count(), 200);
    for (int I = 0; I < 200; ++I)
        EXPECT_GE(List.IndexOf(std::to_string(I)), 0);
}

TEST(StringListIndexes, OutOfBoundsRaisesWithTheIndex)
{
    TStringList List;
    Fill(List, {"a", "b"});
    const struct {
        std::function<void()> Action;
        const char* Message;
    } Cases[] = {
        {[&] { List.Strings(2); }, "List index out of bounds (2)"},
        {[&] { List.Strings(-1); }, "List index out of bounds (-1)"},
        {[&] { List.Objects(5); }, "List index out of bounds (5)"},
        {[&] { List.SetObjects(2, nullptr); }, "List index out of bounds (2)"},
        {[&] { List.Delete(2); }, "List index out of bounds (2)"},
        {[&] { List.Insert(3, "x"); }, "List index out of bounds (3)"},
        {[&] { List.Exchange(0, 9); }, "List index out of bounds (9)"},
        {[&] { List.Move(0, 2); }, "List index out of bounds (2)"},
        {[&] { List.Names(4); }, "List index out of bounds (4)"},
    };
    for (const auto& Case : Cases) {
        try {
            Case.Action();
            ADD_FAILURE() << "no exception for " << Case.Message;
        } catch (const EStringListError& E) {
            EXPECT_EQ(E.Message(), Case.Message);
        }
    }
    EXPECT_EQ(Items(List), (Lines{"a", "b"}));
}

TEST(StringListEditing, InsertDeleteExchangeMoveCarryObjects)
{
    TTag A(1), B(2), C(3);
    TStringList List;
    List.AddObject("a", &A);
    List.AddObject("b", &B);
    List.InsertObject(0, "c", &C);
    EXPECT_EQ(Items(List), (Lines{"c", "a", "b"}));
    List.Exchange(0, 2);
    EXPECT_EQ(Items(List), (Lines{"b", "a", "c"}));
    EXPECT_EQ(List.Objects(0), &B);
    EXPECT_EQ(List.Objects(2), &C);
    List.Move(0, 2);
    EXPECT_EQ(Items(List), (Lines{"a", "c", "b"}));
    EXPECT_EQ(List.Objects(2), &B);
    EXPECT_EQ(List.IndexOfObject(&C), 1);
    List.Delete(1);
    EXPECT_EQ(Items(List), (Lines{"a", "b"}));
    EXPECT_EQ(List.IndexOfObject(&C), -1);
    List.SetStrings(1, "B2");
    EXPECT_EQ(List.Objects(1), &B);
}

TEST(StringListEvents, ChangeEventsFireOutsideUpdatesOnly)
{
    TStringList List;
    int Changing = 0, Change = 0;
    List.OnChanging = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &List);
        ++Changing;
    };
    List.OnChange = [&](TObject*) { ++Change; };

    List.Add("a");
    EXPECT_EQ(Changing, 1);
    EXPECT_EQ(Change, 1);

    List.BeginUpdate();
    List.BeginUpdate();
    List.Add("b");
    List.Delete(0);
    List.SetText("x\ny\nz");
    List.EndUpdate();
    EXPECT_EQ(Change, 1) << "no change announced inside an update";
    List.EndUpdate();
    EXPECT_EQ(Changing, 2);
    EXPECT_EQ(Change, 2);

    // A whole text replaced outside an update is one change.
    List.SetCommaText("p,q,r");
    EXPECT_EQ(Change, 3);
    List.Clear();
    List.Clear();
    EXPECT_EQ(Change, 4) << "clearing an empty list changes nothing";
    // Extra EndUpdate calls do not unbalance later updates.
    List.EndUpdate();
    List.BeginUpdate();
    List.Add("s");
    EXPECT_EQ(Change, 4);
    List.EndUpdate();
    EXPECT_EQ(Change, 5);
}

TEST(StringListAssign, CopiesStringsObjectsAndTextSettings)
{
    TTag Tag(1);
    TStringList Source;
    Source.AddObject("one", &Tag);
    Source.Add("two");
    Source.SetDelimiter(';');
    TStringList Target;
    Target.Add("old");
    Target.Assign(&Source);
    EXPECT_EQ(Items(Target), (Lines{"one", "two"}));
    EXPECT_EQ(Target.Objects(0), &Tag);
    EXPECT_EQ(Target.Delimiter(), ';');
    EXPECT_TRUE(Target.Equals(&Source));

    // A sorted target sorts what it receives.
    TStringList Sorted;
    Sorted.SetSorted(true);
    Sorted.Assign(&Source);
    Source.SetStrings(1, "TWO");
    EXPECT_EQ(Items(Sorted), (Lines{"one", "two"}));
    EXPECT_FALSE(Sorted.Equals(&Source));

    try {
        Target.Assign(nullptr);
        ADD_FAILURE();
    } catch (const EConvertError& E) {
        EXPECT_EQ(E.Message(), "Cannot assign a nil to a TStringList");
    }
}

TEST(StringListAssign, AddingAListToItselfDoublesWhatItHeld)
{
    TTag Tag(1);
    TStringList Plain;
    Plain.AddObject("one", &Tag);
    Plain.Add("two");
    Plain.AddStrings(&Plain);
    EXPECT_EQ(Items(Plain), (Lines{"one", "two", "one", "two"}));
    EXPECT_EQ(Plain.Objects(2), &Tag);

    // A sorted list places the copies beside their originals, every item copied once.
    TStringList Sorted;
    Sorted.SetSorted(true);
    Sorted.SetDuplicates(dupAccept);
    Sorted.Add("b");
    Sorted.Add("a");
    Sorted.Add("c");
    Sorted.AddStrings(&Sorted);
    EXPECT_EQ(Items(Sorted), (Lines{"a", "a", "b", "b", "c", "c"}));
}

TEST(StringListFiles, SaveWritesCrLfAndLoadAcceptsEveryBreak)
{
    const uitest::TempFolder Dir;
    const std::string Path = Dir.File("stringlist_test.txt");
    TStringList List;
    Fill(List, {"name=Grüße", "", "日本語"});
    List.SaveToFile(Path);
    EXPECT_EQ(uitest::ReadWholeFile(Path), "name=Grüße\r\n\r\n日本語\r\n");

    uitest::WriteWholeFile(Path, "\xEF\xBB\xBFkey=1\nb\rc\r\nd");
    List.LoadFromFile(Path);
    EXPECT_EQ(Items(List), (Lines{"key=1", "b", "c", "d"}));
    EXPECT_EQ(List.Values("KEY"), "1");
    std::remove(Path.c_str());

    EXPECT_THROW(List.LoadFromFile(Path), EFOpenError);
    EXPECT_EQ(Items(List), (Lines{"key=1", "b", "c", "d"})) << "a failed load keeps the list";
}

TEST(StringListStreams, LoadReadsFromThePositionAndSaveWritesAtIt)
{
    TStringStream Stream("skip|a\r\nb");
    Stream.SetPosition(5);
    TStringList List;
    List.LoadFromStream(&Stream);
    EXPECT_EQ(Items(List), (Lines{"a", "b"}));

    TStringStream Out("head:");
    Out.Seek(0, soEnd);
    List.SaveToStream(&Out);
    EXPECT_EQ(Out.DataString(), "head:a\r\nb\r\n");
}
