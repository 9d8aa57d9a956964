#pragma once

// TCellGraphic: the one decoration a cell carries besides its text (a bitmap, an icon, a check
// box, a picture, a button, a progress bar, a comment mark …). It lives in the graphic slot of the
// cell's TCellProperties record; its kind (CellType) says how the other fields are read.
//
// Objects and colours are kept apart: Graphic() and GraphicExtra() hold objects only, the colours
// of the colour-only kinds (progress bars, range indicators, shapes, ratings) have members of
// their own, so freeing a graphic can never take a colour for an object.
//
// Ownership: with CellCreated set, a graphic frees the object of its kind (the bitmap of ctBitmap
// and ctBitButton, the option list of ctRadio, the picture of ctPicture and ctFilePicture, the icon
// of ctIcon); the index list of ctImages and the string list of ctBalloon are always freed. Objects
// a caller hands in stay the caller's (CellCreated stays false); the object of ctInterface is never
// freed.

#include "RudUvud/core/GridTypes.h"
#include "RudUvud/edit/PaintTypes.h"
#include "RudUvud/support/DerOdozDraw.h"
#include "RudUvud/support/VadObj.h"

#include "platform/forms/Graphics.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringLists.h"

#include <cstdint>
#include <optional>

class TDidAririzEvar;

// How a picture is fitted into its cell.
enum TStretchMode { noStretch, Stretch, StretchWithAspectRatio, Shrink, ShrinkWithAspectRatio };

// The icon of a cell's balloon hint.
enum TBalloonIcon { biNone, biInfo, biWarning, biError };

// A cell scroll bar's visible extent and scroll range; the bar shows while PageSize < Range.
struct TScrollProp {
    Integer PageSize = 0;
    Integer Range = 0;
    friend bool operator==(const TScrollProp&, const TScrollProp&) = default;
};

// What the object of a ctInterface graphic implements: the graphic draws and measures itself.
// The object is a TInterfacedPersistent asked for this interface at each use; one without it has
// size (0, 0) and is not drawn.
class ICellGraphic {
public:
    virtual ~ICellGraphic() = default;
    // Paints into R: ACol is the real column, ARow the displayed row.
    virtual void Draw(TCanvas* Canvas, const TRect& R, Integer ACol, Integer ARow, bool Selected,
                      TDidAririzEvar* Grid) = 0;
    virtual Integer GetWidth() = 0;
    virtual Integer GetHeight() = 0;
    // True: painted before the cell text; false: after it.
    virtual bool IsBackground() = 0;
};

class TCellGraphic : public TPersistent {
public:
    TCellGraphic() = default;
    // Frees the owned objects by kind (see above).
    ~TCellGraphic() override;

    // Copies the kind, alignments and plain fields (CellCreated included) but no object, no
    // colour and no group tag: the copy has nothing of its own to draw or free.
    void Assign(TPersistent* Source) override;

    // ---- Setters: each sets the kind and the listed fields, never CellCreated (but
    // SetMultiImage, whose list the graphic makes itself). ----
    void SetBitmap(TBitmap* ABitmap, bool Transparent, TCellHAlign HAlign, TCellVAlign VAlign);
    void SetIcon(TIcon* AIcon, TCellHAlign HAlign, TCellVAlign VAlign);
    void SetImageIdx(Integer Index, TCellHAlign HAlign, TCellVAlign VAlign);
    void SetDataImage(Integer Index, TCellHAlign HAlign, TCellVAlign VAlign);
    void SetMultiImage(Integer ACol, Integer ARow, Integer Direction, TCellHAlign HAlign, TCellVAlign VAlign,
                       TImageChangeEvent OnChange);
    void SetPicture(TPicture* APicture, bool Transparent, TStretchMode StretchMode, Integer Padding,
                    TCellHAlign HAlign, TCellVAlign VAlign);
    void SetFilePicture(TFilePicture* APicture, bool Transparent, TStretchMode StretchMode, Integer Padding,
                        TCellHAlign HAlign, TCellVAlign VAlign);
    void SetCheckBox(bool Value, bool Data, bool Transparent, TCellHAlign HAlign, TCellVAlign VAlign);
    void SetRadioButton(bool Value, bool Transparent, TCellHAlign HAlign, TCellVAlign VAlign);
    // Width in the low 16 bits of CellIndex, height in the high 16 bits.
    void SetButton(Integer Width, Integer Height, const AnsiString& Caption, TCellHAlign HAlign,
                   TCellVAlign VAlign);
    void SetBitButton(Integer Width, Integer Height, const AnsiString& Caption, TBitmap* Glyph,
                      TCellHAlign HAlign, TCellVAlign VAlign);
    // The angle folded into 0 .. 360 (360 stays 360).
    void SetAngle(SmallInt Angle);
    void SetInterfacedCell(TInterfacedPersistent* AObject);

    // Size of a ctPicture or ctFilePicture graphic fitted into AWidth x AHeight less the padding,
    // by its stretch mode; (0, 0) for other kinds. HasText is not used.
    TPoint GetPictureSize(Integer AWidth, Integer AHeight, bool HasText) const;

    // ---- The kind's objects ----
    TObject* Graphic() const { return FGraphic; }
    void SetGraphic(TObject* Value) { FGraphic = Value; }
    TObject* GraphicExtra() const { return FGraphicExtra; }
    void SetGraphicExtra(TObject* Value) { FGraphicExtra = Value; }
    // The object as the kind's class, or nullptr when it is none of that class.
    TBitmap* Bitmap() const { return dynamic_cast<TBitmap*>(FGraphic); }
    TIcon* Icon() const { return dynamic_cast<TIcon*>(FGraphicExtra); }
    TPicture* Picture() const { return dynamic_cast<TPicture*>(FGraphic); }
    TFilePicture* FilePicture() const { return dynamic_cast<TFilePicture*>(FGraphic); }
    TStrings* Strings() const { return dynamic_cast<TStrings*>(FGraphic); }
    TIntList* IntList() const { return dynamic_cast<TIntList*>(FGraphic); }
    ICellGraphic* Interface() const { return dynamic_cast<ICellGraphic*>(FGraphic); }
    // The colours of the colour-only kinds (first and second).
    TColor GraphicColor() const { return FGraphicColor; }
    void SetGraphicColor(TColor Value) { FGraphicColor = Value; }
    TColor GraphicExtraColor() const { return FGraphicExtraColor; }
    void SetGraphicExtraColor(TColor Value) { FGraphicExtraColor = Value; }
    // The node tag: -1 for a node made by AddNode, the sub-grouping column for one made by
    // SubGroup; none otherwise.
    const std::optional<Integer>& GroupTag() const { return FGroupTag; }
    void SetGroupTag(std::optional<Integer> Value) { FGroupTag = Value; }

    // ---- Published fields ----
    TCellType CellType = ctNone;
    TCellVAlign CellVAlign = vaTop;
    TCellHAlign CellHAlign = haLeft;
    Integer CellIndex = 0;
    bool CellTransparent = false;
    bool CellCreated = false;
    bool CellBoolean = false;
    Integer CellAngle = 0;
    Double CellValue = 0;
    Integer CellErrFrom = 0;
    Integer CellErrLen = 0;
    AnsiString CellText;

private:
    // Frees what the graphic owns and forgets it.
    void FreeOwned();

    TObject* FGraphic = nullptr;
    TObject* FGraphicExtra = nullptr;
    TColor FGraphicColor = 0;
    TColor FGraphicExtraColor = 0;
    std::optional<Integer> FGroupTag;
};

// The button size packed into CellIndex.
inline Integer PackButtonSize(Integer Width, Integer Height)
{
    return static_cast<Integer>((static_cast<std::uint32_t>(Width) & 0xFFFFu) |
                                (static_cast<std::uint32_t>(Height) << 16));
}
inline Integer ButtonWidth(Integer CellIndex)
{
    return static_cast<Integer>(static_cast<std::uint32_t>(CellIndex) & 0xFFFFu);
}
inline Integer ButtonHeight(Integer CellIndex)
{
    return static_cast<Integer>(static_cast<std::uint32_t>(CellIndex) >> 16);
}
