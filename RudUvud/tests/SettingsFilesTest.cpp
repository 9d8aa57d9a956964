// The visual properties file and the print settings file: their lines, round trips through a
// second grid, the value forms read back, and files that are refused without any change.

#include "RudUvud/tests/ExchangeTestGrid.h"
#include "RudUvud/tests/GridTestSupport.h"

#include "platform/rtl/Files.h"
#include "platform/testing/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadAll(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

// The lines of a CR LF file, without their endings.
std::vector<std::string> SplitLines(const std::string& Text)
{
    std::vector<std::string> Lines;
    size_t From = 0;
    for (size_t At; (At = Text.find("\r\n", From)) != std::string::npos; From = At + 2)
        Lines.push_back(Text.substr(From, At - From));
    if (From < Text.size())
        Lines.push_back(Text.substr(From));
    return Lines;
}

// Text with the line starting with Name replaced by Line (or removed when Line is empty).
std::string WithLine(const std::string& Text, const std::string& Name, const std::string& Line)
{
    std::string Out;
    for (const std::string& L : SplitLines(Text)) {
        if (L.compare(0, Name.size() + 1, Name + "=") == 0) {
            if (!Line.empty())
                Out += Line + "\r\n";
        } else
            Out += L + "\r\n";
    }
    return Out;
}

class SettingsFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 6);
        G2 = gridtest::NewShownGrid(Form, 3, 3);
    }
    void TearDown() override { Form->Free(); }

    // The visual properties file of a grid, as text.
    std::string VisualText(TDidAririzEvar* Grid)
    {
        const std::string Name = Temp.File("snapshot.txt");
        Grid->SaveVisualProps(Name.c_str());
        return ReadAll(Name);
    }
    // The print settings of a grid, as the text of a one-section file.
    std::string PrintText(TDidAririzEvar* Grid)
    {
        const std::string Name = Temp.File("snapshot.ini");
        DeleteFile(Name.c_str());
        Grid->SavePrintSettings(Name.c_str(), "P");
        return ReadAll(Name);
    }

    uitest::TempFolder Temp{"grid-settings"};
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TDidAririzEvar* G2 = nullptr;
};

TEST_F(SettingsFilesTest, VisualPropsFileHasItsLinesInOrder)
{
    G->Font()->SetStyle(TFontStyles{fsBold, fsItalic});
    G->FixedFont()->SetStyle(TFontStyles{});
    G->SetURLShow(true);
    G->SetSelectionColor(0x123456);
    const std::string Text = VisualText(G);
    const std::vector<std::string> Lines = SplitLines(Text);
    EXPECT_EQ(Text.substr(Text.size() - 2), "\r\n");
    EXPECT_EQ(Text.find('\n'), Text.find("\r\n") + 1) << "lines end in CR LF";

    const char* Names[] = {"Color",
                           "HintColor",
                           "SelectionColor",
                           "SelectionColorTo",
                           "SelectionMirrorColor",
                           "SelectionMirrorColorTo",
                           "SelectionTextColor",
                           "URLColor",
                           "URLShow",
                           "URLShowInText",
                           "ScrollColor",
                           "ActiveRowColor",
                           "ActiveRowShow",
                           "ActiveCellShow",
                           "Font.Color",
                           "Font.Style",
                           "Font.Size",
                           "Font.Name",
                           "ActiveCellColor",
                           "ActiveCellColorTo",
                           "ActiveCellFont.Color",
                           "ActiveCellFont.Style",
                           "ActiveCellFont.Size",
                           "ActiveCellFont.Name",
                           "FixedFont.Color",
                           "FixedFont.Style",
                           "FixedFont.Size",
                           "FixedFont.Name",
                           "Balloon.BackgroundColor",
                           "Balloon.TextColor",
                           "Balloon.Transparency",
                           "Bands.PrimaryColor",
                           "Bands.SecondaryColor",
                           "Bands.Active",
                           "SortSettings.IndexColor",
                           "FloatingFooter.Color",
                           "ControlLook.CheckSize",
                           "ControlLook.Color",
                           "ControlLook.CommentColor",
                           "ControlLook.ControlStyle",
                           "ControlLook.FixedGradientFrom",
                           "ControlLook.FixedGradientTo",
                           "ControlLook.RadioSize",
                           "ControlLook.FlatButton",
                           "ControlLook.ProgressBorderColor",
                           "ControlLook.ProgressXP",
                           "Look",
                           "SearchFooter.Color",
                           "SearchFooter.ColorTo",
                           "Grouping.HeaderColor",
                           "Grouping.HeaderColorTo",
                           "Grouping.HeaderTextColor",
                           "Grouping.HeaderUnderline",
                           "Grouping.HeaderLineColor",
                           "Grouping.HeaderLineWidth",
                           "Grouping.SummaryColor",
                           "Grouping.SummaryColorTo",
                           "Grouping.SummaryTextColor",
                           "Grouping.SummaryLine",
                           "Grouping.SummaryLineColor",
                           "Grouping.SummaryLineWidth",
                           "GridLineColor",
                           "GridFixedLineColor",
                           "BackGround.Top",
                           "BackGround.Left",
                           "BackGround.Display",
                           "BackGround.Cells",
                           "BackGround.Color",
                           "BackGround.ColorTo"};
    ASSERT_EQ(Lines.size(), std::size(Names));
    for (size_t I = 0; I < Lines.size(); ++I)
        EXPECT_EQ(Lines[I].substr(0, Lines[I].find('=')), Names[I]) << I;

    auto Has = [&](const std::string& Line) {
        return Text.find("\r\n" + Line + "\r\n") != std::string::npos;
    };
    EXPECT_TRUE(Has("Font.Style=fsBold,fsItalic"));
    EXPECT_TRUE(Has("FixedFont.Style="));
    EXPECT_TRUE(Has("URLShow=true"));
    EXPECT_TRUE(Has("ActiveRowShow=false"));
    EXPECT_TRUE(Has("SelectionColor=$00123456"));
    EXPECT_TRUE(Has("BackGround.Color=clWindow"));
    EXPECT_TRUE(Has("ControlLook.ControlStyle=csTheme"));
    EXPECT_TRUE(Has("Look=glXP"));
    EXPECT_TRUE(Has("BackGround.Display=bdTile"));
    EXPECT_TRUE(Has("BackGround.Cells=bcNormal"));
    EXPECT_TRUE(Has("Font.Size=" + std::to_string(G->Font()->Size())));
}

TEST_F(SettingsFilesTest, VisualPropsRoundTripThroughASecondGrid)
{
    G->SetColor(0x102030);
    G->SetHintColor(clNone);
    G->SetSelectionTextColor(0xFF);
    G->SetURLShowInText(true);
    G->SetActiveRowShow(true);
    G->SetActiveCellColorTo(0x00AA00);
    G->ActiveCellFont()->SetName("Courier New");
    G->ActiveCellFont()->SetSize(14);
    G->ActiveCellFont()->SetStyle(TFontStyles{fsUnderline, fsStrikeOut});
    G->ActiveCellFont()->SetColor(0x80000008);
    G->Balloon()->Transparency = 200;
    G->Bands()->Active = true;
    G->ControlLook()->CheckSize = 21;
    G->ControlLook()->ControlStyle = RudUvudLook::csFlat;
    G->ControlLook()->ProgressXP = true;
    G->Grouping()->SummaryLineWidth = 4;
    G->SetGridLineColor(0x0000FF);
    G->BackGround()->Top = -5;
    G->BackGround()->Display = bdGradientVert;
    G->BackGround()->Cells = bcAll;
    const std::string Name = Temp.File("look.txt");
    G->SaveVisualProps(Name.c_str());
    G2->LoadVisualProps(Name.c_str());
    EXPECT_EQ(VisualText(G2), ReadAll(Name));
    EXPECT_EQ(G2->Color(), TColor(0x102030));
    EXPECT_EQ(G2->HintColor(), clNone);
    EXPECT_EQ(G2->ActiveCellFont()->Name(), "Courier New");
    EXPECT_EQ(G2->ActiveCellFont()->Size(), 14);
    EXPECT_TRUE(G2->ActiveCellFont()->Style().Contains(fsStrikeOut));
    EXPECT_EQ(G2->Balloon()->Transparency, 200);
    EXPECT_EQ(G2->ControlLook()->ControlStyle, RudUvudLook::csFlat);
    EXPECT_EQ(G2->BackGround()->Cells, bcAll);
    EXPECT_EQ(G2->GridLineColor(), TColor(0x0000FF));
}

TEST_F(SettingsFilesTest, VisualPropsValueFormsWhenRead)
{
    const std::string Base = VisualText(G2);
    struct Case {
        const char* Name;
        const char* Line; // replaces the line of Name; empty: removed
        std::function<bool(TDidAririzEvar*)> Holds;
    };
    const Case Cases[] = {
        {"URLShow", "URLShow=True", [](TDidAririzEvar* X) { return X->URLShow(); }},
        {"URLShow", "URLShow=yes", [](TDidAririzEvar* X) { return !X->URLShow(); }},
        {"Color", "color=clRed", [](TDidAririzEvar* X) { return X->Color() == 0x0000FF; }},
        {"Color", "Color=", [](TDidAririzEvar* X) { return X->Color() == clNone; }},
        {"Color", "", [](TDidAririzEvar* X) { return X->Color() == clNone; }},
        {"ScrollColor", "ScrollColor=$000000FF\r\nScrollColor=clLime",
         [](TDidAririzEvar* X) { return X->ScrollColor() == 0x0000FF; }},
        {"Font.Style", "Font.Style=xfsItalicx",
         [](TDidAririzEvar* X) { return X->Font()->Style() == TFontStyles{fsItalic}; }},
        {"ControlLook.ControlStyle", "ControlLook.ControlStyle=CSZIV",
         [](TDidAririzEvar* X) { return X->ControlLook()->ControlStyle == RudUvudLook::csZIV; }},
        {"ControlLook.ControlStyle", "ControlLook.ControlStyle=csNeon",
         [](TDidAririzEvar* X) { return X->ControlLook()->ControlStyle == RudUvudLook::csClassic; }},
        {"Look", "Look=", [](TDidAririzEvar* X) { return X->Look() == glXP; }},
        {"Look", "Look=glsoft", [](TDidAririzEvar* X) { return X->Look() == glSoft; }},
        {"BackGround.Display", "BackGround.Display=bdCenter",
         [](TDidAririzEvar* X) { return X->BackGround()->Display == bdFixed; }},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Line);
        G->SetURLShow(false);
        G->ControlLook()->ControlStyle = RudUvudLook::csClassic;
        G->BackGround()->Display = bdFixed;
        const std::string Name = Temp.Touch("v.txt", WithLine(Base, C.Name, C.Line));
        G->LoadVisualProps(Name.c_str());
        EXPECT_TRUE(C.Holds(G));
    }
}

// The look line goes through the look's setter: a new look installs its preset colours over the
// colours read before it, while the lines after it keep the file's values; every look's name
// goes to the file and comes back.
TEST_F(SettingsFilesTest, LookLineInstallsItsPreset)
{
    std::string Text = VisualText(G2); // glXP
    Text = WithLine(Text, "SelectionColor", "SelectionColor=$00123456");
    Text = WithLine(Text, "GridLineColor", "GridLineColor=$000000FF");
    Text = WithLine(Text, "Look", "Look=glSoft");
    G->LoadVisualProps(Temp.Touch("soft.txt", Text).c_str());
    EXPECT_EQ(G->Look(), glSoft);
    EXPECT_EQ(G->SelectionColor(), clHighlight);     // the preset's, not the file's
    EXPECT_EQ(G->GridLineColor(), TColor(0x0000FF)); // read after the look

    // The same look again installs nothing: the file's colour stays.
    G->LoadVisualProps(Temp.Touch("soft.txt", Text).c_str());
    EXPECT_EQ(G->SelectionColor(), TColor(0x123456));

    for (TGridLook L :
         {glStandard, glSoft, glClassic, glZIV, glXP, glListView, glVista, glWin7, glOffice2007}) {
        SCOPED_TRACE(G->GetLookAsString(L));
        G->SetLook(L);
        G2->SetLook(L == glXP ? glSoft : glXP);
        const std::string Name = Temp.File("look.txt");
        G->SaveVisualProps(Name.c_str());
        EXPECT_NE(ReadAll(Name).find("\r\nLook=" + G->GetLookAsString(L) + "\r\n"), std::string::npos);
        G2->LoadVisualProps(Name.c_str());
        EXPECT_EQ(G2->Look(), L);
    }
}

TEST_F(SettingsFilesTest, MalformedVisualPropsFilesAreRefusedUnchanged)
{
    G2->SetSelectionColor(0x0000FF);
    G2->ControlLook()->CheckSize = 30;
    const std::string Good = VisualText(G2);
    G->SetColor(0x00FF00);
    const std::string Before = VisualText(G);
    const std::string Truncated = Good.substr(0, Good.find("ActiveCellFont.Size=") + 17);
    struct Case {
        const char* What;
        std::string Text;
    };
    const Case Cases[] = {
        {"Font.Size missing", WithLine(Good, "Font.Size", "")},
        {"cut in the middle of a line", Truncated},
        {"empty file", ""},
        {"binary data", std::string("\x00\xff\x13=\x80\r\n\x01", 8)},
        {"unknown colour name", WithLine(Good, "Color", "Color=clNoSuchColour")},
        {"colour not a number", WithLine(Good, "Bands.PrimaryColor", "Bands.PrimaryColor=$12345G")},
        {"size with a letter", WithLine(Good, "ControlLook.CheckSize", "ControlLook.CheckSize=12x")},
        {"transparency above a byte", WithLine(Good, "Balloon.Transparency", "Balloon.Transparency=256")},
        {"huge font size", WithLine(Good, "FixedFont.Size", "FixedFont.Size=2147483647")},
        {"negative line width", WithLine(Good, "Grouping.HeaderLineWidth", "Grouping.HeaderLineWidth=-1")},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        const std::string Name = Temp.Touch("bad.txt", C.Text);
        EXPECT_THROW(G->LoadVisualProps(Name.c_str()), EConvertError);
        EXPECT_EQ(VisualText(G), Before);
    }

    const std::string Missing = Temp.File("none.txt");
    try {
        G->LoadVisualProps(Missing.c_str());
        ADD_FAILURE() << "a missing file was read";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Cannot open file " + Missing);
    }
    const std::string NoFolder = Temp.File("no/such/folder.txt");
    try {
        G->SaveVisualProps(NoFolder.c_str());
        ADD_FAILURE() << "a file was written into a missing folder";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Cannot Create " + NoFolder);
    }
    EXPECT_EQ(VisualText(G), Before);
}

TEST_F(SettingsFilesTest, PrintSettingsOfAnEmptySectionAreTheDefaults)
{
    TPrintSettings* P = G->PrintSettings();
    P->ColumnSpacing = 3;
    P->Centered = false;
    P->Borders = pbDouble;
    P->Date = ppTopLeft;
    P->DateFormat = "yyyy";
    P->Font()->SetName("Courier New");
    P->Font()->SetSize(30);
    P->HeaderFont()->SetColor(0xFF);
    P->TitleLines()->Add("old");
    P->JobName = "kept";
    const std::string Name = Temp.Touch("empty.ini", "[P]\r\n[Q]\r\nColumnSpacing=7\r\n");
    G->LoadPrintSettings(Name.c_str(), "P");
    EXPECT_EQ(P->ColumnSpacing, 20);
    EXPECT_EQ(P->RowSpacing, 20);
    EXPECT_EQ(P->FixedWidth, 0);
    EXPECT_TRUE(P->Centered);
    EXPECT_FALSE(P->UseDisplayFont);
    EXPECT_EQ(P->Borders, pbNoborder);
    EXPECT_EQ(P->Date, ppNone);
    EXPECT_EQ(P->DateFormat, "");
    EXPECT_EQ(P->FooterSize, 100);
    EXPECT_EQ(P->LeftSize, 100);
    EXPECT_EQ(P->Font()->Name(), "Arial");
    EXPECT_EQ(P->Font()->Size(), 10);
    EXPECT_EQ(P->HeaderFont()->Color(), TColor(0));
    EXPECT_EQ(P->FooterFont()->Name(), "Arial");
    EXPECT_EQ(P->TitleLines()->Count(), 0);
    EXPECT_EQ(P->Orientation, RudUvudPrint::poPortrait);
    EXPECT_EQ(P->JobName, "kept") << "not stored, not touched";
}

TEST_F(SettingsFilesTest, PrintSettingsRoundTripThroughASecondGrid)
{
    TPrintSettings* P = G->PrintSettings();
    P->ColumnSpacing = 5;
    P->FixedHeight = -3;
    P->Centered = false;
    P->RepeatFixedRows = true;
    P->UseDefaultOrientation = true;
    P->Borders = pbAroundHorizontal;
    P->BorderColor = 0x8000000F;
    P->BorderStyle = psDashDot;
    P->Time = ppBottomCenter;
    P->TitleText = "Prizes = 2026";
    P->FitToPage = fpShrink;
    P->Font()->SetStyle(TFontStyles{fsBold, fsStrikeOut});
    P->FooterFont()->SetSize(7);
    P->HeaderFont()->SetColor(0x123456);
    P->PagePrefix = "Page ";
    P->Orientation = RudUvudPrint::poLandscape;
    P->TitleLines()->Add("A");
    P->TitleLines()->Add("B");
    const std::string Name = Temp.Touch("print.ini", "[Other]\r\nKey=1\r\n");
    G->SavePrintSettings(Name.c_str(), "Print");
    const std::string Text = ReadAll(Name);
    for (const char* Line :
         {"Centered=N", "RepeatFixedRows=Y", "BorderColor=-2147483633", "Borders=7", "FontStyle=9",
          "HeaderFontColor=1193046", "Orientation=1", "TitleLines=A\\nB\\n", "Key=1"})
        EXPECT_NE(Text.find(std::string(Line) + "\r\n"), std::string::npos) << Line;

    G2->LoadPrintSettings(Name.c_str(), "Print");
    EXPECT_EQ(PrintText(G2), PrintText(G));
    TPrintSettings* Q = G2->PrintSettings();
    EXPECT_EQ(Q->BorderColor, TColor(0x8000000F));
    EXPECT_EQ(Q->TitleText, "Prizes = 2026");
    ASSERT_EQ(Q->TitleLines()->Count(), 2);
    EXPECT_EQ(Q->TitleLines()->Strings(0), "A");
    EXPECT_EQ(Q->TitleLines()->Strings(1), "B");
    EXPECT_EQ(Q->Orientation, RudUvudPrint::poLandscape);
}

TEST_F(SettingsFilesTest, PrintSettingsFileReadsInPythonsIniReader)
{
    TPrintSettings* P = G->PrintSettings();
    P->TitleText = "Draw = night";
    P->BorderColor = 0x80000005;
    P->TitleLines()->Add("A");
    P->TitleLines()->Add("B");
    const std::string Name = Temp.Touch("python.ini", "[Other]\r\nKey=1\r\n");
    G->SavePrintSettings(Name.c_str(), "Print");
    const exchangetest::Table Got =
        exchangetest::RunPython("import sys, configparser\n"
                                "c = configparser.RawConfigParser(strict=True)\n"
                                "c.optionxform = str\n"
                                "c.read(sys.argv[1])\n"
                                "s = c['Print']\n"
                                "print('\\x1f'.join([str(len(s)), s['TitleText'], s['BorderColor'], "
                                "s['TitleLines'], s['UseDisplFont'],"
                                " c['Other']['Key']]), end='')\n",
                                Name);
    ASSERT_EQ(Got.size(), 1u);
    EXPECT_EQ(Got[0], (std::vector<std::string>{"44", "Draw = night", "-2147483643", "A\\nB\\n", "Y", "1"}));
}

TEST_F(SettingsFilesTest, PrintSettingsNumbersOutsideTheirRange)
{
    TPrintSettings* P = G->PrintSettings();
    P->Borders = pbVertical;
    P->BorderStyle = psDot;
    P->FitToPage = fpGrow;
    P->Orientation = RudUvudPrint::poLandscape;
    P->Date = ppTopRight;
    P->Title = ppTopRight;
    P->Font()->SetStyle(TFontStyles{fsBold});
    const std::string Name = Temp.Touch(
        "range.ini",
        "[P]\r\nBorders=9\r\nBorderStyle=-1\r\nFitToPage=5\r\nOrientation=2\r\nDate=9\r\nTitle=3\r\n"
        "FontStyle=2\r\nCentered=y\r\n");
    G->LoadPrintSettings(Name.c_str(), "P");
    EXPECT_EQ(P->Borders, pbVertical);
    EXPECT_EQ(P->BorderStyle, psDot);
    EXPECT_EQ(P->FitToPage, fpGrow);
    EXPECT_EQ(P->Orientation, RudUvudPrint::poLandscape);
    EXPECT_EQ(P->Date, ppNone);
    EXPECT_EQ(P->Title, ppTopCenter);
    EXPECT_EQ(P->Font()->Style(), (TFontStyles{fsBold, fsItalic})) << "style bits are added";
    EXPECT_FALSE(P->Centered) << "only Y is true";
}

TEST_F(SettingsFilesTest, MalformedPrintSettingsAreRefusedUnchanged)
{
    G->PrintSettings()->ColumnSpacing = 4;
    G->PrintSettings()->TitleLines()->Add("kept");
    const std::string Before = PrintText(G);
    for (const char* Text : {"[P]\r\nColumnSpacing=abc\r\n", "[P]\r\nCentered=N\r\nFontSize=100000\r\n",
                             "[P]\r\nBorderColor=$zz\r\n", "[P]\r\nTitleLines=x\r\nHeaderFontStyle=1.5\r\n",
                             "[P]\r\nRowSpacing=99999999999\r\n"}) {
        SCOPED_TRACE(Text);
        const std::string Name = Temp.Touch("bad.ini", Text);
        EXPECT_THROW(G->LoadPrintSettings(Name.c_str(), "P"), EConvertError);
        EXPECT_EQ(PrintText(G), Before);
    }

    // A missing file is reported and not made.
    const std::string Missing = Temp.File("none.ini");
    try {
        G->LoadPrintSettings(Missing.c_str(), "P");
        ADD_FAILURE() << "a missing file was read";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Cannot open file " + Missing);
    }
    EXPECT_FALSE(FileExists(Missing.c_str()));
    EXPECT_EQ(PrintText(G), Before);

    // Loading leaves the file as it was.
    const std::string Kept = Temp.Touch("kept.ini", "; note\r\n[P]\r\nRowSpacing=3\r\n");
    G->LoadPrintSettings(Kept.c_str(), "P");
    EXPECT_EQ(ReadAll(Kept), "; note\r\n[P]\r\nRowSpacing=3\r\n");
}

} // namespace
