#include "platform/servers/Servers.h"
#include "platform/rtl/Strings.h"
#include "platform/testing/Commands.h"
#include "platform/testing/FileContents.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// A folder of this run's own, removed with all it holds when the run ends.
const uitest::TempFolder& Scratch()
{
    static const uitest::TempFolder folder("servers");
    return folder;
}

std::string TempPath(const std::string& name)
{
    return Scratch().File(name);
}

using uitest::CommandOutput;
using uitest::HaveCommand;
using uitest::ReadWholeFile;
using uitest::WriteWholeFile;

std::string HtmlToText(const std::string& html)
{
    std::string out;
    for (std::size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            std::size_t end = html.find('>', i);
            i = end == std::string::npos ? html.size() : end + 1;
            out += ' ';
        } else if (html.compare(i, 2, "&#") == 0 && html.find(';', i) != std::string::npos) {
            std::size_t end = html.find(';', i);
            unsigned long cp = std::stoul(html.substr(i + 2, end - i - 2));
            std::u16string u(1, char16_t(cp));
            out += UTF8Encode(u);
            i = end + 1;
        } else if (html.compare(i, 5, "&amp;") == 0) {
            out += '&', i += 5;
        } else {
            out += html[i++];
        }
    }
    return out;
}

class Servers : public ::testing::Test {
protected:
    void SetUp() override { RegisterPlatformOleServers(); }
};

} // namespace

TEST_F(Servers, ObjectsAreFoundByProgIdOrRaiseAsThePlatformDoes)
{
    EXPECT_NO_THROW(CreateOleObject("microsoft.xmldom"));
    try {
        CreateOleObject("No.Such.Server");
        FAIL();
    } catch (const EOleSysError& E) {
        EXPECT_STREQ(E.what(), "Invalid class string");
        EXPECT_EQ(E.ErrorCode(), CO_E_CLASSSTRING);
    }
    EXPECT_THROW(GetActiveOleObject("Word.Application"), EOleSysError);
    Variant Word = CreateOleObject("Word.Application");
    RegisterActiveObject("Word.Application", Word);
    Variant Same = GetActiveOleObject("WORD.APPLICATION");
    EXPECT_EQ(Same.AsDispatch(), Word.AsDispatch());
    RevokeActiveObject("Word.Application");
    EXPECT_THROW(GetActiveOleObject("Word.Application"), EOleSysError);
    try {
        OleCall(Word, "NoSuchMember");
        FAIL();
    } catch (const EOleSysError& E) {
        EXPECT_EQ(E.ErrorCode(), DISP_E_UNKNOWNNAME);
    }
    EXPECT_THROW(OleCall(Variant(3), "Quit"), EOleError);
}

TEST_F(Servers, XmlDocumentsAreWalkedAsTheDomShowsThem)
{
    std::string path = TempPath("list.xml");
    WriteWholeFile(path, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<LIST>\r\n"
                         "<ROW id=\"7\" kind=\"a\">\r\n<FIELD0>Caf\xe9 $amp; "
                         "tea</FIELD0>\r\n<FIELD1>&lt;b&gt;</FIELD1>\r\n</ROW>\r\n"
                         "<ROW>\r\n<FIELD0>  spaced  </FIELD0>\r\n</ROW>\r\n</LIST>\r\n");
    Variant Doc = CreateOleObject("Microsoft.XMLDOM");
    EXPECT_TRUE(OleCall(Doc, "load", {path}).AsBoolean());
    EXPECT_EQ(OleGet(OleGet(Doc, "parseError"), "errorCode").AsInteger(), 0);
    Variant Rows = OleGet(OleGet(Doc, "documentElement"), "childNodes");
    ASSERT_EQ(OleGet(Rows, "length").AsInteger(), 2) << "whitespace between elements is no node";
    Variant Row = OleCall(Rows, "item", {0});
    EXPECT_EQ(OleGet(Row, "nodeName").AsString(), "ROW");
    Variant Fields = OleGet(Row, "childNodes");
    ASSERT_EQ(OleGet(Fields, "length").AsInteger(), 2);
    Variant F0 = OleCall(Fields, "item", {0});
    EXPECT_EQ(OleGet(F0, "text").AsString(), "Café $amp; tea") << "Latin-1 arrives as UTF-8";
    EXPECT_EQ(OleGet(OleCall(Fields, "item", {1}), "Text").AsString(), "<b>");
    EXPECT_EQ(OleGet(OleGet(F0, "childNodes"), "length").AsInteger(), 1);
    EXPECT_TRUE(OleGet(OleCall(OleGet(F0, "childNodes"), "item", {0}), "attributes").IsNull())
        << "text nodes have no attributes";
    Variant Attrs = OleGet(Row, "attributes");
    ASSERT_EQ(OleGet(Attrs, "Length").AsInteger(), 2);
    EXPECT_EQ(OleGet(OleCall(Attrs, "item", {1}), "nodeName").AsString(), "kind");
    EXPECT_EQ(OleGet(OleCall(Attrs, "item", {0}), "Text").AsString(), "7");
    EXPECT_EQ(
        OleGet(OleCall(OleGet(OleCall(Rows, "item", {1}), "childNodes"), "item", {0}), "text").AsString(),
        "  spaced  ")
        << "texts are given verbatim";
    EXPECT_TRUE(OleCall(Rows, "item", {5}).IsNull());
    std::remove(path.c_str());
}

TEST_F(Servers, XmlParseErrorsGiveACodeAndTheLine)
{
    struct Case {
        const char* What;
        std::string Text;
        int Line;
    };
    const Case cases[] = {
        {"unclosed element on line 3", "<?xml version=\"1.0\"?>\n<LIST>\n<ROW><F>x</ROW>\n</LIST>\n", 3},
        {"empty file", "", 1},
        // An external entity is never fetched: the document loads with the reference left empty.
        {"external entity",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE L [<!ENTITY e SYSTEM \"/etc/passwd\">]>\n<L>&e;</L>\n", -1},
    };
    for (const Case& c : cases) {
        std::string path = TempPath("bad.xml");
        WriteWholeFile(path, c.Text);
        Variant Doc = CreateOleObject("Microsoft.XMLDOM");
        bool loaded = OleCall(Doc, "load", {path}).AsBoolean();
        Variant Err = OleGet(Doc, "parseError");
        if (c.Line < 0) {
            EXPECT_TRUE(loaded) << c.What;
            EXPECT_EQ(OleGet(Err, "errorCode").AsInteger(), 0) << c.What;
            EXPECT_EQ(OleGet(OleGet(Doc, "documentElement"), "text").AsString(), "") << c.What;
            std::remove(path.c_str());
            continue;
        }
        EXPECT_FALSE(loaded) << c.What;
        EXPECT_NE(OleGet(Err, "errorCode").AsInteger(), 0) << c.What;
        EXPECT_EQ(OleGet(Err, "line").AsInteger(), c.Line) << c.What;
        EXPECT_TRUE(OleGet(Doc, "documentElement").IsNull()) << c.What;
        std::remove(path.c_str());
    }
    Variant Doc = CreateOleObject("Microsoft.XMLDOM");
    EXPECT_FALSE(OleCall(Doc, "load", {TempPath("missing.xml")}).AsBoolean());
    EXPECT_NE(OleGet(OleGet(Doc, "parseError"), "errorCode").AsInteger(), 0);
}

// A 110 KB file whose one 50,000-character entity is used 20,000 times would expand to 1 GB of
// text; modest use of entities still reads as the expanded text.
TEST_F(Servers, XmlEntityExpansionIsBounded)
{
    Variant Doc = CreateOleObject("Microsoft.XMLDOM");
    EXPECT_FALSE(
        OleCall(Doc, "load", {std::string(DRAWMERE_TEST_DATA) + "/entity-expansion.xml"}).AsBoolean());
    Variant Err = OleGet(Doc, "parseError");
    EXPECT_NE(OleGet(Err, "errorCode").AsInteger(), 0);
    EXPECT_EQ(OleGet(Err, "line").AsInteger(), 3);
    EXPECT_NE(OleGet(Err, "reason").AsString().find("entity"), std::string::npos);
    EXPECT_TRUE(OleGet(Doc, "documentElement").IsNull());

    // Entities made of entities, each level ten times the one below: refused as well.
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE L [<!ENTITY a0 \"laugh\">\n";
    for (int i = 1; i <= 8; ++i) {
        laughs += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            laughs += "&a" + std::to_string(i - 1) + ";";
        laughs += "\">\n";
    }
    laughs += "]>\n<L a=\"&a8;\">&a8;</L>\n";
    std::string path = TempPath("laughs.xml");
    WriteWholeFile(path, laughs);
    EXPECT_FALSE(OleCall(Doc, "load", {path}).AsBoolean());
    EXPECT_NE(OleGet(OleGet(Doc, "parseError"), "errorCode").AsInteger(), 0);

    WriteWholeFile(path, "<?xml version=\"1.0\"?>\n<!DOCTYPE L [<!ENTITY co \"Drawmere &amp; Co\">]>\n"
                         "<L><R who=\"&co;\">&co; and &co;</R></L>\n");
    ASSERT_TRUE(OleCall(Doc, "load", {path}).AsBoolean());
    Variant R = OleCall(OleGet(OleGet(Doc, "documentElement"), "childNodes"), "item", {0});
    EXPECT_EQ(OleGet(R, "text").AsString(), "Drawmere & Co and Drawmere & Co");
    EXPECT_EQ(OleGet(OleCall(OleGet(R, "attributes"), "item", {0}), "text").AsString(), "Drawmere & Co");
    std::remove(path.c_str());
}

// The calls of a grid's table export into a new document, then the file as others read it.
TEST_F(Servers, TheWordProcessorWritesTablesAsRtfThatOthersRead)
{
    const char* cells[3][2] = {{"Prize", "Count"}, {"Car {red}", "1"}, {"獎品", "20"}};
    std::string path = TempPath("prizes.doc");
    Variant Word = CreateOleObject("word.application");
    Variant Doc = OleCall(OleGet(Word, "Documents"), "Add");
    OleSet(Doc, "ShowSpellingErrors", false);
    Variant Sel = OleGet(Word, "Selection");
    OleCall(Sel, "TypeText", {"Prize list"});
    OleCall(Sel, "TypeParaGraph");
    Variant R = OleCall(Doc, "Range", {}, {{"start", 0}, {"end", 0}});
    Variant T = OleCall(OleGet(Doc, "Tables"), "Add", {R}, {{"numRows", 3}, {"numColumns", 2}});
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 2; ++c) {
            Variant Cell = OleCall(T, "Cell", {}, {{"Row", r}, {"Column", c}});
            OleCall(OleGet(Cell, "Range"), "InsertAfter", {cells[r - 1][c - 1]});
            if (c == 2)
                OleSet(OleGet(OleGet(Cell, "Range"), "ParagraphFormat"), "Alignment", 2);
        }
    EXPECT_THROW(OleCall(T, "Cell", {}, {{"Row", 4}, {"Column", 1}}), EOleException);
    OleCall(Doc, "SaveAs", {path});
    OleCall(Word, "Quit");

    std::string rtf = ReadWholeFile(path);
    ASSERT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("\\qr 20\\cell"), std::string::npos) << "right-aligned cells";
    EXPECT_NE(rtf.find("Car \\{red\\}"), std::string::npos);
    EXPECT_LT(rtf.find("Prize\\cell"), rtf.find("Prize list")) << "the table went to the document's start";

    // An independent reader: the cells in order, then the typed paragraph.
    std::string text;
    if (HaveCommand("soffice")) {
        std::string dir = Scratch().Path().string();
        // A profile of its own: another office run at the same time (another test) would
        // otherwise take the conversion over or refuse it.
        CommandOutput("cd '" + dir + "' && soffice -env:UserInstallation=file://" + dir +
                      "/lo-profile-servers --headless --convert-to txt:Text '" + path + "' >/dev/null 2>&1");
        text = ReadWholeFile(path.substr(0, path.size() - 4) + ".txt");
    } else if (HaveCommand("unrtf")) {
        // Its HTML keeps characters beyond Latin-1 (as numeric references); its plain text does not.
        text = HtmlToText(CommandOutput("unrtf --html '" + path + "' 2>/dev/null"));
    } else {
        std::remove(path.c_str());
        return uitest::SkipMissing("neither soffice nor unrtf is installed");
    }
    std::size_t at = 0;
    for (auto& row : cells)
        for (const char* cell : row) {
            std::size_t found = text.find(cell, at);
            EXPECT_NE(found, std::string::npos) << cell << " in order, in:\n" << text;
            if (found != std::string::npos)
                at = found + 1;
        }
    EXPECT_NE(text.find("Prize list", at), std::string::npos);
    std::remove(path.c_str());
}

std::size_t Count(const std::string& s, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = 0; (at = s.find(what, at)) != std::string::npos; ++at)
        ++n;
    return n;
}

// A document it wrote is opened again, keeps its tables and paragraphs, and takes another table
// at its end as a grid's append asks for it; files that are no RTF, or are cut short, are refused.
TEST_F(Servers, TheWordProcessorOpensDocumentsAndAppends)
{
    std::string path = TempPath("append.doc");
    Variant Word = CreateOleObject("word.application");
    Variant Docs = OleGet(Word, "Documents");
    auto addTable = [&](const Variant& Doc, const Variant& Where, const char* first) {
        Variant T = OleCall(OleGet(Doc, "Tables"), "Add", {Where}, {{"numRows", 2}, {"numColumns", 2}});
        const char* texts[] = {first, "a\tb", "line 1\r\nline 2", "\xe7\x8d\x8e {x}"};
        for (int i = 0; i < 4; ++i) {
            Variant Cell = OleCall(T, "Cell", {}, {{"Row", 1 + i / 2}, {"Column", 1 + i % 2}});
            OleCall(OleGet(Cell, "Range"), "InsertAfter", {texts[i]});
            if (i == 3)
                OleSet(OleGet(OleGet(Cell, "Range"), "ParagraphFormat"), "Alignment", 1);
        }
    };
    Variant Doc = OleCall(Docs, "Add");
    OleCall(OleGet(Word, "Selection"), "TypeText", {"Title"});
    OleCall(OleGet(Word, "Selection"), "TypeParaGraph");
    addTable(Doc, OleCall(Doc, "Range", {}, {{"start", 0}, {"end", 0}}), "first");
    OleCall(Doc, "SaveAs", {path});
    const std::string written = ReadWholeFile(path);

    // The grid's append: open, type at the start, a paragraph at the end, the table there.
    Variant Opened = OleCall(Docs, "Open", {path});
    EXPECT_EQ(OleGet(OleGet(Opened, "Tables"), "Count").AsInteger(), 1);
    OleCall(OleGet(Word, "Selection"), "TypeText", {"Top"});
    OleCall(OleGet(Word, "Selection"), "TypeParaGraph");
    OleCall(OleGet(Opened, "Paragraphs"), "Add");
    OleCall(OleGet(Word, "Selection"), "Goto", {}, {{"what", 3}, {"which", -1}});
    Variant End = OleGet(OleGet(Word, "Selection"), "End");
    addTable(Opened, OleCall(Opened, "Range", {}, {{"start", End}, {"end", End}}), "second");
    OleCall(Opened, "SaveAs", {path});
    const std::string rtf = ReadWholeFile(path);
    EXPECT_EQ(Count(rtf, "\\row"), 4u);
    EXPECT_NE(rtf.find("\\qc \\u29518?"), std::string::npos) << "alignment and text of the first table kept";
    EXPECT_NE(rtf.find("a\\tab b\\cell"), std::string::npos);
    EXPECT_NE(rtf.find("line 1\\line line 2"), std::string::npos);
    const std::size_t top = rtf.find("Top"), title = rtf.find("Title"), first = rtf.find("first"),
                      second = rtf.find("second");
    EXPECT_LT(top, first);
    EXPECT_LT(first, title) << "the first table stood before the typed title";
    EXPECT_LT(title, second) << "the new table goes at the end";

    // Opened again, written again: the same bytes.
    Variant Again = OleCall(Docs, "Open", {path});
    EXPECT_EQ(OleGet(OleGet(Again, "Tables"), "Count").AsInteger(), 2);
    OleCall(Again, "SaveAs", {path});
    EXPECT_EQ(ReadWholeFile(path), rtf);

    for (const std::string& bad :
         {std::string("plain text"), written.substr(0, written.size() / 2), std::string(2000, '{')}) {
        WriteWholeFile(path, bad);
        EXPECT_THROW(OleCall(Docs, "Open", {path}), EOleException) << bad.substr(0, 20);
    }
    EXPECT_THROW(OleCall(Docs, "Open", {TempPath("missing.doc")}), EOleException);
    OleCall(Word, "Quit");
    std::remove(path.c_str());
}

TEST_F(Servers, RecordSetsReadSqliteFilesReadOnly)
{
    std::string path = TempPath("prizes.db");
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE prizes(name TEXT, qty INTEGER, price REAL, note TEXT);"
                           "INSERT INTO prizes VALUES('Car', 1, 1.5, NULL), ('獎品', 20, 0.25, '');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    Variant K = CreateOleObject("ADODB.Connection");
    OleCall(K, "Open", {"Driver={Microsoft Access Driver (*.mdb)};DBQ=" + path});
    Variant Q = CreateOleObject("ADODB.RecordSet");
    OleSet(Q, "ActiveConnection", K);
    OleCall(Q, "Open", {"SELECT * FROM [prizes]"});
    Variant F = OleGet(Q, "Fields");
    ASSERT_EQ(OleGet(F, "Count").AsInteger(), 4);
    EXPECT_EQ(OleGet(OleGet(Q, "Fields", {1}), "Name").AsString(), "qty");
    EXPECT_EQ(OleGet(Q, "RecordCount").AsInteger(), -1) << "forward-only: count unknown";
    std::vector<std::vector<std::string>> rows;
    std::vector<int> sizes;
    while (!OleGet(Q, "Eof").AsBoolean()) {
        rows.emplace_back();
        for (int k = 0; k < 4; ++k) {
            Variant Fk = OleGet(Q, "Fields", {k});
            sizes.push_back(OleGet(Fk, "ActualSize").AsInteger());
            rows.back().push_back(VarToStr(OleGet(Fk, "Value")));
        }
        OleCall(Q, "MoveNext");
    }
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Car", "1", "1.5", ""}));
    EXPECT_EQ(rows[1][0], "獎品");
    EXPECT_EQ(sizes[3], 0) << "NULL has no size";
    EXPECT_THROW(OleCall(Q, "MoveNext"), EOleException);
    OleCall(Q, "Close");
    OleCall(K, "Close");

    struct Bad {
        const char* What;
        std::string Conn;
    };
    std::string notDb = TempPath("not.db");
    WriteWholeFile(notDb, "this is no database file at all, just text of some length....");
    const Bad bad[] = {{"missing file", "DBQ=" + TempPath("missing.db")},
                       {"no DBQ", "Driver={x}"},
                       {"not a database", "DBQ=" + notDb}};
    for (const Bad& b : bad)
        EXPECT_THROW(OleCall(CreateOleObject("ADODB.Connection"), "Open", {b.Conn}), EOleException) << b.What;
    EXPECT_NE(access(TempPath("missing.db").c_str(), F_OK), 0) << "no file is created";
    Variant K2 = CreateOleObject("ADODB.Connection");
    OleCall(K2, "Open", {"DBQ=" + path});
    Variant Q2 = CreateOleObject("ADODB.RecordSet");
    OleSet(Q2, "ActiveConnection", K2);
    EXPECT_THROW(OleCall(Q2, "Open", {"SELEKT nothing"}), EOleException);
    EXPECT_THROW(OleCall(Q2, "Open", {"DELETE FROM prizes"}), EOleException) << "read-only";
    std::remove(path.c_str());
    std::remove(notDb.c_str());
}

// Nothing but reading: no copy written elsewhere, no second statement, no files left beside a
// database in write-ahead-log mode.
TEST_F(Servers, RecordSetsNeitherWriteNorRunMoreThanOneStatement)
{
    std::string path = TempPath("wal prizes%3F.db");
    std::string copy = TempPath("copy.db");
    std::remove(path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA journal_mode=WAL; CREATE TABLE prizes(name TEXT);"
                           "INSERT INTO prizes VALUES('Car'), ('Bike');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    ASSERT_NE(access((path + "-wal").c_str(), F_OK), 0);

    Variant K = CreateOleObject("ADODB.Connection");
    OleCall(K, "Open", {"DBQ=" + path});
    auto open = [&](const std::string& sql) {
        Variant Q = CreateOleObject("ADODB.RecordSet");
        OleSet(Q, "ActiveConnection", K);
        OleCall(Q, "Open", {sql});
        return Q;
    };
    Variant Q = open("SELECT name FROM prizes ORDER BY name; -- the prizes\n ");
    EXPECT_EQ(VarToStr(OleGet(OleGet(Q, "Fields", {0}), "Value")), "Bike");
    OleCall(Q, "Close");
    const char* refused[] = {
        "VACUUM INTO '/tmp/never.db'",
        "ATTACH DATABASE '/tmp/never.db' AS other",
        "SELECT name FROM prizes; DELETE FROM prizes",
        "SELECT 1; SELECT 2",
        "PRAGMA journal_mode=DELETE",
        "CREATE TEMP TABLE t(x)",
    };
    for (const char* sql : refused) {
        std::string statement = std::string(sql);
        std::size_t at = statement.find("/tmp/never.db");
        if (at != std::string::npos)
            statement.replace(at, 13, copy);
        EXPECT_THROW(open(statement), EOleException) << sql;
    }
    EXPECT_NE(access(copy.c_str(), F_OK), 0) << "no copy of the database was written";
    OleCall(K, "Close");
    K = Variant();
    EXPECT_NE(access((path + "-wal").c_str(), F_OK), 0);
    EXPECT_NE(access((path + "-shm").c_str(), F_OK), 0);

    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM prizes", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 2) << "nothing deleted";
    sqlite3_finalize(st);
    sqlite3_close(db);
    std::remove(path.c_str());
}
