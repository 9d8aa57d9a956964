#include "platform/rtl/Guards.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace {

struct TBatch {
    int Depth = 0;
    bool FailOnEnd = false;
    void BeginUpdate() { ++Depth; }
    void EndUpdate()
    {
        --Depth;
        if (FailOnEnd)
            throw std::runtime_error("end failed");
    }
};

std::string MessageOf(const std::function<void()>& Work)
{
    try {
        Work();
    } catch (const std::exception& E) {
        return E.what();
    }
    return "";
}

} // namespace

// A closing call that raises: on a normal exit its error reaches the caller; while another error
// is unwinding, the first error reaches the caller and the program goes on.
TEST(Guards, ClosingErrorsReachTheCallerUnlessAnotherIsInFlight)
{
    TBatch Batch;
    Batch.FailOnEnd = true;
    EXPECT_EQ(MessageOf([&] { TUpdateBracket Bracket(&Batch); }), "end failed");
    EXPECT_EQ(Batch.Depth, 0);
    EXPECT_EQ(MessageOf([&] {
                  TUpdateBracket Bracket(&Batch);
                  throw std::runtime_error("work failed");
              }),
              "work failed");
    EXPECT_EQ(Batch.Depth, 0);

    int Runs = 0;
    EXPECT_EQ(MessageOf([&] {
                  TScopeExit Undo([&] {
                      ++Runs;
                      throw std::runtime_error("undo failed");
                  });
                  throw std::runtime_error("work failed");
              }),
              "work failed");
    EXPECT_EQ(MessageOf([&] {
                  TScopeExit Undo([&] {
                      ++Runs;
                      throw std::runtime_error("undo failed");
                  });
              }),
              "undo failed");
    EXPECT_EQ(Runs, 2);
}

// A guard made inside a handler that runs while an error unwinds (a destructor's cleanup) still
// lets its own closing error out when its own scope ends normally.
TEST(Guards, ClosingErrorsCountOnlyErrorsRaisedAfterTheGuardWasMade)
{
    struct TCleanupOnUnwind {
        std::string Seen;
        ~TCleanupOnUnwind()
        {
            Seen = MessageOf([] { TScopeExit Fail([] { throw std::runtime_error("inner close failed"); }); });
            EXPECT_EQ(Seen, "inner close failed");
        }
    };
    EXPECT_EQ(MessageOf([] {
                  TCleanupOnUnwind Cleanup;
                  throw std::runtime_error("outer");
              }),
              "outer");
}

TEST(Guards, DismissedCleanupDoesNotRun)
{
    int Runs = 0;
    {
        TScopeExit Undo([&] { ++Runs; });
        Undo.Dismiss();
    }
    EXPECT_EQ(Runs, 0);
}
