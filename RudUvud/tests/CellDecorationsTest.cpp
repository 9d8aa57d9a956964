// Cell decorations: every family attached, read, replaced and removed (the sanitizers check that
// what a graphic owns is freed once and what the caller lent is never freed), and each family's
// own rules.

#include "RudUvud/tests/GraphicTestSupport.h"

#include "RudUvud/tests/ExchangeTestGrid.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using graphictest::SolidBitmap;

class CellDecorationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 6, 8);
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

// An application's graphic.
class TOwnGraphic : public TInterfacedPersistent, public ICellGraphic {
public:
    void Draw(TCanvas*, const TRect&, Integer, Integer, bool, TDidAririzEvar*) override {}
    Integer GetWidth() override { return 1; }
    Integer GetHeight() override { return 1; }
    bool IsBackground() override { return true; }
};

// One family: how to add it, the kind it makes, how to remove it.
struct TFamily {
    const char* Name;
    TCellType Kind;
    std::function<void(TDidAririzEvar*, Integer, Integer)> Add;
    std::function<bool(TDidAririzEvar*, Integer, Integer)> Remove;
};

TEST_F(CellDecorationsTest, EveryFamilyIsAttachedReplacedAndRemoved)
{
    // Objects lent to the grid outlive it; objects it creates are its own.
    std::unique_ptr<TBitmap> Lent(SolidBitmap(4, 4, clRed));
    std::unique_ptr<TIcon> LentIcon(graphictest::SquareIcon(16));
    std::unique_ptr<TPicture> LentPicture(graphictest::SolidPicture(5, 5, clBlue));
    auto LentFile = std::make_unique<TFilePicture>();
    TStringList LentItems;
    LentItems.Add("a");
    TOwnGraphic Own;
    using D = TDidAririzEvar;
    const TFamily Families[] = {
        {"AddBitmap", ctBitmap,
         [&](D* X, Integer C, Integer R) { X->AddBitmap(C, R, Lent.get(), true, haLeft, vaTop); },
         [](D* X, Integer C, Integer R) { return X->RemoveBitmap(C, R); }},
        {"CreateBitmap", ctBitmap,
         [](D* X, Integer C, Integer R) { X->CreateBitmap(C, R, false, haLeft, vaTop)->SetSize(3, 3); },
         [](D* X, Integer C, Integer R) { return X->RemoveBitmap(C, R); }},
        {"AddBalloon", ctBalloon,
         [](D* X, Integer C, Integer R) { X->AddBalloon(C, R, "T", "text", biWarning); },
         [](D* X, Integer C, Integer R) { return X->RemoveBalloon(C, R); }},
        {"AddRadio", ctRadio, [&](D* X, Integer C, Integer R) { X->AddRadio(C, R, 0, 0, &LentItems); },
         [](D* X, Integer C, Integer R) { return X->RemoveRadio(C, R); }},
        {"CreateRadio", ctRadio, [](D* X, Integer C, Integer R) { X->CreateRadio(C, R, 1, 0)->Add("x"); },
         [](D* X, Integer C, Integer R) { return X->RemoveRadio(C, R); }},
        {"AddInterfacedCell", ctInterface,
         [&](D* X, Integer C, Integer R) { X->AddInterfacedCell(C, R, &Own); },
         [](D* X, Integer C, Integer R) { return X->RemoveInterfacedCell(C, R); }},
        {"AddPicture", ctPicture,
         [&](D* X, Integer C, Integer R) {
             X->AddPicture(C, R, LentPicture.get(), false, Stretch, 1, haLeft, vaTop);
         },
         [](D* X, Integer C, Integer R) { return X->RemovePicture(C, R); }},
        {"CreatePicture", ctPicture,
         [](D* X, Integer C, Integer R) {
             std::unique_ptr<TBitmap> B(SolidBitmap(2, 2, clRed));
             X->CreatePicture(C, R, false, noStretch, 0, haLeft, vaTop)->SetGraphic(B.get());
         },
         [](D* X, Integer C, Integer R) { return X->RemovePicture(C, R); }},
        {"AddFilePicture", ctFilePicture,
         [&](D* X, Integer C, Integer R) {
             X->AddFilePicture(C, R, LentFile.get(), false, Shrink, 0, haLeft, vaTop);
         },
         [](D* X, Integer C, Integer R) { return X->RemoveFilePicture(C, R); }},
        {"CreateFilePicture", ctFilePicture,
         [](D* X, Integer C, Integer R) { X->CreateFilePicture(C, R, false, Shrink, 0, haLeft, vaTop); },
         [](D* X, Integer C, Integer R) { return X->RemoveFilePicture(C, R); }},
        {"AddIcon", ctIcon,
         [&](D* X, Integer C, Integer R) { X->AddIcon(C, R, LentIcon.get(), haLeft, vaTop); },
         [](D* X, Integer C, Integer R) { return X->RemoveIcon(C, R); }},
        {"CreateIcon", ctIcon, [](D* X, Integer C, Integer R) { X->CreateIcon(C, R, haLeft, vaTop); },
         [](D* X, Integer C, Integer R) { return X->RemoveIcon(C, R); }},
        {"AddProgressPie", ctProgressPie,
         [](D* X, Integer C, Integer R) { X->AddProgressPie(C, R, clRed, 40); },
         [](D* X, Integer C, Integer R) { return X->RemoveProgressPie(C, R); }},
        {"AddVadProgress", ctXPProgress, [](D* X, Integer C, Integer R) { X->AddVadProgress(C, R, 0, 10); },
         [](D* X, Integer C, Integer R) { return X->RemoveVadProgress(C, R); }},
        {"AddProgress", ctProgress, [](D* X, Integer C, Integer R) { X->AddProgress(C, R, clRed, clWhite); },
         [](D* X, Integer C, Integer R) { return X->RemoveProgress(C, R); }},
        {"AddRangeIndicator", ctRangeIndicator,
         [](D* X, Integer C, Integer R) { X->AddRangeIndicator(C, R, 10, clRed, clGreen, true); },
         [](D* X, Integer C, Integer R) { return X->RemoveRangeIndicator(C, R); }},
        {"AddComment", ctComment, [](D* X, Integer C, Integer R) { X->AddComment(C, R, "note"); },
         [](D* X, Integer C, Integer R) { return X->RemoveComment(C, R); }},
        {"AddShape", ctShape,
         [](D* X, Integer C, Integer R) { X->AddShape(C, R, csStar, clYellow, clBlack, haCenter, vaCenter); },
         [](D* X, Integer C, Integer R) { return X->RemoveShape(C, R); }},
        {"AddRating", ctRating, [](D* X, Integer C, Integer R) { X->AddRating(C, R, 5, clYellow, clGray); },
         [](D* X, Integer C, Integer R) { return X->RemoveRating(C, R); }},
        {"AddScrollBar", ctScrollbar, [](D* X, Integer C, Integer R) { X->AddScrollBar(C, R, false); },
         [](D* X, Integer C, Integer R) { return X->RemoveScrollBar(C, R); }},
        {"AddButton", ctButton,
         [](D* X, Integer C, Integer R) { X->AddButton(C, R, 40, 18, "Go", haLeft, vaTop); },
         [](D* X, Integer C, Integer R) { return X->RemoveButton(C, R); }},
        {"AddBitButton", ctBitButton,
         [&](D* X, Integer C, Integer R) { X->AddBitButton(C, R, 40, 18, "Go", Lent.get(), haLeft, vaTop); },
         [](D* X, Integer C, Integer R) { return X->RemoveButton(C, R); }},
        {"CreateBitButton", ctBitButton,
         [](D* X, Integer C, Integer R) {
             X->CreateBitButton(C, R, 40, 18, "Go", haLeft, vaTop)->SetSize(4, 4);
         },
         [](D* X, Integer C, Integer R) { return X->RemoveButton(C, R); }},
    };
    for (const TFamily& F : Families) {
        SCOPED_TRACE(F.Name);
        G->SetCells(2, 2, "");
        F.Add(G, 2, 2);
        EXPECT_EQ(G->GetCellType(2, 2), F.Kind);
        EXPECT_EQ(G->Cells(2, 2), "");
        // Every other family replaces it; the one replaced frees what it owns.
        for (const TFamily& Other : Families) {
            Other.Add(G, 2, 3);
            F.Add(G, 2, 3);
        }
        EXPECT_EQ(G->GetCellType(2, 3), F.Kind);
        // Removing with another kind's operation leaves it; its own takes it away.
        const TFamily& Wrong = &F == &Families[0] ? Families[2] : Families[0];
        if (Wrong.Kind != F.Kind)
            EXPECT_FALSE(Wrong.Remove(G, 2, 2));
        EXPECT_EQ(G->GetCellType(2, 2), F.Kind);
        EXPECT_TRUE(F.Remove(G, 2, 2));
        EXPECT_EQ(G->GetCellType(2, 2), ctEmpty);
        EXPECT_FALSE(F.Remove(G, 2, 2));
    }
    // Whatever is left goes with the grid: the lent objects must still be alive then.
    Form->Free();
    Form = gridtest::NewForm();
    EXPECT_EQ(Lent->Width(), 4);
    EXPECT_EQ(LentItems.Count(), 1);
}

TEST_F(CellDecorationsTest, BalloonsAnswerForTheirCellAndItsBlock)
{
    G->AddBalloon(1, 1, "Title", "Body text", biError);
    AnsiString Title = "t", Text = "x";
    TBalloonIcon Icon = biNone;
    EXPECT_TRUE(G->IsBalloon(1, 1, Title, Text, Icon));
    EXPECT_EQ(Title, "Title");
    EXPECT_EQ(Text, "Body text");
    EXPECT_EQ(Icon, biError);
    G->MergeCells(1, 1, 2, 2);
    EXPECT_TRUE(G->HasBalloon(2, 2)); // the base cell's
    Title = "unchanged";
    EXPECT_FALSE(G->IsBalloon(2, 2, Title, Text, Icon)); // the covered cell itself
    EXPECT_EQ(Title, "unchanged");
    EXPECT_FALSE(G->HasBalloon(3, 3));
}

TEST_F(CellDecorationsTest, RadioGroupsAndTheirIndex)
{
    TStringList Items;
    Items.Add("one");
    Items.Add("two");
    Items.Add("three");
    G->AddRadio(1, 1, 1, 1, &Items);
    TCellGraphic* R = G->GetCellGraphic(1, 1);
    EXPECT_EQ(R->CellAngle, 3);
    EXPECT_TRUE(R->CellBoolean);
    EXPECT_FALSE(R->CellCreated);
    EXPECT_EQ(G->GetRadioStrings(1, 1), &Items);
    EXPECT_TRUE(G->IsRadio(1, 1));
    Integer Index = -5;
    EXPECT_TRUE(G->SetRadioIdx(1, 1, 2));
    EXPECT_TRUE(G->GetRadioIdx(1, 1, Index));
    EXPECT_EQ(Index, 2);

    // On another kind: false, but the index is stored all the same; without graphic: untouched.
    G->AddComment(2, 1, "c");
    EXPECT_FALSE(G->SetRadioIdx(2, 1, 7));
    EXPECT_FALSE(G->GetRadioIdx(2, 1, Index));
    EXPECT_EQ(Index, 7);
    Index = -5;
    EXPECT_FALSE(G->GetRadioIdx(3, 1, Index));
    EXPECT_FALSE(G->SetRadioIdx(3, 1, 1));
    EXPECT_EQ(Index, -5);
    EXPECT_EQ(G->GetCellType(3, 1), ctEmpty);

    TStringList* Made = G->CreateRadio(1, 2, 0, 0);
    EXPECT_EQ(Made->Count(), 0);
    EXPECT_TRUE(G->GetCellGraphic(1, 2)->CellCreated);
    EXPECT_EQ(G->GetCellGraphic(1, 2)->CellAngle, 0);
    EXPECT_FALSE(G->GetCellGraphic(1, 2)->CellBoolean);
    G->RemoveRadio(1, 1); // the caller's list stays
    EXPECT_EQ(Items.Count(), 3);
}

TEST_F(CellDecorationsTest, GettersAnswerOnlyForTheirKind)
{
    TBitmap* B = G->CreateBitmap(1, 1, false, haLeft, vaTop);
    EXPECT_EQ(G->GetBitmap(1, 1), B);
    EXPECT_EQ(G->GetPicture(1, 1), nullptr);
    TPicture* P = G->CreatePicture(2, 1, false, noStretch, 0, haLeft, vaTop);
    EXPECT_EQ(G->GetPicture(2, 1), P);
    EXPECT_EQ(G->GetBitmap(2, 1), nullptr);
    TFilePicture* F = G->CreateFilePicture(3, 1, false, noStretch, 0, haLeft, vaTop);
    EXPECT_EQ(G->GetFilePicture(3, 1), F);
    TOwnGraphic Own;
    G->AddInterfacedCell(4, 1, &Own);
    EXPECT_EQ(G->GetInterfacedCell(4, 1), &Own);
    EXPECT_EQ(G->GetInterfacedCell(1, 1), nullptr);
    EXPECT_EQ(G->GetBitmap(5, 5), nullptr);
    EXPECT_EQ(G->GetRadioStrings(5, 5), nullptr);
    G->RemoveInterfacedCell(4, 1); // never freed by the grid
}

TEST_F(CellDecorationsTest, ProgressPieBarAndRange)
{
    G->AddProgressPie(1, 1, clRed, 30);
    TCellGraphic* Pie = G->GetCellGraphic(1, 1);
    EXPECT_EQ(Pie->CellHAlign, haBeforeText);
    EXPECT_EQ(Pie->GraphicColor(), clRed);
    G->SetProgressPie(1, 1, 75);
    EXPECT_EQ(Pie->CellAngle, 75);
    G->AddComment(2, 1, "c");
    G->SetProgressPie(2, 1, 75); // not a pie: nothing
    EXPECT_EQ(G->GetCellGraphic(2, 1)->CellAngle, 0);

    G->AddProgress(1, 2, clBlue, clWhite);
    TCellGraphic* Bar = G->GetCellGraphic(1, 2);
    EXPECT_EQ(Bar->GraphicColor(), clBlue);
    EXPECT_EQ(Bar->GraphicExtraColor(), clWhite);
    EXPECT_EQ(Bar->CellErrLen, 100);
    EXPECT_FALSE(Bar->CellBoolean);
    EXPECT_EQ(G->GetAlignments(1, 2), taLeftJustify);
    G->SetAutoNumAlign(true);
    G->AddProgressFormatted(2, 2, clBlue, clBlack, clWhite, clGray, "%.0f%%", 10, 50);
    TCellGraphic* Fmt = G->GetCellGraphic(2, 2);
    EXPECT_EQ(Fmt->CellIndex, Integer(clBlack));
    EXPECT_EQ(Fmt->CellAngle, Integer(clGray));
    EXPECT_TRUE(Fmt->CellBoolean);
    EXPECT_EQ(Fmt->CellText, "%.0f%%");
    EXPECT_EQ(Fmt->CellErrFrom, 10);
    EXPECT_EQ(Fmt->CellErrLen, 50);
    EXPECT_EQ(G->GetAlignments(2, 2), taRightJustify);
    G->AddProgressEx(3, 2, clBlue, clBlack, clWhite, clGray);
    EXPECT_EQ(G->GetCellGraphic(3, 2)->CellErrFrom, 0);
    EXPECT_EQ(G->GetCellGraphic(3, 2)->CellErrLen, 100);

    G->AddRangeIndicator(1, 3, 20, clRed, clGreen, true);
    TCellGraphic* Range = G->GetCellGraphic(1, 3);
    EXPECT_EQ(Range->CellIndex, 20);
    EXPECT_EQ(Range->GraphicColor(), clRed);
    EXPECT_EQ(Range->GraphicExtraColor(), clGreen);
    EXPECT_TRUE(Range->CellBoolean);
    G->AddVadProgress(2, 3, 5, 9);
    EXPECT_EQ(G->GetCellGraphic(2, 3)->CellErrFrom, 5);
    EXPECT_EQ(G->GetCellGraphic(2, 3)->CellErrLen, 9);
}

TEST_F(CellDecorationsTest, CommentsShapesAndRatings)
{
    G->AddBitmap(1, 1, nullptr, false, haLeft, vaTop);
    G->SetComment(1, 1, "not here");
    EXPECT_EQ(G->GetCellType(1, 1), ctBitmap);
    G->SetComment(2, 1, "added");
    EXPECT_EQ(G->GetComment(2, 1), "added");
    EXPECT_EQ(G->GetCellGraphic(2, 1)->CellIndex, 255); // ControlLook.CommentColor
    G->SetComment(2, 1, "changed");
    EXPECT_EQ(G->GetComment(2, 1), "changed");
    G->AddColorComment(3, 1, "blue", clBlue);
    EXPECT_EQ(G->GetCellGraphic(3, 1)->CellIndex, Integer(clBlue));
    AnsiString C = "kept";
    EXPECT_FALSE(G->IsComment(1, 1, C));
    EXPECT_EQ(C, "kept");
    EXPECT_EQ(G->GetComment(1, 1), "");
    G->AddComment(4, 6, "last row");
    G->RemoveAllComments();
    EXPECT_EQ(G->GetCellType(2, 1), ctEmpty);
    EXPECT_EQ(G->GetCellType(3, 1), ctEmpty);
    EXPECT_EQ(G->GetCellType(4, 6), ctEmpty);
    EXPECT_EQ(G->GetCellType(1, 1), ctBitmap);

    G->AddShape(1, 2, csDiamond, clYellow, clBlack, haCenter, vaBottom);
    TCellGraphic* S = G->GetCellGraphic(1, 2);
    EXPECT_EQ(S->CellAngle, csDiamond);
    EXPECT_EQ(S->GraphicColor(), clBlack);
    EXPECT_EQ(G->GetShapeColor(1, 2), clYellow);
    G->SetShapeColor(1, 2, clRed);
    EXPECT_EQ(G->GetShapeColor(1, 2), clRed);
    EXPECT_EQ(G->GetShapeColor(2, 2), clNone);
    G->SetShapeColor(1, 1, clRed); // a bitmap: nothing
    EXPECT_EQ(G->GetCellGraphic(1, 1)->CellIndex, 0);

    G->AddRating(1, 3, 5, clYellow, clGray);
    EXPECT_TRUE(G->HasRating(1, 3));
    EXPECT_EQ(G->GetCellGraphic(1, 3)->CellAngle, 5);
    EXPECT_EQ(G->GetCellGraphic(1, 3)->GraphicColor(), clGray);
    EXPECT_FALSE(G->HasRating(2, 3));
}

TEST_F(CellDecorationsTest, CellScrollBars)
{
    G->AddScrollBar(1, 1, false);
    EXPECT_TRUE(G->HasScrollBar(1, 1));
    EXPECT_FALSE(G->HasAutoRangeScrollBar(1, 1));
    EXPECT_EQ(G->GetScrollProp(1, 1), (TScrollProp{0, 100}));
    EXPECT_EQ(G->GetScrollPosition(1, 1), 0);
    G->SetScrollPosition(1, 1, 30);
    G->SetScrollProp(1, 1, TScrollProp{20, 200});
    EXPECT_EQ(G->GetScrollPosition(1, 1), 30);
    EXPECT_EQ(G->GetScrollProp(1, 1), (TScrollProp{20, 200}));
    EXPECT_EQ(G->GetScrollProp(2, 1), (TScrollProp{-1, -1}));
    EXPECT_EQ(G->GetScrollPosition(2, 1), -1);
    G->AddComment(2, 1, "c");
    G->SetScrollPosition(2, 1, 30);
    G->SetScrollProp(2, 1, TScrollProp{20, 200});
    EXPECT_EQ(G->GetCellGraphic(2, 1)->CellIndex, 255);
    G->AddScrollBar(3, 1, true);
    EXPECT_TRUE(G->HasAutoRangeScrollBar(3, 1));
}

TEST_F(CellDecorationsTest, MarkersLiveInsideWhateverGraphicTheCellHas)
{
    G->SetCells(1, 1, "some text");
    G->AddMarker(1, 1, 2, 4);
    EXPECT_EQ(G->GetCellType(1, 1), ctEmpty);
    Integer From = -1, Count = -1;
    G->GetMarker(1, 1, From, Count);
    EXPECT_EQ(From, 2);
    EXPECT_EQ(Count, 4);
    G->RemoveMarker(1, 1);
    EXPECT_EQ(G->GetCellGraphic(1, 1), nullptr); // the marker's own graphic is gone
    G->GetMarker(1, 1, From, Count);
    EXPECT_EQ(From, 0);
    EXPECT_EQ(Count, 0);

    TBitmap* B = G->CreateBitmap(2, 1, false, haLeft, vaTop);
    G->AddMarker(2, 1, 1, 3);
    EXPECT_EQ(G->GetBitmap(2, 1), B);
    G->GetMarker(2, 1, From, Count);
    EXPECT_EQ(From, 1);
    G->RemoveMarker(2, 1);
    EXPECT_EQ(G->GetBitmap(2, 1), B); // only the stretch goes
    G->GetMarker(2, 1, From, Count);
    EXPECT_EQ(From, 0);
    EXPECT_EQ(Count, 0);

    G->AddMarker(3, 2, 1, 1);
    G->AddMarker(4, 7, 1, 1);
    G->AddMarker(2, 1, 1, 1);
    G->RemoveAllMarkers();
    EXPECT_EQ(G->GetCellGraphic(3, 2), nullptr);
    EXPECT_EQ(G->GetCellGraphic(4, 7), nullptr);
    EXPECT_EQ(G->GetBitmap(2, 1), B);
    G->RemoveMarker(5, 5); // nothing there: nothing happens
}

TEST_F(CellDecorationsTest, ButtonsAndTheirDisplayColumns)
{
    G->AddButton(2, 1, 80, 20, "Press", haLeft, vaTop);
    EXPECT_EQ(G->GetCellGraphic(2, 1)->CellIndex, 80 + 20 * 65536);
    EXPECT_TRUE(G->HasButton(2, 1));
    EXPECT_EQ(G->GetButtonText(2, 1), "Press");
    // The button operations take display columns: hide column 1 and the button shows in column 1.
    G->HideColumn(1);
    EXPECT_EQ(G->GetButtonText(1, 1), "Press");
    G->SetButtonText(1, 1, "Again");
    EXPECT_EQ(G->GetCellGraphic(2, 1)->CellText, "Again");
    G->PushButton(1, 1, true);
    EXPECT_TRUE(G->GetCellGraphic(2, 1)->CellBoolean);
    // Painting records where it drew the button (X + Y * 65536 inside the cell).
    G->GetCellGraphic(2, 1)->CellValue = 3 + 4 * 65536;
    const TRect Cell = G->CellRect(1, 1);
    EXPECT_EQ(G->ButtonRect(1, 1), (TRect{Cell.Left + 3, Cell.Top + 4, Cell.Left + 83, Cell.Top + 24}));
    G->GetCellGraphic(2, 1)->CellVAlign = vaFull;
    EXPECT_EQ(G->ButtonRect(1, 1), (TRect{Cell.Left + 3, Cell.Top, Cell.Left + 83, Cell.Bottom}));
    G->GetCellGraphic(2, 1)->CellHAlign = haFull;
    EXPECT_EQ(G->ButtonRect(1, 1), Cell);
    EXPECT_EQ(G->ButtonRect(3, 3), (TRect{0, 0, 0, 0})); // no graphic: empty
    EXPECT_EQ(G->GetButtonText(3, 3), "");
    G->UnHideColumn(1);

    TBitmap* Glyph = G->CreateBitButton(3, 2, 30, 30, "", haCenter, vaCenter);
    EXPECT_EQ(G->GetCellGraphic(3, 2)->Bitmap(), Glyph);
    EXPECT_TRUE(G->HasButton(3, 2));
    EXPECT_TRUE(G->RemoveButton(3, 2));
    EXPECT_FALSE(G->HasButton(3, 2));
    EXPECT_TRUE(G->RemoveButton(2, 1));
    EXPECT_FALSE(G->RemoveButton(2, 1));
}

TEST_F(CellDecorationsTest, HtmlExportWritesCellPictures)
{
    const std::string Dir = exchangetest::TempPath("decorated", "") + "/";
    std::filesystem::create_directories(Dir);
    TBitmap* B = G->CreateBitmap(1, 1, false, haLeft, vaTop);
    B->SetSize(6, 4);
    TPicture* P = G->CreatePicture(2, 1, false, noStretch, 0, haLeft, vaTop);
    std::unique_ptr<TBitmap> Inside(SolidBitmap(5, 5, clGreen));
    P->SetGraphic(Inside.get());
    G->SaveToHTML(Dir + "cells.htm");
    EXPECT_TRUE(std::filesystem::exists(Dir + "images/img1.jpg"));
    EXPECT_TRUE(std::filesystem::exists(Dir + "images/img2.jpg"));
}

} // namespace
