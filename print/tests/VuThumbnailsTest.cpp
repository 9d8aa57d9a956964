#include "print/VuThumbnails.h"

#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

using uitest::PixelAt;
using uitest::PumpUntilIdle;

namespace {

class VuThumbnailsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(20, 20, 900, 600);
        Preview = New<TVuPreview>(Form);
        Preview->SetParent(Form);
        Preview->SetBounds(0, 0, 500, 400);
        Thumbs = New<TVuThumbnails>(Form);
        Thumbs->SetParent(Form);
        Thumbs->SetBounds(0, 410, 800, 150);
        Form->Show();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void AddPages(int N)
    {
        for (int I = 0; I < N; ++I)
            Preview->NewPage();
    }
    TForm* Form = nullptr;
    TVuPreview* Preview = nullptr;
    TVuThumbnails* Thumbs = nullptr;
};

TEST_F(VuThumbnailsTest, FollowThePreviewsPagesAndLayout)
{
    Thumbs->SetPreview(Preview);
    EXPECT_EQ(1, Thumbs->ThumbnailCount());
    AddPages(2);
    ASSERT_EQ(3, Thumbs->ThumbnailCount());
    TVuThumbnail* T0 = Thumbs->GetThumbnail(0);
    EXPECT_EQ(nullptr, Thumbs->GetThumbnail(-1));
    EXPECT_EQ(nullptr, Thumbs->GetThumbnail(3));
    EXPECT_EQ(Preview->GetPage(2), Thumbs->GetThumbnail(1)->Page());
    EXPECT_EQ(6, T0->Zoom());
    // Page extent plus the spacing on both sides; below, the caption band.
    const Integer Ext = T0->GetPageExtent(96).cx;
    EXPECT_EQ(VuRound(96 * Preview->GetPageWidth(vuInches) * 0.06L), Ext);
    EXPECT_EQ(Ext + 16, T0->Width());
    EXPECT_EQ(T0->GetPageExtent(96).cy + 16 + 4 - Thumbs->CaptionFont()->Height(), T0->Height());

    // The last page is current and highlighted.
    EXPECT_EQ(2, Thumbs->ItemIndex());
    EXPECT_TRUE(Thumbs->GetThumbnail(2)->Selected());
    EXPECT_FALSE(T0->Selected());

    // Row: neighbours share an edge.
    EXPECT_EQ(T0->Width() - 1, Thumbs->GetThumbnail(1)->Left());
    EXPECT_EQ(0, Thumbs->GetThumbnail(1)->Top());
    Thumbs->SetLayout(vuThumbGrid);
    Thumbs->SetGridWidth(2);
    EXPECT_EQ(T0->Width() - 1, Thumbs->GetThumbnail(1)->Left());
    EXPECT_EQ(0, Thumbs->GetThumbnail(2)->Left());
    EXPECT_EQ(T0->Height() - 1, Thumbs->GetThumbnail(2)->Top());
    Thumbs->SetGridWidth(0); // taken as one a row
    EXPECT_EQ(0, Thumbs->GetThumbnail(1)->Left());
    EXPECT_EQ(2 * (T0->Height() - 1), Thumbs->GetThumbnail(2)->Top());
    Thumbs->SetLayout(vuThumbVert);
    EXPECT_EQ(T0->Height() - 1, Thumbs->GetThumbnail(1)->Top());

    Preview->DeletePage(0);
    EXPECT_EQ(2, Thumbs->ThumbnailCount());
    Preview->SetPaperSize(A5);
    EXPECT_LT(Thumbs->GetThumbnail(0)->Width(), Ext + 16);
}

TEST_F(VuThumbnailsTest, ClickMakesThePageCurrent)
{
    TPopupMenu* Popup = New<TPopupMenu>(Form);
    Thumbs->SetThumbPopup(Popup);
    Thumbs->SetPreview(Preview);
    AddPages(4);
    for (Integer I = 0; I < Thumbs->ThumbnailCount(); ++I)
        EXPECT_EQ(Popup, Thumbs->GetThumbnail(I)->PopupMenu());
    PumpUntilIdle();

    TVuThumbnail* T2 = Thumbs->GetThumbnail(2);
    const TPoint P = Form->ScreenToClient(T2->ClientToScreen(TPoint{10, 10}));
    uitest::Click(Form->Handle(), P.X, P.Y);
    EXPECT_EQ(3, Preview->GetCurrentPageNum());
    EXPECT_EQ(2, Thumbs->ItemIndex());
    EXPECT_TRUE(T2->Selected());
    EXPECT_FALSE(Thumbs->GetThumbnail(4)->Selected());

    // The highlight frame is drawn in the selected colour around the page.
    PumpUntilIdle();
    const TRect R = T2->PageRect();
    const TPoint Corner = Form->ScreenToClient(T2->ClientToScreen(TPoint{R.Left, R.Top + 10}));
    EXPECT_EQ(ColorToRGB(Thumbs->SelectedColor()), PixelAt(Form->Handle(), Corner.X, Corner.Y));

    // Turning pages in the preview moves the highlight.
    Preview->FirstPage();
    EXPECT_TRUE(Thumbs->GetThumbnail(0)->Selected());
    EXPECT_FALSE(T2->Selected());
}

TEST_F(VuThumbnailsTest, UpdatesRebuildOnceAtTheEnd)
{
    Thumbs->SetPreview(Preview);
    Preview->BeginUpdate();
    AddPages(10);
    EXPECT_EQ(1, Thumbs->UpdateCount());
    EXPECT_EQ(1, Thumbs->ThumbnailCount());
    // Clicks are ignored while the preview updates.
    const TPoint P = Form->ScreenToClient(Thumbs->GetThumbnail(0)->ClientToScreen(TPoint{10, 10}));
    uitest::Click(Form->Handle(), P.X, P.Y);
    EXPECT_EQ(11, Preview->GetCurrentPageNum());
    Preview->EndUpdate();
    EXPECT_EQ(0, Thumbs->UpdateCount());
    EXPECT_EQ(11, Thumbs->ThumbnailCount());
    EXPECT_EQ(10, Thumbs->ItemIndex());

    // Each thumbnail draws its page once, however often it is painted.
    Thumbs->SetLayout(vuThumbGrid);
    PumpUntilIdle();
    TVuThumbnail* T = Thumbs->GetThumbnail(0);
    const Integer Renders = T->RenderCount();
    EXPECT_EQ(1, Renders);
    T->Invalidate();
    Thumbs->Invalidate();
    PumpUntilIdle();
    EXPECT_EQ(Renders, T->RenderCount());
    // New content on the current page is drawn again.
    Preview->FirstPage();
    Preview->Canvas()->Rectangle(1, 1, 3, 3, vuInches);
    PumpUntilIdle();
    EXPECT_EQ(Renders + 1, T->RenderCount());
}

TEST_F(VuThumbnailsTest, LetsGoOfAPreviewThatIsFreed)
{
    Thumbs->SetPreview(Preview);
    AddPages(1);
    Preview->Free();
    EXPECT_EQ(nullptr, Thumbs->Preview());
    EXPECT_EQ(0, Thumbs->ThumbnailCount());

    // And a preview outlives thumbnails freed before it.
    TVuPreview* P2 = New<TVuPreview>(Form);
    P2->SetParent(Form);
    Thumbs->SetPreview(P2);
    Thumbs->Free();
    P2->NewPage();
    EXPECT_EQ(2, P2->GetNumPages());
}

} // namespace
