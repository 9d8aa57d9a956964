#include "RudUvud/support/VadObj.h"

#include "RudUvud/support/VadStyleIF.h"
#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Exceptions.h"
#include "platform/testing/Harness.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<Integer> Items(const TIntList& L)
{
    std::vector<Integer> V;
    for (Integer I = 0; I < L.Count(); ++I)
        V.push_back(L.GetInteger(I));
    return V;
}

TEST(IntList, TextFormRoundTripsAndBadItemsLeaveTheListAlone)
{
    struct Case {
        const char* Text;
        std::vector<Integer> Items;
        const char* Back;
    } Cases[] = {
        {"", {}, ""},
        {"3,-1,7", {3, -1, 7}, "3,-1,7"},
        {"4, 5", {4, 5}, "4,5"},
        {"\"1\" 2", {1, 2}, "1,2"},
        {"-2147483648,2147483647", {-2147483648, 2147483647}, "-2147483648,2147483647"},
    };
    for (const Case& C : Cases) {
        TIntList L(1, 2);
        L.SetStrValue(C.Text);
        EXPECT_EQ(Items(L), C.Items) << C.Text;
        EXPECT_EQ(L.GetStrValue(), C.Back) << C.Text;
    }
    TIntList L(0, 0);
    L.SetStrValue("9,8");
    EXPECT_THROW(L.SetStrValue("1,x,3"), EConvertError);
    EXPECT_EQ(Items(L), (std::vector<Integer>{9, 8}));
}

TEST(IntList, ChangesAreReportedWithTheCell)
{
    TIntList L(3, 4);
    std::vector<std::pair<Integer, Integer>> Events;
    L.OnChange = [&](TObject* Sender, Integer Col, Integer Row) {
        EXPECT_EQ(Sender, &L);
        Events.emplace_back(Col, Row);
    };
    L.Add(1);
    L.Add(2);
    L.Insert(0, 5); // silent
    L.SetInteger(1, 7);
    L.DeleteValue(99); // absent: silent
    L.DeleteValue(2);
    L.Delete(0);
    EXPECT_EQ(Events.size(), 5u);
    EXPECT_EQ(Events.front(), (std::pair<Integer, Integer>{3, 4}));
    EXPECT_EQ(Items(L), (std::vector<Integer>{7}));
    EXPECT_TRUE(L.HasValue(7));
    EXPECT_FALSE(L.HasValue(2));
}

TEST(SortIndexList, ColumnsDirectionsAndTextForm)
{
    TSortIndexList L;
    L.AddIndex(5, false);
    EXPECT_EQ(L.SaveToString(), "d5");
    L.AddIndex(2, true);
    EXPECT_EQ(L.FindIndex(5), 0); // the direction bit is ignored
    EXPECT_EQ(L.FindIndex(2), 1);
    EXPECT_EQ(L.FindIndex(7), -1);
    L.ToggleIndex(5);
    L.ToggleIndex(7); // absent: nothing
    EXPECT_TRUE(L.GetSortDirections(0));
    L.SetSortDirections(1, false);
    L.SetSortColumns(1, 9); // keeps the direction
    EXPECT_EQ(L.GetSortColumns(1), 9);
    EXPECT_FALSE(L.GetSortDirections(1));
    EXPECT_EQ(L.SaveToString(), "u5;d9");

    struct Case {
        const char* Text;
        const char* Loaded;
    } Cases[] = {
        {"u2;x3;;d", "u2;d3"}, // empty entry and single letter skipped, any letter but u descends
        {"u1;uX;d-4;u", "u1"}, // columns that are not non-negative numbers are left out
        {"", ""},
        {"d70000", "d4464"}, // the text form keeps the low 16 bits
    };
    for (const Case& C : Cases) {
        L.LoadFromString(C.Text);
        EXPECT_EQ(L.SaveToString(), C.Loaded) << C.Text;
    }
}

TEST(FileStringList, WritesAndReadsLines)
{
    TFileStringList L;
    L.Write("x");
    L.Write("y");
    L.WriteLn("z");
    L.WriteLn("second");
    EXPECT_EQ(L.Count(), 2);
    L.Reset();
    AnsiString S;
    ASSERT_FALSE(L.GetEOF());
    L.ReadLn(S);
    EXPECT_EQ(S, "xyz");
    L.ReadLn(S);
    EXPECT_EQ(S, "second");
    EXPECT_TRUE(L.GetEOF());
    EXPECT_THROW(L.ReadLn(S), EStringListError);
}

TEST(ControlList, OwnsItemsNotControlsAndForgetsDestroyedControls)
{
    uitest::Start();
    auto* Edit = New<TEdit>(nullptr);
    auto* Other = New<TEdit>(nullptr);
    {
        TControlList L;
        EXPECT_EQ(L.ControlIndex(1, 1), -1);
        L.AddControl(1, 1, Edit);
        L.AddControl(2, 3, Other);
        EXPECT_EQ(L.ControlIndex(2, 3), 1);
        EXPECT_EQ(L.GetControl(1)->Control, Other);
        EXPECT_FALSE(L.HasHandle(nullptr));
        // A control freed elsewhere drops out instead of staying as a dangling item.
        Other->Free();
        EXPECT_EQ(L.Count(), 1);
        EXPECT_EQ(L.ControlIndex(2, 3), -1);
    }
    // The list is gone; the control it listed is not.
    EXPECT_EQ(Edit->Name(), "");
    Edit->Free();
}

TEST(ArrowWindow, PolygonPointsTheOtherWay)
{
    // Left and right arrows point the other way round: the grid shows them beside a row.
    EXPECT_EQ(TArrowWindow::ArrowPoints(arrLeft)[4], (TPoint{8, 5}));  // tip at the right
    EXPECT_EQ(TArrowWindow::ArrowPoints(arrRight)[0], (TPoint{0, 5})); // tip at the left
    EXPECT_EQ(TArrowWindow::ArrowPoints(arrUp)[0], (TPoint{5, 0}));
    EXPECT_EQ(TArrowWindow::ArrowPoints(arrDown)[4], (TPoint{5, 8}));
}

TEST(ArrowWindow, WindowIsCutToItsArrow)
{
    uitest::Start();
    TArrowWindow Arrow(nullptr, arrLeft);
    EXPECT_EQ(Arrow.Color(), 0x00FF00);
    EXPECT_FALSE(Arrow.Visible());
    Arrow.SetBounds(0, 0, 11, 11);
    Arrow.HandleNeeded();
    EXPECT_NE(GetWindowLong(Arrow.Handle(), GWL_STYLE) & WS_POPUP, 0);
    HRGN Region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(Arrow.Handle(), Region), 0);
    EXPECT_TRUE(PtInRegion(Region, 6, 5));  // inside the arrow's head
    EXPECT_FALSE(PtInRegion(Region, 1, 1)); // beside its shaft
    DeleteObject(Region);
}

TEST(SystemTests, ClassicProfileWithoutTheme)
{
    EXPECT_TRUE(IsWinXPSystem());
    EXPECT_FALSE(IsVisualStylesActive());
    EXPECT_EQ(CurrentXPColorScheme(), 0);
    EXPECT_EQ(GetFileVersion("COMCTL32.DLL"), (5 << 16) | 82);
    EXPECT_EQ(GetFileVersion("nosuch.dll"), -1);
}

TEST(BandedGradient, BandsAndBorder)
{
    TBitmap B;
    B.SetSize(40, 10);
    TCanvas* C = B.Canvas();
    DrawBandedGradient(C, 0x000000, 0xFF0000, true, TRect{0, 0, 40, 10}, 4, 0x00FF00);
    // Four bands of 10 pixels: blue 0, 64, 128, 191 (ties to even), framed in lime.
    EXPECT_EQ(C->Pixels(0, 0), 0x00FF00);
    EXPECT_EQ(C->Pixels(39, 9), 0x00FF00);
    EXPECT_EQ(C->Pixels(5, 5), 0x000000);
    EXPECT_EQ(C->Pixels(15, 5), 0x400000);
    EXPECT_EQ(C->Pixels(25, 5), 0x800000);
    EXPECT_EQ(C->Pixels(35, 5), 0xBF0000);
}

TEST(ThemeLoader, BindsAllOrNothingAndUnbindsOnShutDown)
{
    using themeapi::TThemeLoader;
    {
        TThemeLoader T;
        T.Initialize();
        T.Initialize();
        EXPECT_TRUE(T.Loaded());
        EXPECT_EQ(T.LoadCount(), 1);
        EXPECT_NE(T.OpenThemeData, nullptr);
        EXPECT_NE(T.EnableTheming, nullptr);
        EXPECT_EQ(T.DrawThemeBackgroundEx, nullptr);
        EXPECT_FALSE(T.ThemeActive()); // the null engine never has a theme
        EXPECT_EQ(T.OpenThemeData(nullptr, u"button"), nullptr);
        T.Finalize();
        EXPECT_FALSE(T.Loaded());
        EXPECT_EQ(T.OpenThemeData, nullptr);
        EXPECT_FALSE(T.ThemeActive());
    }
    {
        SetLibraryPresent("uxtheme.dll", false);
        TThemeLoader T;
        T.Initialize();
        EXPECT_FALSE(T.Loaded());
        EXPECT_EQ(T.IsThemeActive, nullptr);
        ResetLibraryTable();
    }
    {
        // A library missing one function counts as no library: every user has a classic path.
        SetLibraryExportHidden("UXTHEME", "GetThemeSysInt", true);
        TThemeLoader T;
        T.Initialize();
        EXPECT_FALSE(T.Loaded());
        EXPECT_EQ(T.OpenThemeData, nullptr);
        ResetLibraryTable();
    }
    EXPECT_TRUE(IsVista());
    SetLibraryExportHidden("kernel32", "GetLocaleInfoEx", true);
    EXPECT_FALSE(IsVista());
    ResetLibraryTable();
}

} // namespace
