#include "platform/testing/DragScript.h"
#include "platform/testing/Harness.h"
#include "platform/win/Ole.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace std::string_literals;

using uitest::DragAction;
using uitest::DragStep;

namespace {

// A drop target that answers copy with Ctrl and move otherwise (or nothing when refusing), and
// keeps what it was told and what a drop brought.
class TRecordingTarget final : public IDropTarget {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++Refs; }
    ULONG Release() override { return --Refs; } // lives on the test's stack

    HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) override
    {
        Calls += "enter ";
        Data = OlePtr<IDataObject>::Share(data);
        *effect = Answer(keys, *effect);
        return S_OK;
    }
    HRESULT DragOver(DWORD keys, POINTL, DWORD* effect) override
    {
        if (Calls.size() < 6 || Calls.compare(Calls.size() - 5, 5, "over ") != 0)
            Calls += "over ";
        *effect = Answer(keys, *effect);
        return S_OK;
    }
    HRESULT DragLeave() override
    {
        Calls += "leave ";
        Data = OlePtr<IDataObject>();
        return S_OK;
    }
    HRESULT Drop(IDataObject* data, DWORD keys, POINTL, DWORD* effect) override
    {
        Calls += "drop ";
        std::vector<std::uint8_t> t = GetDataBytes(data, CF_TEXT);
        Text = t.empty() ? "" : reinterpret_cast<const char*>(t.data());
        Cells = GetDataBytes(data, RegisterClipboardFormat("TDidAririzEvar Cells"));
        *effect = Answer(keys, *effect);
        Data = OlePtr<IDataObject>();
        return S_OK;
    }

    DWORD Answer(DWORD keys, DWORD allowed) const
    {
        if (Refuse)
            return DROPEFFECT_NONE;
        return (keys & MK_CONTROL) ? DROPEFFECT_COPY : (allowed & DROPEFFECT_MOVE);
    }

    ULONG Refs = 0;
    bool Refuse = false;
    std::string Calls;
    std::string Text;
    std::vector<std::uint8_t> Cells;
    OlePtr<IDataObject> Data;
};

// Drops when the left button is let go, cancels on Esc; keeps the feedback it was given.
class TTestSource final : public IDropSource {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT QueryContinueDrag(BOOL escape, DWORD keys) override
    {
        if (escape)
            return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT GiveFeedback(DWORD effect) override
    {
        Feedback.push_back(effect);
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
    std::vector<DWORD> Feedback;
};

class OleDragDrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        WNDCLASS wc{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = "DropTestWindow";
        RegisterClass(&wc);
        A = Make(20, "A");
        B = Make(300, "B");
        C = Make(580, "C");
        // A child of B: drops over it reach B's target.
        BChild = CreateWindowEx(0, "DropTestWindow", "", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, B, nullptr,
                                nullptr, nullptr);
        OleInitialize(nullptr);
        ASSERT_EQ(RegisterDragDrop(A, &TargetA), S_OK);
        ASSERT_EQ(RegisterDragDrop(B, &TargetB), S_OK);
        Data = OlePtr<IDataObject>(CreateDataObject());
        const char text[] = "prize 獎";
        SetDataBytes(Data.get(), CF_TEXT, text, sizeof text);
        const std::uint8_t cells[] = {4, 0, 0, 0, 'T', 'P', 'F', '0'};
        SetDataBytes(Data.get(), RegisterClipboardFormat("TDidAririzEvar Cells"), cells, sizeof cells);
    }
    void TearDown() override
    {
        uitest::EndDragScript();
        Data = OlePtr<IDataObject>();
        OleUninitialize();
        for (HWND h : {A, B, C})
            DestroyWindow(h);
        EXPECT_EQ(TargetA.Refs, 0u) << "destroying the window lets go of its target";
        EXPECT_EQ(TargetB.Refs, 0u);
    }
    HWND Make(int x, const char* title)
    {
        HWND h = CreateWindowEx(0, "DropTestWindow", title, WS_POPUP | WS_VISIBLE, x, 100, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
        return h;
    }
    // Presses in A and runs the drag with the steps.
    HRESULT DragFromA(std::vector<DragStep> steps, DWORD ok, DWORD* effect)
    {
        uitest::ScriptDrag(std::move(steps));
        POINT p = uitest::ToScreen(A, 30, 30);
        InputMouseMove(p);
        InputMouseButton(p, 0, true);
        uitest::PumpUntilIdle(); // as a press handler would have
        return DoDragDrop(Data.get(), &Source, ok, effect);
    }

    HWND A = nullptr, B = nullptr, C = nullptr, BChild = nullptr;
    TRecordingTarget TargetA, TargetB;
    TTestSource Source;
    OlePtr<IDataObject> Data;
};

} // namespace

TEST_F(OleDragDrop, TextAndTheProjectFormatTravelBetweenTwoWindowsWithTheRightEffect)
{
    struct Case {
        const char* What;
        unsigned ShiftAtRelease;
        bool Refuse;
        DragAction End;
        HRESULT Result;
        DWORD Effect;
        const char* CallsOfB;
    };
    const Case cases[] = {
        {"move", 0, false, DragAction::Release, DRAGDROP_S_DROP, DROPEFFECT_MOVE, "enter over drop "},
        {"copy with Ctrl", uitest::ksCtrl, false, DragAction::Release, DRAGDROP_S_DROP, DROPEFFECT_COPY,
         "enter over drop "},
        {"refused", 0, true, DragAction::Release, DRAGDROP_S_CANCEL, DROPEFFECT_NONE, "enter over leave "},
        {"Esc", 0, false, DragAction::Escape, DRAGDROP_S_CANCEL, DROPEFFECT_NONE, "enter over leave "},
    };
    for (const Case& c : cases) {
        TargetA.Calls.clear();
        TargetB.Calls.clear();
        TargetB.Text.clear();
        TargetB.Refuse = c.Refuse;
        Source.Feedback.clear();
        DWORD effect = 0xFF;
        HRESULT hr =
            DragFromA({{A, 60, 40}, {B, 100, 100}, {BChild, 20, 20}, {B, 120, 110, c.ShiftAtRelease, c.End}},
                      DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
        EXPECT_EQ(hr, c.Result) << c.What;
        EXPECT_EQ(effect, c.Effect) << c.What;
        EXPECT_EQ(TargetA.Calls, "enter over leave ") << c.What;
        EXPECT_EQ(TargetB.Calls, c.CallsOfB) << c.What << " (the child's moves stay with B)";
        if (c.Result == DRAGDROP_S_DROP) {
            EXPECT_EQ(TargetB.Text, "prize 獎") << c.What;
            EXPECT_EQ(TargetB.Cells.size(), 8u) << c.What;
        }
        ASSERT_FALSE(Source.Feedback.empty());
        EXPECT_EQ(Source.Feedback.front(), c.Refuse ? DROPEFFECT_MOVE : DROPEFFECT_MOVE) << "A answers move";
        EXPECT_EQ(GetCapture(), nullptr) << c.What;
        uitest::EndDragScript();
        uitest::PumpUntilIdle();
    }
}

TEST_F(OleDragDrop, DropsElsewhereCancelAndEffectsStayWithinWhatTheSourceAllows)
{
    DWORD effect = 0xFF;
    // Released over a window that has no target.
    EXPECT_EQ(DragFromA({{C, 50, 50}, {C, 60, 60, 0, DragAction::Release}}, DROPEFFECT_COPY | DROPEFFECT_MOVE,
                        &effect),
              DRAGDROP_S_CANCEL);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    uitest::PumpUntilIdle();

    // The source allows copy only: B's move answer is masked to nothing and the drop cancels.
    EXPECT_EQ(DragFromA({{B, 50, 50}, {B, 60, 60, 0, DragAction::Release}}, DROPEFFECT_COPY, &effect),
              DRAGDROP_S_CANCEL);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(TargetB.Calls, "enter over leave ");
    uitest::PumpUntilIdle();

    // A script that ends while the button is still down cancels instead of waiting.
    TargetB.Calls.clear();
    EXPECT_EQ(DragFromA({{B, 50, 50}}, DROPEFFECT_MOVE, &effect), DRAGDROP_S_CANCEL);
    EXPECT_EQ(TargetB.Calls, "enter leave ");
    EXPECT_EQ(DoDragDrop(nullptr, &Source, DROPEFFECT_COPY, &effect), E_INVALIDARG);
}

TEST_F(OleDragDrop, RegistrationIsOnePerWindow)
{
    TRecordingTarget other;
    EXPECT_EQ(RegisterDragDrop(A, &other), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(RevokeDragDrop(C), DRAGDROP_E_NOTREGISTERED);
    EXPECT_EQ(RegisterDragDrop(nullptr, &other), DRAGDROP_E_INVALIDHWND);
    EXPECT_EQ(RegisterDragDrop(C, &other), S_OK);
    EXPECT_EQ(other.Refs, 1u);
    EXPECT_EQ(RevokeDragDrop(C), S_OK);
    EXPECT_EQ(other.Refs, 0u);
    HWND found = nullptr;
    EXPECT_EQ(FindDropTarget(BChild, &found), &TargetB);
    EXPECT_EQ(found, B);
}

// Drags of other programs come through the desktop backend's reports; their data is untrusted.
TEST_F(OleDragDrop, DragsOfOtherProgramsReachTheTargetWithCheckedData)
{
    ClipboardFormats offered;
    offered[CF_TEXT] = {'a', 'b', 0, 'X', 'X'}; // cut at the terminator
    DesktopDrag d;
    d.Window = B;
    d.Screen = uitest::ToScreen(B, 100, 100);
    d.OkEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    d.Data = &offered;
    EXPECT_EQ(CallDesktopDropHandler(d), DROPEFFECT_MOVE);
    d.KeyState = MK_CONTROL;
    EXPECT_EQ(CallDesktopDropHandler(d), DROPEFFECT_COPY);
    d.Phase = DesktopDragPhase::Drop;
    EXPECT_EQ(CallDesktopDropHandler(d), DROPEFFECT_COPY);
    EXPECT_EQ(TargetB.Calls, "enter over drop ");
    EXPECT_EQ(TargetB.Text, "ab");

    // Moving on to another window leaves the first.
    TargetA.Calls.clear();
    TargetB.Calls.clear();
    d.Phase = DesktopDragPhase::Over;
    d.Screen = uitest::ToScreen(A, 10, 10);
    CallDesktopDropHandler(d);
    d.Screen = uitest::ToScreen(B, 10, 10);
    CallDesktopDropHandler(d);
    d.Phase = DesktopDragPhase::Leave;
    CallDesktopDropHandler(d);
    EXPECT_EQ(TargetA.Calls, "enter leave ");
    EXPECT_EQ(TargetB.Calls, "enter leave ");
}

TEST(ForeignData, BlocksAreCutAtTheirEndsAndMalformedFileListsDropped)
{
    auto dropFiles = [](DWORD offset, const std::u16string& names) {
        std::vector<std::uint8_t> b(sizeof(DROPFILES) + names.size() * 2);
        DROPFILES h{offset, {0, 0}, 0, 1};
        std::memcpy(b.data(), &h, sizeof h);
        std::memcpy(b.data() + sizeof h, names.data(), names.size() * 2);
        return b;
    };
    const UINT rtf = RegisterClipboardFormat("Rich Text Format");
    struct Case {
        const char* What;
        UINT Format;
        std::vector<std::uint8_t> In;
        std::vector<std::uint8_t> Out; // empty: absent
    };
    const Case cases[] = {
        {"text without terminator", CF_TEXT, {'h', 'i'}, {'h', 'i', 0}},
        {"text with junk after the end", CF_TEXT, {'h', 0, 'x'}, {'h', 0}},
        {"odd UTF-16", CF_UNICODETEXT, {'h', 0, 'i'}, {'h', 0, 0, 0}},
        {"RTF", rtf, {'{', '}', 0, 1, 2}, {'{', '}', 0}},
        {"file list", CF_HDROP, dropFiles(20, u"a\0b\0\0"s), dropFiles(20, u"a\0b\0\0"s)},
        {"file list without its end", CF_HDROP, dropFiles(20, u"a\0bc"s), dropFiles(20, u"a\0\0"s)},
        {"names outside the block", CF_HDROP, dropFiles(4000, u"a\0\0"s), {}},
        {"names inside the header", CF_HDROP, dropFiles(8, u"a\0\0"s), {}},
        {"header cut", CF_HDROP, {1, 2, 3}, {}},
    };
    for (const Case& c : cases) {
        ClipboardFormats f;
        f[c.Format] = c.In;
        OlePtr<IDataObject> d(ForeignDataObject(f));
        EXPECT_EQ(GetDataBytes(d.get(), c.Format), c.Out) << c.What;
        FORMATETC fe;
        fe.cfFormat = c.Format;
        fe.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
        EXPECT_EQ(d->QueryGetData(&fe), c.Out.empty() ? DV_E_FORMATETC : S_OK) << c.What;
    }
}

TEST(DataObjects, EnumeratorsListTheFormatsInOrder)
{
    OlePtr<IDataObject> d(CreateDataObject());
    for (UINT f : {UINT(CF_TEXT), UINT(CF_UNICODETEXT), UINT(0xC123)})
        SetDataBytes(d.get(), f, "x", 1);
    OlePtr<IEnumFORMATETC> e;
    ASSERT_EQ(d->EnumFormatEtc(DATADIR_GET, e.out()), S_OK);
    FORMATETC got[5];
    ULONG n = 0;
    EXPECT_EQ(e->Next(5, got, &n), S_FALSE);
    ASSERT_EQ(n, 3u);
    EXPECT_EQ(got[2].cfFormat, 0xC123u);
    e->Reset();
    EXPECT_EQ(e->Next(2, got, &n), S_OK);
    OlePtr<IEnumFORMATETC> clone;
    ASSERT_EQ(e->Clone(clone.out()), S_OK);
    EXPECT_EQ(clone->Next(1, got, &n), S_OK);
    EXPECT_EQ(got[0].cfFormat, 0xC123u);
    IEnumFORMATETC* none = nullptr;
    EXPECT_EQ(d->EnumFormatEtc(DATADIR_SET, &none), E_NOTIMPL);
    EXPECT_EQ(d->DAdvise(nullptr, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);
}
