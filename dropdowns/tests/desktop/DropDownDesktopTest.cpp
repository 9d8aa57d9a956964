// A dropdown on a real X server (Xvfb) through the desktop backend: its popup opens near the
// screen's right and bottom edges, stays wholly on the screen, leaves the keyboard focus in the
// edit, and closes when the person clicks outside it (real X input through xdotool).

#include "dropdowns/DadOrorUdur.h"

#include "platform/backend/Start.h"
#include "platform/backend/gtk/GtkBackend.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Commands.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <cstdlib>
#include <string>

namespace {

GtkBackend* Gtk()
{
    return dynamic_cast<GtkBackend*>(&Backend());
}

template <class Done> bool PumpUntil(Done done, int ms = 10000)
{
    const std::int64_t end = g_get_monotonic_time() + std::int64_t(ms) * 1000;
    while (!done()) {
        if (g_get_monotonic_time() > end)
            return false;
        Application->ProcessMessages();
        if (!done())
            Backend().WaitForEvents(20);
    }
    return true;
}

void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}

bool Shell(const std::string& cmd)
{
    return std::system(cmd.c_str()) == 0;
}

TEST(DropDownDesktop, PopupNearTheScreenCornerStaysVisibleAndClosesOnAClickOutside)
{
    if (!std::getenv("DISPLAY"))
        return uitest::SkipMissing("no X display");
    if (!uitest::HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    ASSERT_EQ(StartPlatformBackend(), "gtk");
    ASSERT_NE(Gtk(), nullptr);
    Application->Initialize();

    const TSize ScreenSize = Backend().ScreenSize();
    TForm* Form = New<TForm>(Application);
    Form->SetCaption("Dropdown");
    Form->SetBorderStyle(bsNone);
    // The form sits in the bottom-right corner; the edit at its right end.
    Form->SetBounds(ScreenSize.cx - 260, ScreenSize.cy - 60, 260, 60);
    auto* Edit = New<TDadOrorUdur>(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(100, 20, 150, 21);
    Edit->SetDropDownWidth(240);
    Edit->SetDropDownHeight(160);
    Form->Show();
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(Gtk()->NativeWindow(Form->Handle())); }));
    Edit->SetFocus();
    PumpFor(200);

    // A real click on the dropdown button.
    TDropDownEditButton* Button = Edit->DropDownButton();
    const TPoint Centre = Button->ClientToScreen(TPoint{Button->Width() / 2, Button->Height() / 2});
    ASSERT_TRUE(Shell("xdotool mousemove --sync " + std::to_string(Centre.X) + " " +
                      std::to_string(Centre.Y) + " click 1"));
    ASSERT_TRUE(PumpUntil([&] { return Edit->DroppedDown(); })) << "the click did not open the popup";
    HWND Popup = Edit->DropDownForm()->Handle();
    GtkWidget* Native = Gtk()->NativeWindow(Popup);
    ASSERT_NE(Native, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(Native); }));
    PumpFor(200);

    // Wholly on the screen, as the X server has it, above the edit (no room below).
    int X = 0, Y = 0;
    gdk_window_get_origin(gtk_widget_get_window(Native), &X, &Y);
    const int W = gdk_window_get_width(gtk_widget_get_window(Native));
    const int H = gdk_window_get_height(gtk_widget_get_window(Native));
    EXPECT_EQ(W, 240);
    EXPECT_EQ(H, 160);
    EXPECT_GE(X, 0);
    EXPECT_GE(Y, 0);
    EXPECT_LE(X + W, ScreenSize.cx);
    EXPECT_LE(Y + H, ScreenSize.cy);
    RECT E{};
    GetWindowRect(Edit->Handle(), &E);
    EXPECT_EQ(Y + H, E.Top);
    // The edit keeps the keyboard: typing goes on into it.
    EXPECT_EQ(GetFocus(), Edit->Handle());
    ASSERT_TRUE(Shell("xdotool type --delay 30 ab"));
    EXPECT_TRUE(PumpUntil([&] { return Edit->Text() == "ab"; })) << Edit->Text();

    // A click on the bare desktop, away from every window of ours, closes it.
    ASSERT_TRUE(Shell("xdotool mousemove --sync 20 20 click 1"));
    EXPECT_TRUE(PumpUntil([&] { return !Edit->DroppedDown(); }))
        << "the outside click did not close the popup";
    PumpFor(100);
    EXPECT_FALSE(gtk_widget_get_visible(Native));
    Form->Free();
    PumpFor(50);
}

} // namespace
