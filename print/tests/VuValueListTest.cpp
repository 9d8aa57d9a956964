#include "print/VuValueList.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

namespace {

AnsiString Bytes(TMemoryStream& S)
{
    return AnsiString(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

TEST(VuValueList, TextFormsOfEveryKind)
{
    TVuValueList L;
    L.WriteIntValue("ID", -7);
    L.WriteBoolValue("Visible", true);
    L.WriteExtValue("Mm", 1 / 25.4);
    L.WriteVuPointValue("P", VuPoint(1.5, -0.25));
    L.WriteVuPointValue("Half", VuPoint(0.0625, 0.1875));
    L.WriteVuRectValue("R", VuRect(0.001, 2, -3.5, 4));
    L.WritePointValue("Pt", TPoint{3, -4});
    L.WriteStringValue("Caption", "Prize list");
    EXPECT_EQ("ID=-7\r\nVisible=1\r\nMm=0.039\r\nP=1500,-250\r\nHalf=62,188\r\nR=1,2000,-3500,4000\r\n"
              "Pt=3000,-4000\r\nCaption=Prize list\r\n",
              L.Text());

    EXPECT_EQ(-7, L.ReadIntValue("id", 0)); // names ignore case
    EXPECT_TRUE(L.ReadBoolValue("VISIBLE", false));
    EXPECT_DOUBLE_EQ(0.039, L.ReadExtValue("Mm", 0));
    TVuPoint P = L.ReadVuPointValue("P", {});
    EXPECT_EQ(1.5, P.X);
    EXPECT_EQ(-0.25, P.Y);
    EXPECT_TRUE(EqualVuRects(VuRect(0.001, 2, -3.5, 4), L.ReadVuRectValue("R", {})));
    TPoint Pt = L.ReadPointValue("Pt", TPoint{0, 0});
    EXPECT_EQ(3, Pt.X);
    EXPECT_EQ(-4, Pt.Y);
    EXPECT_EQ("Prize list", L.ReadStringValue("caption", "x"));

    // Missing names give the default.
    EXPECT_EQ(42, L.ReadIntValue("Nope", 42));
    EXPECT_EQ("d", L.ReadStringValue("Nope", "d"));
    EXPECT_TRUE(EqualVuRects(VuRect(1, 1, 1, 1), L.ReadVuRectValue("Nope", VuRect(1, 1, 1, 1))));
}

TEST(VuValueList, RewritingKeepsPositionAndEmptyStringsRemove)
{
    TVuValueList L;
    L.Add("");
    L.Add("");
    L.WriteStringValue("T", "first");
    L.WriteIntValue("N", 1);
    L.WriteStringValue("t", "second");
    EXPECT_EQ(4, L.Count());
    EXPECT_EQ("second", L.ReadStringValue("T", ""));
    EXPECT_EQ(2, L.IndexOfName("T"));
    L.WriteStringValue("T", "");
    EXPECT_EQ(3, L.Count());
    EXPECT_EQ("gone", L.ReadStringValue("T", "gone"));
    L.WriteStringValue("Never", "");
    EXPECT_EQ(3, L.Count());
    // Boolean reads the low byte of the integer.
    L.Add("B=256");
    EXPECT_FALSE(L.ReadBoolValue("B", true));
    L.Add("H=$10");
    EXPECT_EQ(16, L.ReadIntValue("H", 0));
}

TEST(VuValueList, MultiLineTextSurvivesAStreamRoundTrip)
{
    const AnsiString Caption = "Line one\r\nLine two\\n\nthree";
    TVuValueList L;
    L.WriteStringValue("Caption", Caption);
    L.WriteStringValue("Path", "C:\\new\\file"); // a plain backslash is stored as it stands
    EXPECT_EQ("C:\\new\\file", L.Values("Path"));
    TMemoryStream S;
    L.SaveToStream(&S);
    S.SetPosition(0);
    TVuValueList Back;
    Back.LoadFromStream(&S);
    EXPECT_EQ(Caption, Back.ReadStringValue("Caption", ""));
    EXPECT_EQ("C:\\new\\file", Back.ReadStringValue("Path", ""));
    EXPECT_EQ(2, Back.Count());
}

// Long lists are looked up through an index of the names, short ones by a scan: both must answer
// as a scan with the platform list's comparison would, after every kind of change, including
// changes made through the plain string-list calls.
TEST(VuValueList, LookupsFollowEveryChangeOfTheLines)
{
    for (Integer Pad : {0, 24}) {
        TVuValueList L;
        for (Integer I = 0; I < Pad; ++I)
            L.WriteIntValue("Pad" + IntToStr(I), I);
        L.Add("");
        L.WriteIntValue("SZ", 3);
        for (Integer I = 0; I < 3; ++I)
            L.WriteIntValue("XY" + IntToStr(I), I * 10);
        L.Add("xy1=99"); // a second line of a name: the first wins
        EXPECT_EQ(10, L.ReadIntValue("xY1", -1)) << Pad;
        EXPECT_EQ(Pad + 2, L.IndexOfName("xy0"));

        L.Delete(Pad + 1); // SZ gone: every line after it moves up
        EXPECT_EQ(-1, L.ReadIntValue("SZ", -1)) << Pad;
        EXPECT_EQ(Pad + 1, L.IndexOfName("XY0"));
        L.Insert(Pad, "XY2=7"); // now before the written one
        EXPECT_EQ(7, L.ReadIntValue("XY2", -1)) << Pad;
        L.SetStrings(Pad, "Other=1");
        EXPECT_EQ(20, L.ReadIntValue("XY2", -1)) << Pad;
        L.Exchange(Pad + 3, Pad + 5); // XY1 and the second xy1 swap places
        EXPECT_EQ(99, L.ReadIntValue("XY1", -1)) << Pad;
        L.WriteIntValue("xy1", 5); // rewritten under another case: the line keeps its place
        EXPECT_EQ(Pad + 3, L.IndexOfName("XY1"));
        EXPECT_EQ(5, L.ReadIntValue("XY1", -1)) << Pad;
        L.WriteIntValue("New", 1); // appended to an indexed list
        EXPECT_EQ(L.Count() - 1, L.IndexOfName("NEW"));

        // Names of other characters are compared as the platform list compares them.
        L.WriteBoolValue("C_WRT", false);
        L.WriteStringValue("Name with blanks", "x");
        EXPECT_FALSE(L.ReadBoolValue("c_wrt", true)) << Pad;
        EXPECT_EQ("x", L.ReadStringValue("NAME WITH BLANKS", "")) << Pad;
        L.Clear();
        EXPECT_EQ(-1, L.IndexOfName("XY1"));
    }
    TVuValueList L;
    L.SetText("A=1\r\nB=2\r\na=3\r\n");
    EXPECT_EQ(1, L.ReadIntValue("a", -1));
    EXPECT_EQ(2, L.ReadIntValue("b", -1));
}

TEST(VuValueList, ManyKeysWrittenAndReadBack)
{
    // A poly object's list: one key per point.
    constexpr Integer N = 16000;
    TVuValueList L;
    for (Integer I = 0; I < N; ++I)
        L.WriteVuPointValue("XY" + IntToStr(I), VuPoint(I / 1000.0L, -I / 500.0L));
    ASSERT_EQ(N, L.Count());
    TMemoryStream S;
    L.SaveToStream(&S);
    S.SetPosition(0);
    TVuValueList Back;
    Back.LoadFromStream(&S);
    for (Integer I = 0; I < N; I += 997) {
        TVuPoint P = Back.ReadVuPointValue("xy" + IntToStr(I), VuPoint(-1, -1));
        EXPECT_EQ(VuPoint(I / 1000.0L, -I / 500.0L).X, P.X) << I;
        EXPECT_EQ(VuPoint(I / 1000.0L, -I / 500.0L).Y, P.Y) << I;
    }
    EXPECT_EQ(N - 1, Back.IndexOfName("XY" + IntToStr(N - 1)));
}

TEST(VuValueList, MalformedValuesRaiseInsteadOfDefaulting)
{
    TVuValueList L;
    L.SetText("I=12x\r\nE=1,5\r\nP=1\r\nR=1,2,3\r\nEmptyR=\r\nBig=99999999999,0\r\n");
    EXPECT_THROW(L.ReadIntValue("I", 0), EConvertError);
    EXPECT_THROW(L.ReadExtValue("E", 0), EConvertError);
    EXPECT_THROW(L.ReadVuPointValue("P", {}), EStringListError);
    EXPECT_THROW(L.ReadVuRectValue("R", {}), EStringListError);
    EXPECT_TRUE(EqualVuRects(VuRect(0, 0, 0, 0), L.ReadVuRectValue("EmptyR", VuRect(1, 1, 1, 1))));
    EXPECT_THROW(L.ReadVuPointValue("Big", {}), EConvertError);
}

TEST(VuStreams, BlocksAndPrimitives)
{
    TMemoryStream S;
    TVuWriter W(&S);
    W.WriteInteger(0x01020304);
    W.WriteString("abc");
    TVuValueList L;
    L.WriteIntValue("A", 1);
    L.SaveToStream(&S);
    TVuValueList Empty;
    Empty.SaveToStream(&S);
    EXPECT_EQ(AnsiString("\x04\x03\x02\x01\x03\0\0\0abc\x05\0\0\0A=1\r\n\0\0\0\0", 24), Bytes(S));

    S.SetPosition(0);
    TVuReader R(&S);
    EXPECT_EQ(0x01020304, R.ReadInteger());
    EXPECT_EQ("abc", R.ReadString());
    TVuValueList Back;
    Back.LoadFromStream(&S);
    EXPECT_EQ(1, Back.ReadIntValue("a", 0));
    TMemoryStream Target;
    Target.WriteString("keep");
    R.ReadStream(&Target); // count 0: nothing read, target untouched
    EXPECT_EQ("keep", Bytes(Target));
    EXPECT_EQ(S.Size(), S.Position());
}

TEST(VuStreams, CountsBeyondTheStreamAreRefusedBeforeReading)
{
    struct Case {
        const char* Name;
        AnsiString Data;
    } Cases[] = {
        {"too long", AnsiString("\x10\0\0\0abc", 7)},
        {"negative", AnsiString("\xFF\xFF\xFF\xFF", 4)},
        {"huge", AnsiString("\xFF\xFF\xFF\x7F", 4)},
        {"short count", AnsiString("\x01\0", 2)},
    };
    for (const Case& C : Cases) {
        TMemoryStream S;
        S.WriteString(C.Data);
        S.SetPosition(0);
        TVuValueList L;
        L.Add("old=1");
        EXPECT_THROW(L.LoadFromStream(&S), EReadError) << C.Name;
        EXPECT_EQ(1, L.Count()) << C.Name; // nothing lost on a failed load
        S.SetPosition(0);
        TVuReader R(&S);
        EXPECT_THROW(R.ReadString(), EReadError) << C.Name;
    }
}

} // namespace
