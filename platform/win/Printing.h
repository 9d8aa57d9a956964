#pragma once

// Printers and print jobs of the Windows-API-like layer.
//
// The printers are the CUPS destinations of the machine plus "file printers": named printers
// described in a small ini file (see ConfigurePrinters) that write each job as a PDF into a
// folder. Every printer has a device mode (DEVMODEA in a global-memory block), capabilities
// (papers, bins, orientation) and metrics. A printer DC draws on a cairo PDF surface (PostScript
// for queues that take nothing else) whose device units are printer pixels at the printer's
// resolution, with the origin at the corner of the printable area; EndDoc writes the document
// and hands it to CUPS or leaves it in the file printer's folder. Nothing half written is ever
// reported as printed: a failed job ends with SP_ERROR and a message (GetPrintError), and its
// file is removed.
//
// User-interface thread only.

#include "platform/win/Clipboard.h"
#include "platform/win/Gdi.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// ---- Device modes --------------------------------------------------------------------------

constexpr int CCHDEVICENAME = 32;
constexpr int CCHFORMNAME = 32;

struct DEVMODEA {
    char dmDeviceName[CCHDEVICENAME]{};
    WORD dmSpecVersion = 0x0401;
    WORD dmDriverVersion = 0;
    WORD dmSize = 0;
    WORD dmDriverExtra = 0;
    DWORD dmFields = 0;
    SHORT dmOrientation = 0;
    SHORT dmPaperSize = 0;
    SHORT dmPaperLength = 0; // tenths of a millimetre
    SHORT dmPaperWidth = 0;  // tenths of a millimetre
    SHORT dmScale = 100;
    SHORT dmCopies = 1;
    SHORT dmDefaultSource = 0;
    SHORT dmPrintQuality = 0;
    SHORT dmColor = 0;
    SHORT dmDuplex = 0;
    SHORT dmYResolution = 0;
    SHORT dmTTOption = 0;
    SHORT dmCollate = 0;
    char dmFormName[CCHFORMNAME]{};
    WORD dmLogPixels = 0;
    DWORD dmBitsPerPel = 0;
    DWORD dmPelsWidth = 0;
    DWORD dmPelsHeight = 0;
    DWORD dmNup = 0;
    DWORD dmDisplayFrequency = 0;
    DWORD dmICMMethod = 0;
    DWORD dmICMIntent = 0;
    DWORD dmMediaType = 0;
    DWORD dmDitherType = 0;
    DWORD dmReserved1 = 0;
    DWORD dmReserved2 = 0;
    DWORD dmPanningWidth = 0;
    DWORD dmPanningHeight = 0;
};
using PDEVMODEA = DEVMODEA*;
using DEVMODE = DEVMODEA;

enum : DWORD {
    DM_ORIENTATION = 0x00000001,
    DM_PAPERSIZE = 0x00000002,
    DM_PAPERLENGTH = 0x00000004,
    DM_PAPERWIDTH = 0x00000008,
    DM_SCALE = 0x00000010,
    DM_COPIES = 0x00000100,
    DM_DEFAULTSOURCE = 0x00000200,
    DM_PRINTQUALITY = 0x00000400,
    DM_COLOR = 0x00000800,
    DM_DUPLEX = 0x00001000,
    DM_YRESOLUTION = 0x00002000,
    DM_COLLATE = 0x00008000,
    DM_FORMNAME = 0x00010000,
    DM_DITHERTYPE = 0x04000000
};
enum : SHORT { DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2 };
enum : SHORT { DMDUP_SIMPLEX = 1, DMDUP_VERTICAL = 2, DMDUP_HORIZONTAL = 3 };
enum : SHORT { DMCOLOR_MONOCHROME = 1, DMCOLOR_COLOR = 2 };
enum : SHORT { DMCOLLATE_FALSE = 0, DMCOLLATE_TRUE = 1 };
enum : SHORT { DMRES_DRAFT = -1, DMRES_LOW = -2, DMRES_MEDIUM = -3, DMRES_HIGH = -4 };
enum : DWORD {
    DMDITHER_NONE = 1,
    DMDITHER_COARSE = 2,
    DMDITHER_FINE = 3,
    DMDITHER_LINEART = 4,
    DMDITHER_GRAYSCALE = 10
};
enum : SHORT { DMBIN_UPPER = 1, DMBIN_LOWER = 2, DMBIN_MANUAL = 4, DMBIN_AUTO = 7, DMBIN_USER = 256 };
enum : SHORT {
    DMPAPER_LETTER = 1,
    DMPAPER_TABLOID = 3,
    DMPAPER_LEDGER = 4,
    DMPAPER_LEGAL = 5,
    DMPAPER_EXECUTIVE = 7,
    DMPAPER_A3 = 8,
    DMPAPER_A4 = 9,
    DMPAPER_A5 = 11,
    DMPAPER_B4 = 12,
    DMPAPER_B5 = 13,
    DMPAPER_ENV_9 = 19,
    DMPAPER_ENV_10 = 20,
    DMPAPER_ENV_11 = 21,
    DMPAPER_ENV_12 = 22,
    DMPAPER_ENV_14 = 23,
    DMPAPER_ENV_C5 = 28,
    DMPAPER_A6 = 70,
    DMPAPER_USER = 256
};

// DeviceCapabilities queries.
enum : WORD {
    DC_FIELDS = 1,
    DC_PAPERS = 2,
    DC_PAPERSIZE = 3,
    DC_MINEXTENT = 4,
    DC_MAXEXTENT = 5,
    DC_BINS = 6,
    DC_DUPLEX = 7,
    DC_SIZE = 8,
    DC_EXTRA = 9,
    DC_VERSION = 10,
    DC_DRIVER = 11,
    DC_BINNAMES = 12,
    DC_ENUMRESOLUTIONS = 13,
    DC_FILEDEPENDENCIES = 14,
    DC_TRUETYPE = 15,
    DC_PAPERNAMES = 16,
    DC_ORIENTATION = 17,
    DC_COPIES = 18,
    DC_COLLATE = 22,
    DC_COLORDEVICE = 32
};
constexpr int CCHBINNAME = 24;   // bytes per name of DC_BINNAMES
constexpr int CCHPAPERNAME = 64; // bytes per name of DC_PAPERNAMES

// Answers the question for the named printer (`port` is not used). With `output` null the
// number of entries is returned; otherwise the entries are written (WORD codes for DC_PAPERS and
// DC_BINS, fixed-width zero-padded names for DC_BINNAMES and DC_PAPERNAMES, POINTs in tenths of a
// millimetre for DC_PAPERSIZE) and their number returned. -1 for an unknown printer or question.
int DeviceCapabilitiesA(const char* device, const char* port, WORD capability, char* output,
                        const DEVMODEA* devMode);

// ---- Printer list --------------------------------------------------------------------------

struct PrinterPaper {
    SHORT Code = 0;            // DMPAPER code (DMPAPER_USER + n for sizes of no code)
    std::string Name;          // as listed to a person
    std::string MediaName;     // the PWG name CUPS knows it by
    int Width = 0, Length = 0; // tenths of a millimetre, portrait
};

struct PrinterBin {
    SHORT Code = 0;
    std::string Name;
    std::string Source; // CUPS "media-source" keyword
};

// One printer as the layer knows it.
struct PrinterDescription {
    std::string Name;
    std::string Driver; // "CUPS" or "File printer"
    std::string Port;   // the queue's URI, or the output folder
    bool IsFilePrinter = false;
    std::string Folder; // file printers: where the jobs go
    int DpiX = 300, DpiY = 300;
    std::vector<PrinterPaper> Papers;
    std::vector<PrinterBin> Bins;
    SHORT DefaultPaper = DMPAPER_A4;
    SHORT DefaultBin = DMBIN_AUTO;
    // Unprintable margins in tenths of a millimetre (portrait): left, top, right, bottom.
    int MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
    bool Color = true;
    bool Duplex = false;
    bool PostScriptOnly = false;
};

// The printers (file printers first, in their file's order, then the CUPS queues) and the name
// of the default one (empty when there is none). The list is read once and kept until
// ReloadPrinters or ConfigurePrinters.
const std::vector<PrinterDescription>& ListPrinters();
std::string DefaultPrinterName();
const PrinterDescription* FindPrinter(const std::string& name);
void ReloadPrinters();

// Where the list comes from. `fileText` is the text of a printer file in the format below (an
// empty text: no file printers); `useCups` adds the CUPS queues. Without a call, the layer reads
// the file named by DRAWMERE_PRINTERS (or $XDG_CONFIG_HOME/drawmere/printers.ini when that
// exists) and asks CUPS unless DRAWMERE_CUPS=0.
//
//   [Office PDF]                 ; one section per printer, the section name is its name
//   Folder=/home/me/Printed      ; where the jobs' PDF files go (this or Queue is required)
//   Resolution=600               ; dots per inch (default 300); or 600x300
//   Paper=A4                     ; default paper: a DMPAPER code or a name of the table
//   Papers=A4,Letter,A3          ; the papers offered (default: every paper of the table)
//   Margins=5.5,4.2,4.9,4.2      ; unprintable left, top, right, bottom in millimetres
//   Bins=Automatic,Tray 1,Manual ; the bins offered (default: Automatic)
//   Color=1  Duplex=1            ; capabilities (defaults 1 and 0)
//   Default=1                    ; this printer is the default (else the first one is)
//   Format=PostScript            ; jobs written as PostScript instead of PDF
//   Queue=office                 ; instead of Folder: the CUPS queue the jobs are sent to
void ConfigurePrinters(const std::string& fileText, bool useCups);
// Forgets a ConfigurePrinters call: the environment decides again.
void ResetPrinterConfiguration();

// The paper table: DMPAPER code, name, PWG media name and portrait size in tenths of a mm.
const std::vector<PrinterPaper>& PaperTable();
const PrinterPaper* FindPaper(SHORT code);

// A device mode with the printer's defaults (A4 or its default paper, portrait, one copy,
// its resolution, colour when it has colour), in a new global-memory block the caller frees
// with GlobalFree; nullptr for an unknown printer.
HGLOBAL CreateDefaultDevMode(const std::string& printer);
void FillDefaultDevMode(const PrinterDescription& printer, DEVMODEA& devMode);

// ---- Device contexts -----------------------------------------------------------------------

// An information context of the printer: the metrics and text measurement of a printer DC,
// no output. nullptr when the printer is unknown, no longer listed, or a file printer whose
// folder is missing.
HDC CreateICA(const char* driver, const char* device, const char* port, const DEVMODEA* devMode);
// A printer DC for jobs. nullptr when the printer is unknown.
HDC CreateDCA(const char* driver, const char* device, const char* port, const DEVMODEA* devMode);
// Changes the paper and orientation of the pages that follow (between pages of a job, or before
// one); the DC's metrics follow at once. Returns hdc, or nullptr when it is no printer DC.
HDC ResetDCA(HDC hdc, const DEVMODEA* devMode);

struct DOCINFOA {
    int cbSize = sizeof(DOCINFOA);
    const char* lpszDocName = nullptr;
    const char* lpszOutput = nullptr; // a file to print into (the job is then not sent)
    const char* lpszDatatype = nullptr;
    DWORD fwType = 0;
};
constexpr int SP_ERROR = -1;

// Job control. StartDoc returns a job number (> 0) or SP_ERROR; the others > 0 or SP_ERROR.
int StartDocA(HDC hdc, const DOCINFOA* docInfo);
int StartPage(HDC hdc);
int EndPage(HDC hdc);
int EndDoc(HDC hdc);
int AbortDoc(HDC hdc);
// Why the last job call on this DC failed (empty when nothing failed).
std::string GetPrintError(HDC hdc);

// ---- What jobs did -------------------------------------------------------------------------

struct PrintedPage {
    int WidthPx = 0, HeightPx = 0;    // the page in printer pixels
    double WidthPt = 0, HeightPt = 0; // the page of the document in points
    SHORT Orientation = DMORIENT_PORTRAIT;
    SHORT Paper = DMPAPER_A4;
};

enum class PrintJobState { Printed, Aborted, Failed };

struct PrintJobRecord {
    int Id = 0;
    std::string Printer;
    std::string Title;
    std::string File; // the PDF or PostScript written (removed again when the job failed)
    std::map<std::string, std::string> Options; // the job's CUPS options
    std::vector<PrintedPage> Pages;
    PrintJobState State = PrintJobState::Printed;
    std::string Error;
};

// Every job that ended (printed, aborted or failed), oldest first; also reported to the
// backend (PlatformBackend::PrintJobEnded).
const std::vector<PrintJobRecord>& PrintJobLog();
void ClearPrintJobLog();

// The CUPS options a job on `printer` with this device mode is sent with.
std::map<std::string, std::string> JobOptions(const PrinterDescription& printer, const DEVMODEA& devMode);
