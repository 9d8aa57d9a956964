// Exchange through automation servers: the word-processor table read back by LibreOffice, the
// spreadsheet paths against a recording server and without one, the record-set import over
// SQLite files, and scaling.

#include "RudUvud/tests/ExchangeTestGrid.h"

#include "platform/rtl/StringLists.h"
#include "platform/servers/Servers.h"
#include "platform/testing/Commands.h"
#include "platform/testing/TempFolder.h"

#include <map>

namespace {

using exchangetest::Table;

std::size_t Count(const std::string& S, const std::string& What)
{
    std::size_t N = 0;
    for (std::size_t At = 0; (At = S.find(What, At)) != std::string::npos; ++At)
        ++N;
    return N;
}

class AutomationExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterPlatformOleServers();
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 5);
        exchangetest::Fill(G);
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(AutomationExchangeTest, DocumentTableReadsBackInLibreOffice)
{
    if (!uitest::HaveCommand("soffice"))
        return uitest::SkipMissing(
            "soffice (LibreOffice headless) is not installed: the document cannot be read back");
    G->HideColumn(4);
    G->MergeCells(2, 3, 2, 1);
    G->SetAlignments(1, 1, taRightJustify);
    G->SetAlignments(2, 1, taCenter);
    const uitest::TempFolder Temp{"grid-doc"};
    const std::string Dir = Temp.Path().string();
    const std::string Doc = Dir + "/prizes.doc";
    G->SaveToDOC(Doc, true);

    // LibreOffice turns the document into HTML (its own profile, so parallel runs do not meet);
    // Python's html.parser gives each table cell's text and paragraph alignment.
    const std::string Cmd = "cd " + Dir + " && soffice -env:UserInstallation=file://" + Dir +
                            "/profile --headless --convert-to html --outdir " + Dir + " " + Doc +
                            " > /dev/null 2>&1";
    ASSERT_EQ(std::system(Cmd.c_str()), 0);
    Table Cells = exchangetest::RunPython(
        "import sys, re, html.parser\n"
        "class P(html.parser.HTMLParser):\n"
        "    def __init__(s):\n"
        "        super().__init__(); s.rows=[]; s.cell=None; s.align=''\n"
        "    def handle_starttag(s, tag, attrs):\n"
        "        a=dict(attrs)\n"
        "        if tag=='tr': s.rows.append([])\n"
        "        elif tag=='td': s.cell=''; s.align=''\n"
        "        elif tag=='p' and s.cell is not None:\n"
        "            if s.cell: s.cell+='\\n'\n"
        "            if a.get('align'): s.align=a['align']\n"
        "        elif tag=='br' and s.cell is not None: s.cell+='\\n'\n"
        "    def handle_endtag(s, tag):\n"
        "        if tag=='td':\n"
        "            a='' if s.align=='left' else s.align\n"
        "            s.rows[-1].append(a+'|'+s.cell.rstrip('\\n')); s.cell=None\n"
        "    def handle_data(s, d):\n"
        "        if s.cell is None or not d.strip(): return\n"
        "        d=re.sub(r'\\n\\s*',' ',d)\n"
        "        s.cell+=d.lstrip() if s.cell.endswith('\\n') else d\n"
        "p=P(); p.feed(open(sys.argv[1],encoding='utf-8').read())\n"
        "sys.stdout.buffer.write('\\x1e'.join('\\x1f'.join(r) for r in p.rows).encode('utf-8'))\n",
        Dir + "/prizes.html");

    // Every row and visible column, fixed ones included; the covered cell is written as it stands.
    Table Want;
    for (Integer R = 0; R < G->RowCount(); ++R) {
        Want.emplace_back();
        for (Integer C = 0; C < G->ColCount(); ++C) {
            TAlignment HA = taLeftJustify;
            TVAlignment VA = vtaTop;
            G->GetCellAlignment(C, R, HA, VA);
            const std::string Align = HA == taRightJustify ? "right" : HA == taCenter ? "center" : "";
            Want.back().push_back(Align + "|" +
                                  exchangetest::Replace(G->SaveCell(G->RemapCol(C), R), "\r\n", "\n"));
        }
    }
    EXPECT_EQ(Cells, Want);
}

TEST_F(AutomationExchangeTest, DocumentPathsWithoutLibreOffice)
{
    // The table is written into a new document even when no new document is asked for (the
    // server was started for this call, so it has none open); the file is RTF whatever its name.
    const std::string Doc = exchangetest::TempPath("grid_doc_plain", ".doc");
    G->SetWideCells(3, 4, u"\u5BEC"); // the wide-text form goes as the text it stands for
    G->SaveToDOC(Doc, false);
    const std::string Rtf = uitest::ReadWholeFile(Doc);
    EXPECT_EQ(Rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_EQ(Count(Rtf, "\\cell\n"), 25u);
    EXPECT_EQ(Count(Rtf, "\\row"), 5u);
    EXPECT_NE(Rtf.find("Smith, J."), std::string::npos);
    EXPECT_NE(Rtf.find("\\u20013?\\u25991?"), std::string::npos); // Chinese as Unicode escapes
    EXPECT_NE(Rtf.find("\\u23532?\\cell"), std::string::npos);
    EXPECT_EQ(Rtf.find("|\\"), std::string::npos);
    // Appending opens the document written before and adds the table after what it holds.
    G->SetCells(1, 1, "appended");
    G->AppendToDoc(Doc, "mark");
    const std::string Both = uitest::ReadWholeFile(Doc);
    EXPECT_EQ(Count(Both, "\\cell\n"), 50u);
    EXPECT_EQ(Count(Both, "\\row"), 10u);
    EXPECT_LT(Both.find("Smith, J."), Both.find("appended"));
    EXPECT_NE(Both.find("\\u20013?\\u25991?"), std::string::npos) << "the first table's text kept";
    EXPECT_EQ(Screen->Cursor(), crDefault);
    // A file that is no document is refused and left as it was; the cursor comes back.
    uitest::WriteWholeFile(Doc, "plain text, no document");
    try {
        G->AppendToDoc(Doc, "mark");
        ADD_FAILURE() << "appending to a text file worked";
    } catch (const EOleException& E) {
        EXPECT_NE(E.Message().find("is not a document"), std::string::npos);
    }
    EXPECT_EQ(uitest::ReadWholeFile(Doc), "plain text, no document");
    EXPECT_EQ(Screen->Cursor(), crDefault);
    std::remove(Doc.c_str());
    // A target that cannot be written leaves nothing behind.
    EXPECT_THROW(G->SaveToDOC("/nonexistent-dir/x.doc", true), EOleException);
}

TEST_F(AutomationExchangeTest, MissingServersRaiseTheirErrors)
{
    // The spreadsheet server comes with the xls file interface, which is not registered here.
    const Table Before = [&] {
        Table T;
        for (Integer R = 0; R < G->RowCount(); ++R) {
            T.emplace_back();
            for (Integer C = 0; C < G->ColCount(); ++C)
                T.back().push_back(G->Cells(C, R));
        }
        return T;
    }();
    struct Case {
        const char* Name;
        std::function<void()> Run;
        const char* Message;
    } Cases[] = {
        {"SaveToXLS", [&] { G->SaveToXLS("/tmp/x.xls", true); }, "Excel OLE server not found"},
        {"SaveToXLSSheet", [&] { G->SaveToXLSSheet("/tmp/x.xls", "S"); }, "Excel OLE server not found"},
        {"LoadFromXLS", [&] { G->LoadFromXLS("/tmp/x.xls"); }, "Excel OLE server not found"},
        {"GetXLSSheets", [&] { delete G->GetXLSSheets("/tmp/x.xls"); }, "Excel OLE server not found"},
        {"SaveToDOC", [&] { G->SaveToDOC("/tmp/x.doc", true); }, "Word OLE server not found"},
    };
    UnregisterOleServer("Excel.Application");
    UnregisterOleServer("Word.Application");
    for (const Case& C : Cases) {
        try {
            C.Run();
            ADD_FAILURE() << C.Name << " did not raise";
        } catch (const ERudUvudError& E) {
            EXPECT_EQ(E.Message(), C.Message) << C.Name;
        }
        EXPECT_EQ(Screen->Cursor(), crDefault) << C.Name;
    }
    RegisterPlatformOleServers();
    Table After;
    for (Integer R = 0; R < G->RowCount(); ++R) {
        After.emplace_back();
        for (Integer C = 0; C < G->ColCount(); ++C)
            After.back().push_back(G->Cells(C, R));
    }
    EXPECT_EQ(After, Before);
}

// A spreadsheet server that records what it is sent and serves one workbook of two sheets.
struct TSheetLog {
    std::vector<std::string> Calls;
    std::map<std::string, Variant> Values; // range address -> value put
    std::string UsedRange = "$B$2:$C$3";
    Variant Used;
};

class TFakeObject : public TAutoObject {
public:
    TFakeObject(std::shared_ptr<TSheetLog> L, std::string Kind, std::string Name = "")
        : Log(std::move(L)), Kind(std::move(Kind)), SheetName(std::move(Name))
    {
    }
    Variant Invoke(const AnsiString& Name, int Kind_, const std::vector<Variant>& Args,
                   const std::vector<TNamedArg>& Named) override
    {
        std::string Call = Kind + "." + Name;
        for (const Variant& A : Args)
            if (!A.IsArray() && (A.VType() & varTypeMask) != varDispatch)
                Call += " " + VarToStr(A);
        for (const TNamedArg& A : Named)
            Call += " " + A.Name + "=" + VarToStr(A.Value);
        Log->Calls.push_back(Call);
        auto Obj = [&](const char* K, std::string N = "") {
            return AutoVariant(std::make_shared<TFakeObject>(Log, K, N));
        };
        if (Name == "WorkBooks" || Name == "WorkSheets")
            return Obj(Name == "WorkBooks" ? "Books" : "Sheets");
        if (Name == "Add" || Name == "Open")
            return Obj(Kind == "Books" ? "Book" : "Sheet", "New");
        if (Name == "Count")
            return Kind == "Books" ? 0 : 2;
        if (Name == "Sheets" || Name == "item")
            return Args.empty() ? Obj("Sheets") : Obj("Sheet", Args[0].AsInteger() == 1 ? "First" : "Second");
        if (Name == "ActiveSheet")
            return Obj("Sheet", "First");
        if (Name == "Name")
            return AnsiString(SheetName);
        if (Name == "UsedRange")
            return Obj("Used");
        if (Name == "Address")
            return AnsiString(Log->UsedRange);
        if (Name == "Range")
            return Obj("Range", Args[0].AsString());
        if (Name == "Value") {
            if (Kind_ & DISPATCH_PROPERTYPUT)
                Log->Values[SheetName] = Args.back();
            return Log->Used;
        }
        return Variant();
    }
    std::shared_ptr<TSheetLog> Log;
    std::string Kind, SheetName;
};

TEST_F(AutomationExchangeTest, SpreadsheetPathsSendTheirMembers)
{
    auto Log = std::make_shared<TSheetLog>();
    RegisterOleServer("Excel.Application", [Log] { return std::make_shared<TFakeObject>(Log, "App"); });
    G->HideColumn(4);
    G->SetIncludeFixedCells(false);
    G->SaveToXLS("/tmp/out.xls", true);
    ASSERT_EQ(Log->Values.count("A1:C4"), 1u);
    const Variant& A = Log->Values["A1:C4"];
    EXPECT_EQ(A.ArrayHighBound(1), 3);
    EXPECT_EQ(A.ArrayHighBound(2), 2);
    EXPECT_EQ(A.GetElement({1, 0}).AsString(), "one\ntwo"); // CR removed
    EXPECT_EQ(A.GetElement({0, 0}).AsString(), "Smith, J.");
    EXPECT_EQ(Log->Calls.back(), "App.Quit");
    EXPECT_NE(std::find(Log->Calls.begin(), Log->Calls.end(), "Book.SaveAs /tmp/out.xls"), Log->Calls.end());

    // The sheet names.
    std::unique_ptr<TStringList> Names(G->GetXLSSheets("/tmp/in.xls"));
    ASSERT_EQ(Names->Count(), 2);
    EXPECT_EQ(Names->Strings(1), "Second");

    // Import: the used range's values, objects and errors skipped, a missing sheet named.
    Log->Used = VarArrayCreate({1, 2, 1, 2}, varVariant);
    Log->Used.PutElement({1, 1}, Variant("x"));
    Log->Used.PutElement({1, 2}, Variant(42));
    Log->Used.PutElement({2, 1}, Variant::FromError(7));
    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 5, 5);
    B->SetIncludeFixedCells(false);
    B->LoadFromXLSSheet("/tmp/in.xls", "Second");
    EXPECT_EQ(B->ColCount(), 3);
    EXPECT_EQ(B->RowCount(), 3);
    EXPECT_EQ(B->Cells(1, 1), "x");
    EXPECT_EQ(B->Cells(2, 1), "42");
    EXPECT_EQ(B->Cells(1, 2), "");
    EXPECT_EQ(Log->Calls.back(), "App.Quit");
    try {
        B->LoadFromXLSSheet("/tmp/in.xls", "Third");
        FAIL();
    } catch (const ERudUvudError& E) {
        EXPECT_EQ(E.Message(), "Excel worksheet Third not found");
    }
    EXPECT_EQ(B->Cells(1, 1), "x");
    // Whole rows load 256 columns.
    Log->UsedRange = "$1:$2";
    B->LoadFromXLS("/tmp/in.xls");
    EXPECT_EQ(B->ColCount(), 257);
    EXPECT_EQ(B->RowCount(), 3);

    // A grid wider than a worksheet is refused before anything is sent.
    G->SetColCount(300);
    Log->Values.clear();
    EXPECT_THROW(G->SaveToXLS("/tmp/out.xls", true), ERudUvudError);
    EXPECT_TRUE(Log->Values.empty());
    UnregisterOleServer("Excel.Application");
}

TEST_F(AutomationExchangeTest, RecordSetsOfADatabaseFile)
{
    const std::string Db = exchangetest::TempPath("grid_db", ".sqlite");
    std::remove(Db.c_str());
    const std::string Make =
        "/usr/bin/python3 -c \"import sqlite3,sys\n"
        "c=sqlite3.connect(sys.argv[1])\n"
        "c.execute('create table [prize list] (name text, qty integer, note text)')\n"
        "c.executemany('insert into [prize list] values (?,?,?)', [('TV',3,None),('\xe4\xb8\xad',1,'a,b')])\n"
        "c.commit()\" " +
        Db;
    ASSERT_EQ(std::system(Make.c_str()), 0);
    G->LoadFromMDBTable(Db, "prize list");
    EXPECT_EQ(G->ColCount(), 4);
    EXPECT_EQ(G->RowCount(), 3);
    EXPECT_EQ(G->Cells(1, 0), "name");
    EXPECT_EQ(G->Cells(3, 0), "note");
    EXPECT_EQ(G->Cells(1, 1), "TV");
    EXPECT_EQ(G->Cells(2, 1), "3");
    EXPECT_EQ(G->Cells(3, 1), "");
    EXPECT_EQ(G->Cells(1, 2), "\xe4\xb8\xad");
    EXPECT_EQ(G->Cells(3, 2), "a,b");

    // A query that fails leaves the grid as it was; so does a table name carrying more SQL.
    EXPECT_THROW(G->LoadFromMDBSQL(Db, "SELECT nothing FROM nowhere"), Exception);
    EXPECT_THROW(G->LoadFromMDBTable(Db, "prize list]; DROP TABLE [prize list"), Exception);
    EXPECT_EQ(G->Cells(1, 1), "TV");
    G->LoadFromMDBSQL(Db, "SELECT qty FROM [prize list] ORDER BY qty");
    EXPECT_EQ(G->Cells(1, 1), "1");
    std::remove(Db.c_str());
}

TEST_F(AutomationExchangeTest, ScalingScalesTheGridsOwnFonts)
{
    G->FixedFont()->SetSize(10);
    G->ActiveCellFont()->SetSize(8);
    G->ScaleBy(3, 2);
    EXPECT_EQ(G->FixedFont()->Size(), 15);
    EXPECT_EQ(G->ActiveCellFont()->Size(), 12);
    G->ScaleBy(2, 2);
    EXPECT_EQ(G->FixedFont()->Size(), 15);
}

} // namespace
