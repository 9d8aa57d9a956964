#include "platform/rtl/Set.h"

#include <gtest/gtest.h>

namespace {

enum TStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum TWide : int { wFirst = 0, w63 = 63, w64 = 64, w127 = 127, w128 = 128, wLast = 255, wOut = 256 };

inline constexpr TSet<TStyle> BoldItalic{fsBold, fsItalic};
static_assert(BoldItalic.Contains(fsItalic) && !BoldItalic.Contains(fsUnderline));
static_assert(BoldItalic.Count() == 2);

} // namespace

TEST(Set, IncludeExcludeAndContainsAcrossTheWholeRange)
{
    TSet<TWide> S;
    EXPECT_TRUE(S.Empty());
    for (TWide V : {wFirst, w63, w64, w127, w128, wLast})
        S.Include(V);
    for (TWide V : {wFirst, w63, w64, w127, w128, wLast})
        EXPECT_TRUE(S.Contains(V)) << V;
    EXPECT_FALSE(S.Contains(static_cast<TWide>(1)));
    EXPECT_FALSE(S.Contains(static_cast<TWide>(65)));
    EXPECT_EQ(S.Count(), 6);
    // Values outside 0..255 are never members.
    S.Include(wOut);
    EXPECT_FALSE(S.Contains(wOut));
    EXPECT_FALSE(S.Contains(static_cast<TWide>(-1)));
    EXPECT_EQ(S.Count(), 6);
    S.Exclude(w64).Exclude(wLast);
    EXPECT_FALSE(S.Contains(w64));
    EXPECT_TRUE(S.Contains(w63));
    EXPECT_EQ(S.Count(), 4);
}

TEST(Set, Operators)
{
    const TSet<TStyle> A{fsBold, fsItalic};
    const TSet<TStyle> B{fsItalic, fsUnderline};
    EXPECT_EQ(A + B, (TSet<TStyle>{fsBold, fsItalic, fsUnderline}));
    EXPECT_EQ(A - B, (TSet<TStyle>{fsBold}));
    EXPECT_EQ(A * B, (TSet<TStyle>{fsItalic}));
    EXPECT_EQ(A + fsStrikeOut, (TSet<TStyle>{fsBold, fsItalic, fsStrikeOut}));
    EXPECT_EQ(A - fsBold, (TSet<TStyle>{fsItalic}));
    EXPECT_NE(A, B);
    EXPECT_TRUE((TSet<TStyle>{fsItalic}) <= A);
    EXPECT_FALSE(B <= A);
    EXPECT_TRUE(A >= TSet<TStyle>{});
    TSet<TStyle> C = A;
    C += B;
    C -= fsBold;
    C *= TSet<TStyle>{fsUnderline, fsStrikeOut};
    EXPECT_EQ(C, (TSet<TStyle>{fsUnderline}));
    C.Clear();
    EXPECT_TRUE(C.Empty());
}
