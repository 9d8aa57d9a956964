// The real clipboard: the layer's formats offered as targets of the CLIPBOARD selection, and
// another program's targets read back as the layer's formats.

#include "platform/backend/gtk/GtkBackend.h"
#include "platform/backend/gtk/GtkFormats.h"

#include "platform/win/Clipboard.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/Windows.h"

#include <gtk/gtk.h>

namespace {

// Offered for an emptied clipboard, so that other programs see nothing they can paste.
constexpr const char* EmptyTarget = "application/x-drawmere-empty";

void Provide(GtkClipboard*, GtkSelectionData* sd, guint info, gpointer data)
{
    ProvideTarget(static_cast<GtkBackend*>(data)->OfferedFormats(), sd, info);
}

void Cleared(GtkClipboard*, gpointer data)
{
    static_cast<GtkBackend*>(data)->OwnClipboardLost();
}

void OwnerChanged(GtkClipboard*, GdkEvent*, gpointer data)
{
    static_cast<GtkBackend*>(data)->ForeignClipboardChanged();
}

} // namespace

const ClipboardFormats& GtkBackend::OfferedFormats() const
{
    return Offered;
}

void GtkBackend::OwnClipboardLost()
{
    OwnsClipboard = false;
    Offered.clear();
}

void GtkBackend::ForeignClipboardChanged()
{
    ForeignValid = false;
    ForeignCache.clear();
}

void GtkBackend::WriteClipboard(const ClipboardFormats& formats)
{
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    const THandleOwner<GtkTargetList, gtk_target_list_unref> list(TargetsForFormats(formats));
    gint n = 0;
    GtkTargetEntry* targets = gtk_target_table_new_from_list(list.get(), &n);
    GtkTargetEntry empty{const_cast<gchar*>(EmptyTarget), 0, 0};
    Offered = formats;
    OwnsClipboard =
        gtk_clipboard_set_with_data(cb, n ? targets : &empty, n ? guint(n) : 1, Provide, Cleared, this);
    if (OwnsClipboard) {
        // The contents outlive the program when a clipboard manager runs.
        gtk_clipboard_set_can_store(cb, n ? targets : nullptr, guint(n));
    } else {
        Offered.clear();
    }
    gtk_target_table_free(targets, n);
}

ClipboardFormats GtkBackend::ReadClipboard()
{
    if (OwnsClipboard)
        return Offered;
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    if (!WatchingOwner) {
        WatchingOwner = true;
        g_signal_connect(cb, "owner-change", G_CALLBACK(OwnerChanged), this);
    }
    // Read once per change of owner where the display says when that happens; else every time.
    bool notified = gdk_display_supports_selection_notification(gdk_display_get_default());
    if (notified && ForeignValid)
        return ForeignCache;

    ClipboardFormats out;
    GdkAtom* targets = nullptr;
    gint n = 0;
    if (gtk_clipboard_wait_for_targets(cb, &targets, &n) && targets) {
        const THandleOwner<GdkAtom, g_free> atoms(targets);
        std::vector<std::string> offered;
        for (gint i = 0; i < n; ++i)
            if (const TOwnedGChars name{gdk_atom_name(targets[i])})
                offered.push_back(name.get());
        for (const std::string& target : WantedTargets(offered))
            if (const THandleOwner<GtkSelectionData, gtk_selection_data_free> sd{
                    gtk_clipboard_wait_for_contents(cb, gdk_atom_intern(target.c_str(), FALSE))})
                StoreSelection(out, sd.get());
        if (!out.count(CF_DIB) && gtk_targets_include_image(targets, n, FALSE)) {
            // Another picture type: GDK decodes it and we take it as PNG.
            if (const TOwnedGObject<GdkPixbuf> pb{gtk_clipboard_wait_for_image(cb)}) {
                gchar* buf = nullptr;
                gsize size = 0;
                if (gdk_pixbuf_save_to_buffer(pb.get(), &buf, &size, "png", nullptr, nullptr)) {
                    const TOwnedGChars png(buf);
                    ClipBytes dib = PngToDib(ClipBytes(buf, buf + size));
                    if (!dib.empty())
                        out[CF_DIB] = std::move(dib);
                }
            }
        }
    }
    if (notified) {
        ForeignCache = out;
        ForeignValid = true;
    }
    return out;
}
