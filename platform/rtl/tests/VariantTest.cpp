#include "platform/rtl/Variant.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>

TEST(Variant, TypeCodesOfTheConstructors)
{
    const struct {
        Variant Value;
        TVarType Type;
    } Cases[] = {
        {Variant(), varEmpty},
        {Null(), varNull},
        {Variant(true), varBoolean},
        {Variant(42), varInteger},
        {Variant(42u), varLongWord},
        {Variant(Int64{1} << 40), varInt64},
        {Variant(UInt64{1} << 63), varUInt64},
        {Variant(1.5f), varSingle},
        {Variant(1.5), varDouble},
        {Variant("text"), varString},
        {Variant(AnsiString("text")), varString},
        {Variant(u"wide"), varOleStr},
        {Variant::FromDateTime(45000.5), varDate},
        {Variant::FromCurrency(1.25), varCurrency},
        {Variant::FromError(7), varError},
        {Variant::FromInteger(-5, varSmallint), varSmallint},
        {Variant::FromInteger(200, varByte), varByte},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(VarType(Case.Value), Case.Type);
    EXPECT_TRUE(VarIsEmpty(Variant()));
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_TRUE(VarIsClear(Null()));
    EXPECT_TRUE(VarIsClear(Variant(std::shared_ptr<IVarDispatch>())));
    EXPECT_FALSE(VarIsClear(Variant(0)));
    EXPECT_TRUE(VarIsNumeric(Variant(1.5)));
    EXPECT_FALSE(VarIsNumeric(Variant("1")));
    EXPECT_TRUE(VarIsStr(Variant(u"x")));
}

TEST(Variant, ConversionsBetweenNumbersTextAndBooleans)
{
    const struct {
        Variant Value;
        Integer AsInteger;
        Double AsDouble;
        AnsiString AsString;
        bool AsBoolean;
    } Cases[] = {
        {Variant(), 0, 0, "", false},          {Variant(-7), -7, -7, "-7", true},
        {Variant(true), -1, -1, "True", true}, {Variant(false), 0, 0, "False", false},
        {Variant(2.5), 2, 2.5, "2.5", true}, // halves round to even
        {Variant(3.5), 4, 3.5, "3.5", true},   {Variant(-2.5), -2, -2.5, "-2.5", true},
        {Variant(0.1), 0, 0.1, "0.1", true},   {Variant(" 12 "), 12, 12, " 12 ", true},
        {Variant("$1F"), 31, 0, "$1F", true}, // hexadecimal reads as an integer only
        {Variant("1.5"), 2, 1.5, "1.5", true}, {Variant("-0"), 0, 0, "-0", false},
        {Variant("true"), 0, 0, "true", true}, {Variant(u"42"), 42, 42, "42", true},
    };
    for (const auto& Case : Cases) {
        const std::string Label = Case.Value.IsEmpty() ? "(empty)" : Case.Value.AsString();
        if (Case.AsString != "true") {
            EXPECT_EQ(Case.Value.AsInteger(), Case.AsInteger) << Label;
        }
        if (Case.AsString != "true" && Case.AsString != "$1F") {
            EXPECT_DOUBLE_EQ(Case.Value.AsDouble(), Case.AsDouble) << Label;
        }
        EXPECT_EQ(Case.Value.AsString(), Case.AsString) << Label;
        EXPECT_EQ(Case.Value.AsBoolean(), Case.AsBoolean) << Label;
    }
    EXPECT_EQ(Variant(UInt64{18446744073709551615ULL}).AsString(), "18446744073709551615");
    EXPECT_EQ(Variant(1e20).AsString(), "1E20");
}

TEST(Variant, BadConversionsRaise)
{
    const struct {
        std::function<void()> Action;
        const char* Message;
    } Cases[] = {
        {[] { Variant("abc").AsInteger(); },
         "Could not convert variant of type (String) into type (Integer)"},
        {[] { Variant("1e5x").AsDouble(); }, "Could not convert variant of type (String) into type (Double)"},
        {[] { Variant(u"inf").AsDouble(); }, "Could not convert variant of type (OleStr) into type (Double)"},
        {[] { Variant("maybe").AsBoolean(); },
         "Could not convert variant of type (String) into type (Boolean)"},
        {[] { Null().AsString(); }, "Could not convert variant of type (Null) into type (String)"},
        {[] { Null().AsInteger(); }, "Could not convert variant of type (Null) into type (Integer)"},
        {[] { Variant::FromError(3).AsDouble(); },
         "Could not convert variant of type (Error) into type (Double)"},
        {[] { Variant(3e9).AsInteger(); },
         "Overflow while converting variant of type (Double) into type (Integer)"},
        {[] { Variant(1e300).AsInt64(); },
         "Overflow while converting variant of type (Double) into type (Int64)"},
        {[] { Variant("99999999999999999999").AsInt64(); },
         "Overflow while converting variant of type (String) into type (Int64)"},
        {[] { VarAsType(Variant(300), varByte); },
         "Overflow while converting variant of type (Integer) into type (Byte)"},
        {[] {
             VarArrayCreate({0, 1}, varVariant).AsString();
         },
         "Could not convert variant of type (Array Variant) into type (String)"},
    };
    for (const auto& Case : Cases) {
        try {
            Case.Action();
            ADD_FAILURE() << "no exception for " << Case.Message;
        } catch (const EVariantError& E) {
            EXPECT_EQ(E.Message(), Case.Message);
        }
    }
    EXPECT_THROW(Variant("x").AsInteger(), EVariantTypeCastError);
    EXPECT_THROW(Variant(3e9).AsInteger(), EVariantOverflowError);
    EXPECT_EQ(VarToStr(Null()), "");
    EXPECT_EQ(VarToWideStr(Null()), u"");
}

TEST(Variant, Utf8AndUtf16TextConvertBothWays)
{
    const AnsiString Utf8 = "Grüße 日本語 😀";
    const WideString Utf16 = u"Grüße 日本語 😀";
    EXPECT_EQ(Variant(Utf8).AsWideString(), Utf16);
    EXPECT_EQ(Variant(Utf16).AsString(), Utf8);
    EXPECT_EQ(VarToWideStr(Variant(Utf8)), Utf16);
    EXPECT_EQ(VarType(VarAsType(Variant(Utf8), varOleStr)), varOleStr);
    // Bytes that are no UTF-8 and a lone surrogate become U+FFFD rather than garbage.
    EXPECT_EQ(Variant(AnsiString("a\xFF"
                                 "b\xE6\x97"))
                  .AsWideString(),
              u"a\uFFFDb\uFFFD\uFFFD");
    EXPECT_EQ(Variant(WideString(u"x") + char16_t(0xD800)).AsString(), "x\xEF\xBF\xBD");
}

TEST(Variant, Comparison)
{
    const struct {
        Variant A, B;
        TVariantRelationship Expected;
    } Cases[] = {
        {Variant(1), Variant(2), vrLessThan},
        {Variant(2.5), Variant(2), vrGreaterThan},
        {Variant(2), Variant(2.0), vrEqual},
        {Variant(true), Variant(-1), vrEqual},
        {Variant("abc"), Variant(u"abc"), vrEqual},
        {Variant("abc"), Variant("abd"), vrLessThan},
        {Variant("Z"), Variant("a"), vrLessThan}, // code-point order
        {Variant("é"), Variant("z"), vrGreaterThan},
        {Variant("10"), Variant(9), vrGreaterThan}, // a string against a number compares as numbers
        {Variant(UInt64{18446744073709551615ULL}), Variant(Int64{-1}), vrGreaterThan},
        {Variant(UInt64{9007199254740993ULL}), Variant(Int64{9007199254740992LL}), vrGreaterThan},
        {Null(), Null(), vrEqual},
        {Variant(), Variant(), vrEqual},
        {Null(), Variant(0), vrNotEqual},
        {Variant(), Variant(""), vrNotEqual},
        {Variant::FromDateTime(2), Variant(1.5), vrGreaterThan},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(VarCompareValue(Case.A, Case.B), Case.Expected)
            << Case.A.AsString() << " vs " << Case.B.AsString();
    EXPECT_TRUE(Variant(3) == Variant("3"));
    EXPECT_TRUE(Variant(1) < Variant(1.5));
    EXPECT_THROW(VarCompareValue(Variant("x"), Variant(1)), EVariantTypeCastError);
    auto Object = std::make_shared<IVarDispatch>();
    EXPECT_EQ(VarCompareValue(Variant(Object), Variant(Object)), vrEqual);
    EXPECT_EQ(VarCompareValue(Variant(Object), Variant(std::make_shared<IVarDispatch>())), vrNotEqual);
}

TEST(Variant, TwoDimensionalArrays)
{
    Variant A = VarArrayCreate({0, 2, 1, 3}, varVariant);
    EXPECT_TRUE(VarIsArray(A));
    EXPECT_EQ(VarType(A), varArray | varVariant);
    EXPECT_EQ(VarArrayDimCount(A), 2);
    EXPECT_EQ(VarArrayLowBound(A, 1), 0);
    EXPECT_EQ(VarArrayHighBound(A, 1), 2);
    EXPECT_EQ(VarArrayLowBound(A, 2), 1);
    EXPECT_EQ(VarArrayHighBound(A, 2), 3);
    for (Integer R = 0; R <= 2; ++R)
        for (Integer C = 1; C <= 3; ++C)
            EXPECT_TRUE(VarIsEmpty(VarArrayGet(A, {R, C})));
    VarArrayPut(A, Variant("cell"), {2, 3});
    A.Element({0, 1}) = Variant(1.5);
    EXPECT_EQ(VarArrayGet(A, {2, 3}).AsString(), "cell");
    EXPECT_EQ(A.GetElement({0, 1}).AsDouble(), 1.5);
    EXPECT_TRUE(VarIsEmpty(A.GetElement({2, 1})));

    // Copies are independent.
    Variant B = A;
    VarArrayPut(B, Variant(9), {2, 3});
    EXPECT_EQ(VarArrayGet(A, {2, 3}).AsString(), "cell");
    EXPECT_EQ(VarArrayGet(B, {2, 3}).AsInteger(), 9);

    const std::function<void()> OutOfBounds[] = {
        [&] {
            VarArrayGet(A, {3, 1});
        },
        [&] {
            VarArrayGet(A, {0, 0});
        },
        [&] {
            VarArrayGet(A, {-1, 1});
        },
        [&] { VarArrayGet(A, {0}); },
        [&] {
            VarArrayGet(A, {0, 1, 1});
        },
        [&] { VarArrayHighBound(A, 3); },
        [&] { VarArrayGet(Variant(1), {0}); },
        [&] { VarArrayCreate({0}, varVariant); },
        [&] {
            VarArrayCreate({5, 3}, varVariant);
        },
    };
    for (const auto& Action : OutOfBounds)
        EXPECT_THROW(Action(), EVariantArrayBoundsError);
    // Bounds from outside cannot ask for an unbounded allocation.
    EXPECT_THROW(VarArrayCreate({0, 0x7FFFFFFF, 0, 0x7FFFFFFF}, varVariant), EVariantError);
    EXPECT_EQ(VarArrayHighBound(VarArrayCreate({1, 0}, varVariant), 1), 0) << "an empty dimension is allowed";
}

TEST(Variant, TextFormsFollowTheLocaleSettings)
{
    SetDefaultFormatSettings();
    EXPECT_DOUBLE_EQ(Variant("12/31/1899").AsDateTime(), 1.0);
    EXPECT_DOUBLE_EQ(Variant("12/31/1899 6:00 PM").AsDateTime(), 1.75);
    EXPECT_THROW(Variant("31.12.1899").AsDateTime(), EVariantTypeCastError);
    EXPECT_EQ(VarToStr(Variant::FromDateTime(1.75)), DateTimeToStr(1.75));

    FormatSettings.DecimalSeparator = ',';
    EXPECT_EQ(VarToStr(Variant(1.5)), "1,5");
    EXPECT_DOUBLE_EQ(Variant("2,25").AsDouble(), 2.25);
    EXPECT_THROW(Variant("2.25").AsDouble(), EVariantTypeCastError);
    SetDefaultFormatSettings();
    EXPECT_EQ(VarToStr(Variant(1.5)), "1.5");
}
