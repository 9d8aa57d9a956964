#include "platform/rtl/IniFiles.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringLists.h"

#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using uitest::TempFolder;

AnsiString ReadFile(const AnsiString& Name)
{
    TFileStream stream(Name, fmOpenRead | fmShareDenyNone);
    return stream.ReadString(static_cast<Integer>(stream.Size()));
}

void WriteFile(const AnsiString& Name, const AnsiString& Text)
{
    TFileStream stream(Name, fmCreate);
    stream.WriteString(Text);
}

std::vector<AnsiString> Lines(TStrings& List)
{
    std::vector<AnsiString> lines;
    for (Integer i = 0; i < List.Count(); ++i)
        lines.push_back(List.Strings(i));
    return lines;
}

using Strings = std::vector<AnsiString>;

// Both ini classes answer the same questions the same way; only the moment of writing differs.
enum class Kind { Memory, WriteThrough };

class IniFile : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override { SetDefaultFormatSettings(); }
    std::unique_ptr<TCustomIniFile> Open(const AnsiString& Name)
    {
        if (GetParam() == Kind::Memory)
            return std::make_unique<TMemIniFile>(Name);
        return std::make_unique<TIniFile>(Name);
    }
    TempFolder FDir;
};

TEST_P(IniFile, ReadsThePlatformSyntax)
{
    AnsiString name = FDir.File("settings.ini");
    WriteFile(name, "\xEF\xBB\xBF; leading comment\r\n"
                    "[Print]\r\n"
                    "  Title =  獎品清單 \r\n"
                    "Borders=3\n"
                    "Hex=$1F\n"
                    "CHex=0x20\n"
                    "Bad=12abc\n"
                    "Flag=Y\n"
                    "On=-1\n"
                    "Ratio=2.5\n"
                    "NoEquals\n"
                    "Empty=\n"
                    "; a comment inside\n"
                    "Title=second, ignored\n"
                    "\n"
                    "[ Colors ]\n"
                    "Back=clWhite\n"
                    "[print]\n"
                    "Late=merged\n"
                    "[Broken\n");
    auto ini = Open(name);
    EXPECT_EQ(ini->ReadString("print", "TITLE", "x"), "獎品清單");
    EXPECT_EQ(ini->ReadString("Print", "Missing", "default"), "default");
    EXPECT_EQ(ini->ReadString("Nowhere", "Title", "d"), "d");
    EXPECT_EQ(ini->ReadString("Print", "Empty", "d"), "");
    EXPECT_EQ(ini->ReadString("Colors", "Back", ""), "clWhite");
    EXPECT_EQ(ini->ReadString("Print", "Late", ""), "merged");

    struct IntCase {
        const char* Ident;
        Integer Expected;
    } ints[] = {{"Borders", 3}, {"Hex", 31}, {"CHex", 32}, {"Bad", -7}, {"Flag", -7}, {"Missing", -7}};
    for (const auto& c : ints)
        EXPECT_EQ(ini->ReadInteger("Print", c.Ident, -7), c.Expected) << c.Ident;
    EXPECT_TRUE(ini->ReadBool("Print", "On", false));
    EXPECT_FALSE(ini->ReadBool("Print", "Borders", false) == false);
    EXPECT_TRUE(ini->ReadBool("Print", "Flag", true)); // not a number: the default
    EXPECT_DOUBLE_EQ(ini->ReadFloat("Print", "Ratio", 0), 2.5);
    EXPECT_DOUBLE_EQ(ini->ReadFloat("Print", "Title", 9.5), 9.5);

    TStringList list;
    ini->ReadSections(&list);
    EXPECT_EQ(Lines(list), (Strings{"Print", "Colors", "Broken"}));
    list.Add("stale");
    ini->ReadSection("PRINT", &list);
    EXPECT_EQ(Lines(list), (Strings{"Title", "Borders", "Hex", "CHex", "Bad", "Flag", "On", "Ratio",
                                    "NoEquals", "Empty", "Title", "Late"}));
    ini->ReadSectionValues("Colors", &list);
    EXPECT_EQ(Lines(list), (Strings{"Back=clWhite"}));

    EXPECT_TRUE(ini->SectionExists("colors"));
    EXPECT_FALSE(ini->SectionExists("Fonts"));
    EXPECT_TRUE(ini->ValueExists("Print", "empty"));
    EXPECT_FALSE(ini->ValueExists("Print", "Nothing"));
}

TEST_P(IniFile, WritesRoundTripThroughTheFile)
{
    AnsiString name = FDir.File("round.ini");
    {
        auto ini = Open(name);
        ini->WriteString("Grid", "Caption", "  獎品 Prize  ");
        ini->WriteInteger("Grid", "Col0", 64);
        ini->WriteInteger("Grid", "Col1", -1);
        ini->WriteBool("Grid", "Visible", true);
        ini->WriteFloat("Grid", "Zoom", 1.25);
        ini->WriteDate("Grid", "Day", EncodeDate(2024, 2, 29));
        ini->WriteTime("Grid", "At", EncodeTime(13, 45, 10, 0));
        ini->WriteDateTime("Grid", "Stamp", EncodeDate(2001, 1, 2) + EncodeTime(3, 4, 5, 0));
        ini->WriteString("Other", "Key", "v");
        ini->WriteString("grid", "COL0", "65"); // the same key in another case replaces it
        ini->WriteString("Grid", "Multi", "line one\r\n[Injected]\r\nkey=value");
        ini->UpdateFile();
    }
    auto ini = Open(name);
    EXPECT_EQ(ini->ReadString("Grid", "Caption", ""), "獎品 Prize");
    EXPECT_EQ(ini->ReadInteger("Grid", "Col0", 0), 65);
    EXPECT_EQ(ini->ReadInteger("Grid", "Col1", 0), -1);
    EXPECT_TRUE(ini->ReadBool("Grid", "Visible", false));
    EXPECT_DOUBLE_EQ(ini->ReadFloat("Grid", "Zoom", 0), 1.25);
    EXPECT_DOUBLE_EQ(ini->ReadDate("Grid", "Day", 0), EncodeDate(2024, 2, 29));
    EXPECT_NEAR(ini->ReadTime("Grid", "At", 0), EncodeTime(13, 45, 10, 0), 1e-9);
    EXPECT_NEAR(ini->ReadDateTime("Grid", "Stamp", 0), EncodeDate(2001, 1, 2) + EncodeTime(3, 4, 5, 0), 1e-9);
    EXPECT_DOUBLE_EQ(ini->ReadDate("Grid", "Caption", -1), -1);
    // A value with line breaks stays one value and adds no section.
    EXPECT_FALSE(ini->SectionExists("Injected"));
    EXPECT_EQ(ini->ReadString("Grid", "Multi", "").substr(0, 8), "line one");

    EXPECT_EQ(ReadFile(name).substr(0, 39), "[Grid]\r\nCaption=獎品 Prize\r\nCol0=65\r\n");
}

TEST_P(IniFile, EraseAndDeleteKeepTheRest)
{
    AnsiString name = FDir.File("erase.ini");
    WriteFile(name, "; keep this comment\n[A]\nx=1\n; inner\ny=2\n[B]\nz=3\n");
    auto ini = Open(name);
    ini->DeleteKey("a", "X");
    ini->DeleteKey("A", "missing");
    ini->EraseSection("b");
    ini->EraseSection("missing");
    ini->UpdateFile();
    EXPECT_EQ(ReadFile(name), "; keep this comment\r\n[A]\r\n; inner\r\ny=2\r\n");
}

TEST_P(IniFile, MissingFileReadsEmptyAndUnwritableFileRaises)
{
    auto ini = Open(FDir.File("none/missing.ini"));
    EXPECT_EQ(ini->ReadString("S", "K", "dflt"), "dflt");
    TStringList sections;
    ini->ReadSections(&sections);
    EXPECT_EQ(sections.Count(), 0);
    // The folder does not exist, so the file cannot be written: the write-through file says so at
    // the change, the memory file when it writes the file.
    try {
        ini->WriteString("S", "K", "v");
        ini->UpdateFile();
        ADD_FAILURE() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(GetParam(), Kind::WriteThrough);
        EXPECT_EQ(e.Message(), "Unable to write to " + FDir.File("none/missing.ini"));
    } catch (const EFCreateError& e) {
        EXPECT_EQ(GetParam(), Kind::Memory);
        EXPECT_EQ(e.Message().substr(0, 13), "Cannot create");
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, IniFile, ::testing::Values(Kind::Memory, Kind::WriteThrough));

TEST(MemIniFile, ChangesReachTheFileOnlyWithUpdateFile)
{
    TempFolder dir;
    AnsiString name = dir.File("mem.ini");
    TMemIniFile ini(name);
    ini.WriteInteger("S", "K", 1);
    EXPECT_FALSE(FileExists(name));
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(name), "[S]\r\nK=1\r\n");

    // An empty ini file written back creates the file empty.
    TMemIniFile empty(dir.File("empty.ini"));
    empty.UpdateFile();
    EXPECT_EQ(ReadFile(dir.File("empty.ini")), "");

    TStringList lines;
    ini.GetStrings(&lines);
    EXPECT_EQ(Lines(lines), (Strings{"[S]", "K=1"}));
    lines.Add("L=2");
    ini.SetStrings(&lines);
    EXPECT_EQ(ini.ReadInteger("S", "L", 0), 2);
    ini.Clear();
    EXPECT_FALSE(ini.SectionExists("S"));
    ini.Rename(name, true);
    EXPECT_EQ(ini.ReadInteger("S", "K", 0), 1);
}

TEST(IniFile, WritesThroughAtOnceAndKeepsPermissions)
{
    TempFolder dir;
    AnsiString name = dir.File("through.ini");
    TIniFile writer(name);
    TIniFile reader(name);
    writer.WriteString("S", "K", "one");
    EXPECT_EQ(reader.ReadString("S", "K", ""), "one");
    chmod(name.c_str(), 0600);
    writer.WriteString("S", "K", "two");
    EXPECT_EQ(reader.ReadString("S", "K", ""), "two");
    struct stat st {};
    ASSERT_EQ(stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // No temporary file is left beside it.
    TSearchRec rec;
    ASSERT_EQ(FindFirst(dir.File("*"), 0, rec), 0);
    EXPECT_EQ(rec.Name, "through.ini");
    EXPECT_NE(FindNext(rec), 0);
    FindClose(rec);
}

} // namespace
