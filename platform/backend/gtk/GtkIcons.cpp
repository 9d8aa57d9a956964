// File icons from the desktop: the content type GIO guesses from the file's name, looked up in
// the GTK icon theme.

#include "platform/backend/gtk/GtkBackend.h"

#include "platform/win/Gdi.h"

#include <gtk/gtk.h>

HBITMAP GtkBackend::FileTypeIcon(const std::string& fileName, int size)
{
    if (size <= 0 || size > 256)
        return nullptr;
    gchar* type = nullptr;
    if (!fileName.empty() && (fileName.back() == '/' || fileName.back() == '\\')) {
        type = g_strdup("inode/directory");
    } else {
        gboolean uncertain = FALSE;
        type = g_content_type_guess(fileName.c_str(), nullptr, 0, &uncertain); // by name only
    }
    GIcon* icon = g_content_type_get_icon(type);
    g_free(type);
    HBITMAP result = nullptr;
    if (GtkIconTheme* theme = gtk_icon_theme_get_default()) {
        if (GtkIconInfo* info =
                gtk_icon_theme_lookup_by_gicon(theme, icon, size, GTK_ICON_LOOKUP_FORCE_SIZE)) {
            if (GdkPixbuf* pixbuf = gtk_icon_info_load_icon(info, nullptr)) {
                if (cairo_surface_t* surface = gdk_cairo_surface_create_from_pixbuf(pixbuf, 1, nullptr)) {
                    result = CreateBitmapFromSurface(surface);
                    cairo_surface_destroy(surface);
                }
                g_object_unref(pixbuf);
            }
            g_object_unref(info);
        }
    }
    g_object_unref(icon);
    return result;
}
