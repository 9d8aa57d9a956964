#include "AppTestSupport.h"

#include "FakeSpreadsheet.h"

#include "app/RewardListForm.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Guards.h"
#include "platform/testing/DialogScript.h"

#include <fstream>

using uitest::PressKey;

namespace {

// Import F6 of the prize list over spreadsheet files of the grid bridge's in-memory engine: a
// list window over the memory store, with Pen 3 and Mug 2 stored.
class PrizeImportTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        uitest::ClearDialogScript();
        Store->AddPrize("Pen", 3);
        Store->AddPrize("Mug", 2);
    }
    // A one-sheet file of these rows in the test directory (see TFakeSpreadsheets::Write).
    std::string Sheet(const std::string& Name, std::initializer_list<std::vector<std::string>> Rows)
    {
        const std::string Path = (std::filesystem::current_path() / Name).string();
        TFakeSpreadsheets::Write(Path, Rows);
        return Path;
    }

    // Runs Import F6 from the shown list, picking File in the open dialog (cancelling it when
    // empty); returns the message the import showed.
    AnsiString Import(TRewardListForm* L, const std::string& File)
    {
        AnsiString Said;
        Inside([&] {
            EXPECT_TRUE(L->importAction->Enabled());
            if (File.empty())
                uitest::CancelNextDialog(DialogKind::Open);
            else
                uitest::AnswerOpenDialog({File});
            Said = Answered([] { PressKey(VK_F6); });
            PressKey(VK_ESCAPE);
        });
        L->ShowModal();
        return Said;
    }

    static std::string Prizes(const std::vector<TPrizeStock>& List)
    {
        std::string S;
        for (const TPrizeStock& P : List)
            S += P.Name + "=" + IntToStr(P.Quantity) + " ";
        return S;
    }

    TFakeSpreadsheets Files;
};

} // namespace

// Below the header, a stored name takes the row's quantity (replacing it), a new name is added,
// rows without a name are skipped; the list shows the result and it is committed.
TEST_F(PrizeImportTest, RowsSetQuantitiesOrAddPrizes)
{
    const std::string F = Sheet("in.xls", {
                                              {"Prize", "Quantity"},
                                              {"Pen", "7"},
                                              {"", "5"},
                                              {"   ", "9"},
                                              {"Cup", "4"},
                                              {"筆記本電腦", "'08"},
                                              {"x' or name<>'", "0"},
                                              {"Cap", "1"},
                                              {"Cap", "2"},
                                          });
    TOwned<TRewardListForm> L(New<TRewardListForm>(Application));
    const int CommitsBefore = Store->Commits;
    EXPECT_EQ(Import(L.get(), F), "(no message)");

    EXPECT_EQ(Prizes(Store->Committed.Prizes), "Pen=7 Mug=2 Cup=4 筆記本電腦=8 x' or name<>'=0 Cap=2 ");
    EXPECT_GT(Store->Commits, CommitsBefore);
    ASSERT_EQ(L->grid->RowCount(), 7);
    EXPECT_EQ(L->grid->Cells(1, 4), "筆記本電腦");
    EXPECT_EQ(L->grid->Cells(2, 4), "8");

    ASSERT_FALSE(uitest::DialogsShown().empty());
    const DialogShown& D = uitest::DialogsShown().back();
    EXPECT_EQ(D.Kind, DialogKind::Open);
    ASSERT_EQ(D.File.Filters.size(), 1u);
    EXPECT_EQ(D.File.Filters[0].first, "Excel File");
    EXPECT_EQ(D.File.Filters[0].second, "*.xls");
}

// Nothing to import still refills the list from the store and commits.
TEST_F(PrizeImportTest, CancelAndHeaderOnlySheetChangeNothingButReload)
{
    const std::string HeaderOnly = Sheet("header.xls", {{"Prize", "Quantity"}});
    for (const std::string& File : {std::string(), HeaderOnly}) {
        TOwned<TRewardListForm> L(New<TRewardListForm>(Application));
        L->grid->SetCells(2, 1, "99");
        const int CommitsBefore = Store->Commits;
        EXPECT_EQ(Import(L.get(), File), "(no message)") << File;
        EXPECT_EQ(Prizes(Store->Committed.Prizes), "Pen=3 Mug=2 ") << File;
        EXPECT_GT(Store->Commits, CommitsBefore) << File;
        EXPECT_EQ(L->grid->Cells(2, 1), "3") << "reloaded: " << File;
    }
}

// A file that cannot be taken whole changes no prize, not even those of the rows before the bad
// one, and says why.
TEST_F(PrizeImportTest, FileThatCannotBeTakenWholeChangesNothing)
{
    const std::string NotXls = (std::filesystem::current_path() / "notes.xls").string();
    std::ofstream(NotXls) << "not a spreadsheet";
    const std::string Csv = Sheet("list.csv", {{"Prize", "Quantity"}, {"Pen", "9"}});
    struct Case {
        std::string File;
        Integer FailReadAtRow;
        std::string Reason;     // empty: the engine's own words
        std::string Whole = {}; // the whole message, when it names the file otherwise
    };
    const Case Cases[] = {
        {NotXls, 0, "", "The file \"" + NotXls + "\" is invalid. Nothing was imported."},
        {Csv, 0, ""},
        {Sheet("unreadable.xls", {{"Prize", "Quantity"}, {"Pen", "9"}, {"Cup", "4"}}), 3, ""},
        {Sheet("fraction.xls", {{"Prize", "Quantity"}, {"Pen", "9"}, {"Cup", "7.5"}}), 0,
         "row 3 (Cup): '7.5' is not a valid integer value"},
        {Sheet("negative.xls", {{"Prize", "Quantity"}, {"Pen", "9"}, {"Cup", "-2"}}), 0,
         "row 3 (Cup): the quantity -2 is negative"},
        {Sheet("huge.xls", {{"Prize", "Quantity"}, {"Pen", "9"}, {"Cup", "3000000000"}}), 0,
         "row 3 (Cup): '3000000000' is not a valid integer value"},
        {Sheet("words.xls", {{"Prize", "Quantity"}, {"Pen", "9"}, {"Cup", "four"}}), 0,
         "row 3 (Cup): 'four' is not a valid integer value"},
        {Sheet("missing.xls", {{"Prize", "Quantity"}, {"Pen", "9"}, {"Cup"}}), 0,
         "row 3 (Cup): '' is not a valid integer value"},
        {Sheet("names.xls", {{"Prize"}, {"Pen"}}), 0, "row 2 (Pen): '' is not a valid integer value"},
    };
    for (const Case& C : Cases) {
        Files.FailReadAtRow = C.FailReadAtRow;
        TOwned<TRewardListForm> L(New<TRewardListForm>(Application));
        const AnsiString Said = Import(L.get(), C.File);
        const AnsiString Lead = "Nothing was imported from " + C.File + ": ";
        if (!C.Whole.empty()) {
            EXPECT_EQ(Said, C.Whole);
        } else if (C.Reason.empty()) {
            EXPECT_EQ(Said.substr(0, Lead.size()), Lead) << Said;
            EXPECT_GT(Said.size(), Lead.size() + 5) << Said;
        } else {
            EXPECT_EQ(Said, Lead + C.Reason);
        }
        EXPECT_EQ(Prizes(Store->Working.Prizes), "Pen=3 Mug=2 ") << C.File;
        EXPECT_EQ(Prizes(Store->Committed.Prizes), "Pen=3 Mug=2 ") << C.File;
        EXPECT_EQ(L->grid->RowCount(), 3) << C.File;
    }
}
