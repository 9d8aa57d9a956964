// The in-place editor host: every way of starting an edit (a key, a mouse press, a selection
// landing on a merged block) opens it through the host, which picks the editor by the cell's
// editor type, shows the text editor or the kind's control over the cell, and writes the value
// back when the edit ends.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/rtl/DateTime.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class EditorHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 8);
        for (Integer R = 1; R < 8; ++R)
            for (Integer C = 1; C < 5; ++C)
                G->SetCells(C, R, std::to_string(C) + ":" + std::to_string(R));
        G->OnGetEditorType = [this](TObject*, Integer, Integer, TEditorType& E) { E = Type; };
        G->SetFocus();
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }

    // The ways an edit starts; each leaves the edit on the cell it names.
    struct Path {
        const char* Name;
        TEditOpenedBy By;
        TGridCoord Cell;
        std::function<void(EditorHostTest&)> Start;
    };
    static std::vector<Path> Paths()
    {
        return {
            {"F2 with range select and edit",
             TEditOpenedBy::Keyboard,
             {2, 2},
             [](EditorHostTest& T) {
                 T.G->SetOptions(T.G->Options() - TGridOptions{goEditing});
                 T.G->MouseActions()->RangeSelectAndEdit = true;
                 T.G->GotoCell(2, 2);
                 uitest::PressKey(VK_F2);
             }},
            {"a press with direct edit",
             TEditOpenedBy::Mouse,
             {3, 4},
             [](EditorHostTest& T) {
                 T.G->MouseActions()->DirectEdit = true;
                 T.G->SetOptions(T.G->Options() + TGridOptions{goEditing});
                 const TRect R = T.G->GetCellRect(3, 4);
                 uitest::Click(T.G->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
             }},
            {"a selection moved onto a merged block",
             TEditOpenedBy::Selection,
             {1, 5},
             [](EditorHostTest& T) {
                 T.G->MouseActions()->DirectEdit = true;
                 T.G->SetOptions(T.G->Options() + TGridOptions{goEditing} - TGridOptions{goRangeSelect});
                 T.G->MergeCells(1, 5, 2, 2);
                 T.G->GotoCell(2, 6); // a covered cell: the focus goes to the block's base cell
             }},
        };
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TEditorType Type = edNormal;
};

TEST_F(EditorHostTest, EveryPathOpensTheCellsEditorThroughTheHost)
{
    // Each kind's control shows the cell's value in its own form and writes back its own form.
    struct Kind {
        TEditorType Type;
        const char* Name;
        std::function<TWinControl*(const TGridEditorControls&)> Control; // null: none shown
        bool TextEditor;
        bool Open;
        bool Inset;                                         // placed one pixel inside the cell
        std::function<AnsiString(const AnsiString&)> Shown; // the text shown for the cell's text
        std::function<void(TWinControl*)> Edit;
        std::function<bool(TDidAririzEvar*, TGridCoord)> Stored;
    };
    auto Combo = [](const TGridEditorControls& E) { return E.Combo; };
    const Kind Kinds[] = {
        {edNormal, "text", nullptr, true, true, false, nullptr, nullptr, nullptr},
        {edComboList, "combo", Combo, false, true, false, [](const AnsiString& S) { return S; },
         [](TWinControl* C) {
             auto* Cb = static_cast<TGridCombo*>(C);
             Cb->SetItemIndex(Cb->Items()->IndexOf("edited"));
         },
         [](TDidAririzEvar* G, TGridCoord P) { return G->Cells(P.X, P.Y) == "edited"; }},
        {edFloatSpinEdit, "spin", [](const TGridEditorControls& E) { return E.Spin; }, false, true, false,
         [](const AnsiString& S) { return S.substr(0, 1); }, [](TWinControl* C) { C->SetText("7"); },
         [](TDidAririzEvar* G, TGridCoord P) { return G->Cells(P.X, P.Y) == "7.00"; }},
        {edDateEdit, "date picker", [](const TGridEditorControls& E) { return E.DatePicker; }, false, true,
         false, nullptr,
         [](TWinControl* C) { static_cast<TGridDatePicker*>(C)->SetDate(EncodeDate(2024, 5, 6)); },
         [](TDidAririzEvar* G, TGridCoord P) {
             return G->Cells(P.X, P.Y) == DateToStr(EncodeDate(2024, 5, 6));
         }},
        {edUniMemo, "wide memo", [](const TGridEditorControls& E) { return E.UniMemo; }, false, true, true,
         nullptr, [](TWinControl* C) { static_cast<TGridUniMemo*>(C)->SetText(u"edited"); },
         [](TDidAririzEvar* G, TGridCoord P) { return G->GetWideCells(P.X, P.Y) == u"edited"; }},
        {edDataCheckBox, "none", nullptr, false, true, false, nullptr, nullptr,
         nullptr}, // open, nothing shown
        {edNone, "none", nullptr, false, false, false, nullptr, nullptr, nullptr},
    };
    for (const Path& P : Paths())
        for (const Kind& K : Kinds) {
            SCOPED_TRACE(std::string(P.Name) + " / " + K.Name);
            TearDown();
            SetUp();
            for (const char* Item : {"2:2", "3:4", "1:5", "edited"})
                G->AddComboString(Item);
            Type = K.Type;
            const Integer Before = G->Editing().Opened;
            P.Start(*this);
            uitest::PumpUntilIdle();
            EXPECT_EQ(G->Editing().Opened, Before + 1) << "not opened through the host";
            EXPECT_EQ(G->Editing().OpenedBy, P.By);
            EXPECT_EQ(G->Col(), P.Cell.X);
            EXPECT_EQ(G->Row(), P.Cell.Y);
            EXPECT_EQ(G->Editing().Active, K.Open);
            EXPECT_EQ(G->EditorMode() && G->InplaceEditor() && G->InplaceEditor()->Visible(), K.TextEditor);
            if (!K.Open)
                continue;
            EXPECT_EQ(G->Editing().Type, K.Type);
            EXPECT_STREQ(G->Editing().Kind->Name, K.Name);
            TWinControl* C = K.Control ? K.Control(G->Editors()) : nullptr;
            EXPECT_EQ(G->Editing().Shown, C);
            if (C) {
                // Over the cell (the whole block for a merged one), filled with its value.
                const TRect R = G->CellRect(P.Cell.X, P.Cell.Y);
                EXPECT_TRUE(C->Visible());
                EXPECT_EQ(C->Left(), R.Left + (K.Inset ? 1 : 0));
                EXPECT_EQ(C->Top(), R.Top + (K.Inset ? 1 : 0));
                if (K.Shown)
                    EXPECT_EQ(C->Text(), K.Shown(G->Cells(P.Cell.X, P.Cell.Y)));
                K.Edit(C);
            }
            G->HideInplaceEdit();
            EXPECT_FALSE(G->Editing().Active);
            if (C) {
                EXPECT_FALSE(C->Visible());
                EXPECT_TRUE(K.Stored(G, P.Cell)) << G->Cells(P.Cell.X, P.Cell.Y);
            }
        }
}

} // namespace
