#include "print/VuTypes.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(VuConvert, EqualUnitsAreBitIdenticalAndKnownFactorsHold)
{
    const Extended Odd = 0.1 + 0.2;
    for (int u = vuUnits; u <= vuTwips; ++u) {
        auto M = static_cast<TVuMeasurement>(u);
        Extended Out = ConvertValue(Odd, M, M);
        EXPECT_EQ(0, std::memcmp(&Out, &Odd, sizeof Odd)) << u;
    }
    struct Case {
        Extended Value;
        TVuMeasurement From, To;
        Extended Expected;
    } Cases[] = {
        {1, vuInches, vuTwips, 1440},       {100, vuUnits, vuMillimeters, 1},
        {96, vuPixels, vuInches, 1},        {25.4, vuMillimeters, vuInches, 1},
        {2.54, vuCentimeters, vuInches, 1}, {1, vuInches, vuUnits, 2540},
        {720, vuTwips, vuPixels, 48},       {1, vuCentimeters, vuMillimeters, 10},
    };
    for (const Case& C : Cases)
        EXPECT_NEAR(C.Expected, ConvertValue(C.Value, C.From, C.To), 1e-9) << C.Value;
    // Every pair round-trips through the other unit.
    for (int a = vuUnits; a <= vuTwips; ++a)
        for (int b = vuUnits; b <= vuTwips; ++b) {
            auto A = static_cast<TVuMeasurement>(a), B = static_cast<TVuMeasurement>(b);
            EXPECT_NEAR(3.7, ConvertValue(ConvertValue(3.7, A, B), B, A), 1e-9);
        }
}

TEST(VuValue, ReadsInEveryUnitAndNotifiesOnlyOnChange)
{
    int Changes = 0;
    TVuValue V([&](TObject* Sender) {
        EXPECT_EQ(Sender, &V);
        ++Changes;
    });
    V.SetAsMillimeters(25.4);
    EXPECT_DOUBLE_EQ(1, V.Value());
    EXPECT_EQ(2540, V.GetAsVuUnits());
    EXPECT_EQ(1440, V.GetAsTwips());
    EXPECT_EQ(96, V.GetAsPixels(96));
    EXPECT_EQ(600, V.GetAsPixels(600));
    EXPECT_EQ(1, Changes);
    V.SetAsInches(1); // equal: nothing
    EXPECT_EQ(1, Changes);
    V.SetAsPixels(96, 48);
    EXPECT_DOUBLE_EQ(0.5, V.Value());
    EXPECT_EQ(2, Changes);

    TVuValue Same(0.5, vuInches);
    V.Assign(&Same); // equal, yet Assign always notifies
    EXPECT_EQ(3, Changes);
    TVuValueRect Unrelated;
    EXPECT_THROW(V.Assign(&Unrelated), EConvertError);
    TVuValue FromMm(254, vuMillimeters);
    EXPECT_DOUBLE_EQ(10, FromMm.Value());
}

TEST(VuValue, PairsAndRectangles)
{
    TVuValueSize Size;
    int PairChanges = 0;
    Size.SetOnChange([&](TObject* Sender) {
        EXPECT_EQ(Sender, &Size);
        ++PairChanges;
    });
    TVuValueSize Other;
    Other.Width()->SetAsInches(8.5);
    Other.Height()->SetAsInches(11);
    Size.Assign(&Other);
    EXPECT_DOUBLE_EQ(8.5, Size.Width()->Value());
    EXPECT_DOUBLE_EQ(11, Size.Height()->Value());
    EXPECT_EQ(2, PairChanges);
    TVuValuePoint Point;
    EXPECT_THROW(Size.Assign(&Point), EConvertError);

    TVuValueRect R;
    R.SetAsInchRect(VuRect(1, 2, 3, 4));
    EXPECT_TRUE(EqualVuRects(VuRect(1, 2, 3, 4), R.GetAsInchRect()));
    EXPECT_EQ(nullptr, R.GetValue(0));
    EXPECT_EQ(nullptr, R.GetValue(5));
    EXPECT_DOUBLE_EQ(3, R.GetValue(3)->Value());
    TVuValue Nine(9, vuInches);
    R.SetValue(5, &Nine);
    EXPECT_TRUE(EqualVuRects(VuRect(1, 2, 3, 4), R.GetAsInchRect()));
    R.SetValue(4, &Nine);
    EXPECT_DOUBLE_EQ(9, R.Bottom()->Value());
}

TEST(VuPaper, TableNamesAndEnvelopes)
{
    TVuSize A4Size = GetPaperSizeInch(A4);
    EXPECT_NEAR(8.26772, A4Size.Width, 1e-5);
    EXPECT_NEAR(11.69291, A4Size.Height, 1e-5);
    struct Case {
        TVuPaperSize Paper;
        const char* Name;
        Extended W, H;
        bool Envelope;
    } Cases[] = {
        {Letter, "Letter", 8.5, 11, false},
        {Ledger, "Ledger", 17, 11, false},
        {Executive, "Executive", 5, 5, false},
        {Envelope_12, "Envelope_12", 12.44, 11, true},
        {Envelope_10, "Envelope_10", 4.18, 9.12, true},
        {B5, "B5", 6.92, 9.84, true},
        {Custom, "Custom", 0, 0, false},
        {A3, "A3", 297 / 25.4, 420 / 25.4, false},
    };
    for (const Case& C : Cases) {
        TVuSize S = GetPaperSizeInch(C.Paper);
        EXPECT_NEAR(C.W, S.Width, 1e-9) << C.Name;
        EXPECT_NEAR(C.H, S.Height, 1e-9) << C.Name;
        EXPECT_EQ(C.Name, PaperSizeToStr(C.Paper));
        EXPECT_EQ(C.Paper, StrToPaperSize(C.Name));
        EXPECT_EQ(C.Envelope, IsEnvelope(C.Paper)) << C.Name;
    }
    EXPECT_EQ(Custom, StrToPaperSize("a4")); // case matters
    EXPECT_EQ(Custom, StrToPaperSize("Folio"));
    for (int p = A3; p <= Executive; ++p)
        EXPECT_EQ(p, StrToPaperSize(PaperSizeToStr(static_cast<TVuPaperSize>(p))));
}

TEST(VuText, FontStylesTokensAndColours)
{
    EXPECT_EQ("b,u", FontStyleToString(TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ("b,i,u", FontStyleToString(TFontStyles{fsBold, fsItalic, fsUnderline, fsStrikeOut}));
    EXPECT_EQ("", FontStyleToString(TFontStyles{}));
    EXPECT_EQ((TFontStyles{fsBold, fsUnderline}), FontStyleFromString("U,b"));
    EXPECT_EQ((TFontStyles{fsItalic}), FontStyleFromString("x,,I"));

    struct Case {
        const char* In;
        const char* Out;
    } Tokens[] = {
        {"Page {PAGE} of  {NUMPAGES}", "Page 3 of  12"},
        {"no tokens here", "no tokens here"},
        {"{PAGE}{PAGE}{page}", "33{page}"},
        {"{NUMPAGES}/{PAGE}", "12/3"},
    };
    for (const Case& C : Tokens)
        EXPECT_EQ(C.Out, Tokenize(C.In, 3, 12, "dd/mm/yyyy", "hh/mm"));
    AnsiString Time = Tokenize("{TIME}", 1, 1, "dd/mm/yyyy", "ignored");
    ASSERT_EQ(5u, Time.size());
    EXPECT_EQ(':', Time[2]);
    AnsiString Date = Tokenize("{DATE}", 1, 1, "yyyy", "");
    EXPECT_EQ(4u, Date.size());
    EXPECT_EQ("a-b-", ReplaceStringFields("a{X}b{X}", "{X}", "-"));

    EXPECT_EQ(0xFFFFFFu, InvertColor(0x808080));
    EXPECT_EQ(0x000000u, InvertColor(0x818181));
    EXPECT_EQ(0x00FFFFu, InvertColor(0xFF0000)); // blue becomes yellow
}

TEST(VuGeometry, RoundingIsHalfToEven)
{
    EXPECT_TRUE(EqualPoints(TPoint{2, 4}, TPoint{2, 4}));
    TRect R = VuRectToRect(VuRect(0.5, 1.5, 2.5, -0.5));
    EXPECT_EQ(0, R.Left);
    EXPECT_EQ(2, R.Top);
    EXPECT_EQ(2, R.Right);
    EXPECT_EQ(0, R.Bottom);
    TRect S = ScaleRect(TRect{1, 2, 3, 4}, 2.5);
    EXPECT_EQ(2, S.Left); // 2.5 → 2
    EXPECT_EQ(5, S.Top);
    EXPECT_EQ(8, S.Right); // 7.5 → 8
    TVuRectPoints P = RectToVuRectPoints(TRect{1, 2, 3, 4});
    EXPECT_TRUE(EqualPoints(TPoint{3, 2}, P.TopRight));
    EXPECT_TRUE(EqualPoints(TPoint{1, 4}, P.BottomLeft));
    TRect Back = VuRectPointsToRect(P);
    EXPECT_EQ(3, Back.Right);
    TVuRect V = VuRect(0, 0, 1, 1);
    OffsetVuRect(V, 1, 2);
    EXPECT_TRUE(EqualVuRects(VuRect(1, 2, 2, 3), V));
}

TEST(VuVersion, ClassNameAndSuiteVersion)
{
    TVuValue V;
    EXPECT_EQ("TVuValue v2.96.6", GetStrVersion(&V));
}

} // namespace
