// Leaks a cairo surface and a pango layout on purpose. Run under the desktop tests' leak
// suppressions, the leak checker must still report both: the suppressions may hide only the
// libraries' own kept allocations, never what our code leaks through them.

#include <pango/pangocairo.h>

#include <cstdio>

int main()
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 64, 64);
    PangoFontMap* map = pango_cairo_font_map_new();
    PangoContext* context = pango_font_map_create_context(map);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_text(layout, "leaked", -1);
    g_object_unref(context);
    g_object_unref(map);
    // Both dropped without being released.
    std::printf("leaking surface %p and layout %p\n", static_cast<void*>(surface),
                static_cast<void*>(layout));
    return 0;
}
