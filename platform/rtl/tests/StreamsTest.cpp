#include "platform/rtl/Streams.h"

#include "platform/rtl/Files.h"

#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using uitest::TempFolder;

// A fresh directory per test, removed afterwards.

// Runs the same checks over every kind of stream that can hold data.
enum class Kind { Memory, String, File };

std::unique_ptr<TStream> MakeStream(Kind K, const TempFolder& Dir)
{
    switch (K) {
    case Kind::Memory:
        return std::make_unique<TMemoryStream>();
    case Kind::String:
        return std::make_unique<TStringStream>();
    case Kind::File:
        return std::make_unique<TFileStream>(Dir.File("data.bin"), fmCreate);
    }
    return nullptr;
}

class AnyStream : public ::testing::TestWithParam<Kind> {
protected:
    TempFolder FDir;
};

TEST_P(AnyStream, TypedValuesRoundTripLittleEndian)
{
    auto stream = MakeStream(GetParam(), FDir);
    stream->WriteByte(0xAB);
    stream->WriteWord(0x1234);
    stream->WriteSmallInt(-2);
    stream->WriteInteger(-123456789);
    stream->WriteLongWord(0xDEADBEEF);
    stream->WriteInt64(-0x0102030405060708LL);
    stream->WriteSingle(1.5f);
    stream->WriteDouble(-2.25e300);
    stream->WriteBoolean(true);
    stream->WriteString("獎品");
    EXPECT_EQ(stream->Size(), 1 + 2 + 2 + 4 + 4 + 8 + 4 + 8 + 1 + 6);

    // The byte layout is fixed: little-endian whatever the machine.
    stream->SetPosition(1);
    Byte word[2];
    stream->ReadBuffer(word, 2);
    EXPECT_EQ(word[0], 0x34);
    EXPECT_EQ(word[1], 0x12);

    stream->Seek(0, soFromBeginning);
    EXPECT_EQ(stream->ReadByte(), 0xAB);
    EXPECT_EQ(stream->ReadWord(), 0x1234);
    EXPECT_EQ(stream->ReadSmallInt(), -2);
    EXPECT_EQ(stream->ReadInteger(), -123456789);
    EXPECT_EQ(stream->ReadLongWord(), 0xDEADBEEFu);
    EXPECT_EQ(stream->ReadInt64(), -0x0102030405060708LL);
    EXPECT_EQ(stream->ReadSingle(), 1.5f);
    EXPECT_EQ(stream->ReadDouble(), -2.25e300);
    EXPECT_TRUE(stream->ReadBoolean());
    EXPECT_EQ(stream->ReadString(6), "獎品");
    EXPECT_EQ(stream->Position(), stream->Size());
}

TEST_P(AnyStream, ShortTransfersRaiseAndPartialReadsReportTheCount)
{
    auto stream = MakeStream(GetParam(), FDir);
    stream->WriteBuffer("abcdef", 6);
    stream->Seek(-2, soEnd);
    char buffer[8] = {};
    EXPECT_EQ(stream->Read(buffer, 8), 2);
    EXPECT_STREQ(buffer, "ef");
    EXPECT_EQ(stream->Read(buffer, 8), 0);

    stream->SetPosition(4);
    try {
        stream->ReadBuffer(buffer, 3);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    // A length read from damaged data must not allocate before failing.
    stream->SetPosition(0);
    EXPECT_THROW(stream->ReadString(0x7FFFFFFF), EReadError);
}

TEST_P(AnyStream, SeekOriginsAndSetSize)
{
    auto stream = MakeStream(GetParam(), FDir);
    stream->WriteBuffer("0123456789", 10);
    struct Case {
        Int64 Offset;
        TSeekOrigin Origin;
        Int64 Expected;
    } cases[] = {
        {3, soBeginning, 3}, {2, soCurrent, 5}, {-1, soEnd, 9}, {0, soFromBeginning, 0}, {0, soEnd, 10}};
    for (const auto& c : cases)
        EXPECT_EQ(stream->Seek(c.Offset, c.Origin), c.Expected);

    stream->SetSize(4);
    EXPECT_EQ(stream->Size(), 4);
    EXPECT_LE(stream->Position(), 4);
    // Growing fills with zeros.
    stream->SetSize(6);
    stream->SetPosition(0);
    char buffer[6];
    stream->ReadBuffer(buffer, 6);
    EXPECT_EQ(std::string(buffer, 6), std::string("0123\0\0", 6));
}

TEST_P(AnyStream, CopyFromWholeSourceOrCount)
{
    auto stream = MakeStream(GetParam(), FDir);
    TMemoryStream source;
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    source.WriteString(data);
    // Count 0: all of the source from its start, wherever its position was.
    source.SetPosition(12345);
    EXPECT_EQ(stream->CopyFrom(&source, 0), 200000);
    EXPECT_EQ(stream->Size(), 200000);
    // A count copies from the current position.
    source.SetPosition(10);
    EXPECT_EQ(stream->CopyFrom(&source, 5), 5);
    stream->SetPosition(0);
    EXPECT_EQ(stream->ReadString(200000), data);
    EXPECT_EQ(stream->ReadString(5), data.substr(10, 5));
    // More than the source holds is a read error.
    source.SetPosition(source.Size() - 1);
    EXPECT_THROW(stream->CopyFrom(&source, 2), EReadError);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AnyStream, ::testing::Values(Kind::Memory, Kind::String, Kind::File));

TEST(MemoryStream, WriteAfterSeekBeyondEndZeroFillsTheGap)
{
    TMemoryStream stream;
    EXPECT_EQ(stream.Memory(), nullptr);
    EXPECT_EQ(stream.Seek(4, soBeginning), 4);
    stream.WriteByte(9);
    ASSERT_EQ(stream.Size(), 5);
    const Byte* bytes = static_cast<const Byte*>(stream.Memory());
    EXPECT_EQ(std::memcmp(bytes, "\0\0\0\0\x09", 5), 0);
    // A seek before the start is refused and leaves the position alone.
    EXPECT_EQ(stream.Seek(-10, soCurrent), 5);
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_THROW(stream.SetSize(-1), EStreamError);
}

TEST(MemoryStream, FileAndStreamRoundTrip)
{
    TempFolder dir;
    TMemoryStream stream;
    stream.WriteString(std::string("a\0b\r\n獎", 8));
    stream.SaveToFile(dir.File("m.bin"));

    TMemoryStream loaded;
    loaded.WriteString("old contents that must go");
    loaded.LoadFromFile(dir.File("m.bin"));
    EXPECT_EQ(loaded.Position(), 0);
    ASSERT_EQ(loaded.Size(), 8);
    EXPECT_EQ(std::memcmp(loaded.Memory(), stream.Memory(), 8), 0);

    TStringStream text;
    text.WriteString("<");
    loaded.SaveToStream(&text);
    EXPECT_EQ(text.DataString(), std::string("<a\0b\r\n獎", 9));

    TMemoryStream fromStream;
    fromStream.LoadFromStream(&text);
    EXPECT_EQ(fromStream.Size(), 9);
}

TEST(StringStream, StartsWithItsStringAndOverwritesInPlace)
{
    TStringStream stream("hello");
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_EQ(stream.Size(), 5);
    stream.WriteString("J");
    stream.Seek(0, soEnd);
    stream.WriteString(" world");
    EXPECT_EQ(stream.DataString(), "Jello world");
}

TEST(FileStream, OpenErrorsNameTheFileAndTheSystemReason)
{
    TempFolder dir;
    AnsiString missing = dir.File("missing.txt");
    try {
        TFileStream stream(missing, fmOpenRead);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + missing + "\". No such file or directory");
    }
    AnsiString inMissingDir = dir.File("no/such/dir.txt");
    try {
        TFileStream stream(inMissingDir, fmCreate);
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + inMissingDir + "\". No such file or directory");
    }
    // A directory is no file.
    EXPECT_THROW(TFileStream(dir.Path().string(), fmOpenRead), EFOpenError);
}

TEST(FileStream, ModesReadWriteAndContinueAFile)
{
    TempFolder dir;
    AnsiString name = dir.File("f.txt");
    {
        TFileStream stream(name, fmCreate);
        stream.WriteString("first");
    }
    {
        TFileStream stream(name, fmOpenRead | fmShareDenyNone);
        EXPECT_EQ(stream.ReadString(5), "first");
        // Writing to a stream opened for reading fails.
        EXPECT_THROW(stream.WriteString("x"), EWriteError);
    }
    {
        // Continuing a file: open for reading and writing, seek to the end.
        TFileStream stream(name, fmOpenReadWrite | fmShareExclusive);
        stream.Seek(0, soEnd);
        stream.WriteString("+second");
    }
    {
        // A path written with '\' reaches the same file.
        AnsiString backslashed = name;
        for (auto& c : backslashed)
            if (c == '/')
                c = '\\';
        TFileStream stream(backslashed, fmOpenWrite | fmShareDenyWrite);
        EXPECT_EQ(stream.FileName(), backslashed);
        EXPECT_EQ(stream.Size(), 12);
    }
    {
        // fmCreate truncates an existing file.
        TFileStream stream(name, fmCreate);
        EXPECT_EQ(stream.Size(), 0);
    }
}

TEST(FileStream, ShareModesDenyConflictingOpens)
{
    TempFolder dir;
    AnsiString name = dir.File("shared.dat");
    {
        TFileStream create(name, fmCreate);
        create.WriteString("keep me");
    }
    struct Case {
        Word Holder;
        Word Opener;
        bool Allowed;
    } cases[] = {
        {fmOpenRead | fmShareDenyNone, fmOpenRead | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenWrite | fmShareDenyNone, false},
        {fmOpenReadWrite | fmShareExclusive, fmOpenRead | fmShareDenyNone, false},
        {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyWrite, false},
        {fmOpenRead, fmOpenRead | fmShareDenyNone, false}, // no share mode: exclusive
        {fmOpenRead | fmShareDenyWrite, fmCreate, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.Holder << " then " << c.Opener);
        TFileStream holder(name, c.Holder);
        if (c.Allowed) {
            EXPECT_NO_THROW(TFileStream(name, c.Opener));
        } else if ((c.Opener & fmCreate) == fmCreate) {
            EXPECT_THROW(TFileStream(name, c.Opener), EFCreateError);
        } else {
            try {
                TFileStream second(name, c.Opener);
                ADD_FAILURE() << "opened";
            } catch (const EFOpenError& e) {
                EXPECT_NE(e.Message().find("being used by another process"), AnsiString::npos) << e.Message();
            }
        }
    }
    // A refused fmCreate left the contents alone.
    TFileStream check(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(check.ReadString(7), "keep me");
}

TEST(HandleStream, WorksOverADescriptorWithoutClosingIt)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    {
        THandleStream out(fds[1]);
        out.WriteInteger(42);
    }
    THandleStream in(fds[0]);
    EXPECT_EQ(in.ReadInteger(), 42);
    // Both descriptors are still open.
    EXPECT_EQ(write(fds[1], "x", 1), 1);
    close(fds[0]);
    close(fds[1]);
}

TEST(ResourceStream, ReadsEmbeddedDataAndRefusesWrites)
{
    const char* const rtRcdata = reinterpret_cast<const char*>(std::uintptr_t{10});
    TResourceStream byNumber(nullptr, "NOTES", rtRcdata);
    EXPECT_EQ(byNumber.ReadString(static_cast<Integer>(byNumber.Size())), "hello resource\n");
    TResourceStream byName(nullptr, "notes", "rcdata");
    byName.Seek(-9, soEnd);
    EXPECT_EQ(byName.ReadString(8), "resource");
    EXPECT_THROW(byName.WriteByte(1), EStreamError);

    TMemoryStream copy;
    byName.SaveToStream(&copy);
    EXPECT_EQ(copy.Size(), 15);

    TResourceStream empty(nullptr, "EMPTY", "TEMPLATE");
    EXPECT_EQ(empty.Size(), 0);
    try {
        TResourceStream missing(nullptr, "NOPE", rtRcdata);
        FAIL() << "no exception";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource NOPE not found");
    }
}

} // namespace
