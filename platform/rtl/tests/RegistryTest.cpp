#include "platform/rtl/Registry.h"

#include "platform/rtl/Files.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringLists.h"

#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Strings = std::vector<AnsiString>;

Strings Lines(TStrings& List)
{
    Strings lines;
    for (Integer i = 0; i < List.Count(); ++i)
        lines.push_back(List.Strings(i));
    return lines;
}

// Every test gets its own configuration folder, so the registry file starts absent.
class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        FHadOld = old != nullptr;
        if (old)
            FOld = old;
        setenv("XDG_CONFIG_HOME", FDir.c_str(), 1);
    }
    void TearDown() override
    {
        if (FHadOld)
            setenv("XDG_CONFIG_HOME", FOld.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    uitest::TempFolder FFolder{"rtl-registry"};
    AnsiString FDir = FFolder.Path().string();
    AnsiString FOld;
    bool FHadOld = false;
};

TEST_F(Registry, KeysLiveInOneIniFileUnderTheConfigFolder)
{
    EXPECT_EQ(RegistryFileName(), FDir + "/drawmere/registry.ini");
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey("Software\\Drawmere", false));
    EXPECT_FALSE(FileExists(RegistryFileName())); // looking does not create anything
    ASSERT_TRUE(reg.OpenKey("\\Software\\Drawmere\\", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Drawmere");
    reg.WriteString("Title", "獎品");
    TStringList file;
    file.LoadFromFile(RegistryFileName());
    EXPECT_EQ(Lines(file), (Strings{"[HKEY_CURRENT_USER\\Software]", "",
                                    "[HKEY_CURRENT_USER\\Software\\Drawmere]", "Title=sz:獎品"}));
}

TEST_F(Registry, TypedValuesRoundTripAndTypeErrorsUseThePlatformTexts)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Test", true));
        reg.WriteString("Name", " two\r\nlines\\ =x ");
        reg.WriteString("", "default value");
        reg.WriteString("odd=name;[", "v");
        reg.WriteExpandString("Path", "$HOME/x");
        reg.WriteInteger("Count", -42);
        reg.WriteBool("Flag", true);
        const Byte blob[] = {0x00, 0xFF, 0x10};
        reg.WriteBinaryData("Blob", blob, sizeof blob);
        reg.WriteBinaryData("EmptyBlob", blob, 0);
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("software\\TEST", false)); // names compare without case
    EXPECT_EQ(reg.ReadString("name"), " two\r\nlines\\ =x ");
    EXPECT_EQ(reg.ReadString(""), "default value");
    EXPECT_EQ(reg.ReadString("odd=name;["), "v");
    EXPECT_EQ(reg.ReadString("Path"), "$HOME/x");
    EXPECT_EQ(reg.ReadInteger("Count"), -42);
    EXPECT_TRUE(reg.ReadBool("Flag"));
    Byte buffer[8] = {};
    EXPECT_EQ(reg.ReadBinaryData("Blob", buffer, sizeof buffer), 3);
    EXPECT_EQ(buffer[1], 0xFF);
    EXPECT_EQ(reg.ReadBinaryData("EmptyBlob", buffer, sizeof buffer), 0);
    EXPECT_EQ(reg.ReadBinaryData("Missing", buffer, sizeof buffer), 0);

    struct TypeCase {
        const char* Name;
        TRegDataType Type;
        Integer Size;
    } types[] = {{"Name", rdString, 17},
                 {"Path", rdExpandString, 8},
                 {"Count", rdInteger, 4},
                 {"Blob", rdBinary, 3},
                 {"Missing", rdUnknown, -1}};
    for (const auto& c : types) {
        EXPECT_EQ(reg.GetDataType(c.Name), c.Type) << c.Name;
        EXPECT_EQ(reg.GetDataSize(c.Name), c.Size) << c.Name;
    }

    EXPECT_EQ(reg.ReadString("Missing"), "");
    auto expectError = [](auto Action, const AnsiString& Text) {
        try {
            Action();
            ADD_FAILURE() << "no exception for " << Text;
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.Message(), Text);
        }
    };
    expectError([&] { reg.ReadInteger("Missing"); }, "Failed to get data for 'Missing'");
    expectError([&] { reg.ReadInteger("Name"); }, "Invalid data type for 'Name'");
    expectError([&] { reg.ReadString("Count"); }, "Invalid data type for 'Count'");
    expectError([&] { reg.ReadBinaryData("Blob", buffer, 2); }, "Invalid data type for 'Blob'");

    TRegistry readOnly;
    ASSERT_TRUE(readOnly.OpenKeyReadOnly("Software\\Test"));
    expectError([&] { readOnly.WriteInteger("Count", 1); }, "Failed to set data for 'Count'");
    TRegistry closed;
    expectError([&] { closed.WriteInteger("Count", 1); }, "Failed to set data for 'Count'");
    EXPECT_FALSE(closed.ValueExists("Count"));
}

TEST_F(Registry, KeyTreeListingAndDeletion)
{
    TRegistry reg;
    ASSERT_TRUE(reg.CreateKey("Software\\App\\Grid\\Columns"));
    ASSERT_TRUE(reg.CreateKey("\\Software\\App\\Print"));
    ASSERT_TRUE(reg.OpenKey("Software\\App", false));
    reg.WriteInteger("Version", 2);
    reg.WriteInteger("Width", 3);

    TStringList names;
    reg.GetKeyNames(&names);
    EXPECT_EQ(Lines(names), (Strings{"Grid", "Print"}));
    reg.GetValueNames(&names);
    EXPECT_EQ(Lines(names), (Strings{"Version", "Width"}));
    EXPECT_TRUE(reg.HasSubKeys());
    EXPECT_TRUE(reg.KeyExists("Grid\\Columns")); // relative to the open key
    EXPECT_TRUE(reg.KeyExists("\\Software\\App\\Grid"));
    EXPECT_FALSE(reg.KeyExists("Columns"));

    EXPECT_TRUE(reg.DeleteValue("Width"));
    EXPECT_FALSE(reg.DeleteValue("Width"));
    EXPECT_FALSE(reg.ValueExists("Width"));
    EXPECT_TRUE(reg.ValueExists("Version"));

    EXPECT_TRUE(reg.DeleteKey("Grid")); // with its subkeys
    EXPECT_FALSE(reg.KeyExists("Grid\\Columns"));
    EXPECT_FALSE(reg.DeleteKey("Grid"));
    EXPECT_TRUE(reg.KeyExists("Print"));

    // Another root is another tree.
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_FALSE(reg.KeyExists("Software\\App"));
}

TEST_F(Registry, ChangesFromConcurrentWritersAreAllKept)
{
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([t] {
            TRegistry reg;
            reg.OpenKey("Software\\Race", true);
            for (int i = 0; i < 10; ++i)
                reg.WriteInteger("T" + std::to_string(t) + "_" + std::to_string(i), i);
        });
    }
    for (auto& w : writers)
        w.join();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Race", false));
    TStringList names;
    reg.GetValueNames(&names);
    EXPECT_EQ(names.Count(), 40);
}

TEST_F(Registry, IniFileViewMapsSectionsToSubkeys)
{
    {
        TRegistryIniFile ini("Software\\Drawmere\\Grid");
        ini.WriteInteger("Columns", "Col0", 64);
        ini.WriteInteger("Columns", "Col1", 80);
        ini.WriteString("Columns", "Name", "12");
        ini.WriteBool("Options", "Stretch", true);
        ini.UpdateFile();
    }
    TRegistryIniFile ini("Software\\Drawmere\\Grid");
    EXPECT_EQ(ini.ReadInteger("Columns", "Col0", 0), 64);
    EXPECT_EQ(ini.ReadInteger("columns", "COL1", 0), 80);
    EXPECT_EQ(ini.ReadInteger("Columns", "Name", 0), 12); // a string holding a number
    EXPECT_EQ(ini.ReadInteger("Columns", "Pos0", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Missing", "Pos0", -1), -1);
    EXPECT_EQ(ini.ReadString("Columns", "Col0", ""), "64"); // an integer read as text
    EXPECT_TRUE(ini.ReadBool("Options", "Stretch", false));
    EXPECT_TRUE(ini.SectionExists("Options"));
    EXPECT_TRUE(ini.ValueExists("Columns", "Name"));
    EXPECT_FALSE(ini.ValueExists("Missing", "Name"));

    TStringList list;
    ini.ReadSections(&list);
    EXPECT_EQ(Lines(list), (Strings{"Columns", "Options"}));
    ini.ReadSection("Columns", &list);
    EXPECT_EQ(Lines(list), (Strings{"Col0", "Col1", "Name"}));
    ini.ReadSectionValues("Columns", &list);
    EXPECT_EQ(Lines(list), (Strings{"Col0=64", "Col1=80", "Name=12"}));

    ini.DeleteKey("Columns", "Name");
    EXPECT_FALSE(ini.ValueExists("Columns", "Name"));
    ini.EraseSection("Options");
    EXPECT_FALSE(ini.SectionExists("Options"));

    // The same data through the registry object.
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Drawmere\\Grid\\Columns", false));
    EXPECT_EQ(reg.ReadInteger("Col1"), 80);
}

TEST_F(Registry, DamagedFileReadsWithoutCrashing)
{
    ForceDirectories(FDir + "/drawmere");
    {
        TFileStream file(RegistryFileName(), fmCreate);
        file.WriteString("[HKEY_CURRENT_USER\\K]\nA=dword:notanumber\nB=hex:zz\nC=unknown\nD\n\\x4=sz:\\x\n");
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("K", false));
    EXPECT_THROW(reg.ReadInteger("A"), ERegistryException);
    Byte buffer[4];
    EXPECT_THROW(reg.ReadBinaryData("B", buffer, 4), ERegistryException);
    EXPECT_EQ(reg.GetDataType("C"), rdUnknown);
    EXPECT_FALSE(reg.ValueExists("D"));
    TStringList names;
    reg.GetValueNames(&names);
    EXPECT_EQ(Lines(names), (Strings{"A", "B", "C", "\\x4"}));
    EXPECT_EQ(reg.ReadString("\\x4"), "");
}

} // namespace
