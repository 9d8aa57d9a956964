#pragma once

// The binary cell stream: a rectangle of cells as a sequence of component images of small carrier
// components (platform/forms/ComponentStream.h), the content of the grid's private clipboard
// format, of cell drops and of the workbook's inactive sheets.
//
// Layout: one TGridPropIO image (with the stream's version; streams written before streams had a
// version have none and read as version 0), then for every cell of the rectangle, row by row, a TGridCellIO
// image followed, when the cell has a property record, by a TGridCellPropIO image; when that says
// the cell has a graphic, a TGridGraphicIO image follows, and after it, by the graphic's kind, the
// image of the picture or list behind it (TGridBMPIO, TGridIconIO, TGridSLIO, TGridPicIO,
// TGridFilePicIO). A picture a cell holds but does not own (CellCreated false) is not carried, nor is
// its graphic; the shared row check box and virtual check boxes are no cell's own and are not
// carried either. Ordinal values are always written; the reader starts every carrier afresh before
// it reads an image into it, so a string or number left out for being empty or zero reads as such
// and never as the value a previous cell had.
//
// Reading checks the whole stream before the grid changes (see ParseCellStream), because streams
// come from other programs through the clipboard and drops. A record's user object and cell
// control are pointers into the writing program and are not carried.

#include "RudUvud/core/BaseGrid.h"
#include "RudUvud/core/CellGraphic.h"

#include "platform/forms/Graphics.h"
#include "platform/rtl/Components.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringLists.h"

#include <memory>
#include <vector>

// The version this grid writes. Version 1 is version 0 with the version number; a reader takes
// every version up to its own and refuses later ones.
constexpr Integer CellStreamVersion = 1;

class TGridPropIO : public TComponent {
public:
    explicit TGridPropIO(TComponent* AOwner) : TComponent(AOwner) {}
    Integer ColCount = 0;
    Integer RowCount = 0;
    AnsiString ColWidths; // decimal numbers joined by ","
    AnsiString RowHeights;
    bool FullGrid = false;
    Integer ID = 0;      // the writing grid's window handle
    Integer Version = 0; // CellStreamVersion when written; 0 when the stream has none
};

class TGridCellIO : public TComponent {
public:
    explicit TGridCellIO(TComponent* AOwner) : TComponent(AOwner) {}
    Word Col = 0; // low 16 bits of the cell's column and row
    Word Row = 0;
    AnsiString Cell;
    bool HasProp = false;
};

class TGridCellPropIO : public TComponent {
public:
    explicit TGridCellPropIO(TComponent* AOwner);
    ~TGridCellPropIO() override;
    TCellProperties* CellProperties() const { return FCellProperties; }
    // Puts a fresh record (every value at its class default) in place of the carried one.
    void ResetProperties();
    bool HasGraphic = false;

private:
    TCellProperties* FCellProperties = nullptr; // a record of no grid
};

// The carrier of a cell's graphic: its kind and fields, without the objects behind it.
class TGridGraphicIO : public TComponent {
public:
    explicit TGridGraphicIO(TComponent* AOwner);
    ~TGridGraphicIO() override;
    TCellGraphic* CellGraphic() const { return FCellGraphic.get(); }
    // Puts a fresh graphic (kind ctNone, every field empty) in place of the carried one.
    void Reset();

private:
    std::unique_ptr<TCellGraphic> FCellGraphic;
};

// Carriers of the pictures and lists behind a cell graphic, each image following the graphic's:
// a bitmap (bitmap and bitmap-button cells), an icon, a picture, a picture file's name, or a
// string list (a radio cell's options, an image-list cell's indexes as comma text). Each owns its
// object; Reset puts an empty one in its place.
class TGridBMPIO : public TComponent {
public:
    explicit TGridBMPIO(TComponent* AOwner);
    ~TGridBMPIO() override;
    TBitmap* Bitmap() const { return FBitmap.get(); }
    void Reset();

private:
    std::unique_ptr<TBitmap> FBitmap;
};

class TGridIconIO : public TComponent {
public:
    explicit TGridIconIO(TComponent* AOwner);
    ~TGridIconIO() override;
    TIcon* Icon() const { return FIcon.get(); }
    void Reset();

private:
    std::unique_ptr<TIcon> FIcon;
};

class TGridPicIO : public TComponent {
public:
    explicit TGridPicIO(TComponent* AOwner);
    ~TGridPicIO() override;
    TPicture* Picture() const { return FPicture.get(); }
    void Reset();

private:
    std::unique_ptr<TPicture> FPicture;
};

// Only the picture file's name travels. Where the stream is read, a file that is missing or
// unreadable leaves a picture with that name and no size, which paints nothing.
class TGridFilePicIO : public TComponent {
public:
    explicit TGridFilePicIO(TComponent* AOwner);
    ~TGridFilePicIO() override;
    TFilePicture* Picture() const { return FPicture.get(); }
    void Reset();

private:
    std::unique_ptr<TFilePicture> FPicture;
};

class TGridSLIO : public TComponent {
public:
    explicit TGridSLIO(TComponent* AOwner);
    ~TGridSLIO() override;
    TStringList* Strings() const { return FStrings.get(); }
    void Reset();

private:
    std::unique_ptr<TStringList> FStrings;
};

// Declares the carriers' published properties (and those of TCellProperties) for streaming.
void DeclareCellStreamClasses();

// One cell of a parsed stream.
struct TStreamCell {
    AnsiString Text;
    std::unique_ptr<TCellProperties> Props; // null when the cell had no record
    // The cell's graphic with the objects of its own kind (CellCreated set), or null.
    std::unique_ptr<TCellGraphic> Graphic;
};

// A parsed and checked stream.
struct TParsedCellStream {
    Integer ColCount = 0, RowCount = 0;
    std::vector<Integer> ColWidths, RowHeights;
    bool FullGrid = false;
    Integer ID = 0;
    Integer Version = 0;
    Integer OriginCol = 0, OriginRow = 0; // the first cell's coordinates as stored
    std::vector<TStreamCell> Cells;       // row by row, ColCount * RowCount of them
};

// Reads a whole cell stream from the stream's position. Raises EReadError (or EConvertError for
// widths and heights that are no numbers) for a stream that is not a cell stream: a foreign or cut
// image, a version later than CellStreamVersion, fewer cells than its counts promise, a full grid
// that starts far from the corner. Merged
// blocks that reach outside the rectangle are clipped, covered cells whose base cell is outside
// become plain. Bytes after the last cell are left unread.
TParsedCellStream ParseCellStream(TStream* Stream);
