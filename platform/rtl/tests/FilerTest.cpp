#include "platform/rtl/Filer.h"

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

std::string Bytes(TMemoryStream& Stream)
{
    return std::string(static_cast<const char*>(Stream.Memory()), static_cast<std::size_t>(Stream.Size()));
}

// What the writer puts out for one value, as raw bytes.
template <class F> std::string Written(F Write)
{
    TMemoryStream stream;
    {
        TWriter writer(&stream, 4096);
        Write(writer);
    }
    return Bytes(stream);
}

TEST(Writer, IntegersTakeTheSmallestKindThatHoldsThem)
{
    struct Case {
        Int64 Value;
        std::string Expected;
    } cases[] = {
        {0, std::string("\x02\x00", 2)},
        {-128, "\x02\x80"},
        {127, "\x02\x7F"},
        {128, std::string("\x03\x80\x00", 3)},
        {-32768, std::string("\x03\x00\x80", 3)},
        {32768, std::string("\x04\x00\x80\x00\x00", 5)},
        {-2147483648LL, std::string("\x04\x00\x00\x00\x80", 5)},
        {2147483648LL, std::string("\x13\x00\x00\x00\x80\x00\x00\x00\x00", 9)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Value);
        std::string bytes = Written([&](TWriter& w) { w.WriteInteger(c.Value); });
        EXPECT_EQ(bytes, c.Expected);
        TStringStream stream(bytes);
        TReader reader(&stream, 4096);
        EXPECT_EQ(reader.ReadInt64(), c.Value);
    }
}

TEST(Writer, StringKindsKeepEveryTextIntact)
{
    std::string longAscii(300, 'x');
    struct Case {
        std::string Text;
        TValueType Kind;
    } cases[] = {
        {"", vaString},
        {"Caption", vaString},
        {longAscii, vaLString},
        {"獎品 Prize", vaUTF8String},
        {std::string("nul\0inside", 10), vaString},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        std::string bytes = Written([&](TWriter& w) { w.WriteString(c.Text); });
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes[0], static_cast<char>(c.Kind));
        TStringStream stream(bytes);
        TReader reader(&stream, 4096);
        EXPECT_EQ(reader.NextValue(), c.Kind);
        EXPECT_EQ(reader.ReadString(), c.Text);
        EXPECT_EQ(stream.Position(), stream.Size());
    }
    // Wide strings: written as UTF-16 units, readable as either form.
    std::string wide = Written([](TWriter& w) { w.WriteWideString(u"獎A"); });
    EXPECT_EQ(wide, std::string("\x12\x02\x00\x00\x00\x4E\x73\x41\x00", 9));
    TStringStream stream(wide + wide);
    TReader reader(&stream, 4096);
    EXPECT_EQ(reader.ReadWideString(), u"獎A");
    EXPECT_EQ(reader.ReadString(), "獎A");
}

TEST(Writer, FloatsUseTheTenByteExtendedForm)
{
    // 1.0: mantissa 0x8000000000000000, exponent 16383.
    EXPECT_EQ(Written([](TWriter& w) { w.WriteFloat(1.0); }),
              std::string("\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F", 11));
    const double values[] = {0.0,        -0.0,       1.5,
                             -2.75e-300, 4.9e-324,   1.7976931348623157e308,
                             0.1,        123456.789, std::numeric_limits<double>::infinity()};
    for (double v : values) {
        SCOPED_TRACE(v);
        TStringStream stream(Written([&](TWriter& w) { w.WriteFloat(v); }));
        TReader reader(&stream, 4096);
        double back = reader.ReadFloat();
        EXPECT_EQ(back, v);
        EXPECT_EQ(std::signbit(back), std::signbit(v));
    }
    TStringStream nan(Written([](TWriter& w) { w.WriteFloat(std::nan("")); }));
    TReader nanReader(&nan, 4096);
    EXPECT_TRUE(std::isnan(nanReader.ReadFloat()));
}

TEST(Filer, AMixedPropertyListRoundTrips)
{
    TMemoryStream stream;
    {
        TWriter w(&stream, 4096);
        w.WriteSignature();
        w.WriteStr("TPrizeList");
        w.WritePropName("Caption");
        w.WriteString("獎品清單");
        w.WritePropName("Count");
        w.WriteInteger(70000);
        w.WritePropName("Visible");
        w.WriteBoolean(false);
        w.WritePropName("Align");
        w.WriteIdent("alTop");
        w.WritePropName("Options");
        w.WriteSet({"goVertLine", "goHorzLine"});
        w.WritePropName("Items.Strings");
        w.WriteListBegin();
        w.WriteString("one");
        w.WriteString("two");
        w.WriteListEnd();
        w.WritePropName("Price");
        w.WriteCurrency(12.3456);
        w.WritePropName("Ratio");
        w.WriteSingle(0.25f);
        w.WritePropName("When");
        w.WriteDate(45000.5);
        w.WritePropName("Data");
        w.WriteBinary("\x01\x02\x03", 3);
        w.WritePropName("Parent");
        w.WriteIdent("nil");
        w.WriteListEnd();
    }
    stream.SetPosition(0);
    TReader r(&stream, 4096);
    r.ReadSignature();
    EXPECT_EQ(r.ReadStr(), "TPrizeList");
    EXPECT_EQ(r.ReadPropName(), "Caption");
    EXPECT_EQ(r.ReadString(), "獎品清單");
    EXPECT_EQ(r.ReadPropName(), "Count");
    EXPECT_EQ(r.ReadInteger(), 70000);
    EXPECT_EQ(r.ReadPropName(), "Visible");
    EXPECT_FALSE(r.ReadBoolean());
    EXPECT_EQ(r.ReadPropName(), "Align");
    EXPECT_EQ(r.ReadIdent(), "alTop");
    EXPECT_EQ(r.ReadPropName(), "Options");
    EXPECT_EQ(r.ReadSet(), (std::vector<AnsiString>{"goVertLine", "goHorzLine"}));
    EXPECT_EQ(r.ReadPropName(), "Items.Strings");
    r.ReadListBegin();
    std::vector<AnsiString> items;
    while (!r.EndOfList())
        items.push_back(r.ReadString());
    r.ReadListEnd();
    EXPECT_EQ(items, (std::vector<AnsiString>{"one", "two"}));
    EXPECT_EQ(r.ReadPropName(), "Price");
    EXPECT_DOUBLE_EQ(r.ReadCurrency(), 12.3456);
    EXPECT_EQ(r.ReadPropName(), "Ratio");
    EXPECT_EQ(r.ReadSingle(), 0.25f);
    EXPECT_EQ(r.ReadPropName(), "When");
    EXPECT_EQ(r.ReadDate(), 45000.5);
    EXPECT_EQ(r.ReadPropName(), "Data");
    EXPECT_EQ(r.ReadBinary(), (std::vector<Byte>{1, 2, 3}));
    EXPECT_EQ(r.ReadPropName(), "Parent");
    EXPECT_EQ(r.ReadIdent(), "nil");
    EXPECT_TRUE(r.EndOfList());
    r.ReadListEnd();
    EXPECT_EQ(stream.Position(), stream.Size());
}

TEST(Filer, EndOfListSeesLongPropertyNamesAsItems)
{
    // A name's length byte above the largest value type must not read as a malformed value.
    TMemoryStream stream;
    TWriter w(&stream, 4096);
    w.WritePropName("CellProperties.GradientDirection");
    w.WriteIdent("GradientVertical");
    w.WriteListEnd();
    stream.SetPosition(0);
    TReader r(&stream, 4096);
    EXPECT_FALSE(r.EndOfList());
    EXPECT_EQ(r.ReadPropName(), "CellProperties.GradientDirection");
    EXPECT_EQ(r.ReadIdent(), "GradientVertical");
    EXPECT_TRUE(r.EndOfList());
}

TEST(Filer, SkipValuePassesOverEveryKindIncludingCollections)
{
    TMemoryStream stream;
    {
        TWriter w(&stream, 4096);
        w.WriteCollectionBegin();
        for (int item = 0; item < 2; ++item) {
            if (item == 1)
                w.WriteInteger(5); // an item's order index
            w.WriteListBegin();
            w.WritePropName("Caption");
            w.WriteString("item");
            w.WritePropName("Width");
            w.WriteFloat(2.5);
            w.WriteListEnd();
        }
        w.WriteListEnd();
        w.WriteSet({"a"});
        w.WriteWideString(u"w");
        w.WriteString(std::string(400, 'L'));
        w.WriteBinary("xy", 2);
        w.WriteInteger(-5000000000LL);
        w.WriteListBegin();
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteListEnd();
        w.WriteString("last");
    }
    stream.SetPosition(0);
    TReader r(&stream, 4096);
    for (int i = 0; i < 7; ++i)
        r.SkipValue();
    EXPECT_EQ(r.ReadString(), "last");
}

// The hooks through which a persistent object streams data of its own.
TEST(Filer, DefinePropertyHooksWriteWhenThereIsDataAndReadTheirOwnName)
{
    AnsiString text = "stored text";
    std::vector<Byte> blob = {9, 8, 7};
    auto define = [&](TFiler* filer, bool hasText) {
        filer->DefineProperty(
            "Notes", [&](TReader* r) { text = r->ReadString(); }, [&](TWriter* w) { w->WriteString(text); },
            hasText);
        filer->DefineProperty(
            "Level", [&](TReader* r) { EXPECT_EQ(r->ReadInteger(), 3); },
            [](TWriter* w) { w->WriteInteger(3); }, true);
        filer->DefineBinaryProperty(
            "Picture",
            [&](TStream* s) {
                blob.assign(static_cast<std::size_t>(s->Size()), 0);
                s->ReadBuffer(blob.data(), static_cast<Integer>(blob.size()));
            },
            [&](TStream* s) { s->WriteBuffer(blob.data(), static_cast<Integer>(blob.size())); }, true);
    };

    TMemoryStream stream;
    {
        TWriter w(&stream, 4096);
        define(&w, false); // no data: "Notes" is not written at all
        w.WriteListEnd();
    }
    // Level then Picture, and nothing of Notes.
    std::string bytes = Bytes(stream);
    EXPECT_EQ(bytes.find("Notes"), std::string::npos);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x05Level\x02\x03", 8));

    text.clear();
    blob.clear();
    stream.SetPosition(0);
    TReader r(&stream, 4096);
    int handled = 0;
    while (!r.EndOfList()) {
        r.ReadPropName();
        define(&r, true);
        ASSERT_TRUE(r.PropertyHandled()) << r.PropName();
        ++handled;
    }
    EXPECT_EQ(handled, 2);
    EXPECT_EQ(blob, (std::vector<Byte>{9, 8, 7}));
    EXPECT_TRUE(text.empty());
}

// A persistent object that keeps a list of names through DefineProperties, as list-valued
// settings do.
class TNameHolder : public TPersistent {
public:
    std::vector<AnsiString> Names;
    Integer Version = 0;

    void DefineProperties(TFiler* Filer) override
    {
        Filer->DefineProperty(
            "Names",
            [this](TReader* r) {
                Names.clear();
                r->ReadListBegin();
                while (!r->EndOfList())
                    Names.push_back(r->ReadString());
                r->ReadListEnd();
            },
            [this](TWriter* w) {
                w->WriteListBegin();
                for (const auto& name : Names)
                    w->WriteString(name);
                w->WriteListEnd();
            },
            !Names.empty());
        Filer->DefineProperty(
            "Version", [this](TReader* r) { Version = r->ReadInteger(); },
            [this](TWriter* w) { w->WriteInteger(Version); }, Version != 0);
    }
};

TEST(Filer, PersistentObjectsStreamTheirDefinedProperties)
{
    TNameHolder source;
    source.Names = {"甲", "乙", ""};
    source.Version = 300;
    TMemoryStream stream;
    {
        TWriter w(&stream, 4096);
        w.WriteDefinedProperties(&source);
        w.WritePropName("Unknown");
        w.WriteString("skipped by the reader");
        w.WriteListEnd();
    }
    stream.SetPosition(0);
    TNameHolder target;
    TReader r(&stream, 4096);
    std::vector<AnsiString> unknown;
    while (!r.EndOfList()) {
        r.ReadPropName();
        if (!r.ReadDefinedProperty(&target)) {
            unknown.push_back(r.PropName());
            r.SkipValue();
        }
    }
    r.ReadListEnd();
    EXPECT_EQ(target.Names, source.Names);
    EXPECT_EQ(target.Version, 300);
    EXPECT_EQ(unknown, std::vector<AnsiString>{"Unknown"});

    // Nothing to store: nothing written.
    TNameHolder empty;
    EXPECT_EQ(Written([&](TWriter& w) { w.WriteDefinedProperties(&empty); }), "");
}

TEST(Reader, MalformedInputRaisesReadErrorAndNeverOverAllocates)
{
    struct Case {
        const char* Name;
        std::string Bytes;
        int Op; // 0 ReadString, 1 ReadInteger, 2 SkipValue, 3 ReadSignature, 4 ReadBinary, 5 ReadBoolean
        const char* Message;
    } cases[] = {
        {"type byte out of range", "\x30", 2, "Invalid property value"},
        {"integer expected, string found", "\x06\x01x", 1, "Invalid property value"},
        {"64-bit value for a 32-bit read", std::string("\x13\0\0\0\0\0\0\0\0", 9), 1,
         "Invalid property value"},
        {"string expected, integer found", "\x02\x01", 0, "Invalid property value"},
        {"truncated short string",
         "\x06\x05"
         "ab",
         0, "Stream read error"},
        {"huge long-string length", "\x0C\xFF\xFF\xFF\x7F", 0, "Stream read error"},
        {"negative length", "\x14\xFF\xFF\xFF\xFF", 0, "Stream read error"},
        {"huge wide length", "\x12\x00\x00\x00\x40", 0, "Stream read error"},
        {"huge binary length", "\x0A\x00\x00\x00\x7F", 4, "Stream read error"},
        {"unterminated list", "\x01\x02\x01", 2, "Stream read error"},
        {"list nested without end", std::string(5000, '\x01'), 2, "Invalid stream format"},
        {"bad signature", "TPF1", 3, "Invalid stream format"},
        {"empty stream", "", 5, "Stream read error"},
        {"boolean expected", "\x0D", 5, "Invalid property value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TStringStream stream(c.Bytes);
        TReader r(&stream, 4096);
        try {
            switch (c.Op) {
            case 0:
                r.ReadString();
                break;
            case 1:
                r.ReadInteger();
                break;
            case 2:
                r.SkipValue();
                break;
            case 3:
                r.ReadSignature();
                break;
            case 4:
                r.ReadBinary();
                break;
            case 5:
                r.ReadBoolean();
                break;
            }
            ADD_FAILURE() << "no exception";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

TEST(Reader, AWrongTypeLeavesTheValueToBeReadAnotherWay)
{
    TStringStream stream(Written([](TWriter& w) { w.WriteIdent("clRed"); }));
    TReader r(&stream, 4096);
    EXPECT_THROW(r.ReadInteger(), EReadError);
    EXPECT_EQ(r.ReadIdent(), "clRed");
}

} // namespace
