// What only X can say.

#include "platform/backend/gtk/GtkNative.h"

#include <gdk/gdkx.h>

bool WindowManagerCanIconify(GtkWidget* window)
{
    GdkScreen* screen = gtk_widget_get_screen(window);
    return GDK_IS_X11_SCREEN(screen) &&
           gdk_x11_screen_supports_net_wm_hint(screen, gdk_atom_intern_static_string("_NET_WM_STATE_HIDDEN"));
}

GdkVisual* ScreenDefaultVisual(GdkScreen* screen)
{
    if (!GDK_IS_X11_SCREEN(screen))
        return nullptr;
    Screen* xs = gdk_x11_screen_get_xscreen(screen);
    return gdk_x11_screen_lookup_visual(screen, XVisualIDFromVisual(DefaultVisualOfScreen(xs)));
}
