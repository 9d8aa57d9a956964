#pragma once

// Sole owners of the cairo, pango and GObject handles the drawing code makes, each freed with the
// one function that frees it when the owner goes, also when drawing raises:
//     TOwnedCairo Cr(cairo_create(Surface));
//     TOwnedLayout Layout(pango_cairo_create_layout(Cr.get()));
// A handle the code only borrows (what a get function returns) is never put in one.

#include "platform/rtl/Guards.h"

#include <cairo.h>
#include <glib-object.h>
#include <pango/pango.h>

using TOwnedCairo = THandleOwner<cairo_t, cairo_destroy>;
using TOwnedSurface = THandleOwner<cairo_surface_t, cairo_surface_destroy>;
using TOwnedFontDescription = THandleOwner<PangoFontDescription, pango_font_description_free>;
using TOwnedAttrList = THandleOwner<PangoAttrList, pango_attr_list_unref>;
using TOwnedLayoutIter = THandleOwner<PangoLayoutIter, pango_layout_iter_free>;
// Any GObject (layouts, contexts, fonts, font maps, pixbufs): one reference, given back with
// g_object_unref.
template <class T> using TOwnedGObject = THandleOwner<T, g_object_unref>;
using TOwnedLayout = TOwnedGObject<PangoLayout>;
// A string glib allocated for the caller.
using TOwnedGChars = THandleOwner<char, g_free>;
using TOwnedFontMetrics = THandleOwner<PangoFontMetrics, pango_font_metrics_unref>;
using TOwnedTabArray = THandleOwner<PangoTabArray, pango_tab_array_free>;
using TOwnedPath = THandleOwner<cairo_path_t, cairo_path_destroy>;
