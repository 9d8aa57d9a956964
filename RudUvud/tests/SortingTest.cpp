// Sorting: each style both ways and back to the first order, the tie-break over the following
// columns, blanks, the multi-column index, the settings' text form, and the rows' companions
// (heights, properties, disjunct marks, the current row) travelling with their rows.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

class SortingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDefaultFormatSettings();
        FormatSettings.DateSeparator = '/';
        FormatSettings.ShortDateFormat = "dd/mm/yyyy";
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 4, 2);
    }
    void TearDown() override { Form->Free(); }
    void Fill(Integer ACol, const std::vector<std::string>& Texts)
    {
        G->SetRowCount(static_cast<Integer>(Texts.size()) + 1);
        for (size_t I = 0; I < Texts.size(); ++I)
            G->SetCells(ACol, static_cast<Integer>(I) + 1, Texts[I]);
    }
    std::vector<std::string> Column(Integer ACol)
    {
        std::vector<std::string> V;
        for (Integer R = 1; R < G->RowCount(); ++R)
            V.push_back(G->Cells(ACol, R));
        return V;
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

using Texts = std::vector<std::string>;

TEST_F(SortingTest, EachStyleSortsBothWaysAndBack)
{
    struct Case {
        const char* Name;
        TSortStyle Style; // ssAutomatic: detected
        Texts In, Up;
    };
    const Case Cases[] = {
        {"text", ssAutomatic, {"pear", "Apple", "fig", "banana"}, {"Apple", "banana", "fig", "pear"}},
        {"no case", ssAlphaNoCase, {"b", "A", "a", "B"}, {"A", "a", "B", "b"}},
        {"numbers", ssAutomatic, {"10", "9", "-2.5", "100", "0"}, {"-2.5", "0", "9", "10", "100"}},
        {"dates",
         ssAutomatic,
         {"02/01/2024", "31/12/2023", "01/02/2024"},
         {"31/12/2023", "02/01/2024", "01/02/2024"}},
        {"EU dates", ssShortDateEU, {"2.1.2024", "31.12.2023"}, {"31.12.2023", "2.1.2024"}},
        {"US dates", ssShortDateUS, {"1/2/2024", "12/31/2023"}, {"12/31/2023", "1/2/2024"}},
        {"financial", ssFinancial, {"1,200.50", "999", "12,000"}, {"999", "1,200.50", "12,000"}},
        {"alphanumeric", ssAlphaNumeric, {"b", "10", "a"}, {"10", "a", "b"}},
    };
    for (const Case& K : Cases) {
        Fill(1, K.In);
        G->OnGetFormat = [&](TObject*, Integer, TSortStyle& S, AnsiString&, AnsiString&) {
            if (K.Style != ssAutomatic)
                S = K.Style;
        };
        G->InitSortXRef();
        G->Sort(1, sdAscending);
        EXPECT_EQ(Column(1), K.Up) << K.Name;
        G->Sort(1, sdDescending);
        Texts Down(K.Up.rbegin(), K.Up.rend());
        EXPECT_EQ(Column(1), Down) << K.Name;
        G->QUnSort();
        EXPECT_EQ(Column(1), K.In) << K.Name;
    }
}

TEST_F(SortingTest, TiesAreBrokenByTheFollowingColumnsThenKeepTheirOrder)
{
    G->SetColCount(5);
    Fill(1, {"b", "a", "b", "a", "b"});
    const char* Second[] = {"2", "2", "1", "1", "1"};
    const char* Id[] = {"r1", "r2", "r3", "r4", "r5"};
    for (Integer R = 1; R <= 5; ++R) {
        G->SetCells(2, R, Second[R - 1]);
        G->SetCells(4, R, Id[R - 1]);
    }
    G->Sort(1, sdAscending);
    EXPECT_EQ(Column(4), (Texts{"r4", "r2", "r3", "r5", "r1"}));
    // Without the tie-break only the sort column decides; equal rows keep their order.
    G->QUnSort();
    G->SortSettings()->Full = false;
    G->Sort(1, sdAscending);
    EXPECT_EQ(Column(4), (Texts{"r2", "r4", "r1", "r3", "r5"}));
    G->Sort(1, sdDescending);
    EXPECT_EQ(Column(4), (Texts{"r1", "r3", "r5", "r2", "r4"}));
}

TEST_F(SortingTest, BlanksGoWhereAskedInBothDirections)
{
    TSortSettings* S = G->SortSettings();
    S->IgnoreBlanks = true;
    for (TSortBlankPosition Pos : {blFirst, blLast})
        for (TSortDirection Dir : {sdAscending, sdDescending}) {
            Fill(1, {"2", "", "1", "3"});
            S->BlankPos = Pos;
            G->Sort(1, Dir);
            const Texts V = Column(1);
            EXPECT_EQ(Pos == blFirst ? V.front() : V.back(), "") << Pos << Dir;
        }
}

TEST_F(SortingTest, CustomAndRawComparisons)
{
    Fill(1, {"ccc", "a", "bb"});
    G->OnGetFormat = [](TObject*, Integer, TSortStyle& S, AnsiString&, AnsiString&) { S = ssCustom; };
    G->OnCustomCompare = [](TObject*, const AnsiString& A, const AnsiString& B, Integer& Res) {
        Res = A.size() < B.size() ? 1 : (A.size() > B.size() ? -1 : 0); // longest first
    };
    G->Sort(1, sdAscending);
    EXPECT_EQ(Column(1), (Texts{"ccc", "bb", "a"}));
    G->OnGetFormat = [](TObject*, Integer, TSortStyle& S, AnsiString&, AnsiString&) { S = ssRaw; };
    G->OnRawCompare = [this](TObject*, Integer C, Integer R1, Integer R2, Integer& Res) {
        Res = G->Cells(C, R1).compare(G->Cells(C, R2)) < 0 ? -1 : 1;
    };
    G->Sort(1, sdAscending);
    EXPECT_EQ(Column(1), (Texts{"a", "bb", "ccc"}));
}

TEST_F(SortingTest, IndexSortAndTheSettingsText)
{
    Fill(1, {"x", "y", "x", "y"});
    for (Integer R = 1; R <= 4; ++R)
        G->SetCells(2, R, std::to_string(R));
    TSortSettings* S = G->SortSettings();
    S->SortIndexes.AddIndex(1, false);
    S->SortIndexes.AddIndex(2, true);
    G->QSortIndexed();
    EXPECT_EQ(Column(2), (Texts{"2", "4", "1", "3"}));
    const AnsiString Saved = S->SaveToString();
    EXPECT_EQ(Saved, "-1:0:d1;u2");
    G->QUnSort();
    EXPECT_EQ(Column(2), (Texts{"1", "2", "3", "4"}));
    S->SortIndexes.Clear();
    S->LoadFromString(Saved);
    EXPECT_EQ(Column(2), (Texts{"2", "4", "1", "3"}));
    // A text that does not parse changes nothing.
    S->LoadFromString("junk");
    EXPECT_EQ(S->SortIndexes.SaveToString(), "d1;u2");
    S->LoadFromString("2:1:");
    EXPECT_EQ(S->Column, 2);
    EXPECT_EQ(Column(2), (Texts{"4", "3", "2", "1"}));
}

TEST_F(SortingTest, RowsCarryTheirHeightsPropertiesMarksAndTheCurrentRow)
{
    Fill(1, {"c", "a", "b"});
    G->SetRowHeights(1, 40);
    G->GetCellProperties(2, 1)->SetReadOnly(true);
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->SetRowSelect(1, true);
    G->SetRow(1);
    G->Navigation()->MoveRowOnSort = true;
    G->Sort(1, sdAscending);
    EXPECT_EQ(Column(1), (Texts{"a", "b", "c"}));
    EXPECT_EQ(G->RowHeights(3), 40);
    EXPECT_EQ(G->RowHeights(1), G->DefaultRowHeight());
    EXPECT_TRUE(G->GetCellProperties(2, 3)->ReadOnly());
    EXPECT_TRUE(G->GetRowSelect(3));
    EXPECT_FALSE(G->GetRowSelect(1));
    EXPECT_EQ(G->Row(), 3) << "the current row follows its data";
    // Without MoveRowOnSort the row stays and OnRowUpdate names where the data went.
    G->Navigation()->MoveRowOnSort = false;
    std::pair<Integer, Integer> Upd{-1, -1};
    G->OnRowUpdate = [&](TObject*, Integer O, Integer N) { Upd = {O, N}; };
    G->Sort(1, sdDescending);
    EXPECT_EQ(G->Row(), 3);
    EXPECT_EQ(Upd, (std::pair<Integer, Integer>{3, 1}));
    EXPECT_EQ(G->SortedRowIndex(1), 1);
    EXPECT_EQ(G->UnSortedRowIndex(1), 1);
    EXPECT_EQ(G->GetUnSortedCell(1, 2), "a");
}

TEST_F(SortingTest, FixedRowsFootersAndColumnZeroStay)
{
    G->SetFixedFooters(1);
    Fill(1, {"c", "a", "b", "total"});
    G->SetCells(0, 1, "1");
    G->SetCells(0, 2, "2");
    G->SetCells(0, 3, "3");
    G->SetCells(1, 0, "head");
    G->SortSettings()->NormalCellsOnly = true;
    G->Sort(1, sdAscending);
    EXPECT_EQ(Column(1), (Texts{"a", "b", "c", "total"}));
    EXPECT_EQ(Column(0), (Texts{"1", "2", "3", ""}));
    EXPECT_EQ(G->Cells(1, 0), "head");
}

TEST_F(SortingTest, LargeRandomSortIsOrderedAndUndone)
{
    std::mt19937 Rng(7);
    Texts In;
    for (int I = 0; I < 5000; ++I)
        In.push_back(std::to_string(Rng() % 1000));
    Fill(1, In);
    for (Integer R = 1; R <= 5000; ++R)
        G->SetCells(2, R, std::to_string(R));
    G->InitSortXRef();
    G->Sort(1, sdAscending);
    std::vector<int> V;
    for (const std::string& S : Column(1))
        V.push_back(std::stoi(S));
    EXPECT_TRUE(std::is_sorted(V.begin(), V.end()));
    G->QUnSort();
    EXPECT_EQ(Column(1), In);
    EXPECT_EQ(Column(2)[4999], "5000");
}

TEST_F(SortingTest, MarksFollowTheirRowsAboveHiddenRows)
{
    for (bool Persistent : {false, true}) {
        Fill(1, {"h", "c", "a", "b"});
        G->UnHideRowsAll();
        G->MouseActions()->SetDisjunctRowSelect(true);
        G->MouseActions()->RowSelectPersistent = Persistent;
        G->ClearRowSelect();
        G->HideRow(1); // "h" leaves the display: "c" is display row 1, real row 2
        G->SetRowSelect(Persistent ? 2 : 1, true);
        G->Sort(1, sdAscending);
        EXPECT_EQ(G->Cells(1, 3), "c");
        EXPECT_TRUE(G->GetRowSelect(Persistent ? 4 : 3)) << Persistent;
        EXPECT_EQ(G->GetRowSelectCount(), 1) << Persistent;
        G->UnHideRowsAll();
    }
}

TEST_F(SortingTest, TheFirstOrderComesBackAroundHiddenRows)
{
    // Each case: rows hidden (by real index) before or after the sort, an optional row added
    // while they are hidden; QUnSort restores the first order of the shown rows at once and of
    // every row once all are shown again.
    struct Case {
        const char* Name;
        bool HideBeforeSort;
        bool Insert;
        Texts Shown, All;
    };
    const Case Cases[] = {
        {"hidden after the sort", false, false, {"c", "d", "b"}, {"c", "a", "d", "b"}},
        {"hidden before the sort", true, false, {"c", "d", "b"}, {"c", "a", "d", "b"}},
        {"a row added while hidden", false, true, {"c", "d", "b", "new"}, {"c", "a", "d", "b", "new"}},
    };
    for (const Case& K : Cases) {
        G->UnHideRowsAll();
        Fill(1, {"c", "a", "d", "b"});
        G->InitSortXRef();
        if (K.HideBeforeSort)
            G->HideRow(2); // "a"
        G->Sort(1, sdDescending);
        if (!K.HideBeforeSort)
            G->HideRow(4); // "a", last after the descending sort
        if (K.Insert) {
            G->InsertRows(2, 1);
            G->SetCells(1, 2, "new");
        }
        G->QUnSort();
        EXPECT_EQ(Column(1), K.Shown) << K.Name;
        G->UnHideRowsAll();
        EXPECT_EQ(Column(1), K.All) << K.Name;
        EXPECT_EQ(G->SortedRowIndex(2), 2) << K.Name;
    }
}

TEST_F(SortingTest, SortLineExchangesTwoRowsOutOfOrder)
{
    Fill(1, {"b", "a", "a", "a"});
    Fill(2, {"x", "y", "z", "z"});
    G->SetCells(3, 3, "2");
    G->SetCells(3, 4, "1");
    G->SetRowHeights(1, 30);
    EXPECT_TRUE(G->SortLine(1, 1, 2));
    EXPECT_EQ(Column(1), (Texts{"a", "b", "a", "a"}));
    EXPECT_EQ(G->RowHeights(2), 30) << "the row travels whole";
    EXPECT_FALSE(G->SortLine(1, 1, 2)) << "in order already";
    EXPECT_TRUE(G->SortLine(1, 3, 1)) << "a tie decided by the next column: z after y";
    EXPECT_EQ(Column(2), (Texts{"z", "x", "y", "z"}));
    EXPECT_TRUE(G->SortLine(1, 1, 4)) << "a tie over two columns goes to the third";
    EXPECT_EQ(Column(3), (Texts{"1", "", "", "2"}));
    G->SetCells(3, 4, "1");
    EXPECT_FALSE(G->SortLine(1, 1, 4)) << "equal rows stay";
    G->SortSettings()->Direction = sdDescending;
    EXPECT_TRUE(G->SortLine(1, 1, 2));
    EXPECT_EQ(Column(1), (Texts{"b", "a", "a", "a"}));
}

TEST_F(SortingTest, GlyphsAreCopiedBySettersAndAssign)
{
    TBitmap B;
    B.SetWidth(8);
    B.SetHeight(6);
    G->SortSettings()->SetUpGlyph(&B);
    B.SetWidth(3);
    EXPECT_EQ(G->SortSettings()->UpGlyph()->Width(), 8) << "the setter copies";
    TSortSettings Other;
    Other.Assign(G->SortSettings());
    EXPECT_EQ(Other.UpGlyph()->Width(), 8);
    EXPECT_NE(Other.UpGlyph(), G->SortSettings()->UpGlyph());
    EXPECT_TRUE(Other.DownGlyph()->Empty());
}

} // namespace

// Texts that differ only beyond their first eight or sixteen bytes, in case only, in length only
// or in bytes above 0x7F, blanks and numbers around zero: each style and direction gives the
// order its comparison defines, equal rows in their first order.
TEST_F(SortingTest, LongSharedPrefixesCaseAndZeroOrderAsTheirComparison)
{
    std::mt19937 Rng(7);
    const std::string Stems[] = {"",
                                 "Name Abc",
                                 "Name Abc 1234567",
                                 "name abc 1234567",
                                 "Name Abc 12345678",
                                 "Name \xC3\xA9t\xC3\xA9",
                                 "NAME"};
    Texts Words;
    for (int I = 0; I < 300; ++I) {
        std::string W = Stems[Rng() % std::size(Stems)];
        const unsigned Tail = Rng() % 4;
        for (unsigned K = 0; K < Tail; ++K)
            W += static_cast<char>("aBz~\x01"[Rng() % 5]);
        Words.push_back(W);
    }
    Texts Numbers;
    const char* NumberTexts[] = {"0", "-0", "0.0", "-1.5", "1e3", "-1e3", "7", "", "12.25"};
    for (int I = 0; I < 300; ++I)
        Numbers.push_back(NumberTexts[Rng() % std::size(NumberTexts)]);

    auto Upper = [](std::string S) {
        for (char& C : S)
            if (C >= 'a' && C <= 'z')
                C = static_cast<char>(C - 32);
        return S;
    };
    // -1, 0 or 1 by the style's comparison, ascending.
    auto ByStyle = [&](TSortStyle St, const std::string& A, const std::string& B) {
        if (St == ssNumeric) {
            const double X = A.empty() ? 0 : std::stod(A), Y = B.empty() ? 0 : std::stod(B);
            return X < Y ? -1 : (X > Y ? 1 : 0);
        }
        if (St == ssAlphaNoCase) {
            const int U = Upper(A.substr(0, std::min(A.size(), B.size())))
                              .compare(Upper(B.substr(0, std::min(A.size(), B.size()))));
            if (U != 0)
                return U < 0 ? -1 : 1;
            if (A.size() != B.size())
                return A.size() < B.size() ? -1 : 1;
        }
        const int C = A.compare(B);
        return C < 0 ? -1 : (C > 0 ? 1 : 0);
    };

    TSortSettings* S = G->SortSettings();
    S->Full = false;
    for (TSortStyle St : {ssAlphabetic, ssAlphaNoCase, ssNumeric})
        for (TSortDirection Dir : {sdAscending, sdDescending})
            for (bool Blanks : {false, true}) {
                const Texts& In = St == ssNumeric ? Numbers : Words;
                Fill(1, In);
                Texts Ids;
                for (size_t I = 0; I < In.size(); ++I) {
                    Ids.push_back(std::to_string(I));
                    G->SetCells(2, static_cast<Integer>(I) + 1, Ids.back());
                }
                G->OnGetFormat = [&](TObject*, Integer, TSortStyle& Style, AnsiString&, AnsiString&) {
                    Style = St;
                };
                S->IgnoreBlanks = Blanks;
                S->BlankPos = blLast;
                G->InitSortXRef();
                G->Sort(1, Dir);
                std::vector<size_t> Want(In.size());
                std::iota(Want.begin(), Want.end(), 0);
                std::stable_sort(Want.begin(), Want.end(), [&](size_t A, size_t B) {
                    if (Blanks && In[A].empty() != In[B].empty())
                        return In[B].empty();
                    const int R = ByStyle(St, In[A], In[B]);
                    return Dir == sdAscending ? R < 0 : R > 0;
                });
                Texts WantIds;
                for (size_t I : Want)
                    WantIds.push_back(Ids[I]);
                EXPECT_EQ(Column(2), WantIds) << St << " " << Dir << " " << Blanks;
                G->QUnSort();
            }
}

namespace {

// The values number columns sort by, whatever form the text takes: plain decimal texts and the
// ones that need the prefix, suffix, separators or blanks taken off order alike.
TEST_F(SortingTest, NumberTextsOfEveryFormOrderByTheirValues)
{
    struct Case {
        const char* Name;
        TSortStyle Style;
        char Decimal, Thousands;
        const char *Prefix, *Suffix;
        Texts In, Up;
    };
    const Case Cases[] = {
        {"plain",
         ssNumeric,
         '.',
         ',',
         "",
         "",
         {"12 ", "+3", "1e2", "-.5", "1.", " 7", "0x10", "-0", "abc", "2.50"},
         // "abc" counts as 0 beside "-0"; equal values keep their order.
         {"-.5", "-0", "abc", "1.", "2.50", "+3", " 7", "12 ", "0x10", "1e2"}},
        {"overflow", ssNumeric, '.', ',', "", "", {"1e999", "5", "-1e999"}, {"-1e999", "5", "1e999"}},
        {"decimal comma",
         ssNumeric,
         ',',
         '.',
         "",
         "",
         {"1,5", "1,25", "-2", "10"},
         {"-2", "1,25", "1,5", "10"}},
        {"thousands",
         ssFinancial,
         '.',
         ',',
         "",
         "",
         {"1,000.5", "999.75", "-1,000"},
         {"-1,000", "999.75", "1,000.5"}},
        {"prefix and suffix",
         ssNumeric,
         '.',
         ',',
         "$",
         "%",
         {"$12%", "$3%", "$-1%", "4"},
         {"$-1%", "$3%", "4", "$12%"}},
    };
    for (const Case& K : Cases) {
        FormatSettings.DecimalSeparator = K.Decimal;
        FormatSettings.ThousandSeparator = K.Thousands;
        Fill(1, K.In);
        G->OnGetFormat = [&](TObject*, Integer, TSortStyle& S, AnsiString& P, AnsiString& Sf) {
            S = K.Style;
            P = K.Prefix;
            Sf = K.Suffix;
        };
        G->InitSortXRef();
        G->Sort(1, sdAscending);
        EXPECT_EQ(Column(1), K.Up) << K.Name;
        G->QUnSort();
        EXPECT_EQ(Column(1), K.In) << K.Name;
    }
}

// Sorting by the displayed texts: the order is the display hook's, and a hook that writes cells
// while the keys are read (here into columns far to the right, which regrows every row) leaves
// the sort sound.
TEST_F(SortingTest, DisplayedTextsOrderAndAHookThatWritesCellsIsHarmless)
{
    Fill(1, {"c", "a", "b", "d"});
    Fill(2, {"1", "2", "3", "4"});
    G->SortSettings()->SortOnVirtualCells = true;
    G->SetDisplayLimit(G->RowCount());
    Integer Writes = 0;
    G->OnGetDisplText = [&](TObject*, Integer ACol, Integer ARow, AnsiString& Value) {
        if (ACol == 1)
            Value = Value == "a" ? "z" : Value; // "a" shows as "z"
        G->SetCells(40 + Writes % 8, ARow, "x");
        ++Writes;
    };
    G->InitSortXRef();
    G->Sort(1, sdAscending);
    EXPECT_EQ(Column(1), (Texts{"b", "c", "d", "a"}));
    EXPECT_GT(Writes, 0);
    G->SortSettings()->SortOnVirtualCells = false;
    G->Sort(1, sdAscending);
    EXPECT_EQ(Column(1), (Texts{"a", "b", "c", "d"}));
}

// The passes the sorts run, called on their own over part of the rows: the rows outside stay, and
// the indexed comparison carries each entry's direction.
TEST_F(SortingTest, SortPassesOverPartOfTheRowsAndTheIndexedComparison)
{
    Fill(1, {"d", "b", "c", "a", "e", "b"});
    Fill(2, {"1", "2", "3", "4", "5", "6"});
    G->InitSortXRef();
    G->QuickSortRows(1, 2, 5);
    EXPECT_EQ(Column(1), (Texts{"d", "a", "b", "c", "e", "b"}));
    EXPECT_EQ(Column(2), (Texts{"1", "4", "2", "3", "5", "6"}));
    G->QuickSortRowsRef(0, 1, 4);
    EXPECT_EQ(Column(2), (Texts{"1", "2", "3", "4", "5", "6"}));

    TSortSettings* S = G->SortSettings();
    S->SortIndexes.AddIndex(1, false); // column 1 descending
    S->SortIndexes.AddIndex(2, true);  // then column 2 ascending
    G->QuickSortRowsIndexed(0, 1, 6);
    EXPECT_EQ(Column(1), (Texts{"e", "d", "c", "b", "b", "a"}));
    EXPECT_EQ(Column(2), (Texts{"5", "1", "3", "2", "6", "4"}));
    G->QuickSortRowsIndexed(1, 1, 6); // from the second entry: column 2 alone
    EXPECT_EQ(Column(2), (Texts{"1", "2", "3", "4", "5", "6"}));

    struct Case {
        Integer Index, Row1, Row2;
        bool Full;
        Integer Want;
    };
    // Rows 2 and 6 hold "b"; rows 1 ("d") and 4 ("a").
    const Case Cases[] = {
        {0, 1, 4, true, -1},                      // "d" before "a" when descending
        {0, 4, 1, true, 1},  {0, 2, 6, true, -1}, // tie on "b": column 2 ascending decides
        {0, 2, 6, false, 0},                      // without Full the first entry alone
        {1, 6, 2, true, 1},  {2, 1, 4, true, 0},  // past the entries
    };
    for (const Case& K : Cases) {
        S->Full = K.Full;
        EXPECT_EQ(G->CompareLineIndexed(K.Index, K.Row1, K.Row2), K.Want)
            << K.Index << " " << K.Row1 << " " << K.Row2 << " " << K.Full;
    }
}

// Sorting inside groups: only the groups of the deepest node level are ordered, each within its
// own rows; node rows, shallower rows, contracted groups and rows outside nodes stay.
TEST_F(SortingTest, GroupSortsOrderTheDeepestGroupsOnly)
{
    // Row 1 a node over rows 1..7, row 2 a nested node over 2..5, row 6 another over 6..7 (one
    // data row: nothing to order), row 8 outside any node.
    Fill(1, {"N1", "N2", "c", "a", "b", "N3", "z", "y"});
    for (Integer R = 1; R <= 8; ++R)
        G->SetCells(2, R, std::to_string(9 - R));
    G->AddNode(1, 7);
    G->AddNode(2, 4);
    G->AddNode(6, 2);
    G->SetRow(3); // "c"
    G->Navigation()->MoveRowOnSort = true;
    TSortSettings* S = G->SortSettings();
    S->Column = 1;
    S->Direction = sdAscending;
    G->QSortGroup();
    EXPECT_EQ(Column(1), (Texts{"N1", "N2", "a", "b", "c", "N3", "z", "y"}));
    EXPECT_EQ(G->Row(), 5); // the current row followed "c"
    S->Direction = sdDescending;
    G->QSortGroup();
    EXPECT_EQ(Column(1), (Texts{"N1", "N2", "c", "b", "a", "N3", "z", "y"}));

    // By the index: column 2 ascending ("c" 6, "a" 5, "b" 4 as filled).
    S->SortIndexes.AddIndex(2, true);
    G->QSortGroupIndexed();
    EXPECT_EQ(Column(1), (Texts{"N1", "N2", "b", "a", "c", "N3", "z", "y"}));

    // A contracted group of the deepest level is left as it is; without a column nothing moves.
    G->ContractNode(2);
    S->Direction = sdAscending;
    G->QSortGroup();
    G->ExpandNode(2);
    EXPECT_EQ(Column(1), (Texts{"N1", "N2", "b", "a", "c", "N3", "z", "y"}));
    S->Column = -1;
    G->QSortGroup();
    S->SortIndexes.Clear();
    G->QSortGroupIndexed();
    EXPECT_EQ(Column(1), (Texts{"N1", "N2", "b", "a", "c", "N3", "z", "y"}));

    // A header click on a grid with nodes sorts inside the groups, both ways, and never undoes.
    S->Show = true;
    S->UndoSort = true;
    G->HeaderClickSort(1, TShiftState{});
    EXPECT_EQ(Column(1), (Texts{"N1", "N2", "a", "b", "c", "N3", "z", "y"}));
    G->HeaderClickSort(1, TShiftState{});
    EXPECT_EQ(Column(1), (Texts{"N1", "N2", "c", "b", "a", "N3", "z", "y"}));
    G->HeaderClickSort(1, TShiftState{});
    EXPECT_EQ(Column(1), (Texts{"N1", "N2", "a", "b", "c", "N3", "z", "y"}));
    EXPECT_EQ(S->Column, 1);
}

} // namespace
