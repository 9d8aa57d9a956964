#include "dropdowns/DavEdevaRuvuviZaroDizu.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class LookupDropDownTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 500, 400);
        Form->Show();
        L = New<TDavEdevaRuvuviZaroDizu>(Form);
        L->SetParent(Form);
        L->SetBounds(20, 20, 200, 21);
        L->OnSelect = [this](TObject*) { ++Selects; };
        PumpUntilIdle();
        L->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    // Columns of the given widths and one row per entry of Rows (texts split at '|').
    void Fill(std::initializer_list<Integer> Widths, std::initializer_list<const char*> Rows)
    {
        for (Integer W : Widths)
            L->Columns()->Add()->SetWidth(W);
        L->BeginUpdate();
        for (const char* R : Rows) {
            TDropDownItem* Item = L->Items()->Add();
            AnsiString S = R;
            for (std::size_t P; (P = S.find('|')) != AnsiString::npos; S.erase(0, P + 1))
                Item->Text()->Add(S.substr(0, P));
            Item->Text()->Add(S);
        }
        L->EndUpdate();
    }
    void Open()
    {
        uitest::AdvanceTime(300);
        PressKey(VK_F4);
        ASSERT_TRUE(L->DroppedDown());
    }
    AnsiString Selected() { return L->Text().substr(L->SelStart(), L->SelLength()); }
    // The middle of a popup row.
    TPoint RowPoint(Integer Row)
    {
        const TRect R = L->Grid()->CellRect(0, Row);
        return TPoint{R.Left + 10, (R.Top + R.Bottom) / 2};
    }

    TForm* Form = nullptr;
    TDavEdevaRuvuviZaroDizu* L = nullptr;
    int Selects = 0;
};

TEST_F(LookupDropDownTest, TypingCompletesFromTheLookupColumn)
{
    Fill({80, 80}, {"Apple|red", "Apricot|orange", "Banana|yellow"});
    struct Step {
        const char* Keys;
        const char* Text;
        const char* Tail;
        Integer Index;
    } Steps[] = {
        {"a", "apple", "pple", 0},   // the typed letters keep their case, the tail is the entry's
        {"p", "apple", "ple", 0},    // typing replaces the selected tail
        {"r", "apricot", "icot", 1}, //
        {"x", "aprx", "", 1},        // no entry: the text stays, the row too
        {"\b", "apr", "", 1},        // Backspace does not complete again
        {"i", "apricot", "cot", 1},  // the next letter does
    };
    for (const Step& S : Steps) {
        SCOPED_TRACE(S.Keys);
        if (S.Keys[0] == '\b')
            PressKey(VK_BACK);
        else
            uitest::TypeText(S.Keys);
        EXPECT_EQ(L->Text(), S.Text);
        EXPECT_EQ(Selected(), S.Tail);
        EXPECT_EQ(L->ItemIndex(), S.Index);
    }
    EXPECT_EQ(Selects, 0);      // completion chooses no row in the popup
    EXPECT_TRUE(L->Modified()); // against the accepted value, not an empty one
    L->SetItemIndex(0);
    EXPECT_FALSE(L->Modified());

    // Enter takes the entry's letter case and its row.
    L->SetText("");
    uitest::TypeText("banana");
    PressKey(VK_END);
    PressKey(VK_RETURN);
    EXPECT_EQ(L->Text(), "Banana");
    EXPECT_EQ(L->ItemIndex(), 2);
    // Esc with a text that is no lookup value: no row, no text.
    L->SetText("");
    uitest::TypeText("zz");
    PressKey(VK_ESCAPE);
    EXPECT_EQ(L->ItemIndex(), -1);
    EXPECT_EQ(L->Text(), "");
}

TEST_F(LookupDropDownTest, LookupFollowsTheRowsWithoutEndUpdate)
{
    Fill({80}, {"Apple", "Apricot", "Banana"});
    // Rows replaced without EndUpdate: completion uses the new ones, never a row that is gone.
    L->Items()->Clear();
    L->Items()->Add()->Text()->Add("Cherry");
    uitest::TypeText("a");
    EXPECT_EQ(L->Text(), "a");
    EXPECT_EQ(L->ItemIndex(), -1);
    uitest::TypeText("\b");
    L->SetText("");
    uitest::TypeText("c");
    EXPECT_EQ(L->Text(), "cherry");
    EXPECT_EQ(L->ItemIndex(), 0);
    // Every row gone: nothing completes, the index stays within the rows.
    L->Items()->Clear();
    L->SetText("");
    uitest::TypeText("c");
    EXPECT_EQ(L->Text(), "c");
    L->SetItemIndex(0);
    EXPECT_LT(L->ItemIndex(), L->Items()->Count());
    // A lookup column the rows do not have gives empty values.
    Fill({}, {"a|b"});
    L->SetLookupColumn(1);
    L->SetItemIndex(0);
    EXPECT_EQ(L->Text(), "b");
    L->SetLookupColumn(5);
    L->SetItemIndex(-1);
    L->SetItemIndex(0);
    EXPECT_EQ(L->Text(), "");
}

TEST_F(LookupDropDownTest, AssigningRowsKeepsTheirTexts)
{
    Fill({80, 80}, {"Apple|red", "Banana|yellow"});
    auto* Other = New<TDavEdevaRuvuviZaroDizu>(Form);
    Other->SetParent(Form);
    Other->SetItems(L->Items());
    ASSERT_EQ(Other->Items()->Count(), 2);
    EXPECT_EQ(Other->Items()->Items(1)->TextOf(0), "Banana");
    EXPECT_EQ(Other->Items()->Items(1)->TextOf(1), "yellow");
    Other->SetItemIndex(1);
    EXPECT_EQ(Other->Text(), "Banana");
}

TEST_F(LookupDropDownTest, ClosedKeysAndWheelChooseRows)
{
    L->Columns()->Add();
    for (int I = 0; I < 100; ++I)
        L->Items()->Add()->Text()->Add("row " + std::to_string(I));
    PressKey(VK_DOWN);
    EXPECT_EQ(L->ItemIndex(), 0);
    EXPECT_EQ(L->Text(), "row 0");
    L->SetItemIndex(95);
    PressKey(VK_NEXT);
    EXPECT_EQ(L->ItemIndex(), 99);
    L->SetItemIndex(5);
    PressKey(VK_PRIOR);
    EXPECT_EQ(L->ItemIndex(), 0);
    PressKey(VK_NEXT);
    EXPECT_EQ(L->ItemIndex(), 10);
    PressKey(VK_UP);
    EXPECT_EQ(L->ItemIndex(), 9);
    uitest::Wheel(L->Handle(), 20, 10, -WHEEL_DELTA);
    EXPECT_EQ(L->ItemIndex(), 10);
    EXPECT_EQ(L->Text(), "row 10");
    EXPECT_FALSE(L->DroppedDown());
    EXPECT_EQ(Selects, 0);
}

TEST_F(LookupDropDownTest, PopupRowsByKeysMouseAndWheel)
{
    Fill({60, 60}, {"Apple|red", "Apricot|orange", "Banana|yellow", "Cherry|red"});
    Open();
    TVadColGrid* G = L->Grid();
    ASSERT_EQ(G->Parent(), L->DropDownForm());
    EXPECT_EQ(G->RowCount(), 5);
    EXPECT_EQ(G->Row(), 0); // nothing chosen: the header row
    EXPECT_EQ(GetFocus(), L->Handle());
    // Keys move the rows and the text; the popup stays open; Enter chooses once.
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_TRUE(L->DroppedDown());
    EXPECT_EQ(G->Row(), 2);
    EXPECT_EQ(L->ItemIndex(), 1);
    EXPECT_EQ(L->Text(), "Apricot");
    PressKey(VK_RETURN);
    EXPECT_FALSE(L->DroppedDown());
    EXPECT_EQ(L->ItemIndex(), 1);
    EXPECT_EQ(Selects, 1);

    // Opening again keeps the chosen row.
    Open();
    EXPECT_EQ(L->ItemIndex(), 1);
    EXPECT_EQ(G->Row(), 2);
    EXPECT_EQ(L->Text(), "Apricot");
    // Esc goes back to it after moving.
    PressKey(VK_NEXT);
    EXPECT_EQ(L->ItemIndex(), 3);
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(L->DroppedDown());
    EXPECT_EQ(L->ItemIndex(), 1);
    EXPECT_EQ(L->Text(), "Apricot");
    EXPECT_EQ(Selects, 1);

    // The wheel rolls the rows without choosing; a click chooses the row under the mouse.
    Open();
    uitest::Wheel(L->Handle(), 20, 10, -WHEEL_DELTA);
    EXPECT_EQ(G->Row(), 3);
    EXPECT_EQ(L->ItemIndex(), 1);
    EXPECT_TRUE(L->DroppedDown());
    const TPoint P = RowPoint(4);
    uitest::Click(G->Handle(), P.X, P.Y);
    EXPECT_FALSE(L->DroppedDown());
    EXPECT_EQ(L->ItemIndex(), 3);
    EXPECT_EQ(L->Text(), "Cherry");
    EXPECT_EQ(Selects, 2);
    EXPECT_EQ(GetFocus(), L->Handle());

    // Rolled, then closed from outside: the rolled row is not chosen.
    Open();
    uitest::Wheel(L->Handle(), 20, 10, WHEEL_DELTA);
    uitest::ClickAt(POINT{1000, 740});
    EXPECT_FALSE(L->DroppedDown());
    EXPECT_EQ(L->ItemIndex(), 3);

    // Characters typed while open reach the edit, those that share a code with a movement key too.
    Open();
    L->SelectAll();
    uitest::TypeText("b&(");
    EXPECT_EQ(L->Text(), "b&(");
    PressKey(VK_DOWN, uitest::ksAlt);
    EXPECT_FALSE(L->DroppedDown());
}

TEST_F(LookupDropDownTest, ColumnWidthsFollowThePopup)
{
    // Designed widths scaled to the popup, the rounding carried over.
    L->SetDropDownAutoWidth(false);
    L->SetDropDownWidth(145);
    Fill({10, 10, 10, 10, 10, 10, 10, 10, 10, 10}, {"a"});
    Open();
    const Integer Expected[] = {14, 14, 15, 14, 14, 15, 14, 14, 15, 14};
    for (Integer I = 0; I < 10; ++I)
        EXPECT_EQ(L->Grid()->ColWidths(I), Expected[I]) << I;
    PressKey(VK_ESCAPE);

    // The popup as wide as the grid's columns: the designed widths stay.
    L->Columns()->Clear();
    L->Items()->Clear();
    L->SetDropDownAutoWidth(true);
    L->SetDropDownWidth(0);
    Fill({80, 80, 40}, {"a|b|c"});
    Open();
    EXPECT_EQ(L->DropDownForm()->Width(), 202);
    EXPECT_EQ(L->Grid()->ColWidths(0), 80);
    EXPECT_EQ(L->Grid()->ColWidths(1), 80);
    EXPECT_EQ(L->Grid()->ColWidths(2), 40);
}

TEST_F(LookupDropDownTest, AutoSizeAndWrappedRows)
{
    L->SetColumnSizeWithDropDown(false);
    Fill({80, 40}, {"ab|one two three four five six", "abcdef|x", "|"});
    TDropDownColumn* First = L->Columns()->Items(0);
    First->SetAutoSize(true);
    First->SetHeader("A header far wider than every cell");
    L->Columns()->Items(1)->SetWordwrap(true);
    Open();
    TVadColGrid* G = L->Grid();
    TCanvas* C = L->DropDownForm()->Canvas();
    C->Font()->Assign(First->Font());
    // The widest cell, not the header.
    EXPECT_EQ(G->ColWidths(0), C->TextWidth("abcdef") + 6);
    EXPECT_EQ(L->Columns()->Items(0)->Width(), 80); // the dropdown's own columns stay as designed
    EXPECT_EQ(G->RowHeights(0), 25);
    EXPECT_GT(G->RowHeights(1), 2 * C->TextHeight("one")); // wrapped over several lines
    EXPECT_EQ(G->RowHeights(2), 24);                       // at least 24 once any column wraps
    EXPECT_EQ(G->RowHeights(3), 24);
    EXPECT_EQ(G->GetDesiredWidth(), G->ColWidths(0) + G->ColWidths(1));

    // Without rows: the header row alone, no data row current.
    PressKey(VK_ESCAPE);
    L->Items()->Clear();
    Open();
    EXPECT_EQ(G->RowCount(), 1);
    PressKey(VK_DOWN);
    EXPECT_EQ(L->ItemIndex(), -1);
}

TEST_F(LookupDropDownTest, PopupLooks)
{
    Fill({60, 60}, {"Apple|red", "Banana|yellow", "Cherry|red"});
    L->SetItemIndex(1);
    L->SetHeaderColor(0xFF0000);
    L->SetHeaderColorTo(0x0000FF);
    L->SetLineColor(0x00FF00);
    Open();
    PumpUntilIdle();
    TVadColGrid* G = L->Grid();
    HWND H = G->Handle();
    const TRect Header = G->CellRect(0, 0);
    // A vertical gradient from the top colour down towards the bottom one.
    const COLORREF High = uitest::PixelAt(H, 30, Header.Top);
    EXPECT_GT(GetBValue(High), 0xF0);
    EXPECT_LT(GetRValue(High), 0x10);
    const COLORREF Low = uitest::PixelAt(H, 30, Header.Bottom - 3);
    EXPECT_LT(GetBValue(Low), 0x40);
    EXPECT_GT(GetRValue(Low), 0xC0);
    // Data lines inside the cells' right and bottom edges, in the line colour.
    const TRect Cell = G->CellRect(0, 3);
    EXPECT_EQ(uitest::PixelAt(H, 30, Cell.Bottom - 1), 0x00FF00u);
    EXPECT_EQ(uitest::PixelAt(H, Cell.Right - 1, Cell.Top + 5), 0x00FF00u);
    EXPECT_EQ(uitest::PixelAt(H, 30, Cell.Bottom - 2), 0xFFFFFFu); // the column's own colour
    // The chosen row has the selection look, not the column colour.
    const TRect Chosen = G->CellRect(0, 2);
    EXPECT_NE(uitest::PixelAt(H, 30, (Chosen.Top + Chosen.Bottom) / 2), 0xFFFFFFu);
    PressKey(VK_ESCAPE);

    // Wider lines, a flat header.
    L->SetHeaderColorTo(clNone);
    Open();
    G->SetGridLineWidth(2);
    PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(H, 30, Header.Top), 0xFF0000u);
    EXPECT_EQ(uitest::PixelAt(H, 30, Header.Bottom - 3), 0xFF0000u);
    EXPECT_EQ(uitest::PixelAt(H, 30, Cell.Bottom - 1), 0x00FF00u);
    EXPECT_EQ(uitest::PixelAt(H, 30, Cell.Bottom - 2), 0x00FF00u);
    EXPECT_EQ(uitest::PixelAt(H, 30, Cell.Bottom - 3), 0xFFFFFFu);
}

TEST_F(LookupDropDownTest, ComponentStylesColourHeaderAndLines)
{
    EXPECT_EQ(L->LineColor(), 0xF1EDEBu); // from the selection style at construction
    EXPECT_EQ(L->FixedLineColor(), 0xD1BBA4u);
    struct Row {
        ZEDAVozor Style;
        TColor Header, HeaderTo, Line, FixedLine, SelectionText;
    } Rows[] = {
        {tsOffice2003Blue, 0xD68759, 0x933803, 0x962D00, 0x962D00, 0},
        {tsOffice2007Obsidian, 0xF2F1F0, 0xC9C2BD, 0x5C534C, 0x5C534C, 0},
        {tsWindowsXP, clBtnFace, clBtnFace, 0xC0C0C0, 0, clHighlightText},
        {tsWindows7, 0xFDFBFA, 0xFDF3EB, 0xFBD6B8, 0xFBD6B8, 0},
    };
    for (const Row& R : Rows) {
        SCOPED_TRACE(int(R.Style));
        L->SetComponentStyle(R.Style);
        EXPECT_EQ(L->HeaderColor(), R.Header);
        EXPECT_EQ(L->HeaderColorTo(), R.HeaderTo);
        EXPECT_EQ(L->LineColor(), R.Line);
        EXPECT_EQ(L->FixedLineColor(), R.FixedLine);
        EXPECT_EQ(L->SelectionTextColor(), R.SelectionText);
    }
    EXPECT_EQ(L->SelectionColor(), 0xFCEBDCu); // the Windows 7 selection look
    L->SetComponentStyle(tsCustom);
    EXPECT_EQ(L->HeaderColor(), 0xFDFBFAu);
}

} // namespace
