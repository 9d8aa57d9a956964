// Clipboard formats to desktop targets and back.

#include "platform/backend/gtk/ClipboardData.h"

#include "platform/rtl/Strings.h"
#include "platform/win/Clipboard.h"
#include "platform/win/ImageFiles.h"

#include <glib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

std::uint32_t U32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void Put32(ClipBytes& b, size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

// The offset of the pixels in a DIB (header, masks, colour table); 0 when the header is unusable.
size_t DibPixelOffset(const ClipBytes& dib)
{
    if (dib.size() < 12)
        return 0;
    std::uint32_t headerSize = U32(dib.data());
    size_t offset;
    if (headerSize == 12) {
        unsigned bits = unsigned(dib[10]) | unsigned(dib[11]) << 8;
        offset = 12 + (bits <= 8 ? (size_t(1) << bits) * 3 : 0);
    } else {
        if (headerSize < 40 || headerSize > 124 || dib.size() < headerSize)
            return 0;
        unsigned bits = unsigned(dib[14]) | unsigned(dib[15]) << 8;
        std::uint32_t compression = U32(dib.data() + 16);
        std::uint32_t used = U32(dib.data() + 32);
        offset = headerSize;
        if (compression == 3 /* BI_BITFIELDS */ && headerSize == 40)
            offset += 12;
        if (bits <= 8) {
            size_t entries = used ? used : (size_t(1) << bits);
            if (entries > 256)
                return 0;
            offset += entries * 4;
        } else if (used) {
            if (used > 256)
                return 0;
            offset += size_t(used) * 4;
        }
    }
    return offset <= dib.size() ? offset : 0;
}

HBITMAP DibToBitmap(const ClipBytes& dib)
{
    ClipBytes file = DibToBmpFile(dib);
    if (file.empty())
        return nullptr;
    try {
        return LoadBmp(file.data(), file.size());
    } catch (...) {
        return nullptr; // another program's data: unreadable is no bitmap, never an error in a GTK callback
    }
}

ClipBytes BitmapToDib(HBITMAP bitmap)
{
    const TOwnedBitmap owned(bitmap);
    if (!bitmap)
        return {};
    try {
        Bytes file = SaveBmp(bitmap, 32);
        if (file.size() > 14)
            return ClipBytes(file.begin() + 14, file.end());
    } catch (...) {
        // A bitmap the writer refuses gives no DIB.
    }
    return {};
}

// A number after "Name:" in the header of the HTML format; -1 when absent or malformed.
long HeaderNumber(const std::string& header, const char* name)
{
    size_t at = header.find(name);
    if (at == std::string::npos)
        return -1;
    at += std::strlen(name);
    long v = 0;
    bool any = false;
    while (at < header.size() && std::isdigit(static_cast<unsigned char>(header[at]))) {
        v = v * 10 + (header[at] - '0');
        if (v > long(MaxClipboardBytes))
            return -1;
        ++at;
        any = true;
    }
    return any ? v : -1;
}

} // namespace

std::string ClipText(const ClipboardFormats& formats)
{
    if (auto it = formats.find(CF_TEXT); it != formats.end()) {
        const ClipBytes& b = it->second;
        auto end = std::find(b.begin(), b.end(), std::uint8_t(0));
        return WideToAnsi(AnsiToWide(std::string(b.begin(), end))); // makes the text valid UTF-8
    }
    if (auto it = formats.find(CF_UNICODETEXT); it != formats.end()) {
        const ClipBytes& b = it->second;
        std::u16string w;
        for (size_t i = 0; i + 1 < b.size(); i += 2) {
            char16_t c = char16_t(b[i] | b[i + 1] << 8);
            if (!c)
                break;
            w += c;
        }
        return WideToAnsi(w);
    }
    return {};
}

void PutClipText(ClipboardFormats& formats, const std::string& utf8)
{
    std::string valid = WideToAnsi(AnsiToWide(utf8));
    ClipBytes& a = formats[CF_TEXT];
    a.assign(valid.begin(), valid.end());
    a.push_back(0);
    ClipBytes w = Utf8ToUtf16Bytes(valid);
    w.push_back(0);
    w.push_back(0);
    formats[CF_UNICODETEXT] = std::move(w);
}

std::string Utf16BytesToUtf8(const std::uint8_t* data, std::size_t size)
{
    if (!data)
        return {};
    size = std::min(size, MaxClipboardBytes);
    bool big = false;
    size_t i = 0;
    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
        big = true;
        i = 2;
    } else if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        i = 2;
    }
    std::u16string w;
    w.reserve((size - i) / 2);
    for (; i + 1 < size; i += 2) {
        char16_t c = big ? char16_t(data[i] << 8 | data[i + 1]) : char16_t(data[i] | data[i + 1] << 8);
        if (!c)
            break;
        w += c;
    }
    return WideToAnsi(w);
}

ClipBytes Utf8ToUtf16Bytes(const std::string& utf8)
{
    std::u16string w = AnsiToWide(utf8);
    ClipBytes b;
    b.reserve(w.size() * 2);
    for (char16_t c : w) {
        b.push_back(std::uint8_t(c & 0xFF));
        b.push_back(std::uint8_t(c >> 8));
    }
    return b;
}

ClipBytes MakeCfHtml(const std::string& html)
{
    // Offsets are written with a fixed width, so the header's length is known before them.
    static const char format[] = "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\n"
                                 "StartFragment:%010zu\r\nEndFragment:%010zu\r\n";
    static const char startMark[] = "<!--StartFragment-->";
    static const char endMark[] = "<!--EndFragment-->";
    std::string document;
    size_t fragmentStart, fragmentEnd;
    size_t s = html.find(startMark);
    size_t e = s == std::string::npos ? std::string::npos : html.find(endMark, s);
    if (e != std::string::npos) {
        document = html;
        fragmentStart = s + std::strlen(startMark);
        fragmentEnd = e;
    } else {
        std::string head = "<html><body>\r\n";
        head += startMark;
        document = head + html + endMark + "\r\n</body></html>";
        fragmentStart = head.size();
        fragmentEnd = fragmentStart + html.size();
    }
    char probe[256];
    size_t headerSize =
        size_t(std::snprintf(probe, sizeof probe, format, size_t(0), size_t(0), size_t(0), size_t(0)));
    char header[256];
    std::snprintf(header, sizeof header, format, headerSize, headerSize + document.size(),
                  headerSize + fragmentStart, headerSize + fragmentEnd);
    ClipBytes out(header, header + headerSize);
    out.insert(out.end(), document.begin(), document.end());
    out.push_back(0);
    return out;
}

std::optional<std::string> HtmlFromCfHtml(const ClipBytes& cfHtml)
{
    size_t size = std::find(cfHtml.begin(), cfHtml.end(), std::uint8_t(0)) - cfHtml.begin();
    std::string text(cfHtml.begin(), cfHtml.begin() + std::min(size, MaxClipboardBytes));
    std::string header = text.substr(0, std::min<size_t>(text.size(), 400));
    if (header.compare(0, 8, "Version:") != 0)
        return std::nullopt;
    long fs = HeaderNumber(header, "StartFragment:");
    long fe = HeaderNumber(header, "EndFragment:");
    if (fs >= 0 && fe >= fs && size_t(fe) <= text.size())
        return text.substr(size_t(fs), size_t(fe - fs));
    long hs = HeaderNumber(header, "StartHTML:");
    long he = HeaderNumber(header, "EndHTML:");
    if (hs >= 0 && he >= hs && size_t(he) <= text.size())
        return text.substr(size_t(hs), size_t(he - hs));
    return std::nullopt;
}

std::string DecodeForeignHtml(const ClipBytes& data)
{
    size_t size = std::min(data.size(), MaxClipboardBytes);
    if (size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF)))
        return Utf16BytesToUtf8(data.data(), size);
    auto end = std::find(data.begin(), data.begin() + size, std::uint8_t(0));
    return WideToAnsi(AnsiToWide(std::string(data.begin(), end)));
}

ClipBytes DibToBmpFile(const ClipBytes& dib)
{
    size_t offset = DibPixelOffset(dib);
    if (!offset || dib.size() > MaxClipboardBytes)
        return {};
    ClipBytes file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, std::uint32_t(14 + dib.size()));
    Put32(file, 10, std::uint32_t(14 + offset));
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

ClipBytes DibToPng(const ClipBytes& dib)
{
    const TOwnedBitmap b(DibToBitmap(dib));
    if (!b)
        return {};
    try {
        return SavePng(b.get());
    } catch (...) {
        return {}; // the PNG form is only offered when it can be made
    }
}

ClipBytes PngToDib(const ClipBytes& png)
{
    if (png.empty() || png.size() > MaxClipboardBytes)
        return {};
    try {
        return BitmapToDib(LoadPng(png.data(), png.size()));
    } catch (...) {
        return {}; // another program's data: unreadable is no DIB, never an error in a GTK callback
    }
}

ClipBytes BmpFileToDib(const ClipBytes& bmp)
{
    if (bmp.size() <= 14 || bmp.size() > MaxClipboardBytes)
        return {};
    try {
        // Read and written again: whatever the file held, the program gets a plain 32-bit DIB.
        return BitmapToDib(LoadBmp(bmp.data(), bmp.size()));
    } catch (...) {
        return {}; // another program's data: unreadable is no DIB, never an error in a GTK callback
    }
}

bool IsRegisteredFormatTarget(const std::string& target)
{
    if (target.empty() || target.size() > 255 || target.find('/') != std::string::npos)
        return false;
    // Selection protocol atoms (TARGETS, TIMESTAMP, UTF8_STRING ...) are upper case throughout.
    bool protocol = std::all_of(target.begin(), target.end(), [](char c) {
        return std::isupper(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) ||
               c == '_';
    });
    if (protocol)
        return false;
    return std::all_of(target.begin(), target.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; });
}

ClipBytes MakeDropFiles(const std::vector<std::string>& paths)
{
    constexpr std::uint32_t headerSize = 20; // pFiles, pt, fNC, fWide
    ClipBytes b(headerSize, 0);
    Put32(b, 0, headerSize);
    Put32(b, 16, 1); // wide names
    for (const std::string& p : paths) {
        ClipBytes name = Utf8ToUtf16Bytes(p);
        b.insert(b.end(), name.begin(), name.end());
        b.push_back(0);
        b.push_back(0);
    }
    b.push_back(0);
    b.push_back(0);
    return b;
}

std::vector<std::string> ReadDropFiles(const ClipBytes& block)
{
    std::vector<std::string> out;
    if (block.size() < 20)
        return out;
    std::uint32_t offset = U32(block.data());
    bool wide = U32(block.data() + 16) != 0;
    if (offset < 20 || offset >= block.size())
        return out;
    size_t i = offset;
    for (;;) {
        if (wide) {
            size_t end = i;
            while (end + 1 < block.size() && (block[end] | block[end + 1]))
                end += 2;
            if (end + 1 >= block.size() || end == i)
                break; // unterminated, or the empty name that ends the list
            out.push_back(Utf16BytesToUtf8(block.data() + i, end - i));
            i = end + 2;
        } else {
            size_t end = i;
            while (end < block.size() && block[end])
                ++end;
            if (end >= block.size() || end == i)
                break;
            out.push_back(WideToAnsi(AnsiToWide(std::string(block.begin() + i, block.begin() + end))));
            i = end + 1;
        }
    }
    return out;
}

std::vector<std::string> WantedTargets(const std::vector<std::string>& offered)
{
    auto has = [&](const char* t) { return std::find(offered.begin(), offered.end(), t) != offered.end(); };
    std::vector<std::string> out;
    auto firstOf = [&](std::initializer_list<const char*> choices) {
        for (const char* c : choices)
            if (has(c)) {
                out.push_back(c);
                return true;
            }
        return false;
    };
    if (!firstOf(
            {"UTF8_STRING", "text/plain;charset=utf-8", "COMPOUND_TEXT", "TEXT", "STRING", "text/plain"}))
        firstOf({"text/plain;charset=utf-16"});
    firstOf({"text/uri-list"});
    firstOf({"text/html"});
    firstOf({"text/rtf", "application/rtf"});
    firstOf({"text/x-moz-url", "_NETSCAPE_URL", UrlFormatName});
    firstOf({"image/png", "image/bmp"});
    size_t foreign = 0;
    for (const std::string& t : offered) {
        if (foreign == MaxForeignFormats)
            break;
        if (IsRegisteredFormatTarget(t) && t != HtmlFormatName && t != RtfFormatName && t != UrlFormatName &&
            std::find(out.begin(), out.end(), t) == out.end()) {
            out.push_back(t);
            ++foreign;
        }
    }
    return out;
}

std::optional<ClipBytes> RtfFromForeign(const ClipBytes& data)
{
    static const std::string start = "{\\rtf";
    auto end = std::find(data.begin(), data.end(), std::uint8_t(0));
    if (size_t(end - data.begin()) < start.size() || !std::equal(start.begin(), start.end(), data.begin()))
        return std::nullopt;
    ClipBytes out(data.begin(), end);
    out.push_back(0);
    return out;
}

std::string UrlFromForeign(const std::string& text)
{
    size_t end = text.find_first_of(std::string("\r\n\0", 3));
    std::string url = text.substr(0, end);
    size_t first = url.find_first_not_of(" \t");
    size_t last = url.find_last_not_of(" \t");
    url = first == std::string::npos ? std::string() : url.substr(first, last - first + 1);
    if (url.empty() || url.size() > MaxUrlBytes)
        return {};
    if (std::any_of(url.begin(), url.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        return {};
    // A scheme: a letter, then letters, digits, '+', '-' or '.', then ':' and something after it.
    size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == url.size() ||
        !std::isalpha(static_cast<unsigned char>(url[0])))
        return {};
    for (size_t i = 1; i < colon; ++i) {
        char c = url[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return {};
    }
    return url;
}

ClipBytes MakeMozUrl(const std::string& url)
{
    return Utf8ToUtf16Bytes(url + "\n" + url);
}

std::string UrlFromMozUrl(const ClipBytes& data)
{
    if (data.size() > MaxUrlBytes * 4 + 16)
        return {};
    return UrlFromForeign(Utf16BytesToUtf8(data.data(), data.size() & ~size_t(1)));
}

std::string LocalFileOfUri(const char* uri)
{
    gchar* host = nullptr;
    gchar* file = uri ? g_filename_from_uri(uri, &host, nullptr) : nullptr;
    std::string out;
    if (file && (!host || !*host || g_ascii_strcasecmp(host, "localhost") == 0 ||
                 g_ascii_strcasecmp(host, g_get_host_name()) == 0))
        out = file;
    g_free(file);
    g_free(host);
    return out;
}

std::string TextFromUtf8Target(const ClipBytes& data)
{
    return WideToAnsi(
        AnsiToWide(std::string(data.begin(), std::find(data.begin(), data.end(), std::uint8_t(0)))));
}

std::string UrlFromUriList(const ClipBytes& data)
{
    std::string text(data.begin(), std::find(data.begin(), data.end(), std::uint8_t(0)));
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        std::string url = UrlFromForeign(line);
        if (url.empty())
            continue;
        std::string scheme = url.substr(0, url.find(':'));
        std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                       [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); });
        if (scheme != "file")
            return url;
    }
    return {};
}
