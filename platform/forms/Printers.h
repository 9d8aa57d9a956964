#pragma once

// The printer object of the component library: the list of printers, the selected one and its
// device mode, and print jobs drawn on a canvas. Printer() is the program's one printer object.
//
// Without any printer the object still measures: its handle is an information context of an A4
// sheet at 300 dpi with gutters of 65, 50, 58 and 50 pixels, so page layout works on every
// machine; starting a job then raises EPrinter.

#include "platform/forms/Graphics.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringLists.h"
#include "platform/win/Printing.h"

#include <memory>

class EPrinter : public Exception {
public:
    using Exception::Exception;
};

enum TPrinterOrientation { poPortrait, poLandscape };

class TPrinter;

// The canvas of the printer (its class name is what page objects test to leave out what is not
// to be printed). Its fonts take the printer's resolution.
class TPrinterCanvas : public TCanvas {
public:
    explicit TPrinterCanvas(TPrinter* APrinter) : FPrinter(APrinter) {}
    // Points the canvas at the printer's current handle again (after a job started or ended,
    // or the device mode changed).
    void UpdateHandle();

protected:
    void CreateHandle() override;

private:
    TPrinter* FPrinter;
};

class TPrinter : public TObject {
public:
    TPrinter();
    ~TPrinter() override;

    // The printer names, the default printer first selected. Refresh reads the list again.
    TStrings* Printers() const { return FPrinters.get(); }
    void Refresh();
    // -1 with no printers. Setting -1 selects the default printer; other values outside the
    // list raise EPrinter "Printer selected is not valid".
    Integer PrinterIndex() const { return FPrinterIndex; }
    void SetPrinterIndex(Integer Value);

    // Read from and written to the selected printer's device mode; raise EPrinter while printing.
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation Value);
    Integer Copies() const;
    void SetCopies(Integer Value);

    // The job's title (the document name the print server shows).
    const AnsiString& Title() const { return FTitle; }
    void SetTitle(const AnsiString& Value) { FTitle = Value; }

    // The printer DC while printing, else an information context of the selected printer (or
    // of the default sheet when there is none).
    HDC Handle();
    TCanvas* Canvas() const { return FCanvas.get(); }
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    Integer PageNumber() const { return FPageNumber; }
    // The printable area in printer pixels.
    Integer PageWidth();
    Integer PageHeight();

    // The selected printer's names and its device-mode block (owned by the printer object).
    void GetPrinter(char* ADevice, char* ADriver, char* APort, HGLOBAL& ADeviceMode);
    // Selects the printer named ADevice; ADeviceMode becomes its device mode (the printer
    // object takes the block over), or, when null, the printer's defaults are taken. An unknown
    // name raises EPrinter.
    void SetPrinter(const char* ADevice, const char* ADriver, const char* APort, HGLOBAL ADeviceMode);

    // Job control; failures (no printer, a job already running, the printer or print server
    // failing) raise EPrinter with the reason, and a failed job is never reported as printed.
    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();

private:
    void SelectPrinter(Integer Index, HGLOBAL DeviceMode);
    void FreeHandle();
    DEVMODEA* LockMode() const;
    void UnlockMode() const;
    void CheckNotPrinting() const;
    void RaiseJobError(const AnsiString& What);

    std::unique_ptr<TStringList> FPrinters;
    Integer FPrinterIndex = -1;
    HGLOBAL FDeviceMode = nullptr;
    TPrinterOrientation FDefaultOrientation = poPortrait; // without printers
    AnsiString FTitle;
    TOwnedDC FDC; // IC or job DC; the canvas lets go of it before it is deleted
    bool FHandleIsIC = true;
    std::unique_ptr<TPrinterCanvas> FCanvas;
    bool FPrinting = false;
    bool FAborted = false;
    Integer FPageNumber = 0;
};

// The program's printer object, made on first use.
TPrinter* Printer();
// Replaces it (tests; the previous one is returned and no longer owned).
TPrinter* SetPrinter(TPrinter* NewPrinter);
