#include "AppTestSupport.h"

#include "platform/forms/StdCtrls.h"
#include "platform/win/Colors.h"

namespace {

// The pixels of a label as the form shows it.
std::vector<COLORREF> LabelPixels(TForm* F, TLabel* L)
{
    std::vector<COLORREF> Pixels;
    for (Integer Y = L->Top(); Y < L->Top() + L->Height(); ++Y)
        for (Integer X = L->Left(); X < L->Left() + L->Width(); ++X)
            Pixels.push_back(uitest::PixelAt(F->Handle(), X, Y));
    return Pixels;
}

// Pixels where the text's ink is darker than half grey.
size_t Ink(const std::vector<COLORREF>& Pixels)
{
    return size_t(std::count_if(Pixels.begin(), Pixels.end(), [](COLORREF C) {
        return GetRValue(C) + GetGValue(C) + GetBValue(C) < 3 * 128;
    }));
}

} // namespace

// The Ming face the windows use has a regular form only: bold and italic captions are drawn
// from it emboldened and slanted, and so look different from regular ones.
TEST_F(AppTest, BoldAndItalicCaptionsDifferFromRegularOnesInEveryFaceTheWindowsUse)
{
    struct Case {
        const char* Face;
        TFontStyle Style;
    };
    const Case Cases[] = {{"細明體", fsBold},
                          {"新細明體", fsBold},
                          {"細明體", fsItalic},
                          {"Arial", fsBold},
                          {"Arial", fsItalic}};
    auto* F = New<TForm>(Application);
    F->SetBounds(0, 0, 700, 200);
    F->SetColor(clWhite);
    auto MakeLabel = [F](Integer Top) {
        auto* L = New<TLabel>(F);
        L->SetParent(F);
        L->SetAutoSize(false);
        L->SetBounds(8, Top, 660, 60);
        L->SetCaption("Demo Limited 獎品");
        L->Font()->SetHeight(-40);
        L->Font()->SetColor(clBlack);
        return L;
    };
    TLabel* Regular = MakeLabel(8);
    TLabel* Styled = MakeLabel(80);
    F->Show();
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Face) + (C.Style == fsBold ? " bold" : " italic"));
        Regular->Font()->SetName(C.Face);
        Styled->Font()->SetName(C.Face);
        Styled->Font()->SetStyle(TFontStyles{C.Style});
        uitest::PumpUntilIdle();
        const std::vector<COLORREF> Plain = LabelPixels(F, Regular), Other = LabelPixels(F, Styled);
        ASSERT_GT(Ink(Plain), 500u) << "the caption is drawn";
        EXPECT_NE(Plain, Other);
        if (C.Style == fsBold) {
            EXPECT_GT(Ink(Other), Ink(Plain) * 6 / 5) << "bold strokes carry more ink";
        }
    }
}
