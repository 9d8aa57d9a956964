#include "RudUvud/support/VadDD.h"

#include "platform/forms/Forms.h"
#include "platform/testing/DragScript.h"
#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using uitest::DragAction;
using uitest::DragStep;

// A target that records its hooks in order and takes what it is given unless told otherwise.
class TRecordingDropTarget : public TDAEDropTarget {
public:
    bool DropText(TPoint, const AnsiString& Text) override { return Log("text:" + Text); }
    bool DropStream(TPoint, TMemoryStream* Stream) override
    {
        return Log("cells:" +
                   AnsiString(static_cast<const char*>(Stream->Memory()), std::size_t(Stream->Size())));
    }
    bool DropCol(TPoint, Integer Column) override { return Log("col:" + std::to_string(Column)); }
    bool DropRTF(TPoint, const AnsiString& RTF) override { return Log("rtf:" + RTF); }
    bool DropFiles(TPoint, TStrings* Files) override
    {
        AnsiString S = "files:";
        for (Integer I = 0; I < Files->Count(); ++I)
            S += Files->Strings(I) + "|";
        return Log(S);
    }
    bool DropURL(TPoint, const AnsiString& URL) override { return Log("url:" + URL); }
    void DragMouseMove(TPoint, bool& Accept, TDropFormats) override
    {
        if (RefuseOver)
            Accept = false;
    }
    bool Log(const AnsiString& S)
    {
        Calls.push_back(S);
        return Takes;
    }
    std::vector<AnsiString> Calls;
    bool Takes = true;
    bool RefuseOver = false;
};

class TRecordingDropSource : public TDAEDropSource {
public:
    void DragDropStop() override { ++Stops; }
    int Stops = 0;
};

std::vector<std::uint8_t> Bytes(const std::string& S)
{
    return std::vector<std::uint8_t>(S.begin(), S.end());
}

// A data object holding the given blocks.
OlePtr<IDataObject> Object(const std::vector<std::pair<UINT, std::vector<std::uint8_t>>>& Blocks)
{
    OlePtr<IDataObject> D(CreateDataObject());
    for (const auto& [Format, Data] : Blocks)
        SetDataBytes(D.get(), Format, Data.data(), Data.size());
    return D;
}

std::vector<std::uint8_t> DropFilesBlock(const std::vector<std::u16string>& Names, bool Terminated = true,
                                         std::uint32_t Offset = 20)
{
    std::vector<std::uint8_t> B(20, 0);
    B[0] = std::uint8_t(Offset);
    B[16] = 1; // wide
    for (const auto& N : Names) {
        for (char16_t C : N) {
            B.push_back(std::uint8_t(C));
            B.push_back(std::uint8_t(C >> 8));
        }
        B.push_back(0);
        B.push_back(0);
    }
    if (Terminated) {
        B.push_back(0);
        B.push_back(0);
    }
    return B;
}

// Runs DragEnter and Drop on the target directly with the key state.
DWORD EnterAndDrop(TDAEDropTarget& T, IDataObject* D, DWORD KeyState = MK_LBUTTON,
                   DWORD Allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE)
{
    DWORD E = Allowed;
    T.DragEnter(D, KeyState, POINTL{5, 5}, &E);
    E = Allowed;
    T.Drop(D, KeyState, POINTL{5, 5}, &E);
    return E;
}

TEST(DragDrop, StandardEffectPicksAnAllowedEffect)
{
    struct Case {
        bool Ctrl;
        DWORD Allowed, Effect;
    } Cases[] = {
        {true, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_COPY},
        {false, DROPEFFECT_COPY | DROPEFFECT_MOVE, DROPEFFECT_MOVE},
        {false, DROPEFFECT_COPY, DROPEFFECT_COPY},
        {false, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
        {true, DROPEFFECT_MOVE, DROPEFFECT_NONE},  // copy is not allowed
        {false, DROPEFFECT_LINK, DROPEFFECT_NONE}, // neither copy nor move
    };
    for (const Case& C : Cases)
        EXPECT_EQ(StandardEffect(C.Ctrl ? TShiftState{ssCtrl} : TShiftState{}, C.Allowed), C.Effect)
            << C.Ctrl << " " << C.Allowed;
}

TEST(DragDrop, TargetRecognisesAndDispatchesInOrder)
{
    TRecordingDropTarget T;
    T.AddRef();
    // Cells alone are accepted whatever the flags say.
    T.AllowText = T.AllowFiles = T.AllowURLs = false;
    auto Cells = Object({{CF_GridCells(), {3, 0, 0, 0, 'a', 'b', 'c'}}});
    EXPECT_EQ(EnterAndDrop(T, Cells.get()), DROPEFFECT_MOVE);
    EXPECT_TRUE(T.DropAllowed);
    EXPECT_EQ(DropFormatsByte(T.OfferedFormats), 0x20);
    EXPECT_EQ(T.Calls, (std::vector<AnsiString>{"cells:abc"}));

    // A column with text drops only the column (when columns are accepted).
    T.Calls.clear();
    T.AllowText = true;
    T.AllowColumns = true;
    auto ColText = Object({{CF_TEXT, Bytes(std::string("x\0", 2))}, {CF_GridColumn(), {7, 0, 0, 0}}});
    EnterAndDrop(T, ColText.get());
    EXPECT_EQ(T.Calls, (std::vector<AnsiString>{"col:7"}));

    // Text, files and a URL: text, then files, then the URL from the plain text.
    T.Calls.clear();
    T.AllowFiles = T.AllowURLs = true;
    auto Mixed = Object({{CF_TEXT, Bytes(std::string("http://x.test/\0", 15))},
                         {CF_HDROP, DropFilesBlock({u"/tmp/獎品.txt", u"/tmp/b"})},
                         {CF_URLFormat(), {0}}});
    EXPECT_EQ(EnterAndDrop(T, Mixed.get(), MK_LBUTTON | MK_CONTROL), DROPEFFECT_COPY);
    EXPECT_EQ(DropFormatsByte(T.OfferedFormats), 0x01 | 0x02 | 0x10);
    EXPECT_EQ(T.Calls, (std::vector<AnsiString>{"text:http://x.test/", "files:/tmp/獎品.txt|/tmp/b|",
                                                "url:http://x.test/"}));

    // RTF with the switch off: offered, not counted, not dropped.
    T.Calls.clear();
    T.AllowText = false;
    auto Rtf = Object({{CF_RTFFormat(), Bytes(std::string("{\\rtf1 x}\0", 10))}});
    SetRTFAware(false);
    EXPECT_EQ(EnterAndDrop(T, Rtf.get()), DROPEFFECT_NONE);
    EXPECT_FALSE(T.DropAllowed);
    EXPECT_EQ(DropFormatsByte(T.OfferedFormats), 0x08);
    EXPECT_TRUE(T.Calls.empty());
    SetRTFAware(true);
    T.AllowText = true;
    EnterAndDrop(T, Rtf.get());
    EXPECT_EQ(T.Calls, (std::vector<AnsiString>{"rtf:{\\rtf1 x}"}));
    SetRTFAware(false);

    // A drop no hook took answers no effect, so a moving source keeps its cells.
    T.Calls.clear();
    T.Takes = false;
    EXPECT_EQ(EnterAndDrop(T, Cells.get()), DROPEFFECT_NONE);
    T.Takes = true;

    // A refusing DragMouseMove turns the drag-over effect into none.
    DWORD E = DROPEFFECT_MOVE;
    T.DragEnter(Cells.get(), MK_LBUTTON, POINTL{1, 1}, &E);
    T.RefuseOver = true;
    E = DROPEFFECT_MOVE;
    T.DragOver(MK_LBUTTON, POINTL{1, 1}, &E);
    EXPECT_EQ(E, DROPEFFECT_NONE);
    T.Release();
}

TEST(DragDrop, HostileBlocksReadAsAbsentOrCut)
{
    struct Case {
        const char* What;
        UINT Format;
        std::vector<std::uint8_t> Block;
        const char* Expect;
    } Cases[] = {
        {"cell count past the block", CF_GridCells(), {200, 0, 0, 0, 'a'}, "none"},
        {"cell count of 4 GB", CF_GridCells(), {0xFF, 0xFF, 0xFF, 0xFF}, "none"},
        {"cell block shorter than its count field", CF_GridCells(), {1, 0}, "none"},
        {"column of 2 bytes", CF_GridColumn(), {1, 0}, "-1"},
        {"text without NUL", CF_TEXT, {'a', 'b'}, "ab"},
        {"files: offset past the block", CF_HDROP, DropFilesBlock({u"/a"}, true, 200), ""},
        {"files: no terminating empty name", CF_HDROP, DropFilesBlock({u"/a", u"/b"}, false), "/a|/b|"},
        {"files: name cut by the block's end",
         CF_HDROP,
         {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'a', 0, 'b'},
         ""},
        {"files: header cut", CF_HDROP, {20, 0, 0}, ""},
    };
    for (const Case& C : Cases) {
        // The bytes as a foreign program's block, seen through our own reader only.
        OlePtr<IDataObject> D(CreateDataObject());
        SetDataBytes(D.get(), C.Format, C.Block.data(), C.Block.size());
        TEnumFormats R(D.get());
        AnsiString Got;
        if (C.Format == CF_GridCells()) {
            auto S = R.Stream();
            Got = S ? AnsiString(static_cast<const char*>(S->Memory()), std::size_t(S->Size())) : "none";
        } else if (C.Format == CF_GridColumn()) {
            Got = std::to_string(R.Col());
        } else if (C.Format == CF_TEXT) {
            Got = R.Text();
        } else {
            TStringList L;
            if (R.HasFile())
                R.SomeFiles(&L);
            for (Integer I = 0; I < L.Count(); ++I)
                Got += L.Strings(I) + "|";
        }
        EXPECT_EQ(Got, C.Expect) << C.What;
    }
}

TEST(DragDrop, SourceDataObjectAndItsEnumerator)
{
    TMemoryStream Cells;
    Cells.Write("TPF0", 4);
    Cells.SetPosition(2); // the block takes the whole stream whatever its position
    OlePtr<IDataObject> Text(new TSourceDataObject("獎", "", -1, &Cells));
    EXPECT_EQ(GetDataBytes(Text.get(), CF_TEXT), Bytes(std::string("獎\0", 4)));
    EXPECT_EQ(GetDataBytes(Text.get(), CF_UNICODETEXT), (std::vector<std::uint8_t>{0x4E, 0x73, 0, 0}));
    EXPECT_EQ(GetDataBytes(Text.get(), CF_GridCells()),
              (std::vector<std::uint8_t>{4, 0, 0, 0, 'T', 'P', 'F', '0'}));
    FORMATETC F;
    F.cfFormat = CF_TEXT;
    F.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
    EXPECT_EQ(Text->QueryGetData(&F), DV_E_FORMATETC);

    OlePtr<IDataObject> Col(new TSourceDataObject("", "", 3, nullptr));
    for (UINT Format :
         {UINT(CF_TEXT), UINT(CF_UNICODETEXT), CF_RTFFormat(), CF_GridCells(), CF_GridColumn()}) {
        FORMATETC Q;
        Q.cfFormat = Format;
        EXPECT_EQ(Col->QueryGetData(&Q), Format == CF_GridColumn() ? S_OK : DV_E_FORMATETC) << Format;
    }
    EXPECT_EQ(GetDataBytes(Col.get(), CF_GridColumn()), (std::vector<std::uint8_t>{3, 0, 0, 0}));

    OlePtr<IDataObject> All(new TSourceDataObject("t", "", 2, &Cells));
    OlePtr<IEnumFORMATETC> E;
    ASSERT_EQ(All->EnumFormatEtc(DATADIR_GET, E.out()), S_OK);
    FORMATETC List[5];
    ULONG Fetched = 0;
    EXPECT_EQ(E->Next(5, List, &Fetched), S_OK);
    EXPECT_EQ(Fetched, 5u);
    EXPECT_EQ(List[3].cfFormat, CF_GridColumn());
    EXPECT_EQ(List[4].cfFormat, CF_GridCells());
    OlePtr<IDataObject> Plain(new TSourceDataObject("t", "", -1, nullptr));
    ASSERT_EQ(Plain->EnumFormatEtc(DATADIR_GET, E.out()), S_OK);
    EXPECT_EQ(E->Next(5, List, &Fetched), S_FALSE);
    EXPECT_EQ(Fetched, 3u);
    EXPECT_EQ(E->Skip(1), S_FALSE);
    EXPECT_EQ(Plain->EnumFormatEtc(DATADIR_SET, E.out()), E_NOTIMPL);
}

class DragBetweenWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        OleInitialize(nullptr);
        From = New<TForm>(Application);
        From->SetBounds(20, 20, 200, 150);
        To = New<TForm>(Application);
        To->SetBounds(300, 20, 200, 150);
        From->Show();
        To->Show();
        uitest::PumpUntilIdle();
        Target = new TRecordingDropTarget;
        ASSERT_EQ(RegisterDragDrop(To->Handle(), Target), S_OK);
    }
    void TearDown() override
    {
        uitest::EndDragScript();
        RevokeDragDrop(To->Handle());
        Target->Release();
        From->Free();
        To->Free();
        OleUninitialize();
    }
    // Presses in the source window and drags along the steps.
    template <class Start> HRESULT Drag(std::vector<DragStep> Steps, Start Run)
    {
        uitest::ScriptDrag(std::move(Steps));
        uitest::MouseDown(From->Handle(), 30, 30);
        return Run();
    }

    TForm* From = nullptr;
    TForm* To = nullptr;
    TRecordingDropTarget* Target = nullptr;
};

TEST_F(DragBetweenWindows, TextAndCellStreamTravelAndEscCancels)
{
    TRecordingDropSource Source;
    DWORD Effect = 0;
    HRESULT R = Drag(
        {{From->Handle(), 60, 40}, {To->Handle(), 50, 50}, {To->Handle(), 60, 60, 0, DragAction::Release}},
        [&] { return StartTextDoDragDrop(&Source, "prize 獎", "", nullptr, 3, Effect); });
    EXPECT_EQ(R, DRAGDROP_S_DROP);
    EXPECT_EQ(Effect, DROPEFFECT_MOVE);
    EXPECT_EQ(Source.Stops, 1);
    EXPECT_EQ(Target->Calls, (std::vector<AnsiString>{"text:prize 獎"}));

    // A cell stream, copied with Ctrl.
    Target->Calls.clear();
    TMemoryStream Cells;
    Cells.Write("\x01\x02"
                "cell",
                6);
    R = Drag(
        {{To->Handle(), 50, 50, uitest::ksCtrl}, {To->Handle(), 60, 60, uitest::ksCtrl, DragAction::Release}},
        [&] { return StartTextDoDragDrop(&Source, "cell", "", &Cells, 3, Effect); });
    EXPECT_EQ(R, DRAGDROP_S_DROP);
    EXPECT_EQ(Effect, DROPEFFECT_COPY);
    EXPECT_EQ(Target->Calls, (std::vector<AnsiString>{AnsiString("cells:\x01\x02"
                                                                 "cell",
                                                                 12)}));

    // Esc: cancelled, without DragDropStop.
    Target->Calls.clear();
    Source.Stops = 0;
    R = Drag({{To->Handle(), 50, 50}, {To->Handle(), 60, 60, 0, DragAction::Escape}},
             [&] { return StartTextDoDragDrop(&Source, "x", "", nullptr, 3, Effect); });
    EXPECT_EQ(R, DRAGDROP_S_CANCEL);
    EXPECT_EQ(Source.Stops, 0);
    EXPECT_TRUE(Target->Calls.empty());

    // Released over a window that refuses: cancelled.
    Target->RefuseOver = true;
    R = Drag({{To->Handle(), 50, 50}, {To->Handle(), 60, 60, 0, DragAction::Release}},
             [&] { return StartColDoDragDrop(&Source, 4, 3, Effect); });
    EXPECT_EQ(R, DRAGDROP_S_CANCEL);
    EXPECT_TRUE(Source.TargetRefused);
    EXPECT_TRUE(Target->Calls.empty());
}

} // namespace
