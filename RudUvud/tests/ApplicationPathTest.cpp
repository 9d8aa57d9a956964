// The prize list's road through the grid: dimensions, text access, selection queries, disjunct
// row selection and the row-select check, as the application calls them.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

class ApplicationPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        Grid = New<TDidAririzEvar>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, 600, 400);
        // The prize list: a header row, a number column, name and quantity.
        Grid->SetColCountEx(3);
        Grid->SetRowCountEx(1 + 5);
        Grid->SetFixedRowsEx(1);
        Grid->SetCellEx(1, 0, "Prize");
        Grid->SetCellEx(2, 0, "Quantity");
        const char* Names[] = {"Bicycle", "Camera", "Kettle", "Lamp", "Radio"};
        for (Integer R = 1; R <= 5; ++R) {
            Grid->SetCellEx(0, R, std::to_string(R));
            Grid->SetCellEx(1, R, Names[R - 1]);
            Grid->SetCellEx(2, R, std::to_string(R * 2));
        }
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TDidAririzEvar* Grid = nullptr;
};

TEST_F(ApplicationPath, DimensionsAndTexts)
{
    EXPECT_EQ(Grid->GetColCountEx(), 3);
    EXPECT_EQ(Grid->GetRowCountEx(), 6);
    EXPECT_EQ(Grid->GetFixedRowsEx(), 1);
    EXPECT_EQ(Grid->GetCellEx(1, 3), "Kettle");
    EXPECT_EQ(Grid->GetCellEx(2, 5), "10");
    // Refilling after a delete: fewer rows, texts rewritten.
    Grid->SetRowCountEx(1 + 2);
    Grid->SetCellEx(1, 2, "Lamp");
    EXPECT_EQ(Grid->GetRowCountEx(), 3);
    EXPECT_EQ(Grid->GetCellEx(1, 2), "Lamp");
    // An empty list keeps its header row.
    Grid->SetRowCountEx(1);
    EXPECT_EQ(Grid->GetRowCountEx(), 1);
    EXPECT_EQ(Grid->GetCellEx(1, 0), "Prize");
}

TEST_F(ApplicationPath, EditReadsTheSelection)
{
    // A click on a prize makes it the selection the edit command reads.
    const TRect R = Grid->CellRect(1, 4);
    uitest::Click(Grid->Handle(), R.Left + 4, R.Top + 4);
    const TGridRect S = Grid->GetSelectionEx();
    EXPECT_EQ(S.Top, 4);
    EXPECT_EQ(S.Bottom, 4);
    EXPECT_EQ(Grid->GetCellEx(1, S.Top), "Lamp");
}

TEST_F(ApplicationPath, DeleteReadsTheSelectedRows)
{
    // Without disjunct selection: the rows of the selection rectangle.
    Grid->SetSelectionEx(TGridRect{1, 2, 2, 4});
    EXPECT_EQ(Grid->GetRowSelectCount(), 3);
    std::vector<Integer> Picked;
    for (Integer R = 1; R < Grid->GetRowCountEx(); ++R)
        if (Grid->GetRowSelect(R))
            Picked.push_back(R);
    EXPECT_EQ(Picked, (std::vector<Integer>{2, 3, 4}));

    // With disjunct row selection: the rows picked one by one.
    Grid->MouseActions()->SetDisjunctRowSelect(true);
    Grid->SetRowSelect(5, true);
    Grid->SetRowSelect(1, true);
    EXPECT_EQ(Grid->GetRowSelectCount(), 2);
    Picked.clear();
    for (Integer R = 1; R < Grid->GetRowCountEx(); ++R)
        if (Grid->GetRowSelect(R))
            Picked.push_back(R);
    EXPECT_EQ(Picked, (std::vector<Integer>{1, 5}));
}

TEST_F(ApplicationPath, RowSelectOutsideTheListIsAnError)
{
    for (Integer Bad : {6, 100, -1}) {
        try {
            Grid->GetRowSelect(Bad);
            ADD_FAILURE() << "row " << Bad << " accepted";
        } catch (const ERudUvudError& E) {
            EXPECT_EQ(E.Message(), "Invalid row accessed");
        }
    }
    EXPECT_NO_THROW(Grid->GetRowSelect(5));
}

} // namespace
