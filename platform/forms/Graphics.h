#pragma once

// Graphics objects of the component library: fonts, pens and brushes that create their
// drawing-layer objects on demand, the canvas over a device context, and the picture classes
// (bitmaps, icons, JPEG images, metafiles) with file loading by type.

#include "platform/rtl/Objects.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"
#include "platform/win/Gdi.h"
#include "platform/win/ImageFiles.h"
#include "platform/win/Metafile.h"

#include <memory>
#include <mutex>
#include <vector>

// ---- Fonts, pens, brushes ---------------------------------------------------------------------

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

// The base of TFont, TPen and TBrush: a description that makes its drawing-layer object the
// first time Handle is read, and drops it when the description changes.
class TGraphicsObject : public TPersistent {
public:
    ~TGraphicsObject() override;

    TNotifyEvent OnChange;

protected:
    // Tells the listeners (OnChange: a canvas deselects the object), then drops the old handle.
    virtual void Changed();
    void FreeHandle();
    TOwnedGdiObject FHandle; // made on the first Handle(), deleted when the description changes
};

class TFont : public TGraphicsObject {
public:
    TFont();

    void Assign(TPersistent* Source) override;

    // The font object; made on first use. Setting a handle takes the description of that font
    // (the handle itself stays the caller's).
    HFONT Handle();
    void SetHandle(HFONT Value);

    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& Value);
    // Points; Size = -Height * 72 / PixelsPerInch.
    Integer Size() const;
    void SetSize(Integer Value);
    // Pixels; negative for the character height, positive for the cell height.
    Integer Height() const { return FHeight; }
    void SetHeight(Integer Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset Value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    Integer PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

    // The face as a drawing-layer description.
    LOGFONTA LogFont() const;

private:
    AnsiString FName = "MS Sans Serif";
    Integer FHeight = -11;          // 8 points at 96 pixels per inch
    TColor FColor = 0x80000000 | 8; // clWindowText
    TFontStyles FStyle;
    TFontCharset FCharset = 1; // DEFAULT_CHARSET
    TFontPitch FPitch = fpDefault;
    Integer FPixelsPerInch = 96;
};

class TPen : public TGraphicsObject {
public:
    void Assign(TPersistent* Source) override;

    HPEN Handle();
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    Integer Width() const { return FWidth; }
    void SetWidth(Integer Value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode Value);

private:
    TColor FColor = 0; // clBlack
    Integer FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

class TBitmap;

class TBrush : public TGraphicsObject {
public:
    ~TBrush() override;
    void Assign(TPersistent* Source) override;

    HBRUSH Handle();
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    // A pattern brush of a copy of Value (nullptr: back to a plain brush).
    TBitmap* Bitmap() const { return FBitmap.get(); }
    void SetBitmap(TBitmap* Value);

private:
    TColor FColor = 0xFFFFFF; // clWhite
    TBrushStyle FStyle = bsSolid;
    std::unique_ptr<TBitmap> FBitmap;
};

// ---- Canvas ----------------------------------------------------------------------------------

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates>;
enum TFillStyle { fsSurface, fsBorder };
using TCopyMode = LongInt;

inline constexpr TCopyMode cmBlackness = BLACKNESS;
inline constexpr TCopyMode cmDstInvert = DSTINVERT;
inline constexpr TCopyMode cmMergeCopy = MERGECOPY;
inline constexpr TCopyMode cmMergePaint = MERGEPAINT;
inline constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
inline constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
inline constexpr TCopyMode cmPatCopy = PATCOPY;
inline constexpr TCopyMode cmPatInvert = PATINVERT;
inline constexpr TCopyMode cmPatPaint = PATPAINT;
inline constexpr TCopyMode cmSrcAnd = SRCAND;
inline constexpr TCopyMode cmSrcCopy = SRCCOPY;
inline constexpr TCopyMode cmSrcErase = SRCERASE;
inline constexpr TCopyMode cmSrcInvert = SRCINVERT;
inline constexpr TCopyMode cmSrcPaint = SRCPAINT;
inline constexpr TCopyMode cmWhiteness = WHITENESS;

class TGraphic;

// Drawing on a device context with the current Font, Pen and Brush. The context comes from
// SetHandle or from CreateHandle of a descendant (a control's window, a bitmap); the objects
// are selected into it only when an operation needs them. Not safe across threads unless the
// callers hold Lock.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    // The device context; asks CreateHandle for one when none is set. Raises
    // EInvalidOperation "Canvas does not allow drawing" when none can be had.
    HDC Handle();
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return FHandle != nullptr; }

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
    // ETO_ options added to every TextOut and TextRect.
    Integer TextFlags() const { return FTextFlags; }
    void SetTextFlags(Integer Value) { FTextFlags = Value; }
    TPoint PenPos();
    void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
    // The part of the canvas that drawing can reach (logical coordinates).
    TRect ClipRect();

    TColor Pixels(Integer X, Integer Y);
    void SetPixels(Integer X, Integer Y, TColor Value);

    void MoveTo(Integer X, Integer Y);
    void LineTo(Integer X, Integer Y);
    void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void Rectangle(const TRect& Rect) { Rectangle(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
    void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void Ellipse(const TRect& Rect) { Ellipse(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }
    void Polygon(const std::vector<TPoint>& Points);
    void Polyline(const std::vector<TPoint>& Points);
    void FillRect(const TRect& Rect);
    void FrameRect(const TRect& Rect);
    void DrawFocusRect(const TRect& Rect);
    void FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle);

    // Draws Text at (X, Y) and moves the pen position to its end.
    void TextOut(Integer X, Integer Y, const AnsiString& Text);
    // Draws Text at (X, Y) clipped to Rect; the rectangle is filled with the brush first unless
    // the brush is clear.
    void TextRect(const TRect& Rect, Integer X, Integer Y, const AnsiString& Text);
    TSize TextExtent(const AnsiString& Text);
    Integer TextWidth(const AnsiString& Text) { return TextExtent(Text).cx; }
    Integer TextHeight(const AnsiString& Text) { return TextExtent(Text).cy; }

    // Draws a picture at its own size, or stretched to Rect. Empty pictures draw nothing.
    void Draw(Integer X, Integer Y, TGraphic* Graphic);
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    // Copies Source of another canvas onto Dest of this one with CopyMode, stretching.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
    // Copies Source of Bitmap onto Dest, with the pixels of Color replaced by the brush.
    void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);

    // Serialises drawing from several threads; nests.
    void Lock();
    void Unlock();
    bool TryLock();
    Integer LockCount() const { return FLockCount; }

    // Deselects the font, pen and brush so that they are selected again on next use.
    void Refresh() { DeselectHandles(); }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    // Makes sure the context and the named objects are selected.
    void RequiredState(TCanvasState ReqState);

protected:
    virtual void CreateHandle() {}
    virtual void Changed();
    virtual void Changing();
    void DeselectHandles();

    HDC FHandle = nullptr;
    TCanvasState FState;

private:
    void CreateFont();
    void CreatePen();
    void CreateBrush();

    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TCopyMode FCopyMode = cmSrcCopy;
    Integer FTextFlags = 0;
    std::recursive_mutex FLock;
    Integer FLockCount = 0;
};

// ---- Pictures --------------------------------------------------------------------------------

class TGraphic : public TPersistent {
public:
    virtual bool Empty() const = 0;
    virtual Integer Width() const = 0;
    virtual Integer Height() const = 0;
    virtual void SetWidth(Integer Value) = 0;
    virtual void SetHeight(Integer Value) = 0;
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool Modified() const { return FModified; }
    void SetModified(bool Value);

    // Reads the picture from Stream's position to its end. Bad data raises EInvalidGraphic.
    virtual void LoadFromStream(TStream* Stream) = 0;
    virtual void SaveToStream(TStream* Stream) = 0;
    void LoadFromFile(const AnsiString& FileName);
    void SaveToFile(const AnsiString& FileName);
    // Clipboard exchange (formats as bytes; CF_DIB = 8 for pictures that are pixels).
    virtual void LoadFromClipboardFormat(UINT Format, const std::vector<Byte>& Data);
    virtual void SaveToClipboardFormat(UINT& Format, std::vector<Byte>& Data);

    // Streaming of the picture as the binary property "Data".
    void DefineProperties(TFiler* Filer) override;

    TNotifyEvent OnChange;

    // Draws the picture stretched to Rect of ACanvas.
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

protected:
    virtual void Changed();
    virtual void ReadData(TStream* Stream);
    virtual void WriteData(TStream* Stream);

    bool FTransparent = false;
    bool FModified = false;
};

// A class of picture for the file-format table: makes an empty picture of that class.
using TGraphicClass = TGraphic* (*)();

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

// A picture of pixels. The pixels are kept 32-bit whatever PixelFormat says; PixelFormat is
// what is written to files.
class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;

    void Assign(TPersistent* Source) override;

    bool Empty() const override { return FHandle == nullptr; }
    Integer Width() const override { return FWidth; }
    Integer Height() const override { return FHeight; }
    void SetWidth(Integer Value) override { SetSize(Value, FHeight); }
    void SetHeight(Integer Value) override { SetSize(FWidth, Value); }
    // Resizes keeping the pixels that fit; new pixels are white.
    void SetSize(Integer AWidth, Integer AHeight);

    // The bitmap (nullptr while empty). Setting one takes it over.
    HBITMAP Handle();
    void SetHandle(HBITMAP Value);
    // Gives up the bitmap: the caller owns it and this picture is empty.
    HBITMAP ReleaseHandle();
    HPALETTE Palette() const { return nullptr; }
    TCanvas* Canvas();

    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat Value);
    // The colour drawn as see-through when Transparent: the bottom-left pixel in tmAuto.
    TColor TransparentColor();
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);

    // BMP data.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    // A bitmap embedded in the program (a BITMAP resource). Raises EResNotFound.
    void LoadFromResourceName(const void* Instance, const AnsiString& ResName);
    void LoadFromClipboardFormat(UINT Format, const std::vector<Byte>& Data) override;
    void SaveToClipboardFormat(UINT& Format, std::vector<Byte>& Data) override;

    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    // Called by the canvas when it is drawn on (marks the picture changed).
    void CanvasChanged();

protected:
    void ReadData(TStream* Stream) override;
    void WriteData(TStream* Stream) override;

private:
    friend class TBitmapCanvas;
    void TakeHandle(HBITMAP Value, bool SetFormat);
    void FreeContext();

    TOwnedBitmap FHandle; // declared before the canvas: the canvas's context goes first
    Integer FWidth = 0;
    Integer FHeight = 0;
    TPixelFormat FPixelFormat = pfDevice;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    std::unique_ptr<TBitmapCanvas> FCanvas;
};

// The canvas of a bitmap: a memory context with the bitmap selected.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* ABitmap) : FBitmap(ABitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }
    void FreeContext();

protected:
    void CreateHandle() override;
    void Changed() override;

private:
    TBitmap* FBitmap;
    TOwnedDC FContext; // the memory context, while the canvas has one
};

// An icon: the image of an icon file that best fits the system icon size; saved back as the
// file it was read from.
class TIcon : public TGraphic {
public:
    ~TIcon() override;
    void Assign(TPersistent* Source) override;

    bool Empty() const override { return FImage == nullptr; }
    Integer Width() const override { return FWidth; }
    Integer Height() const override { return FHeight; }
    // An icon's size comes from its file; changing it raises EInvalidGraphic.
    void SetWidth(Integer Value) override;
    void SetHeight(Integer Value) override;
    bool Transparent() const override { return true; }

    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    // The chosen image (premultiplied alpha); owned by the icon.
    HBITMAP ImageHandle() const { return FImage.get(); }

private:
    void Clear();
    TOwnedBitmap FImage;
    Integer FWidth = 0;
    Integer FHeight = 0;
    std::vector<Byte> FData;
};

// A recorded picture: drawing calls replayed stretched onto any canvas. Saved in the drawing
// layer's own metafile format.
class TMetafile : public TGraphic {
public:
    ~TMetafile() override;
    void Assign(TPersistent* Source) override;

    bool Empty() const override { return FHandle == nullptr; }
    // The size in pixels of the reference device (or as set).
    Integer Width() const override { return FWidth; }
    Integer Height() const override { return FHeight; }
    void SetWidth(Integer Value) override;
    void SetHeight(Integer Value) override;
    // The size in hundredths of a millimetre.
    Integer MMWidth() const { return FMMWidth; }
    Integer MMHeight() const { return FMMHeight; }
    void SetMMWidth(Integer Value) { FMMWidth = Value; }
    void SetMMHeight(Integer Value) { FMMHeight = Value; }
    bool Enhanced() const { return true; }

    // The recording (owned by the picture). Setting one takes it over.
    HENHMETAFILE Handle() const { return FHandle; }
    void SetHandle(HENHMETAFILE Value);
    void Clear();

    // Malformed data raises EInvalidGraphic and leaves the picture unchanged.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

private:
    HENHMETAFILE FHandle = nullptr;
    Integer FWidth = 0, FHeight = 0, FMMWidth = 0, FMMHeight = 0;
};

// A canvas that records into a metafile; the recording goes to the metafile when the canvas is
// destroyed. Text is measured on ReferenceDevice (the screen when null).
class TMetafileCanvas : public TCanvas {
public:
    TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice);
    ~TMetafileCanvas() override;

private:
    TMetafile* FMetafile;
};

// ---- Picture container -------------------------------------------------------------------------

// Holds one picture of any registered class; LoadFromFile picks the class from the extension.
class TPicture : public TPersistent {
public:
    ~TPicture() override;

    void Assign(TPersistent* Source) override;

    TGraphic* Graphic() const { return FGraphic.get(); }
    // Stores a copy of Value (nullptr empties the picture).
    void SetGraphic(TGraphic* Value);
    // The picture as a bitmap: replaces any other kind of picture by an empty bitmap.
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
    TIcon* Icon();
    TMetafile* Metafile();
    Integer Width() const { return FGraphic ? FGraphic->Width() : 0; }
    Integer Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // Raises EInvalidGraphic "Unknown picture file extension (.xyz)" for an extension no class
    // is registered for; the picture is unchanged when loading fails.
    void LoadFromFile(const AnsiString& FileName);
    void SaveToFile(const AnsiString& FileName);

    // Adds or replaces the class for a file extension (without the dot, any case).
    static void RegisterFileFormat(const AnsiString& Extension, const AnsiString& Description,
                                   TGraphicClass GraphicClass);
    static TGraphicClass FileFormatClass(const AnsiString& Extension);

    TNotifyEvent OnChange;

protected:
    virtual void Changed(TObject* Sender);

private:
    void SetOwned(std::unique_ptr<TGraphic> Value);
    std::unique_ptr<TGraphic> FGraphic;
};

// ---- Colour identifiers ---------------------------------------------------------------------------
// The colour constants with a name of their own ("clBlack" … "clWhite", "clMoneyGreen", "clSkyBlue",
// "clCream", "clMedGray", the system colours, "clNone", "clDefault").

// Gives the identifier of Color; false when it has none.
bool ColorToIdent(TColor Color, AnsiString& Ident);
// Finds the colour of an identifier, without regard to case; false when there is none.
bool IdentToColor(const AnsiString& Ident, TColor& Color);
// The identifier, or "$" and eight hexadecimal digits.
AnsiString ColorToString(TColor Color);
// The colour of an identifier, or of a number ("$" and hexadecimal digits, or decimal); anything
// else raises EConvertError "'<S>' is not a valid integer value".
TColor StringToColor(const AnsiString& S);

// The message of pictures that cannot be read.
inline constexpr const char* SInvalidBitmap = "Bitmap image is not valid";
inline constexpr const char* SInvalidIcon = "Icon image is not valid";
inline constexpr const char* SUnknownExtension = "Unknown picture file extension (.%s)";
inline constexpr const char* SNoCanvasHandle = "Canvas does not allow drawing";
