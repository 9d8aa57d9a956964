// XML documents: the written file checked by xmllint and read by Python's xml.etree, the round
// trip through the grid's reader, the reader's placement rules and its errors.

#include "RudUvud/tests/ExchangeTestGrid.h"

#include "platform/rtl/StringLists.h"
#include "platform/servers/Servers.h"

namespace {

using exchangetest::Table;

class XmlExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterPlatformOleServers();
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 5);
        exchangetest::Fill(G);
        Path = exchangetest::TempPath("grid_xml", ".xml");
    }
    void TearDown() override
    {
        std::remove(Path.c_str());
        Form->Free();
    }
    void WriteFile(const std::string& Text) { std::ofstream(Path, std::ios::binary) << Text; }
    // What the writer gives for the save range, position by position (a covered cell has an
    // empty place of its own).
    Table Expected(TDidAririzEvar* X)
    {
        Table T;
        const Integer H = X->IncludeHiddenColumns() ? X->NumHiddenColumns() : 0;
        for (Integer R = X->GetSaveStartRow(); R <= X->GetSaveEndRow(); ++R) {
            T.emplace_back();
            for (Integer K = X->GetSaveStartCol(); K <= X->GetSaveEndCol() + H; ++K) {
                const Integer C = X->IncludeHiddenColumns() ? K : X->RemapCol(K);
                T.back().push_back(X->IsMergedNonBaseCell(C, R) ? "" : X->SaveCell(C, R));
            }
        }
        return T;
    }
    Table Normal(TDidAririzEvar* X)
    {
        Table T;
        for (Integer R = X->FixedRows(); R < X->RowCount(); ++R) {
            T.emplace_back();
            for (Integer C = X->FixedCols(); C < X->ColCount(); ++C)
                T.back().push_back(X->Cells(C, R));
        }
        return T;
    }
    // Python's xml.etree: per record the field texts; the first line holds the first record's tags.
    Table PythonRead()
    {
        return exchangetest::RunPython(
            "import sys, xml.etree.ElementTree as ET\n"
            "root = ET.parse(sys.argv[1]).getroot()\n"
            "rows = [[f.tag for f in root[0]]] + [[f.text or '' for f in rec] for rec in root]\n"
            "sys.stdout.buffer.write('\\x1e'.join('\\x1f'.join(r) for r in rows).encode('utf-8'))\n",
            Path);
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    std::string Path;
};

TEST_F(XmlExchangeTest, WrittenDocumentIsWellFormedAndReadsBackInPython)
{
    G->HideColumn(4);
    G->MergeCells(2, 3, 2, 1);
    G->SetIncludeFixedCells(false);
    for (const char* Encoding : {"ISO-8859-1", "UTF-8"}) {
        G->SetXMLEncodingName(Encoding);
        G->SaveToXML(Path, "LIST", "REC", nullptr, true);
        EXPECT_EQ(std::system(("xmllint --noout " + Path).c_str()), 0) << Encoding;
        const std::string Text = uitest::ReadWholeFile(Path);
        EXPECT_EQ(Text.rfind(
                      std::string("<?xml version=\"1.0\" encoding=\"") + Encoding + "\" ?>\r\n<LIST>\r\n", 0),
                  0u);
        // Under a Latin declaration the bytes stay ASCII: other characters are references.
        if (std::string(Encoding) == "ISO-8859-1") {
            for (unsigned char Ch : Text) {
                ASSERT_LT(Ch, 0x80);
            }
        }

        Table Rows = PythonRead();
        ASSERT_EQ(Rows.size(), 5u) << Encoding;
        EXPECT_EQ(Rows[0], (std::vector<std::string>{"FIELD0", "FIELD1", "FIELD2"}));
        Rows.erase(Rows.begin());
        Table Want = Expected(G);
        for (auto& R : Want)
            for (auto& F : R)
                if (F.empty() && &F != &Want[2][2])
                    F = "\"\""; // EmptyCellsAsQuotes; the covered cell is an empty element
        EXPECT_EQ(Rows, Want) << Encoding;
    }
    // The ampersand travels as the standard entity, the others as their entities.
    const std::string Text = uitest::ReadWholeFile(Path);
    EXPECT_NE(Text.find("<FIELD1>a &amp; b &lt;c&gt;</FIELD1>"), std::string::npos);
    EXPECT_NE(Text.find("<FIELD0>one&#13;\ntwo</FIELD0>"), std::string::npos);
}

TEST_F(XmlExchangeTest, RoundTripGivesTheSameGrid)
{
    G->HideColumn(4);
    G->MergeCells(2, 3, 2, 1);
    G->SetIncludeFixedCells(false);
    for (bool Hidden : {false, true})
        for (bool Quotes : {true, false}) {
            G->SetIncludeHiddenColumns(Hidden);
            G->SetEmptyCellsAsQuotes(Quotes);
            G->SaveToXML(Path, "LIST", "REC", nullptr, true);
            TDidAririzEvar* B = gridtest::NewShownGrid(Form, 1, 1);
            B->SetIncludeFixedCells(false);
            B->SetEmptyCellsAsQuotes(Quotes);
            B->SetFixedRows(0);
            B->SetFixedCols(0);
            B->LoadFromXML(Path);
            Table Want = Expected(G);
            EXPECT_EQ(Normal(B), Want) << Hidden << Quotes;
            B->Free();
        }
}

TEST_F(XmlExchangeTest, FieldNamesAndTheHeaderRow)
{
    G->SetIncludeFixedCells(false);
    std::unique_ptr<TStringList> Names(New<TStringList>());
    Names->Add("name");
    Names->Add("prize");
    G->SaveToXML(Path, "prizes", "prize", Names.get(), false);
    const std::string Text = uitest::ReadWholeFile(Path);
    EXPECT_NE(Text.find("<prize>\r\n<name>Smith, J.</name>\r\n<prize>say &quot;hi&quot;</prize>\r\n"
                        "<FIELD3>&#x4E2D;&#x6587;</FIELD3>"),
              std::string::npos)
        << Text;
    EXPECT_EQ(std::system(("xmllint --noout " + Path).c_str()), 0);

    // Names that are no XML names are refused before anything is written.
    std::remove(Path.c_str());
    Names->Add("not a name");
    EXPECT_THROW(G->SaveToXML(Path, "LIST", "REC", Names.get(), false), ERudUvudError);
    EXPECT_THROW(G->SaveToXML(Path, "a<b", "REC", nullptr, false), ERudUvudError);
    EXPECT_FALSE(std::ifstream(Path).good());

    // With the fixed cells included, one fixed row takes the field names and the first record
    // goes below it.
    WriteFile("<?xml version=\"1.0\"?><LIST><R><A>1</A><B>2</B></R><R><A>3</A><B>4</B></R></LIST>");
    TDidAririzEvar* B = gridtest::NewShownGrid(Form, 3, 3);
    B->SetFixedCols(0);
    B->SetFixedRows(1);
    B->SetIncludeFixedCells(true);
    B->LoadFromXML(Path);
    EXPECT_EQ(B->RowCount(), 3);
    EXPECT_EQ(B->ColCount(), 2);
    EXPECT_EQ(B->Cells(0, 0), "A");
    EXPECT_EQ(B->Cells(1, 0), "B");
    EXPECT_EQ(B->Cells(0, 1), "1");
    EXPECT_EQ(B->Cells(1, 2), "4");
}

TEST_F(XmlExchangeTest, ReaderPlacesFieldsOfOtherWriters)
{
    struct Case {
        const char* Name;
        const char* Doc;
        bool Attributes;
        Table Want;
    } Cases[] = {
        {"an empty element keeps its place",
         "<L><R><A>1</A><B/><C>3</C></R><R><A>  </A><B>x</B><C></C></R></L>",
         false,
         {{"1", "", "3"}, {"  ", "x", ""}}},
        {"the ampersand of earlier writers",
         "<L><R><A>a $amp; b</A><B>&amp;gt;</B></R></L>",
         false,
         {{"a & b", "&gt;"}}},
        {"rows from attributes",
         "<L><R a=\"1\" b=\"2\"/><R a=\"3\" b=\"4\"/></L>",
         true,
         {{"1", "2"}, {"3", "4"}}},
        {"attributes in one row", "<L><R a=\"1\" b=\"2\"/><R a=\"3\"/></L>", false, {{"1", "2"}, {"3", ""}}},
    };
    for (const Case& C : Cases) {
        WriteFile(C.Doc);
        TDidAririzEvar* B = gridtest::NewShownGrid(Form, 1, 1);
        B->SetFixedCols(0);
        B->SetFixedRows(0);
        B->SetIncludeFixedCells(false);
        B->LoadFromXML(Path, C.Attributes);
        EXPECT_EQ(Normal(B), C.Want) << C.Name;
        B->Free();
    }
}

TEST_F(XmlExchangeTest, WideTextAndProgress)
{
    // A cell in the wide-text form is written as the text it stands for (its raw form holds NUL
    // bytes, which no XML may carry).
    G->SetIncludeFixedCells(false);
    WideString W = u"\u5BEC";
    W += char16_t(0);
    W += u'x';
    G->SetWideCells(1, 1, W);
    G->SetXMLEncodingName("UTF-8");
    G->SaveToXML(Path, "LIST", "REC", nullptr, false);
    EXPECT_EQ(std::system(("xmllint --noout " + Path).c_str()), 0);
    EXPECT_EQ(PythonRead()[1][0], "\xe5\xaf\xacx");
    // Text that is no valid Unicode is written as the runtime reads it: U+FFFD for a lone
    // surrogate and for each bad byte, the characters around it kept.
    WideString Lone = u"a";
    Lone += char16_t(0xD800);
    Lone += u'b';
    G->SetWideCells(1, 1, Lone);
    G->SetCells(2, 1,
                "c\xE9"
                "d\xFF");
    G->SaveToXML(Path, "LIST", "REC", nullptr, false);
    EXPECT_EQ(std::system(("xmllint --noout " + Path).c_str()), 0);
    EXPECT_EQ(PythonRead()[1][0], "a\xEF\xBF\xBD"
                                  "b");
    EXPECT_EQ(PythonRead()[1][1], "c\xEF\xBF\xBD"
                                  "d\xEF\xBF\xBD");

    // Progress over 101 rows runs from 0 to 100 once each; a single row divides by nothing.
    G->SetRowCount(102);
    std::vector<Integer> Seen;
    G->OnFileProgress = [&](TObject*, Integer P) { Seen.push_back(P); };
    G->SaveToXML(Path, "LIST", "REC", nullptr, false);
    ASSERT_EQ(Seen.size(), 101u);
    EXPECT_EQ(Seen.front(), 0);
    EXPECT_EQ(Seen.back(), 100);
    Seen.clear();
    G->SetRowCount(2);
    G->SaveToXML(Path, "LIST", "REC", nullptr, false);
    EXPECT_EQ(Seen, (std::vector<Integer>{0}));
}

TEST_F(XmlExchangeTest, FilesThatDoNotParseLeaveTheGridAsItWas)
{
    const Table Before = Normal(G);
    WriteFile("<?xml version=\"1.0\"?>\n<LIST>\n<REC><A>1</B></REC>\n</LIST>\n");
    try {
        G->LoadFromXML(Path);
        FAIL() << "a malformed document loaded";
    } catch (const Exception& E) {
        const std::string M = E.Message();
        EXPECT_EQ(M.rfind("XMLDOM Parsing error ", 0), 0u) << M;
        EXPECT_NE(M.find(" on line 3"), std::string::npos) << M;
    }
    try {
        G->LoadFromXML(Path + ".missing");
        FAIL();
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "XML file not found");
    }
    EXPECT_EQ(Normal(G), Before);
    // A target that cannot be written raises and leaves nothing behind.
    try {
        G->SaveToXML("/nonexistent-dir/x.xml", "LIST", "REC", nullptr, false);
        FAIL();
    } catch (const ERudUvudError& E) {
        EXPECT_EQ(E.Message(), "Cannot Create file /nonexistent-dir/x.xml");
    }
}

TEST_F(XmlExchangeTest, DocumentsBeyondTheLimitsAreRefusedBeforeTheGridChanges)
{
    const Table Before = Normal(G);
    const Integer Cols = G->ColCount(), Rows = G->RowCount();
    std::string Wide = "<?xml version=\"1.0\"?>\n<LIST><REC>";
    for (Integer I = 0; I < 16385; ++I)
        Wide += "<F>x</F>";
    Wide += "</REC></LIST>\n";
    WriteFile(Wide);
    try {
        G->LoadFromXML(Path);
        FAIL() << "a document of 16,385 fields loaded";
    } catch (const ERudUvudError& E) {
        EXPECT_EQ(E.Message(), "File " + Path + " has too many columns (more than 16384)");
    }
    EXPECT_EQ(G->ColCount(), Cols);
    EXPECT_EQ(G->RowCount(), Rows);
    EXPECT_EQ(Normal(G), Before);
}

} // namespace
