#include "print/VuResources.h"
#include "print/VuRtfFuncs.h"

#include "platform/rtl/Exceptions.h"
#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class VuRtf : public ::testing::Test {
protected:
    void SetUp() override { uitest::Start(); }
};

using MemoPtr = std::unique_ptr<TCustomMemo, void (*)(TCustomMemo*)>;
MemoPtr Owned(TCustomMemo* M)
{
    return MemoPtr(M, [](TCustomMemo* P) { P->Free(); });
}

const AnsiString Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Grand {\\b prize} list\\par}";

TEST_F(VuRtf, StreamsRichTextInAndOut)
{
    auto Memo = Owned(CreateTRichEdit());
    InsertRtfText(Memo.get(), "");
    EXPECT_EQ(0, GetTextLength(Memo.get()));
    InsertRtfText(Memo.get(), Rtf);
    EXPECT_EQ(nullptr, Memo->Parent());
    AnsiString Out = GetRtfText(Memo.get());
    EXPECT_EQ(0u, Out.find("{\\rtf1"));
    EXPECT_NE(AnsiString::npos, Out.find("prize"));
    EXPECT_GT(GetTextLength(Memo.get()), 10);

    EXPECT_FALSE(IsRxRichEdit(Memo.get()));
    EXPECT_FALSE(IsRichEdit98(Memo.get()));
}

TEST_F(VuRtf, RichTextBlocksInTheResourceTable)
{
    TVuResourceTable T;
    auto Source = Owned(CreateTRichEdit());
    InsertRtfText(Source.get(), Rtf);
    TCustomMemo* Entry = T.AddMemo(Source.get());
    ASSERT_NE(Entry, Source.get()); // the table keeps a copy
    EXPECT_EQ(Entry, T.AddMemo(Entry));
    EXPECT_EQ(2, T.Memos()->RefCount(0));
    EXPECT_EQ(vuRichEdit, TVuCustomMemoList::GetMemoType(Entry));

    TMemoryStream S;
    T.SaveToStream(&S);
    S.SetPosition(0);
    TVuResourceTable Back;
    Back.LoadFromStream(&S);
    ASSERT_EQ(1, Back.Memos()->Count());
    AnsiString Text = GetRtfText(Back.Memos()->GetMemo(0));
    EXPECT_NE(AnsiString::npos, Text.find("prize"));
    EXPECT_EQ(S.Size(), S.Position());

    // A block whose length runs past the stream is refused.
    TMemoryStream Bad;
    Bad.WriteInteger(1);
    Bad.WriteInteger(1);
    Bad.WriteInteger(1000);
    Bad.WriteString("{\\rtf1}");
    Bad.SetPosition(0);
    TVuCustomMemoList L;
    EXPECT_THROW(L.LoadFromStream(&Bad), EReadError);
}

} // namespace
