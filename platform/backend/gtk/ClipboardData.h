#pragma once

// The clipboard formats of the window layer as the targets other desktop programs know, and
// back. Pure conversions, kept apart from GTK so that they can be checked without a display.
// Everything read here comes from another program: malformed data gives nothing, never a crash,
// and nothing grows beyond MaxClipboardBytes.

#include "platform/win/Backend.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using ClipBytes = std::vector<std::uint8_t>;

constexpr std::size_t MaxClipboardBytes = std::size_t(64) << 20;
constexpr std::size_t MaxForeignFormats = 64;

// The names of the registered formats that travel as standard targets.
inline constexpr const char* HtmlFormatName = "HTML Format";
inline constexpr const char* RtfFormatName = "Rich Text Format";
inline constexpr const char* UrlFormatName = "UniformResourceLocator";

// Longer than any address a person drags; a longer one is refused, not cut.
constexpr std::size_t MaxUrlBytes = std::size_t(64) << 10;

// Text of CF_TEXT (UTF-8) or CF_UNICODETEXT (UTF-16) up to the first terminating zero; invalid
// sequences become U+FFFD.
std::string ClipText(const ClipboardFormats& formats);
// Both text formats for UTF-8 text, each with its terminating zero.
void PutClipText(ClipboardFormats& formats, const std::string& utf8);
// UTF-16 text from another program (an optional byte-order mark decides the byte order, else
// little-endian) as UTF-8.
std::string Utf16BytesToUtf8(const std::uint8_t* data, std::size_t size);
ClipBytes Utf8ToUtf16Bytes(const std::string& utf8); // little-endian, no mark, no zero

// The HTML clipboard format: a description header with byte offsets, then the document with the
// copied part between fragment markers.
ClipBytes MakeCfHtml(const std::string& html);
// The copied fragment (or the whole document when the header gives no fragment); nullopt for
// data without a usable header.
std::optional<std::string> HtmlFromCfHtml(const ClipBytes& cfHtml);
// HTML as other programs offer it: UTF-8, or UTF-16 with a byte-order mark.
std::string DecodeForeignHtml(const ClipBytes& data);

// Device-independent bitmaps (CF_DIB: header, colour table, pixels) to PNG and BMP file bytes,
// and pictures from PNG or BMP files to a 32-bit CF_DIB. Empty on malformed input.
ClipBytes DibToPng(const ClipBytes& dib);
ClipBytes DibToBmpFile(const ClipBytes& dib);
ClipBytes PngToDib(const ClipBytes& png);
ClipBytes BmpFileToDib(const ClipBytes& bmp);

// File lists (CF_HDROP: a DROPFILES header, then wide names each ended by a zero, then an
// empty name) from paths in UTF-8, and back (bounded by the block; a list without its ending
// gives the names complete in it).
inline constexpr UINT HDropFormat = 15;
ClipBytes MakeDropFiles(const std::vector<std::string>& paths);
std::vector<std::string> ReadDropFiles(const ClipBytes& block);

// The targets another program offers that are worth reading, in the order they are read: one
// text target (the best), the file list, HTML, RTF, one picture type, then names that may be
// registered formats (at most MaxForeignFormats).
std::vector<std::string> WantedTargets(const std::vector<std::string>& offered);

// RTF from another program up to its terminating zero; nothing unless it starts as RTF does.
std::optional<ClipBytes> RtfFromForeign(const ClipBytes& data);

// An address another program gives: its first line (up to a zero or line break), without the
// blanks around it, when it has a scheme, no control characters and at most MaxUrlBytes bytes;
// else empty.
std::string UrlFromForeign(const std::string& text);
// The "url\ntitle" target other programs use for links, UTF-16 (the address is its own title).
ClipBytes MakeMozUrl(const std::string& url);
std::string UrlFromMozUrl(const ClipBytes& data);
// The first address of a URI list that is not a local file (comments skipped), or empty.
std::string UrlFromUriList(const ClipBytes& data);
// The local file a file: URI names, or empty: another host's file (file://host/path) is no file
// here, even where the same path exists.
std::string LocalFileOfUri(const char* uri);

// Text another program gives as UTF-8, up to its zero; bytes that are no UTF-8 become U+FFFD.
std::string TextFromUtf8Target(const ClipBytes& data);

// Whether a target another program offers may be a format registered by one of our programs:
// a name as RegisterClipboardFormat takes it, not a MIME type nor a selection protocol atom.
bool IsRegisteredFormatTarget(const std::string& target);
