// The grid's clipboard on a real X server (Xvfb) through the desktop backend: cells copied in
// another program's text view (its own process, keys from outside through xdotool) paste into the
// grid, and cells copied from the grid paste into that view.

#include "RudUvud/core/RudUvud.h"

#include "platform/backend/Start.h"
#include "platform/backend/gtk/GtkBackend.h"
#include "platform/forms/Clipbrd.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <sys/wait.h>

namespace {

template <class Done> bool PumpUntil(Done done, int ms = 20000)
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

std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string WithoutCR(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    return s;
}

bool Shell(const std::string& cmd)
{
    return std::system(cmd.c_str()) == 0;
}

TEST(GridClipboardDesktop, CellsCopyBetweenTheGridAndAnotherProgramsTextView)
{
    if (!std::getenv("DISPLAY"))
        return uitest::SkipMissing("no X display");
    if (!uitest::HaveCommand("xdotool"))
        return uitest::SkipMissing("xdotool not found");
    ASSERT_EQ(StartPlatformBackend(), "gtk");
    Application->Initialize();

    // The other program: lines ending in LF, a spreadsheet-style quoted cell of two lines.
    const std::string theirs = "x\ty\nz\t\"two\nlines\"";
    const std::string out = std::string(GRID_DESKTOP_OUTPUT) + "/clipboard-peer-text";
    std::remove(out.c_str());
    const char* argv[] = {GRID_CLIPBOARD_PEER, "600", "100", theirs.c_str(), out.c_str(), nullptr};
    GPid peer = 0;
    ASSERT_TRUE(g_spawn_async(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                              nullptr, &peer, nullptr));
    struct Stop {
        GPid Pid;
        ~Stop()
        {
            kill(Pid, SIGTERM);
            waitpid(Pid, nullptr, 0);
            g_spawn_close_pid(Pid);
        }
    } stop{peer};

    TForm* Form = New<TForm>(Application);
    Form->SetCaption("Grid clipboard");
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 500, 300);
    auto* G = New<TDidAririzEvar>(Form);
    G->SetParent(Form);
    G->SetBounds(0, 0, 500, 300);
    G->SetColCount(4);
    G->SetRowCount(6);
    G->SetOptions(G->Options() + TGridOptions{goEditing, goRangeSelect});
    G->SetCells(1, 1, "a");
    G->SetCells(2, 1, "b");
    G->SetCells(1, 2, "c");
    G->SetCells(2, 2, "\xe7\x8d\x8e\xe5\x93\x81");
    Form->Show();
    auto* Gtk = dynamic_cast<GtkBackend*>(&Backend());
    ASSERT_NE(Gtk, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(Gtk->NativeWindow(Form->Handle())); }));
    ASSERT_TRUE(PumpUntil([&] { return ReadFile(out).has_value(); }, 60000))
        << "the other program's window did not come up"; // a loaded machine starts it slowly

    // Theirs to ours: Ctrl+C in the view (the keyboard follows the pointer without a window
    // manager), then the grid pastes at its selection.
    ASSERT_TRUE(Shell("xdotool mousemove --sync 650 150 key ctrl+c"));
    ASSERT_TRUE(PumpUntil([&] { return Clipboard()->AsText() == theirs; }))
        << "the other program's copy did not reach the clipboard: " << Clipboard()->AsText();
    G->SetSelection(TGridRect{1, 3, 1, 3});
    G->PasteSelectionFromClipboard();
    EXPECT_EQ(G->Cells(1, 3), "x");
    EXPECT_EQ(G->Cells(2, 3), "y");
    EXPECT_EQ(G->Cells(1, 4), "z");
    EXPECT_EQ(G->Cells(2, 4), "two\r\nlines");

    // Ours to theirs: the grid copies, Ctrl+V in the view replaces its selected text. Our loop
    // answers the other program's request meanwhile.
    G->SetSelection(TGridRect{1, 1, 2, 2});
    G->CopySelectionToClipboard();
    ASSERT_TRUE(Shell("(sleep 0.3; xdotool key ctrl+v) >/dev/null 2>&1 &"));
    const std::string ours = "a\tb\nc\t\xe7\x8d\x8e\xe5\x93\x81\n";
    EXPECT_TRUE(PumpUntil([&] { return WithoutCR(ReadFile(out).value_or("")) == ours; }))
        << "the view holds: " << ReadFile(out).value_or("");

    Form->Free();
    PumpUntil([] { return false; }, 100);
}

} // namespace
