// The layer's formats as GTK targets and selection data.

#include "platform/backend/gtk/GtkFormats.h"

#include "platform/rtl/Strings.h"
#include "platform/win/Clipboard.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <string>

namespace {

enum Kind : unsigned { kText, kUtf16, kHtml, kRtf, kPng, kBmp, kRaw, kUris, kMozUrl, kNetscapeUrl, kUrlList };

constexpr const char* Utf16Target = "text/plain;charset=utf-16";

unsigned Info(Kind kind, UINT format)
{
    return unsigned(kind) | unsigned(format) << 4;
}

std::string FormatName(UINT format)
{
    char name[256] = "";
    int n = GetClipboardFormatName(format, name, int(sizeof name));
    return n > 0 ? std::string(name, size_t(n)) : std::string();
}

void SetBytes(GtkSelectionData* sd, const std::uint8_t* data, size_t size)
{
    gtk_selection_data_set(sd, gtk_selection_data_get_target(sd), 8, data, gint(size));
}

// The address a URL format of ours holds (up to its zero), as other programs may be given it.
std::string UrlOf(const ClipBytes& b)
{
    return UrlFromForeign(std::string(b.begin(), std::find(b.begin(), b.end(), std::uint8_t(0))));
}

void PutUrl(ClipboardFormats& out, const std::string& url)
{
    if (url.empty())
        return;
    ClipBytes b(url.begin(), url.end());
    b.push_back(0);
    out[RegisterClipboardFormat(UrlFormatName)] = std::move(b);
    if (!out.count(CF_TEXT))
        PutClipText(out, url); // a link dropped where text goes is its address
}

void Add(GtkTargetList* list, const char* target, Kind kind, UINT format)
{
    gtk_target_list_add(list, gdk_atom_intern(target, FALSE), 0, Info(kind, format));
}

} // namespace

GtkTargetList* TargetsForFormats(const ClipboardFormats& formats)
{
    GtkTargetList* list = gtk_target_list_new(nullptr, 0);
    if (formats.count(CF_TEXT) || formats.count(CF_UNICODETEXT)) {
        gtk_target_list_add_text_targets(list, Info(kText, CF_TEXT));
        Add(list, Utf16Target, kUtf16, CF_UNICODETEXT);
    }
    for (const auto& [format, bytes] : formats) {
        if (format == CF_DIB) {
            Add(list, "image/png", kPng, format);
            Add(list, "image/bmp", kBmp, format);
        } else if (format == HDropFormat) {
            gtk_target_list_add_uri_targets(list, Info(kUris, format));
        } else if (format >= 0xC000 && format <= 0xFFFF) {
            std::string name = FormatName(format);
            if (name == HtmlFormatName) {
                Add(list, "text/html", kHtml, format);
            } else if (name == RtfFormatName) {
                Add(list, "text/rtf", kRtf, format);
                Add(list, "application/rtf", kRtf, format);
            } else if (name == UrlFormatName) {
                Add(list, "text/x-moz-url", kMozUrl, format);
                Add(list, "_NETSCAPE_URL", kNetscapeUrl, format);
                if (!formats.count(HDropFormat))
                    Add(list, "text/uri-list", kUrlList, format);
                Add(list, name.c_str(), kRaw, format); // for programs of ours, as it stands
            } else if (!name.empty()) {
                Add(list, name.c_str(), kRaw, format);
            }
        }
    }
    return list;
}

void ProvideTarget(const ClipboardFormats& formats, GtkSelectionData* sd, guint info)
{
    Kind kind = Kind(info & 0xF);
    UINT format = info >> 4;
    auto it = formats.find(format);
    switch (kind) {
    case kText: {
        std::string text = ClipText(formats);
        gtk_selection_data_set_text(sd, text.c_str(), gint(text.size()));
        break;
    }
    case kUtf16: {
        ClipBytes b = Utf8ToUtf16Bytes(ClipText(formats));
        SetBytes(sd, b.data(), b.size());
        break;
    }
    case kHtml:
        if (it != formats.end()) {
            std::string html = HtmlFromCfHtml(it->second).value_or(DecodeForeignHtml(it->second));
            SetBytes(sd, reinterpret_cast<const std::uint8_t*>(html.data()), html.size());
        }
        break;
    case kRtf:
        if (it != formats.end()) {
            const ClipBytes& b = it->second;
            size_t n = b.size();
            while (n && b[n - 1] == 0)
                --n;
            SetBytes(sd, b.data(), n);
        }
        break;
    case kPng:
    case kBmp:
        if (it != formats.end()) {
            ClipBytes b = kind == kPng ? DibToPng(it->second) : DibToBmpFile(it->second);
            if (!b.empty())
                SetBytes(sd, b.data(), b.size());
        }
        break;
    case kUris:
        if (it != formats.end()) {
            std::vector<std::string> files = ReadDropFiles(it->second);
            std::vector<TOwnedGChars> owned;
            std::vector<gchar*> uris;
            for (const std::string& f : files)
                if (TOwnedGChars u{g_filename_to_uri(f.c_str(), nullptr, nullptr)}) {
                    uris.push_back(u.get());
                    owned.push_back(std::move(u));
                }
            uris.push_back(nullptr);
            gtk_selection_data_set_uris(sd, uris.data());
        }
        break;
    case kMozUrl:
    case kNetscapeUrl:
    case kUrlList:
        if (it != formats.end()) {
            std::string url = UrlOf(it->second);
            if (url.empty())
                break;
            if (kind == kMozUrl) {
                ClipBytes b = MakeMozUrl(url);
                SetBytes(sd, b.data(), b.size());
            } else {
                std::string t = kind == kNetscapeUrl ? url + "\n" + url : url + "\r\n";
                SetBytes(sd, reinterpret_cast<const std::uint8_t*>(t.data()), t.size());
            }
        }
        break;
    case kRaw:
        if (it != formats.end())
            SetBytes(sd, it->second.data(), it->second.size());
        break;
    }
}

void StoreSelection(ClipboardFormats& out, GtkSelectionData* sd)
{
    gint length = gtk_selection_data_get_length(sd);
    if (length < 0 || size_t(length) > MaxClipboardBytes)
        return; // refused, or more than a clipboard format may hold
    const guchar* p = gtk_selection_data_get_data(sd);
    ClipBytes bytes = p ? ClipBytes(p, p + length) : ClipBytes();
    const TOwnedGChars name(gdk_atom_name(gtk_selection_data_get_target(sd)));
    std::string target = name ? name.get() : "";

    if (target == Utf16Target) {
        if (!out.count(CF_TEXT))
            PutClipText(out, Utf16BytesToUtf8(bytes.data(), bytes.size()));
    } else if (target == "text/uri-list") {
        std::vector<std::string> files;
        if (gchar** uris = gtk_selection_data_get_uris(sd)) {
            for (gchar** u = uris; *u; ++u)
                if (std::string f = LocalFileOfUri(*u); !f.empty())
                    files.push_back(f);
            g_strfreev(uris);
        }
        if (!files.empty())
            out[HDropFormat] = MakeDropFiles(files);
        else
            PutUrl(out, UrlFromUriList(bytes)); // a link rather than files
    } else if (target == "text/x-moz-url") {
        PutUrl(out, UrlFromMozUrl(bytes));
    } else if (target == "_NETSCAPE_URL" || target == UrlFormatName) {
        PutUrl(out, UrlFromForeign(std::string(bytes.begin(), bytes.end())));
    } else if (target == "text/html") {
        out[RegisterClipboardFormat(HtmlFormatName)] = MakeCfHtml(DecodeForeignHtml(bytes));
    } else if (target == "text/rtf" || target == "application/rtf") {
        if (std::optional<ClipBytes> rtf = RtfFromForeign(bytes))
            out[RegisterClipboardFormat(RtfFormatName)] = std::move(*rtf);
    } else if (target == "image/png" || target == "image/bmp") {
        ClipBytes dib = target == "image/png" ? PngToDib(bytes) : BmpFileToDib(bytes);
        if (!dib.empty())
            out[CF_DIB] = std::move(dib);
    } else if (target == "UTF8_STRING" || SameText(target, "text/plain;charset=utf-8")) {
        // Read here rather than by the toolkit, which gives up on (or cuts) text that is not
        // valid UTF-8: the bad bytes become U+FFFD and the rest stays.
        PutClipText(out, TextFromUtf8Target(bytes));
    } else if (GdkAtom atom = gtk_selection_data_get_target(sd); gtk_targets_include_text(&atom, 1)) {
        if (const TOwnedGChars t{reinterpret_cast<gchar*>(gtk_selection_data_get_text(sd))}) {
            PutClipText(out, t.get());
        } else if (target == "text/plain") {
            PutClipText(out, std::string(bytes.begin(), bytes.end()));
        }
    } else if (IsRegisteredFormatTarget(target)) {
        out[RegisterClipboardFormat(target.c_str())] = std::move(bytes);
    }
}
