// Drag and drop with other programs: drags they bring over our windows go to the layer's drop
// handler with their data as clipboard formats; drags of ours leave for the desktop with the
// same targets as the clipboard.

#include "platform/backend/gtk/GtkBackend.h"
#include "platform/backend/gtk/GtkFormats.h"
#include "platform/backend/gtk/GtkNative.h"
#include "platform/rtl/Guards.h"

#include "platform/win/GraphicsOwners.h"
#include "platform/win/Windows.h"

#include <gtk/gtk.h>

namespace {

constexpr DWORD EffectCopy = 1, EffectMove = 2, EffectLink = 4;
constexpr DWORD MkAlt = 0x20;

GtkBackend::Native* Of(gpointer data)
{
    return static_cast<GtkBackend::Native*>(data);
}

DWORD EffectsOf(GdkDragAction a)
{
    return ((a & GDK_ACTION_COPY) ? EffectCopy : 0) | ((a & GDK_ACTION_MOVE) ? EffectMove : 0) |
           ((a & GDK_ACTION_LINK) ? EffectLink : 0);
}

GdkDragAction ActionsOf(DWORD e)
{
    return GdkDragAction(((e & EffectCopy) ? GDK_ACTION_COPY : 0) | ((e & EffectMove) ? GDK_ACTION_MOVE : 0) |
                         ((e & EffectLink) ? GDK_ACTION_LINK : 0));
}

// One action for a status reply: what the handler chose, the stronger one first.
GdkDragAction OneAction(DWORD e)
{
    if (e & EffectMove)
        return GDK_ACTION_MOVE;
    if (e & EffectCopy)
        return GDK_ACTION_COPY;
    if (e & EffectLink)
        return GDK_ACTION_LINK;
    return GdkDragAction(0);
}

DWORD KeyStateNow()
{
    GdkDisplay* d = gdk_display_get_default();
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(d));
    GdkModifierType mask = GdkModifierType(0);
    gdk_window_get_device_position(gdk_get_default_root_window(), pointer, nullptr, nullptr, &mask);
    DWORD k = 0;
    if (mask & GDK_BUTTON1_MASK)
        k |= MK_LBUTTON;
    if (mask & GDK_BUTTON2_MASK)
        k |= MK_MBUTTON;
    if (mask & GDK_BUTTON3_MASK)
        k |= MK_RBUTTON;
    if (mask & GDK_SHIFT_MASK)
        k |= MK_SHIFT;
    if (mask & GDK_CONTROL_MASK)
        k |= MK_CONTROL;
    if (mask & GDK_MOD1_MASK)
        k |= MkAlt;
    return k;
}

gboolean OnDragMotion(GtkWidget*, GdkDragContext* ctx, gint x, gint y, guint time, gpointer data)
{
    Of(data)->Owner->DragMotion(*Of(data), ctx, x, y, time, false);
    return TRUE;
}

gboolean OnDragDrop(GtkWidget*, GdkDragContext* ctx, gint x, gint y, guint time, gpointer data)
{
    Of(data)->Owner->DragMotion(*Of(data), ctx, x, y, time, true);
    return TRUE;
}

void OnDragLeave(GtkWidget*, GdkDragContext* ctx, guint, gpointer data)
{
    Of(data)->Owner->DragLeft(*Of(data), ctx);
}

void OnDragData(GtkWidget*, GdkDragContext* ctx, gint, gint, GtkSelectionData* sd, guint, guint,
                gpointer data)
{
    Of(data)->Owner->DragData(*Of(data), ctx, sd);
}

struct OutgoingState {
    const ClipboardFormats* Data = nullptr;
    bool Done = false;
    bool Failed = false;
    DWORD Effect = 0;
};

void OnDragGet(GtkWidget*, GdkDragContext*, GtkSelectionData* sd, guint info, guint, gpointer data)
{
    ProvideTarget(*static_cast<OutgoingState*>(data)->Data, sd, info);
}

gboolean OnDragFailed(GtkWidget*, GdkDragContext*, GtkDragResult, gpointer data)
{
    static_cast<OutgoingState*>(data)->Failed = true;
    return FALSE;
}

void OnDragEnd(GtkWidget*, GdkDragContext* ctx, gpointer data)
{
    auto* s = static_cast<OutgoingState*>(data);
    s->Effect = EffectsOf(gdk_drag_context_get_selected_action(ctx));
    s->Done = true;
}

} // namespace

void GtkBackend::SetUpDropTarget(Native& n)
{
    // No default handling: the targets offered are looked at here, and the answer is the drop
    // handler's.
    gtk_drag_dest_set(n.Area, GtkDestDefaults(0), nullptr, 0,
                      GdkDragAction(GDK_ACTION_COPY | GDK_ACTION_MOVE | GDK_ACTION_LINK));
    g_signal_connect(n.Area, "drag-motion", G_CALLBACK(OnDragMotion), &n);
    g_signal_connect(n.Area, "drag-drop", G_CALLBACK(OnDragDrop), &n);
    g_signal_connect(n.Area, "drag-leave", G_CALLBACK(OnDragLeave), &n);
    g_signal_connect(n.Area, "drag-data-received", G_CALLBACK(OnDragData), &n);
}

void GtkBackend::ResetIncoming()
{
    Incoming = IncomingDrag{};
}

void GtkBackend::DragMotion(Native& n, GdkDragContext* ctx, int x, int y, unsigned time, bool drop)
{
    if (Incoming.Ctx.get() != ctx) {
        // A new drag: everything it carries is read once, before the handler is asked.
        ResetIncoming();
        Incoming.Ctx.reset(GDK_DRAG_CONTEXT(g_object_ref(ctx)));
        std::vector<std::string> offered;
        for (GList* l = gdk_drag_context_list_targets(ctx); l; l = l->next)
            if (const TOwnedGChars name{gdk_atom_name(GDK_POINTER_TO_ATOM(l->data))})
                offered.push_back(name.get());
        for (const std::string& t : WantedTargets(offered)) {
            ++Incoming.Pending;
            gtk_drag_get_data(n.Area, ctx, gdk_atom_intern(t.c_str(), FALSE), time);
        }
    }
    int ox = 0, oy = 0;
    if (GdkWindow* g = gtk_widget_get_window(n.Area))
        gdk_window_get_origin(g, &ox, &oy);
    Incoming.Over = &n;
    Incoming.Pt = POINT{ox + x, oy + y};
    Incoming.Time = time;
    Incoming.Dropped = Incoming.Dropped || drop;
    if (Incoming.Pending > 0) {
        if (!drop)
            gdk_drag_status(ctx, GdkDragAction(0), time); // not before the data is here
        return;
    }
    if (!AnswerQueued) {
        AnswerQueued = true;
        Defer([this] { AnswerDrag(); });
    }
}

void GtkBackend::DragData(Native& n, GdkDragContext* ctx, GtkSelectionData* sd)
{
    if (Incoming.Ctx.get() != ctx)
        return;
    StoreSelection(Incoming.Data, sd);
    if (--Incoming.Pending <= 0 && Incoming.Over && !AnswerQueued) {
        AnswerQueued = true;
        Defer([this] { AnswerDrag(); });
    }
}

void GtkBackend::DragLeft(Native& n, GdkDragContext* ctx)
{
    // GTK reports leaving before a drop, and leaving one window before entering the next: the
    // leave counts only if neither followed.
    Native* left = &n;
    Defer([this, ctx, left] {
        if (Incoming.Ctx.get() != ctx || Incoming.Dropped || Incoming.Over != left)
            return;
        DesktopDrag d;
        d.Phase = DesktopDragPhase::Leave;
        d.Window = left->Hwnd;
        d.Screen = Incoming.Pt;
        ClipboardFormats data = std::move(Incoming.Data);
        d.Data = &data;
        ResetIncoming();
        CallDesktopDropHandler(d);
    });
}

void GtkBackend::AnswerDrag()
{
    AnswerQueued = false;
    if (!Incoming.Ctx || Incoming.Pending > 0)
        return;
    GdkDragContext* ctx = Incoming.Ctx.get();
    bool drop = Incoming.Dropped;
    unsigned time = Incoming.Time;
    if (!Incoming.Over || !IsWindow(Incoming.Over->Hwnd)) {
        if (drop) {
            gtk_drag_finish(ctx, FALSE, FALSE, time);
            ResetIncoming();
        }
        return;
    }
    DesktopDrag d;
    d.Phase = drop ? DesktopDragPhase::Drop : DesktopDragPhase::Over;
    d.Window = Incoming.Over->Hwnd;
    d.Screen = Incoming.Pt;
    d.KeyState = KeyStateNow();
    d.OkEffects = EffectsOf(gdk_drag_context_get_actions(ctx));
    d.Data = &Incoming.Data;
    // The other program is not left waiting for an answer that will never come.
    TScopeExit Refuse([this, ctx, drop, time] {
        if (drop) {
            gtk_drag_finish(ctx, FALSE, FALSE, time);
            ResetIncoming();
        } else {
            gdk_drag_status(ctx, GdkDragAction(0), time);
        }
    });
    DWORD effect = CallDesktopDropHandler(d) & d.OkEffects;
    Refuse.Dismiss();
    if (drop) {
        gtk_drag_finish(ctx, effect != 0, OneAction(effect) == GDK_ACTION_MOVE, time);
        ResetIncoming();
    } else {
        gdk_drag_status(ctx, OneAction(effect), time);
    }
}

DWORD GtkBackend::DragToDesktop(const ClipboardFormats& data, DWORD okEffects)
{
    // From the window the pointer works in: the capture holder's, else the active one.
    HWND from = GetCapture() ? GetCapture() : GetActiveWindow();
    Native* n = from ? Find(GetAncestor(from, GA_ROOT)) : nullptr;
    // A drag needs the button still down: released already, there is nothing to drag.
    if (!n || !n->Visible || data.empty() || !ActionsOf(okEffects) || !(KeyStateNow() & MK_LBUTTON))
        return 0;
    OutgoingState state;
    state.Data = &data;
    gulong get = g_signal_connect(n->Area, "drag-data-get", G_CALLBACK(OnDragGet), &state);
    gulong failed = g_signal_connect(n->Area, "drag-failed", G_CALLBACK(OnDragFailed), &state);
    gulong end = g_signal_connect(n->Area, "drag-end", G_CALLBACK(OnDragEnd), &state);
    const THandleOwner<GtkTargetList, gtk_target_list_unref> list(TargetsForFormats(data));
    // Held, so the handlers can be taken off it even if the window goes during the drag.
    const TOwnedGObject<GtkWidget> area(GTK_WIDGET(g_object_ref(n->Area)));
    // The handlers point at state on this frame: they go with it, also when the loop raises.
    const TScopeExit disconnect([&] {
        g_signal_handler_disconnect(area.get(), get);
        g_signal_handler_disconnect(area.get(), failed);
        g_signal_handler_disconnect(area.get(), end);
    });
    if (gtk_drag_begin_with_coordinates(area.get(), list.get(), ActionsOf(okEffects), 1, nullptr, -1, -1)) {
        // A modal loop, as drags are: the program's own windows keep their input (a drop on one
        // of them is answered here too).
        while (!state.Done) {
            g_main_context_iteration(nullptr, TRUE);
            RunDeferred();
        }
    }
    return state.Failed ? 0 : state.Effect & okEffects;
}
