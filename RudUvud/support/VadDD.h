#pragma once

// Drag and drop of the string grid between grids, other windows of the process and other
// programs: a drop target that recognises what a dragged object carries and hands it to hooks a
// subclass overrides, a drop source that ends or cancels the drag from the mouse and keys, the
// data object and format enumerator a drag from a grid offers, and a reader for the formats of a
// foreign data object.
//
// Formats (global memory, DVASPECT_CONTENT, index -1): CF_TEXT (UTF-8, NUL-terminated),
// CF_UNICODETEXT (offered, never read), CF_HDROP (read: a DROPFILES header and its names),
// "Rich Text Format" (NUL-terminated, only while SetRTFAware(true)), "Grid Column" (a 32-bit
// little-endian column index), "TDidAririzEvar Cells" (a 32-bit little-endian count n, then n
// bytes of cell stream) and "UniformResourceLocator" (only detected; the URL is the plain text).
//
// Every block read from a foreign object is checked against its size: a count beyond the block,
// a text without its NUL, a file list whose offset or names run past the block read as absent
// or end where the block ends. Storage media are released once read.

#include "platform/forms/Controls.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/StringLists.h"
#include "platform/win/Ole.h"

#include <memory>
#include <optional>
#include <vector>

enum TDropFormat { dfText, dfFile, dfCol, dfRTF, dfURL, dfGridCells };
using TDropFormats = TSet<TDropFormat>;
// The set as one byte: text 1, file list 2, column 4, RTF 8, URL 0x10, grid cells 0x20.
Byte DropFormatsByte(TDropFormats Formats);

// The registered ids of "Rich Text Format", "Grid Column", "TDidAririzEvar Cells" and
// "UniformResourceLocator" (registered on first use through the clipboard layer's
// RegisterClipboardFormatA equivalent; registering needs no open clipboard).
UINT CF_RTFFormat();
UINT CF_GridColumn();
UINT CF_GridCells();
UINT CF_URLFormat();

// The process-wide switch for the RTF format (off at start).
void SetRTFAware(bool Flag);
bool RTFAware();

// Copy with Ctrl, else move when allowed, else copy; an effect the source does not allow gives
// DROPEFFECT_NONE.
DWORD StandardEffect(TShiftState Shift, DWORD Allowed);
TShiftState KeyStateToShift(DWORD KeyState);

// Base of the reference-counted objects here: one count, QueryInterface by the interface's id.
template <class Interface> class TInterfacedObject : public Interface, protected TOleObjectBase {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return DoAddRef(); }
    ULONG Release() override { return DoRelease(); }

protected:
    static const IID& Iid();
};

// The string grid copies its OleAcceptText, OleAcceptFiles and OleAcceptURLs settings into
// AllowText, AllowFiles and AllowURLs.
class TDAEDropTarget : public TInterfacedObject<IDropTarget> {
public:
    bool DropAllowed = false;
    bool AllowText = true;
    bool AllowFiles = true;
    bool AllowColumns = false;
    bool AllowURLs = true;
    TDropFormats OfferedFormats;

    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

    // The hooks, called with the cursor's screen position. Each answers whether it took the
    // data: a drop none of them took answers DROPEFFECT_NONE, so that a moving source keeps
    // what it offered. The base takes nothing.
    virtual bool DropText(TPoint Pt, const AnsiString& Text);
    // The cells as a stream positioned at 0; freed after the call.
    virtual bool DropStream(TPoint Pt, TMemoryStream* Stream);
    virtual bool DropCol(TPoint Pt, Integer Column);
    virtual bool DropRTF(TPoint Pt, const AnsiString& RTF);
    virtual bool DropFiles(TPoint Pt, TStrings* Files);
    virtual bool DropURL(TPoint Pt, const AnsiString& URL);
    // Every drag-over; clearing Accept refuses the position.
    virtual void DragMouseMove(TPoint Pt, bool& Accept, TDropFormats Formats);
    virtual void DragMouseEnter();
    virtual void DragMouseLeave();
};

class TDAEDropSource : public TInterfacedObject<IDropSource> {
public:
    // Whether the last feedback named no effect.
    bool TargetRefused = false;

    HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT GiveFeedback(DWORD effect) override;

    virtual void DragDropStop();
    virtual void CurrentEffect(DWORD Effect);
    virtual void QueryDrag();
};

// What a drag from a grid offers. Does not own Cells (the caller frees it after the drag).
class TSourceDataObject : public TInterfacedObject<IDataObject> {
public:
    TSourceDataObject(const AnsiString& SourceText, const AnsiString& SourceRTF, Integer SourceColumn,
                      TMemoryStream* SourceCells);

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT QueryGetData(FORMATETC* format) override;
    HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
    HRESULT DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) override;
    HRESULT DUnadvise(DWORD connection) override;
    HRESULT EnumDAdvise(IEnumSTATDATA** enumerator) override;

    AnsiString SourceText, SourceRTF;
    Integer SourceColumn;
    TMemoryStream* SourceCells;
};

// Text, Unicode text, RTF, then the column and the cells when the drag has them.
class TSourceEnumFormatEtc : public TInterfacedObject<IEnumFORMATETC> {
public:
    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* fetched) override;
    HRESULT Skip(ULONG celt) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumFORMATETC** enumerator) override;

    ULONG Count() const { return 3 + (WithColumn ? 1 : 0) + (WithCells ? 1 : 0); }
    FORMATETC Entry(ULONG Index) const;

    ULONG EnumPosition = 0;
    bool WithColumn = false;
    bool WithCells = false;
};

// Reads the formats of this unit from a data object.
class TEnumFormats : public TObject {
public:
    // A data object without a format enumerator raises EAssertionFailed "Cannot get the format
    // enumerator".
    explicit TEnumFormats(IDataObject* DataObject);
    ~TEnumFormats() override;

    void SetDataObject(IDataObject* Value);
    bool Reset();
    bool Next();
    bool HasFormat(UINT Format);
    // The current format's block with the medium narrowed to Tymed; the caller frees it with
    // GlobalFree. nullptr on any failure.
    HGLOBAL Handle(DWORD Tymed);
    HGLOBAL GlobalHandle() { return Handle(TYMED_HGLOBAL); }

    // The first 32-bit integer of the block; -1 when absent or shorter than 4 bytes.
    Integer SomeInt(UINT Format);
    // The counted bytes as a stream at 0; none when absent or the count runs past the block.
    std::unique_ptr<TMemoryStream> SomeStream(UINT Format);
    // The block up to its NUL (or its end); empty when absent.
    AnsiString SomeText(UINT Format);
    // The names of the current format's DROPFILES block into List; whether there are any.
    bool SomeFiles(TStrings* List);

    AnsiString Text() { return SomeText(CF_TEXT); }
    AnsiString RTF() { return SomeText(CF_RTFFormat()); }
    Integer Col() { return SomeInt(CF_GridColumn()); }
    std::unique_ptr<TMemoryStream> Stream() { return SomeStream(CF_GridCells()); }
    bool HasText() { return HasFormat(CF_TEXT); }
    bool HasRTF() { return HasFormat(CF_RTFFormat()); }
    bool HasCol() { return HasFormat(CF_GridColumn()); }
    bool HasFile() { return HasFormat(CF_HDROP); }
    bool HasURL() { return HasFormat(CF_URLFormat()); }
    bool HasGridCells() { return HasFormat(CF_GridCells()); }
    TStrings* Files() const { return FFiles.get(); }

    DWORD GetAspect() const { return FFormat.dwAspect; }
    void SetAspect(DWORD Value) { FFormat.dwAspect = Value; }
    UINT GetcfFormat() const { return FFormat.cfFormat; }
    void SetcfFormat(UINT Value) { FFormat.cfFormat = Value; }
    LONG GetlIndex() const { return FFormat.lindex; }
    void SetlIndex(LONG Value) { FFormat.lindex = Value; }
    DWORD GetTymed() const { return FFormat.tymed; }
    void SetTymed(DWORD Value) { FFormat.tymed = Value; }

private:
    // The current format's bytes, copied out and the medium released.
    std::optional<std::vector<std::uint8_t>> Block();
    OlePtr<IDataObject> FDataObject;
    OlePtr<IEnumFORMATETC> FEnum;
    FORMATETC FFormat;
    bool FValid = false;
    Integer FSteps = 0;
    std::unique_ptr<TStringList> FFiles;
};

// Runs a drag of text (with RTF and cells when given); DRAGDROP_S_CANCEL when the last feedback
// named no effect.
HRESULT StartTextDoDragDrop(TDAEDropSource* Source, const AnsiString& Text, const AnsiString& RTF,
                            TMemoryStream* Cells, DWORD OkEffects, DWORD& Effect);
HRESULT StartColDoDragDrop(TDAEDropSource* Source, Integer Column, DWORD OkEffects, DWORD& Effect);
