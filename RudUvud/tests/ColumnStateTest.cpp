// Column layout persistence: the column state string and the column size store, with layouts
// from outside refused as a whole.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/IniFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class ColumnStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = NewGrid();
        char Dir[] = "/tmp/colstateXXXXXX";
        ASSERT_NE(mkdtemp(Dir), nullptr);
        TempDir = Dir;
        const char* Old = std::getenv("XDG_CONFIG_HOME");
        OldConfig = Old ? Old : "";
        HadConfig = Old != nullptr;
        setenv("XDG_CONFIG_HOME", TempDir.c_str(), 1);
    }
    void TearDown() override
    {
        Form->Free();
        if (HadConfig)
            setenv("XDG_CONFIG_HOME", OldConfig.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(TempDir);
    }
    // Four columns named by their real index in row 0.
    TDidAririzEvar* NewGrid()
    {
        TDidAririzEvar* NG = gridtest::NewShownGrid(Form, 4, 3);
        NG->SetDefaultColWidth(64);
        for (Integer C = 0; C < 4; ++C)
            NG->SetCells(C, 0, "c" + std::to_string(C));
        return NG;
    }
    std::vector<std::string> Header(TDidAririzEvar* X)
    {
        std::vector<std::string> V;
        for (Integer C = 0; C < X->ColCount(); ++C)
            V.push_back(X->Cells(X->RealColIndex(C), 0) + "/" + std::to_string(X->ColWidths(C)));
        return V;
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    std::string TempDir, OldConfig;
    bool HadConfig = false;
};

TEST_F(ColumnStateTest, StringRoundTripWithHiddenAndMovedColumns)
{
    G->SetColWidths(1, 80);
    G->SetColWidths(3, 40);
    G->HideColumn(2);
    EXPECT_EQ(G->ColumnStatesToString(), "4#64,80,40,64#0,1,2,3#1,1,0,1");

    TDidAririzEvar* H = NewGrid();
    H->StringToColumnStates("4#64,80,40,64#0,1,2,3#1,1,0,1");
    EXPECT_TRUE(H->IsHiddenColumn(2));
    EXPECT_EQ(Header(H), (std::vector<std::string>{"c0/64", "c1/80", "c3/40"}));
    EXPECT_EQ(H->ColumnStatesToString(), "4#64,80,40,64#0,1,2,3#1,1,0,1");

    // A moved column comes back at its place, and the string reads the same again.
    TDidAririzEvar* M = NewGrid();
    M->SetColWidths(0, 50);
    M->MoveColumn(0, 2);
    const AnsiString Moved = M->ColumnStatesToString();
    TDidAririzEvar* N = NewGrid();
    N->StringToColumnStates(Moved);
    EXPECT_EQ(Header(N), Header(M));
    EXPECT_EQ(N->ColumnStatesToString(), Moved);
}

TEST_F(ColumnStateTest, MalformedStringsChangeNothing)
{
    G->SetColWidths(1, 80);
    G->MoveColumn(0, 1);
    const AnsiString Before = G->ColumnStatesToString();
    const std::vector<std::string> Cols = Header(G);
    const char* Bad[] = {
        "#",                      // empty count
        "3#64,80,40",             // parts missing
        "3#64,80#0,1,2#1,1,1",    // widths short
        "3#64,x,40#0,1,2#1,1,1",  // not a number
        "3#64,80,40#0,1,2#1,1",   // visibility short
        "3#64,80,40#0,0,1#1,1,1", // order not a permutation (would never settle)
        "3#64,80,40#0,1,7#1,1,1", // order names a column that is not there
        "3#64,80,40#0,1#1,1,1",   // order short
        "3#-5,80,40#0,1,2#1,1,1", // negative width
        "999999999#1#0#1",        // count past any grid
        "0###",                   // no columns
        "3#64,80,40#0,1,2#0,0,0", // every column hidden
    };
    for (const char* S : Bad) {
        EXPECT_ANY_THROW(G->StringToColumnStates(S)) << S;
        EXPECT_EQ(G->ColumnStatesToString(), Before) << S;
        EXPECT_EQ(Header(G), Cols) << S;
    }
    G->StringToColumnStates("no hash here");
    EXPECT_EQ(G->ColumnStatesToString(), Before);
    // Columns past the visibility table are shown whatever the string says.
    std::string Widths, Visible;
    for (int I = 0; I < 600; ++I) {
        Widths += (I ? ",10" : "10");
        Visible += (I ? (I == 550 ? ",0" : ",1") : "1");
    }
    G->StringToColumnStates("600#" + Widths + "##" + Visible);
    EXPECT_EQ(G->ColCount(), 600);
    EXPECT_FALSE(G->IsHiddenColumn(550));
    EXPECT_EQ(G->ColWidths(599), 10);
}

TEST_F(ColumnStateTest, StoreRoundTripInIniFileAndRegistry)
{
    for (TColumnSizeLocation Where : {clIniFile, clRegistry}) {
        TDidAririzEvar* A = NewGrid();
        A->ColumnSize()->Location = Where;
        A->ColumnSize()->Key =
            Where == clIniFile ? AnsiString(TempDir + "/cols.ini") : AnsiString("Software\\GridTest");
        A->ColumnSize()->Section = "Layout";
        A->SetColWidths(2, 99);
        // No move yet: no "Pos" entries, and loading positions does nothing.
        A->SaveColPositions();
        A->LoadColPositions();
        EXPECT_EQ(A->ColumnStatesToString(), "4#64,64,99,64#0,1,2,3#1,1,1,1");
        A->MoveColumn(3, 0);
        A->SaveColSizes();
        A->SaveColPositions();

        TDidAririzEvar* B = NewGrid();
        B->ColumnSize()->Assign(A->ColumnSize());
        B->ColumnSize()->Location = Where;
        B->LoadColPositions();
        B->LoadColSizes();
        EXPECT_EQ(Header(B), Header(A)) << Where;
    }
}

// With ColumnSize.Save the widths go to the store when the grid goes and come back when a grid's
// window is made.
TEST_F(ColumnStateTest, SavedWithTheGridAndLoadedWithItsWindow)
{
    auto Setup = [&](TDidAririzEvar* X) {
        X->ColumnSize()->Location = clIniFile;
        X->ColumnSize()->Key = AnsiString(TempDir + "/auto.ini");
        X->ColumnSize()->Section = "Layout";
        X->ColumnSize()->Save = true;
    };
    Setup(G);
    G->SetColWidths(1, 77);
    G->Free();
    G = nullptr;
    TMemIniFile Ini(AnsiString(TempDir + "/auto.ini"));
    EXPECT_EQ(Ini.ReadInteger("Layout", "Col1", -1), 77);

    TDidAririzEvar* B = New<TDidAririzEvar>(Form);
    Setup(B);
    B->SetColCount(4);
    B->SetParent(Form);
    B->HandleNeeded();
    EXPECT_EQ(B->ColWidths(1), 77);
}

TEST_F(ColumnStateTest, BadStoreEntriesAreRefused)
{
    const AnsiString File = TempDir + "/bad.ini";
    {
        std::ofstream Out(File);
        Out << "[Layout]\nCol0=-7\nCol1=70\nCol2=abc\nPos0=1\nPos1=1\nPos2=0\nPos3=3\n";
    }
    G->ColumnSize()->Location = clIniFile;
    G->ColumnSize()->Key = File;
    G->ColumnSize()->Section = "Layout";
    const std::vector<std::string> Cols = Header(G);
    EXPECT_THROW(G->LoadColPositions(), EListError); // column 1 twice
    EXPECT_EQ(Header(G), Cols);
    G->LoadColSizes(); // only the width a column can have is taken
    EXPECT_EQ(Header(G), (std::vector<std::string>{"c0/64", "c1/70", "c2/64", "c3/64"}));

    // Without a key or a section nothing is read or written.
    const AnsiString Unused = TempDir + "/unused.ini";
    G->ColumnSize()->Key = Unused;
    G->ColumnSize()->Section = "";
    G->SaveColSizes();
    G->ColumnSize()->Key = "";
    G->ColumnSize()->Section = "Layout";
    G->SaveColSizes();
    G->SaveColPositions();
    G->LoadColSizes();
    G->LoadColPositions();
    EXPECT_FALSE(std::filesystem::exists(Unused.c_str()));
    EXPECT_FALSE(std::filesystem::exists(TempDir + "/drawmere"));
}

} // namespace
