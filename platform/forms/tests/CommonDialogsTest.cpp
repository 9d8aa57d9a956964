// The common dialogs answered from the test script, as a person would answer them.

#include "FormsTestSupport.h"

#include "platform/forms/CommonDialogs.h"
#include "platform/testing/DialogScript.h"

namespace {

class CommonDialogsTest : public FormsTest {
protected:
    void SetUp() override
    {
        FormsTest::SetUp();
        uitest::ClearDialogScript();
    }
    void TearDown() override
    {
        EXPECT_EQ(uitest::UnusedDialogAnswers(), 0u);
        uitest::ClearDialogScript();
        FormsTest::TearDown();
    }
};

TEST_F(CommonDialogsTest, OpenAndSaveTakeTheScriptedFilesWithTheDefaultExtension)
{
    auto* Save = New<TSaveDialog>(Application);
    Save->SetTitle("Export prizes");
    Save->SetFilter("Excel files (*.xls)|*.xls|Text (*.txt;*.csv)|*.txt;*.csv|All files|*.*");
    Save->SetFilterIndex(1);
    Save->SetDefaultExt("txt");
    Save->SetOptions(TOpenOptions{ofOverwritePrompt, ofHideReadOnly});

    struct Case {
        std::string Typed;
        int FilterIndex;
        std::string Expected;
    } Cases[] = {
        {"/tmp/prizes", 0, "/tmp/prizes.xls"},           // the chosen filter's extension
        {"/tmp/prizes", 2, "/tmp/prizes.txt"},           // its first pattern
        {"/tmp/prizes", 3, "/tmp/prizes.txt"},           // "*.*" has none: DefaultExt
        {"/tmp/獎品.csv", 2, "/tmp/獎品.csv"},           // an extension of its own is kept
        {"/tmp/v1.2/prizes", 3, "/tmp/v1.2/prizes.txt"}, // a dot in a folder name is no extension
    };
    for (const Case& C : Cases) {
        Save->SetFilterIndex(1);
        uitest::AnswerSaveDialog(C.Typed, C.FilterIndex);
        ASSERT_TRUE(Save->Execute()) << C.Typed;
        EXPECT_EQ(Save->FileName(), C.Expected);
    }
    const DialogShown& Shown = uitest::DialogsShown().back();
    EXPECT_EQ(Shown.Kind, DialogKind::Save);
    EXPECT_EQ(Shown.Title, "Export prizes");
    ASSERT_EQ(Shown.File.Filters.size(), 3u);
    EXPECT_EQ(Shown.File.Filters[1].second, "*.txt;*.csv");
    EXPECT_TRUE(Shown.File.OverwritePrompt);

    auto* Open = New<TOpenDialog>(Application);
    Open->SetFileName("kept.xls");
    uitest::CancelNextDialog(DialogKind::Open);
    EXPECT_FALSE(Open->Execute());
    EXPECT_EQ(Open->FileName(), "kept.xls");
    // Several files only with ofAllowMultiSelect.
    uitest::AnswerOpenDialog({"/a/one.xls", "/a/two.xls"});
    ASSERT_TRUE(Open->Execute());
    EXPECT_EQ(Open->Files()->Count(), 1);
    Open->SetOptions(Open->Options() + TOpenOptions{ofAllowMultiSelect});
    uitest::AnswerOpenDialog({"/a/one.xls", "/a/two.xls"});
    ASSERT_TRUE(Open->Execute());
    EXPECT_EQ(Open->Files()->Count(), 2);
    EXPECT_EQ(Open->FileName(), "/a/one.xls");
    // Headless, a dialog nobody answers is cancelled.
    EXPECT_FALSE(Open->Execute());
}

TEST_F(CommonDialogsTest, ColorFontAndPrintDialogsTakeTheirAnswers)
{
    auto* Color = New<TColorDialog>(Application);
    Color->SetColor(clRed);
    uitest::AnswerColorDialog(0x00336699);
    ASSERT_TRUE(Color->Execute());
    EXPECT_EQ(Color->Color(), TColor(0x00336699));
    uitest::CancelNextDialog(DialogKind::Color);
    EXPECT_FALSE(Color->Execute());
    EXPECT_EQ(Color->Color(), TColor(0x00336699));

    auto* Font = New<TFontDialog>(Application);
    Font->SetOptions(TFontDialogOptions{fdEffects, fdLimitSize});
    Font->SetMaxFontSize(24);
    FontDialogChoice Choice;
    Choice.Family = "新細明體";
    Choice.PointSize = 36;
    Choice.Bold = true;
    Choice.Underline = true;
    uitest::AnswerFontDialog(Choice);
    ASSERT_TRUE(Font->Execute());
    EXPECT_EQ(Font->Font()->Name(), "新細明體");
    EXPECT_EQ(Font->Font()->Size(), 24);
    EXPECT_EQ(Font->Font()->Style(), (TFontStyles{fsBold, fsUnderline}));

    auto* Print = New<TPrintDialog>(Application);
    Print->SetMinPage(1);
    Print->SetMaxPage(5);
    uitest::AnswerPrintDialog(2, 3, 9, true, "PDF file");
    ASSERT_TRUE(Print->Execute());
    EXPECT_EQ(Print->Copies(), 2);
    EXPECT_TRUE(Print->Collate());
    EXPECT_EQ(Print->PrintRange(), prPageNums);
    EXPECT_EQ(Print->FromPage(), 3);
    EXPECT_EQ(Print->ToPage(), 5);
    EXPECT_EQ(Print->PrinterName(), "PDF file");
    auto* Setup = New<TPrinterSetupDialog>(Application);
    EXPECT_FALSE(Setup->Execute());
    uitest::AnswerPrinterSetupDialog("Office");
    EXPECT_TRUE(Setup->Execute());
    EXPECT_EQ(Setup->PrinterName(), "Office");
}

} // namespace
