// Pens, brushes, fonts, bitmaps and the handle table.

#include "platform/win/GdiInternal.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace gdi {

namespace {

// Never destroyed: handles may be used by other objects' destructors at exit.
std::mutex& TableLock()
{
    static auto* m = new std::mutex;
    return *m;
}
std::unordered_set<GdiObject*>& Table()
{
    static auto* t = new std::unordered_set<GdiObject*>;
    return *t;
}

} // namespace

void RegisterObject(GdiObject* obj)
{
    std::lock_guard lock(TableLock());
    Table().insert(obj);
}

GdiObject* ObjectFromHandle(HGDIOBJ h)
{
    if (!h)
        return nullptr;
    std::lock_guard lock(TableLock());
    auto* obj = static_cast<GdiObject*>(h);
    return Table().count(obj) ? obj : nullptr;
}

void Retain(GdiObject* obj)
{
    if (obj)
        ++obj->Selections;
}

void Release(GdiObject* obj)
{
    if (!obj)
        return;
    if (--obj->Selections == 0 && obj->DeletePending && !obj->Stock)
        DeleteObject(obj);
}

GdiBitmap* NewBitmap(int width, int height, int declaredBits)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    // Bitmaps are capped so that a hostile size from a file or a caller cannot exhaust memory.
    if (std::int64_t(width) * height > std::int64_t(1) << 28)
        return nullptr;
    TOwnedSurface owned(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    cairo_surface_t* s = owned.get();
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < height; ++y)
        std::fill_n(reinterpret_cast<std::uint32_t*>(data + y * stride), width, 0xFF000000u);
    cairo_surface_mark_dirty(s);
    auto* bmp = new GdiBitmap;
    bmp->Surface = std::move(owned);
    bmp->DeclaredBits = declaredBits;
    RegisterObject(bmp);
    return bmp;
}

GdiBitmap* DefaultBitmap()
{
    static GdiBitmap* stock = [] {
        GdiBitmap* b = NewBitmap(1, 1, 1);
        b->Stock = true;
        return b;
    }();
    return stock;
}

} // namespace gdi

using namespace gdi;

bool IsGdiObject(HGDIOBJ obj)
{
    return ObjectFromHandle(obj) != nullptr;
}

int GdiObjectCount()
{
    std::lock_guard lock(TableLock());
    return int(std::count_if(Table().begin(), Table().end(), [](GdiObject* o) { return !o->Stock; }));
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto* pen = new GdiPen;
    DWORD kind = DWORD(style) & PS_STYLE_MASK;
    if (kind > PS_INSIDEFRAME)
        kind = PS_SOLID;
    pen->Width = std::max(width, 1);
    // Styled lines exist only for thin pens; a wide dashed pen draws solid.
    if (pen->Width > 1 && kind != PS_NULL && kind != PS_INSIDEFRAME)
        kind = PS_SOLID;
    pen->Style = kind | (pen->Width > 1 ? PS_GEOMETRIC : PS_COSMETIC);
    pen->Color = color & 0xFFFFFF;
    RegisterObject(pen);
    return pen;
}

HPEN CreatePenIndirect(const LOGPEN* log)
{
    return log ? CreatePen(int(log->lopnStyle), log->lopnWidth.X, log->lopnColor) : nullptr;
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles)
{
    if (!brush)
        return nullptr;
    auto* pen = new GdiPen;
    pen->Extended = true;
    pen->Style = style;
    bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
    pen->Width = geometric ? int(std::max<DWORD>(std::min<DWORD>(width, 1u << 16), 1)) : 1;
    pen->Color = brush->lbColor & 0xFFFFFF;
    if (brush->lbStyle == BS_NULL)
        pen->Style = (pen->Style & ~PS_STYLE_MASK) | PS_NULL;
    if ((style & PS_STYLE_MASK) == PS_USERSTYLE && styles && styleCount > 0 && styleCount <= 16)
        pen->UserStyle.assign(styles, styles + styleCount);
    RegisterObject(pen);
    return pen;
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto* b = new GdiBrush;
    b->Color = color & 0xFFFFFF;
    RegisterObject(b);
    return b;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    auto* b = new GdiBrush;
    b->Style = BS_HATCHED;
    b->Hatch = std::clamp(hatch, 0, int(HS_DIAGCROSS));
    b->Color = color & 0xFFFFFF;
    RegisterObject(b);
    return b;
}

HBRUSH CreatePatternBrush(HBITMAP hbm)
{
    auto* bmp = As<GdiBitmap>(hbm, OBJ_BITMAP);
    if (!bmp)
        return nullptr;
    auto* b = new GdiBrush;
    b->Style = BS_PATTERN;
    b->PatternWidth = bmp->Width();
    b->PatternHeight = bmp->Height();
    b->PatternMonochrome = bmp->DeclaredBits == 1;
    cairo_surface_flush(bmp->Surface.get());
    const unsigned char* data = cairo_image_surface_get_data(bmp->Surface.get());
    int stride = cairo_image_surface_get_stride(bmp->Surface.get());
    b->Pattern.resize(size_t(b->PatternWidth) * b->PatternHeight);
    for (int y = 0; y < b->PatternHeight; ++y)
        for (int x = 0; x < b->PatternWidth; ++x)
            b->Pattern[size_t(y) * b->PatternWidth + x] =
                reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
    RegisterObject(b);
    return b;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* log)
{
    if (!log)
        return nullptr;
    switch (log->lbStyle) {
    case BS_SOLID:
        return CreateSolidBrush(log->lbColor);
    case BS_HATCHED:
        return CreateHatchBrush(int(log->lbHatch), log->lbColor);
    case BS_PATTERN:
        return CreatePatternBrush(reinterpret_cast<HBITMAP>(log->lbHatch));
    case BS_NULL:
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    default:
        return nullptr;
    }
}

HBRUSH GetSysColorBrush(int index)
{
    static std::mutex m;
    static GdiBrush* brushes[SYSTEM_COLOR_COUNT] = {};
    if (index < 0 || index >= SYSTEM_COLOR_COUNT)
        return nullptr;
    std::lock_guard lock(m);
    GdiBrush*& brush = brushes[index];
    COLORREF c = GetSysColor(index);
    if (!brush) {
        brush = CreateSolidBrush(c);
        brush->Stock = true;
    }
    brush->Color = c; // follows SetSysColors
    return brush;
}

namespace {

// The fields before the face name are the same in both forms.
template <class A, class B> void CopyLogFontHeader(A& a, const B& b)
{
    a.lfHeight = b.lfHeight;
    a.lfWidth = b.lfWidth;
    a.lfEscapement = b.lfEscapement;
    a.lfOrientation = b.lfOrientation;
    a.lfWeight = b.lfWeight;
    a.lfItalic = b.lfItalic;
    a.lfUnderline = b.lfUnderline;
    a.lfStrikeOut = b.lfStrikeOut;
    a.lfCharSet = b.lfCharSet;
    a.lfOutPrecision = b.lfOutPrecision;
    a.lfClipPrecision = b.lfClipPrecision;
    a.lfQuality = b.lfQuality;
    a.lfPitchAndFamily = b.lfPitchAndFamily;
}

void CopyFace(char* dest, const std::string& face)
{
    size_t n = std::min(face.size(), size_t(LF_FACESIZE - 1));
    // Never cut a UTF-8 sequence in the middle.
    while (n > 0 && n < face.size() && (static_cast<unsigned char>(face[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(dest, face.data(), n);
    dest[n] = 0;
}

} // namespace

HFONT CreateFontIndirect(const LOGFONTA* log)
{
    if (!log)
        return nullptr;
    auto* f = new GdiFont;
    f->Log = *log;
    f->Log.lfFaceName[LF_FACESIZE - 1] = 0;
    RegisterObject(f);
    return f;
}

HFONT CreateFontIndirectW(const LOGFONTW* log)
{
    if (!log)
        return nullptr;
    LOGFONTA a;
    CopyLogFontHeader(a, *log);
    int n = 0;
    while (n < LF_FACESIZE && log->lfFaceName[n])
        ++n;
    CopyFace(a.lfFaceName, Utf16ToUtf8(log->lfFaceName, n));
    return CreateFontIndirect(&a);
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* face)
{
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = BYTE(italic);
    lf.lfUnderline = BYTE(underline);
    lf.lfStrikeOut = BYTE(strikeOut);
    lf.lfCharSet = BYTE(charSet);
    lf.lfOutPrecision = BYTE(outPrecision);
    lf.lfClipPrecision = BYTE(clipPrecision);
    lf.lfQuality = BYTE(quality);
    lf.lfPitchAndFamily = BYTE(pitchAndFamily);
    CopyFace(lf.lfFaceName, face ? face : "");
    return CreateFontIndirect(&lf);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    if (width < 0 || height < 0)
        return nullptr;
    return NewBitmap(width, height, 32);
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits)
{
    if (width <= 0 || height <= 0 || planes != 1)
        return nullptr;
    int bpp = int(bitsPerPixel);
    if (bpp != 1 && bpp != 24 && bpp != 32)
        bpp = 32;
    GdiBitmap* bmp = NewBitmap(width, height, bpp);
    if (!bmp || !bits)
        return bmp;
    // Device-dependent rows are padded to 16 bits.
    size_t rowBytes = ((size_t(width) * size_t(bpp) + 15) / 16) * 2;
    const auto* src = static_cast<const unsigned char*>(bits);
    unsigned char* data = cairo_image_surface_get_data(bmp->Surface.get());
    int stride = cairo_image_surface_get_stride(bmp->Surface.get());
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        const unsigned char* s = src + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = 0;
            if (bpp == 1)
                p = (s[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFF : 0;
            else if (bpp == 24)
                p = s[x * 3] | (s[x * 3 + 1] << 8) | (s[x * 3 + 2] << 16);
            else
                p = (s[x * 4] | (s[x * 4 + 1] << 8) | (s[x * 4 + 2] << 16));
            row[x] = 0xFF000000u | p;
        }
    }
    cairo_surface_mark_dirty(bmp->Surface.get());
    return bmp;
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset)
{
    if (bits)
        *bits = nullptr;
    if (!info || info->bmiHeader.biWidth <= 0 || info->bmiHeader.biHeight == 0)
        return nullptr;
    // The section's bits are the surface's own memory, which is top-down 32-bit: callers that
    // write pixels directly must ask for that layout (negative height, 32 bits).
    const auto& h = info->bmiHeader;
    bool direct = h.biBitCount == 32 && h.biHeight < 0 && h.biCompression == BI_RGB;
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    GdiBitmap* bmp = NewBitmap(h.biWidth, height, h.biBitCount);
    if (!bmp)
        return nullptr;
    bmp->IsDibSection = true;
    bmp->DibHeader = h;
    if (bits && direct)
        *bits = cairo_image_surface_get_data(bmp->Surface.get());
    return bmp;
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage)
{
    if (!header)
        return nullptr;
    int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    if ((init & CBM_INIT) && bits && info) {
        int declared = 32;
        TOwnedSurface s(SurfaceFromDib(info, bits, usage, &declared));
        if (!s)
            return nullptr;
        auto* bmp = new GdiBitmap;
        bmp->Surface = std::move(s);
        bmp->DeclaredBits = declared;
        RegisterObject(bmp);
        return bmp;
    }
    return NewBitmap(header->biWidth, height, 32);
}

cairo_surface_t* GetBitmapSurface(HBITMAP hbm)
{
    auto* bmp = As<GdiBitmap>(hbm, OBJ_BITMAP);
    return bmp ? bmp->Surface.get() : nullptr;
}

HBITMAP CreateBitmapFromSurface(cairo_surface_t* surface)
{
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE)
        return nullptr;
    auto* bmp = new GdiBitmap;
    bmp->Surface.reset(cairo_surface_reference(surface));
    bmp->DeclaredBits = 32;
    RegisterObject(bmp);
    return bmp;
}

int GetBitmapDeclaredBits(HBITMAP hbm)
{
    auto* bmp = As<GdiBitmap>(hbm, OBJ_BITMAP);
    return bmp ? bmp->DeclaredBits : 0;
}

HGDIOBJ GetStockObject(int index)
{
    static std::mutex m;
    static std::array<GdiObject*, 20> stock{};
    if (index < 0 || index >= int(stock.size()))
        return nullptr;
    std::lock_guard lock(m);
    if (stock[index])
        return stock[index];
    GdiObject* obj = nullptr;
    auto font = [](int height, int weight, const char* face) {
        LOGFONTA lf;
        lf.lfHeight = height;
        lf.lfWeight = weight;
        CopyFace(lf.lfFaceName, face);
        return CreateFontIndirect(&lf);
    };
    switch (index) {
    case WHITE_BRUSH:
        obj = CreateSolidBrush(RGB(255, 255, 255));
        break;
    case LTGRAY_BRUSH:
        obj = CreateSolidBrush(RGB(192, 192, 192));
        break;
    case GRAY_BRUSH:
        obj = CreateSolidBrush(RGB(128, 128, 128));
        break;
    case DKGRAY_BRUSH:
        obj = CreateSolidBrush(RGB(64, 64, 64));
        break;
    case BLACK_BRUSH:
        obj = CreateSolidBrush(0);
        break;
    case NULL_BRUSH: {
        auto* b = CreateSolidBrush(0);
        b->Style = BS_NULL;
        obj = b;
        break;
    }
    case WHITE_PEN:
        obj = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
        break;
    case BLACK_PEN:
        obj = CreatePen(PS_SOLID, 1, 0);
        break;
    case NULL_PEN:
        obj = CreatePen(PS_NULL, 1, 0);
        break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
        obj = font(-13, FW_NORMAL, "Courier New");
        break;
    case ANSI_VAR_FONT:
    case DEVICE_DEFAULT_FONT:
        obj = font(13, FW_NORMAL, "MS Sans Serif");
        break;
    case SYSTEM_FONT:
        obj = font(16, FW_BOLD, "MS Sans Serif");
        break;
    case DEFAULT_GUI_FONT:
        obj = font(-11, FW_NORMAL, "Tahoma");
        break;
    case DEFAULT_PALETTE:
        obj = new GdiPalette;
        RegisterObject(obj);
        break;
    case DC_BRUSH: {
        auto* b = CreateSolidBrush(RGB(255, 255, 255));
        b->DCBrush = true;
        obj = b;
        break;
    }
    case DC_PEN: {
        auto* p = CreatePen(PS_SOLID, 1, 0);
        p->DCPen = true;
        obj = p;
        break;
    }
    default:
        return nullptr;
    }
    obj->Stock = true;
    stock[index] = obj;
    return obj;
}

int GetObject(HGDIOBJ h, int size, void* buffer)
{
    GdiObject* obj = ObjectFromHandle(h);
    if (!obj)
        return 0;
    auto give = [&](const void* data, int n) {
        if (!buffer)
            return n;
        n = std::min(n, size);
        if (n <= 0)
            return 0;
        std::memcpy(buffer, data, size_t(n));
        return n;
    };
    switch (obj->Type) {
    case OBJ_PEN: {
        auto* pen = static_cast<GdiPen*>(obj);
        if (pen->Extended) {
            EXTLOGPEN e;
            e.elpPenStyle = pen->Style;
            e.elpWidth = DWORD(pen->Width);
            e.elpBrushStyle = pen->Kind() == PS_NULL ? BS_NULL : BS_SOLID;
            e.elpColor = pen->Color;
            e.elpNumEntries = DWORD(pen->UserStyle.size());
            e.elpStyleEntry[0] = pen->UserStyle.empty() ? 0 : pen->UserStyle[0];
            return give(&e, sizeof e);
        }
        LOGPEN lp;
        lp.lopnStyle = pen->Kind();
        lp.lopnWidth = {pen->Width, 0};
        lp.lopnColor = pen->Color;
        return give(&lp, sizeof lp);
    }
    case OBJ_BRUSH: {
        auto* b = static_cast<GdiBrush*>(obj);
        LOGBRUSH lb;
        lb.lbStyle = b->Style;
        lb.lbColor = b->Color;
        lb.lbHatch = std::uintptr_t(b->Hatch);
        return give(&lb, sizeof lb);
    }
    case OBJ_FONT:
        return give(&static_cast<GdiFont*>(obj)->Log, sizeof(LOGFONTA));
    case OBJ_BITMAP: {
        auto* bmp = static_cast<GdiBitmap*>(obj);
        DIBSECTION ds;
        ds.dsBm.bmWidth = bmp->Width();
        ds.dsBm.bmHeight = bmp->Height();
        ds.dsBm.bmPlanes = 1;
        ds.dsBm.bmBitsPixel = WORD(bmp->DeclaredBits);
        ds.dsBm.bmWidthBytes = LONG(((std::int64_t(bmp->Width()) * bmp->DeclaredBits + 15) / 16) * 2);
        if (bmp->IsDibSection) {
            ds.dsBm.bmWidthBytes = LONG(((std::int64_t(bmp->Width()) * bmp->DeclaredBits + 31) / 32) * 4);
            ds.dsBm.bmBits = cairo_image_surface_get_data(bmp->Surface.get());
            ds.dsBmih = bmp->DibHeader;
            if (size >= int(sizeof(DIBSECTION)) || !buffer)
                return give(&ds, sizeof ds);
        }
        return give(&ds.dsBm, sizeof(BITMAP));
    }
    default:
        return 0;
    }
}

int GetObjectW(HGDIOBJ h, int size, void* buffer)
{
    auto* font = As<GdiFont>(h, OBJ_FONT);
    if (!font)
        return GetObject(h, size, buffer);
    LOGFONTW w;
    CopyLogFontHeader(w, font->Log);
    std::u16string face = Utf8ToUtf16(font->Log.lfFaceName, int(std::strlen(font->Log.lfFaceName)));
    size_t n = std::min(face.size(), size_t(LF_FACESIZE - 1));
    std::copy_n(face.begin(), n, w.lfFaceName);
    w.lfFaceName[n] = 0;
    if (!buffer)
        return sizeof w;
    int bytes = std::min(size, int(sizeof w));
    if (bytes > 0)
        std::memcpy(buffer, &w, size_t(bytes));
    return std::max(bytes, 0);
}

DWORD GetObjectType(HGDIOBJ h)
{
    if (IsLiveDC(static_cast<HDC>(h))) {
        auto* dc = static_cast<HDC>(h);
        if (dc->Kind == DCKind::Metafile)
            return OBJ_ENHMETADC;
        return dc->Kind == DCKind::Memory ? OBJ_MEMDC : OBJ_DC;
    }
    GdiObject* obj = ObjectFromHandle(h);
    if (!obj)
        return 0;
    if (obj->Type == OBJ_PEN && static_cast<GdiPen*>(obj)->Extended)
        return OBJ_EXTPEN;
    return DWORD(obj->Type);
}

BOOL DeleteObject(HGDIOBJ h)
{
    GdiObject* obj = ObjectFromHandle(h);
    if (!obj)
        return FALSE;
    if (obj->Stock)
        return TRUE;
    // An object still selected into a DC stays alive: deleting it would leave the DC
    // drawing with freed memory.
    if (obj->Selections > 0)
        return FALSE;
    {
        std::lock_guard lock(TableLock());
        Table().erase(obj);
    }
    delete obj;
    return TRUE;
}
