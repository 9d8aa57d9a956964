#include "platform/forms/Printers.h"

#include "platform/win/Backend.h"

#include <cstdlib>
#include <cstring>

namespace {

// The sheet assumed without printers: A4 at 300 dpi and its usual gutters.
constexpr int DefaultDpi = 300;
constexpr int DefaultWidth = 2481, DefaultHeight = 3507;
constexpr int GutterLeft = 65, GutterTop = 50, GutterRight = 58, GutterBottom = 50;

HDC DefaultSheetIC(TPrinterOrientation Orientation)
{
    HDC DC = CreateMeasuringDC(DefaultDpi, DefaultDpi);
    bool Landscape = Orientation == poLandscape;
    int W = Landscape ? DefaultHeight : DefaultWidth, H = Landscape ? DefaultWidth : DefaultHeight;
    // Landscape turns the sheet: the portrait top gutter is on the left, the right one on top.
    int L = Landscape ? GutterTop : GutterLeft, T = Landscape ? GutterRight : GutterTop;
    int R = Landscape ? GutterBottom : GutterRight, B = Landscape ? GutterLeft : GutterBottom;
    SetDCDeviceCaps(DC, TECHNOLOGY, DT_RASPRINTER);
    SetDCDeviceCaps(DC, PHYSICALWIDTH, W);
    SetDCDeviceCaps(DC, PHYSICALHEIGHT, H);
    SetDCDeviceCaps(DC, PHYSICALOFFSETX, L);
    SetDCDeviceCaps(DC, PHYSICALOFFSETY, T);
    SetDCDeviceCaps(DC, HORZRES, W - L - R);
    SetDCDeviceCaps(DC, VERTRES, H - T - B);
    SetDCDeviceCaps(DC, HORZSIZE, MulDiv(W - L - R, 254, DefaultDpi * 10));
    SetDCDeviceCaps(DC, VERTSIZE, MulDiv(H - T - B, 254, DefaultDpi * 10));
    return DC;
}

void CopyName(char* Dest, const std::string& Source)
{
    if (!Dest)
        return;
    // The callers' buffers hold 129 characters (with the terminator); longer names are cut.
    std::size_t N = std::min<std::size_t>(Source.size(), 128);
    std::memcpy(Dest, Source.data(), N);
    Dest[N] = '\0';
}

TPrinter* Current = nullptr;

void ReleasePrinter()
{
    delete Current;
    Current = nullptr;
}

// The printer object is released at exit (a job still running is aborted, its file removed).
// What it uses then (device contexts, memory blocks, the job log, the backend) is made before the
// exit handler is registered, so that it outlives the handler.
void RegisterRelease()
{
    static bool Registered = false;
    if (Registered)
        return;
    Registered = true;
    DeleteDC(CreateMeasuringDC(96, 96));
    GlobalFree(GlobalAlloc(GHND, 1));
    PrintJobLog();
    ListPrinters();
    Backend();
    std::atexit(ReleasePrinter);
}

} // namespace

// ---- TPrinterCanvas ---------------------------------------------------------------------------

void TPrinterCanvas::CreateHandle()
{
    UpdateHandle();
}

void TPrinterCanvas::UpdateHandle()
{
    HDC DC = FPrinter->Handle();
    if (DC == FHandle)
        return;
    SetHandle(DC);
    if (!DC)
        return;
    // Fonts keep their point size at the printer's resolution.
    Integer Size = Font()->Size();
    Font()->SetPixelsPerInch(GetDeviceCaps(DC, LOGPIXELSY));
    Font()->SetSize(Size);
}

// ---- TPrinter ---------------------------------------------------------------------------------

TPrinter::TPrinter()
    : FPrinters(std::make_unique<TStringList>()), FCanvas(std::make_unique<TPrinterCanvas>(this))
{
    Refresh();
}

TPrinter::~TPrinter()
{
    if (FPrinting)
        Abort();
    FCanvas->SetHandle(nullptr);
    FreeHandle();
    if (FDeviceMode)
        GlobalFree(FDeviceMode);
}

void TPrinter::Refresh()
{
    CheckNotPrinting();
    std::string Current = FPrinterIndex >= 0 && FPrinterIndex < FPrinters->Count()
                              ? std::string(FPrinters->Strings(FPrinterIndex))
                              : std::string();
    ReloadPrinters();
    FPrinters->Clear();
    for (const auto& P : ListPrinters())
        FPrinters->Add(P.Name);
    Integer Index = FPrinters->IndexOf(Current);
    if (Index >= 0 && Index == FPrinterIndex)
        return;
    SelectPrinter(Index >= 0 ? Index : FPrinters->IndexOf(DefaultPrinterName()), nullptr);
}

void TPrinter::SetPrinterIndex(Integer Value)
{
    CheckNotPrinting();
    if (Value == -1)
        Value = FPrinters->IndexOf(DefaultPrinterName());
    else if (Value < 0 || Value >= FPrinters->Count())
        throw EPrinter("Printer selected is not valid");
    SelectPrinter(Value, nullptr);
}

void TPrinter::SelectPrinter(Integer Index, HGLOBAL DeviceMode)
{
    FreeHandle();
    if (FDeviceMode && FDeviceMode != DeviceMode)
        GlobalFree(FDeviceMode);
    FDeviceMode = nullptr;
    FPrinterIndex = Index;
    if (Index < 0) {
        if (DeviceMode)
            GlobalFree(DeviceMode);
        return;
    }
    std::string Name = FPrinters->Strings(Index);
    if (DeviceMode && GlobalSize(DeviceMode) >= sizeof(DEVMODEA)) {
        FDeviceMode = DeviceMode;
    } else {
        if (DeviceMode)
            GlobalFree(DeviceMode);
        FDeviceMode = CreateDefaultDevMode(Name);
    }
    FCanvas->UpdateHandle();
}

DEVMODEA* TPrinter::LockMode() const
{
    return FDeviceMode ? static_cast<DEVMODEA*>(GlobalLock(FDeviceMode)) : nullptr;
}

void TPrinter::UnlockMode() const
{
    if (FDeviceMode)
        GlobalUnlock(FDeviceMode);
}

void TPrinter::CheckNotPrinting() const
{
    if (FPrinting)
        throw EPrinter("Printing in progress");
}

void TPrinter::FreeHandle()
{
    if (!FDC)
        return;
    if (FCanvas && FCanvas->HandleAllocated())
        FCanvas->SetHandle(nullptr);
    FDC.reset();
}

HDC TPrinter::Handle()
{
    if (FDC)
        return FDC.get();
    if (FPrinterIndex < 0) {
        FDC.reset(DefaultSheetIC(FDefaultOrientation));
    } else {
        std::string Name = FPrinters->Strings(FPrinterIndex);
        DEVMODEA* Mode = LockMode();
        FDC.reset(CreateICA(nullptr, Name.c_str(), nullptr, Mode));
        UnlockMode();
        // A printer that went away since the list was read still measures like a sheet.
        if (!FDC)
            FDC.reset(
                DefaultSheetIC(Mode && Mode->dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait));
    }
    FHandleIsIC = true;
    FCanvas->UpdateHandle();
    return FDC.get();
}

TPrinterOrientation TPrinter::Orientation() const
{
    DEVMODEA* Mode = LockMode();
    TPrinterOrientation Result = FDefaultOrientation;
    if (Mode)
        Result = Mode->dmOrientation == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
    UnlockMode();
    return Result;
}

void TPrinter::SetOrientation(TPrinterOrientation Value)
{
    CheckNotPrinting();
    FDefaultOrientation = Value;
    if (DEVMODEA* Mode = LockMode()) {
        Mode->dmFields |= DM_ORIENTATION;
        Mode->dmOrientation = Value == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        UnlockMode();
    }
    FreeHandle();
}

Integer TPrinter::Copies() const
{
    DEVMODEA* Mode = LockMode();
    Integer Result = Mode ? Mode->dmCopies : 1;
    UnlockMode();
    return Result;
}

void TPrinter::SetCopies(Integer Value)
{
    CheckNotPrinting();
    if (DEVMODEA* Mode = LockMode()) {
        Mode->dmFields |= DM_COPIES;
        Mode->dmCopies = SHORT(std::clamp<Integer>(Value, 1, 9999));
        UnlockMode();
    }
}

Integer TPrinter::PageWidth()
{
    return GetDeviceCaps(Handle(), HORZRES);
}

Integer TPrinter::PageHeight()
{
    return GetDeviceCaps(Handle(), VERTRES);
}

void TPrinter::GetPrinter(char* ADevice, char* ADriver, char* APort, HGLOBAL& ADeviceMode)
{
    ADeviceMode = FDeviceMode;
    const PrinterDescription* P =
        FPrinterIndex >= 0 ? FindPrinter(std::string(FPrinters->Strings(FPrinterIndex))) : nullptr;
    CopyName(ADevice, FPrinterIndex >= 0 ? std::string(FPrinters->Strings(FPrinterIndex)) : std::string());
    CopyName(ADriver, P ? P->Driver : std::string());
    CopyName(APort, P ? P->Port : std::string());
}

void TPrinter::SetPrinter(const char* ADevice, const char*, const char*, HGLOBAL ADeviceMode)
{
    CheckNotPrinting();
    Integer Index = FPrinters->IndexOf(ADevice ? ADevice : "");
    if (Index < 0)
        throw EPrinter("Printer selected is not valid");
    if (Index == FPrinterIndex && ADeviceMode == FDeviceMode && ADeviceMode) {
        // The same block handed back after changes: the metrics follow it.
        FreeHandle();
        FCanvas->UpdateHandle();
        return;
    }
    SelectPrinter(Index, ADeviceMode);
}

void TPrinter::RaiseJobError(const AnsiString& What)
{
    std::string Why = FDC ? GetPrintError(FDC.get()) : std::string();
    FPrinting = false;
    FreeHandle();
    throw EPrinter(Why.empty() ? What : What + ": " + Why);
}

void TPrinter::BeginDoc()
{
    CheckNotPrinting();
    if (FPrinterIndex < 0)
        throw EPrinter("There is no default printer currently selected");
    std::string Name = FPrinters->Strings(FPrinterIndex);
    FreeHandle();
    DEVMODEA* Mode = LockMode();
    FDC.reset(CreateDCA(nullptr, Name.c_str(), nullptr, Mode));
    UnlockMode();
    if (!FDC)
        throw EPrinter("The printer \"" + Name + "\" is not available");
    FHandleIsIC = false;
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
    DOCINFOA Doc;
    Doc.lpszDocName = FTitle.c_str();
    if (StartDocA(FDC.get(), &Doc) <= 0)
        RaiseJobError("Printing could not start");
    if (StartPage(FDC.get()) <= 0) {
        AbortDoc(FDC.get());
        RaiseJobError("Printing could not start");
    }
    FCanvas->UpdateHandle();
}

void TPrinter::NewPage()
{
    if (!FPrinting)
        throw EPrinter("Printer is not currently printing");
    FCanvas->Refresh();
    if (EndPage(FDC.get()) <= 0)
        RaiseJobError("Printing failed");
    if (StartPage(FDC.get()) <= 0) {
        AbortDoc(FDC.get());
        RaiseJobError("Printing failed");
    }
    ++FPageNumber;
}

void TPrinter::EndDoc()
{
    if (!FPrinting)
        throw EPrinter("Printer is not currently printing");
    FCanvas->Refresh();
    if (::EndDoc(FDC.get()) <= 0)
        RaiseJobError("Printing failed");
    FPrinting = false;
    FAborted = false;
    FPageNumber = 0;
    FreeHandle();
    FCanvas->UpdateHandle();
}

void TPrinter::Abort()
{
    if (!FPrinting)
        throw EPrinter("Printer is not currently printing");
    AbortDoc(FDC.get());
    FPrinting = false;
    FAborted = true;
    FPageNumber = 0;
    FreeHandle();
}

TPrinter* Printer()
{
    if (!Current) {
        RegisterRelease();
        Current = new TPrinter;
    }
    return Current;
}

TPrinter* SetPrinter(TPrinter* NewPrinter)
{
    RegisterRelease();
    TPrinter* Old = Current;
    Current = NewPrinter;
    return Old;
}
