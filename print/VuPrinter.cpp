#include "print/VuPrinter.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Guards.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr struct {
    TVuPaperSize Paper;
    Integer Code;
} PaperCodes[] = {
    {A3, 8},           {A4, 9},           {A5, 11},          {A6, 70},          {B5, 13},
    {C5, 28},          {Legal, 5},        {Letter, 1},       {B4, 12},          {Envelope_09, 19},
    {Envelope_10, 20}, {Envelope_11, 21}, {Envelope_12, 22}, {Envelope_14, 23}, {Tabloid, 3},
    {Ledger, 4},       {Executive, 7},
};

bool PrintersListed()
{
    return Printer()->Printers()->Count() > 0;
}

// The device mode of the selected printer for one access: opened by the constructor, handed
// back by the destructor.
class DeviceModeAccess {
public:
    explicit DeviceModeAccess(TVuPrinterInfo* Info) : FInfo(Info), FOpen(Info->VuOpenPrinter()) {}
    ~DeviceModeAccess()
    {
        if (FOpen)
            FInfo->VuClosePrinter();
    }
    DEVMODEA* operator->() const { return FInfo->DeviceMode(); }
    // The printer's capabilities are asked for by its full name.
    const char* Device() const { return FInfo->DeviceName(); }
    explicit operator bool() const { return FOpen; }

private:
    TVuPrinterInfo* FInfo;
    bool FOpen;
};

} // namespace

Integer AsDmPaperSize(TVuPaperSize PaperSize)
{
    for (const auto& E : PaperCodes)
        if (E.Paper == PaperSize)
            return E.Code;
    return -1;
}

TVuPaperSize AsVuPaperSize(Integer DmPaperSize)
{
    for (const auto& E : PaperCodes)
        if (E.Code == DmPaperSize)
            return E.Paper;
    return Custom;
}

// ---- Metrics ----

TVuPrinterInfo::TVuPrinterInfo()
{
    ResetPrinter();
    UpdatePrinter();
    FNoPrinter = false;
}

TVuPrinterInfo::~TVuPrinterInfo()
{
    if (FDevMode)
        GlobalUnlock(FDevModeHandle);
}

bool TVuPrinterInfo::PrinterAvailable()
{
    HGLOBAL Mode = nullptr;
    char Device[129]{}, Driver[129]{}, Port[129]{};
    Printer()->GetPrinter(Device, Driver, Port, Mode);
    HDC Ic = CreateICA(Driver, Device, Port, nullptr);
    if (!Ic)
        return false;
    DeleteDC(Ic);
    return true;
}

void TVuPrinterInfo::ResetPrinter()
{
    if (PrintersListed())
        FNoPrinter = !PrinterAvailable();
    UpdatePrinter();
}

void TVuPrinterInfo::UseDefaultValues()
{
    FPhysWidth = 2481;
    FPhysHeight = 3507;
    FGutters = TRect{65, 50, 58, 50};
    FPrintWidth = FPhysWidth - 65 - 58;
    FPrintHeight = FPhysHeight - 50 - 50;
    FResX = FResY = 300;
    Orientation = vuPortrait;
    FRotation = vuRotate90;
    FScreenRatio = 96.0 / 300;
}

void TVuPrinterInfo::UpdatePrinter()
{
    FValid = true;
    if (!PrintersListed() || FNoPrinter) {
        UseDefaultValues();
        return;
    }
    TPrinter* P = Printer();
    TPrinterOrientation Saved = P->Orientation();
    if (!P->Printing())
        P->SetOrientation(poPortrait);
    HDC Dc = P->Handle();
    FPhysWidth = GetDeviceCaps(Dc, PHYSICALWIDTH);
    FPhysHeight = GetDeviceCaps(Dc, PHYSICALHEIGHT);
    FPrintWidth = GetDeviceCaps(Dc, HORZRES);
    FPrintHeight = GetDeviceCaps(Dc, VERTRES);
    Orientation = P->Orientation() == poLandscape ? vuLandscape : vuPortrait;
    Integer Left = GetDeviceCaps(Dc, PHYSICALOFFSETX), Top = GetDeviceCaps(Dc, PHYSICALOFFSETY);
    FGutters = TRect{Left, Top, Left, FPhysHeight - FPrintHeight - Top};
    FResX = GetDeviceCaps(Dc, LOGPIXELSX);
    FResY = GetDeviceCaps(Dc, LOGPIXELSY);
    if (FResX <= 0 || FResY <= 0) {
        UseDefaultValues();
        return;
    }
    FScreenRatio = 96.0 / FResX;
    FRotation = GetOrientationRotation();
    if (!P->Printing() && Saved != P->Orientation())
        P->SetOrientation(Saved);
}

namespace {
bool Landscape()
{
    return Printer()->Printers()->Count() > 0 && Printer()->Orientation() == poLandscape;
}
} // namespace

Integer TVuPrinterInfo::GetPpiX()
{
    Refresh();
    return Landscape() ? FResY : FResX;
}

Integer TVuPrinterInfo::GetPpiY()
{
    Refresh();
    return Landscape() ? FResX : FResY;
}

Extended TVuPrinterInfo::GetPhysicalSizeX()
{
    Refresh();
    return Landscape() ? Extended(FPhysHeight) / FResY : Extended(FPhysWidth) / FResX;
}

Extended TVuPrinterInfo::GetPhysicalSizeY()
{
    Refresh();
    return Landscape() ? Extended(FPhysWidth) / FResX : Extended(FPhysHeight) / FResY;
}

Extended TVuPrinterInfo::GetPrintableSizeX()
{
    Refresh();
    return Extended(FPrintWidth) / FResX;
}

Extended TVuPrinterInfo::GetPrintableSizeY()
{
    Refresh();
    return Extended(FPrintHeight) / FResY;
}

Integer TVuPrinterInfo::GetAvailableWidth()
{
    Refresh();
    return FPrintWidth;
}

Integer TVuPrinterInfo::GetAvailableHeight()
{
    Refresh();
    return FPrintHeight;
}

TRect TVuPrinterInfo::GetGutters(TVuOrientation O)
{
    Refresh();
    TRect G = FGutters;
    if (O == vuLandscape)
        return TRect{G.Top, G.Right, G.Bottom, G.Left};
    return G;
}

TVuRect TVuPrinterInfo::GetGuttersInch(TVuOrientation O)
{
    TRect G = GetGutters(O);
    Extended X = GetPpiX(), Y = GetPpiY();
    return VuRect(G.Left / X, G.Top / Y, G.Right / X, G.Bottom / Y);
}

TVuOrientation TVuPrinterInfo::GetOrientation()
{
    Refresh();
    return Landscape() ? vuLandscape : vuPortrait;
}

TVuPrinterRotation TVuPrinterInfo::GetOrientationRotation()
{
    if (!PrintersListed())
        return vuRotate0;
    HGLOBAL Mode = nullptr;
    char Device[129]{}, Driver[129]{}, Port[129]{};
    Printer()->GetPrinter(Device, Driver, Port, Mode);
    if (!Mode)
        return vuRotate0;
    int R = DeviceCapabilitiesA(Device, Port, DC_ORIENTATION, nullptr, nullptr);
    return R == 90 ? vuRotate90 : R == 270 ? vuRotate270 : vuRotate0;
}

bool TVuPrinterInfo::VuOpenPrinter()
{
    if (!PrintersListed())
        return false;
    Printer()->GetPrinter(FDevice, FDriver, FPort, FDevModeHandle);
    if (!FDevModeHandle)
        return false;
    FDevMode = static_cast<DEVMODEA*>(GlobalLock(FDevModeHandle));
    return FDevMode != nullptr;
}

void TVuPrinterInfo::VuClosePrinter()
{
    // The platform printer owns the block it handed out: while no job runs, giving the same
    // block back makes it take the changed settings.
    if (!Printer()->Printing()) {
        try {
            Printer()->SetPrinter(FDevice, FDriver, FPort, FDevModeHandle);
        } catch (const Exception&) {
            Printer()->SetPrinter(FDevice, FDriver, FPort, nullptr);
        }
    }
    if (FDevMode)
        GlobalUnlock(FDevModeHandle);
    FDevMode = nullptr;
}

// ---- Printer ----

TVuPrinter::TVuPrinter() : FBins(New<TStringList>()), FMetrics(New<TVuPrinterInfo>())
{
    if (PrintersListed())
        FMetrics->ResetPrinter();
}

TVuPrinter::~TVuPrinter() = default;

bool TVuPrinter::Collate()
{
    DeviceModeAccess D(FMetrics.get());
    return D ? (D->dmFields |= DM_COLLATE, D->dmCollate == 1) : false;
}

void TVuPrinter::SetCollate(bool Value)
{
    if (DeviceModeAccess D(FMetrics.get()); D) {
        D->dmFields |= DM_COLLATE;
        D->dmCollate = Value ? 1 : 0;
    }
}

TVuDuplexType TVuPrinter::Duplex()
{
    DeviceModeAccess D(FMetrics.get());
    if (!D)
        return vuSimplex;
    return D->dmDuplex == 2 ? vuVertDuplex : D->dmDuplex == 3 ? vuHorzDuplex : vuSimplex;
}

void TVuPrinter::SetDuplex(TVuDuplexType Value)
{
    if (DeviceModeAccess D(FMetrics.get()); D)
        D->dmDuplex = Value == vuHorzDuplex ? 3 : Value == vuVertDuplex ? 2 : 1;
}

Integer TVuPrinter::PrintCopies()
{
    DeviceModeAccess D(FMetrics.get());
    return D ? (D->dmFields |= DM_COPIES, D->dmCopies) : 1;
}

void TVuPrinter::SetPrintCopies(Integer Value)
{
    if (DeviceModeAccess D(FMetrics.get()); D) {
        D->dmFields |= DM_COPIES;
        D->dmCopies = static_cast<SHORT>(Value);
    }
}

TVuPrintColor TVuPrinter::PrintColor()
{
    DeviceModeAccess D(FMetrics.get());
    return D ? (D->dmFields |= DM_COLOR, D->dmColor == 1 ? vuMonochrome : vuColor) : vuColor;
}

void TVuPrinter::SetPrintColor(TVuPrintColor Value)
{
    if (DeviceModeAccess D(FMetrics.get()); D) {
        D->dmFields |= DM_COLOR;
        D->dmColor = Value == vuMonochrome ? 1 : 2;
    }
}

namespace {
constexpr Integer DitherCodes[] = {1, 2, 3, 4, 10};
constexpr Integer QualityCodes[] = {-1, -2, -3, -4};
} // namespace

TVuDitherType TVuPrinter::DitherType()
{
    DeviceModeAccess D(FMetrics.get());
    if (!D)
        return vuNone;
    D->dmFields |= DM_DITHERTYPE;
    for (int i = 0; i < 5; ++i)
        if (Integer(D->dmDitherType) == DitherCodes[i])
            return static_cast<TVuDitherType>(i);
    return vuNone;
}

void TVuPrinter::SetDitherType(TVuDitherType Value)
{
    if (DeviceModeAccess D(FMetrics.get()); D) {
        D->dmFields |= DM_DITHERTYPE;
        D->dmDitherType = DitherCodes[Value];
    }
}

TVuPrintQuality TVuPrinter::PrintQuality()
{
    DeviceModeAccess D(FMetrics.get());
    if (!D)
        return vuMedium;
    D->dmFields |= DM_PRINTQUALITY;
    for (int i = 0; i < 4; ++i)
        if (D->dmPrintQuality == QualityCodes[i])
            return static_cast<TVuPrintQuality>(i);
    return vuMedium;
}

void TVuPrinter::SetPrintQuality(TVuPrintQuality Value)
{
    {
        DeviceModeAccess D(FMetrics.get());
        if (!D)
            return;
        D->dmFields |= DM_PRINTQUALITY;
        D->dmPrintQuality = static_cast<SHORT>(QualityCodes[Value]);
    }
    FMetrics->UpdatePrinter();
}

TVuPaperSize TVuPrinter::GetPaperSize()
{
    DeviceModeAccess D(FMetrics.get());
    return D ? (D->dmFields |= DM_PAPERSIZE, AsVuPaperSize(D->dmPaperSize)) : Custom;
}

void TVuPrinter::SetVuPaperSize(TVuPaperSize Value)
{
    {
        DeviceModeAccess D(FMetrics.get());
        if (!D)
            return;
        D->dmFields |= DM_PAPERSIZE;
        if (Value == Custom && CustomPaperLength > 0) {
            D->dmFields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
            D->dmPaperSize = 256;
            D->dmPaperWidth = static_cast<SHORT>(CustomPaperWidth);
            D->dmPaperLength = static_cast<SHORT>(CustomPaperLength);
        } else if (Value != Custom) {
            D->dmPaperSize = static_cast<SHORT>(AsDmPaperSize(Value));
        }
    }
    FMetrics->UpdatePrinter();
}

void TVuPrinter::SetDMPaperSize(Integer Code)
{
    {
        DeviceModeAccess D(FMetrics.get());
        if (!D)
            return;
        D->dmFields |= DM_PAPERSIZE;
        D->dmPaperSize = static_cast<SHORT>(Code);
    }
    FMetrics->UpdatePrinter();
}

namespace {
std::vector<WORD> Bins(const char* Device, const char* Port)
{
    int N = DeviceCapabilitiesA(Device, Port, DC_BINS, nullptr, nullptr);
    std::vector<WORD> Out(static_cast<size_t>(std::clamp(N, 0, 256)));
    if (!Out.empty())
        DeviceCapabilitiesA(Device, Port, DC_BINS, reinterpret_cast<char*>(Out.data()), nullptr);
    return Out;
}
} // namespace

Integer TVuPrinter::GetPrinterBinIndex()
{
    DeviceModeAccess D(FMetrics.get());
    if (!D)
        return -1;
    std::vector<WORD> B = Bins(D.Device(), "");
    auto It = std::find(B.begin(), B.end(), WORD(D->dmDefaultSource));
    return It == B.end() ? -1 : static_cast<Integer>(It - B.begin());
}

void TVuPrinter::SetPrinterBinIndex(Integer Index)
{
    DeviceModeAccess D(FMetrics.get());
    if (!D)
        return;
    std::vector<WORD> B = Bins(D.Device(), "");
    if (Index >= 0 && Index < static_cast<Integer>(B.size())) {
        D->dmFields |= DM_DEFAULTSOURCE;
        D->dmDefaultSource = static_cast<SHORT>(B[static_cast<size_t>(Index)]);
    }
}

bool TVuPrinter::GetIsColorPrinter()
{
    DeviceModeAccess D(FMetrics.get());
    return D ? (D->dmFields & DM_COLOR) != 0 : false;
}

void TVuPrinter::SetPrinterIndex(Integer Index)
{
    TPrinter* P = Printer();
    P->SetPrinterIndex(Index);
    char Device[129]{}, Driver[129]{}, Port[129]{};
    HGLOBAL Mode = nullptr;
    P->GetPrinter(Device, Driver, Port, Mode);
    P->SetPrinter(Device, Driver, Port, nullptr);
    FMetrics->ResetPrinter();
    if (OnChangePrinter)
        OnChangePrinter(this);
}

void TVuPrinter::SetOrientation(TVuOrientation Value)
{
    FPageOrientation = Value;
    // During a job this is the orientation of the pages that follow: the next sheet is turned
    // for them when it starts (NewPage), never the sheet under way.
    if (FPrinting || Value == FOrientation)
        return;
    FOrientation = Value;
    FMetrics->Orientation = Value;
    FMetrics->UpdatePrinter();
}

TVuOrientation TVuPrinter::SheetOrientationFor(TVuOrientation Page) const
{
    if (PagesPerSheet != vuTwoPage)
        return Page;
    return Page == vuPortrait ? vuLandscape : vuPortrait;
}

void TVuPrinter::AlterOrientation()
{
    if (PagesPerSheet == vuTwoPage)
        FOrientation = FOrientation == vuPortrait ? vuLandscape : vuPortrait;
}

TVuSize TVuPrinter::GetPaperDimensions(TVuMeasurement M)
{
    return ConvertVuSize(VuSize(FMetrics->GetPhysicalSizeX(), FMetrics->GetPhysicalSizeY()), vuInches, M);
}

Extended TVuPrinter::GetAvailableWidth(TVuMeasurement M)
{
    return ConvertValue(Extended(FMetrics->GetAvailableWidth()) / FMetrics->GetPpiX(), vuInches, M);
}

Extended TVuPrinter::GetAvailableHeight(TVuMeasurement M)
{
    return ConvertValue(Extended(FMetrics->GetAvailableHeight()) / FMetrics->GetPpiY(), vuInches, M);
}

Extended TVuPrinter::GetPrinterWidth(TVuMeasurement M)
{
    return ConvertValue(FMetrics->GetPhysicalSizeX() * FMetrics->GetPpiX(), vuInches, M);
}

Extended TVuPrinter::GetPrinterHeight(TVuMeasurement M)
{
    return ConvertValue(FMetrics->GetPhysicalSizeY() * FMetrics->GetPpiY(), vuInches, M);
}

TStrings* TVuPrinter::GetPrinterBins()
{
    FBins->Clear();
    if (DeviceModeAccess D(FMetrics.get()); D) {
        int N = std::clamp(DeviceCapabilitiesA(D.Device(), "", DC_BINNAMES, nullptr, nullptr), 0, 256);
        std::vector<char> Names(static_cast<size_t>(N) * CCHBINNAME);
        if (N > 0)
            DeviceCapabilitiesA(D.Device(), "", DC_BINNAMES, Names.data(), nullptr);
        for (int i = 0; i < N; ++i)
            FBins->Add(AnsiString(Names.data() + i * CCHBINNAME,
                                  strnlen(Names.data() + i * CCHBINNAME, CCHBINNAME)));
    }
    return FBins.get();
}

void TVuPrinter::GetPaperNames(TStrings* Strings)
{
    Strings->Clear();
    DeviceModeAccess D(FMetrics.get());
    if (!D)
        return;
    int N = std::max(0, DeviceCapabilitiesA(D.Device(), "", DC_PAPERNAMES, nullptr, nullptr));
    std::vector<char> Names(static_cast<size_t>(N) * CCHPAPERNAME);
    std::vector<WORD> Codes(static_cast<size_t>(N));
    if (N > 0) {
        DeviceCapabilitiesA(D.Device(), "", DC_PAPERNAMES, Names.data(), nullptr);
        DeviceCapabilitiesA(D.Device(), "", DC_PAPERS, reinterpret_cast<char*>(Codes.data()), nullptr);
    }
    for (int i = 0; i < N; ++i)
        Strings->AddObject(AnsiString(Names.data() + i * CCHPAPERNAME,
                                      strnlen(Names.data() + i * CCHPAPERNAME, CCHPAPERNAME)),
                           reinterpret_cast<TObject*>(static_cast<intptr_t>(Codes[static_cast<size_t>(i)])));
}

// ---- The job ----

AnsiString TVuPrinter::JobTitle(const AnsiString& DocTitle) const
{
    // Jobs nobody named are not all called "<document>" (a PDF printer makes files of that
    // name): they take the document's title, else the program's.
    if (!Title.empty() && Title != DefaultTitle)
        return Title;
    if (!DocTitle.empty())
        return DocTitle;
    if (Application && !Application->Title().empty())
        return Application->Title();
    return program_invocation_short_name;
}

void TVuPrinter::BeginDoc(const AnsiString& DocTitle)
{
    if (PrintersListed() && !FMetrics->PrinterAvailable()) {
        ShowVuError(this, "Unable to print... No Printer available.");
        return;
    }
    if (!PrintersListed()) {
        ShowVuError(this, "Unable to print... No Printer available.");
        return;
    }
    if (FPrinting)
        return;
    FPrinting = true;
    FAborted = false;
    Integer Index = GetPrinterIndex();
    if (BeforePrint)
        BeforePrint(this);
    if (FAborted)
        return;
    if (GetPrinterIndex() != Index)
        SetPrinterIndex(GetPrinterIndex());
    FPageOrientation = FOrientation;
    AlterOrientation();
    Printer()->SetOrientation(FOrientation == vuLandscape ? poLandscape : poPortrait);
    FMetrics->UpdatePrinter();
    Printer()->SetTitle(JobTitle(DocTitle));
    TScopeExit NotPrinting([this] { FPrinting = false; });
    Printer()->BeginDoc();
    NotPrinting.Dismiss();
    FPageCounter = 1;
    SetDrawingArea(1);
}

void TVuPrinter::NewPage()
{
    if (!FPrinting)
        return;
    Integer N = FPageCounter;
    FPageCounter = N + 1;
    bool NewSheet = PagesPerSheet == vuOnePage || (PagesPerSheet == vuTwoPage && N % 2 == 0) ||
                    (PagesPerSheet == vuFourPage && N % 4 == 0);
    if (NewSheet) {
        TPrinter* P = Printer();
        HDC Dc = P->Handle();
        char Device[129]{}, Driver[129]{}, Port[129]{};
        HGLOBAL Mode = nullptr;
        P->GetPrinter(Device, Driver, Port, Mode);
        auto* Dm = Mode ? static_cast<DEVMODEA*>(GlobalLock(Mode)) : nullptr;
        // Each sheet is turned for the page that starts it, whatever the sheet before was.
        const TVuOrientation Sheet = Dm ? SheetOrientationFor(FPageOrientation) : FOrientation;
        if (Dm) {
            Dm->dmFields |= DM_ORIENTATION;
            Dm->dmOrientation = Sheet == vuPortrait ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
        }
        P->Canvas()->Refresh();
        EndPage(Dc);
        if (Dm && Sheet != FOrientation)
            ResetDCA(Dc, Dm);
        FOrientation = Sheet;
        FMetrics->Orientation = Sheet;
        if (Dm)
            GlobalUnlock(Mode);
        StartPage(Dc);
        P->Canvas()->Refresh();
    }
    SetDrawingArea(N + 1);
}

void TVuPrinter::EndDoc()
{
    if (!FPrinting)
        return;
    FPrinting = false;
    Printer()->EndDoc();
    if (AfterPrint)
        AfterPrint(this);
}

void TVuPrinter::Abort()
{
    if (!FPrinting)
        return;
    if (Printer()->Printing())
        Printer()->Abort();
    FAborted = true;
    FPrinting = false;
    if (OnAbortPrint)
        OnAbortPrint(this);
}

void TVuPrinter::DrawingArea(Integer P, TRect& Area, Integer& Scale)
{
    Integer W = static_cast<Integer>(VuRound(FMetrics->GetPpiX() * FMetrics->GetPhysicalSizeX()));
    Integer H = static_cast<Integer>(VuRound(FMetrics->GetPpiY() * FMetrics->GetPhysicalSizeY()));
    switch (PagesPerSheet) {
    case vuOnePage:
        Area = TRect{0, 0, W, H};
        Scale = 100;
        break;
    case vuTwoPage: {
        if (FOrientation == vuPortrait)
            Area = P % 2 == 1 ? TRect{0, 0, W, H / 2} : TRect{0, H / 2, W, H};
        else
            Area = P % 2 == 1 ? TRect{0, 0, W / 2, H} : TRect{W / 2, 0, W, H};
        // The page (the paper in the page's orientation: outside a job, the one the turned sheet
        // is for) scaled to fit its half whole, so that the two pages of a sheet never overlap.
        const TVuOrientation Page =
            FPrinting ? FPageOrientation : (FOrientation == vuPortrait ? vuLandscape : vuPortrait);
        const Extended Short = std::min(W, H), Long = std::max(W, H);
        const Extended PageW = Page == vuPortrait ? Short : Long, PageH = Page == vuPortrait ? Long : Short;
        // Both halves take the smaller one's scale (W div 2 or H div 2).
        const Extended HalfW = FOrientation == vuPortrait ? W : W / 2,
                       HalfH = FOrientation == vuPortrait ? H / 2 : H;
        const Extended Fit = std::min(HalfW / PageW, HalfH / PageH);
        Scale = std::max<Integer>(1, static_cast<Integer>(std::floor(Fit * 100)));
        break;
    }
    case vuFourPage:
        switch (P % 4) {
        case 1:
            Area = TRect{0, 0, W / 2, H / 2};
            break;
        case 2:
            Area = TRect{W / 2, 0, W, H / 2};
            break;
        case 3:
            Area = TRect{0, H / 2, W / 2, H};
            break;
        default:
            Area = TRect{W / 2, H / 2, W, H};
            break;
        }
        Scale = 49;
        break;
    }
}

void TVuPrinter::SetDrawingArea(Integer P)
{
    TRect Area;
    Integer Scale = 100;
    DrawingArea(P, Area, Scale);
    HDC Dc = Printer()->Canvas()->Handle();
    TRect G = FMetrics->GetGutters(FMetrics->GetOrientation());
    SetMapMode(Dc, MM_ANISOTROPIC);
    SetWindowExtEx(Dc, Area.Right - Area.Left, Area.Bottom - Area.Top, nullptr);
    SetViewportExtEx(Dc, Area.Right - Area.Left, Area.Bottom - Area.Top, nullptr);
    ScaleViewportExtEx(Dc, Scale, 100, Scale, 100, nullptr);
    SetViewportOrgEx(Dc, Area.Left - G.Left, Area.Top - G.Top, nullptr);
}
