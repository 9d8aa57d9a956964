#include "print/VuPaperImage.h"
#include "print/VuControls.h"
#include "print/VuPageList.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

using uitest::PixelAt;
using uitest::PumpUntilIdle;

namespace {

class TestPaperImage : public TVuPaperImage {
public:
    using TVuPaperImage::DrawDragOutline;
    using TVuPaperImage::TVuPaperImage;
};

class VuPaperImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(50, 50, 400, 500);
        Form->SetColor(clGray);
        Image = New<TestPaperImage>(Form);
        Image->SetBounds(0, 0, 300, 400);
        Image->SetParent(Form);
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void Show()
    {
        Form->Show();
        PumpUntilIdle();
    }
    TVuShadow Shadow; // outlives the form
    TForm* Form = nullptr;
    TestPaperImage* Image = nullptr;
};

TEST_F(VuPaperImageTest, ExtentAndCentringFollowZoomAndGutters)
{
    EXPECT_EQ(20, Image->Zoom());
    const TSize E = Image->GetPageExtent(96);
    EXPECT_EQ(159, E.cx);
    EXPECT_EQ(224, E.cy);
    const TRect R = Image->PageRect();
    EXPECT_EQ(30 + (300 - 60 - 159) / 2, R.Left);
    EXPECT_EQ(30 + (400 - 60 - 224) / 2, R.Top);
    EXPECT_EQ(159, R.Width());

    Image->SetGutters(TRect{10, 0, 50, 0});
    EXPECT_EQ(10 + (300 - 60 - 159) / 2, Image->PageRect().Left);
    // A page wider than the room left starts left of the gutter (the division truncates).
    Image->SetZoom(100);
    EXPECT_EQ(10 + (300 - 60 - 793) / 2, Image->PageRect().Left);
}

TEST_F(VuPaperImageTest, MousePositionsBecomeInchesFromThePageCorner)
{
    Image->SetZoom(100);
    const TRect R = Image->PageRect();
    struct Case {
        Integer Dx, Dy;
        Extended X, Y;
    } Cases[] = {{0, 0, 0, 0}, {96, 0, 1, 0}, {48, 192, 0.5, 2}, {-96, -48, -1, -0.5}};
    for (const Case& C : Cases) {
        Image->XYtoInchValuePoint(R.Left + C.Dx, R.Top + C.Dy, Image->MousePoint());
        EXPECT_DOUBLE_EQ(C.X, Image->MousePoint()->X()->GetAsInches()) << C.Dx;
        EXPECT_DOUBLE_EQ(C.Y, Image->MousePoint()->Y()->GetAsInches()) << C.Dy;
    }
    Image->SetZoom(50);
    const TRect R2 = Image->PageRect();
    const TVuPoint P = Image->XYtoInchPoint(R2.Left + 96, R2.Top);
    EXPECT_DOUBLE_EQ(2, P.X);
}

TEST_F(VuPaperImageTest, PageMouseHooksReportInches)
{
    Show();
    Image->SetZoom(25); // an inch is 24 pixels
    PumpUntilIdle();
    const TRect R = Image->PageRect();
    std::vector<std::string> Log;
    Image->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer X, Integer) {
        Log.push_back("down " + std::to_string(X));
    };
    Image->OnPageMouseDown = [&](TObject*, TMouseButton, TShiftState, TVuValue* X, TVuValue* Y) {
        Log.push_back("page down " + std::to_string(double(X->GetAsInches())) + " " +
                      std::to_string(double(Y->GetAsInches())));
    };
    Image->OnPageMouseUp = [&](TObject*, TMouseButton, TShiftState, TVuValue* X, TVuValue*) {
        Log.push_back("page up " + std::to_string(double(X->GetAsInches())));
    };
    uitest::MouseDown(Form->Handle(), R.Left + 24, R.Top + 12);
    uitest::MouseUp(Form->Handle(), R.Left + 48, R.Top + 12);
    ASSERT_EQ(3u, Log.size());
    EXPECT_EQ("down " + std::to_string(R.Left + 24), Log[0]);
    EXPECT_EQ("page down 1.000000 0.500000", Log[1]);
    EXPECT_EQ("page up 2.000000", Log[2]);
}

TEST_F(VuPaperImageTest, EmptySheetPaintsPaperOutlineAndShadow)
{
    Image->SetShadow(&Shadow);
    Show();
    HWND W = Form->Handle();
    const TRect R = Image->PageRect();
    EXPECT_EQ(clWhite, PixelAt(W, R.Left + 20, R.Top + 20));
    EXPECT_EQ(clBlack, PixelAt(W, R.Left, R.Top + 20));                // outline
    EXPECT_EQ(clBlack, PixelAt(W, R.Right - 1, R.Top + 20));           // outline
    EXPECT_EQ(clBlack, PixelAt(W, R.Right + 2, R.Top + 20));           // right band of the shadow
    EXPECT_EQ(clBlack, PixelAt(W, R.Left + 20, R.Bottom + 2));         // bottom band
    EXPECT_EQ(ColorToRGB(clGray), PixelAt(W, R.Right + 2, R.Top + 1)); // the band starts Width lower
    EXPECT_EQ(ColorToRGB(clGray), PixelAt(W, R.Left - 5, R.Top + 20));

    Shadow.SetVisible(false);
    PumpUntilIdle();
    EXPECT_EQ(ColorToRGB(clGray), PixelAt(W, R.Right + 2, R.Top + 20));
}

TEST_F(VuPaperImageTest, SheetIsRenderedOncePerZoom)
{
    Show();
    EXPECT_EQ(1, Image->RenderCount());
    for (int I = 0; I < 3; ++I) {
        Image->Invalidate();
        PumpUntilIdle();
    }
    EXPECT_EQ(1, Image->RenderCount());
    Image->SetZoom(30);
    PumpUntilIdle();
    EXPECT_EQ(2, Image->RenderCount());
    Image->SetZoom(30); // no change, no rendering
    Image->Invalidate();
    PumpUntilIdle();
    EXPECT_EQ(2, Image->RenderCount());
    Image->InvalidatePage();
    PumpUntilIdle();
    EXPECT_EQ(3, Image->RenderCount());

    // Nothing paints while updating; the closing EndUpdate repaints.
    Image->BeginUpdate();
    Image->BeginUpdate();
    Image->InvalidatePage();
    PumpUntilIdle();
    Image->EndUpdate();
    PumpUntilIdle();
    EXPECT_EQ(3, Image->RenderCount());
    Image->EndUpdate();
    PumpUntilIdle();
    EXPECT_EQ(4, Image->RenderCount());
}

TEST_F(VuPaperImageTest, GridDrawsLinesOrDotsEverySpacing)
{
    TVuPageGrid Grid;
    int Changes = 0;
    Grid.OnChange = [&](TObject*) { ++Changes; };
    TBitmap B;
    B.SetSize(800, 1140);
    Grid.DrawToCanvas(B.Canvas(), VuSize(8.26, 11.69), 96);
    EXPECT_EQ(clWhite, B.Canvas()->Pixels(38, 5)); // vuNoGrid draws nothing

    Grid.SetGridStyle(vuLines);
    Grid.SetGridStyle(vuLines);
    EXPECT_EQ(1, Changes);
    Grid.DrawToCanvas(B.Canvas(), VuSize(8.26, 11.69), 96);
    int Vertical = 0, Horizontal = 0;
    for (int X = 0; X < B.Width(); ++X)
        Vertical += B.Canvas()->Pixels(X, 5) == clSilver;
    for (int Y = 0; Y < B.Height(); ++Y)
        Horizontal += B.Canvas()->Pixels(5, Y) == clSilver;
    EXPECT_EQ(21, Vertical);
    EXPECT_EQ(30, Horizontal);
    EXPECT_EQ(clSilver, B.Canvas()->Pixels(38, 5)); // round(0.3937 × 96)

    TBitmap D;
    D.SetSize(200, 200);
    Grid.SetGridStyle(vuDots);
    Grid.GridPen()->SetColor(clRed);
    EXPECT_EQ(3, Changes);
    Grid.DrawToCanvas(D.Canvas(), VuSize(1, 1), 96);
    EXPECT_EQ(clRed, D.Canvas()->Pixels(38, 38));
    EXPECT_EQ(clRed, D.Canvas()->Pixels(76, 76));
    EXPECT_EQ(clWhite, D.Canvas()->Pixels(38, 50));
    Grid.Spacing()->SetAsMillimeters(5);
    EXPECT_EQ(4, Changes);
}

TEST_F(VuPaperImageTest, DragOutlineTwiceLeavesNoTrace)
{
    Show();
    HWND W = Form->Handle();
    const TRect R = Image->PageRect();
    const TPoint P = Image->ClientToScreen(TPoint{R.Left + 10, R.Top + 10});
    SetCursorPos(P.X, P.Y);
    Image->DragDrawStart();
    EXPECT_TRUE(Image->IsDragging());
    Image->DragDrawStart(); // already dragging: the start corner stays
    uitest::MoveMouse(W, R.Left + 60, R.Top + 80);
    EXPECT_EQ((TRect{R.Left + 10, R.Top + 10, R.Left + 60, R.Top + 80}), Image->DragRect());
    // The outline is on screen: the inverted white is black somewhere along the top edge.
    int Dark = 0;
    for (int X = R.Left + 10; X < R.Left + 60; ++X)
        Dark += PixelAt(W, X, R.Top + 10) == clBlack;
    EXPECT_GT(Dark, 5);
    const TVuRect In = Image->GetDragDrawInchRect();
    EXPECT_DOUBLE_EQ(10 / (96 * 0.2L), In.Left);
    EXPECT_DOUBLE_EQ(80 / (96 * 0.2L), In.Bottom);

    std::vector<COLORREF> Before;
    for (int X = R.Left; X < R.Right; ++X)
        Before.push_back(PixelAt(W, X, R.Top + 80));
    Image->DrawDragOutline();
    Image->DrawDragOutline();
    for (int X = R.Left; X < R.Right; ++X)
        EXPECT_EQ(Before[X - R.Left], PixelAt(W, X, R.Top + 80));

    Image->DragDrawStop();
    PumpUntilIdle();
    EXPECT_FALSE(Image->IsDragging());
    EXPECT_EQ(clWhite, PixelAt(W, R.Left + 30, R.Top + 10));
}

TEST_F(VuPaperImageTest, HeaderCaptionsKeepTheirSizeOnTheSheet)
{
    TVuPageList Doc;
    Doc.AddPage();
    Doc.Header()->CaptionLeft()->SetCaption("Spring prize draw");
    Doc.Header()->CaptionLeft()->Font()->SetSize(20);
    Doc.Header()->SetVisible(true);
    Form->SetBounds(0, 0, 700, 800);
    Image->SetBounds(0, 0, 600, 700);
    Image->SetGutters(TRect{});
    Image->SetZoom(50); // 48 pixels an inch
    Image->SetPage(Doc.GetPage(1));
    Show();
    const TRect R = Image->PageRect();
    // The band's text stands on the line 0.5 in + the caption height below the page's top.
    int Rows = 0;
    for (int Y = R.Top + 2; Y < R.Top + 24 + 16; ++Y) {
        bool Ink = false;
        for (int X = R.Left + 24; X < R.Left + 200 && !Ink; ++X)
            Ink = PixelAt(Form->Handle(), X, Y) != clWhite;
        Rows += Ink;
    }
    // A 20-point caption is about 13 pixels high at this zoom (with the line under it).
    EXPECT_GE(Rows, 10);
    Image->SetPage(nullptr);
}

TEST(VuShadowTest, AssignCopiesAndReportsOnce)
{
    TVuShadow A, B;
    int Changes = 0;
    B.OnChange = [&](TObject*) { ++Changes; };
    A.SetColor(clRed);
    A.SetWidth(5);
    A.SetVisible(false);
    B.Assign(&A);
    EXPECT_EQ(1, Changes);
    EXPECT_EQ(clRed, B.Color());
    EXPECT_EQ(5, B.Width());
    EXPECT_FALSE(B.Visible());
    B.SetWidth(5);
    EXPECT_EQ(1, Changes);
}

TEST(VuControlsTest, AboutNamesClassAndVersion)
{
    uitest::Start();
    TVuScrollingWinControl C(nullptr);
    EXPECT_EQ("TVuScrollingWinControl v2.96.6", C.About());
    C.SetAbout("other");
    EXPECT_EQ("TVuScrollingWinControl v2.96.6", C.About());
    EXPECT_DOUBLE_EQ(2.96, double(C.GetVersion()));
    EXPECT_EQ(clSilver, C.Color());
    EXPECT_TRUE(C.DoubleBuffered());
    EXPECT_EQ(bsSingle, C.BorderStyle());
}

} // namespace
