// Global memory blocks and the clipboard.

#include "platform/win/Clipboard.h"

#include "platform/win/Backend.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/WindowInternal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>

using namespace winlayer;

struct GlobalBlock {
    std::vector<std::uint8_t> Data;
    int Locks = 0;
};

namespace {

constexpr std::size_t MaxBlock = std::size_t(1) << 30;

std::mutex BlockMutex;
std::set<GlobalBlock*>& Blocks()
{
    static std::set<GlobalBlock*> blocks;
    return blocks;
}

bool IsBlock(HGLOBAL h)
{
    std::lock_guard<std::mutex> lock(BlockMutex);
    return h && Blocks().count(h);
}

HGLOBAL NewBlock(const std::vector<std::uint8_t>& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (h && !bytes.empty())
        std::memcpy(h->Data.data(), bytes.data(), bytes.size());
    return h;
}

// ---- Clipboard state (user-interface thread) -----------------------------------------------------

bool IsOpen = false;
HWND Opener = nullptr;
HWND Owner = nullptr;
bool Dirty = false;
ClipboardFormats Working;
// Frees what GetClipboardData gave out with the function that frees its kind.
struct FreeHandedOut {
    UINT Format = 0;
    void operator()(void* h) const
    {
        if (Format == CF_BITMAP)
            DeleteObject(h);
        else
            GlobalFree(static_cast<HGLOBAL>(h));
    }
};
using HandedOutHandle = std::unique_ptr<void, FreeHandedOut>;

// The blocks and bitmaps given by GetClipboardData, kept until the contents change. Never
// destroyed: at exit the block table they would be freed into may already be gone.
std::map<UINT, HandedOutHandle>& HandedOut()
{
    static auto* handed = new std::map<UINT, HandedOutHandle>;
    return *handed;
}

void ForgetHandedOut()
{
    HandedOut().clear();
}

ClipboardFormats Current()
{
    return IsOpen ? Working : Backend().ReadClipboard();
}

// Text up to its first terminating zero.
std::string AnsiText(const std::vector<std::uint8_t>& b)
{
    auto end = std::find(b.begin(), b.end(), std::uint8_t(0));
    return std::string(b.begin(), end);
}

std::u16string WideText(const std::vector<std::uint8_t>& b)
{
    std::u16string s;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        char16_t c = char16_t(b[i] | (b[i + 1] << 8));
        if (!c)
            break;
        s.push_back(c);
    }
    return s;
}

std::vector<std::uint8_t> AnsiBytes(const std::string& s)
{
    std::vector<std::uint8_t> b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

std::vector<std::uint8_t> WideBytes(const std::u16string& s)
{
    std::vector<std::uint8_t> b;
    b.reserve(s.size() * 2 + 2);
    for (char16_t c : s) {
        b.push_back(std::uint8_t(c & 0xFF));
        b.push_back(std::uint8_t(c >> 8));
    }
    b.push_back(0);
    b.push_back(0);
    return b;
}

// A packed DIB whose header, colour table and pixels fit in its bytes; anything else read from
// the clipboard is refused rather than trusted.
bool ValidDib(const std::vector<std::uint8_t>& b)
{
    if (b.size() < sizeof(BITMAPINFOHEADER))
        return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, b.data(), sizeof h);
    if (h.biSize < 40 || h.biSize > b.size())
        return false;
    long long w = h.biWidth, hgt = h.biHeight < 0 ? -(long long)h.biHeight : h.biHeight;
    if (w <= 0 || w > (1 << 15) || hgt <= 0 || hgt > (1 << 15) || h.biPlanes != 1)
        return false;
    int bits = h.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS)
        return false;
    long long colours = h.biClrUsed ? (long long)h.biClrUsed : (bits <= 8 ? (1LL << bits) : 0);
    if (colours > 256)
        return false;
    long long table = colours * 4 + (h.biCompression == BI_BITFIELDS && h.biSize == 40 ? 12 : 0);
    long long stride = ((w * bits + 31) / 32) * 4;
    return (long long)h.biSize + table + stride * hgt <= (long long)b.size();
}

std::vector<std::uint8_t> DibFromBitmap(HBITMAP bmp)
{
    BITMAP bm;
    if (!GetObject(bmp, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = bm.bmHeight;
    bi.bmiHeader.biBitCount = 32;
    std::size_t pixels = std::size_t(bm.bmWidth) * std::size_t(bm.bmHeight) * 4;
    std::vector<std::uint8_t> out(sizeof(BITMAPINFOHEADER) + pixels);
    const TOwnedDC dc(CreateCompatibleDC(nullptr));
    int rows = GetDIBits(dc.get(), bmp, 0, UINT(bm.bmHeight), out.data() + sizeof(BITMAPINFOHEADER), &bi,
                         DIB_RGB_COLORS);
    if (rows <= 0)
        return {};
    bi.bmiHeader.biSizeImage = DWORD(pixels);
    std::memcpy(out.data(), &bi.bmiHeader, sizeof(BITMAPINFOHEADER));
    return out;
}

HBITMAP BitmapFromDib(const std::vector<std::uint8_t>& b)
{
    if (!ValidDib(b))
        return nullptr;
    BITMAPINFOHEADER h;
    std::memcpy(&h, b.data(), sizeof h);
    long long colours =
        h.biClrUsed ? (long long)h.biClrUsed : (h.biBitCount <= 8 ? (1LL << h.biBitCount) : 0);
    std::size_t offset =
        h.biSize + std::size_t(colours * 4) + (h.biCompression == BI_BITFIELDS && h.biSize == 40 ? 12 : 0);
    auto* info = reinterpret_cast<const BITMAPINFO*>(b.data());
    return CreateDIBitmap(nullptr, &h, CBM_INIT, b.data() + offset, info, DIB_RGB_COLORS);
}

// The formats on offer, those made on demand included.
std::vector<UINT> Offered(const ClipboardFormats& f)
{
    std::vector<UINT> list;
    for (auto& [format, bytes] : f)
        list.push_back(format);
    auto add = [&](UINT x) {
        if (std::find(list.begin(), list.end(), x) == list.end())
            list.push_back(x);
    };
    if (f.count(CF_TEXT) || f.count(CF_UNICODETEXT)) {
        add(CF_TEXT);
        add(CF_UNICODETEXT);
        add(CF_OEMTEXT);
    }
    if (f.count(CF_DIB) && ValidDib(f.at(CF_DIB)))
        add(CF_BITMAP);
    return list;
}

} // namespace

// ---- Global memory -------------------------------------------------------------------------------

HGLOBAL GlobalAlloc(UINT, std::size_t size)
{
    if (size > MaxBlock)
        return nullptr;
    auto* b = new GlobalBlock;
    b->Data.assign(size, 0); // always zeroed: stale bytes never leak through the clipboard
    std::lock_guard<std::mutex> lock(BlockMutex);
    Blocks().insert(b);
    return b;
}

HGLOBAL GlobalReAlloc(HGLOBAL mem, std::size_t size, UINT)
{
    if (!IsBlock(mem) || size > MaxBlock)
        return nullptr;
    mem->Data.resize(size, 0);
    return mem;
}

void* GlobalLock(HGLOBAL mem)
{
    if (!IsBlock(mem))
        return nullptr;
    ++mem->Locks;
    static std::uint8_t emptyBlock = 0;
    return mem->Data.empty() ? &emptyBlock : mem->Data.data();
}

BOOL GlobalUnlock(HGLOBAL mem)
{
    if (!IsBlock(mem) || mem->Locks == 0)
        return FALSE;
    return --mem->Locks > 0;
}

std::size_t GlobalSize(HGLOBAL mem)
{
    return IsBlock(mem) ? mem->Data.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL mem)
{
    if (!mem)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(BlockMutex);
        if (!Blocks().erase(mem))
            return mem;
    }
    delete mem;
    return nullptr;
}

// ---- Clipboard --------------------------------------------------------------------------------------

BOOL OpenClipboard(HWND owner)
{
    if (IsOpen || (owner && !IsWindow(owner)))
        return FALSE;
    IsOpen = true;
    Opener = owner;
    Dirty = false;
    Working = Backend().ReadClipboard();
    return TRUE;
}

BOOL CloseClipboard()
{
    if (!IsOpen)
        return FALSE;
    if (Dirty)
        Backend().WriteClipboard(Working);
    IsOpen = false;
    Opener = nullptr;
    Dirty = false;
    Working.clear();
    return TRUE;
}

BOOL EmptyClipboard()
{
    if (!IsOpen)
        return FALSE;
    HWND previous = Owner;
    Working.clear();
    ForgetHandedOut();
    Owner = Opener;
    Dirty = true;
    if (previous && previous != Owner && IsWindow(previous))
        SendMessage(previous, WM_DESTROYCLIPBOARD, 0, 0);
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    if (!IsOpen || !format || !data)
        return nullptr;
    if (format == CF_BITMAP) {
        auto* bmp = static_cast<HBITMAP>(data);
        if (!IsGdiObject(bmp) || GetObjectType(bmp) != OBJ_BITMAP)
            return nullptr;
        std::vector<std::uint8_t> dib = DibFromBitmap(bmp);
        if (dib.empty())
            return nullptr;
        Working[CF_DIB] = std::move(dib);
        DeleteObject(bmp); // the clipboard owns what it was given
    } else {
        auto* block = static_cast<HGLOBAL>(data);
        if (!IsBlock(block))
            return nullptr;
        std::vector<std::uint8_t> bytes = block->Data;
        GlobalFree(block);
        // Text always ends in its zero, whatever the block held.
        if (format == CF_TEXT || format == CF_OEMTEXT)
            bytes = AnsiBytes(AnsiText(bytes));
        else if (format == CF_UNICODETEXT)
            bytes = WideBytes(WideText(bytes));
        if (format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT) {
            // One text format at a time: the others are made from it.
            Working.erase(CF_TEXT);
            Working.erase(CF_UNICODETEXT);
            Working.erase(CF_OEMTEXT);
        }
        Working[format == CF_OEMTEXT ? UINT(CF_TEXT) : format] = std::move(bytes);
    }
    // Blocks made from the old contents (text in the other character set, a bitmap from the
    // DIB) would no longer match: they go.
    ForgetHandedOut();
    Dirty = true;
    return data;
}

HANDLE GetClipboardData(UINT format)
{
    if (!IsOpen)
        return nullptr;
    if (auto it = HandedOut().find(format); it != HandedOut().end())
        return it->second.get();
    HANDLE h = nullptr;
    auto has = [](UINT f) { return Working.count(f) != 0; };
    if (format == CF_BITMAP) {
        if (has(CF_DIB))
            h = BitmapFromDib(Working[CF_DIB]);
    } else if (format == CF_TEXT || format == CF_OEMTEXT) {
        if (has(CF_TEXT))
            h = NewBlock(AnsiBytes(AnsiText(Working[CF_TEXT])));
        else if (has(CF_UNICODETEXT))
            h = NewBlock(AnsiBytes(ToUtf8(WideText(Working[CF_UNICODETEXT]))));
    } else if (format == CF_UNICODETEXT) {
        if (has(CF_UNICODETEXT))
            h = NewBlock(WideBytes(WideText(Working[CF_UNICODETEXT])));
        else if (has(CF_TEXT))
            h = NewBlock(WideBytes(ToUtf16(AnsiText(Working[CF_TEXT]))));
    } else if (has(format)) {
        h = NewBlock(Working[format]);
    }
    if (h)
        HandedOut().emplace(format, HandedOutHandle(h, FreeHandedOut{format}));
    return h;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    std::vector<UINT> list = Offered(Current());
    return std::find(list.begin(), list.end(), format) != list.end();
}

int CountClipboardFormats()
{
    return int(Offered(Current()).size());
}

UINT EnumClipboardFormats(UINT format)
{
    if (!IsOpen)
        return 0;
    std::vector<UINT> list = Offered(Working);
    if (format == 0)
        return list.empty() ? 0 : list.front();
    auto it = std::find(list.begin(), list.end(), format);
    return (it == list.end() || it + 1 == list.end()) ? 0 : *(it + 1);
}

HWND GetClipboardOwner()
{
    return IsWindow(Owner) ? Owner : nullptr;
}
HWND GetOpenClipboardWindow()
{
    return IsOpen ? Opener : nullptr;
}

UINT RegisterClipboardFormat(const char* name)
{
    return name ? RegisterAtom(name) : 0;
}

int GetClipboardFormatName(UINT format, char* name, int maxCount)
{
    std::string n = AtomName(format);
    if (n.empty() || !name || maxCount <= 0)
        return 0;
    int len = std::min(int(n.size()), maxCount - 1);
    std::memcpy(name, n.data(), std::size_t(len));
    name[len] = 0;
    return len;
}

void ResetClipboardState()
{
    IsOpen = false;
    Opener = Owner = nullptr;
    Dirty = false;
    Working.clear();
    ForgetHandedOut();
}
