#pragma once
// Shared drawing resources of a print document and the font mapper.
//
// A document records thousands of drawing calls that mostly share a few pens, brushes and fonts.
// TVuResourceTable keeps one reference-counted entry per distinct value; page objects point at
// entries and store only list indices. Users never edit an entry in place: they release the old
// one (DeleteResource) and intern the new value (Add...).
//
// Loading: stored entries are interned again, so equal entries merge and indices move. A load
// therefore records, per list, where every stored index landed (LoadedIndex) and holds one
// reference per stored entry until EndLoad, so that objects resolving their stored indices take
// their own references first and no shared entry is freed while still in use.
#include "platform/forms/Graphics.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringLists.h"
#include "print/VuTypes.h"

#include <memory>
#include <unordered_map>
#include <vector>

class TVuBrush : public TPersistent {
public:
    TColor Color() const { return FColor; }
    // A new colour also makes the brush solid.
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    TNotifyEvent OnChange;
    // nullptr: nothing; a TVuBrush or platform TBrush: copies colour and style and notifies.
    void Assign(TPersistent* Source) override;
    void AssignToCanvas(TCanvas* Canvas) const;
    bool SameAs(const TVuBrush& O) const { return FColor == O.FColor && FStyle == O.FStyle; }
    void LoadFromStream(TStream* Stream); // one value-list block: CL, ST
    void SaveToStream(TStream* Stream) const;

protected:
    void Changed();

private:
    TColor FColor = 0xFFFFFF;
    TBrushStyle FStyle = bsClear;
};

// Width in quarter points (1 = 1/288 inch).
class TVuPen : public TPersistent {
public:
    Integer Width() const { return FWidth; }
    void SetWidth(Integer Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return FMode; } // stored and compared, never applied
    void SetMode(TPenMode Value);
    TNotifyEvent OnChange;
    void Assign(TPersistent* Source) override;
    // The canvas pen at Ppi: width round(Ppi / 288 × Width) pixels; clNone gives a clear pen.
    void AssignToCanvas(TCanvas* Canvas, Integer Ppi) const;
    void AssignToPen(TPen* Pen) const;
    bool SameAs(const TVuPen& O) const
    {
        return FColor == O.FColor && FMode == O.FMode && FStyle == O.FStyle && FWidth == O.FWidth;
    }
    void LoadFromStream(TStream* Stream); // CL, SZ, ST, PM
    void SaveToStream(TStream* Stream) const;

protected:
    void Changed();

private:
    Integer FWidth = 0;
    TColor FColor = 0;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmBlack;
};

// Angle in degrees counter-clockwise.
class TVuFont : public TPersistent {
public:
    Integer Size() const { return FSize; }
    void SetSize(Integer Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    Extended Angle() const { return FAngle; }
    void SetAngle(Extended Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset Value);
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& Value);
    TNotifyEvent OnChange;
    // A platform font: its fields and angle 0; a TVuFont: all six fields. Does not notify.
    void Assign(TPersistent* Source) override;
    // The platform font takes the fields (the caller sets its PixelsPerInch first); a non-zero
    // angle becomes the escapement and orientation of the font's handle.
    void AssignToFont(TFont* Font) const;
    void AssignToCanvas(TCanvas* Canvas) const { AssignToFont(Canvas->Font()); }
    bool SameAs(const TVuFont& O) const
    {
        return FName == O.FName && FSize == O.FSize && FCharset == O.FCharset && FAngle == O.FAngle &&
               FColor == O.FColor && FStyle == O.FStyle;
    }
    void LoadFromStream(TStream* Stream); // CL, ST, FA, SZ, CS, FN
    void SaveToStream(TStream* Stream) const;

protected:
    void Changed();

private:
    Integer FSize = 12;
    TFontStyles FStyle;
    Extended FAngle = 0;
    TColor FColor = 0;
    TFontCharset FCharset = 1;
    AnsiString FName;
};

// One decimal reference count per resource of the owning list, at the same index.
class TVuReferenceList : public TStringList {
public:
    void AddValue(Integer N) { Add(IntToStr(N)); }
    Integer GetValue(Integer I) const;
    void SetValue(Integer I, Integer N) { SetStrings(I, IntToStr(N)); }
    void IncValueAtIndex(Integer I) { SetValue(I, GetValue(I) + 1); }
    void DecValueAtIndex(Integer I) { SetValue(I, GetValue(I) - 1); }
};

// Owns its entries; Counts() holds one count per entry.
class TVuResourceList : public TObject {
public:
    TVuResourceList() = default;
    ~TVuResourceList() override;
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    TObject* Item(Integer Index) const; // EListError outside the list
    Integer RefCount(Integer Index) const { return FCounts.GetValue(Index); }
    TVuReferenceList* Counts() { return &FCounts; }
    // Index of the entry itself (identity); -1 when absent.
    Integer IndexOfEntry(const TObject* Entry) const;
    // Drops one reference of Entry; the last one frees it. An unknown entry is ignored.
    void DeleteResource(TObject* Entry);
    void Clear();
    // Where each stored index of the last load landed (empty before any load).
    const std::vector<Integer>& LoadedIndex() const { return FLoadedIndex; }
    // The entry of stored index I with one more reference; nullptr for -1 or an index the load
    // did not hold.
    TObject* ResolveLoaded(Integer I);
    // Releases the references the last load held on its entries.
    void EndLoad();
    virtual void LoadFromStream(TStream* Stream) = 0;
    virtual void SaveToStream(TStream* Stream) = 0;

protected:
    // The entry or nullptr for -1; EListError for other bad indices.
    TObject* ItemOrNull(Integer Index) const { return Index == -1 ? nullptr : Item(Index); }
    TObject* Intern(Integer Found, std::unique_ptr<TObject> Fresh);
    void Replace(Integer Index, TObject* Entry);
    void BeginLoad() { FLoadedIndex.clear(); }
    void NoteLoaded(TObject* Entry) { FLoadedIndex.push_back(IndexOfEntry(Entry)); }
    // A count read from Stream that its remaining bytes can hold (each entry takes at least
    // MinBytes); EReadError otherwise.
    static Integer ReadItemCount(TStream* Stream, Integer MinBytes);

private:
    std::vector<TObject*> FItems;
    TVuReferenceList FCounts;
    std::vector<Integer> FLoadedIndex;
};

class TVuBrushList : public TVuResourceList {
public:
    TVuBrush* AddBrush(const TVuBrush* Brush);
    Integer IndexOf(const TVuBrush* Brush) const;
    TVuBrush* GetBrush(Integer Index) const { return static_cast<TVuBrush*>(ItemOrNull(Index)); }
    void SetBrush(Integer Index, TVuBrush* Brush) { Replace(Index, Brush); }
    void LoadFromStream(TStream* Stream) override; // empties the list first
    void SaveToStream(TStream* Stream) override;
};

class TVuFontList : public TVuResourceList {
public:
    TVuFont* AddFont(const TVuFont* Font);
    Integer IndexOf(const TVuFont* Font) const;
    // -1 is an index error here, as for any other bad index.
    TVuFont* GetFont(Integer Index) const { return static_cast<TVuFont*>(Item(Index)); }
    void SetFont(Integer Index, TVuFont* Font) { Replace(Index, Font); }
    void LoadFromStream(TStream* Stream) override; // empties the list first
    void SaveToStream(TStream* Stream) override;
};

class TVuPenList : public TVuResourceList {
public:
    TVuPen* AddPen(const TVuPen* Pen);
    Integer IndexOf(const TVuPen* Pen) const;
    TVuPen* GetPen(Integer Index) const { return static_cast<TVuPen*>(ItemOrNull(Index)); }
    void SetPen(Integer Index, TVuPen* Pen) { Replace(Index, Pen); }
    void LoadFromStream(TStream* Stream) override; // appends
    void SaveToStream(TStream* Stream) override;
};

// Pictures: JPEG pictures, enhanced metafiles and bitmaps.
class TVuGraphicList : public TVuResourceList {
public:
    bool CompareGraphics = true;
    // nullptr (and nothing stored) for any other kind of picture.
    TGraphic* AddGraphic(TGraphic* Graphic);
    Integer IndexOf(TGraphic* Graphic) const;
    TGraphic* GetGraphic(Integer Index) const { return static_cast<TGraphic*>(ItemOrNull(Index)); }
    void SetGraphic(Integer Index, TGraphic* Graphic) { Replace(Index, Graphic); }
    // 0 JPEG, 1 metafile, 2 anything else.
    static Integer GetGraphicType(const TGraphic* Graphic);
    // Appends; end positions are absolute stream positions (read a document from where it
    // was written).
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
};

// Rich-text blocks: rich-edit controls owned by the list, compared by identity, parented to a
// hidden host form of the list (made with the first control, freed after the controls).
class TVuCustomMemoList : public TVuResourceList {
public:
    ~TVuCustomMemoList() override;
    // Lets the document supply the control (set RichEdit; left null, a plain TRichEdit is made).
    std::function<void(TObject* Sender, TCustomMemo*& RichEdit)> OnCreateMemo;
    TCustomMemo* CreateMemo();
    // Memo itself when it is an entry (one more reference); otherwise a new control holding a
    // copy of Memo's rich text, appended with count 1.
    TCustomMemo* AddMemo(TCustomMemo* Memo);
    TCustomMemo* GetMemo(Integer Index) const { return static_cast<TCustomMemo*>(ItemOrNull(Index)); }
    void SetMemo(Integer Index, TCustomMemo* Memo) { Replace(Index, Memo); }
    // vuMemo for a plain "TMemo", vuRichEdit otherwise.
    static TVuMemoType GetMemoType(TCustomMemo* Memo);
    // Per block: the memo type and the RTF as a length-prefixed string. Appends.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;

private:
    TCustomMemo* Hosted(TCustomMemo* Memo);
    TWinControl* FHost = nullptr;
};

class TVuResourceTable : public TPersistent {
public:
    TVuBrushList* Brushes() { return &FBrushes; }
    TVuCustomMemoList* Memos() { return &FMemos; }
    TVuFontList* Fonts() { return &FFonts; }
    TVuPenList* Pens() { return &FPens; }
    TVuGraphicList* Graphics() { return &FGraphics; }
    TVuBrush* AddBrush(const TVuBrush* B) { return FBrushes.AddBrush(B); }
    TVuFont* AddFont(const TVuFont* F) { return FFonts.AddFont(F); }
    TVuPen* AddPen(const TVuPen* P) { return FPens.AddPen(P); }
    TGraphic* AddGraphic(TGraphic* G) { return FGraphics.AddGraphic(G); }
    TCustomMemo* AddMemo(TCustomMemo* M) { return FMemos.AddMemo(M); }
    void Clear();
    // Brushes, fonts, pens, pictures, rich-text blocks, in this order.
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);
    // Releases what the last load held (see the top of this file).
    void EndLoad();

private:
    TVuBrushList FBrushes;
    TVuCustomMemoList FMemos;
    TVuFontList FFonts;
    TVuPenList FPens;
    TVuGraphicList FGraphics;
};

// "colour,width,style,mode" of a platform pen (the preview's stored margin pens).
AnsiString PenToString(TPen* Pen);
void PenFromString(TPen* Pen, const AnsiString& Text);

// Measures and lays out text at the virtual resolution CALC_PPI, whatever the target, and
// draws it with per-character advances carried from that layout, so that a text box breaks at
// the same words on the screen, in the preview and on any printer.
//
// Lengths returned are inches. Widths of strings are cached per font, so laying out a long text
// costs one shaping per distinct word run, not one font lookup per word.
class TVuFontMapper : public TObject {
public:
    TVuFontMapper();
    ~TVuFontMapper() override;

    TVuSize TextExtent(TCanvas* Canvas, const AnsiString& Text);
    Extended TextWidth(TCanvas* Canvas, const AnsiString& Text) { return TextExtent(Canvas, Text).Width; }
    Extended TextHeight(TCanvas* Canvas, const AnsiString& Text) { return TextExtent(Canvas, Text).Height; }
    // Lays Text out in Rect (device pixels of Canvas), draws it, returns the laid-out height.
    Extended TextBox(TCanvas* Canvas, const TRect& Rect, const AnsiString& Text, TVuCaptionAlign Alignment,
                     bool Screen);
    // What TextBox would lay out, measured off-screen.
    Extended TextBoxHeight(TFont* Font, const TRect& Rect, const AnsiString& Text);
    // Draws at device pixel (X, Y) with virtual-resolution spacing, clipped to Rect when given.
    void TextOut(TCanvas* Canvas, Integer X, Integer Y, const TRect* Rect, const AnsiString& Text,
                 bool Screen);
    void VuDrawText(TCanvas* Canvas, Integer X, Integer Y, const TRect* Rect, const AnsiString& Text,
                    const std::vector<Integer>& Advances);
    // Advances (device pixels, one per byte of Text; the later bytes of a multi-byte character
    // get 0) of Text in the measuring font, with the fractions carried.
    void CalculateCharSpacing(TCanvas* Canvas, const AnsiString& Text);
    const std::vector<Integer>& Advances() const { return FAdvances; }
    // The lines the last TextBox emitted (trimmed), for callers that place or check them.
    const std::vector<AnsiString>& LaidOutLines() const { return FLines; }

    bool WordWrap = true;
    Integer MeasuringPpi() const { return FMeasuringPpi; }
    Integer DevicePpi() const { return FDevicePpi; }
    TCanvas* MeasuringCanvas();

private:
    // The measuring font := Font at the measuring resolution and Font's point size.
    void PrepareMeasuringFont(TFont* Font);
    // Width and height of Text in the measuring font, in measuring pixels.
    SIZE MeasurePixels(const AnsiString& Text);

    std::unique_ptr<TBitmap> FBitmap;
    std::vector<Integer> FAdvances;
    std::vector<AnsiString> FLines;
    bool FMeasureOnly = false;
    Integer FMeasuringPpi = 0;
    Integer FDevicePpi = 96;
    std::unordered_map<std::string, SIZE> FWidthCache;
    std::string FFontKey;
};

// The one font mapper of the process (made on first use, which also fixes CALC_PPI).
TVuFontMapper* VuFontMapper();
