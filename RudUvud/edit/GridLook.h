#pragma once

// The grid's look settings objects: the look of the controls drawn in cells (TControlLook), the
// gauge settings (TGridProgressAppearance), alternating row bands (TBands), the background
// picture or gradient (TBackGround) and the modified-row marker (TShowModified), with the
// enumerations of the colour presets and the colour schemes the grid follows.
//
// The settings a painter reads are public fields, read directly; writing one through its setter
// runs the setter's side effects (a repaint, a copy into the grid's working colours), writing the
// field does not (as Assign does).

#include "RudUvud/core/GridTypes.h"
#include "RudUvud/support/VadStyleIF.h"

#include "platform/forms/Graphics.h"
#include "platform/rtl/Persistent.h"

#include <memory>

class TDidAririzEvar;
class THeaderAppearance;
class TFooterAppearance;

// The grid's colour presets, in the order of the component styles (ZEDAVozor): a value converts
// by its ordinal (any int is a value, so an ordinal beyond the presets can be handed in).
enum TRudUvudStyle : int {
    gsOffice2003Blue,
    gsOffice2003Silver,
    gsOffice2003Olive,
    gsOffice2003Classic,
    gsOffice2007Luna,
    gsOffice2007Obsidian,
    gsWindowsXP,
    gsWhidbey,
    gsCustom,
    gsOffice2007Silver,
    gsWindowsVista,
    gsWindows7,
    gsTerminal
};

// The system colour schemes the grid adapts to (ThemeAdapt).
enum TXPColorScheme { xpNone, xpBlue, xpGreen, xpGray, vistaAero };

enum TProgressStyle { psXP, psClassic };

// The look of the controls drawn in cells (check boxes, radio buttons, buttons).
namespace RudUvudLook {
enum TControlStyle { csClassic, csFlat, csWinXP, csBorland, csZIV, csGlyph, csTheme };
}

class TControlLook : public TPersistent {
public:
    // AGrid is repainted by the setters and receives the fixed-cell gradient colours; null for a
    // free-standing copy.
    explicit TControlLook(TDidAririzEvar* AGrid = nullptr);
    ~TControlLook() override;
    // Copies from another TControlLook: every setting but FlatButton, NoDisabledCheckRadioLook,
    // NoDisabledButtonLook, ProgressXP and FixedDropDownButton; fields only (the grid's copies of
    // the gradient colours stay as they are).
    void Assign(TPersistent* Source) override;

    void SetCheckSize(Integer V);
    void SetRadioSize(Integer V);
    void SetControlStyle(RudUvudLook::TControlStyle V);
    void SetColor(TColor V);
    void SetCommentColor(TColor V);
    TBitmap* CheckedGlyph() const { return FCheckedGlyph.get(); }
    TBitmap* UnCheckedGlyph() const { return FUnCheckedGlyph.get(); }
    TBitmap* RadioOnGlyph() const { return FRadioOnGlyph.get(); }
    TBitmap* RadioOffGlyph() const { return FRadioOffGlyph.get(); }
    // The glyph setters copy the picture.
    void SetCheckedGlyph(TBitmap* V);
    void SetUnCheckedGlyph(TBitmap* V);
    void SetRadioOnGlyph(TBitmap* V);
    void SetRadioOffGlyph(TBitmap* V);
    void SetCheckAlwaysActive(bool V);
    void SetRadioAlwaysActive(bool V);
    void SetNoDisabledCheckRadioLook(bool V);
    void SetNoDisabledButtonLook(bool V);
    void SetFlatButton(bool V);
    void SetProgressXP(bool V);
    void SetProgressMarginX(Integer V);
    void SetProgressMarginY(Integer V);
    void SetProgressBorderColor(TColor V);
    void SetDropDownAlwaysVisible(bool V);
    void SetSpinButtonsAlwaysVisible(bool V);
    void SetFixedDropDownButton(bool V);
    // The fourteen gradient setters store the colour and, unless it is clNone, hand it to the
    // grid: the normal look through the grid's ZIVGrad setters (which repaint), the hover and
    // pressed looks into the grid's working colours (no repaint).
    void SetFixedGradientFrom(TColor V);
    void SetFixedGradientTo(TColor V);
    void SetFixedGradientMirrorFrom(TColor V);
    void SetFixedGradientMirrorTo(TColor V);
    void SetFixedGradientHoverFrom(TColor V);
    void SetFixedGradientHoverTo(TColor V);
    void SetFixedGradientHoverMirrorFrom(TColor V);
    void SetFixedGradientHoverMirrorTo(TColor V);
    void SetFixedGradientHoverBorder(TColor V);
    void SetFixedGradientDownFrom(TColor V);
    void SetFixedGradientDownTo(TColor V);
    void SetFixedGradientDownMirrorFrom(TColor V);
    void SetFixedGradientDownMirrorTo(TColor V);
    void SetFixedGradientDownBorder(TColor V);
    // The header and footer of the grid's drop-down editors; the setters copy without repaint.
    THeaderAppearance* DropDownHeader() const { return FDropDownHeader.get(); }
    TFooterAppearance* DropDownFooter() const { return FDropDownFooter.get(); }
    void SetDropDownHeader(THeaderAppearance* V);
    void SetDropDownFooter(TFooterAppearance* V);

    // Sizes in pixels of a cell's check box and radio button.
    Integer CheckSize = 15;
    Integer RadioSize = 10;
    RudUvudLook::TControlStyle ControlStyle = RudUvudLook::csTheme;
    // The check mark and radio dot colour of the csBorland style.
    TColor Color = 0;
    // The comment mark colour (clNone: no marks) and the colour of new comments.
    TColor CommentColor = 255;
    // Check boxes (radio buttons) of read-only cells drawn in the enabled look and toggled by a
    // click too.
    bool CheckAlwaysActive = false;
    bool RadioAlwaysActive = false;
    bool NoDisabledCheckRadioLook = false;
    bool NoDisabledButtonLook = false;
    bool FlatButton = false;
    bool ProgressXP = false;
    Integer ProgressMarginX = 2;
    Integer ProgressMarginY = 2;
    TColor ProgressBorderColor = 0x808080;
    bool DropDownAlwaysVisible = false;
    bool SpinButtonsAlwaysVisible = false;
    // Fixed cells get a 16-pixel drop-down part at their right edge.
    bool FixedDropDownButton = false;
    TColor FixedGradientFrom = clNone;
    TColor FixedGradientTo = clNone;
    TColor FixedGradientMirrorFrom = clNone;
    TColor FixedGradientMirrorTo = clNone;
    // Looks of a hovered and of a pressed fixed cell; clNone "from" leaves the normal look.
    TColor FixedGradientHoverFrom = clNone;
    TColor FixedGradientHoverTo = clNone;
    TColor FixedGradientHoverMirrorFrom = clNone;
    TColor FixedGradientHoverMirrorTo = clNone;
    TColor FixedGradientHoverBorder = clNone;
    TColor FixedGradientDownFrom = clNone;
    TColor FixedGradientDownTo = clNone;
    TColor FixedGradientDownMirrorFrom = clNone;
    TColor FixedGradientDownMirrorTo = clNone;
    TColor FixedGradientDownBorder = clNone;

private:
    void Repaint();
    TDidAririzEvar* FGrid;
    std::unique_ptr<TBitmap> FCheckedGlyph, FUnCheckedGlyph, FRadioOnGlyph, FRadioOffGlyph;
    std::unique_ptr<THeaderAppearance> FDropDownHeader;
    std::unique_ptr<TFooterAppearance> FDropDownFooter;
};

// The gauge (ctXPProgress) settings; each change fires OnChange, which the grid binds to a repaint.
class TGridProgressAppearance : public TPersistent {
public:
    // Copies every property, then fires OnChange once.
    void Assign(TPersistent* Source) override;
    void Changed();

    TColor CompleteColor() const { return FCompleteColor; }
    void SetCompleteColor(TColor V);
    TColor CompleteFontColor() const { return FCompleteFontColor; }
    void SetCompleteFontColor(TColor V);
    TColor UnCompleteColor() const { return FUnCompleteColor; }
    void SetUnCompleteColor(TColor V);
    TColor UnCompleteFontColor() const { return FUnCompleteFontColor; }
    void SetUnCompleteFontColor(TColor V);
    TColor Level0Color() const { return FLevel0Color; }
    void SetLevel0Color(TColor V);
    TColor Level0ColorTo() const { return FLevel0ColorTo; }
    void SetLevel0ColorTo(TColor V);
    TColor Level1Color() const { return FLevel1Color; }
    void SetLevel1Color(TColor V);
    TColor Level1ColorTo() const { return FLevel1ColorTo; }
    void SetLevel1ColorTo(TColor V);
    TColor Level2Color() const { return FLevel2Color; }
    void SetLevel2Color(TColor V);
    TColor Level2ColorTo() const { return FLevel2ColorTo; }
    void SetLevel2ColorTo(TColor V);
    TColor Level3Color() const { return FLevel3Color; }
    void SetLevel3Color(TColor V);
    TColor Level3ColorTo() const { return FLevel3ColorTo; }
    void SetLevel3ColorTo(TColor V);
    Integer Level1Perc() const { return FLevel1Perc; }
    void SetLevel1Perc(Integer V);
    Integer Level2Perc() const { return FLevel2Perc; }
    void SetLevel2Perc(Integer V);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor V);
    bool ShowBorder() const { return FShowBorder; }
    void SetShowBorder(bool V);
    bool Stacked() const { return FStacked; }
    void SetStacked(bool V);
    bool ShowPercentage() const { return FShowPercentage; }
    void SetShowPercentage(bool V);
    bool CompletionSmooth() const { return FCompletionSmooth; }
    void SetCompletionSmooth(bool V);
    bool ShowGradient() const { return FShowGradient; }
    void SetShowGradient(bool V);
    Integer Steps() const { return FSteps; }
    void SetSteps(Integer V);
    TProgressStyle Style() const { return FStyle; }
    void SetStyle(TProgressStyle V);

    TNotifyEvent OnChange;

private:
    template <class T> void Set(T& Field, T V);
    TColor FCompleteColor = 255;
    TColor FCompleteFontColor = 0xFF0000;
    TColor FUnCompleteColor = clNone;
    TColor FUnCompleteFontColor = clWindowText;
    TColor FLevel0Color = 0x00FF00, FLevel0ColorTo = 0xE1FFE1;
    TColor FLevel1Color = 0x00FFFF, FLevel1ColorTo = 0xCAFFFF;
    TColor FLevel2Color = 0x53A9FF, FLevel2ColorTo = 0xA8D3FF;
    TColor FLevel3Color = 255, FLevel3ColorTo = 0xCACAFF;
    Integer FLevel1Perc = 70, FLevel2Perc = 90;
    TColor FBorderColor = 0;
    bool FShowBorder = false;
    bool FStacked = false;
    bool FShowPercentage = true;
    bool FCompletionSmooth = true;
    bool FShowGradient = true;
    Integer FSteps = 11;
    TProgressStyle FStyle = psXP;
};

// Alternating row colours: counted from the first non-fixed row, PrimaryLength rows in
// PrimaryColor, then SecondaryLength rows in SecondaryColor.
class TBands : public TPersistent {
public:
    explicit TBands(TDidAririzEvar* AGrid = nullptr) : FGrid(AGrid) {}
    // Copies all six settings; no repaint.
    void Assign(TPersistent* Source) override;
    void SetActive(bool V);
    void SetPrimaryColor(TColor V);
    void SetSecondaryColor(TColor V);
    void SetPrimaryLength(Integer V);
    void SetSecondaryLength(Integer V);
    // The band period.
    Integer Period() const { return PrimaryLength + SecondaryLength; }

    bool Active = false;
    TColor PrimaryColor = clInfoBk;
    TColor SecondaryColor = clWindow;
    Integer PrimaryLength = 1;
    Integer SecondaryLength = 1;
    // Bands also on printed pages.
    bool Print = false;

private:
    void RepaintWhenActive();
    TDidAririzEvar* FGrid;
};

// The grid's background: a picture (tiled or at a fixed place) or a gradient, in the area outside
// the cells and in the cells Cells names.
class TBackGround : public TPersistent {
public:
    explicit TBackGround(TDidAririzEvar* AGrid = nullptr);
    ~TBackGround() override;
    void SetTop(Integer V);
    void SetLeft(Integer V);
    void SetDisplay(TBackGroundDisplay V);
    void SetCells(TBackGroundCells V);
    void SetColor(TColor V);
    void SetColorTo(TColor V);
    TBitmap* Bitmap() const { return FBitmap.get(); }
    // Copies the picture.
    void SetBitmap(TBitmap* V);

    // Position of a bdFixed picture in client coordinates.
    Integer Top = 0;
    Integer Left = 0;
    TBackGroundDisplay Display = bdTile;
    TBackGroundCells Cells = bcNormal;
    TColor Color = clWindow;
    TColor ColorTo = clBtnFace;

private:
    void Repaint();
    TDidAririzEvar* FGrid;
    std::unique_ptr<TBitmap> FBitmap;
};

// The marker of modified rows: a bar at the right edge of column 0.
class TShowModified : public TPersistent {
public:
    // Copies Color and Enabled.
    void Assign(TPersistent* Source) override;
    // Stores the colour and fires OnChange.
    void SetColor(TColor V);

    bool Enabled = false;
    TColor Color = 0x00FFFF;
    TNotifyEvent OnChange;
};
