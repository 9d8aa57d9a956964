#pragma once

// Types shared by every part of the string grid: enumerations that appear in the class interface,
// the grid's exception class and the event signatures of the base grid and the per-cell hooks.
// The painting, editing and exchange parts of the grid add their own types beside these.

#include "RudUvud/support/DerOdozDraw.h" // TGradientPart, TCellShape

#include "platform/forms/Graphics.h"
#include "platform/forms/Grids.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Exceptions.h"

#include <functional>

// The grid's own error: bad row or column indexes and similar misuse of the grid's interface.
class ERudUvudError : public Exception {
public:
    using Exception::Exception;
};

// The file version of a module the platform stands in for (major << 16 | minor); -1 for one it
// does not know.
Integer GetDllFileVersion(const AnsiString& FileName);

enum TVAlignment { vtaTop, vtaCenter, vtaBottom };
enum TCellGradientDirection { GradientVertical, GradientHorizontal };
enum TGridSelectionStyle { ssDefault, ssVista, ssWin7, ssOffice2007 };
enum TColumnCalcType { acNONE, acSUM, acAVG, acCOUNT, acMIN, acMAX, acSPREAD, acCUSTOM };

// Editor kinds of a cell, in their ordinal order.
enum TEditorType {
    edNormal,
    edSpinEdit,
    edComboEdit,
    edComboList,
    edEditBtn,
    edCheckBox,
    edDateEdit,
    edDateEditUpDown,
    edTimeEdit,
    edButton,
    edDataCheckBox,
    edNumeric,
    edPositiveNumeric,
    edFloat,
    edCapital,
    edMixedCase,
    edPassword,
    edUnitEditBtn,
    edLowerCase,
    edUpperCase,
    edFloatSpinEdit,
    edTimeSpinEdit,
    edDateSpinEdit,
    edNumericEditBtn,
    edFloatEditBtn,
    edCustom,
    edRichEdit,
    edNone,
    edUniEdit,
    edUniComboEdit,
    edUniComboList,
    edUniEditBtn,
    edUniMemo,
    edDateTimeEdit,
    edValidChars,
    edTrackbarDropDown,
    edMemoDropDown,
    edCalculatorDropDown,
    edTimePickerDropDown,
    edDetailDropDown,
    edGridDropDown,
    edColorPickerDropDown,
    edImagePickerDropDown
};

// Kinds of cell decoration, in their ordinal order.
enum TCellType {
    ctBitmap,
    ctIcon,
    ctNone,
    ctImageList,
    ctCheckBox,
    ctDataCheckBox,
    ctRotated,
    ctDataImage,
    ctNode,
    ctRadio,
    ctEmpty,
    ctImages,
    ctPicture,
    ctFilePicture,
    ctValue,
    ctProgress,
    ctComment,
    ctButton,
    ctBitButton,
    ctVirtCheckBox,
    ctRowCheckBox,
    ctProgressPie,
    ctSummary,
    ctRangeIndicator,
    ctXPProgress,
    ctInterface,
    ctScrollbar,
    ctRadioButton,
    ctBalloon,
    ctShape,
    ctRating
};

enum TCellBorder { cbTop, cbLeft, cbRight, cbBottom };
using TCellBorders = TSet<TCellBorder>;

enum TSortStyle {
    ssAutomatic,
    ssAlphabetic,
    ssNumeric,
    ssDate,
    ssAlphaNoCase,
    ssAlphaCase,
    ssShortDateEU,
    ssShortDateUS,
    ssCustom,
    ssFinancial,
    ssAnsiAlphaCase,
    ssAnsiAlphaNoCase,
    ssRaw,
    ssHTML,
    ssImages,
    ssCheckBox,
    ssUnicode,
    ssAlphaNumeric,
    ssAlphaNumericNoCase,
    ssCheckBoxes
};
enum TSearchAction { saFindFirst, saFindPrevious, saFindNext };

enum TNodeType { cnFlat, cn3D, cnGlyph, cnLeaf, cnXP };
enum TGridFixedCellEdit { fceNone, fceDblClick, fceLeftClick, fceRightClick };
enum TWheelAction { waMoveSelection, waScroll };
enum TAutoSizeRows { arAll, arNormal, arFixed };
enum TColumnSizeLocation { clRegistry, clIniFile };
enum TAdvanceDirection { adLeftRight, adTopBottom };
enum TInsertPosition { pInsertBefore, pInsertAfter };
enum TClipboardPasteAction { paReplace, paInsert };
enum THomeEndAction { heFirstLastColumn, heFirstLastRow };
enum TPrintPosition {
    ppNone,
    ppTopLeft,
    ppTopRight,
    ppTopCenter,
    ppBottomLeft,
    ppBottomRight,
    ppBottomCenter
};
enum TPrintBorders {
    pbNoborder,
    pbSingle,
    pbDouble,
    pbVertical,
    pbHorizontal,
    pbAround,
    pbAroundVertical,
    pbAroundHorizontal,
    pbCustom
};
enum TFitToPage { fpNever, fpGrow, fpShrink, fpAlways, fpCustom };
// The printer's paper orientation, as the print settings keep it.
namespace RudUvudPrint {
enum TPrinterOrientation { poPortrait, poLandscape };
}

// The grid's looks in their stored order (the look presets depend on it).
enum TGridLook {
    glStandard,
    glSoft,
    glClassic,
    glZIV,
    glXP,
    glListView,
    glVista,
    glWin7,
    glOffice2007,
    glCustom
};
enum TScrollType { ssNormal, ssFlat, ssEncarta };
enum TScrollBarAlways { saNone, saVert, saHorz, saBoth };
enum TScrollHintType { shNone, shVertical, shHorizontal, shBoth };
enum TFooterStyle { fsFixedLastRow, fsColumnPreview, fsCustomPreview };
enum TBackGroundDisplay { bdTile, bdFixed, bdGradientHorz, bdGradientVert };
enum TBackGroundCells { bcNormal, bcFixed, bcAll };
enum THoverFixedCells { hfNone, hfFixedRows, hfFixedColumns, hfAll };
enum TInvalidEntryIcon { ieNone, ieInfo, ieWarning, ieError };

// Event signatures of the base grid.
using TGetDisplTextEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& Value)>;
using TGetDisplWideTextEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, WideString& Value)>;

// Event signatures of the per-cell hooks (note the row-first and column-first orders).
using TCellsChangedEvent = std::function<void(TObject* Sender, const TRect& R)>;
using TGridHintEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol, AnsiString& HintStr)>;
using TGridWideHintEvent =
    std::function<void(TObject* Sender, Integer ARow, Integer ACol, WideString& HintStr)>;
using TGridColorEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol, TGridDrawState AState,
                                           TBrush* ABrush, TFont* AFont)>;
using TGridBorderEvent =
    std::function<void(TObject* Sender, Integer ARow, Integer ACol, TPen* APen, TCellBorders& Borders)>;
using TGridAlignEvent =
    std::function<void(TObject* Sender, Integer ARow, Integer ACol, TAlignment& HAlign, TVAlignment& VAlign)>;
using TGridFormatEvent = std::function<void(TObject* Sender, Integer ACol, TSortStyle& AStyle,
                                            AnsiString& APrefix, AnsiString& ASuffix)>;
using TGetEditorTypeEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TEditorType& AEditor)>;
using TIsFixedCellEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol, bool& IsFixed)>;
using TCanEditCellEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol, bool& CanEdit)>;
using TIsPasswordCellEvent =
    std::function<void(TObject* Sender, Integer ARow, Integer ACol, bool& IsPassword)>;
using TGetWordWrapEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool& WordWrap)>;
using THasComboEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool& HasComboBox)>;
using THasSpinEditEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool& HasSpinEdit)>;
using TGetCheckEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& Value)>;
using TGetColumnFilterEvent = std::function<void(TObject* Sender, Integer Column, TStrings* Filter)>;
using TSearchFooterActionEvent = std::function<void(TObject* Sender, const AnsiString& Value, Integer ACol,
                                                    Integer ARow, TSearchAction SearchAction)>;

// Event signatures of selection and hidden rows.
using TRowChangedEvent = std::function<void(TObject* Sender, Integer OldRow, Integer NewRow)>;
using TChangingEvent = std::function<void(TObject* Sender, Integer OldIndex, Integer NewIndex, bool& Allow)>;
using TCellChangingEvent = std::function<void(TObject* Sender, Integer OldRow, Integer OldCol, Integer NewRow,
                                              Integer NewCol, bool& Allow)>;
using TRowDisjunctSelectEvent = std::function<void(TObject* Sender, Integer ARow, bool AState, bool& Allow)>;
using TRowDisjunctSelectedEvent = std::function<void(TObject* Sender, Integer ARow)>;
using TDateTimeChangeEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TDateTime ADateTime)>;
using TCellBalloonEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& ATitle,
                                             AnsiString& AText, Integer& AIcon)>;
// Progress of a file export or import in whole percent.
using TGridProgressEvent = std::function<void(TObject* Sender, Integer Progression)>;

// Event signatures of filtering and the footer's calculation.
using TCustomFilterEvent = std::function<void(TObject* Sender, Integer ARow, bool& AcceptRow)>;
using TFilterSelectEvent = std::function<void(TObject* Sender, Integer Column, Integer ItemIndex,
                                              const AnsiString& FriendlyName, AnsiString& FilterCondition)>;
using TFilterProgressEvent = std::function<void(TObject* Sender, SmallInt Progress)>;
using TFooterCalcEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& Value)>;
