#pragma once

// The common dialogs: open and save (filters, default extension, options), colour, font, print
// and printer setup. Execute asks, in order: an answer queued in advance (tests queue them, see
// platform/win/DialogAnswers.h), then the desktop's own dialog through the backend. It returns
// true when the person confirmed, false when cancelled or when no dialog could be shown.

#include "platform/forms/Graphics.h"
#include "platform/rtl/Components.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/StringLists.h"
#include "platform/win/Windows.h"

#include <memory>

class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
    virtual bool Execute() = 0;

    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value) { FCtl3D = Value; }
    Integer HelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value) { FHelpContext = Value; }

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

protected:
    // The window the dialog is modal to: the active form's.
    HWND OwnerWindow() const;
    void DoShow();
    void DoClose();

private:
    bool FCtl3D = true;
    Integer FHelpContext = 0;
};

enum TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
    ofDontAddToRecent,
    ofForceShowHidden
};
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TCommonDialog {
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;

    // Added to a chosen name that has no extension of its own ("csv", without the dot).
    const AnsiString& DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const AnsiString& Value) { FDefaultExt = Value; }
    const AnsiString& FileName() const { return FFileName; }
    void SetFileName(const AnsiString& Value) { FFileName = Value; }
    // Every file chosen (one unless ofAllowMultiSelect).
    TStrings* Files() const { return FFiles.get(); }
    // "Description|pattern;pattern|Description|pattern…".
    const AnsiString& Filter() const { return FFilter; }
    void SetFilter(const AnsiString& Value) { FFilter = Value; }
    Integer FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(Integer Value) { FFilterIndex = Value; }
    const AnsiString& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const AnsiString& Value) { FInitialDir = Value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }
    const AnsiString& Title() const { return FTitle; }
    void SetTitle(const AnsiString& Value) { FTitle = Value; }

    bool Execute() override;

    TNotifyEvent OnSelectionChange;
    TNotifyEvent OnTypeChange;

protected:
    virtual bool IsSave() const { return false; }

private:
    AnsiString FDefaultExt;
    AnsiString FFileName;
    std::unique_ptr<TStringList> FFiles;
    AnsiString FFilter;
    Integer FFilterIndex = 1;
    AnsiString FInitialDir;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
    AnsiString FTitle;
};

class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;

protected:
    bool IsSave() const override { return true; }
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TSet<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
public:
    explicit TColorDialog(TComponent* AOwner);
    ~TColorDialog() override;
    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    // "ColorA=RRGGBB" … "ColorP=…", as the platform keeps them.
    TStrings* CustomColors() const { return FCustomColors.get(); }
    TColorDialogOptions Options() const { return FOptions; }
    void SetOptions(TColorDialogOptions Value) { FOptions = Value; }
    bool Execute() override;

private:
    TColor FColor = 0;
    std::unique_ptr<TStringList> FCustomColors;
    TColorDialogOptions FOptions;
};

enum TFontDialogOption {
    fdAnsiOnly,
    fdTrueTypeOnly,
    fdEffects,
    fdFixedPitchOnly,
    fdForceFontExist,
    fdNoFaceSel,
    fdNoOEMFonts,
    fdNoSimulations,
    fdNoSizeSel,
    fdNoStyleSel,
    fdNoVectorFonts,
    fdShowHelp,
    fdWysiwyg,
    fdLimitSize,
    fdScalableOnly,
    fdApplyButton
};
using TFontDialogOptions = TSet<TFontDialogOption>;

class TFontDialog : public TCommonDialog {
public:
    explicit TFontDialog(TComponent* AOwner);
    ~TFontDialog() override;
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TFontDialogOptions Options() const { return FOptions; }
    void SetOptions(TFontDialogOptions Value) { FOptions = Value; }
    // With fdLimitSize, a chosen size is kept within these (0: no bound).
    Integer MinFontSize() const { return FMinFontSize; }
    void SetMinFontSize(Integer Value) { FMinFontSize = Value; }
    Integer MaxFontSize() const { return FMaxFontSize; }
    void SetMaxFontSize(Integer Value) { FMaxFontSize = Value; }
    bool Execute() override;

private:
    std::unique_ptr<TFont> FFont;
    TFontDialogOptions FOptions{fdEffects};
    Integer FMinFontSize = 0, FMaxFontSize = 0;
};

enum TPrintRange { prAllPages, prSelection, prPageNums };
enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TPrintDialogOptions = TSet<TPrintDialogOption>;

class TPrintDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    bool Collate() const { return FCollate; }
    void SetCollate(bool Value) { FCollate = Value; }
    Integer Copies() const { return FCopies; }
    void SetCopies(Integer Value) { FCopies = Value; }
    Integer FromPage() const { return FFromPage; }
    void SetFromPage(Integer Value) { FFromPage = Value; }
    Integer ToPage() const { return FToPage; }
    void SetToPage(Integer Value) { FToPage = Value; }
    Integer MinPage() const { return FMinPage; }
    void SetMinPage(Integer Value) { FMinPage = Value; }
    Integer MaxPage() const { return FMaxPage; }
    void SetMaxPage(Integer Value) { FMaxPage = Value; }
    TPrintDialogOptions Options() const { return FOptions; }
    void SetOptions(TPrintDialogOptions Value) { FOptions = Value; }
    TPrintRange PrintRange() const { return FPrintRange; }
    void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
    bool PrintToFile() const { return FPrintToFile; }
    void SetPrintToFile(bool Value) { FPrintToFile = Value; }
    // The printer chosen (empty: the current one was kept).
    const AnsiString& PrinterName() const { return FPrinterName; }
    bool Execute() override;

private:
    bool FCollate = false;
    Integer FCopies = 1;
    Integer FFromPage = 0, FToPage = 0, FMinPage = 0, FMaxPage = 0;
    TPrintDialogOptions FOptions;
    TPrintRange FPrintRange = prAllPages;
    bool FPrintToFile = false;
    AnsiString FPrinterName;
};

class TPrinterSetupDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    const AnsiString& PrinterName() const { return FPrinterName; }
    bool Execute() override;

private:
    AnsiString FPrinterName;
};

// The filter string split into (description, patterns) pairs; a description without its
// pattern part is dropped.
std::vector<std::pair<AnsiString, AnsiString>> ParseDialogFilter(const AnsiString& Filter);
