#pragma once

// Device contexts and drawing: the drawing half of the Windows-API-like layer.
//
// A device context draws onto a cairo surface (a bitmap, a window's backing surface given by
// the window layer, a printer page) or records into a metafile. Lines and shapes are
// rasterised here on whole pixels with the API's rules (right and bottom edges exclusive, the
// last pixel of a line left out, raster operations on the pixel values); text goes through
// pango with the program's font map. ANSI text functions take UTF-8 with byte counts, the W
// forms take UTF-16.
//
// Who deletes what: every handle a Create… function returns belongs to the caller, who deletes it
// once with the function named next to the creator (DeleteObject for pens, brushes, fonts,
// bitmaps and regions; DeleteDC for device contexts; ReleaseDC, EndPaint and CloseEnhMetaFile for
// the contexts of Windows.h and Metafile.h). Handles that a Get… function returns (stock objects,
// system-colour brushes, the objects selected into a DC, the surfaces behind bitmaps and DCs) are
// borrowed: never deleted by the caller, valid while their owner lives. An object selected into a
// DC cannot be deleted (DeleteObject answers FALSE and the object stays); select the old one back
// first. Functions that take a region or bitmap to use (SelectClipRgn, GetDCEx,
// SetDCUpdateRegion, CreatePatternBrush) copy what they need: the caller still deletes it.
//
// On error: no call throws. A handle that is not live (never made, deleted, of another kind), a
// null pointer argument or a value out of range makes the call do nothing and answer its failure
// value: FALSE for BOOL, nullptr for handles, 0 for counts and modes, CLR_INVALID for colours,
// ERROR for region kinds. A DC made by CreateEnhMetaFile records every call that draws or changes
// its state, with the same answers. Every call belongs to the user-interface thread.

#include "platform/rtl/Guards.h"
#include "platform/win/Colors.h"
#include "platform/win/WinTypes.h"

#include <string>

struct DeviceContext;
struct GdiPen;
struct GdiBrush;
struct GdiFont;
struct GdiBitmap;
struct GdiRegion;
struct GdiPalette;
using HDC = DeviceContext*;
using HGDIOBJ = void*;
using HPEN = GdiPen*;
using HBRUSH = GdiBrush*;
using HFONT = GdiFont*;
using HBITMAP = GdiBitmap*;
using HRGN = GdiRegion*;
using HPALETTE = GdiPalette*;

typedef struct _cairo_surface cairo_surface_t;

// ---- Structures -------------------------------------------------------------------------

constexpr int LF_FACESIZE = 32;

struct LOGPEN {
    UINT lopnStyle = 0;
    POINT lopnWidth{};
    COLORREF lopnColor = 0;
};

struct LOGBRUSH {
    UINT lbStyle = 0;
    COLORREF lbColor = 0;
    std::uintptr_t lbHatch = 0;
};

struct EXTLOGPEN {
    DWORD elpPenStyle = 0;
    DWORD elpWidth = 0;
    UINT elpBrushStyle = 0;
    COLORREF elpColor = 0;
    std::uintptr_t elpHatch = 0;
    DWORD elpNumEntries = 0;
    DWORD elpStyleEntry[1]{};
};

// lfFaceName holds UTF-8 in the ANSI form ("細明體" takes 9 bytes).
struct LOGFONTA {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE]{};
};
using LOGFONT = LOGFONTA;

struct LOGFONTW {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char16_t lfFaceName[LF_FACESIZE]{};
};

struct TEXTMETRICA {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    LONG tmDigitizedAspectX = 0;
    LONG tmDigitizedAspectY = 0;
    char tmFirstChar = 0;
    char tmLastChar = 0;
    char tmDefaultChar = 0;
    char tmBreakChar = 0;
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};
using TEXTMETRIC = TEXTMETRICA;
using TEXTMETRICW = TEXTMETRICA;

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 0;
    WORD bmBitsPixel = 0;
    void* bmBits = nullptr;
};

struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};

struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};

// The colour table follows the header in memory; bmiColors is its first entry.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3]{};
    HANDLE dshSection = nullptr;
    DWORD dsOffset = 0;
};

struct TRIVERTEX {
    LONG x = 0;
    LONG y = 0;
    COLOR16 Red = 0;
    COLOR16 Green = 0;
    COLOR16 Blue = 0;
    COLOR16 Alpha = 0;
};

struct GRADIENT_RECT {
    ULONG UpperLeft = 0;
    ULONG LowerRight = 0;
};

struct GRADIENT_TRIANGLE {
    ULONG Vertex1 = 0;
    ULONG Vertex2 = 0;
    ULONG Vertex3 = 0;
};

struct DRAWTEXTPARAMS {
    UINT cbSize = sizeof(DRAWTEXTPARAMS);
    int iTabLength = 0;
    int iLeftMargin = 0;
    int iRightMargin = 0;
    UINT uiLengthDrawn = 0;
};

// ---- Constants --------------------------------------------------------------------------

enum : int {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    HOLLOW_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    OEM_FIXED_FONT = 10,
    ANSI_FIXED_FONT = 11,
    ANSI_VAR_FONT = 12,
    SYSTEM_FONT = 13,
    DEVICE_DEFAULT_FONT = 14,
    DEFAULT_PALETTE = 15,
    SYSTEM_FIXED_FONT = 16,
    DEFAULT_GUI_FONT = 17,
    DC_BRUSH = 18,
    DC_PEN = 19
};

enum : DWORD {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
    PS_USERSTYLE = 7,
    PS_ALTERNATE = 8,
    PS_STYLE_MASK = 0xF,
    PS_ENDCAP_ROUND = 0,
    PS_ENDCAP_SQUARE = 0x100,
    PS_ENDCAP_FLAT = 0x200,
    PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_ROUND = 0,
    PS_JOIN_BEVEL = 0x1000,
    PS_JOIN_MITER = 0x2000,
    PS_JOIN_MASK = 0xF000,
    PS_COSMETIC = 0,
    PS_GEOMETRIC = 0x10000,
    PS_TYPE_MASK = 0xF0000
};

enum : UINT {
    BS_SOLID = 0,
    BS_NULL = 1,
    BS_HOLLOW = 1,
    BS_HATCHED = 2,
    BS_PATTERN = 3,
    BS_DIBPATTERN = 5,
    BS_DIBPATTERNPT = 6
};
enum : int {
    HS_HORIZONTAL = 0,
    HS_VERTICAL = 1,
    HS_FDIAGONAL = 2,
    HS_BDIAGONAL = 3,
    HS_CROSS = 4,
    HS_DIAGCROSS = 5
};

enum : int { TRANSPARENT = 1, OPAQUE = 2 };

enum : int {
    R2_BLACK = 1,
    R2_NOTMERGEPEN = 2,
    R2_MASKNOTPEN = 3,
    R2_NOTCOPYPEN = 4,
    R2_MASKPENNOT = 5,
    R2_NOT = 6,
    R2_XORPEN = 7,
    R2_NOTMASKPEN = 8,
    R2_MASKPEN = 9,
    R2_NOTXORPEN = 10,
    R2_NOP = 11,
    R2_MERGENOTPEN = 12,
    R2_COPYPEN = 13,
    R2_MERGEPENNOT = 14,
    R2_MERGEPEN = 15,
    R2_WHITE = 16
};

enum : UINT {
    TA_NOUPDATECP = 0,
    TA_UPDATECP = 1,
    TA_LEFT = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_TOP = 0,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
    TA_RTLREADING = 256
};

enum : int {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8
};

enum : int {
    DRIVERVERSION = 0,
    TECHNOLOGY = 2,
    HORZSIZE = 4,
    VERTSIZE = 6,
    HORZRES = 8,
    VERTRES = 10,
    BITSPIXEL = 12,
    PLANES = 14,
    NUMBRUSHES = 16,
    NUMPENS = 18,
    NUMFONTS = 22,
    NUMCOLORS = 24,
    CURVECAPS = 28,
    LINECAPS = 30,
    POLYGONALCAPS = 32,
    TEXTCAPS = 34,
    CLIPCAPS = 36,
    RASTERCAPS = 38,
    ASPECTX = 40,
    ASPECTY = 42,
    ASPECTXY = 44,
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
    SIZEPALETTE = 104,
    NUMRESERVED = 106,
    COLORRES = 108,
    PHYSICALWIDTH = 110,
    PHYSICALHEIGHT = 111,
    PHYSICALOFFSETX = 112,
    PHYSICALOFFSETY = 113,
    SCALINGFACTORX = 114,
    SCALINGFACTORY = 115
};
enum : int { DT_PLOTTER = 0, DT_RASDISPLAY = 1, DT_RASPRINTER = 2, DT_METAFILE = 5 };

enum : DWORD {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328,
    NOTSRCCOPY = 0x00330008,
    NOTSRCERASE = 0x001100A6,
    MERGECOPY = 0x00C000CA,
    MERGEPAINT = 0x00BB0226,
    PATCOPY = 0x00F00021,
    PATPAINT = 0x00FB0A09,
    PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
    NOMIRRORBITMAP = 0x80000000,
    CAPTUREBLT = 0x40000000
};
// MaskBlt's combined code: the foreground operation in the low 24 bits, the background one's
// code byte in the high byte.
constexpr DWORD MAKEROP4(DWORD fore, DWORD back)
{
    return ((back << 8) & 0xFF000000u) | fore;
}

enum : int { ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
enum : int { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };
enum : DWORD { LAYOUT_RTL = 1, LAYOUT_BITMAPORIENTATIONPRESERVED = 8 };

enum : int {
    OBJ_PEN = 1,
    OBJ_BRUSH = 2,
    OBJ_DC = 3,
    OBJ_METADC = 4,
    OBJ_PAL = 5,
    OBJ_FONT = 6,
    OBJ_BITMAP = 7,
    OBJ_REGION = 8,
    OBJ_METAFILE = 9,
    OBJ_MEMDC = 10,
    OBJ_EXTPEN = 11,
    OBJ_ENHMETADC = 12,
    OBJ_ENHMETAFILE = 13
};

enum : LONG {
    FW_DONTCARE = 0,
    FW_THIN = 100,
    FW_LIGHT = 300,
    FW_NORMAL = 400,
    FW_MEDIUM = 500,
    FW_SEMIBOLD = 600,
    FW_BOLD = 700,
    FW_HEAVY = 900
};
enum : BYTE {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    CHINESEBIG5_CHARSET = 136,
    OEM_CHARSET = 255
};
enum : BYTE { DEFAULT_QUALITY = 0, ANTIALIASED_QUALITY = 4, NONANTIALIASED_QUALITY = 3 };
enum : BYTE {
    DEFAULT_PITCH = 0,
    FIXED_PITCH = 1,
    VARIABLE_PITCH = 2,
    FF_DONTCARE = 0,
    FF_ROMAN = 0x10,
    FF_SWISS = 0x20,
    FF_MODERN = 0x30,
    FF_SCRIPT = 0x40,
    FF_DECORATIVE = 0x50
};

enum : UINT {
    DT_TOP = 0,
    DT_LEFT = 0,
    DT_CENTER = 1,
    DT_RIGHT = 2,
    DT_VCENTER = 4,
    DT_BOTTOM = 8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_TABSTOP = 0x80,
    DT_NOCLIP = 0x100,
    DT_EXTERNALLEADING = 0x200,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_INTERNAL = 0x1000,
    DT_EDITCONTROL = 0x2000,
    DT_PATH_ELLIPSIS = 0x4000,
    DT_END_ELLIPSIS = 0x8000,
    DT_MODIFYSTRING = 0x10000,
    DT_RTLREADING = 0x20000,
    DT_WORD_ELLIPSIS = 0x40000,
    DT_NOFULLWIDTHCHARBREAK = 0x80000,
    DT_HIDEPREFIX = 0x100000,
    DT_PREFIXONLY = 0x200000
};

enum : UINT {
    ETO_OPAQUE = 2,
    ETO_CLIPPED = 4,
    ETO_GLYPH_INDEX = 0x10,
    ETO_RTLREADING = 0x80,
    ETO_IGNORELANGUAGE = 0x1000,
    ETO_PDY = 0x2000
};

enum : UINT {
    BDR_RAISEDOUTER = 1,
    BDR_SUNKENOUTER = 2,
    BDR_RAISEDINNER = 4,
    BDR_SUNKENINNER = 8,
    BDR_OUTER = 3,
    BDR_INNER = 0xC,
    EDGE_RAISED = 5,
    EDGE_SUNKEN = 10,
    EDGE_ETCHED = 6,
    EDGE_BUMP = 9
};
enum : UINT {
    BF_LEFT = 1,
    BF_TOP = 2,
    BF_RIGHT = 4,
    BF_BOTTOM = 8,
    BF_TOPLEFT = 3,
    BF_TOPRIGHT = 6,
    BF_BOTTOMLEFT = 9,
    BF_BOTTOMRIGHT = 0xC,
    BF_RECT = 0xF,
    BF_DIAGONAL = 0x10,
    BF_MIDDLE = 0x800,
    BF_SOFT = 0x1000,
    BF_ADJUST = 0x2000,
    BF_FLAT = 0x4000,
    BF_MONO = 0x8000
};

enum : UINT { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4, DFC_POPUPMENU = 5 };
enum : UINT {
    DFCS_CAPTIONCLOSE = 0,
    DFCS_CAPTIONMIN = 1,
    DFCS_CAPTIONMAX = 2,
    DFCS_CAPTIONRESTORE = 3,
    DFCS_CAPTIONHELP = 4,
    DFCS_MENUARROW = 0,
    DFCS_MENUCHECK = 1,
    DFCS_MENUBULLET = 2,
    DFCS_MENUARROWRIGHT = 4,
    DFCS_SCROLLUP = 0,
    DFCS_SCROLLDOWN = 1,
    DFCS_SCROLLLEFT = 2,
    DFCS_SCROLLRIGHT = 3,
    DFCS_SCROLLCOMBOBOX = 5,
    DFCS_SCROLLSIZEGRIP = 8,
    DFCS_BUTTONCHECK = 0,
    DFCS_BUTTONRADIOIMAGE = 1,
    DFCS_BUTTONRADIOMASK = 2,
    DFCS_BUTTONRADIO = 4,
    DFCS_BUTTON3STATE = 8,
    DFCS_BUTTONPUSH = 0x10,
    DFCS_INACTIVE = 0x100,
    DFCS_PUSHED = 0x200,
    DFCS_CHECKED = 0x400,
    DFCS_TRANSPARENT = 0x800,
    DFCS_HOT = 0x1000,
    DFCS_ADJUSTRECT = 0x2000,
    DFCS_FLAT = 0x4000,
    DFCS_MONO = 0x8000
};

enum : ULONG { GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1, GRADIENT_FILL_TRIANGLE = 2 };

enum : DWORD { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5 };
enum : UINT { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };
constexpr DWORD CBM_INIT = 4;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr int GDI_ERROR = -1;

// Path point types.
enum : BYTE { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };

// ---- Device contexts ---------------------------------------------------------------------

// What a device context draws on; decides metrics (hinted on screens, unhinted and scaled
// to the resolution elsewhere) and the answers of GetDeviceCaps.
enum class DCKind { Screen, Memory, Printer, Information, Metafile };

// A memory DC with a 1×1 bitmap selected, until the caller selects its own. Delete with DeleteDC.
HDC CreateCompatibleDC(HDC hdc);
// Deletes a DC made by a Create function; the objects selected into it are not deleted, but can
// be now. FALSE for a handle that is not a live DC. Not for GetDC/BeginPaint contexts.
BOOL DeleteDC(HDC hdc);
// An information context for measuring: no output, screen metrics unless a resolution is given.
// Delete with DeleteDC.
HDC CreateMeasuringDC(int dpiX = 96, int dpiY = 96);

// For the window and printer layers: a DC drawing on the owner's surface (not taken over: the
// surface must outlive the DC). Delete with DeleteDC.
// Drawing lands at Origin in the surface and is kept inside Bounds (surface coordinates).
HDC CreateSurfaceDC(cairo_surface_t* surface, DCKind kind, POINT origin, const RECT& bounds, int dpiX = 96,
                    int dpiY = 96);
// Moves a surface DC onto another surface, origin or bounds (after a window resize).
void RetargetSurfaceDC(HDC hdc, cairo_surface_t* surface, POINT origin, const RECT& bounds);
// The update region of a paint (DC device coordinates), kept apart from the application's
// clip region: SelectClipRgn(dc, nullptr) never removes it. nullptr = the whole DC.
void SetDCUpdateRegion(HDC hdc, HRGN region);
// Overrides one GetDeviceCaps answer (printer metrics).
void SetDCDeviceCaps(HDC hdc, int index, int value);
DCKind GetDCKind(HDC hdc);
// The surface the DC draws on (nullptr for a recording DC). Borrowed from the DC's owner.
cairo_surface_t* GetDCSurface(HDC hdc);

// Pushes the DC's whole state (objects, colours, modes, mapping, clip) and answers its level
// (1, 2, …; 0 when the DC is not live); RestoreDC pops back to a level (negative: relative to
// the top, -1 the last) and FALSE when no such level is saved.
int SaveDC(HDC hdc);
BOOL RestoreDC(HDC hdc, int savedDC);
// One capability of what the DC draws on (LOGPIXELSX, HORZRES, …); a recording DC answers for
// its reference DC. 0 when the DC is not live.
int GetDeviceCaps(HDC hdc, int index);
// Selects obj into the DC and returns the object of its kind that was selected (borrowed; the
// caller selects it back before deleting obj). nullptr when the DC or obj is not live.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
// The object of a kind now selected. Borrowed.
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

// The drawing state: each Set… stores a value for the calls that draw after it and answers the
// value it replaced; a mode the DC does not know leaves the state and answers 0.
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetROP2(HDC hdc, int rop2);
int GetROP2(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);
int SetTextCharacterExtra(HDC hdc, int extra);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
int SetArcDirection(HDC hdc, int direction);
int GetArcDirection(HDC hdc);
DWORD SetLayout(HDC hdc, DWORD layout);
DWORD GetLayout(HDC hdc);
COLORREF SetDCBrushColor(HDC hdc, COLORREF color);
COLORREF SetDCPenColor(HDC hdc, COLORREF color);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetBrushOrgEx(HDC hdc, POINT* org);

// Coordinates: logical coordinates map to device pixels through the window and viewport origins
// and extents of the mapping mode. The …Ex calls store the previous value in old when it is not
// null; LPtoDP and DPtoLP convert the points in place.
int SetMapMode(HDC hdc, int mode);
int GetMapMode(HDC hdc);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetWindowOrgEx(HDC hdc, POINT* org);
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, POINT* old);
BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* old);
BOOL GetWindowExtEx(HDC hdc, SIZE* ext);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old);
BOOL GetViewportOrgEx(HDC hdc, POINT* org);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, POINT* old);
BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* old);
BOOL GetViewportExtEx(HDC hdc, SIZE* ext);
BOOL ScaleViewportExtEx(HDC hdc, int xNum, int xDenom, int yNum, int yDenom, SIZE* old);
BOOL ScaleWindowExtEx(HDC hdc, int xNum, int xDenom, int yNum, int yDenom, SIZE* old);
BOOL LPtoDP(HDC hdc, POINT* points, int count);
BOOL DPtoLP(HDC hdc, POINT* points, int count);
BOOL GetCurrentPositionEx(HDC hdc, POINT* pos);

// ---- Objects ------------------------------------------------------------------------------

// Each Create… below returns a new object the caller deletes with DeleteObject (nullptr on
// failure). CreatePatternBrush copies the bitmap's pixels: the caller keeps and
// deletes the bitmap.
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
// A brush that follows a system colour. Stock: shared, never deleted (DeleteObject ignores it).
HBRUSH GetSysColorBrush(int index);
HFONT CreateFontIndirect(const LOGFONTA* font);
HFONT CreateFontIndirectW(const LOGFONTW* font);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* face);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);
// A stock object, shared by the whole program; DeleteObject on it does nothing.
HGDIOBJ GetStockObject(int index);
int GetObject(HGDIOBJ obj, int size, void* buffer);
int GetObjectW(HGDIOBJ obj, int size, void* buffer);
DWORD GetObjectType(HGDIOBJ obj);
// Deletes an object made by a Create function. FALSE, and the object stays, while it is
// selected into a DC; TRUE without effect for stock objects; FALSE for a handle that is not live.
BOOL DeleteObject(HGDIOBJ obj);
// True while the handle names a live object of this layer (for checks and tests).
bool IsGdiObject(HGDIOBJ obj);
// The number of live objects made by the Create functions (leak checks in tests).
int GdiObjectCount();

// ---- Shapes and pixels ------------------------------------------------------------------

// Shapes draw in logical coordinates with the selected pen (outline) and brush (inside), inside
// the clip region, or add to the path while one is open (BeginPath). An empty shape draws
// nothing and answers TRUE; FALSE only for a DC that is not live or a bad argument.
BOOL MoveToEx(HDC hdc, int x, int y, POINT* old);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* points, int count);
BOOL PolylineTo(HDC hdc, const POINT* points, DWORD count);
BOOL Polygon(HDC hdc, const POINT* points, int count);
BOOL PolyPolygon(HDC hdc, const POINT* points, const INT* counts, int polygons);
BOOL PolyBezier(HDC hdc, const POINT* points, DWORD count);
BOOL PolyBezierTo(HDC hdc, const POINT* points, DWORD count);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
BOOL ArcTo(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rect);
BOOL FillRgn(HDC hdc, HRGN region, HBRUSH brush);
BOOL FrameRgn(HDC hdc, HRGN region, HBRUSH brush, int width, int height);
BOOL PaintRgn(HDC hdc, HRGN region);
BOOL InvertRgn(HDC hdc, HRGN region);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);
enum : UINT { FLOODFILLBORDER = 0, FLOODFILLSURFACE = 1 };
BOOL ExtFloodFill(HDC hdc, int x, int y, COLORREF color, UINT type);
BOOL DrawFocusRect(HDC hdc, const RECT* rect);
BOOL DrawEdge(HDC hdc, RECT* rect, UINT edge, UINT flags);
BOOL DrawFrameControl(HDC hdc, RECT* rect, UINT type, UINT state);
BOOL GradientFill(HDC hdc, const TRIVERTEX* vertices, ULONG vertexCount, const void* mesh, ULONG meshCount,
                  ULONG mode);

// ---- Bitmaps and raster operations --------------------------------------------------------

// Copies of pixels between DCs, combined by a raster operation and clipped by the destination's
// clip region. FALSE when a DC the operation uses is not live, the extent is empty or no source
// pixels can be read (a DC that draws on nothing).
BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop);
BOOL MaskBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, HBITMAP mask,
             int xMask, int yMask, DWORD rop4);
// Copies every source pixel except those of the transparent colour.
BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, UINT transparent);
int StretchDIBits(HDC hdc, int x, int y, int width, int height, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
// Reads rows of a bitmap as a 24- or 32-bit DIB (bits null: fills the header only).
int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage);
// Moves pixels of the DC by (dx, dy) inside scroll ∩ clip (device pixels).
BOOL ScrollDC(HDC hdc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect);

// Bitmap access for the layers above (pictures, image lists, windows). The surface is the
// bitmap's own (borrowed): draw on it, but do not destroy it.
cairo_surface_t* GetBitmapSurface(HBITMAP bitmap);
// Wraps an image surface (ARGB32 or RGB24) as a bitmap; the bitmap takes a reference of its own,
// so the caller still destroys its reference, and deletes the bitmap with DeleteObject.
HBITMAP CreateBitmapFromSurface(cairo_surface_t* surface);
// Bits per pixel the bitmap was declared with (1, 4, 8, 16, 24 or 32); it is stored 32-bit.
int GetBitmapDeclaredBits(HBITMAP bitmap);

// ---- Regions and clipping -----------------------------------------------------------------

// Every region made here is deleted by the caller with DeleteObject. The functions that fill a
// region (CombineRgn, GetClipRgn) write into one the caller made.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rect);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fillMode);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);
int GetRgnBox(HRGN region, RECT* box);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);
// The rectangles of a region in band order (replaces GetRegionData for our callers).
int GetRegionRects(HRGN region, RECT* rects, int capacity);

// The DC keeps a copy of the region: the caller still deletes it.
int SelectClipRgn(HDC hdc, HRGN region);
int ExtSelectClipRgn(HDC hdc, HRGN region, int mode);
int GetClipRgn(HDC hdc, HRGN region);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC hdc, int dx, int dy);
int GetClipBox(HDC hdc, RECT* rect);
BOOL RectVisible(HDC hdc, const RECT* rect);
BOOL PtVisible(HDC hdc, int x, int y);

// ---- Paths ---------------------------------------------------------------------------------

// A path collects the shapes drawn between BeginPath and EndPath; FillPath, StrokePath,
// StrokeAndFillPath, SelectClipPath and PathToRegion use it up (FALSE when no path is closed).
// PathToRegion's region belongs to the caller.
BOOL BeginPath(HDC hdc);
BOOL EndPath(HDC hdc);
BOOL AbortPath(HDC hdc);
BOOL CloseFigure(HDC hdc);
BOOL FillPath(HDC hdc);
BOOL StrokePath(HDC hdc);
BOOL StrokeAndFillPath(HDC hdc);
BOOL FlattenPath(HDC hdc);
HRGN PathToRegion(HDC hdc);
BOOL SelectClipPath(HDC hdc, int mode);
int GetPath(HDC hdc, POINT* points, BYTE* types, int size);

// ---- Text ----------------------------------------------------------------------------------

// Text in the selected font, colour and background mode at the text alignment's reference point.
// ANSI forms take UTF-8 and a length in bytes, W forms UTF-16 and a length in units (DrawText:
// -1 for a zero-terminated text); invalid sequences draw as U+FFFD.
BOOL TextOut(HDC hdc, int x, int y, const char* text, int length);
BOOL TextOutW(HDC hdc, int x, int y, const char16_t* text, int length);
BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT length,
                const INT* dx);
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT length,
                 const INT* dx);
int DrawText(HDC hdc, const char* text, int length, RECT* rect, UINT format);
int DrawTextW(HDC hdc, const char16_t* text, int length, RECT* rect, UINT format);
int DrawTextEx(HDC hdc, char* text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params);
int DrawTextExW(HDC hdc, char16_t* text, int length, RECT* rect, UINT format, DRAWTEXTPARAMS* params);
BOOL GetTextExtentPoint32(HDC hdc, const char* text, int length, SIZE* size);
BOOL GetTextExtentPoint32W(HDC hdc, const char16_t* text, int length, SIZE* size);
BOOL GetTextMetrics(HDC hdc, TEXTMETRICA* metrics);
BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* metrics);
BOOL GetCharWidth(HDC hdc, UINT first, UINT last, INT* widths);
BOOL GetCharWidth32(HDC hdc, UINT first, UINT last, INT* widths);
int GetTextFace(HDC hdc, int count, char* face);
// The family the font map chose for a face name ("細明體" → an installed Ming face).
std::string ResolveFontFamily(const std::string& face);
// The font map file in use (FONTCONFIG_FILE, else the repository's platform/fonts/fonts.conf).
std::string FontMapFile();

// ---- Colours -------------------------------------------------------------------------------

COLORREF GetNearestColor(HDC hdc, COLORREF color);

// ---- Rectangle helpers --------------------------------------------------------------------

// Rectangle arithmetic on the caller's structures (right and bottom exclusive); FALSE for a null
// pointer, and for an empty result where the call makes one.
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rect);
BOOL CopyRect(RECT* dest, const RECT* src);
BOOL InflateRect(RECT* rect, int dx, int dy);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL IsRectEmpty(const RECT* rect);
BOOL PtInRect(const RECT* rect, POINT pt);
BOOL IntersectRect(RECT* dest, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* dest, const RECT* a, const RECT* b);
BOOL SubtractRect(RECT* dest, const RECT* a, const RECT* b);
BOOL EqualRect(const RECT* a, const RECT* b);
int MulDiv(int number, int numerator, int denominator);

// ---- PNG ------------------------------------------------------------------------------------

// Writes the pixels of a bitmap, or of what a DC draws on, as a PNG file; false on failure.
bool SaveBitmapToPng(HBITMAP bitmap, const std::string& fileName);
bool SaveDCToPng(HDC hdc, const std::string& fileName);

// ---- Owners ---------------------------------------------------------------------------------

// Sole owners of what the Create functions return, deleting it when they go:
//     TOwnedBrush Brush(CreateSolidBrush(Color));
//     TSelectObject Selected(DC, Brush.get());  // after the owner: deselected before deleted
using TOwnedPen = THandleOwner<GdiPen, DeleteObject>;
using TOwnedBrush = THandleOwner<GdiBrush, DeleteObject>;
using TOwnedFont = THandleOwner<GdiFont, DeleteObject>;
using TOwnedBitmap = THandleOwner<GdiBitmap, DeleteObject>;
using TOwnedRegion = THandleOwner<GdiRegion, DeleteObject>;
using TOwnedDC = THandleOwner<DeviceContext, DeleteDC>;
// Any of the objects above, held where the kind is known only when it is made (a description
// that makes a pen, a brush or a font).
using TOwnedGdiObject = THandleOwner<void, DeleteObject>;

// Selects an object into a DC for a scope and the one it replaced back when the scope ends, also
// when drawing raises. An object cannot be deleted while selected, so the owner of the object is
// declared before this (and is destroyed after it).
class TSelectObject {
public:
    TSelectObject(HDC DC, HGDIOBJ Object) : FDC(DC), FOld(SelectObject(DC, Object)) {}
    ~TSelectObject()
    {
        if (FOld != nullptr)
            SelectObject(FDC, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;
    // The object that was selected before (borrowed).
    HGDIOBJ Old() const { return FOld; }

private:
    HDC FDC;
    HGDIOBJ FOld;
};
