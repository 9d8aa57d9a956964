#pragma once

// Small objects the string grid owns: an integer list that reports changes with its cell, the
// multi-column sort order, the arrow windows and the popup button of row and column moving, the
// list of controls placed in cells, a picture held by file name and a string list with a line
// cursor for the text-file reader and writer. Plus the system tests the grid button and the check
// box share.

#include "platform/forms/ActnList.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/Controls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/StringLists.h"

#include <array>
#include <functional>
#include <memory>

using TImageChangeEvent = std::function<void(TObject* Sender, Integer Acol, Integer Arow)>;

// Integers of one cell (or of the grid when the cell is -1, -1). SetInteger, Add and Delete
// report the change through OnChange; Insert does not.
class TIntList : public TList {
public:
    TIntList(Integer Col, Integer Row) : FCol(Col), FRow(Row) {}

    Integer GetInteger(Integer Index) const;
    void SetInteger(Integer Index, Integer Value);
    Integer Items(Integer Index) const { return GetInteger(Index); }
    Integer Add(Integer Value);
    void Insert(Integer Index, Integer Value);
    void Delete(Integer Index);
    // Deletes the first item equal to Value (with the change report); nothing when absent.
    void DeleteValue(Integer Value);
    bool HasValue(Integer Value) const;
    Integer IndexOfValue(Integer Value) const;

    // The items as "3,-1,7"; empty for an empty list.
    AnsiString GetStrValue() const;
    // Replaces the items by those of a comma text ("4, 5" gives two). An item that is not an
    // integer raises EConvertError and leaves the list as it was.
    void SetStrValue(const AnsiString& Value);

    Integer Col() const { return FCol; }
    Integer Row() const { return FRow; }

    TImageChangeEvent OnChange;

private:
    void Changed();
    Integer FCol, FRow;
};

// The sort columns in priority order: bits 0-30 the column, bit 31 set for descending.
class TSortIndexList : public TIntList {
public:
    TSortIndexList() : TIntList(-1, -1) {}

    void AddIndex(Integer ColumnIndex, bool Ascending);
    // Position of the first item for the column (direction ignored); -1 when absent.
    Integer FindIndex(Integer ColumnIndex) const;
    // Flips the direction of the column; nothing when absent.
    void ToggleIndex(Integer ColumnIndex);
    Integer GetSortColumns(Integer Index) const;
    void SetSortColumns(Integer Index, Integer Value);
    // True for ascending.
    bool GetSortDirections(Integer Index) const;
    void SetSortDirections(Integer Index, bool Value);

    // "u2;d0": "u" ascending or "d" descending, then the column's low 16 bits.
    AnsiString SaveToString() const;
    // Reads the form above. Entries shorter than two characters and entries whose column is not
    // a non-negative number are skipped; any first letter but "u" means descending.
    void LoadFromString(const AnsiString& Value);
};

enum TArrowDirection { arrUp, arrDown, arrLeft, arrRight };

// A small lime arrow-shaped popup the grid places where a moved row or column will land.
class TArrowWindow : public TPanel {
public:
    TArrowWindow(TComponent* AOwner, TArrowDirection Direction);
    TArrowDirection Direction() const { return FDirection; }
    // The arrow polygon of the direction, in pixels of the window.
    const std::array<TPoint, 7>& Arrow() const { return FArrow; }
    static std::array<TPoint, 7> ArrowPoints(TArrowDirection Direction);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;

private:
    TArrowDirection FDirection;
    std::array<TPoint, 7> FArrow;
};

// A top-most popup that never takes focus: the floating button of row and column moving.
class TPopupButton : public TCustomControl {
public:
    explicit TPopupButton(TComponent* AOwner);

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TColor GradFrom() const { return FGradFrom; }
    void SetGradFrom(TColor Value);
    TColor GradTo() const { return FGradTo; }
    void SetGradTo(TColor Value);
    TColor GradMirrorFrom() const { return FGradMirrorFrom; }
    void SetGradMirrorFrom(TColor Value);
    TColor GradMirrorTo() const { return FGradMirrorTo; }
    void SetGradMirrorTo(TColor Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value) { FImages = Value; }

    // Paints the button onto Canvas in a ClientWidth x ClientHeight area (also used by Paint).
    void PaintTo(TCanvas* ACanvas, const TRect& Client);

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;

private:
    AnsiString FCaption;
    bool FFlat = false;
    TColor FGradFrom = clNone, FGradTo = clNone, FGradMirrorFrom = 0, FGradMirrorTo = 0;
    TCustomImageList* FImages = nullptr;
};

class TControlItem : public TObject {
public:
    TControlItem(Integer AX, Integer AY, TControl* AControl) : X(AX), Y(AY), Control(AControl) {}
    Integer X, Y;
    TControl* Control;
};

// The controls placed in cells. Owns its items, not their controls; a control destroyed
// elsewhere drops out of the list by itself.
class TControlList : public TList {
public:
    TControlList();
    ~TControlList() override;

    void AddControl(Integer X, Integer Y, TControl* AControl);
    Integer ControlIndex(Integer X, Integer Y) const;
    TControlItem* GetControl(Integer Index) const;
    bool HasHandle(HWND Handle) const;
    void RemoveControl(Integer Index);

private:
    class TWatcher;
    void ControlDestroyed(TComponent* AControl);
    std::unique_ptr<TWatcher> FWatcher;
};

// A picture named by its file. The file is read when the name is set and again only when it
// changed on disk; drawing a picture whose file went missing draws nothing.
class TFilePicture : public TPersistent {
public:
    TFilePicture();
    ~TFilePicture() override;
    void Assign(TPersistent* Source) override;

    const AnsiString& Filename() const { return FFilename; }
    // Reads the picture's size; a missing or unreadable file raises the picture loader's error.
    void SetFilename(const AnsiString& Value);
    Integer Width() const { return FWidth; }
    Integer Height() const { return FHeight; }
    void DrawPicture(TCanvas* Canvas, const TRect& R);

private:
    bool LoadCached();
    AnsiString FFilename;
    Integer FWidth = 0, FHeight = 0;
    std::unique_ptr<TPicture> FCache;
    AnsiString FCachedName;
    long long FCachedTime = 0;
};

// A string list with a line cursor for reading and a pending line for writing.
class TFileStringList : public TStringList {
public:
    void Reset();
    bool GetEOF() const { return FCursor >= Count(); }
    bool Eof() const { return GetEOF(); }
    // The line at the cursor; reading past the end raises the list's index error.
    void ReadLn(AnsiString& S);
    void Write(const AnsiString& S) { FPending += S; }
    void WriteLn(const AnsiString& S);

private:
    Integer FCursor = 0;
    AnsiString FPending;
};

// ---- Shared system tests ---------------------------------------------------------------------

// The most significant version double word of a library's version information; -1 when none.
Integer GetFileVersion(const AnsiString& FileName);
// The system is 5.1 or later (always on this platform).
bool IsWinXPSystem();
// Themes are active and the common controls are version 6 or later.
bool IsVisualStylesActive();
// 1 "NormalColor", 2 "HomeStead", 3 "Metallic", 0 otherwise or without an active theme.
Integer CurrentXPColorScheme();
// The grid button's banded gradient: Bands bands (0 taken as 1) of colours from FromColor to
// ToColor, left to right when Horizontal, then a frame in BorderColor unless it is clNone.
void DrawBandedGradient(TCanvas* Canvas, TColor FromColor, TColor ToColor, bool Horizontal, const TRect& R,
                        Integer Bands, TColor BorderColor);

// ---- Check box -------------------------------------------------------------------------------

// A self-drawn three-state check box: the theme's check box when visual styles are in use, the
// classic frame control otherwise; the box left or right, at the top, middle or bottom;
// optionally transparent over its parent. A release of any mouse button inside the control after
// a press on it, Space and the caption's accelerator toggle it.
class TDirEdaduVer : public TCustomControl {
public:
    explicit TDirEdaduVer(TComponent* AOwner);
    ~TDirEdaduVer() override;

    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight Value);
    TTextLayout ButtonVertAlign() const { return FButtonVertAlign; }
    void SetButtonVertAlign(TTextLayout Value);
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    bool GetChecked() const { return FState == cbChecked; }
    bool Checked() const { return GetChecked(); }
    void SetChecked(bool Value);
    bool Ellipsis() const { return FEllipsis; }
    void SetEllipsis(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool ReturnIsTab() const { return FReturnIsTab; }
    void SetReturnIsTab(bool Value) { FReturnIsTab = Value; }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    // Flips Checked unless ReadOnly (a grayed box becomes checked); fires nothing.
    virtual void Toggle();

    // The box's 20-pixel strip over the full client height, on the box's side.
    TRect BoxStrip();
    // Where the box is drawn in the client area (themed 14 x 14, classic 13 x 13).
    TRect BoxRect();
    bool Pressed() const { return FPressed; }
    bool Hot() const { return FHot; }

    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void WndProc(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;

private:
    void InvalidateStrip(bool Erase);
    void PaintParentBackground();
    TLeftRight FAlignment = taLeftJustify;
    TTextLayout FButtonVertAlign = tlTop;
    AnsiString FCaption;
    bool FEllipsis = false;
    bool FReadOnly = false;
    bool FReturnIsTab = false;
    TCheckBoxState FState = cbUnchecked;
    bool FTransparent = false;
    bool FPressed = false, FFocused = false, FHot = false, FMousePressed = false, FSpacePressed = false;
    bool FIsWinXP = false;
    std::unique_ptr<TBitmap> FBackground;
    bool FBackgroundValid = false;
};

// ---- Grid button -------------------------------------------------------------------------------

enum TRudUvudButtonStyle { tasButton, tasCheck };

class TRudUvudButton;

// Binds caption, checked state and group index of an action to a grid button.
class TRudUvudButtonActionLink : public TControlActionLink {
public:
    explicit TRudUvudButtonActionLink(TObject* AClient);
    void AssignClient(TObject* AClient);
    bool IsCaptionLinked() override;
    bool IsCheckedLinked() override;
    bool IsGroupIndexLinked() override;
    void SetCaption(const AnsiString& Value) override;
    void SetChecked(bool Value) override;
    void SetGroupIndex(Integer Value) override;

protected:
    TRudUvudButton* FButton = nullptr;
};

// A windowless speed button with colour sets for its normal, hot, down and checked looks,
// gradients, rounded corners, a drop-down arrow zone, glyph variants with a grey shadow,
// exclusive groups and a check style.
class TRudUvudButton : public TGraphicControl {
public:
    explicit TRudUvudButton(TComponent* AOwner);
    ~TRudUvudButton() override;

    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    bool AutoThemeAdapt() const { return FAutoThemeAdapt; }
    void SetAutoThemeAdapt(bool Value);
    bool AutoXPStyle() const { return FAutoXPStyle; }
    void SetAutoXPStyle(bool Value) { FAutoXPStyle = Value; }
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    TColor BorderDownColor() const { return FBorderDownColor; }
    void SetBorderDownColor(TColor Value) { FBorderDownColor = Value; }
    TColor BorderHotColor() const { return FBorderHotColor; }
    void SetBorderHotColor(TColor Value) { FBorderHotColor = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor ColorTo() const { return FColorTo; }
    void SetColorTo(TColor Value);
    TColor ColorHot() const { return FColorHot; }
    void SetColorHot(TColor Value) { FColorHot = Value; }
    TColor ColorHotTo() const { return FColorHotTo; }
    void SetColorHotTo(TColor Value) { FColorHotTo = Value; }
    TColor ColorDown() const { return FColorDown; }
    void SetColorDown(TColor Value) { FColorDown = Value; }
    TColor ColorDownTo() const { return FColorDownTo; }
    void SetColorDownTo(TColor Value) { FColorDownTo = Value; }
    TColor ColorChecked() const { return FColorChecked; }
    void SetColorChecked(TColor Value);
    TColor ColorCheckedTo() const { return FColorCheckedTo; }
    void SetColorCheckedTo(TColor Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool DropDownButton() const { return FDropDownButton; }
    void SetDropDownButton(bool Value);
    TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(TPopupMenu* Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    TBitmap* GlyphHot() const { return FGlyphHot.get(); }
    void SetGlyphHot(TBitmap* Value) { FGlyphHot->Assign(Value); }
    TBitmap* GlyphDown() const { return FGlyphDown.get(); }
    void SetGlyphDown(TBitmap* Value) { FGlyphDown->Assign(Value); }
    TBitmap* GlyphDisabled() const { return FGlyphDisabled.get(); }
    void SetGlyphDisabled(TBitmap* Value);
    // The grey shadow drawn behind the hot glyph.
    TBitmap* Shadow() const { return FShadow.get(); }
    Integer GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    Integer Margin() const { return FMargin; }
    void SetMargin(Integer Value);
    bool Rounded() const { return FRounded; }
    void SetRounded(bool Value);
    bool Shaded() const { return FShaded; }
    void SetShaded(bool Value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    Integer Spacing() const { return FSpacing; }
    void SetSpacing(Integer Value);
    TRudUvudButtonStyle Style() const { return FStyle; }
    void SetStyle(TRudUvudButtonStyle Value);
    // Takes the parent's BiDiMode (on setting and when the parent is set).
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    void SetParent(TWinControl* AParent) override;
    TButtonState State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }

    // One of the seven colour looks (0-6); then no border and flat. Other values do nothing.
    void SetLook(Integer Look);
    // Look 2, 3 or 4 for the XP colour schemes 1, 2, 3; look 1 otherwise.
    void ThemeAdapt();
    // The shadow: the glyph's transparent pixels kept, every other pixel grey 808080.
    void GenerateShade();
    // Where glyph and caption go inside Client (the speed-button layout).
    void CalcLayout(const TRect& Client, TPoint& GlyphPos, TRect& TextBounds);

    void Click() override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnDropDown;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    // The link class (GetActionLinkClass): a TRudUvudButtonActionLink.
    TControlActionLink* CreateActionLink() override;

private:
    friend class TRudUvudButtonActionLink;
    void UpdateExclusive();
    void UpdateTracking();
    void GlyphChanged();
    void GenerateDisabled();
    void DrawGlyphAndCaption(TCanvas* C, const TRect& R, TPoint Offset, TButtonState DrawState, bool Hot);

    bool FAllowAllUp = false;
    bool FAutoThemeAdapt = false;
    bool FAutoXPStyle = false;
    TColor FBorderColor = clNone, FBorderDownColor = clNone, FBorderHotColor = clNone;
    TColor FColor = clBtnFace, FColorTo = clNone;
    TColor FColorHot = TColor(0xCAC7C7), FColorHotTo = clNone;
    TColor FColorDown = TColor(0xD8D3D2), FColorDownTo = clNone;
    TColor FColorChecked = clGray, FColorCheckedTo = clNone;
    bool FDown = false;
    bool FDropDownButton = false;
    TPopupMenu* FDropDownMenu = nullptr;
    bool FFlat = true;
    std::unique_ptr<TBitmap> FGlyph, FGlyphHot, FGlyphDown, FGlyphDisabled, FShadow;
    bool FDisabledGenerated = false;
    Integer FGroupIndex = 0;
    TButtonLayout FLayout = blGlyphLeft;
    Integer FMargin = -1;
    bool FRounded = false;
    bool FShaded = true;
    bool FShowCaption = true;
    Integer FSpacing = 4;
    TRudUvudButtonStyle FStyle = tasButton;
    TButtonState FState = bsUp;
    bool FDragging = false;
    bool FMouseInControl = false;
    bool FIsComCtl6 = false;
    bool FParentBiDiMode = true;
};
