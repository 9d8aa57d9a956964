// The platform layer's costly paths, headless: a full repaint of a 1280 x 800 form of common
// controls, word wrapping and end ellipsis of 4,000 characters in DrawText, adding 4,000 lines to
// a memo, reading, replacing and deleting memo lines, and showing a form of 800 edits.
//
// Paths that must grow linearly run at two sizes, the smaller one the anchor of the larger
// (doubling the count should less than triple the time): adding 4,000 and 8,000 memo lines,
// 2,000 and 4,000 items to a sorted list box (beside 4,000 to an unsorted one), reading RTF of
// 60,000 and 120,000 distinct character formats (beside the same text in one format), and
// locale comparisons (beside byte comparisons of the same pairs); and repainting and editing a
// rich edit of 500, 4,000 and 32,000 paragraphs that shows about forty lines: typing a character,
// deleting one, pasting a paragraph and making a range bold, each with the repaint it causes
// (their cost should not grow with the paragraphs; 500 is the anchor).

#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Strings.h"
#include "platform/testing/BenchStart.h"
#include "platform/testing/Harness.h"
#include "platform/win/Gdi.h"
#include "platform/win/RichEdit.h"
#include "platform/win/RichText.h"
#include "platform/win/Windows.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// What each case took before the speed work (same machine, release build, one round each), printed
// beside the figure as its label.
constexpr const char* BeforeRepaint = "before: 26.8 ms";
constexpr const char* BeforeWrap = "before: 241 ms";
constexpr const char* BeforeEllipsis = "before: 1421 ms";
constexpr const char* BeforeMemo = "before: 5143 ms";
constexpr const char* BeforeEdits = "before: 310 ms";
constexpr const char* BeforeMemoLines = "before: 416 ms";

void StartHeadless()
{
    uitest::StartBenchmark(TSize{1600, 1000});
}

TForm* NewForm(int W, int H)
{
    StartHeadless();
    TForm* F = New<TForm>(Application);
    F->SetBounds(0, 0, W, H);
    return F;
}

std::string Words(std::size_t Length)
{
    static const char* const Pool[] = {"illuminating", "millimetre", "wallpaper", "prize", "draw",
                                       "the",          "of",         "company",   "event", "winner"};
    std::string S;
    for (std::size_t I = 0; S.size() < Length; ++I) {
        S += Pool[(I * 7) % 10];
        S += ' ';
    }
    S.resize(Length);
    return S;
}

// Labels, edits, buttons, check boxes and a list box across the whole form, repainted at once.
void BM_FullRepaint1280x800(benchmark::State& State)
{
    TForm* F = NewForm(1280, 800);
    for (int Col = 0; Col < 8; ++Col)
        for (int Row = 0; Row < 24; ++Row) {
            const int X = 8 + Col * 158, Y = 8 + Row * 31;
            const std::string Caption = "Prize " + std::to_string(Col * 24 + Row);
            TWinControl* C = nullptr;
            switch (Row % 4) {
            case 0: {
                auto* L = New<TLabel>(F);
                L->SetParent(F);
                L->SetBounds(X, Y, 150, 24);
                L->SetCaption(Caption + " of the company event");
                continue;
            }
            case 1:
                C = New<TEdit>(F);
                break;
            case 2:
                C = New<TButton>(F);
                break;
            default:
                C = New<TCheckBox>(F);
                break;
            }
            C->SetParent(F);
            C->SetBounds(X, Y, 150, 24);
            C->SetText(Caption);
        }
    auto* List = New<TListBox>(F);
    List->SetParent(F);
    List->SetBounds(8, 760, 300, 34);
    for (int I = 0; I < 100; ++I)
        List->Items()->Add("item " + std::to_string(I));
    F->Show();
    uitest::PumpUntilIdle();
    for (auto _ : State) {
        RedrawWindow(F->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
        uitest::PumpUntilIdle();
    }
    State.SetLabel(BeforeRepaint);
    F->Free();
}
BENCHMARK(BM_FullRepaint1280x800)->Unit(benchmark::kMillisecond);

void DrawTextCase(benchmark::State& State, UINT Format, int Width, const char* Before)
{
    State.SetLabel(Before);
    StartHeadless();
    const std::string Text = Words(4000);
    TWindowDC Screen(nullptr, GetDC(nullptr));
    TOwnedDC Dc(CreateCompatibleDC(Screen.get()));
    TOwnedBitmap Bitmap(CreateCompatibleBitmap(Screen.get(), 600, 2000));
    TSelectObject SelectedBitmap(Dc.get(), Bitmap.get());
    TOwnedFont Font(CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
    TSelectObject SelectedFont(Dc.get(), Font.get());
    std::string Changing = Text;
    int Round = 0;
    for (auto _ : State) {
        // A different text each time, so that no layout kept from the last round serves it whole.
        const std::string Tag = std::to_string(Round++);
        Changing.replace(0, Tag.size(), Tag);
        RECT R{0, 0, Width, 2000};
        benchmark::DoNotOptimize(DrawText(Dc.get(), Changing.data(), int(Changing.size()), &R, Format));
    }
}

void BM_DrawTextWordWrap4000(benchmark::State& State)
{
    DrawTextCase(State, DT_WORDBREAK | DT_NOPREFIX, 400, BeforeWrap);
}
BENCHMARK(BM_DrawTextWordWrap4000)->Unit(benchmark::kMillisecond);

void BM_DrawTextEndEllipsis4000(benchmark::State& State)
{
    DrawTextCase(State, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX, 400, BeforeEllipsis);
}
BENCHMARK(BM_DrawTextEndEllipsis4000)->Unit(benchmark::kMillisecond);

void BM_MemoAdd4000Lines(benchmark::State& State)
{
    State.SetLabel(BeforeMemo);
    TForm* F = NewForm(640, 480);
    F->Show();
    uitest::PumpUntilIdle();
    for (auto _ : State) {
        auto* M = New<TMemo>(F);
        M->SetParent(F);
        M->SetBounds(8, 8, 600, 400);
        for (int I = 0; I < 4000; ++I)
            M->Lines()->Add("Line " + std::to_string(I) + " of the prize list");
        uitest::PumpUntilIdle();
        benchmark::DoNotOptimize(M->Lines()->Count());
        State.PauseTiming();
        M->Free();
        uitest::PumpUntilIdle();
        State.ResumeTiming();
    }
    F->Free();
}
BENCHMARK(BM_MemoAdd4000Lines)->Unit(benchmark::kMillisecond);

// Lines->Add of n lines to a memo that is shown, at 4,000 and 8,000 lines.
void BM_MemoAddLines(benchmark::State& State)
{
    const int N = int(State.range(0));
    TForm* F = NewForm(640, 480);
    F->Show();
    uitest::PumpUntilIdle();
    for (auto _ : State) {
        auto* M = New<TMemo>(F);
        M->SetParent(F);
        M->SetBounds(8, 8, 600, 400);
        for (int I = 0; I < N; ++I)
            M->Lines()->Add("Line " + std::to_string(I) + " of the prize list");
        uitest::PumpUntilIdle();
        benchmark::DoNotOptimize(M->Lines()->Count());
        State.PauseTiming();
        M->Free();
        uitest::PumpUntilIdle();
        State.ResumeTiming();
    }
    F->Free();
}
BENCHMARK(BM_MemoAddLines)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond);

// Items->Add of n prize names in mixed order to a list box, sorted (2,000 and 4,000) or not.
void ListAdds(benchmark::State& State, bool Sorted)
{
    const int N = int(State.range(0));
    TForm* F = NewForm(640, 480);
    F->Show();
    uitest::PumpUntilIdle();
    std::vector<std::string> Names;
    for (int I = 0; I < N; ++I)
        Names.push_back("Prize " + std::to_string((I * 7919) % N) + (I % 3 ? " draw" : " \xE7\x8D\x8E"));
    for (auto _ : State) {
        auto* L = New<TListBox>(F);
        L->SetParent(F);
        L->SetBounds(8, 8, 300, 400);
        L->SetSorted(Sorted);
        for (const std::string& Name : Names)
            L->Items()->Add(Name);
        uitest::PumpUntilIdle();
        benchmark::DoNotOptimize(L->Items()->Count());
        State.PauseTiming();
        L->Free();
        uitest::PumpUntilIdle();
        State.ResumeTiming();
    }
    F->Free();
}

void BM_SortedListAdds(benchmark::State& State)
{
    ListAdds(State, true);
}
BENCHMARK(BM_SortedListAdds)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_UnsortedListAdds(benchmark::State& State)
{
    ListAdds(State, false);
}
BENCHMARK(BM_UnsortedListAdds)->Arg(4000)->Unit(benchmark::kMillisecond);

// RTF of n runs, each a character format of its own (size, colour, bold, italic) or all in one.
std::string FormatRuns(int N, bool Distinct)
{
    std::string Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;";
    for (int C = 0; C < 20; ++C)
        Rtf += "\\red" + std::to_string(C * 12) + "\\green0\\blue0;";
    Rtf += "}\n";
    for (int I = 0; I < N; ++I) {
        int K = Distinct ? I : 0;
        Rtf += "{\\fs" + std::to_string(2 + (K / 80) % 1600) + "\\cf" + std::to_string(1 + K % 20) +
               ((K / 20) % 2 ? "\\b" : "") + ((K / 40) % 2 ? "\\i" : "") + " x}";
    }
    return Rtf + "}";
}

void BM_RtfFormatsRead(benchmark::State& State)
{
    const std::string Rtf = FormatRuns(int(State.range(0)), State.range(1) != 0);
    for (auto _ : State) {
        richtext::ReadResult R = richtext::ReadRtf(Rtf);
        benchmark::DoNotOptimize(R.Doc.Length());
    }
    State.SetLabel(State.range(1) ? "distinct formats" : "one format (anchor)");
}
BENCHMARK(BM_RtfFormatsRead)
    ->Args({60000, 1})
    ->Args({120000, 1})
    ->Args({120000, 0})
    ->Unit(benchmark::kMillisecond);

// 200,000 comparisons of prize names: the locale's (AnsiCompareText) and bytes' (CompareText).
std::vector<std::string> ComparedNames()
{
    std::vector<std::string> Names;
    for (int I = 0; I < 1000; ++I)
        Names.push_back((I % 2 ? "Prize " : "\xE7\x8D\x8E ") + std::to_string((I * 7919) % 1000));
    return Names;
}

void BM_AnsiCompareText200k(benchmark::State& State)
{
    const auto Names = ComparedNames();
    for (auto _ : State) {
        long long Sum = 0;
        for (int I = 0; I < 200000; ++I)
            Sum += AnsiCompareText(Names[std::size_t(I % 1000)], Names[std::size_t((I * 31 + 7) % 1000)]);
        benchmark::DoNotOptimize(Sum);
    }
}
BENCHMARK(BM_AnsiCompareText200k)->Unit(benchmark::kMillisecond);

void BM_CompareText200k(benchmark::State& State)
{
    const auto Names = ComparedNames();
    for (auto _ : State) {
        long long Sum = 0;
        for (int I = 0; I < 200000; ++I)
            Sum += CompareText(Names[std::size_t(I % 1000)], Names[std::size_t((I * 31 + 7) % 1000)]);
        benchmark::DoNotOptimize(Sum);
    }
    State.SetLabel("anchor: byte comparison");
}
BENCHMARK(BM_CompareText200k)->Unit(benchmark::kMillisecond);

// The text of n paragraphs of a rich edit, and the position of paragraph k in it.
std::string RichParagraphs(int N, int K, LONG& At)
{
    std::string Text;
    At = 0;
    for (int I = 0; I < N; ++I) {
        if (I == K)
            At = LONG(Text.size() - std::size_t(I)); // every CR LF before it counts one
        Text += "Paragraph " + std::to_string(I) + " of the prize list, with words enough to fill a line\r\n";
    }
    return Text;
}

HWND NewRichEdit(TForm* F, const std::string& Text)
{
    RegisterRichEditClass();
    HWND H = CreateWindowEx(0, "RichEdit20A", Text.c_str(), WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE,
                            8, 8, 600, 600, F->Handle(), nullptr, nullptr, nullptr);
    SendMessage(H, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    return H;
}

// A full repaint of a rich edit with a vertical scroll bar scrolled to the middle of n paragraphs.
void BM_RichEditRepaint(benchmark::State& State)
{
    const int N = int(State.range(0));
    TForm* F = NewForm(640, 700);
    F->Show();
    LONG Middle = 0;
    HWND H = NewRichEdit(F, RichParagraphs(N, N / 2, Middle));
    for (int I = 0; I < N / 2; ++I)
        SendMessage(H, WM_VSCROLL, SB_LINEDOWN, 0);
    uitest::PumpUntilIdle();
    for (auto _ : State) {
        InvalidateRect(H, nullptr, TRUE);
        UpdateWindow(H);
    }
    if (N == 500)
        State.SetLabel("anchor");
    DestroyWindow(H);
    F->Free();
}
BENCHMARK(BM_RichEditRepaint)->Arg(500)->Arg(4000)->Arg(32000)->Unit(benchmark::kMillisecond);

// Edits at the caret in the middle paragraph of a focused rich edit of n paragraphs, each one
// followed by the repaint it causes.
enum class RichEditing { Type, Delete, PasteParagraph, FormatRange };

// What each edit took at 4,000 and 32,000 paragraphs when every edit laid out the whole text.
const char* BeforeRichEdit(RichEditing What, int N)
{
    static const char* const Figures[4][2] = {{"before: 20.8 ms", "before: 201 ms"},
                                              {"before: 19.7 ms", "before: 123 ms"},
                                              {"before: 19.7 ms", "before: 186 ms"},
                                              {"before: 20.2 ms", "before: 119 ms"}};
    return N == 500 ? "anchor" : Figures[int(What)][N == 4000 ? 0 : 1];
}

void RichEditEdits(benchmark::State& State, RichEditing What)
{
    const int N = int(State.range(0));
    TForm* F = NewForm(640, 700);
    F->Show();
    LONG Middle = 0;
    HWND H = NewRichEdit(F, RichParagraphs(N, N / 2, Middle));
    SetFocus(H);
    SendMessage(H, EM_SETSEL, WPARAM(Middle + 20), LPARAM(Middle + 20));
    if (What == RichEditing::PasteParagraph) {
        const std::string Pasted = "A pasted paragraph of the prize list\r\n";
        OpenClipboard(nullptr);
        EmptyClipboard();
        HGLOBAL M = GlobalAlloc(GMEM_MOVEABLE, Pasted.size() + 1);
        std::memcpy(GlobalLock(M), Pasted.c_str(), Pasted.size() + 1);
        GlobalUnlock(M);
        SetClipboardData(CF_TEXT, M);
        CloseClipboard();
    }
    if (What == RichEditing::FormatRange)
        SendMessage(H, EM_SETSEL, WPARAM(Middle), LPARAM(Middle + 150)); // two paragraphs and more
    // Every Round edits the text is put back as it was (untimed), so that the paragraph typed into
    // does not grow without end nor the document shrink or grow.
    constexpr int Round = 40;
    const LONG Caret = Middle + 20;
    char Deleted[4 * Round + 1] = {};
    TEXTRANGEA Range{{Caret - Round, Caret}, Deleted};
    SendMessage(H, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&Range));
    uitest::PumpUntilIdle();
    bool Bold = true;
    int Done = 0;
    for (auto _ : State) {
        if (Done++ == Round && What != RichEditing::FormatRange) {
            State.PauseTiming();
            CHARRANGE Now;
            SendMessage(H, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&Now));
            if (What == RichEditing::Delete) {
                SendMessage(H, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Deleted));
            } else {
                SendMessage(H, EM_SETSEL, WPARAM(Caret), LPARAM(Now.cpMax));
                SendMessage(H, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
            }
            UpdateWindow(H);
            Done = 1;
            State.ResumeTiming();
        }
        switch (What) {
        case RichEditing::Type:
            SendMessage(H, WM_CHAR, 'x', 0);
            break;
        case RichEditing::Delete:
            SendMessage(H, WM_CHAR, '\b', 0);
            break;
        case RichEditing::PasteParagraph:
            SendMessage(H, WM_PASTE, 0, 0);
            break;
        case RichEditing::FormatRange: {
            CHARFORMATA Cf;
            Cf.dwMask = CFM_BOLD;
            Cf.dwEffects = Bold ? CFE_BOLD : 0;
            Bold = !Bold;
            SendMessage(H, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&Cf));
            break;
        }
        }
        UpdateWindow(H);
    }
    State.SetLabel(BeforeRichEdit(What, N));
    DestroyWindow(H);
    F->Free();
}

void BM_RichEditType(benchmark::State& State)
{
    RichEditEdits(State, RichEditing::Type);
}
BENCHMARK(BM_RichEditType)->Arg(500)->Arg(4000)->Arg(32000)->Unit(benchmark::kMicrosecond);

void BM_RichEditDelete(benchmark::State& State)
{
    RichEditEdits(State, RichEditing::Delete);
}
BENCHMARK(BM_RichEditDelete)->Arg(500)->Arg(4000)->Arg(32000)->Unit(benchmark::kMicrosecond);

void BM_RichEditPasteParagraph(benchmark::State& State)
{
    RichEditEdits(State, RichEditing::PasteParagraph);
}
BENCHMARK(BM_RichEditPasteParagraph)->Arg(500)->Arg(4000)->Arg(32000)->Unit(benchmark::kMicrosecond);

void BM_RichEditFormatRange(benchmark::State& State)
{
    RichEditEdits(State, RichEditing::FormatRange);
}
BENCHMARK(BM_RichEditFormatRange)->Arg(500)->Arg(4000)->Arg(32000)->Unit(benchmark::kMicrosecond);

// Reading, replacing and deleting lines of a memo of 4,000 lines: 100 of each, spread over it.
void BM_MemoLineEdits4000(benchmark::State& State)
{
    State.SetLabel(BeforeMemoLines);
    TForm* F = NewForm(640, 480);
    F->Show();
    uitest::PumpUntilIdle();
    for (auto _ : State) {
        State.PauseTiming();
        auto* M = New<TMemo>(F);
        M->SetParent(F);
        M->SetBounds(8, 8, 600, 400);
        std::string Text;
        for (int I = 0; I < 4000; ++I)
            Text += "Line " + std::to_string(I) + " of the prize list\r\n";
        M->SetText(Text);
        uitest::PumpUntilIdle();
        State.ResumeTiming();
        std::size_t Read = 0;
        for (int I = 0; I < 100; ++I)
            Read += M->Lines()->Strings(I * 39).size();
        for (int I = 0; I < 100; ++I)
            M->Lines()->SetStrings(I * 39 + 7, "Replaced line " + std::to_string(I));
        for (int I = 0; I < 100; ++I)
            M->Lines()->Delete(3900 - I * 39);
        uitest::PumpUntilIdle();
        benchmark::DoNotOptimize(Read);
        State.PauseTiming();
        M->Free();
        uitest::PumpUntilIdle();
        State.ResumeTiming();
    }
    F->Free();
}
BENCHMARK(BM_MemoLineEdits4000)->Unit(benchmark::kMillisecond);

// A form of 800 edits made and shown until every one is painted.
void BM_Show800Edits(benchmark::State& State)
{
    State.SetLabel(BeforeEdits);
    for (auto _ : State) {
        TForm* F = NewForm(1280, 800);
        for (int I = 0; I < 800; ++I) {
            auto* E = New<TEdit>(F);
            E->SetParent(F);
            E->SetBounds(4 + (I % 20) * 63, 4 + (I / 20) * 19, 60, 18);
            E->SetText("edit " + std::to_string(I));
        }
        F->Show();
        uitest::PumpUntilIdle();
        State.PauseTiming();
        F->Free();
        uitest::PumpUntilIdle();
        State.ResumeTiming();
    }
}
BENCHMARK(BM_Show800Edits)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
