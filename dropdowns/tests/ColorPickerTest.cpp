#include "dropdowns/ColorPicker.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class ColorPickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->Show();
        Picker = New<TZerUdiraZiruziZidaZore>(Form);
        Picker->SetParent(Form);
        Picker->SetBounds(20, 20, 200, 21);
        Picker->AddDefaultColors();
        Picker->OnSelect = [this](TObject*) { ++Selects; };
        PumpUntilIdle();
        Picker->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void Open()
    {
        uitest::AdvanceTime(300);
        PressKey(VK_F4);
        PumpUntilIdle();
        ASSERT_TRUE(Picker->DroppedDown());
    }
    TSize PopupSize() const
    {
        return TSize{Picker->DropDownForm()->Width(), Picker->DropDownForm()->Height()};
    }

    TForm* Form = nullptr;
    TZerUdiraZiruziZidaZore* Picker = nullptr;
    int Selects = 0;
};

TEST_F(ColorPickerTest, ColorTextForms)
{
    Picker->SetColorSelectionStyle(csDiscrete);
    Picker->SetSelectedColor(0x0000FF);
    struct Case {
        TColorValueText Form;
        const char* Text;
    } Cases[] = {
        {cvtNone, ""},
        {cvtHex, "0000FF"},
        // A web colour name is red first, as the HTML form (the colour value keeps blue first).
        {cvtWebName, "#FF0000"},
        {cvtHTML, "#FF0000"},
        {cvtRGB, "Red:255,Green:0,Blue:0"},
    };
    for (const Case& C : Cases) {
        Picker->SetColorValueText(C.Form);
        EXPECT_EQ(Picker->GetSelectedColorText(), C.Text) << int(C.Form);
    }
    Picker->SetColorValueText(cvtWebName);
    Picker->SetSelectedColor(0x336699);
    EXPECT_EQ(Picker->GetSelectedColorText(), "#996633");
    Picker->SetColorValueText(cvtHex);
    EXPECT_EQ(Picker->GetSelectedColorText(), "336699");
    // The list style names a named colour by its caption.
    Picker->SetColorSelectionStyle(csList);
    Picker->SetSelectedColor(0x00FFFF);
    EXPECT_EQ(Picker->GetSelectedColorText(), "Yellow");
}

TEST_F(ColorPickerTest, SelectedColorFindsNamedColours)
{
    Picker->SetSelectedColor(0x00FFFF);
    EXPECT_EQ(Picker->ItemIndex(), 11);
    EXPECT_EQ(Selects, 1);
    // A colour without a name keeps the named selection and its caption.
    Picker->SetSelectedColor(0x123456);
    EXPECT_EQ(Picker->ItemIndex(), 11);
    EXPECT_EQ(Picker->SelectedColor(), TColor(0x123456));
    EXPECT_EQ(Picker->GetSelectedColorText(), "Yellow");
    EXPECT_EQ(Selects, 1);
    Picker->SetSelectedColor(0x123456);
    EXPECT_EQ(Selects, 1);
    // -1 deselects the name and keeps the colour; an index beyond the colours is ignored.
    Picker->SetItemIndex(-1);
    EXPECT_EQ(Picker->SelectedColor(), TColor(0x123456));
    Picker->SetItemIndex(16);
    EXPECT_EQ(Picker->ItemIndex(), -1);
    EXPECT_EQ(Selects, 2);
}

TEST_F(ColorPickerTest, ListStyleByKeysClosed)
{
    Picker->SetItemIndex(3);
    Selects = 0;
    PressKey(VK_UP);
    EXPECT_EQ(Picker->ItemIndex(), 2);
    EXPECT_FALSE(Picker->DroppedDown());
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_EQ(Picker->ItemIndex(), 4);
    EXPECT_EQ(Picker->SelectedColor(), TColor(0x800000));
    PressKey(VK_LEFT); // nothing while closed and not editable
    EXPECT_EQ(Picker->ItemIndex(), 4);
    PressKey(VK_END);
    EXPECT_EQ(Picker->ItemIndex(), 15);
    PressKey(VK_HOME);
    EXPECT_EQ(Picker->ItemIndex(), 0);
    EXPECT_EQ(Selects, 5);
    // The wheel over the closed control moves the selection.
    Open();
    PressKey(VK_ESCAPE);
    uitest::Wheel(Picker->Handle(), 10, 10, -120);
    EXPECT_EQ(Picker->ItemIndex(), 1);
    EXPECT_FALSE(Picker->DroppedDown());
    // Esc on the closed control is no cancel: the selection made since the last drop stays.
    PressKey(VK_DOWN);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(Picker->ItemIndex(), 2);
}

TEST_F(ColorPickerTest, ListStyleInThePopup)
{
    Picker->SetItemIndex(9);
    Open();
    TVadCustomItemSelector* List = Picker->ItemList();
    ASSERT_NE(List, nullptr);
    EXPECT_EQ(List->Items()->Count(), 16);
    EXPECT_EQ(List->ItemIndex(), 9);
    EXPECT_EQ(Picker->DropDownForm()->Height(), 200);
    // The list's width fits inside the frame beside its vertical scroll bar.
    EXPECT_TRUE(List->VertScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(List->HorzScrollBar()->IsScrollBarVisible());
    // Down moves in the open list without closing; Enter accepts.
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    EXPECT_TRUE(Picker->DroppedDown());
    EXPECT_EQ(Picker->ItemIndex(), 11);
    Selects = 0;
    PressKey(VK_RETURN);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->ItemIndex(), 11);
    EXPECT_EQ(Selects, 1);

    // Esc gives back the colour the popup opened with, name and colour alike.
    Open();
    PressKey(VK_UP);
    PressKey(VK_UP);
    EXPECT_EQ(Picker->ItemIndex(), 9);
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->ItemIndex(), 11);
    EXPECT_EQ(Picker->SelectedColor(), TColor(0x00FFFF));

    // A click on an item chooses it and closes the popup, with one notification.
    Open();
    Selects = 0;
    TCustomItemSelector* Panel = List->Panel();
    const TRect R = Panel->GetItemRect(10);
    uitest::Click(Panel->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    PumpUntilIdle();
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->ItemIndex(), 10);
    EXPECT_EQ(Picker->SelectedColor(), TColor(0x00FF00));
    EXPECT_EQ(Selects, 1);
}

TEST_F(ColorPickerTest, TypeAheadFindsNamesUntilTheTimerClearsIt)
{
    Open();
    uitest::TypeText("gra");
    EXPECT_EQ(Picker->ItemIndex(), 7); // Gray, not Green
    EXPECT_TRUE(Picker->DroppedDown());
    uitest::AdvanceTime(600);
    // A capital (typed with Shift) finds the name as well.
    uitest::TypeText("S");
    EXPECT_EQ(Picker->ItemIndex(), 8);
    // The text is cleared 500 ms after the first key of a burst, not after the last.
    uitest::AdvanceTime(600);
    uitest::TypeText("g");
    uitest::AdvanceTime(300);
    uitest::TypeText("r");
    EXPECT_EQ(Picker->ItemIndex(), 2);
    uitest::AdvanceTime(300);
    uitest::TypeText("a");
    EXPECT_EQ(Picker->ItemIndex(), 14); // "A" alone: Aqua
}

TEST_F(ColorPickerTest, GalleryByMouseAndKeys)
{
    Picker->SetColorSelectionStyle(csDiscrete);
    Picker->SetSelectedColor(0x0000FF);
    Open();
    TCustomColorSelector* Gallery = Picker->Gallery();
    ASSERT_NE(Gallery, nullptr);
    EXPECT_EQ(PopupSize().cx, 167);
    EXPECT_EQ(PopupSize().cy, 86);
    EXPECT_FALSE(Picker->DropDownForm()->FSizeable);
    // A box chosen by the mouse: its colour, no name, one notification.
    Selects = 0;
    const TRect R = Gallery->GetItemRect(0);
    uitest::Click(Gallery->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    PumpUntilIdle();
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->SelectedColor(), Gallery->Items()->Items(0)->Color());
    EXPECT_EQ(Picker->ItemIndex(), -1);
    EXPECT_EQ(Selects, 1);
    // White is box 0 and also a named colour: still one notification.
    EXPECT_EQ(Picker->SelectedColor(), TColor(0xFFFFFF));

    // Keys move the selection in the open gallery; Esc gives back gallery and picker colour.
    Open();
    PressKey(VK_RIGHT);
    PressKey(VK_DOWN);
    EXPECT_TRUE(Picker->DroppedDown());
    EXPECT_EQ(Gallery->ItemIndex(), 11);
    EXPECT_EQ(Picker->SelectedColor(), Gallery->Items()->Items(11)->Color());
    Selects = 0;
    PressKey(VK_ESCAPE);
    EXPECT_EQ(Picker->SelectedColor(), TColor(0xFFFFFF));
    EXPECT_EQ(Gallery->SelectedColor(), TColor(0xFFFFFF));
    EXPECT_EQ(Gallery->ItemIndex(), 0);
    EXPECT_EQ(Selects, 1);

    // Enter accepts the box reached by the keys.
    Open();
    PressKey(VK_RIGHT);
    PressKey(VK_RETURN);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->SelectedColor(), Gallery->Items()->Items(1)->Color());
}

TEST_F(ColorPickerTest, CubeAndSpectrumByMouse)
{
    Picker->SetColorSelectionStyle(csColorCube);
    Open();
    TVadColorCubePanel* Cube = Picker->CubePanel();
    ASSERT_NE(Cube, nullptr);
    EXPECT_EQ(PopupSize().cx, 184);
    EXPECT_EQ(PopupSize().cy, 162);
    // The cells as painted: each hexagon's centre in its colour.
    for (Integer I : {1, 20, 64, 127})
        EXPECT_EQ(uitest::PixelAt(Cube->Handle(), Cube->Cell(I).Center.X, Cube->Cell(I).Center.Y),
                  ColorToRGB(Cube->Cell(I).Color))
            << I;
    // The white cell is also the named colour White: one notification, no name selected.
    Selects = 0;
    const TPoint White = Cube->Cell(64).Center;
    ASSERT_EQ(Cube->Cell(64).Color, TColor(0xFFFFFF));
    uitest::MoveMouse(Cube->Handle(), White.X, White.Y);
    uitest::Click(Cube->Handle(), White.X, White.Y);
    PumpUntilIdle();
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->SelectedColor(), TColor(0xFFFFFF));
    EXPECT_EQ(Picker->ItemIndex(), -1);
    EXPECT_EQ(Selects, 1);

    // Switching the style at run time: the spectrum, its popup size, a colour read under the mouse.
    Picker->SetColorSelectionStyle(csSpectrum);
    Open();
    TVadColorSpectrumPanel* Spectrum = Picker->SpectrumPanel();
    ASSERT_NE(Spectrum, nullptr);
    EXPECT_FALSE(Cube->Visible());
    EXPECT_EQ(PopupSize().cx, 152);
    EXPECT_EQ(PopupSize().cy, 176);
    TImage* View = Spectrum->SpectrumView();
    uitest::MoveMouse(Spectrum->Handle(), View->Left() + 40, View->Top() + 60);
    const TColor Hover = Spectrum->HoverColor();
    EXPECT_NE(Hover, clNone);
    EXPECT_EQ(Hover, TColor(uitest::PixelAt(Spectrum->Handle(), View->Left() + 40, View->Top() + 60)));
    Selects = 0;
    uitest::Click(Spectrum->Handle(), View->Left() + 40, View->Top() + 60);
    PumpUntilIdle();
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->SelectedColor(), Hover);
    EXPECT_EQ(Selects, 1);
}

TEST_F(ColorPickerTest, EditPartShowsTheColourBox)
{
    // Box at (R.Left + 4, vertically centred) of the window, 14 x 14; the client starts 2 px in.
    HWND H = Picker->Handle();
    const int BoxX = 1 + 4 + 7 - 2, BoxY = 1 + (21 - 14) / 2 + 7 - 2;
    Picker->SetColorSelectionStyle(csDiscrete);
    Picker->SetSelectedColor(0x00A000);
    Picker->Invalidate();
    PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(H, BoxX, BoxY), COLORREF(0x00A000));
    EXPECT_EQ(uitest::PixelAt(H, BoxX - 7, BoxY), COLORREF(0x000000)); // the box's black frame
    // No colour: neither box nor text, only the focused control's highlight.
    Picker->SetSelectedColor(clNone);
    Picker->Invalidate();
    PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(H, BoxX, BoxY), ColorToRGB(clHighlight));
    EXPECT_EQ(uitest::PixelAt(H, BoxX - 7, BoxY), ColorToRGB(clHighlight));
}

} // namespace
