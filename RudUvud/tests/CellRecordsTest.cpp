// The compact cell records: every field keeps the value written, rare fields and narrow fields
// included; records live in the grid's record store and are freed once however they go.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

namespace {

class CellRecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = New<TBaseGrid>(Form);
        G->SetParent(Form);
        G->SetBounds(0, 0, 600, 400);
        G->SetColCount(20);
        G->SetRowCount(200);
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TBaseGrid* G = nullptr;
};

// Writes every field with values chosen to leave the narrow storage, reads them back, then sets
// the rare fields back to their defaults.
void CheckEveryField(TCellProperties& CP)
{
    TObject Obj, Calc, Graphic;
    TFontStyles Styles;
    Styles.Include(fsItalic).Include(fsStrikeOut);
    for (Integer Size : {12, -7, 32767, -32768, 32768, -32769, INT_MAX, INT_MIN, 0}) {
        CP.SetFontSize(Size);
        EXPECT_EQ(CP.FontSize(), Size);
    }
    for (const char* Name : {"Arial", "Courier New", "", "Arial"}) {
        CP.SetFontName(Name);
        EXPECT_EQ(CP.FontName(), Name);
    }
    CP.SetFontName(CP.FontName()); // its own name
    EXPECT_EQ(CP.FontName(), "Arial");
    CP.SetCellObject(&Obj);
    CP.SetGraphicObject(&Graphic);
    CP.SetCalcObject(&Calc);
    CP.SetBrushColorTo(0x00FF00);
    CP.SetBorderWidth(3);
    CP.SetBorderColor(0x0000FF);
    CP.SetPaintStamp(77);
    CP.SetNodeLevel(-2);
    CP.SetBrushStyle(bsDiagCross);
    CP.SetBrushColor(0x7FFFFFFF);
    CP.SetFontColor(0xFFFFFFFF);
    CP.SetFontStyle(Styles);
    CP.SetCellSpanX(INT_MAX);
    CP.SetCellSpanY(-1);
    CP.SetAlignment(taCenter);
    CP.SetVAlignment(vtaBottom);
    CP.SetWordWrap(false);
    CP.SetIsBaseCell(false);
    CP.SetCalcType(acCUSTOM);
    CP.SetEditor(edImagePickerDropDown);
    CP.SetReadOnly(true);
    CP.SetGradientDirection(GradientHorizontal);
    CP.SetOwnerCol(100000);
    CP.SetOwnerRow(2000000);
    EXPECT_EQ(CP.CellObject(), &Obj);
    EXPECT_EQ(CP.GraphicObject(), &Graphic);
    EXPECT_EQ(CP.CalcObject(), &Calc);
    EXPECT_EQ(CP.BrushColorTo(), 0x00FF00u);
    EXPECT_EQ(CP.BorderWidth(), 3);
    EXPECT_EQ(CP.BorderColor(), 0x0000FFu);
    EXPECT_EQ(CP.PaintStamp(), 77);
    EXPECT_EQ(CP.NodeLevel(), -2);
    EXPECT_EQ(CP.BrushStyle(), bsDiagCross);
    EXPECT_EQ(CP.BrushColor(), 0x7FFFFFFFu);
    EXPECT_EQ(CP.FontColor(), 0xFFFFFFFFu);
    EXPECT_TRUE(CP.FontStyle() == Styles);
    EXPECT_EQ(CP.CellSpanX(), INT_MAX);
    EXPECT_EQ(CP.CellSpanY(), -1);
    EXPECT_EQ(CP.Alignment(), taCenter);
    EXPECT_EQ(CP.VAlignment(), vtaBottom);
    EXPECT_FALSE(CP.WordWrap());
    EXPECT_FALSE(CP.IsBaseCell());
    EXPECT_EQ(CP.CalcType(), acCUSTOM);
    EXPECT_EQ(CP.Editor(), edImagePickerDropDown);
    EXPECT_TRUE(CP.ReadOnly());
    EXPECT_EQ(CP.GradientDirection(), GradientHorizontal);
    EXPECT_EQ(CP.OwnerCol(), 100000);
    EXPECT_EQ(CP.OwnerRow(), 2000000);
    EXPECT_EQ(CP.FontName(), "Arial");

    CP.SetCellObject(nullptr);
    CP.SetGraphicObject(nullptr);
    CP.SetCalcObject(nullptr);
    CP.SetBrushColorTo(clNone);
    CP.SetBorderWidth(0);
    CP.SetNodeLevel(0);
    EXPECT_EQ(CP.CellObject(), nullptr);
    EXPECT_EQ(CP.GraphicObject(), nullptr);
    EXPECT_EQ(CP.BrushColorTo(), clNone);
    EXPECT_EQ(CP.BorderWidth(), 0);
    EXPECT_EQ(CP.NodeLevel(), 0);
    EXPECT_EQ(CP.PaintStamp(), 77);
}

TEST_F(CellRecordsTest, EveryFieldKeepsItsValueInAGridRecordAndAFreeOne)
{
    TCellProperties* CP = G->GetCellProperties(3, 4);
    EXPECT_EQ(CP->OwnerGrid(), G);
    CheckEveryField(*CP);

    auto Free = std::make_unique<TCellProperties>(nullptr, 1, 2);
    EXPECT_EQ(Free->OwnerGrid(), nullptr);
    CheckEveryField(*Free);

    // Records copy each other whichever kind they are.
    TCellProperties* Other = G->GetCellProperties(5, 5);
    Other->Assign(Free.get());
    EXPECT_EQ(Other->FontName(), "Arial");
    EXPECT_EQ(Other->FontSize(), 0);
    EXPECT_EQ(Other->BorderColor(), 0x0000FFu);
    Free->SetFontSize(70000);
    Free->SetFontName("Tahoma");
    Other->Assign(Free.get());
    EXPECT_EQ(Other->FontSize(), 70000);
    EXPECT_EQ(Other->FontName(), "Tahoma");
}

TEST_F(CellRecordsTest, RecordsOfOneFontShareItsName)
{
    G->Font()->SetName("Verdana");
    TCellProperties* A = G->GetCellProperties(0, 0);
    TCellProperties* B = G->GetCellProperties(1, 0);
    EXPECT_EQ(&A->FontName(), &B->FontName());
    const AnsiString& Name = A->FontName();
    // Many more names later the first one is still where it was.
    for (Integer I = 0; I < 3000; ++I)
        G->GetCellProperties(I % 20, 1 + I / 20)->SetFontName("Font " + std::to_string(I));
    EXPECT_EQ(Name, "Verdana");
    EXPECT_EQ(G->GetCellProperties(19, 150)->FontName(), "Font 2999");
}

TEST_F(CellRecordsTest, RecordsLiveInTheStoreAndAreFreedOnceHoweverTheyGo)
{
    // Enough records to fill several slabs of the store.
    std::set<TCellProperties*> Seen;
    for (Integer R = 0; R < 200; ++R)
        for (Integer C = 0; C < 20; ++C)
            Seen.insert(G->GetCellProperties(C, R));
    EXPECT_EQ(Seen.size(), 4000u);
    EXPECT_EQ(G->LiveRecordCount(), 4000u);

    // Not a record: a foreign object, the inside of a record, a record of another grid.
    TObject Foreign;
    EXPECT_EQ(G->AsRecord(&Foreign), nullptr);
    TCellProperties* CP = G->GetCellProperties(7, 7);
    EXPECT_EQ(G->AsRecord(reinterpret_cast<TObject*>(reinterpret_cast<char*>(CP) + 8)), nullptr);
    auto* G2 = New<TBaseGrid>(Form);
    EXPECT_EQ(G2->AsRecord(CP), nullptr);
    G2->SetObjects(1, 1, CP);
    EXPECT_FALSE(G2->HasCellProperties(1, 1));
    G2->Free();
    EXPECT_EQ(G->AsRecord(CP), CP);

    // Freed through the grid, by delete and by Free: each slot goes back once, and a pointer
    // left in a slot no longer reads as a record.
    G->CopyRows(150, 7);
    G->ClearPropRect(0, 0, 19, 99);
    EXPECT_EQ(G->LiveRecordCount(), 2000u);
    EXPECT_FALSE(G->HasCellProperties(7, 150)) << "a copy of a freed record";
    delete G->GetCellProperties(0, 120);
    G->GetCellProperties(1, 120)->Free();
    EXPECT_FALSE(G->HasCellProperties(0, 120));
    EXPECT_FALSE(G->HasCellProperties(1, 120));
    EXPECT_EQ(G->LiveRecordCount(), 1998u);

    // Freed slots are used again; new records start from the defaults.
    G->GetCellProperties(2, 2)->SetBorderWidth(9);
    G->ClearPropCell(2, 2);
    for (Integer R = 0; R < 100; ++R)
        for (Integer C = 0; C < 20; ++C)
            EXPECT_EQ(G->GetCellProperties(C, R)->BorderWidth(), 0);
    EXPECT_EQ(G->LiveRecordCount(), 3998u);

    // A record made with new outside the store is its maker's, even when it names the grid.
    auto* Loose = new TCellProperties(G, 1, 1);
    EXPECT_EQ(Loose->OwnerGrid(), G);
    EXPECT_EQ(G->AsRecord(Loose), nullptr);
    Loose->SetBrushColor(0x10); // repaints the grid's cell
    delete Loose;
    // The rest goes with the grid (leaks show under the sanitizer).
}

} // namespace
