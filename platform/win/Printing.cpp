// Printers (CUPS queues and file printers), device modes, capabilities, printer DCs and jobs.

#include "platform/win/Printing.h"
#include "platform/win/Backend.h"
#include "platform/win/GdiInternal.h"

#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cups/cups.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// ---- Paper table -------------------------------------------------------------------------

const std::vector<PrinterPaper>& Table()
{
    static const std::vector<PrinterPaper> table = {
        {DMPAPER_LETTER, "Letter", "na_letter_8.5x11in", 2159, 2794},
        {DMPAPER_TABLOID, "Tabloid", "na_ledger_11x17in", 2794, 4318},
        {DMPAPER_LEDGER, "Ledger", "na_ledger_11x17in", 4318, 2794},
        {DMPAPER_LEGAL, "Legal", "na_legal_8.5x14in", 2159, 3556},
        {DMPAPER_EXECUTIVE, "Executive", "na_executive_7.25x10.5in", 1842, 2667},
        {DMPAPER_A3, "A3", "iso_a3_297x420mm", 2970, 4200},
        {DMPAPER_A4, "A4", "iso_a4_210x297mm", 2100, 2970},
        {DMPAPER_A5, "A5", "iso_a5_148x210mm", 1480, 2100},
        {DMPAPER_B4, "B4 (JIS)", "jis_b4_257x364mm", 2570, 3640},
        {DMPAPER_B5, "B5 (JIS)", "jis_b5_182x257mm", 1820, 2570},
        {DMPAPER_ENV_9, "Envelope #9", "na_number-9_3.875x8.875in", 984, 2254},
        {DMPAPER_ENV_10, "Envelope #10", "na_number-10_4.125x9.5in", 1048, 2413},
        {DMPAPER_ENV_11, "Envelope #11", "na_number-11_4.5x10.375in", 1143, 2635},
        {DMPAPER_ENV_12, "Envelope #12", "na_number-12_4.75x11in", 1207, 2794},
        {DMPAPER_ENV_14, "Envelope #14", "na_number-14_5x11.5in", 1270, 2921},
        {DMPAPER_ENV_C5, "Envelope C5", "iso_c5_162x229mm", 1620, 2290},
        {DMPAPER_A6, "A6", "iso_a6_105x148mm", 1050, 1480},
    };
    return table;
}

std::string Trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> SplitList(const std::string& s)
{
    std::vector<std::string> out;
    std::stringstream in(s);
    std::string item;
    while (std::getline(in, item, ','))
        if (auto t = Trim(item); !t.empty())
            out.push_back(t);
    return out;
}

// A paper of the table by DMPAPER code or by name (any case).
const PrinterPaper* PaperByText(const std::string& text)
{
    char* end = nullptr;
    long code = std::strtol(text.c_str(), &end, 10);
    for (const auto& p : Table())
        if ((end && *end == '\0' && !text.empty() && p.Code == code) || Lower(p.Name) == Lower(text))
            return &p;
    return nullptr;
}

// Tenths of a millimetre to device pixels.
int ToPixels(int tenths, int dpi)
{
    return int(std::lround(double(tenths) * dpi / 254.0));
}

// ---- Configuration -------------------------------------------------------------------------

struct Configuration {
    bool Explicit = false;
    std::string FileText;
    bool UseCups = true;
};

Configuration& Config()
{
    static Configuration c;
    return c;
}

struct PrinterList {
    bool Loaded = false;
    std::vector<PrinterDescription> Printers;
    std::string Default;
};

PrinterList& List()
{
    static PrinterList l;
    return l;
}

// File printers and explicit CUPS queues described by the printer file.
std::vector<PrinterDescription> ParsePrinterFile(const std::string& text, std::string& defaultName)
{
    std::vector<PrinterDescription> out;
    std::vector<std::map<std::string, std::string>> keys;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            PrinterDescription p;
            p.Name = Trim(line.substr(1, line.size() - 2));
            out.push_back(p);
            keys.emplace_back();
            continue;
        }
        if (out.empty())
            continue;
        // A comment may follow a value after white space.
        for (size_t i = 1; i < line.size(); ++i)
            if (line[i] == ';' && (line[i - 1] == ' ' || line[i - 1] == '\t')) {
                line = Trim(line.substr(0, i));
                break;
            }
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        keys.back()[Lower(Trim(line.substr(0, eq)))] = Trim(line.substr(eq + 1));
    }
    std::vector<PrinterDescription> printers;
    for (size_t i = 0; i < out.size(); ++i) {
        PrinterDescription p = out[i];
        auto& k = keys[i];
        auto get = [&](const char* key) -> std::string {
            auto it = k.find(key);
            return it == k.end() ? std::string() : it->second;
        };
        if (p.Name.empty())
            continue;
        std::string queue = get("queue");
        p.Folder = get("folder");
        if (!queue.empty()) {
            p.Driver = "CUPS";
            p.Port = queue;
        } else if (!p.Folder.empty()) {
            p.IsFilePrinter = true;
            p.Driver = "File printer";
            p.Port = p.Folder;
        } else {
            continue; // neither a folder nor a queue: nowhere to print
        }
        if (auto res = get("resolution"); !res.empty()) {
            int x = 0, y = 0;
            if (std::sscanf(res.c_str(), "%dx%d", &x, &y) == 2 || std::sscanf(res.c_str(), "%d", &x) == 1) {
                if (y <= 0)
                    y = x;
                if (x >= 36 && x <= 9600 && y >= 36 && y <= 9600) {
                    p.DpiX = x;
                    p.DpiY = y;
                }
            }
        }
        if (auto papers = get("papers"); !papers.empty()) {
            for (const auto& name : SplitList(papers))
                if (const PrinterPaper* paper = PaperByText(name))
                    p.Papers.push_back(*paper);
        }
        if (p.Papers.empty())
            p.Papers = Table();
        bool hasA4 = std::any_of(p.Papers.begin(), p.Papers.end(),
                                 [](const PrinterPaper& q) { return q.Code == DMPAPER_A4; });
        p.DefaultPaper = hasA4 ? SHORT(DMPAPER_A4) : p.Papers.front().Code;
        if (const PrinterPaper* paper = PaperByText(get("paper")))
            p.DefaultPaper = paper->Code;
        // The gutters of an A4 sheet at 300 dpi: 65, 50, 58 and 50 pixels.
        p.MarginLeft = 55;
        p.MarginTop = 42;
        p.MarginRight = 49;
        p.MarginBottom = 42;
        if (auto margins = get("margins"); !margins.empty()) {
            auto m = SplitList(margins);
            if (m.size() == 4) {
                int v[4];
                bool ok = true;
                for (int j = 0; j < 4; ++j) {
                    double mm = std::strtod(m[size_t(j)].c_str(), nullptr);
                    ok = ok && mm >= 0 && mm < 100;
                    v[j] = int(std::lround(mm * 10));
                }
                if (ok) {
                    p.MarginLeft = v[0];
                    p.MarginTop = v[1];
                    p.MarginRight = v[2];
                    p.MarginBottom = v[3];
                }
            }
        }
        auto bins = SplitList(get("bins"));
        if (bins.empty())
            bins.push_back("Automatic");
        SHORT nextBin = DMBIN_USER;
        for (const auto& b : bins) {
            std::string l = Lower(b);
            SHORT code = nextBin;
            if (l == "automatic" || l == "auto")
                code = DMBIN_AUTO;
            else if (l == "manual")
                code = DMBIN_MANUAL;
            else
                ++nextBin;
            p.Bins.push_back({code, b, l == "automatic" ? "auto" : l});
        }
        p.DefaultBin = p.Bins.front().Code;
        p.Color = get("color") != "0";
        p.Duplex = get("duplex") == "1";
        p.PostScriptOnly = Lower(get("format")) == "postscript";
        if (get("default") == "1" && defaultName.empty())
            defaultName = p.Name;
        printers.push_back(std::move(p));
    }
    return printers;
}

SHORT BinCode(const std::string& source, SHORT& next)
{
    if (source == "auto")
        return DMBIN_AUTO;
    if (source == "manual")
        return DMBIN_MANUAL;
    if (source == "main" || source == "top" || source == "tray-1")
        return DMBIN_UPPER;
    if (source == "bottom" || source == "tray-2")
        return DMBIN_LOWER;
    return next++;
}

bool AttributeHas(ipp_attribute_t* attr, const char* value)
{
    if (!attr)
        return false;
    for (int i = 0; i < ippGetCount(attr); ++i)
        if (const char* s = ippGetString(attr, i, nullptr); s && std::strcmp(s, value) == 0)
            return true;
    return false;
}

// What CUPS tells of one destination: papers with margins, bins, resolution, colour, sides.
PrinterDescription DescribeCupsDest(cups_dest_t* dest)
{
    PrinterDescription p;
    p.Name = dest->instance ? std::string(dest->name) + "/" + dest->instance : dest->name;
    p.Driver = "CUPS";
    p.Port = dest->name;
    p.MarginLeft = p.MarginRight = 42;
    p.MarginTop = p.MarginBottom = 42;
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (!info) {
        p.Papers = Table();
        p.Bins.push_back({DMBIN_AUTO, "Automatic", "auto"});
        return p;
    }
    SHORT nextPaper = DMPAPER_USER + 1;
    int count = cupsGetDestMediaCount(CUPS_HTTP_DEFAULT, dest, info, 0);
    // Sizes with margins first: a borderless variant is listed only for a size that has no other.
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < count; ++i) {
            cups_size_t size{};
            if (!cupsGetDestMediaByIndex(CUPS_HTTP_DEFAULT, dest, info, i, 0, &size))
                continue;
            bool borderless = std::strstr(size.media, "borderless") != nullptr ||
                              (size.left == 0 && size.right == 0 && size.top == 0 && size.bottom == 0);
            if (borderless != (pass == 1))
                continue;
            PrinterPaper paper;
            paper.MediaName = size.media;
            paper.Width = size.width / 10;
            paper.Length = size.length / 10;
            for (const auto& t : Table())
                if (t.MediaName == paper.MediaName ||
                    (std::abs(t.Width - paper.Width) <= 2 && std::abs(t.Length - paper.Length) <= 2)) {
                    paper.Code = t.Code;
                    paper.Name = t.Name;
                    break;
                }
            if (paper.Code == 0) {
                // "na_monarch_3.875x7.5in" is listed as "monarch 3.875x7.5in".
                std::string name = paper.MediaName;
                if (size_t u = name.find('_'); u != std::string::npos && u + 1 < name.size())
                    name.erase(0, u + 1);
                std::replace(name.begin(), name.end(), '_', ' ');
                bool known = std::any_of(p.Papers.begin(), p.Papers.end(),
                                         [&](const PrinterPaper& q) { return q.Name == name; });
                if (known)
                    continue;
                paper.Code = nextPaper++;
                paper.Name = name;
            }
            bool seen = std::any_of(p.Papers.begin(), p.Papers.end(),
                                    [&](const PrinterPaper& q) { return q.Code == paper.Code; });
            if (!seen)
                p.Papers.push_back(paper);
        }
    if (p.Papers.empty())
        p.Papers = Table();
    cups_size_t def{};
    if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &def)) {
        for (const auto& paper : p.Papers)
            if (paper.MediaName == def.media)
                p.DefaultPaper = paper.Code;
        p.MarginLeft = def.left / 10;
        p.MarginTop = def.top / 10;
        p.MarginRight = def.right / 10;
        p.MarginBottom = def.bottom / 10;
    } else {
        p.DefaultPaper = p.Papers.front().Code;
    }
    if (ipp_attribute_t* res = cupsFindDestDefault(CUPS_HTTP_DEFAULT, dest, info, "printer-resolution")) {
        int y = 0;
        ipp_res_t units = IPP_RES_PER_INCH;
        int x = ippGetResolution(res, 0, &y, &units);
        if (units == IPP_RES_PER_CM) {
            x = int(std::lround(x * 2.54));
            y = int(std::lround(y * 2.54));
        }
        if (x >= 36 && y >= 36 && x <= 9600 && y <= 9600) {
            p.DpiX = x;
            p.DpiY = y;
        }
    }
    SHORT nextBin = DMBIN_USER;
    if (ipp_attribute_t* src = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "media-source"))
        for (int i = 0; i < ippGetCount(src); ++i)
            if (const char* s = ippGetString(src, i, nullptr))
                p.Bins.push_back({BinCode(s, nextBin), s, s});
    if (p.Bins.empty())
        p.Bins.push_back({DMBIN_AUTO, "Automatic", "auto"});
    p.DefaultBin = p.Bins.front().Code;
    p.Color = AttributeHas(cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "print-color-mode"), "color");
    p.Duplex =
        AttributeHas(cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "sides"), "two-sided-long-edge");
    ipp_attribute_t* formats = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "document-format");
    p.PostScriptOnly = formats && !AttributeHas(formats, "application/pdf") &&
                       !AttributeHas(formats, "application/octet-stream") &&
                       AttributeHas(formats, "application/postscript");
    cupsFreeDestInfo(info);
    return p;
}

void LoadCupsPrinters(std::vector<PrinterDescription>& printers, std::string& defaultName)
{
    cupsSetServer(nullptr); // the environment's server, read afresh
    cups_dest_t* dests = nullptr;
    int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    for (int i = 0; i < n; ++i) {
        PrinterDescription p = DescribeCupsDest(&dests[i]);
        if (dests[i].is_default && defaultName.empty())
            defaultName = p.Name;
        printers.push_back(std::move(p));
    }
    cupsFreeDests(n, dests);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Load()
{
    PrinterList& l = List();
    l.Printers.clear();
    l.Default.clear();
    std::string text;
    bool cups = true;
    if (Config().Explicit) {
        text = Config().FileText;
        cups = Config().UseCups;
    } else {
        std::string file;
        if (const char* env = std::getenv("DRAWMERE_PRINTERS"); env && *env) {
            file = env;
        } else {
            const char* xdg = std::getenv("XDG_CONFIG_HOME");
            const char* home = std::getenv("HOME");
            std::string dir = xdg && *xdg ? xdg : (home ? std::string(home) + "/.config" : "");
            if (!dir.empty())
                file = dir + "/drawmere/printers.ini";
        }
        if (!file.empty())
            text = ReadFile(file);
        const char* useCups = std::getenv("DRAWMERE_CUPS");
        cups = !(useCups && std::strcmp(useCups, "0") == 0);
    }
    l.Printers = ParsePrinterFile(text, l.Default);
    if (cups)
        LoadCupsPrinters(l.Printers, l.Default);
    if (l.Default.empty() && !l.Printers.empty())
        l.Default = l.Printers.front().Name;
    l.Loaded = true;
}

// ---- Printer DCs ---------------------------------------------------------------------------

struct PageGeometry {
    int DpiX = 300, DpiY = 300;
    int PhysW = 0, PhysH = 0; // pixels
    int OffX = 0, OffY = 0;
    int HorzRes = 0, VertRes = 0;
    SHORT Orientation = DMORIENT_PORTRAIT;
    SHORT Paper = DMPAPER_A4;
};

struct PrinterDC {
    PrinterDescription Printer;
    DEVMODEA Dm{};
    bool Information = false;
    PageGeometry Geometry;
    // The job.
    bool InDoc = false, InPage = false;
    std::FILE* Out = nullptr;
    int WriteErrno = 0;
    std::string TempFile, FinalFile;
    bool DirectOutput = false; // writing straight into a device file
    bool SendToCups = false;
    PrintJobRecord Job;
    std::string Error;
    // Last, so that it goes first: finishing the surface still writes through Out.
    TOwnedSurface Surface;
};

std::map<HDC, PrinterDC>& PrinterDCs()
{
    static std::map<HDC, PrinterDC> dcs;
    return dcs;
}

PrinterDC* PrinterOf(HDC hdc)
{
    auto it = PrinterDCs().find(hdc);
    return it == PrinterDCs().end() ? nullptr : &it->second;
}

std::vector<PrintJobRecord>& JobLog()
{
    static std::vector<PrintJobRecord> log;
    return log;
}

int NextJobId()
{
    static int id = 0;
    return ++id;
}

const PrinterPaper* PrinterPaperOf(const PrinterDescription& p, SHORT code)
{
    for (const auto& paper : p.Papers)
        if (paper.Code == code)
            return &paper;
    return FindPaper(code);
}

PageGeometry GeometryOf(const PrinterDescription& p, const DEVMODEA& dm)
{
    PageGeometry g;
    g.DpiX = dm.dmPrintQuality > 0 ? dm.dmPrintQuality : p.DpiX;
    g.DpiY = dm.dmYResolution > 0 ? dm.dmYResolution : (dm.dmPrintQuality > 0 ? dm.dmPrintQuality : p.DpiY);
    // A device mode asking for an absurd resolution gets the nearest sensible one.
    g.DpiX = std::clamp(g.DpiX, 36, 9600);
    g.DpiY = std::clamp(g.DpiY, 36, 9600);
    int width = 0, length = 0;
    if ((dm.dmFields & DM_PAPERWIDTH) && (dm.dmFields & DM_PAPERLENGTH) && dm.dmPaperWidth > 0 &&
        dm.dmPaperLength > 0) {
        width = dm.dmPaperWidth;
        length = dm.dmPaperLength;
        g.Paper = DMPAPER_USER;
    } else {
        const PrinterPaper* paper = PrinterPaperOf(p, dm.dmPaperSize);
        if (!paper)
            paper = PrinterPaperOf(p, p.DefaultPaper);
        if (!paper)
            paper = FindPaper(DMPAPER_A4);
        width = paper->Width;
        length = paper->Length;
        g.Paper = paper->Code;
    }
    g.Orientation = dm.dmOrientation == DMORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    if (g.Orientation == DMORIENT_PORTRAIT) {
        g.PhysW = ToPixels(width, g.DpiX);
        g.PhysH = ToPixels(length, g.DpiY);
        g.OffX = ToPixels(p.MarginLeft, g.DpiX);
        g.OffY = ToPixels(p.MarginTop, g.DpiY);
        g.HorzRes = g.PhysW - g.OffX - ToPixels(p.MarginRight, g.DpiX);
        g.VertRes = g.PhysH - g.OffY - ToPixels(p.MarginBottom, g.DpiY);
    } else {
        // The sheet turned a quarter counter-clockwise: the portrait top edge is now on the left.
        g.PhysW = ToPixels(length, g.DpiX);
        g.PhysH = ToPixels(width, g.DpiY);
        g.OffX = ToPixels(p.MarginTop, g.DpiX);
        g.OffY = ToPixels(p.MarginRight, g.DpiY);
        g.HorzRes = g.PhysW - g.OffX - ToPixels(p.MarginBottom, g.DpiX);
        g.VertRes = g.PhysH - g.OffY - ToPixels(p.MarginLeft, g.DpiY);
    }
    g.HorzRes = std::max(g.HorzRes, 1);
    g.VertRes = std::max(g.VertRes, 1);
    return g;
}

void ApplyGeometry(HDC hdc, PrinterDC& pdc)
{
    PageGeometry g = GeometryOf(pdc.Printer, pdc.Dm);
    pdc.Geometry = g;
    hdc->DpiX = g.DpiX;
    hdc->DpiY = g.DpiY;
    SetDCDeviceCaps(hdc, TECHNOLOGY, DT_RASPRINTER);
    SetDCDeviceCaps(hdc, PHYSICALWIDTH, g.PhysW);
    SetDCDeviceCaps(hdc, PHYSICALHEIGHT, g.PhysH);
    SetDCDeviceCaps(hdc, PHYSICALOFFSETX, g.OffX);
    SetDCDeviceCaps(hdc, PHYSICALOFFSETY, g.OffY);
    SetDCDeviceCaps(hdc, HORZRES, g.HorzRes);
    SetDCDeviceCaps(hdc, VERTRES, g.VertRes);
    SetDCDeviceCaps(hdc, HORZSIZE, int(std::lround(g.HorzRes * 25.4 / g.DpiX)));
    SetDCDeviceCaps(hdc, VERTSIZE, int(std::lround(g.VertRes * 25.4 / g.DpiY)));
    SetDCDeviceCaps(hdc, NUMCOLORS, pdc.Printer.Color ? -1 : 2);
    SetDCDeviceCaps(hdc, BITSPIXEL, pdc.Printer.Color ? 24 : 1);
    SetDCDeviceCaps(hdc, COLORRES, pdc.Printer.Color ? 24 : 1);
}

// Merges the fields a caller set into the printer's defaults.
DEVMODEA MergeDevMode(const PrinterDescription& p, const DEVMODEA* given)
{
    DEVMODEA dm;
    FillDefaultDevMode(p, dm);
    if (!given)
        return dm;
    DWORD f = given->dmFields;
    if (f & DM_ORIENTATION)
        dm.dmOrientation = given->dmOrientation;
    if (f & DM_PAPERSIZE)
        dm.dmPaperSize = given->dmPaperSize;
    if (f & DM_PAPERLENGTH) {
        dm.dmPaperLength = given->dmPaperLength;
        dm.dmFields |= DM_PAPERLENGTH;
    }
    if (f & DM_PAPERWIDTH) {
        dm.dmPaperWidth = given->dmPaperWidth;
        dm.dmFields |= DM_PAPERWIDTH;
    }
    if (f & DM_SCALE)
        dm.dmScale = given->dmScale;
    if (f & DM_COPIES)
        dm.dmCopies = given->dmCopies;
    if (f & DM_DEFAULTSOURCE)
        dm.dmDefaultSource = given->dmDefaultSource;
    if (f & DM_PRINTQUALITY)
        dm.dmPrintQuality = given->dmPrintQuality;
    if (f & DM_COLOR)
        dm.dmColor = given->dmColor;
    if (f & DM_DUPLEX)
        dm.dmDuplex = given->dmDuplex;
    if (f & DM_YRESOLUTION)
        dm.dmYResolution = given->dmYResolution;
    if (f & DM_COLLATE)
        dm.dmCollate = given->dmCollate;
    if (f & DM_DITHERTYPE)
        dm.dmDitherType = given->dmDitherType;
    return dm;
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

HDC MakePrinterDC(const char* device, const DEVMODEA* devMode, bool information)
{
    const PrinterDescription* p = FindPrinter(device ? std::string(device) : DefaultPrinterName());
    // A file printer whose folder is gone cannot print: it has no context, as a printer that is
    // switched off.
    if (!p || (p->IsFilePrinter && !IsDirectory(p->Folder)))
        return nullptr;
    HDC hdc = CreateSurfaceDC(nullptr, information ? DCKind::Information : DCKind::Printer, POINT{0, 0},
                              RECT{0, 0, 0, 0}, p->DpiX, p->DpiY);
    PrinterDC& pdc = PrinterDCs()[hdc];
    pdc = PrinterDC{};
    pdc.Printer = *p;
    pdc.Dm = MergeDevMode(*p, devMode);
    pdc.Information = information;
    ApplyGeometry(hdc, pdc);
    return hdc;
}

cairo_status_t WriteOut(void* closure, const unsigned char* data, unsigned int length)
{
    auto* pdc = static_cast<PrinterDC*>(closure);
    if (!pdc->Out)
        return CAIRO_STATUS_WRITE_ERROR;
    if (std::fwrite(data, 1, length, pdc->Out) != length) {
        pdc->WriteErrno = errno ? errno : EIO;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

std::string SafeFileName(const std::string& title)
{
    std::string s;
    for (char c : title)
        s += (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32) ? '_' : c;
    s = Trim(s);
    while (!s.empty() && s.front() == '.')
        s.erase(0, 1);
    if (s.size() > 120)
        s.resize(120);
    return s.empty() ? "Document" : s;
}

// The closed document: flushes it and closes the file; false (with the reason) on failure.
bool CloseDocument(PrinterDC& pdc, std::string& error)
{
    bool ok = true;
    if (pdc.Surface) {
        cairo_surface_finish(pdc.Surface.get());
        cairo_status_t st = cairo_surface_status(pdc.Surface.get());
        if (st != CAIRO_STATUS_SUCCESS) {
            ok = false;
            error = pdc.WriteErrno ? std::strerror(pdc.WriteErrno) : cairo_status_to_string(st);
        }
        pdc.Surface.reset();
    }
    if (pdc.Out) {
        if ((std::fflush(pdc.Out) != 0 || std::ferror(pdc.Out)) && ok) {
            ok = false;
            error = std::strerror(errno);
        }
        if (!pdc.DirectOutput && ok && ::fsync(fileno(pdc.Out)) != 0 && errno != EINVAL) {
            ok = false;
            error = std::strerror(errno);
        }
        if (std::fclose(pdc.Out) != 0 && ok) {
            ok = false;
            error = std::strerror(errno);
        }
        pdc.Out = nullptr;
    }
    if (ok && pdc.WriteErrno) {
        ok = false;
        error = std::strerror(pdc.WriteErrno);
    }
    return ok;
}

void FinishJob(HDC hdc, PrinterDC& pdc, PrintJobState state, const std::string& error)
{
    pdc.InDoc = pdc.InPage = false;
    RetargetSurfaceDC(hdc, nullptr, POINT{0, 0}, RECT{0, 0, 0, 0});
    pdc.Job.State = state;
    pdc.Job.Error = error;
    pdc.Error = error;
    if (state != PrintJobState::Printed && !pdc.DirectOutput && !pdc.TempFile.empty())
        std::remove(pdc.TempFile.c_str());
    if (state != PrintJobState::Printed && !pdc.DirectOutput)
        pdc.Job.File.clear();
    JobLog().push_back(pdc.Job);
    Backend().PrintJobEnded(pdc.Job);
}

std::string CupsSubmit(PrinterDC& pdc)
{
    cupsSetServer(nullptr);
    std::string queue = pdc.Printer.Port.empty() ? pdc.Printer.Name : pdc.Printer.Port;
    cups_option_t* options = nullptr;
    int n = 0;
    for (const auto& [k, v] : pdc.Job.Options)
        n = cupsAddOption(k.c_str(), v.c_str(), n, &options);
    int id = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), pdc.TempFile.c_str(), pdc.Job.Title.c_str(), n,
                            options);
    cupsFreeOptions(n, options);
    if (id > 0)
        return {};
    ipp_status_t status = cupsLastError();
    const char* why = cupsLastErrorString();
    std::string reason = why && *why ? why : "unknown error";
    if (status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || status == IPP_STATUS_ERROR_INTERNAL)
        return "the print server could not be reached (" + reason + ")";
    if (status == IPP_STATUS_ERROR_NOT_FOUND)
        return "the printer \"" + queue + "\" is no longer available (" + reason + ")";
    return "the print server refused the job (" + reason + ")";
}

} // namespace

// ---- Paper table and device modes ------------------------------------------------------------

const std::vector<PrinterPaper>& PaperTable()
{
    return Table();
}

const PrinterPaper* FindPaper(SHORT code)
{
    for (const auto& p : Table())
        if (p.Code == code)
            return &p;
    return nullptr;
}

void FillDefaultDevMode(const PrinterDescription& p, DEVMODEA& dm)
{
    dm = DEVMODEA{};
    std::snprintf(dm.dmDeviceName, sizeof dm.dmDeviceName, "%s", p.Name.c_str());
    dm.dmSize = WORD(sizeof(DEVMODEA));
    dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY |
                  DM_YRESOLUTION | DM_COLLATE | DM_DITHERTYPE;
    if (p.Color)
        dm.dmFields |= DM_COLOR;
    if (p.Duplex)
        dm.dmFields |= DM_DUPLEX;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPaperSize = p.DefaultPaper;
    if (const PrinterPaper* paper = PrinterPaperOf(p, p.DefaultPaper)) {
        dm.dmPaperWidth = SHORT(paper->Width);
        dm.dmPaperLength = SHORT(paper->Length);
        std::snprintf(dm.dmFormName, sizeof dm.dmFormName, "%s", paper->Name.c_str());
    }
    dm.dmScale = 100;
    dm.dmCopies = 1;
    dm.dmDefaultSource = p.DefaultBin;
    dm.dmPrintQuality = SHORT(p.DpiX);
    dm.dmYResolution = SHORT(p.DpiY);
    dm.dmColor = p.Color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    dm.dmDuplex = DMDUP_SIMPLEX;
    dm.dmCollate = DMCOLLATE_FALSE;
    dm.dmDitherType = DMDITHER_NONE;
}

HGLOBAL CreateDefaultDevMode(const std::string& printer)
{
    const PrinterDescription* p = FindPrinter(printer);
    if (!p)
        return nullptr;
    HGLOBAL h = GlobalAlloc(GHND, sizeof(DEVMODEA));
    if (!h)
        return nullptr;
    auto* dm = static_cast<DEVMODEA*>(GlobalLock(h));
    FillDefaultDevMode(*p, *dm);
    GlobalUnlock(h);
    return h;
}

std::map<std::string, std::string> JobOptions(const PrinterDescription& p, const DEVMODEA& dm)
{
    std::map<std::string, std::string> o;
    int copies = std::clamp<int>(dm.dmCopies, 1, 9999);
    o["copies"] = std::to_string(copies);
    if (copies > 1)
        o["multiple-document-handling"] = dm.dmCollate == DMCOLLATE_TRUE
                                              ? "separate-documents-collated-copies"
                                              : "separate-documents-uncollated-copies";
    PageGeometry g = GeometryOf(p, dm);
    if (g.Paper == DMPAPER_USER) {
        char media[64];
        std::snprintf(media, sizeof media, "Custom.%gx%gmm", dm.dmPaperWidth / 10.0, dm.dmPaperLength / 10.0);
        o["media"] = media;
    } else if (const PrinterPaper* paper = PrinterPaperOf(p, g.Paper)) {
        o["media"] = paper->MediaName;
    }
    for (const auto& bin : p.Bins)
        if (bin.Code == dm.dmDefaultSource && !bin.Source.empty())
            o["media-source"] = bin.Source;
    if (p.Duplex || dm.dmDuplex != DMDUP_SIMPLEX)
        o["sides"] = dm.dmDuplex == DMDUP_VERTICAL     ? "two-sided-long-edge"
                     : dm.dmDuplex == DMDUP_HORIZONTAL ? "two-sided-short-edge"
                                                       : "one-sided";
    o["print-color-mode"] = (p.Color && dm.dmColor != DMCOLOR_MONOCHROME) ? "color" : "monochrome";
    switch (dm.dmPrintQuality) {
    case DMRES_DRAFT:
    case DMRES_LOW:
        o["print-quality"] = "3";
        break;
    case DMRES_HIGH:
        o["print-quality"] = "5";
        break;
    case DMRES_MEDIUM:
        o["print-quality"] = "4";
        break;
    default:
        break;
    }
    return o;
}

// ---- Printer list ----------------------------------------------------------------------------

const std::vector<PrinterDescription>& ListPrinters()
{
    if (!List().Loaded)
        Load();
    return List().Printers;
}

std::string DefaultPrinterName()
{
    ListPrinters();
    return List().Default;
}

const PrinterDescription* FindPrinter(const std::string& name)
{
    for (const auto& p : ListPrinters())
        if (p.Name == name)
            return &p;
    return nullptr;
}

void ReloadPrinters()
{
    List().Loaded = false;
}

void ConfigurePrinters(const std::string& fileText, bool useCups)
{
    Config().Explicit = true;
    Config().FileText = fileText;
    Config().UseCups = useCups;
    ReloadPrinters();
}

void ResetPrinterConfiguration()
{
    Config() = Configuration{};
    ReloadPrinters();
}

int DeviceCapabilitiesA(const char* device, const char*, WORD capability, char* output, const DEVMODEA*)
{
    const PrinterDescription* p = device ? FindPrinter(device) : nullptr;
    if (!p)
        return -1;
    auto names = [&](const std::vector<std::string>& list, int width) {
        if (output)
            for (size_t i = 0; i < list.size(); ++i) {
                char* slot = output + i * size_t(width);
                std::memset(slot, 0, size_t(width));
                std::memcpy(slot, list[i].data(), std::min(list[i].size(), size_t(width - 1)));
            }
        return int(list.size());
    };
    switch (capability) {
    case DC_PAPERS:
        if (output)
            for (size_t i = 0; i < p->Papers.size(); ++i) {
                WORD code = WORD(p->Papers[i].Code);
                std::memcpy(output + i * sizeof(WORD), &code, sizeof code);
            }
        return int(p->Papers.size());
    case DC_PAPERNAMES: {
        std::vector<std::string> list;
        for (const auto& paper : p->Papers)
            list.push_back(paper.Name);
        return names(list, CCHPAPERNAME);
    }
    case DC_PAPERSIZE:
        if (output)
            for (size_t i = 0; i < p->Papers.size(); ++i) {
                POINT size{p->Papers[i].Width, p->Papers[i].Length};
                std::memcpy(output + i * sizeof(POINT), &size, sizeof size);
            }
        return int(p->Papers.size());
    case DC_BINS:
        if (output)
            for (size_t i = 0; i < p->Bins.size(); ++i) {
                WORD code = WORD(p->Bins[i].Code);
                std::memcpy(output + i * sizeof(WORD), &code, sizeof code);
            }
        return int(p->Bins.size());
    case DC_BINNAMES: {
        std::vector<std::string> list;
        for (const auto& bin : p->Bins)
            list.push_back(bin.Name);
        return names(list, CCHBINNAME);
    }
    case DC_ORIENTATION:
        return 90;
    case DC_DUPLEX:
        return p->Duplex ? 1 : 0;
    case DC_COPIES:
        return 9999;
    case DC_COLLATE:
        return 1;
    case DC_COLORDEVICE:
        return p->Color ? 1 : 0;
    case DC_SIZE:
        return int(sizeof(DEVMODEA));
    case DC_EXTRA:
        return 0;
    case DC_VERSION:
        return 0x0401;
    case DC_FIELDS: {
        DEVMODEA dm;
        FillDefaultDevMode(*p, dm);
        return int(dm.dmFields | DM_PAPERLENGTH | DM_PAPERWIDTH);
    }
    case DC_ENUMRESOLUTIONS:
        if (output) {
            LONG res[2] = {p->DpiX, p->DpiY};
            std::memcpy(output, res, sizeof res);
        }
        return 1;
    default:
        return -1;
    }
}

// ---- Device contexts -------------------------------------------------------------------------

HDC CreateICA(const char*, const char* device, const char*, const DEVMODEA* devMode)
{
    return MakePrinterDC(device, devMode, true);
}

HDC CreateDCA(const char*, const char* device, const char*, const DEVMODEA* devMode)
{
    return MakePrinterDC(device, devMode, false);
}

HDC ResetDCA(HDC hdc, const DEVMODEA* devMode)
{
    PrinterDC* pdc = PrinterOf(hdc);
    if (!pdc || !gdi::IsLiveDC(hdc))
        return nullptr;
    if (pdc->InPage) // the page under way keeps its size
        return nullptr;
    if (devMode)
        pdc->Dm = MergeDevMode(pdc->Printer, devMode);
    ApplyGeometry(hdc, *pdc);
    return hdc;
}

int StartDocA(HDC hdc, const DOCINFOA* doc)
{
    PrinterDC* pdc = PrinterOf(hdc);
    if (!pdc || pdc->Information || !gdi::IsLiveDC(hdc))
        return SP_ERROR;
    if (pdc->InDoc) {
        pdc->Error = "a job is already running on this printer";
        return SP_ERROR;
    }
    pdc->Error.clear();
    pdc->Job = PrintJobRecord{};
    pdc->Job.Id = NextJobId();
    pdc->Job.Printer = pdc->Printer.Name;
    pdc->Job.Title = doc && doc->lpszDocName ? doc->lpszDocName : "";
    pdc->Job.Options = JobOptions(pdc->Printer, pdc->Dm);
    pdc->DirectOutput = false;
    pdc->SendToCups = false;
    pdc->WriteErrno = 0;
    std::string output = doc && doc->lpszOutput ? doc->lpszOutput : "";
    std::string ext = pdc->Printer.PostScriptOnly ? ".ps" : ".pdf";
    if (!output.empty()) {
        struct stat st {};
        pdc->DirectOutput = ::stat(output.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
        pdc->FinalFile = output;
        pdc->TempFile = pdc->DirectOutput ? output : output + ".part";
    } else if (pdc->Printer.IsFilePrinter) {
        if (!IsDirectory(pdc->Printer.Folder)) {
            pdc->Error = "the folder \"" + pdc->Printer.Folder + "\" of the printer \"" + pdc->Printer.Name +
                         "\" does not exist";
            return SP_ERROR;
        }
        std::string base = pdc->Printer.Folder + "/" + SafeFileName(pdc->Job.Title);
        pdc->FinalFile = base + ext;
        for (int n = 2; FileExists(pdc->FinalFile); ++n)
            pdc->FinalFile = base + " (" + std::to_string(n) + ")" + ext;
        pdc->TempFile = pdc->FinalFile + ".part";
    } else {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/drawmere-job-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        int fd = ::mkstemp(name.data());
        if (fd < 0) {
            pdc->Error = std::string("cannot make the job's file: ") + std::strerror(errno);
            return SP_ERROR;
        }
        ::close(fd);
        pdc->TempFile = name.data();
        pdc->SendToCups = true;
    }
    pdc->Out = std::fopen(pdc->TempFile.c_str(), "wb");
    if (!pdc->Out) {
        pdc->Error = "cannot write \"" + pdc->TempFile + "\": " + std::strerror(errno);
        if (pdc->SendToCups)
            std::remove(pdc->TempFile.c_str());
        return SP_ERROR;
    }
    const PageGeometry& g = pdc->Geometry;
    double w = g.PhysW * 72.0 / g.DpiX, h = g.PhysH * 72.0 / g.DpiY;
    pdc->Surface.reset(pdc->Printer.PostScriptOnly
                           ? cairo_ps_surface_create_for_stream(WriteOut, pdc, w, h)
                           : cairo_pdf_surface_create_for_stream(WriteOut, pdc, w, h));
    if (cairo_surface_status(pdc->Surface.get()) != CAIRO_STATUS_SUCCESS) {
        pdc->Error = cairo_status_to_string(cairo_surface_status(pdc->Surface.get()));
        pdc->Surface.reset();
        std::fclose(pdc->Out);
        pdc->Out = nullptr;
        if (!pdc->DirectOutput)
            std::remove(pdc->TempFile.c_str());
        return SP_ERROR;
    }
    if (!pdc->Printer.PostScriptOnly && !pdc->Job.Title.empty())
        cairo_pdf_surface_set_metadata(pdc->Surface.get(), CAIRO_PDF_METADATA_TITLE, pdc->Job.Title.c_str());
    // Device units are printer pixels.
    cairo_surface_set_device_scale(pdc->Surface.get(), 72.0 / g.DpiX, 72.0 / g.DpiY);
    pdc->Job.File = pdc->FinalFile;
    pdc->InDoc = true;
    return pdc->Job.Id;
}

int StartPage(HDC hdc)
{
    PrinterDC* pdc = PrinterOf(hdc);
    if (!pdc || !pdc->InDoc || pdc->InPage)
        return SP_ERROR;
    const PageGeometry& g = pdc->Geometry;
    double w = g.PhysW * 72.0 / g.DpiX, h = g.PhysH * 72.0 / g.DpiY;
    // The size of a page must be set before anything is drawn on it.
    if (pdc->Printer.PostScriptOnly)
        cairo_ps_surface_set_size(pdc->Surface.get(), w, h);
    else
        cairo_pdf_surface_set_size(pdc->Surface.get(), w, h);
    cairo_surface_set_device_scale(pdc->Surface.get(), 72.0 / g.DpiX, 72.0 / g.DpiY);
    RetargetSurfaceDC(hdc, pdc->Surface.get(), POINT{g.OffX, g.OffY}, RECT{0, 0, g.PhysW, g.PhysH});
    pdc->InPage = true;
    PrintedPage page;
    page.WidthPx = g.PhysW;
    page.HeightPx = g.PhysH;
    page.WidthPt = w;
    page.HeightPt = h;
    page.Orientation = g.Orientation;
    page.Paper = g.Paper;
    pdc->Job.Pages.push_back(page);
    return 1;
}

int EndPage(HDC hdc)
{
    PrinterDC* pdc = PrinterOf(hdc);
    if (!pdc || !pdc->InPage)
        return SP_ERROR;
    cairo_surface_show_page(pdc->Surface.get());
    RetargetSurfaceDC(hdc, nullptr, POINT{0, 0}, RECT{0, 0, 0, 0});
    pdc->InPage = false;
    if (cairo_surface_status(pdc->Surface.get()) != CAIRO_STATUS_SUCCESS || pdc->WriteErrno) {
        std::string why = pdc->WriteErrno ? std::strerror(pdc->WriteErrno)
                                          : cairo_status_to_string(cairo_surface_status(pdc->Surface.get()));
        std::string dummy;
        CloseDocument(*pdc, dummy);
        FinishJob(hdc, *pdc, PrintJobState::Failed, "writing the job failed: " + why);
        return SP_ERROR;
    }
    return 1;
}

int EndDoc(HDC hdc)
{
    PrinterDC* pdc = PrinterOf(hdc);
    if (!pdc || !pdc->InDoc)
        return SP_ERROR;
    if (pdc->InPage && EndPage(hdc) == SP_ERROR)
        return SP_ERROR;
    std::string why;
    if (!CloseDocument(*pdc, why)) {
        FinishJob(hdc, *pdc, PrintJobState::Failed, "writing the job failed: " + why);
        return SP_ERROR;
    }
    if (pdc->Job.Pages.empty()) { // nothing to print
        if (!pdc->DirectOutput)
            std::remove(pdc->TempFile.c_str());
        pdc->Job.File.clear();
        FinishJob(hdc, *pdc, PrintJobState::Printed, {});
        return 1;
    }
    if (pdc->SendToCups) {
        std::string error = CupsSubmit(*pdc);
        std::remove(pdc->TempFile.c_str());
        pdc->Job.File.clear();
        if (!error.empty()) {
            FinishJob(hdc, *pdc, PrintJobState::Failed,
                      "printing \"" + pdc->Job.Title + "\" failed: " + error);
            return SP_ERROR;
        }
    } else if (!pdc->DirectOutput) {
        if (pdc->Printer.IsFilePrinter && !IsDirectory(pdc->Printer.Folder)) {
            FinishJob(hdc, *pdc, PrintJobState::Failed,
                      "the printer \"" + pdc->Printer.Name + "\" is no longer available: its folder \"" +
                          pdc->Printer.Folder + "\" is gone");
            return SP_ERROR;
        }
        if (std::rename(pdc->TempFile.c_str(), pdc->FinalFile.c_str()) != 0) {
            FinishJob(hdc, *pdc, PrintJobState::Failed,
                      "cannot write \"" + pdc->FinalFile + "\": " + std::strerror(errno));
            return SP_ERROR;
        }
    }
    FinishJob(hdc, *pdc, PrintJobState::Printed, {});
    return 1;
}

int AbortDoc(HDC hdc)
{
    PrinterDC* pdc = PrinterOf(hdc);
    if (!pdc || !pdc->InDoc)
        return SP_ERROR;
    std::string ignored;
    CloseDocument(*pdc, ignored);
    if (pdc->SendToCups)
        std::remove(pdc->TempFile.c_str());
    FinishJob(hdc, *pdc, PrintJobState::Aborted, {});
    pdc->Error.clear();
    return 1;
}

std::string GetPrintError(HDC hdc)
{
    PrinterDC* pdc = PrinterOf(hdc);
    return pdc ? pdc->Error : std::string("not a printer");
}

const std::vector<PrintJobRecord>& PrintJobLog()
{
    return JobLog();
}

void ClearPrintJobLog()
{
    JobLog().clear();
}

namespace gdi {

void ReleasePrinterDC(HDC hdc)
{
    PrinterDC* pdc = PrinterOf(hdc);
    if (!pdc)
        return;
    if (pdc->InDoc) // a job left running is discarded, never half printed
        AbortDoc(hdc);
    PrinterDCs().erase(hdc);
}

} // namespace gdi
