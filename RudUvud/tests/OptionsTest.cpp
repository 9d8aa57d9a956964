// The option objects: published defaults, setters with side effects and Assign.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

class TStretchProbeGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    std::vector<Integer> Stretched;
    void StretchColumn(Integer ACol) override { Stretched.push_back(ACol); }
};

TEST(GridOptions, PublishedDefaults)
{
    TForm* F = gridtest::NewForm();
    auto* G = New<TDidAririzEvar>(F);
    const TCellNode* N = G->CellNode();
    EXPECT_EQ(N->Color(), 0xC0C0C0);
    EXPECT_EQ(N->NodeType(), cnXP);
    EXPECT_EQ(N->NodeIndent(), 12);
    EXPECT_TRUE(N->ShowTree());
    EXPECT_TRUE(N->ShowTreeFull());
    EXPECT_EQ(N->TreeColor(), 0x808080);
    EXPECT_TRUE(N->ExpandGlyph()->Empty());

    const TMouseActions* M = G->MouseActions();
    EXPECT_TRUE(M->AutoSizeColOnDblClick);
    EXPECT_TRUE(M->PreciseNodeClick);
    EXPECT_FALSE(M->DisjunctRowSelect());
    EXPECT_FALSE(M->RangeSelectAndEdit);
    EXPECT_EQ(M->FixedRowsEdit, fceNone);
    EXPECT_EQ(M->WheelAction(), waMoveSelection);

    const TColumnSize* C = G->ColumnSize();
    EXPECT_EQ(C->StretchColumn, -1);
    EXPECT_EQ(C->Rows, arAll);
    EXPECT_EQ(C->Location, clRegistry);
    EXPECT_FALSE(C->Save);

    const TNavigation* V = G->Navigation();
    EXPECT_TRUE(V->CopyHTMLTagsToClipboard && V->AllowClipboardRowGrow && V->AllowClipboardColGrow &&
                V->EditSelectAll && V->SkipFixedCells && V->AllowCtrlEnter && V->CursorWalkAlwaysEdit &&
                V->AdvanceAutoEdit && V->LeftRightRowSelect);
    EXPECT_FALSE(V->AdvanceOnEnter || V->AlwaysEdit || V->KeepScrollOnSort);
    EXPECT_EQ(V->ClipboardPasteAction, paReplace);
    EXPECT_EQ(V->AdvanceDirection(), adLeftRight);

    const THTMLSettings* H = G->HTMLSettings();
    EXPECT_TRUE(H->SaveColor && H->SaveFonts && H->ExportImages);
    EXPECT_EQ(H->BorderSize, 1);
    EXPECT_EQ(H->Width, 100);
    EXPECT_TRUE(H->HTMLColWidths.empty());

    const TPrintSettings* P = G->PrintSettings();
    EXPECT_EQ(P->DateFormat, "dd/mm/yyyy");
    EXPECT_EQ(P->PageNumSep, "/");
    EXPECT_EQ(P->Borders, pbSingle);
    EXPECT_TRUE(P->Centered);
    EXPECT_TRUE(P->UseDisplayFont);
    EXPECT_EQ(P->FitToPage, fpNever);
    EXPECT_EQ(P->TitleLines()->Count(), 0);
    EXPECT_FALSE(G->SizeWhileTyping()->Height || G->SizeWhileTyping()->Width);
    F->Free();
}

TEST(GridOptions, SettersWithSideEffects)
{
    TForm* F = gridtest::NewForm();
    auto* G = New<TStretchProbeGrid>(F);
    TMouseActions* M = G->MouseActions();
    // At run time the disjunct modes combine.
    M->SetDisjunctColSelect(true);
    M->SetDisjunctRowSelect(true);
    EXPECT_TRUE(M->DisjunctColSelect());
    EXPECT_TRUE(M->DisjunctRowSelect());

    G->SetOptions(G->Options() + TGridOptions{goEditing});
    M->SetEditOnDblClickOnly(true);
    EXPECT_FALSE(G->Options().Contains(goEditing));
    M->SetEditOnDblClickOnly(false);
    EXPECT_FALSE(G->Options().Contains(goEditing)) << "not given back";

    int Nav = 0;
    G->Navigation()->OnChange = [&](TObject*) { ++Nav; };
    G->Navigation()->SetAdvanceDirection(adLeftRight);
    EXPECT_EQ(Nav, 0);
    G->Navigation()->SetAdvanceDirection(adTopBottom);
    G->Navigation()->SetAdvanceInsert(true);
    EXPECT_EQ(Nav, 2);

    // Stretch without a parent only stores; with one it stretches at once, also when switched off.
    G->ColumnSize()->StretchColumn = 3;
    G->ColumnSize()->SetStretch(true);
    EXPECT_TRUE(G->Stretched.empty());
    G->SetParent(F);
    // The new window's own sizing stretches too (the size handler); only the setter's call counts.
    EXPECT_FALSE(G->Stretched.empty());
    G->Stretched.clear();
    G->ColumnSize()->SetStretch(false);
    EXPECT_EQ(G->Stretched, std::vector<Integer>{3});
    F->Free();
}

TEST(GridOptions, DesignTimeDisjunctModesExcludeEachOther)
{
    TForm* F = gridtest::NewForm();
    F->SetDesigning(true, true);
    auto* G = New<TDidAririzEvar>(F);
    G->SetDesigning(true, false);
    TMouseActions* M = G->MouseActions();
    M->SetDisjunctColSelect(true);
    M->SetDisjunctCellSelect(true);
    EXPECT_FALSE(M->DisjunctColSelect());
    M->SetDisjunctRowSelect(true);
    EXPECT_FALSE(M->DisjunctCellSelect());
    EXPECT_TRUE(M->DisjunctRowSelect());
    F->Free();
}

TEST(GridOptions, AssignCopiesTheListedFields)
{
    TForm* F = gridtest::NewForm();
    auto* A = New<TDidAririzEvar>(F);
    auto* B = New<TDidAririzEvar>(F);

    A->Navigation()->TabAdvanceDirection = adTopBottom;
    A->Navigation()->KeepScrollOnSort = true;
    A->Navigation()->SetAdvanceDirection(adTopBottom);
    int Nav = 0;
    B->Navigation()->OnChange = [&](TObject*) { ++Nav; };
    B->Navigation()->Assign(A->Navigation());
    EXPECT_EQ(B->Navigation()->TabAdvanceDirection, adTopBottom);
    EXPECT_EQ(B->Navigation()->AdvanceDirection(), adTopBottom);
    EXPECT_FALSE(B->Navigation()->KeepScrollOnSort);
    EXPECT_EQ(Nav, 0);

    A->HTMLSettings()->ExportImages = false;
    A->HTMLSettings()->Summary = "s";
    A->HTMLSettings()->HTMLColWidths = {1, 2};
    B->HTMLSettings()->Assign(A->HTMLSettings());
    EXPECT_EQ(B->HTMLSettings()->Summary, "s");
    EXPECT_TRUE(B->HTMLSettings()->ExportImages);
    EXPECT_TRUE(B->HTMLSettings()->HTMLColWidths.empty());

    A->CellNode()->SetNodeIndent(20);
    A->CellNode()->SetTreeColor(0x112233);
    B->CellNode()->Assign(A->CellNode());
    EXPECT_EQ(B->CellNode()->NodeIndent(), 20);
    EXPECT_EQ(B->CellNode()->TreeColor(), 0x112233);

    A->ColumnSize()->Key = "k";
    A->ColumnSize()->SetStretch(true);
    B->ColumnSize()->Assign(A->ColumnSize());
    EXPECT_EQ(B->ColumnSize()->Key, "k");
    EXPECT_TRUE(B->ColumnSize()->Stretch());

    A->PrintSettings()->TitleLines()->Add("Demo Limited");
    A->PrintSettings()->Font()->SetName("Arial");
    A->PrintSettings()->BorderColor = 0xFF;
    B->PrintSettings()->Assign(A->PrintSettings());
    EXPECT_EQ(B->PrintSettings()->TitleLines()->Strings(0), "Demo Limited");
    EXPECT_EQ(B->PrintSettings()->Font()->Name(), "Arial");
    EXPECT_EQ(B->PrintSettings()->BorderColor, 0xFF);
    EXPECT_NE(B->PrintSettings()->Font(), A->PrintSettings()->Font());

    // Other classes: ignored, except by the print settings, which refuse before copying anything.
    B->Navigation()->Assign(A->HTMLSettings());
    B->CellNode()->Assign(A->HTMLSettings());
    EXPECT_THROW(B->PrintSettings()->Assign(A->HTMLSettings()), EInvalidCast);
    EXPECT_EQ(B->PrintSettings()->BorderColor, 0xFF);
    F->Free();
}

} // namespace
