#pragma once
// The print document's printer: settings kept in the device mode of the platform's selected
// printer, device metrics with fixed fallbacks (an A4 sheet at 300 dpi) when no printer can be
// reached, and the print job that maps each printed page onto the whole sheet, one half or one
// quarter of it.
#include "platform/forms/Printers.h"
#include "print/VuTypes.h"

#include <memory>

// DMPAPER code of a paper size (Custom: -1) and back (unknown codes: Custom).
Integer AsDmPaperSize(TVuPaperSize PaperSize);
TVuPaperSize AsVuPaperSize(Integer DmPaperSize);

// Device metrics of the selected printer, read in portrait.
class TVuPrinterInfo : public TObject {
public:
    TVuPrinterInfo();
    ~TVuPrinterInfo() override;

    bool PrinterAvailable();
    void ResetPrinter();
    void UpdatePrinter();
    void UseDefaultValues();
    void Invalidate() { FValid = false; }

    Integer GetPpiX();
    Integer GetPpiY();
    Extended GetPhysicalSizeX(); // inches, following the printer's orientation
    Extended GetPhysicalSizeY();
    Extended GetPrintableSizeX();
    Extended GetPrintableSizeY();
    Integer GetAvailableWidth();
    Integer GetAvailableHeight();
    // Portrait gutters (left, top, right, bottom) in pixels, turned for landscape.
    TRect GetGutters(TVuOrientation Orientation);
    TVuRect GetGuttersInch(TVuOrientation Orientation);
    TVuOrientation GetOrientation();
    TVuPrinterRotation GetOrientationRotation();
    Extended ScreenRatio() const { return FScreenRatio; }
    bool NoUsablePrinter() const { return FNoPrinter; }

    // Opens the selected printer's device mode (false without one); VuClosePrinter hands it
    // back to the platform printer.
    bool VuOpenPrinter();
    void VuClosePrinter();
    DEVMODEA* DeviceMode() const { return FDevMode; }
    // The selected printer's full name while the device mode is open (the device mode's own
    // name field holds only its first 31 characters).
    const char* DeviceName() const { return FDevice; }

    TVuOrientation Orientation = vuPortrait; // recorded with the metrics

private:
    void Refresh()
    {
        if (!FValid)
            UpdatePrinter();
    }
    char FDevice[129]{}, FDriver[129]{}, FPort[129]{};
    HGLOBAL FDevModeHandle = nullptr;
    DEVMODEA* FDevMode = nullptr;
    Integer FPhysWidth = 0, FPhysHeight = 0, FPrintWidth = 0, FPrintHeight = 0;
    TRect FGutters;
    Integer FResX = 300, FResY = 300;
    TVuPrinterRotation FRotation = vuRotate90;
    Extended FScreenRatio = 0;
    bool FValid = false;
    bool FNoPrinter = false;
};

class TVuPrinter : public TPersistent {
public:
    TVuPrinter();
    ~TVuPrinter() override;

    // Device-mode settings (defaults when there is no printer: see the getters).
    bool Collate();
    void SetCollate(bool Value);
    TVuDuplexType Duplex();
    void SetDuplex(TVuDuplexType Value);
    Integer PrintCopies();
    void SetPrintCopies(Integer Value);
    TVuPrintColor PrintColor();
    void SetPrintColor(TVuPrintColor Value);
    TVuDitherType DitherType();
    void SetDitherType(TVuDitherType Value);
    TVuPrintQuality PrintQuality();
    void SetPrintQuality(TVuPrintQuality Value);
    TVuPaperSize GetPaperSize();
    void SetVuPaperSize(TVuPaperSize Value);
    void SetDMPaperSize(Integer Code);
    Integer GetPrinterBinIndex();
    void SetPrinterBinIndex(Integer Index);
    bool GetIsColorPrinter();
    // Tenths of a millimetre; a custom paper size uses them when the length is above 0.
    Integer CustomPaperWidth = 0;
    Integer CustomPaperLength = 0;

    bool ReversePrintOrder = false; // stored only
    static constexpr const char* DefaultTitle = "<document>";
    AnsiString Title = DefaultTitle;
    // The name the job is given: Title when someone set one, otherwise DocTitle when given,
    // otherwise the program's title.
    AnsiString JobTitle(const AnsiString& DocTitle) const;
    TNotifyEvent AfterPrint, BeforePrint, OnAbortPrint, OnChangePrinter;

    TStrings* GetPrinters() { return Printer()->Printers(); }
    Integer GetPrinterIndex() { return Printer()->PrinterIndex(); }
    Integer GetIndexOf(const AnsiString& Name) { return GetPrinters()->IndexOf(Name); }
    bool GetPrinterSelected() { return GetPrinters()->Count() > 0; }
    TCanvas* GetCanvas() { return Printer()->Canvas(); }
    HDC GetHandle() { return Printer()->Handle(); }
    // Selects a printer with its default device mode and fires OnChangePrinter.
    void SetPrinterIndex(Integer Index);

    // The sheet orientation. Setting it during a job gives the orientation of the pages that
    // follow instead: the next sheet NewPage starts is turned for them.
    TVuOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TVuOrientation Value);
    // Two pages to a sheet turn the sheet.
    void AlterOrientation();
    TVuPagesPerSheet PagesPerSheet = vuOnePage;

    TVuSize GetPaperDimensions(TVuMeasurement M);
    Extended GetAvailableWidth(TVuMeasurement M);
    Extended GetAvailableHeight(TVuMeasurement M);
    Extended GetPrinterWidth(TVuMeasurement M);
    Extended GetPrinterHeight(TVuMeasurement M);
    TStrings* GetPrinterBins();
    void GetPaperNames(TStrings* Strings);
    TVuPrinterInfo* Metrics() { return FMetrics.get(); }

    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    Integer PageCounter() const { return FPageCounter; }
    // Starts a job (named by JobTitle). Without a reachable printer shows "Unable to
    // print... No Printer available." and starts nothing.
    void BeginDoc(const AnsiString& DocTitle = "");
    // The next page: a new sheet when the current one is full; then its drawing area.
    void NewPage();
    void EndDoc();
    void Abort();
    // Maps page P of the job onto its part of the sheet (see VuPrinter.cpp).
    void SetDrawingArea(Integer PageCounter);
    // The area and scale SetDrawingArea uses for page P (device pixels of the sheet, percent).
    void DrawingArea(Integer PageCounter, TRect& Area, Integer& Scale);

private:
    bool FAborted = false;
    TVuOrientation FOrientation = vuPortrait;     // of the sheet (under way, during a job)
    TVuOrientation FPageOrientation = vuPortrait; // of the page being placed
    // The sheet a page of Page's orientation starts: turned when two go to a sheet.
    TVuOrientation SheetOrientationFor(TVuOrientation Page) const;
    Integer FPageCounter = 0;
    std::unique_ptr<TStringList> FBins;
    bool FPrinting = false;
    std::unique_ptr<TVuPrinterInfo> FMetrics;
};
