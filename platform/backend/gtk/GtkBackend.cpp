// The desktop backend: windows, painting, input, input methods, cursors, the bell, the clock.

#include "platform/backend/gtk/GtkBackend.h"

#include "platform/backend/gtk/GtkNative.h"
#include "platform/backend/gtk/KeyMap.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/PopupWindows.h"
#include "platform/win/Windows.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

constexpr int WheelDelta = 120;
// How long a window's geometry must stay unchanged before the window system's idea of it is
// taken over by the layer.
constexpr guint SettleMilliseconds = 200;
// A caret reports no height; the input method's candidate window goes below this much.
constexpr int CaretHeightGuess = 18;

GtkBackend::Native* Of(gpointer data)
{
    return static_cast<GtkBackend::Native*>(data);
}

// Root coordinates: right also while the window is being moved under the pointer (dragging
// our own caption), when coordinates relative to the window would lag behind its position.
POINT ScreenPoint(double xRoot, double yRoot)
{
    return POINT{int(std::floor(xRoot)), int(std::floor(yRoot))};
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer data)
{
    GtkBackend::Native* n = Of(data);
    // GTK has clipped cr to the damaged area. Beyond the surface (the window system sized the
    // window before the layer caught up) a plain face shows rather than old pixels.
    cairo_set_source_rgb(cr, 0.94, 0.94, 0.94);
    cairo_paint(cr);
    if (cairo_surface_t* s = IsWindow(n->Hwnd) ? GetWindowSurface(n->Hwnd) : nullptr) {
        cairo_surface_flush(s);
        cairo_set_source_surface(cr, s, 0, 0);
        cairo_paint(cr);
    }
    return TRUE;
}

int ButtonIndex(guint button)
{
    switch (button) {
    case 1:
        return 0;
    case 2:
        return 2;
    case 3:
        return 1;
    default:
        return -1;
    }
}

gboolean OnButton(GtkWidget*, GdkEventButton* e, gpointer data)
{
    GtkBackend::Native* n = Of(data);
    // Double clicks are the layer's to find; GDK's extra double and triple press events go.
    if (e->type != GDK_BUTTON_PRESS && e->type != GDK_BUTTON_RELEASE)
        return TRUE;
    int button = ButtonIndex(e->button);
    if (button < 0)
        return TRUE;
    POINT pt = ScreenPoint(e->x_root, e->y_root);
    bool down = e->type == GDK_BUTTON_PRESS;
    n->Owner->Defer([pt, button, down] { InputMouseButton(pt, button, down); });
    return TRUE;
}

gboolean OnMotion(GtkWidget*, GdkEventMotion* e, gpointer data)
{
    GtkBackend::Native* n = Of(data);
    POINT pt = ScreenPoint(e->x_root, e->y_root);
    n->Owner->Defer([pt] { InputMouseMove(pt); });
    return TRUE;
}

gboolean OnScroll(GtkWidget*, GdkEventScroll* e, gpointer data)
{
    GtkBackend::Native* n = Of(data);
    int delta = 0;
    if (e->direction == GDK_SCROLL_UP)
        delta = WheelDelta;
    else if (e->direction == GDK_SCROLL_DOWN)
        delta = -WheelDelta;
    else if (e->direction == GDK_SCROLL_SMOOTH) {
        n->Scroll += e->delta_y;
        double notches = std::trunc(n->Scroll);
        n->Scroll -= notches;
        delta = -int(notches) * WheelDelta;
    }
    if (!delta)
        return TRUE;
    POINT pt = ScreenPoint(e->x_root, e->y_root);
    n->Owner->Defer([pt, delta] { InputMouseWheel(pt, delta); });
    return TRUE;
}

gboolean OnLeave(GtkWidget*, GdkEventCrossing* e, gpointer data)
{
    // The pointer left for the desktop or another program: the layer hears of a point outside
    // the window, so hover effects and mouse-leave tracking end.
    if (e->mode != GDK_CROSSING_NORMAL || e->detail == GDK_NOTIFY_INFERIOR)
        return FALSE;
    POINT pt = ScreenPoint(e->x_root, e->y_root);
    Of(data)->Owner->Defer([pt] { InputMouseMove(pt); });
    return FALSE;
}

gboolean OnKey(GtkWidget*, GdkEventKey* e, gpointer data)
{
    GtkBackend::Native* n = Of(data);
    n->Owner->KeyEvent(*n, e);
    return TRUE;
}

gboolean OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer data)
{
    Of(data)->Owner->FocusIn(*Of(data));
    return FALSE;
}

gboolean OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer data)
{
    Of(data)->Owner->FocusOut(*Of(data));
    return FALSE;
}

gboolean OnConfigure(GtkWidget*, GdkEventConfigure* e, gpointer data)
{
    Of(data)->Owner->Configured(*Of(data), e->x, e->y, e->width, e->height);
    return FALSE;
}

gboolean OnMap(GtkWidget*, GdkEvent*, gpointer data)
{
    Of(data)->Owner->Mapped(*Of(data));
    return FALSE;
}

gboolean OnWindowState(GtkWidget*, GdkEventWindowState* e, gpointer data)
{
    if (e->changed_mask & (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED)) {
        GtkBackend::Native* n = Of(data);
        bool iconified = e->new_window_state & GDK_WINDOW_STATE_ICONIFIED;
        bool maximized = e->new_window_state & GDK_WINDOW_STATE_MAXIMIZED;
        if (iconified != n->Minimized || maximized != n->Maximized)
            n->Owner->StateFromWindowManager(*n, iconified, maximized);
    }
    return FALSE;
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data)
{
    // The window manager's close: the program decides, as with its own close box.
    HWND h = Of(data)->Hwnd;
    Of(data)->Owner->Defer([h] {
        if (IsWindow(h) && IsWindowEnabled(h))
            PostMessage(h, WM_CLOSE, 0, 0);
    });
    return TRUE;
}

void OnImCommit(GtkIMContext*, const char* text, gpointer data)
{
    static_cast<GtkBackend*>(data)->ImCommit(text);
}

void OnImPreedit(GtkIMContext*, gpointer data)
{
    static_cast<GtkBackend*>(data)->ImPreeditChanged();
}

bool IsPopupStyle(DWORD style, DWORD exStyle)
{
    return (style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION &&
           (exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
}

const char* CursorName(std::uintptr_t id)
{
    switch (id) {
    case IDC_IBEAM:
        return "text";
    case IDC_WAIT:
        return "wait";
    case IDC_CROSS:
        return "crosshair";
    case IDC_SIZENWSE:
        return "nwse-resize";
    case IDC_SIZENESW:
        return "nesw-resize";
    case IDC_SIZEWE:
        return "ew-resize";
    case IDC_SIZENS:
        return "ns-resize";
    case IDC_SIZEALL:
        return "move";
    case IDC_NO:
        return "not-allowed";
    case IDC_HAND:
        return "pointer";
    case IDC_APPSTARTING:
        return "progress";
    case IDC_HELP:
        return "help";
    default:
        return "default";
    }
}

// Caps Lock and Num Lock as the keyboard has them, before a key goes to the layer: a lock
// switched on before the program started (or while another program had the keyboard) would
// otherwise make TranslateMessage disagree with the keyboard.
void SyncLocks(bool caps, bool num)
{
    BYTE state[256];
    GetKeyboardState(state);
    bool changed = false;
    for (auto [vk, on] : {std::pair<UINT, bool>{VK_CAPITAL, caps}, std::pair<UINT, bool>{VK_NUMLOCK, num}})
        if (bool(state[vk] & 1) != on) {
            state[vk] ^= 1;
            changed = true;
        }
    if (changed)
        SetKeyboardState(state);
}

std::int64_t Monotonic()
{
    return g_get_monotonic_time();
}

} // namespace

// ---- Life -------------------------------------------------------------------------------------------

GtkBackend::GtkBackend()
{
    Im.reset(gtk_im_multicontext_new());
    g_signal_connect(Im.get(), "commit", G_CALLBACK(OnImCommit), this);
    g_signal_connect(Im.get(), "preedit-changed", G_CALLBACK(OnImPreedit), this);
    g_signal_connect(Im.get(), "preedit-start", G_CALLBACK(OnImPreedit), this);
}

GtkBackend::~GtkBackend()
{
    if (Grabbed)
        gdk_seat_ungrab(gdk_display_get_default_seat(gdk_display_get_default()));
    if (OwnsClipboard) {
        // What was copied stays available to other programs through the clipboard manager.
        GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
        gtk_clipboard_store(cb);
        gtk_clipboard_clear(cb);
        OwnsClipboard = false;
    }
    ResetIncoming();
    if (WatchingOwner)
        g_signal_handlers_disconnect_by_data(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), this);
    if (Im) {
        gtk_im_context_set_client_window(Im.get(), nullptr);
        g_signal_handlers_disconnect_by_data(Im.get(), this);
        Im.reset();
    }
    for (auto& [h, n] : Natives) {
        if (n->Settle)
            g_source_remove(n->Settle);
        g_signal_handlers_disconnect_by_data(n->Window, n.get());
        g_signal_handlers_disconnect_by_data(n->Area, n.get());
        gtk_widget_destroy(n->Window);
    }
    Natives.clear();
    while (g_main_context_pending(nullptr))
        g_main_context_iteration(nullptr, FALSE);
}

GtkBackend* Gtk()
{
    return dynamic_cast<GtkBackend*>(&Backend());
}

bool StartGtk()
{
    // The accessibility bridge would look for a session bus that a bare X server has not got.
    setenv("NO_AT_BRIDGE", "1", 0);
    // Windows are placed at screen positions and input comes in screen coordinates, which X
    // gives (also through XWayland) and Wayland itself does not.
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(nullptr, nullptr))
        return false;
    ResetWindowLayer();
    InstallBackend(std::make_unique<GtkBackend>());
    ResetWindowLayer(); // the desktop takes the real screen's size
    return true;
}

// ---- Screen and clock ----------------------------------------------------------------------------------

TSize GtkBackend::ScreenSize() const
{
    GdkWindow* root = gdk_get_default_root_window();
    return TSize{std::max(gdk_window_get_width(root), 1), std::max(gdk_window_get_height(root), 1)};
}

TRect GtkBackend::WorkArea() const
{
    GdkDisplay* d = gdk_display_get_default();
    GdkMonitor* m = gdk_display_get_primary_monitor(d);
    if (!m)
        m = gdk_display_get_monitor(d, 0);
    if (!m)
        return PlatformBackend::WorkArea();
    GdkRectangle r;
    gdk_monitor_get_workarea(m, &r);
    return TRect{r.x, r.y, r.x + r.width, r.y + r.height};
}

std::uint64_t GtkBackend::Now() const
{
    return std::uint64_t(Monotonic() / 1000);
}

// ---- The main loop ------------------------------------------------------------------------------------

void GtkBackend::Defer(std::function<void()> work)
{
    Deferred.push_back(std::move(work));
}

void GtkBackend::RunDeferred()
{
    while (!Deferred.empty()) {
        std::function<void()> work = std::move(Deferred.front());
        Deferred.pop_front();
        work();
    }
}

void GtkBackend::Flush()
{
    // Bounded, so that a flood of events cannot keep the layer from its own queue.
    for (int i = 0; i < 1000 && g_main_context_pending(nullptr); ++i)
        g_main_context_iteration(nullptr, FALSE);
    RunDeferred();
}

void GtkBackend::WaitForEvents(int timeoutMs)
{
    // The layer tells of no caption change or caret move: both are looked at whenever the
    // program has nothing left to do.
    for (auto& [h, n] : Natives)
        if (n->Visible && !n->Popup)
            UpdateTitle(*n);
    UpdateImCursor();
    if (Woken.exchange(false) || !Deferred.empty()) {
        Flush();
        return;
    }
    bool fired = false;
    guint timer = 0;
    if (timeoutMs >= 0)
        timer = g_timeout_add(
            guint(timeoutMs),
            [](gpointer p) -> gboolean {
                *static_cast<bool*>(p) = true;
                return G_SOURCE_REMOVE;
            },
            &fired);
    g_main_context_iteration(nullptr, TRUE);
    if (timer && !fired)
        g_source_remove(timer);
    Woken = false;
    Flush();
}

void GtkBackend::Wake()
{
    Woken = true;
    g_main_context_wakeup(nullptr);
}

// ---- Windows ---------------------------------------------------------------------------------------------

GtkBackend::Native* GtkBackend::Find(HWND hwnd) const
{
    auto it = Natives.find(hwnd);
    return it == Natives.end() ? nullptr : it->second.get();
}

GtkWidget* GtkBackend::NativeWindow(HWND hwnd) const
{
    Native* n = Find(hwnd);
    return n ? n->Window : nullptr;
}

GtkBackend::Native& GtkBackend::Ensure(HWND hwnd)
{
    if (Native* n = Find(hwnd))
        return *n;
    auto owned = std::make_unique<Native>();
    Native& n = *owned;
    Natives[hwnd] = std::move(owned);
    n.Owner = this;
    n.Hwnd = hwnd;
    DWORD style = DWORD(GetWindowLong(hwnd, GWL_STYLE));
    DWORD ex = DWORD(GetWindowLong(hwnd, GWL_EXSTYLE));
    n.Popup = IsPopupStyle(style, ex);
    n.Resizable = (style & WS_THICKFRAME) != 0;
    HWND owner = GetWindow(hwnd, GW_OWNER);

    GtkWindow* w = GTK_WINDOW(gtk_window_new(n.Popup ? GTK_WINDOW_POPUP : GTK_WINDOW_TOPLEVEL));
    n.Window = GTK_WIDGET(w);
    // The layer draws every pixel itself and needs nothing of OpenGL: the window takes the
    // screen's own visual and colormap, so that whatever reads the screen sees what we drew.
    if (GdkVisual* v = ScreenDefaultVisual(gtk_widget_get_screen(n.Window)))
        gtk_widget_set_visual(n.Window, v);
    // The layer draws caption and borders: the window system adds none, so the GTK window's
    // area is exactly the layer's window rectangle.
    gtk_window_set_decorated(w, FALSE);
    gtk_window_set_resizable(w, n.Resizable);
    if (n.Popup) {
        gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DROPDOWN_MENU);
    } else if (owner && !n.Resizable) {
        gtk_window_set_type_hint(w, GDK_WINDOW_TYPE_HINT_DIALOG);
        gtk_window_set_skip_taskbar_hint(w, TRUE);
    }
    if (Native* o = owner ? Find(owner) : nullptr)
        gtk_window_set_transient_for(w, GTK_WINDOW(o->Window));
    if (ex & WS_EX_TOPMOST)
        gtk_window_set_keep_above(w, TRUE);
    if (ex & WS_EX_TOOLWINDOW)
        gtk_window_set_skip_taskbar_hint(w, TRUE);
    if (ex & WS_EX_NOACTIVATE) {
        gtk_window_set_accept_focus(w, FALSE);
        gtk_window_set_focus_on_map(w, FALSE);
    }

    n.Area = gtk_drawing_area_new();
    gtk_widget_add_events(n.Area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                      GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK | GDK_LEAVE_NOTIFY_MASK);
    gtk_container_add(GTK_CONTAINER(w), n.Area);
    gtk_widget_add_events(n.Window, GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK |
                                        GDK_STRUCTURE_MASK);
    g_signal_connect(n.Area, "draw", G_CALLBACK(OnDraw), &n);
    g_signal_connect(n.Area, "button-press-event", G_CALLBACK(OnButton), &n);
    g_signal_connect(n.Area, "button-release-event", G_CALLBACK(OnButton), &n);
    g_signal_connect(n.Area, "motion-notify-event", G_CALLBACK(OnMotion), &n);
    g_signal_connect(n.Area, "scroll-event", G_CALLBACK(OnScroll), &n);
    g_signal_connect(n.Area, "leave-notify-event", G_CALLBACK(OnLeave), &n);
    g_signal_connect(n.Window, "key-press-event", G_CALLBACK(OnKey), &n);
    g_signal_connect(n.Window, "key-release-event", G_CALLBACK(OnKey), &n);
    g_signal_connect(n.Window, "focus-in-event", G_CALLBACK(OnFocusIn), &n);
    g_signal_connect(n.Window, "focus-out-event", G_CALLBACK(OnFocusOut), &n);
    g_signal_connect(n.Window, "configure-event", G_CALLBACK(OnConfigure), &n);
    g_signal_connect(n.Window, "map-event", G_CALLBACK(OnMap), &n);
    g_signal_connect(n.Window, "delete-event", G_CALLBACK(OnDelete), &n);
    g_signal_connect(n.Window, "window-state-event", G_CALLBACK(OnWindowState), &n);
    SetUpDropTarget(n);
    gtk_widget_realize(n.Window);
    if (Cursor)
        SetCursorShape(Cursor);
    RECT r{};
    GetWindowRect(hwnd, &r);
    ApplyGeometry(n, r);
    return n;
}

void GtkBackend::ApplyGeometry(Native& n, const TRect& r)
{
    int w = std::max(r.Width(), 1);
    int h = std::max(r.Height(), 1);
    GtkWindow* win = GTK_WINDOW(n.Window);
    if (n.Resizable)
        gtk_widget_set_size_request(n.Area, 1, 1);
    else
        gtk_widget_set_size_request(n.Area, w, h);
    gtk_window_resize(win, w, h);
    gtk_window_move(win, r.Left, r.Top);
    n.Requested = TRect{r.Left, r.Top, r.Left + w, r.Top + h};
    n.RequestedAt = Monotonic();
}

void GtkBackend::ApplyState(Native& n, bool minimized, bool maximized)
{
    if (n.Popup)
        return;
    GtkWindow* win = GTK_WINDOW(n.Window);
    if (maximized != n.Maximized) {
        n.Maximized = maximized;
        if (maximized)
            gtk_window_maximize(win);
        else
            gtk_window_unmaximize(win);
    }
    if (minimized == n.Minimized)
        return;
    n.Minimized = minimized;
    if (minimized) {
        // Iconified where a window manager can do it; else the window simply goes.
        if (WindowManagerCanIconify(n.Window)) {
            gtk_window_iconify(win);
        } else if (n.Visible) {
            n.HiddenForMinimize = true;
            gtk_widget_hide(n.Window);
        }
    } else {
        gtk_window_deiconify(win);
        if (n.HiddenForMinimize) {
            n.HiddenForMinimize = false;
            if (n.Visible)
                gtk_widget_show_all(n.Window);
        }
    }
}

void GtkBackend::WindowStateChanged(HWND hwnd, UINT sizeType)
{
    if (Native* n = Find(hwnd))
        ApplyState(*n, sizeType == SIZE_MINIMIZED, sizeType == SIZE_MAXIMIZED);
}

void GtkBackend::StateFromWindowManager(Native& n, bool iconified, bool maximized)
{
    // The user minimised, maximised or restored the window through the window manager (a
    // taskbar, a keyboard shortcut): the layer's window follows, as if the program had asked.
    n.Minimized = iconified;
    n.Maximized = maximized;
    HWND h = n.Hwnd;
    Defer([h, iconified, maximized] {
        if (!IsWindow(h) || !IsWindowVisible(h))
            return;
        if (iconified != bool(IsIconic(h)))
            ShowWindow(h, iconified ? SW_MINIMIZE : maximized ? SW_MAXIMIZE : SW_RESTORE);
        else if (!iconified && maximized != bool(IsZoomed(h)))
            ShowWindow(h, maximized ? SW_MAXIMIZE : SW_RESTORE);
    });
}

void GtkBackend::WindowShown(HWND hwnd, bool visible)
{
    if (!visible) {
        Native* n = Find(hwnd);
        if (!n)
            return;
        n->Visible = false;
        n->HiddenForMinimize = false;
        if (Grabbed == hwnd) {
            gdk_seat_ungrab(gdk_display_get_default_seat(gdk_display_get_default()));
            Grabbed = nullptr;
        }
        if (ImWindow == n) {
            gtk_im_context_focus_out(Im.get());
            gtk_im_context_set_client_window(Im.get(), nullptr);
            ImWindow = nullptr;
        }
        gtk_widget_hide(n->Window);
        return;
    }
    Native& n = Ensure(hwnd);
    RECT r{};
    GetWindowRect(hwnd, &r);
    ApplyGeometry(n, r);
    n.Visible = true;
    UpdateTitle(n);
    DWORD style = DWORD(GetWindowLong(hwnd, GWL_STYLE));
    if (!n.HiddenForMinimize)
        gtk_widget_show_all(n.Window);
    ApplyState(n, (style & WS_MINIMIZE) != 0, (style & WS_MAXIMIZE) != 0);
}

void GtkBackend::UpdateTitle(Native& n)
{
    char title[1024] = "";
    GetWindowText(n.Hwnd, title, int(sizeof title));
    if (n.Title != title) {
        n.Title = title;
        gtk_window_set_title(GTK_WINDOW(n.Window), title);
    }
}

void GtkBackend::WindowMoved(HWND hwnd, const TRect& screenRect)
{
    if (Native* n = Find(hwnd))
        ApplyGeometry(*n, screenRect);
}

void GtkBackend::WindowRestacked()
{
    // The window system stacks as the layer does: every visible window raised from the bottom of
    // the layer's z-order up (a window manager may still keep its own order for normal windows).
    std::vector<HWND> tops;
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tops));
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        Native* n = Find(*it);
        if (n && n->Visible)
            if (GdkWindow* g = gtk_widget_get_window(n->Window))
                gdk_window_raise(g);
    }
}

void GtkBackend::WindowPainted(HWND hwnd, const TRect& rect)
{
    Native* n = Find(hwnd);
    if (n && n->Visible)
        gtk_widget_queue_draw_area(n->Area, rect.Left, rect.Top, rect.Width(), rect.Height());
}

void GtkBackend::WindowDestroyed(HWND hwnd)
{
    auto it = Natives.find(hwnd);
    if (it == Natives.end())
        return;
    Native* n = it->second.get();
    if (ImWindow == n) {
        gtk_im_context_set_client_window(Im.get(), nullptr);
        ImWindow = nullptr;
    }
    if (Grabbed == hwnd) {
        gdk_seat_ungrab(gdk_display_get_default_seat(gdk_display_get_default()));
        Grabbed = nullptr;
    }
    if (Captured == hwnd)
        Captured = nullptr;
    if (Incoming.Over == n)
        Incoming.Over = nullptr;
    if (n->Settle)
        g_source_remove(n->Settle);
    g_signal_handlers_disconnect_by_data(n->Window, n);
    g_signal_handlers_disconnect_by_data(n->Area, n);
    gtk_widget_destroy(n->Window);
    Natives.erase(it);
}

void GtkBackend::Configured(Native& n, int, int, int, int)
{
    if (n.Popup || !n.Visible || n.Minimized || !IsWindow(n.Hwnd))
        return;
    // Configure events echo our own requests, older ones possibly after newer ones; a window
    // manager may also have placed or sized the window its own way. Once the window has been
    // quiet for a moment, its real geometry is what the layer takes.
    if (n.Settle)
        g_source_remove(n.Settle);
    n.Settle = g_timeout_add(
        SettleMilliseconds,
        [](gpointer data) -> gboolean {
            Native* w = Of(data);
            w->Settle = 0;
            w->Owner->Settled(*w);
            return G_SOURCE_REMOVE;
        },
        &n);
}

void GtkBackend::Settled(Native& n)
{
    GdkWindow* g = gtk_widget_get_window(n.Window);
    if (!g || !n.Visible || n.Minimized || Monotonic() - n.RequestedAt < SettleMilliseconds * 1000)
        return;
    int x = 0, y = 0;
    gdk_window_get_origin(g, &x, &y);
    TRect now{x, y, x + gdk_window_get_width(g), y + gdk_window_get_height(g)};
    if (now == n.Requested)
        return;
    HWND h = n.Hwnd;
    n.Requested = now;
    Defer([h, now] {
        RECT r{};
        if (IsWindow(h) && !IsIconic(h) && GetWindowRect(h, &r) && !(r == now))
            SetWindowPos(h, nullptr, now.Left, now.Top, now.Width(), now.Height(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

void GtkBackend::Mapped(Native& n)
{
    if ((Captured || ShownDismissablePopup()) && !Grabbed)
        ApplyGrab();
}

// ---- Capture and grabs ---------------------------------------------------------------------------------

void GtkBackend::CaptureChanged(HWND hwnd)
{
    Captured = hwnd;
    ApplyGrab();
}

void GtkBackend::ApplyGrab()
{
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    // Only popups grab: a normal window's capture lasts while a button is down, which the
    // window system's own implicit grab of a press already covers, and a grab beyond that would
    // keep the pointer from other programs.
    HWND root = Captured ? GetAncestor(Captured, GA_ROOT) : nullptr;
    // An open drop-down that closes on a press outside keeps pointer and keyboard too.
    if (!root)
        root = ShownDismissablePopup();
    Native* n = root ? Find(root) : nullptr;
    if (n && !n->Popup)
        n = nullptr;
    if (Grabbed && (!n || Grabbed != root)) {
        gdk_seat_ungrab(seat);
        Grabbed = nullptr;
    }
    if (!n || Grabbed)
        return;
    // On the drawing area's window, whose handlers take the events, wherever they happen.
    GdkWindow* g = gtk_widget_get_window(n->Area);
    if (!g || !gdk_window_is_viewable(g))
        return; // taken when the window is mapped
    // The popup takes the keyboard too, so that it sees Esc and the arrows whatever window the
    // window system thinks has the focus; clicks elsewhere reach it as clicks outside, which
    // close it.
    if (gdk_seat_grab(seat, g, GDK_SEAT_CAPABILITY_ALL, TRUE, nullptr, nullptr, nullptr, nullptr) ==
        GDK_GRAB_SUCCESS)
        Grabbed = root;
}

// ---- Keyboard and input method ---------------------------------------------------------------------------

void GtkBackend::KeyEvent(Native& n, GdkEventKey* e)
{
    bool press = e->type == GDK_KEY_PRESS;
    guint base = e->keyval;
    GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
    if (e->hardware_keycode) {
        guint k = 0;
        auto mods = GdkModifierType(e->state & GDK_MOD2_MASK); // Num Lock only
        if (gdk_keymap_translate_keyboard_state(keymap, e->hardware_keycode, mods, e->group, &k, nullptr,
                                                nullptr, nullptr))
            base = k;
    }
    KeyTranslation key = TranslateKey(base, e->hardware_keycode);

    Filtering = true;
    PreeditTouched = false;
    FilterCommit.clear();
    bool filtered = gtk_im_context_filter_keypress(Im.get(), e);
    Filtering = false;
    std::u16string commit = std::move(FilterCommit);
    FilterCommit.clear();

    if (!press) {
        UINT vk = key.Vk;
        if (vk && KeysDown.erase(vk))
            Defer([key] { InputKey(key.Vk, false, key.Scan, key.Extended); });
        else if (vk && ProcessKeys.erase(vk))
            Defer([] { InputKey(VK_PROCESSKEY, false); });
        return;
    }
    bool shift = e->state & GDK_SHIFT_MASK;
    bool caps = e->state & GDK_LOCK_MASK;
    bool num = e->state & GDK_MOD2_MASK;
    bool command = e->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK);
    auto pressKey = [key, caps, num] {
        SyncLocks(caps, num);
        InputKey(key.Vk, true, key.Scan, key.Extended);
    };
    if (!filtered) {
        if (key.Vk) {
            KeysDown.insert(key.Vk);
            Defer(pressKey);
        } else if (gunichar c = gdk_keyval_to_unicode(e->keyval); c && !command) {
            // A symbol no key of the layer's keyboard has: its text alone.
            std::u16string units;
            if (c >= 0x10000) {
                units += char16_t(0xD800 + ((c - 0x10000) >> 10));
                units += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                units += char16_t(c);
            }
            Defer([units] {
                for (char16_t u : units)
                    InputChar(u);
            });
        }
        return;
    }
    if (!commit.empty()) {
        if (key.Vk && commit.size() == 1 && !command && UsKeyChar(key.Vk, shift, caps) == commit[0]) {
            // The input method gave the key's own character: the key goes as a key, and
            // TranslateMessage makes the same character.
            KeysDown.insert(key.Vk);
            Defer(pressKey);
            return;
        }
        if (key.Vk)
            ProcessKeys.insert(key.Vk);
        Defer([commit] {
            InputKey(VK_PROCESSKEY, true);
            for (char16_t u : commit)
                InputChar(u);
        });
        return;
    }
    if (PreeditTouched) {
        // Composing: the program sees that the input method took the key.
        if (key.Vk)
            ProcessKeys.insert(key.Vk);
        Defer([] { InputKey(VK_PROCESSKEY, true); });
    }
}

void GtkBackend::ImCommit(const char* utf8)
{
    if (!utf8)
        return;
    std::u16string units;
    gchar* p = const_cast<gchar*>(utf8);
    glong n = 0;
    if (const THandleOwner<gunichar2, g_free> w{g_utf8_to_utf16(p, -1, nullptr, &n, nullptr)})
        units.assign(reinterpret_cast<const char16_t*>(w.get()), size_t(n));
    if (units.empty())
        return;
    if (Filtering) {
        FilterCommit += units;
        return;
    }
    // Text the input method sends on its own (a candidate picked with the mouse).
    Defer([units] {
        for (char16_t u : units)
            InputChar(u);
    });
}

void GtkBackend::ImPreeditChanged()
{
    PreeditTouched = true;
}

void GtkBackend::FocusIn(Native& n)
{
    if (n.Popup)
        return;
    ImWindow = &n;
    gtk_im_context_set_client_window(Im.get(), gtk_widget_get_window(n.Window));
    gtk_im_context_focus_in(Im.get());
    LastImCursor = TRect{-1, -1, -1, -1};
    HWND h = n.Hwnd;
    Defer([this, h] {
        if (!IsWindow(h) || GetActiveWindow() == h)
            return;
        if (IsWindowEnabled(h)) {
            SetActiveWindow(h);
        } else if (Native* active = Find(GetActiveWindow()); active && active->Visible) {
            // A window disabled by a modal one: the modal one comes forward instead.
            gtk_window_present(GTK_WINDOW(active->Window));
        }
    });
}

void GtkBackend::FocusOut(Native& n)
{
    if (n.Popup)
        return;
    if (ImWindow == &n)
        gtk_im_context_focus_out(Im.get());
    ReleaseKeys();
    // Another program took the focus (not one of our windows, and not our own popup's grab,
    // which moves the focus while it lasts): open drop-downs close.
    Defer([this] {
        if (Grabbed)
            return;
        for (auto& [h, w] : Natives)
            if (w->Visible && gtk_window_is_active(GTK_WINDOW(w->Window)))
                return;
        InputFocusLeftProgram();
    });
}

void GtkBackend::ReleaseKeys()
{
    // Keys held while the focus went to another program are released, or they would stay down
    // for the layer (a Ctrl held over Alt+Tab, say).
    std::set<UINT> down = std::move(KeysDown);
    KeysDown.clear();
    ProcessKeys.clear();
    Defer([down] {
        for (UINT vk : down)
            InputKey(vk, false);
    });
}

void GtkBackend::UpdateImCursor()
{
    if (!ImWindow || !IsWindow(ImWindow->Hwnd))
        return;
    HWND focus = GetFocus();
    if (!focus || GetAncestor(focus, GA_ROOT) != ImWindow->Hwnd)
        return;
    POINT p{};
    if (!GetCaretPos(&p) || !ClientToScreen(focus, &p))
        return;
    RECT r{};
    GetWindowRect(ImWindow->Hwnd, &r);
    TRect where{p.X - r.Left, p.Y - r.Top, p.X - r.Left + 1, p.Y - r.Top + CaretHeightGuess};
    if (where == LastImCursor)
        return;
    LastImCursor = where;
    GdkRectangle g{where.Left, where.Top, 1, CaretHeightGuess};
    gtk_im_context_set_cursor_location(Im.get(), &g);
}

// ---- Cursor, bell, shell --------------------------------------------------------------------------------

void GtkBackend::SetCursorShape(HCURSOR cursor)
{
    Cursor = cursor;
    static const std::uintptr_t ids[] = {IDC_ARROW,    IDC_IBEAM,    IDC_WAIT,        IDC_CROSS,  IDC_UPARROW,
                                         IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE,      IDC_SIZENS, IDC_SIZEALL,
                                         IDC_NO,       IDC_HAND,     IDC_APPSTARTING, IDC_HELP};
    // System cursors are loaded once, so a handle names its shape; a program's own cursors
    // show as the arrow.
    std::uintptr_t id = IDC_ARROW;
    for (std::uintptr_t i : ids)
        if (cursor && LoadCursor(nullptr, MAKEINTRESOURCE(i)) == cursor)
            id = i;
    GdkDisplay* d = gdk_display_get_default();
    TOwnedGObject<GdkCursor> c(gdk_cursor_new_from_name(d, CursorName(id)));
    if (!c)
        c.reset(gdk_cursor_new_from_name(d, "default"));
    for (auto& [h, n] : Natives)
        if (GdkWindow* g = gtk_widget_get_window(n->Window))
            gdk_window_set_cursor(g, c.get());
}

void GtkBackend::Beep(UINT)
{
    gdk_display_beep(gdk_display_get_default());
}

bool GtkBackend::ShellOpen(const std::string& target, const std::string&)
{
    if (target.empty())
        return false;
    gchar* argv[] = {const_cast<gchar*>("xdg-open"), const_cast<gchar*>(target.c_str()), nullptr};
    GError* error = nullptr;
    // Not waited for and reaped by GLib: the desktop's handler lives on its own.
    bool ok = g_spawn_async(
        nullptr, argv, nullptr,
        GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL), nullptr,
        nullptr, nullptr, &error);
    if (error)
        g_error_free(error);
    return ok;
}
