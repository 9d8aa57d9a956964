#include "print/VuTypes.h"

#include "platform/forms/Dialogs.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"

#include <cfenv>
#include <cmath>

Integer CALC_PPI = 0;
AnsiString GlobalDateTokenFormat = "dd/mm/yyyy";
AnsiString GlobalTimeTokenFormat = "hh/mm";
std::function<void(const AnsiString& Text)> VuErrorHook;

Int64 VuRound(Extended Value)
{
    // nearbyint follows the current rounding mode, which is round-to-nearest-even unless someone
    // changed it; say so explicitly rather than trust it.
    return static_cast<Int64>(std::llrint(Value));
}

Extended ConvertValue(Extended Value, TVuMeasurement FromUnit, TVuMeasurement ToUnit)
{
    if (FromUnit == ToUnit)
        return Value;
    Extended I = 0;
    switch (FromUnit) {
    case vuUnits:
        I = Value / 100 / 25.4;
        break;
    case vuPixels:
        I = Value / 96;
        break;
    case vuMillimeters:
        I = Value / 25.4;
        break;
    case vuCentimeters:
        I = Value * 10 / 25.4;
        break;
    case vuInches:
        I = Value;
        break;
    case vuTwips:
        I = Value / 1440;
        break;
    }
    switch (ToUnit) {
    case vuUnits:
        return I * 25.4 * 100;
    case vuPixels:
        return I * 96;
    case vuMillimeters:
        return I * 25.4;
    case vuCentimeters:
        return I * 25.4 / 10;
    case vuInches:
        return I;
    case vuTwips:
        return I * 1440;
    }
    return I;
}

TVuPoint ConvertVuPoint(const TVuPoint& P, TVuMeasurement F, TVuMeasurement T)
{
    return {ConvertValue(P.X, F, T), ConvertValue(P.Y, F, T)};
}

TVuSize ConvertVuSize(const TVuSize& S, TVuMeasurement F, TVuMeasurement T)
{
    return {ConvertValue(S.Width, F, T), ConvertValue(S.Height, F, T)};
}

TVuRect ConvertVuRect(const TVuRect& R, TVuMeasurement F, TVuMeasurement T)
{
    return {ConvertValue(R.Left, F, T), ConvertValue(R.Top, F, T), ConvertValue(R.Right, F, T),
            ConvertValue(R.Bottom, F, T)};
}

TVuComplexCoords ConvertVuComplexCoords(const TVuComplexCoords& C, TVuMeasurement F, TVuMeasurement T)
{
    return {ConvertValue(C.X, F, T),  ConvertValue(C.Y, F, T),  ConvertValue(C.X2, F, T),
            ConvertValue(C.Y2, F, T), ConvertValue(C.X3, F, T), ConvertValue(C.Y3, F, T),
            ConvertValue(C.X4, F, T), ConvertValue(C.Y4, F, T)};
}

void ConvertVuPolyPoints(TVuPolyPoints& Points, TVuMeasurement F, TVuMeasurement T)
{
    for (TVuPoint& P : Points)
        P = ConvertVuPoint(P, F, T);
}

void ArrayToPolyPoints(const std::vector<TVuPoint>& Points, TVuPolyPoints& Result)
{
    Result = Points;
}

// ---- TVuValue ----

TVuValue::TVuValue(Extended Value, TVuMeasurement Measurement)
    : FValue(ConvertValue(Value, Measurement, vuInches))
{
}

Integer TVuValue::GetAsVuUnits() const
{
    return static_cast<Integer>(VuRound(GetVuValue(vuUnits)));
}
Integer TVuValue::GetAsTwips() const
{
    return static_cast<Integer>(VuRound(GetVuValue(vuTwips)));
}
Integer TVuValue::GetAsPixels(Integer Ppi) const
{
    return static_cast<Integer>(VuRound(FValue * Ppi));
}

void TVuValue::SetAsInches(Extended X)
{
    if (X == FValue)
        return;
    FValue = X;
    Changed();
}

void TVuValue::Changed()
{
    if (FOnChange)
        FOnChange(this);
}

void TVuValue::Assign(TPersistent* Source)
{
    if (auto* V = dynamic_cast<TVuValue*>(Source)) {
        FValue = V->FValue;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

TVuCustomValueSize::TVuCustomValueSize()
{
    auto handler = [this](TObject* Sender) { ValueChanged(Sender); };
    FValue1 = new TVuValue(handler);
    FValue2 = new TVuValue(handler);
}

TVuCustomValueSize::~TVuCustomValueSize()
{
    delete FValue1;
    delete FValue2;
}

void TVuCustomValueSize::ValueChanged(TObject*)
{
    if (FOnChange)
        FOnChange(this);
}

void TVuCustomValueSize::Assign(TPersistent* Source)
{
    if (auto* S = dynamic_cast<TVuValueSize*>(Source)) {
        FValue2->SetAsInches(S->FValue2->Value());
        FValue1->SetAsInches(S->FValue1->Value());
        return;
    }
    TPersistent::Assign(Source);
}

TVuRect TVuValueRect::GetAsInchRect() const
{
    return {Left()->Value(), Top()->Value(), Right()->Value(), Bottom()->Value()};
}

void TVuValueRect::SetAsInchRect(const TVuRect& R)
{
    Left()->SetAsInches(R.Left);
    Top()->SetAsInches(R.Top);
    Right()->SetAsInches(R.Right);
    Bottom()->SetAsInches(R.Bottom);
}

TVuValue* TVuValueRect::GetValue(Integer Index) const
{
    switch (Index) {
    case 1:
        return Left();
    case 2:
        return Top();
    case 3:
        return Right();
    case 4:
        return Bottom();
    default:
        return nullptr;
    }
}

void TVuValueRect::SetValue(Integer Index, TVuValue* Value)
{
    if (TVuValue* Side = GetValue(Index))
        Side->Assign(Value);
}

// ---- Geometry ----

void OffsetVuPoint(TVuPoint& P, Extended DX, Extended DY)
{
    P.X += DX;
    P.Y += DY;
}

void OffsetVuRect(TVuRect& R, Extended DX, Extended DY)
{
    R.Left += DX;
    R.Right += DX;
    R.Top += DY;
    R.Bottom += DY;
}

TRect ScaleRect(const TRect& R, Extended F)
{
    return TRect{static_cast<Integer>(VuRound(R.Left * F)), static_cast<Integer>(VuRound(R.Top * F)),
                 static_cast<Integer>(VuRound(R.Right * F)), static_cast<Integer>(VuRound(R.Bottom * F))};
}

TVuRect ScaleVuRect(const TVuRect& R, Extended F)
{
    return {R.Left * F, R.Top * F, R.Right * F, R.Bottom * F};
}

TRect VuRectToRect(const TVuRect& R)
{
    return TRect{static_cast<Integer>(VuRound(R.Left)), static_cast<Integer>(VuRound(R.Top)),
                 static_cast<Integer>(VuRound(R.Right)), static_cast<Integer>(VuRound(R.Bottom))};
}

TVuRectPoints RectToVuRectPoints(const TRect& R)
{
    return {TPoint{R.Left, R.Top}, TPoint{R.Right, R.Top}, TPoint{R.Left, R.Bottom},
            TPoint{R.Right, R.Bottom}};
}

TRect VuRectPointsToRect(const TVuRectPoints& P)
{
    return TRect{P.TopLeft.X, P.TopLeft.Y, P.BottomRight.X, P.BottomRight.Y};
}

bool EqualPoints(const TPoint& A, const TPoint& B)
{
    return A.X == B.X && A.Y == B.Y;
}
bool EqualVuPoints(const TVuPoint& A, const TVuPoint& B)
{
    return A.X == B.X && A.Y == B.Y;
}
bool EqualVuRects(const TVuRect& A, const TVuRect& B)
{
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

// ---- Paper ----

namespace {
struct PaperEntry {
    const char* Name;
    Extended Width, Height;
    TVuMeasurement Unit;
};
// The suite's own sizes, kept as they have always been (Executive 5 × 5 in, Ledger a turned
// Tabloid, the wide envelopes 12 and 14).
constexpr PaperEntry PaperTable[] = {
    {"A3", 297, 420, vuMillimeters},
    {"A4", 210, 297, vuMillimeters},
    {"A5", 148.5, 210, vuMillimeters},
    {"A6", 105, 148, vuMillimeters},
    {"B5", 6.92, 9.84, vuInches},
    {"C5", 6.38, 9.02, vuInches},
    {"Legal", 8.5, 14, vuInches},
    {"Letter", 8.5, 11, vuInches},
    {"Custom", 0, 0, vuInches},
    {"B4", 250, 354, vuMillimeters},
    {"Envelope_09", 3.78, 8.78, vuInches},
    {"Envelope_10", 4.18, 9.12, vuInches},
    {"Envelope_11", 4.12, 10.38, vuInches},
    {"Envelope_12", 12.44, 11, vuInches},
    {"Envelope_14", 14.5, 11.12, vuInches},
    {"Tabloid", 11, 17, vuInches},
    {"Ledger", 17, 11, vuInches},
    {"Executive", 5, 5, vuInches},
};
constexpr int PaperCount = sizeof(PaperTable) / sizeof(PaperTable[0]);
} // namespace

TVuSize GetPaperSizeInch(TVuPaperSize PaperSize)
{
    if (PaperSize >= PaperCount || PaperSize == Custom)
        return {};
    const PaperEntry& E = PaperTable[PaperSize];
    return {ConvertValue(E.Width, E.Unit, vuInches), ConvertValue(E.Height, E.Unit, vuInches)};
}

bool IsEnvelope(TVuPaperSize P)
{
    return P == B5 || P == C5 || (P >= B4 && P <= Envelope_14);
}

AnsiString PaperSizeToStr(TVuPaperSize PaperSize)
{
    return PaperSize < PaperCount ? PaperTable[PaperSize].Name : "Custom";
}

TVuPaperSize StrToPaperSize(const AnsiString& Text)
{
    for (int i = 0; i < PaperCount; ++i)
        if (Text == PaperTable[i].Name)
            return static_cast<TVuPaperSize>(i);
    return Custom;
}

// ---- Fonts and captions ----

AnsiString FontStyleToString(TFontStyles Style)
{
    AnsiString Result;
    auto add = [&](const char* Letter) {
        if (!Result.empty())
            Result += ',';
        Result += Letter;
    };
    if (Style.Contains(fsBold))
        add("b");
    if (Style.Contains(fsItalic))
        add("i");
    if (Style.Contains(fsUnderline))
        add("u");
    return Result;
}

TFontStyles FontStyleFromString(const AnsiString& Text)
{
    TFontStyles Result;
    size_t Start = 0;
    while (Start <= Text.size()) {
        size_t End = Text.find(',', Start);
        if (End == AnsiString::npos)
            End = Text.size();
        AnsiString Item = Text.substr(Start, End - Start);
        if (Item == "b" || Item == "B")
            Result.Include(fsBold);
        else if (Item == "i" || Item == "I")
            Result.Include(fsItalic);
        else if (Item == "u" || Item == "U")
            Result.Include(fsUnderline);
        Start = End + 1;
    }
    return Result;
}

AnsiString ReplaceStringFields(const AnsiString& Text, const AnsiString& Field, const AnsiString& Value)
{
    if (Field.empty())
        return Text;
    AnsiString Result;
    size_t Pos = 0;
    for (;;) {
        size_t Hit = Text.find(Field, Pos);
        if (Hit == AnsiString::npos)
            break;
        Result.append(Text, Pos, Hit - Pos);
        Result += Value;
        Pos = Hit + Field.size();
    }
    Result.append(Text, Pos, AnsiString::npos);
    return Result;
}

AnsiString Tokenize(const AnsiString& Text, Integer PageNum, Integer NumPages, const AnsiString& DateFormat,
                    const AnsiString& TimeFormat)
{
    if (Text.find('{') == AnsiString::npos)
        return Text; // the common case: a caption without tokens
    AnsiString Result = Text;
    if (Result.find("{DATE}") != AnsiString::npos || Result.find("{TIME}") != AnsiString::npos) {
        TDateTime When = Now();
        Result = ReplaceStringFields(Result, "{DATE}", FormatDateTime(DateFormat, When));
        // The time token has always used this fixed format; TimeFormat is accepted for callers.
        Result = ReplaceStringFields(Result, "{TIME}", FormatDateTime("hh:nn", When));
    }
    Result = ReplaceStringFields(Result, "{PAGE}", IntToStr(PageNum));
    Result = ReplaceStringFields(Result, "{NUMPAGES}", IntToStr(NumPages));
    return Result;
}

TColor InvertColor(TColor Color)
{
    COLORREF Rgb = ColorToRGB(Color);
    auto flip = [](unsigned C) -> unsigned { return C <= 128 ? 255u : 0u; };
    unsigned R = flip(Rgb & 0xFF), G = flip((Rgb >> 8) & 0xFF), B = flip((Rgb >> 16) & 0xFF);
    return static_cast<TColor>(R | (G << 8) | (B << 16));
}

namespace {
// The off-screen measuring surface: its font set to 600 pixels per inch and the font's size.
TCanvas* MeasuringCanvas600(TFont* Font)
{
    static TBitmap* Surface = [] {
        TBitmap* B = New<TBitmap>();
        B->SetSize(1, 1);
        return B;
    }();
    TFont* M = Surface->Canvas()->Font();
    M->SetPixelsPerInch(600);
    M->Assign(Font);
    M->SetSize(Font->Size());
    return Surface->Canvas();
}
} // namespace

Extended GetFontHeightInch(TFont* Font)
{
    TCanvas* C = MeasuringCanvas600(Font);
    TEXTMETRICA Tm{};
    GetTextMetrics(C->Handle(), &Tm);
    return Extended(Tm.tmHeight) / 600;
}

TVuSize TextExtent(const AnsiString& Text, TFont* Font)
{
    TSize S = MeasuringCanvas600(Font)->TextExtent(Text);
    return {Extended(S.cx) / 600, Extended(S.cy) / 600};
}

AnsiString ReturnOSVersion()
{
    return "Linux";
}

void ShowVuError(TObject* Sender, const AnsiString& Message)
{
    AnsiString Name = Sender ? Sender->ClassName() : AnsiString("TObject");
    AnsiString Text = Name + " Error!\r\r" + Message;
    if (VuErrorHook)
        VuErrorHook(Text);
    else
        ShowMessageBox(Text, "Error", MB_OK);
}

AnsiString GetStrVersion(TObject* Sender)
{
    AnsiString Name = Sender ? Sender->ClassName() : AnsiString("TObject");
    return Name + " v" + FormatFloat("0.00#", VuSuiteVersion) + "." + IntToStr(VuSuiteBuild);
}
