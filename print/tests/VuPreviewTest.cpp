#include "print/VuPreview.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using uitest::PumpUntilIdle;

namespace {

const std::vector<UINT> VuMessages = {VU_PAGESPERSHEETCHANGED, VU_HEADERFOOTERCHANGED, VU_ORIENTATIONCHANGED,
                                      VU_PAGECONTENTCHANGED,   VU_NUMPAGESCHANGED,     VU_PRINTERCHANGED,
                                      VU_BEGINUPDATE,          VU_ENDUPDATE,           VU_PAPERSIZECHANGED,
                                      VU_PAGENUMCHANGED};

class VuPreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(20, 20, 820, 500);
        Preview = New<TVuPreview>(Form);
        Preview->SetParent(Form);
        Preview->SetBounds(0, 0, 782, 440);
        Companion = New<TWinControl>(Form);
        Companion->SetParent(Form);
        Companion->SetBounds(790, 0, 10, 10);
        Form->Show();
        PumpUntilIdle();
        Preview->AddAssociatedComponent(Companion);
        Recorder.Watch(Companion->Handle());
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    std::vector<UINT> Sent() const { return Recorder.Ids(nullptr, VuMessages); }

    TForm* Form = nullptr;
    TVuPreview* Preview = nullptr;
    TWinControl* Companion = nullptr;
    uitest::MessageRecorder Recorder;
};

TEST_F(VuPreviewTest, ZoomStepsLimitsAndFits)
{
    EXPECT_EQ(20, Preview->Zoom());
    Preview->SetZoom(100);
    Preview->ZoomIn();
    EXPECT_EQ(120, Preview->Zoom());
    Preview->SetZoom(100);
    Preview->ZoomOut();
    EXPECT_EQ(80, Preview->Zoom());
    Preview->SetMaxZoom(800);
    Preview->SetZoom(800);
    Preview->ZoomIn();
    EXPECT_EQ(800, Preview->Zoom());
    Preview->SetZoom(7);
    Preview->ZoomOut();
    EXPECT_EQ(7, Preview->Zoom());
    Preview->SetZoomStyle(vuFixedZoom);
    Preview->ZoomOut();
    EXPECT_EQ(5, Preview->Zoom()); // 7 - 10 clamped to MinZoom
    Preview->ZoomIn();
    EXPECT_EQ(15, Preview->Zoom());

    Preview->SetMaxZoom(400);
    Preview->SetZoom(1000);
    EXPECT_EQ(400, Preview->Zoom());
    Preview->SetMaxZoom(3);
    EXPECT_EQ(5, Preview->MaxZoom());
    EXPECT_EQ(5, Preview->Zoom());
    Preview->SetMaxZoom(400);
    Preview->SetMinZoom(30);
    EXPECT_EQ(30, Preview->Zoom());
    Preview->SetMinZoom(5);

    Preview->FitWholePage();
    EXPECT_EQ(32, Preview->Zoom()); // round((440 − 60 − 20) / (11.69 × 96) × 100)
    // The width fits beside the vertical scroll bar: the page and its gutters leave no horizontal
    // bar, and one step more would (at several widths, where the rounding falls either way).
    for (Integer Width : {782, 800, 850, 1000, 1024}) {
        Preview->SetWidth(Width);
        PumpUntilIdle();
        Preview->FitWidth();
        EXPECT_LE(Preview->Zoom(), VuRound((Width - 60 - 20) / (Preview->GetPageWidth(vuInches) * 96) * 100));
        EXPECT_TRUE(Preview->VertScrollBar()->IsScrollBarVisible()) << Width;
        EXPECT_FALSE(Preview->HorzScrollBar()->IsScrollBarVisible()) << Width;
        const Extended NextStep =
            VuRound((Preview->Zoom() + 1) / 100.0L * Preview->GetPageWidth(vuInches) * 96);
        EXPECT_GT(60 + NextStep, Preview->ClientWidth()) << Width;
    }
    Preview->SetWidth(782);
    PumpUntilIdle();
    Preview->FitHeight();
    EXPECT_EQ(32, Preview->Zoom());

    // The same zoom again renders nothing.
    PumpUntilIdle();
    const Integer Renders = Preview->PaperImage()->RenderCount();
    Preview->SetZoom(32);
    PumpUntilIdle();
    EXPECT_EQ(Renders, Preview->PaperImage()->RenderCount());
}

TEST_F(VuPreviewTest, UpdateBracketSendsOneBeginAndOneEnd)
{
    Preview->BeginUpdate();
    Preview->BeginUpdate();
    for (int I = 0; I < 10; ++I)
        Preview->NewPage();
    Preview->EndUpdate();
    Preview->EndUpdate();
    EXPECT_EQ((std::vector<UINT>{VU_BEGINUPDATE, VU_ENDUPDATE}), Sent());
    EXPECT_EQ(11, Preview->GetNumPages());
    EXPECT_EQ(11, Preview->GetCurrentPageNum());

    Recorder.Clear();
    Preview->NextPage(); // on the last page: nothing
    EXPECT_TRUE(Sent().empty());
    Preview->PrevPage();
    Preview->FirstPage();
    EXPECT_EQ(1, Preview->GetCurrentPageNum());
    EXPECT_EQ(Preview->GetPage(1), Preview->PaperImage()->Page());
    Preview->NewPage();
    Preview->SetPagesPerSheet(vuTwoPage);
    Preview->SetOrientation(vuLandscape);
    Preview->GetMargins()->Left()->SetAsInches(1);
    Preview->SetPaperSize(A5);
    // Orientation and paper size change every page inside a document update, whose end reports
    // the page count and content before the change itself.
    EXPECT_EQ(
        (std::vector<UINT>{VU_PAGENUMCHANGED, VU_PAGENUMCHANGED, VU_NUMPAGESCHANGED, VU_PAGECONTENTCHANGED,
                           VU_PAGENUMCHANGED, VU_PAGESPERSHEETCHANGED, VU_NUMPAGESCHANGED,
                           VU_PAGECONTENTCHANGED, VU_ORIENTATIONCHANGED, VU_HEADERFOOTERCHANGED,
                           VU_NUMPAGESCHANGED, VU_PAGECONTENTCHANGED, VU_PAPERSIZECHANGED}),
        Sent());
    // The paper image took the new size.
    EXPECT_DOUBLE_EQ(double(Preview->GetCurrentPage()->GetPageSize(vuInches).Width),
                     double(Preview->PaperImage()->PaperSize().Width));

    // A companion that is gone hears nothing more.
    Companion->Free();
    Companion = nullptr;
    Preview->FirstPage();
    EXPECT_EQ(1, Preview->GetCurrentPageNum());
}

TEST_F(VuPreviewTest, KeysWheelAndPanningScroll)
{
    Preview->SetZoom(100); // the page is larger than the view both ways
    PumpUntilIdle();
    TControlScrollBar* V = Preview->VertScrollBar();
    TControlScrollBar* H = Preview->HorzScrollBar();
    ASSERT_TRUE(V->IsScrollBarVisible());
    ASSERT_TRUE(H->IsScrollBarVisible());
    const Integer Inc = V->Increment();
    Preview->SetFocus();
    PumpUntilIdle();

    struct Case {
        UINT Key;
        Integer H, V;
    };
    const Integer VMax = V->Range() - Preview->ClientHeight();
    const Integer HMax = H->Range() - Preview->ClientWidth();
    const Case Cases[] = {
        {VK_NEXT, 0, 10 * Inc}, {VK_DOWN, 0, 11 * Inc}, {VK_UP, 0, 10 * Inc}, {VK_RIGHT, Inc, 10 * Inc},
        {VK_LEFT, 0, 10 * Inc}, {VK_PRIOR, 0, 0},       {VK_END, HMax, VMax}, {VK_HOME, 0, 0},
    };
    for (const Case& C : Cases) {
        uitest::PressKey(C.Key);
        EXPECT_EQ(C.H, H->Position()) << C.Key;
        EXPECT_EQ(C.V, V->Position()) << C.Key;
    }

    int WheelEvents = 0;
    Preview->OnMouseWheel = [&](TObject* S, TShiftState, Integer, TPoint, bool&) {
        EXPECT_EQ(Preview, S);
        ++WheelEvents;
    };
    uitest::Wheel(Form->Handle(), 200, 200, -120);
    EXPECT_EQ(Inc, V->Position());
    uitest::Wheel(Form->Handle(), 200, 200, 120);
    EXPECT_EQ(0, V->Position());
    EXPECT_EQ(2, WheelEvents);

    // Panning: the page follows the pointer.
    uitest::MoveMouse(Form->Handle(), 300, 300);
    Preview->StartPanning();
    EXPECT_EQ(crHandPoint, Screen->Cursor());
    uitest::MoveMouse(Form->Handle(), 250, 220);
    EXPECT_EQ(50, H->Position());
    EXPECT_EQ(80, V->Position());
    // The paper image moves with the scroll positions.
    EXPECT_EQ(-50, Preview->PaperImage()->Left());
    EXPECT_EQ(-80, Preview->PaperImage()->Top());
    uitest::MouseUp(Form->Handle(), 250, 220);
    EXPECT_FALSE(Preview->Panning());
    EXPECT_EQ(crDefault, Screen->Cursor());
    uitest::MoveMouse(Form->Handle(), 200, 200);
    EXPECT_EQ(50, H->Position());

    // Scrolling only repaints from the rendered page.
    PumpUntilIdle();
    EXPECT_GT(Preview->PaperImage()->RenderCount(), 0);
    const Integer Renders = Preview->PaperImage()->RenderCount();
    for (int I = 0; I < 5; ++I)
        uitest::PressKey(VK_DOWN);
    EXPECT_EQ(Renders, Preview->PaperImage()->RenderCount());
}

// At deep zooms the off-screen image holds the view and what lies near it, not the whole sheet:
// scrolling a little copies from it, scrolling away renders the new neighbourhood once.
TEST_F(VuPreviewTest, DeepZoomKeepsOnlyThePartNearTheView)
{
    Preview->Canvas()->SetFontValues("Arial", 48, 0, TFontStyles{});
    Preview->Canvas()->TextOut(0.5, 0.5, "Top", vuInches);
    Preview->SetMaxZoom(400);
    Preview->SetZoom(400);
    PumpUntilIdle();
    TVuPaperImage* Paper = Preview->PaperImage();
    const TSize Sheet = Paper->GetPageExtent(96);
    const Integer CW = Preview->ClientWidth(), CH = Preview->ClientHeight();
    TRect Kept = Paper->CachedRect();
    EXPECT_LE(Kept.Width(), 2 * CW + 2);
    EXPECT_LE(Kept.Height(), 2 * CH + 2);
    EXPECT_LT(Int64(Kept.Width()) * Kept.Height(), Int64(Sheet.cx) * Sheet.cy / 8);
    // The view (from the paper's corner at the gutter) lies inside what is kept.
    const TRect Page = Paper->PageRect();
    EXPECT_LE(Kept.Left, Page.Left);
    EXPECT_LE(Kept.Top, Page.Top);
    EXPECT_GE(Kept.Right, CW);
    EXPECT_GE(Kept.Bottom, CH);
    // The caption is on screen: dark pixels around half an inch in at 400 %.
    int Dark = 0;
    for (Integer Y = Page.Top + 192; Y < Page.Top + 192 + 60 && Y < CH; Y += 2)
        for (Integer X = Page.Left + 192; X < Page.Left + 192 + 200 && X < CW; X += 2)
            Dark += (uitest::PixelAt(Preview->Handle(), X, Y) & 0xFF) < 128;
    EXPECT_GT(Dark, 20);

    const Integer Renders = Paper->RenderCount();
    Preview->VertScrollBar()->SetPosition(CH / 3);
    PumpUntilIdle();
    EXPECT_EQ(Renders, Paper->RenderCount());
    Preview->VertScrollBar()->SetPosition(Preview->VertScrollBar()->Range());
    PumpUntilIdle();
    EXPECT_EQ(Renders + 1, Paper->RenderCount());
    Kept = Paper->CachedRect();
    EXPECT_EQ(Page.Top + Sheet.cy, Kept.Bottom); // the bottom of the sheet, where the view now is
    EXPECT_LE(Kept.Height(), 2 * CH + 2);

    // Back at 100 % the whole sheet is kept again.
    Preview->SetZoom(100);
    PumpUntilIdle();
    const TRect Whole = Paper->PageRect();
    const TSize E = Paper->GetPageExtent(96);
    EXPECT_EQ((TRect{Whole.Left, Whole.Top, Whole.Left + E.cx, Whole.Top + E.cy}), Paper->CachedRect());
}

TEST_F(VuPreviewTest, ZoomKeepsScrollPercentages)
{
    Preview->SetZoom(100);
    TControlScrollBar* V = Preview->VertScrollBar();
    Preview->ScrollToPosition(0, 50);
    const Integer Span100 = V->Range() - Preview->ClientHeight();
    EXPECT_EQ(VuRound(Span100 / 2.0L), V->Position());
    Preview->SetZoom(200);
    const Integer Span200 = V->Range() - Preview->ClientHeight();
    EXPECT_GT(Span200, Span100);
    EXPECT_NEAR(Span200 / 2.0, V->Position(), 1);

    // Zoom to an area: the area comes into the middle of the view at the new zoom.
    Preview->SetZoom(50); // 48 pixels an inch
    const TRect R = Preview->PaperImage()->PageRect();
    const Integer CW = Preview->ClientWidth(), CH = Preview->ClientHeight();
    const Extended S = std::max(195.0L / CW, 110.0L / CH);
    Preview->ZoomToArea(TRect{R.Left + 96, R.Top + 240, R.Left + 96 + 195, R.Top + 240 + 110});
    const Integer Z = Preview->Zoom();
    EXPECT_EQ(VuRound(50 / S), Z);
    const Integer AW = VuRound(195 / (50.0L / Z)), AH = VuRound(110 / (50.0L / Z));
    EXPECT_EQ(30 + VuRound(Z / 100.0L * 2 * 96) - (CW - AW) / 2, Preview->HorzScrollBar()->Position());
    EXPECT_EQ(VuRound(Z / 100.0L * 5 * 96) + 30 - (CH - AH) / 2, Preview->VertScrollBar()->Position());
}

TEST_F(VuPreviewTest, DraggingAnObjectMovesItByTheTravel)
{
    Preview->Canvas()->Rectangle(1, 1, 2, 2, vuInches);
    PumpUntilIdle();
    auto* Box = dynamic_cast<TVuVisibleObject*>(Preview->GetCurrentPage()->VuObject(0));
    ASSERT_NE(nullptr, Box);
    Preview->SetZoom(50); // 48 pixels an inch
    PumpUntilIdle();
    const TRect Frame = Preview->VuObjectRect(Box);
    const TRect Page = Preview->PaperImage()->PageRect();
    EXPECT_EQ(Page.Left + 48 - 1 - Preview->HorzScrollBar()->Position(), Frame.Left);

    TVuVisibleObject* Hit = nullptr;
    Preview->OnObjectMouseDown = [&](TObject*, TMouseButton, TShiftState, TVuValue*, TVuValue*,
                                     TVuVisibleObject* O) {
        Hit = O;
        Preview->DragVuObjectStart(O);
    };
    HWND W = Form->Handle();
    const Integer X0 = Frame.Left + 20, Y0 = Frame.Top + 20;
    uitest::MoveMouse(W, X0, Y0);
    Recorder.Clear();
    const Integer Renders = Preview->PaperImage()->RenderCount();
    uitest::MouseDown(W, X0, Y0);
    EXPECT_EQ(Box, Hit);
    EXPECT_TRUE(Preview->DraggingObject());
    EXPECT_EQ(Box, Preview->SelectedVuObject());
    uitest::MoveMouse(W, X0 + 24, Y0 + 48);
    uitest::MouseUp(W, X0 + 24, Y0 + 48);
    EXPECT_FALSE(Preview->DraggingObject());
    EXPECT_EQ(Frame.Left + 24, Preview->VuObjectRect(Box).Left);
    EXPECT_EQ(Frame.Top + 48, Preview->VuObjectRect(Box).Top);
    EXPECT_EQ((std::vector<UINT>{VU_PAGECONTENTCHANGED}), Sent());

    // The moved page is rendered anew, once.
    PumpUntilIdle();
    EXPECT_EQ(Renders + 1, Preview->PaperImage()->RenderCount());

    Preview->DeleteSelectedVuObject();
    EXPECT_EQ(0, Preview->GetCurrentPage()->Count());
    EXPECT_EQ(nullptr, Preview->SelectedVuObject());
}

TEST_F(VuPreviewTest, FilesReportFailureAndKeepTheDocument)
{
    Preview->Canvas()->TextOutLeft(1, 1, "Grand prize", vuInches);
    Preview->NewPage();
    const uitest::TempFolder Temp{"vu-preview"};
    const std::string Dir = Temp.Path().string();
    const AnsiString File = Dir + "/vu_preview_test.vup";
    ASSERT_TRUE(Preview->SaveToFile(File));
    EXPECT_DOUBLE_EQ(2.96, double(Preview->GetFileVersion(File)));
    EXPECT_EQ(0, Preview->GetFileVersion(Dir + "/no such file.vup"));

    EXPECT_FALSE(Preview->LoadFromFile(Dir + "/no such file.vup"));
    EXPECT_EQ(2, Preview->GetNumPages());
    EXPECT_FALSE(Preview->SaveToFile(Dir + "/no such folder/x.vup"));
    // A folder in the way is written beside but not replaced, and the partial file goes.
    const std::string Busy = Dir + "/busy.vup";
    std::filesystem::create_directory(Busy);
    EXPECT_FALSE(Preview->SaveToFile(Busy));
    EXPECT_TRUE(std::filesystem::is_directory(Busy));
    EXPECT_FALSE(std::filesystem::exists(Busy + ".part"));

    Preview->Clear();
    EXPECT_EQ(1, Preview->GetNumPages());
    Recorder.Clear();
    ASSERT_TRUE(Preview->LoadFromFile(File));
    EXPECT_EQ(2, Preview->GetNumPages());
    EXPECT_EQ(Preview->GetCurrentPage(), Preview->PaperImage()->Page());
    std::remove(File.c_str());
}

TEST_F(VuPreviewTest, RubberBandRecordsAShapeOrZooms)
{
    Preview->SetZoom(50); // 48 pixels an inch
    PumpUntilIdle();
    TVuPaperImage* Image = Preview->PaperImage();
    const TRect R = Image->PageRect();
    const TPoint Start = Form->ScreenToClient(Image->ClientToScreen(TPoint{R.Left + 48, R.Top + 96}));
    HWND W = Form->Handle();
    uitest::MoveMouse(W, Start.X, Start.Y);
    Preview->SetDragDrawShape(vuDragEllipse);
    Preview->DragDrawStart();
    uitest::MoveMouse(W, Start.X + 96, Start.Y + 48);
    Preview->DragDrawToCanvas();
    EXPECT_FALSE(Image->IsDragging());
    ASSERT_EQ(1, Preview->GetCurrentPage()->Count());
    auto* E = dynamic_cast<TVuEllipseShape*>(Preview->GetCurrentPage()->VuObject(0));
    ASSERT_NE(nullptr, E);
    EXPECT_TRUE(EqualVuRects(VuRect(1, 2, 3, 3), E->GetCoords(vuInches)));

    // A band with no extent records nothing.
    Preview->DragDrawStart();
    Preview->DragDrawToCanvas();
    EXPECT_EQ(1, Preview->GetCurrentPage()->Count());

    // Zooming to the band.
    Preview->DragDrawStart();
    uitest::MoveMouse(W, Start.X + 200, Start.Y + 150);
    Preview->DragDrawZoom();
    EXPECT_GT(Preview->Zoom(), 50);
    EXPECT_FALSE(Image->IsDragging());
}

TEST_F(VuPreviewTest, MarginValuesFormProperty)
{
    EXPECT_EQ("720,720,720,720,\"12632256,1,2,4\",\"12632256,1,2,4\"", Preview->MarginValuesText());
    struct Case {
        const char* Text;
        Integer Left, Bottom;
        TColor Pen, PrinterPen;
    } Cases[] = {
        {"1440,720,720,360", 1440, 360, clSilver, clSilver},
        {"1440,720,720,360,\"255,1,0,4\"", 1440, 360, 255, clSilver},
        {"720,720,720,1440,\"255,1,0,4\",\"65280,2,0,4\"", 720, 1440, 255, 65280},
        {"abc,720,720,720", 720, 720, clSilver, clSilver},
    };
    for (const Case& C : Cases) {
        Preview->GetMargins()->Pen()->SetColor(clSilver);
        Preview->GetMargins()->PrinterMarginPen()->SetColor(clSilver);
        Preview->GetMargins()->Left()->SetAsTwips(720);
        Preview->SetMarginValuesText(C.Text);
        EXPECT_EQ(C.Left, Preview->GetMargins()->Left()->GetAsTwips()) << C.Text;
        EXPECT_EQ(C.Bottom, Preview->GetMargins()->Bottom()->GetAsTwips()) << C.Text;
        EXPECT_EQ(C.Pen, Preview->GetMargins()->Pen()->Color()) << C.Text;
        EXPECT_EQ(C.PrinterPen, Preview->GetMargins()->PrinterMarginPen()->Color()) << C.Text;
    }
}

} // namespace
