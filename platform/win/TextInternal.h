#pragma once

// Fonts and text layout on pango, shared by the text output and DrawText files.

#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"

#include <pango/pangocairo.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace gdi {

// A LOGFONT realised for one DC: the pango description at the device size and the metrics
// the API reports (device units).
struct TextFont {
    TextFont() = default;
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;
    TOwnedFontDescription Desc;
    std::uint64_t Serial = 0; // tells realised fonts apart for the layout cache
    bool Hinted = true;
    double EmPx = 0;
    int Ascent = 0, Descent = 0, Height = 0, InternalLeading = 0, ExternalLeading = 0;
    int AveCharWidth = 0, MaxCharWidth = 0;
    LOGFONTA Log{};
};

// The one rule for text metrics: true for DCs whose output shows on the screen (screen, window
// and bitmap DCs and the screen's measuring DCs), which measure with hinted whole-pixel metrics;
// false for printer and metafile DCs and measuring DCs of another resolution, which keep unhinted
// metrics that scale with the resolution.
bool UsesScreenTextMetrics(const DeviceContext& dc);

// The font selected into the DC, realised at the DC's size and hinting.
std::shared_ptr<const TextFont> FontFor(const DeviceContext& dc);

struct LayoutOptions {
    int UnderlineIndex = -1; // byte index of a character to underline ("&" prefixes)
    int UnderlineLength = 0;
    int TabWidth = 0; // device pixels between tab stops; 0 keeps pango's
};

// A one-line layout of UTF-8 text in the font (the caller's own reference).
TOwnedLayout NewLayout(const TextFont& font, const std::string& text, const LayoutOptions& opts = {});
// Width of a layout in device units (whole pixels for hinted fonts).
double LayoutWidth(const TextFont& font, PangoLayout* layout);
double TextWidth(const TextFont& font, const std::string& text);

// Draws a layout with the top-left of its text cell at (x, y) device units, rotated by the
// font's escapement around that point. The background box is filled first when opaque;
// `clip` limits drawing further (device coordinates).
void DrawLayout(DeviceContext& dc, const TextFont& font, PangoLayout* layout, double x, double y,
                double width, bool opaque, const Region* clip);

// Converts device units to logical ones along each axis.
int ToLogicalWidth(const DeviceContext& dc, double deviceWidth);
int ToLogicalHeight(const DeviceContext& dc, double deviceHeight);

} // namespace gdi
