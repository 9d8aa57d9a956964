// The per-row tables follow their rows through every structural edit: modified flags and
// disjunct marks through hiding and showing rows above them, and the rows themselves (texts,
// heights, hidden entries) through single hides and shows in a grid larger than one step of the
// one-by-one path.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class RowTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 3, 12);
        for (Integer R = 0; R < 12; ++R)
            G->SetCells(0, R, "r" + std::to_string(R));
        G->MouseActions()->SetDisjunctRowSelect(true);
    }
    void TearDown() override { Form->Free(); }
    // The names of the display rows whose flag Get gives.
    template <class F> std::vector<std::string> Flagged(F Get)
    {
        std::vector<std::string> V;
        for (Integer R = 0; R < G->RowCount(); ++R)
            if (Get(R))
                V.push_back(G->Cells(0, R));
        return V;
    }
    std::vector<std::string> Modified()
    {
        return Flagged([&](Integer R) { return G->GetRowModified(R); });
    }
    std::vector<std::string> Marked()
    {
        return Flagged([&](Integer R) { return G->GetRowSelect(R); });
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

// A flag set on rows 6 and 9 stays on those rows whichever way the rows above are hidden, and
// a hidden flagged row brings its flag back when shown.
TEST_F(RowTablesTest, ModifiedFlagsAndMarksStayWithTheirRowsOverHiding)
{
    struct Case {
        const char* Name;
        std::function<void(TDidAririzEvar*)> Hide, Show;
    } Cases[] = {
        {"one row", [](TDidAririzEvar* X) { X->HideRow(2); }, [](TDidAririzEvar* X) { X->UnHideRow(2); }},
        {"a range with a flagged row", [](TDidAririzEvar* X) { X->HideRows(3, 6); },
         [](TDidAririzEvar* X) { X->UnHideRows(3, 6); }},
        {"a list",
         [](TDidAririzEvar* X) {
             X->HideRowList({1, 4, 6, 8});
         },
         [](TDidAririzEvar* X) { X->RemoveLastHideLevel(); }},
        {"all shown at once",
         [](TDidAririzEvar* X) {
             X->HideRows(1, 2);
             X->HideRow(9);
         },
         [](TDidAririzEvar* X) { X->UnHideRowsAll(); }},
    };
    for (const Case& K : Cases) {
        SetUp();
        G->SetRowModified(6, true);
        G->SetRowModified(9, true);
        G->SetRowSelect(6, true);
        G->SetRowSelect(9, true);
        K.Hide(G);
        // Only the flagged rows still shown carry flags; none moved onto another row.
        std::vector<std::string> Expect;
        for (const char* N : {"r6", "r9"})
            for (Integer R = 0; R < G->RowCount(); ++R)
                if (G->Cells(0, R) == N)
                    Expect.push_back(N);
        EXPECT_EQ(Modified(), Expect) << K.Name;
        EXPECT_EQ(Marked(), Expect) << K.Name;
        K.Show(G);
        EXPECT_EQ(G->RowCount(), 12) << K.Name;
        EXPECT_EQ(Modified(), (std::vector<std::string>{"r6", "r9"})) << K.Name;
        EXPECT_EQ(Marked(), (std::vector<std::string>{"r6", "r9"})) << K.Name;
        EXPECT_EQ(G->GetRowSelectCount(), 2) << K.Name;
        TearDown();
    }
    SetUp();
}

// Marks kept by real row (persistent over hiding) stay by real index and do not move.
TEST_F(RowTablesTest, PersistentMarksKeepTheirRealRows)
{
    G->MouseActions()->RowSelectPersistent = true;
    G->SetRowSelect(7, true); // real row 7
    G->HideRows(2, 3);
    EXPECT_TRUE(G->GetRowSelect(7));
    G->UnHideRows(2, 3);
    EXPECT_EQ(Marked(), (std::vector<std::string>{"r7"}));
}

// Single hides and shows in a grid of 6,000 rows (rows move one by one there) against a plain
// model of the rows: texts, heights and the real index of every shown row after each step.
TEST(RowTablesLarge, SingleHidesAndShowsMatchAModel)
{
    TForm* Form = gridtest::NewForm();
    TDidAririzEvar* G = gridtest::NewShownGrid(Form, 2, 6000);
    for (Integer R = 0; R < 6000; ++R) {
        G->SetCells(1, R, std::to_string(R));
        if (R % 7 == 0)
            G->SetRowHeights(R, 10 + R % 13);
    }
    struct Row {
        Integer Real;
        Integer Height;
        bool Hidden;
    };
    std::vector<Row> Model;
    for (Integer R = 0; R < 6000; ++R)
        Model.push_back({R, G->RowHeights(R), false});
    std::mt19937 Rng(3);
    auto Check = [&](int Step) {
        Integer D = 0;
        for (const Row& M : Model) {
            if (M.Hidden)
                continue;
            ASSERT_EQ(G->Cells(1, D), std::to_string(M.Real)) << Step << " display row " << D;
            ASSERT_EQ(G->RowHeights(D), M.Height) << Step << " display row " << D;
            ASSERT_EQ(G->RealRowIndex(D), M.Real) << Step;
            ++D;
        }
        ASSERT_EQ(G->RowCount(), D) << Step;
    };
    for (int Step = 0; Step < 200; ++Step) {
        const Integer R = 1 + static_cast<Integer>(Rng() % 5999);
        if (Model[R].Hidden) {
            G->UnHideRow(R);
            Model[R].Hidden = false;
        } else {
            G->HideRow(R);
            Model[R].Hidden = true;
        }
        if (Step % 20 == 0)
            Check(Step);
    }
    Check(200);
    G->UnHideRowsAll();
    for (Row& M : Model)
        M.Hidden = false;
    Check(201);
    Form->Free();
}

} // namespace
