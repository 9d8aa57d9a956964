// The Unicode edit on the desktop backend, on a real X server (Xvfb), with GTK's own input
// method ("gtk-im-context-simple", the one every GTK desktop has; no daemon to wait for). Keys
// typed on the X keyboard (xdotool) and key events of characters no key has (Chinese and a
// supplementary character) go through the backend's input-method context, whose commits reach
// the edit as UTF-16 units; KeyPress sees the wide ones masked.

#include "RudUvud/support/VadUni.h"

#include "platform/backend/Start.h"
#include "platform/backend/gtk/GtkBackend.h"
#include "platform/testing/Commands.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <cstdlib>
#include <string>

namespace {

template <class Done> bool PumpUntil(Done done, int ms = 10000)
{
    const std::int64_t end = g_get_monotonic_time() + std::int64_t(ms) * 1000;
    while (!done()) {
        if (g_get_monotonic_time() > end)
            return false;
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
        if (!done())
            Backend().WaitForEvents(20);
    }
    return true;
}

bool Shell(const std::string& Command)
{
    return std::system(Command.c_str()) == 0;
}

// A key press and release of a character no key of the keyboard has: the input method commits it.
void SynthesiseKey(GtkWidget* Window, char32_t C)
{
    GdkWindow* G = gtk_widget_get_window(Window);
    GdkDevice* Keyboard = gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default()));
    for (GdkEventType Type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* E = gdk_event_new(Type);
        E->key.window = GDK_WINDOW(g_object_ref(G));
        E->key.send_event = TRUE;
        E->key.time = GDK_CURRENT_TIME;
        E->key.keyval = gdk_unicode_to_keyval(guint32(C));
        E->key.hardware_keycode = 0;
        gdk_event_set_device(E, Keyboard);
        gdk_display_put_event(gdk_display_get_default(), E);
        gdk_event_free(E);
    }
}

TEST(UniEditOnTheDesktop, ChineseThroughTheInputMethodReachesTheUnicodeEdit)
{
    if (!std::getenv("DISPLAY"))
        return uitest::SkipMissing("no X display");
    if (!uitest::HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    setenv("GTK_IM_MODULE", "gtk-im-context-simple", 1);
    ASSERT_EQ(StartPlatformBackend(), "gtk");
    Application->Initialize();
    auto* Form = New<TForm>(Application);
    Form->SetBounds(100, 100, 300, 120);
    auto* Edit = New<TVadUniEdit>(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 250, 28);
    std::vector<WideChar> Pressed;
    Edit->OnKeyPress = [&](TObject*, WideChar& Key) { Pressed.push_back(Key); };
    Form->Show();
    GtkWidget* Native = Gtk()->NativeWindow(Form->Handle());
    ASSERT_NE(Native, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(Native); }));
    ASSERT_TRUE(IsWindowUnicode(Edit->Handle()));
    PumpUntil([] { return false; }, 300); // placed on the X screen

    // With no window manager the keyboard follows the pointer: click into the edit.
    POINT In{20, 12};
    ClientToScreen(Edit->Handle(), &In);
    ASSERT_TRUE(
        Shell("xdotool mousemove --sync " + std::to_string(In.X) + " " + std::to_string(In.Y) + " click 1"));
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() == Edit->Handle(); }));
    PumpUntil([] { return false; }, 300);

    ASSERT_TRUE(Shell("xdotool type --delay 30 'A1'"));
    EXPECT_TRUE(PumpUntil([&] { return Edit->Text() == u"A1"; })) << "typed keys did not arrive";
    for (char32_t C : {U'獎', U'品', U'\U00020BB7'})
        SynthesiseKey(Native, C);
    const WideString Want = u"A1獎品\U00020BB7";
    EXPECT_TRUE(PumpUntil([&] { return Edit->Text() == Want; }));
    EXPECT_EQ(Edit->Text(), Want);
    EXPECT_EQ(Pressed, (std::vector<WideChar>{u'A', u'1', 255, 255, 255, 255}));

    Form->Free();
    ResetWindowLayer();
    InstallBackend(nullptr);
}

} // namespace
