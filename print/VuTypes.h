#pragma once
// The print suite's vocabulary: enumerations, plain records of lengths in inches, the one
// conversion between length units, the TVuValue family, the paper table and small stateless
// helpers (geometry, font styles, caption tokens).
//
// Every length is kept in inches. Device pixels exist only while drawing, as inches times the
// target's pixels per inch, rounded to the nearest integer with halves to even.
#include "platform/forms/Graphics.h"
#include "platform/rtl/Components.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"
#include <functional>
#include <vector>

// ---- Enumerations (stored as one byte; the ordinal is the position) ----
enum TVuMeasurement : std::uint8_t { vuUnits, vuPixels, vuMillimeters, vuCentimeters, vuInches, vuTwips };
enum TVuPaperSize : std::uint8_t {
    A3,
    A4,
    A5,
    A6,
    B5,
    C5,
    Legal,
    Letter,
    Custom,
    B4,
    Envelope_09,
    Envelope_10,
    Envelope_11,
    Envelope_12,
    Envelope_14,
    Tabloid,
    Ledger,
    Executive
};
enum TVuOrientation : std::uint8_t { vuPortrait, vuLandscape };
enum TVuVertAlignment : std::uint8_t { vuTop, vuMiddle, vuBottom };
enum TVuCaptionAlign : std::uint8_t { vuLeft, vuCenter, vuRight };
enum TVuCoordsRelative : std::uint8_t {
    vuFromPage,
    vuFromPrinterMargins,
    vuFromUserMargins,
    vuFromHeaderLine
};
enum TVuCursor : std::uint8_t { vuDefault, vuZoomIn, vuZoomOut };
enum TVuDitherType : std::uint8_t { vuNone, vuCourse, vuFine, vuLineArt, vuGrayScale };
enum TVuDragDrawing : std::uint8_t { vuDragNone, vuDragLine, vuDragEllipse, vuDragRectangle };
enum TVuDuplexType : std::uint8_t { vuSimplex, vuHorzDuplex, vuVertDuplex };
enum TVuGraphicType : std::uint8_t { vuJPeg, vuMetafile, vuBitmap };
enum TVuGridStyle : std::uint8_t { vuNoGrid, vuDots, vuLines };
enum TVuHighlightStyle : std::uint8_t { vuThinLine, vuThickLine, vuBackground };
enum TVuMemoType : std::uint8_t { vuMemo, vuRichEdit };
enum TVuArrangeObject : std::uint8_t { vuToFront, vuForward, vuBackword, vuToBack };
enum TVuPagesPerSheet : std::uint8_t { vuOnePage, vuTwoPage, vuFourPage };
enum TVuPathObjectType : std::uint8_t {
    vuBeginPath,
    vuEndPath,
    vuFillPath,
    vuStrokePath,
    vuStrokeAndFillPath,
    vuCloseFigure
};
enum TVuPrintColor : std::uint8_t { vuColor, vuMonochrome };
enum TVuPrintQuality : std::uint8_t { vuDraft, vuLow, vuMedium, vuHigh };
enum TVuPrinterRotation : std::uint8_t { vuRotate0, vuRotate90, vuRotate270 };
enum TVuRotateValue : std::uint8_t { vuRotateBy0, vuRotateBy90, vuRotateBy180, vuRotateBy270 };
enum TVuThumbNailLayout : std::uint8_t { vuThumbHorz, vuThumbVert, vuThumbGrid };
enum TVuZoomStyle : std::uint8_t { vuFixedZoom, vuVariableZoom };

// ---- Plain records (lengths in inches unless a caller says otherwise) ----
struct TVuPoint {
    Extended X = 0, Y = 0;
};
struct TVuSize {
    Extended Width = 0, Height = 0;
};
// First corner (Left, Top) and opposite corner (Right, Bottom); nothing orders them.
struct TVuRect {
    Extended Left = 0, Top = 0, Right = 0, Bottom = 0;
};
// Bounding rectangle corners, then two radial end points (arcs, chords, pies).
struct TVuComplexCoords {
    Extended X = 0, Y = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0, X4 = 0, Y4 = 0;
};
// Device pixels.
struct TVuRectPoints {
    TPoint TopLeft, TopRight, BottomLeft, BottomRight;
};
using TVuPolyPoints = std::vector<TVuPoint>;
// What every page object receives when it draws.
struct TVuObjectDrawData {
    Integer Page = 1;  // 1-based number of the page being drawn
    Integer PpiX = 96; // target pixels per inch
    Integer PpiY = 96;
    Integer NumPages = 1; // the document's page count
    bool Flag = false;    // passed through by the page; no page object reads it
};

inline TVuPoint VuPoint(Extended X, Extended Y)
{
    return {X, Y};
}
inline TVuSize VuSize(Extended Width, Extended Height)
{
    return {Width, Height};
}
inline TVuRect VuRect(Extended Left, Extended Top, Extended Right, Extended Bottom)
{
    return {Left, Top, Right, Bottom};
}
inline TVuComplexCoords VuComplexCoords(Extended X, Extended Y, Extended X2, Extended Y2, Extended X3,
                                        Extended Y3, Extended X4, Extended Y4)
{
    return {X, Y, X2, Y2, X3, Y3, X4, Y4};
}

// ---- Constants and globals ----
// The virtual resolution of all text measurement; 0 until the font mapper exists.
extern Integer CALC_PPI;
inline constexpr Integer VU_VARIABLE_ZOOM[15] = {7,   10,  14,  20,  30,  45,  60, 80,
                                                 120, 170, 250, 350, 500, 650, 800};
extern AnsiString GlobalDateTokenFormat; // "{DATE}" format, initially "dd/mm/yyyy"
extern AnsiString GlobalTimeTokenFormat; // initially "hh/mm"; "{TIME}" uses a fixed format
inline constexpr Extended VuSuiteVersion = 2.96;
inline constexpr Integer VuSuiteBuild = 6;

// ---- Unit conversion ----
// Equal units return Value untouched; otherwise through inches.
Extended ConvertValue(Extended Value, TVuMeasurement FromUnit, TVuMeasurement ToUnit);
TVuPoint ConvertVuPoint(const TVuPoint& Point, TVuMeasurement FromUnit, TVuMeasurement ToUnit);
TVuSize ConvertVuSize(const TVuSize& Size, TVuMeasurement FromUnit, TVuMeasurement ToUnit);
TVuRect ConvertVuRect(const TVuRect& Rect, TVuMeasurement FromUnit, TVuMeasurement ToUnit);
TVuComplexCoords ConvertVuComplexCoords(const TVuComplexCoords& Coords, TVuMeasurement FromUnit,
                                        TVuMeasurement ToUnit);
void ConvertVuPolyPoints(TVuPolyPoints& Points, TVuMeasurement FromUnit, TVuMeasurement ToUnit);
void ArrayToPolyPoints(const std::vector<TVuPoint>& Points, TVuPolyPoints& Result);

// Rounds to the nearest integer, halves to the even neighbour.
Int64 VuRound(Extended Value);

// ---- TVuValue: one length, read and set in any unit ----
class TVuValue : public TPersistent {
public:
    using TNotify = std::function<void(TObject* Sender)>;
    explicit TVuValue(TNotify OnChange = nullptr) : FOnChange(std::move(OnChange)) {}
    // No callback; stores Value converted from Measurement to inches.
    TVuValue(Extended Value, TVuMeasurement Measurement);

    Extended Value() const { return FValue; }
    Extended GetVuValue(TVuMeasurement M) const { return ConvertValue(FValue, vuInches, M); }
    Extended GetAsInches() const { return FValue; }
    Extended GetAsMillimeters() const { return GetVuValue(vuMillimeters); }
    Extended GetAsCentimeters() const { return GetVuValue(vuCentimeters); }
    Integer GetAsVuUnits() const;
    Integer GetAsTwips() const;
    Integer GetAsPixels(Integer Ppi) const;

    // Stores X and notifies when it differs (exactly) from the value held.
    void SetAsInches(Extended X);
    void SetVuValue(TVuMeasurement M, Extended X) { SetAsInches(ConvertValue(X, M, vuInches)); }
    void SetAsMillimeters(Extended X) { SetVuValue(vuMillimeters, X); }
    void SetAsCentimeters(Extended X) { SetVuValue(vuCentimeters, X); }
    void SetAsVuUnits(Integer N) { SetVuValue(vuUnits, N); }
    void SetAsTwips(Integer N) { SetVuValue(vuTwips, N); }
    void SetAsPixels(Integer Ppi, Integer Pixels) { SetAsInches(Extended(Pixels) / Ppi); }

    void SetOnChange(TNotify OnChange) { FOnChange = std::move(OnChange); }
    // A TVuValue source: copies its value and always notifies. Anything else: assignment error.
    void Assign(TPersistent* Source) override;

protected:
    virtual void Changed();

private:
    Extended FValue = 0;
    TNotify FOnChange;
};

// A pair of owned values; a change of either is reported through the pair's own callback.
class TVuCustomValueSize : public TPersistent {
public:
    TVuCustomValueSize();
    ~TVuCustomValueSize() override;
    TVuCustomValueSize(const TVuCustomValueSize&) = delete;
    TVuCustomValueSize& operator=(const TVuCustomValueSize&) = delete;
    // A TVuValueSize source sets the second and then the first value; anything else refused.
    void Assign(TPersistent* Source) override;
    void SetOnChange(TVuValue::TNotify OnChange) { FOnChange = std::move(OnChange); }
    void ValueChanged(TObject* Sender);

protected:
    TVuValue* FValue1;
    TVuValue* FValue2;

private:
    TVuValue::TNotify FOnChange;
};

class TVuValuePoint : public TVuCustomValueSize {
public:
    TVuValue* X() const { return FValue1; }
    TVuValue* Y() const { return FValue2; }
};

class TVuValueSize : public TVuCustomValueSize {
public:
    TVuValue* Height() const { return FValue1; }
    TVuValue* Width() const { return FValue2; }
};

// Two owned corners. No change callback of its own.
class TVuValueRect : public TPersistent {
public:
    TVuValueRect() = default;
    TVuValuePoint* TopLeft() { return &FTopLeft; }
    TVuValuePoint* BottomRight() { return &FBottomRight; }
    TVuValue* Left() const { return FTopLeft.X(); }
    TVuValue* Top() const { return FTopLeft.Y(); }
    TVuValue* Right() const { return FBottomRight.X(); }
    TVuValue* Bottom() const { return FBottomRight.Y(); }
    TVuRect GetAsInchRect() const;
    void SetAsInchRect(const TVuRect& Rect);
    // 1 Left, 2 Top, 3 Right, 4 Bottom; any other index: nullptr / no change.
    TVuValue* GetValue(Integer Index) const;
    void SetValue(Integer Index, TVuValue* Value);

private:
    TVuValuePoint FTopLeft;
    TVuValuePoint FBottomRight;
};

// ---- Geometry ----
void OffsetVuPoint(TVuPoint& Point, Extended DX, Extended DY);
void OffsetVuRect(TVuRect& Rect, Extended DX, Extended DY);
TRect ScaleRect(const TRect& Rect, Extended Factor);
TVuRect ScaleVuRect(const TVuRect& Rect, Extended Factor);
TRect VuRectToRect(const TVuRect& Rect);
TVuRectPoints RectToVuRectPoints(const TRect& Rect);
TRect VuRectPointsToRect(const TVuRectPoints& Points);
bool EqualPoints(const TPoint& A, const TPoint& B);
bool EqualVuPoints(const TVuPoint& A, const TVuPoint& B);
bool EqualVuRects(const TVuRect& A, const TVuRect& B);
inline Integer RectWidth(const TRect& R)
{
    return R.Right - R.Left;
}
inline Integer RectHeight(const TRect& R)
{
    return R.Bottom - R.Top;
}
inline Extended VuRectWidth(const TVuRect& R)
{
    return R.Right - R.Left;
}
inline Extended VuRectHeight(const TVuRect& R)
{
    return R.Bottom - R.Top;
}
inline Extended MaxFloat(Extended A, Extended B)
{
    return A > B ? A : B;
}
inline Extended MinFloat(Extended A, Extended B)
{
    return A < B ? A : B;
}
inline void SwapExtValues(Extended& A, Extended& B)
{
    std::swap(A, B);
}

// ---- Paper ----
// Portrait width × height in inches; Custom has no entry and yields a zero size.
TVuSize GetPaperSizeInch(TVuPaperSize PaperSize);
bool IsEnvelope(TVuPaperSize PaperSize);
AnsiString PaperSizeToStr(TVuPaperSize PaperSize);
// Exact, case-sensitive match of the names; Custom when none matches.
TVuPaperSize StrToPaperSize(const AnsiString& Text);

// ---- Fonts and captions ----
AnsiString FontStyleToString(TFontStyles Style); // "b,i,u" subset; strike-out not kept
TFontStyles FontStyleFromString(const AnsiString& Text);
AnsiString ReplaceStringFields(const AnsiString& Text, const AnsiString& Field, const AnsiString& Value);
// Replaces "{DATE}" (DateFormat), "{TIME}" (fixed "hh:nn"; TimeFormat is not used), "{PAGE}" and
// "{NUMPAGES}", in this order.
AnsiString Tokenize(const AnsiString& Text, Integer PageNum, Integer NumPages, const AnsiString& DateFormat,
                    const AnsiString& TimeFormat);

TColor InvertColor(TColor Color);

// Font measurement at 600 pixels per inch, in inches: the font's cell height, and the extent of
// Text in Font (the font's own angle is not applied).
Extended GetFontHeightInch(TFont* Font);
TVuSize TextExtent(const AnsiString& Text, TFont* Font);

// ---- Other ----
// The operating-system text. On this platform it names no Windows family, so the virtual
// resolution is 7200 and character advances are always passed.
AnsiString ReturnOSVersion();
// Message box: "<class> Error!\r\r<message>". The suite reports errors this way.
void ShowVuError(TObject* Sender, const AnsiString& Message);
// When set, receives the text ShowVuError would show instead of the message box (tests, batch
// runs without a screen).
extern std::function<void(const AnsiString& Text)> VuErrorHook;
// "<class> v2.96.6".
AnsiString GetStrVersion(TObject* Sender);

// Empty base classes of the suite's components.
class TVuCustomComponent : public TComponent {
public:
    using TComponent::TComponent;
};
