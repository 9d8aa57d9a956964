// The modal drag loop of DoDragDrop.

#include "platform/rtl/Guards.h"
#include "platform/win/Ole.h"

#include "platform/win/Windows.h"

#include <cstring>
#include <exception>
#include <string>

namespace {

DragScript& Script()
{
    static DragScript script;
    return script;
}

constexpr const char* TrackerClass = "PlatformDragTracker";
// While the pointer rests, targets are asked again now and then (they scroll on it).
constexpr UINT RestTimer = 1;
constexpr UINT RestMs = 50;

HWND MakeTracker()
{
    // Asked each time: tests start the window layer afresh, classes included.
    WNDCLASS wc{};
    if (!GetClassInfo(nullptr, TrackerClass, &wc)) {
        wc = WNDCLASS{};
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = TrackerClass;
        RegisterClass(&wc);
    }
    return CreateWindowEx(0, TrackerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

DWORD AsyncKeys()
{
    DWORD k = 0;
    auto down = [](int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; };
    if (down(VK_LBUTTON))
        k |= MK_LBUTTON;
    if (down(VK_RBUTTON))
        k |= MK_RBUTTON;
    if (down(VK_MBUTTON))
        k |= MK_MBUTTON;
    if (down(VK_SHIFT))
        k |= MK_SHIFT;
    if (down(VK_CONTROL))
        k |= MK_CONTROL;
    if (down(VK_MENU))
        k |= MK_ALT;
    return k;
}

bool IsMouseMessage(UINT m)
{
    return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST;
}

class DragLoop {
public:
    DragLoop(IDataObject* data, IDropSource* source, DWORD ok) : Data(data), Source(source), Ok(ok) {}

    HRESULT Run(DWORD* effect)
    {
        Tracker = MakeTracker();
        PrevCapture = GetCapture();
        SetCapture(Tracker);
        SetTimer(Tracker, RestTimer, RestMs, nullptr);
        // The drag ends with what threw; targets are left cleanly first.
        TScopeExit Abandon([this, effect] {
            LeaveTarget();
            Cleanup();
            *effect = DROPEFFECT_NONE;
        });
        GetCursorPos(&Pt);
        Keys = AsyncKeys();
        HRESULT result = Loop(effect);
        Abandon.Dismiss();
        Cleanup();
        return result;
    }

private:
    HRESULT Loop(DWORD* effect)
    {
        bool escape = false;
        for (;;) {
            HRESULT hr = Source->QueryContinueDrag(escape, Keys);
            if (hr == DRAGDROP_S_DROP)
                return Drop(effect);
            if (hr != S_OK) {
                LeaveTarget();
                return DRAGDROP_S_CANCEL;
            }
            if (!Over(effect, hr))
                return hr;
            escape = false;
            if (!NextInput(escape)) {
                LeaveTarget();
                return DRAGDROP_S_CANCEL;
            }
        }
    }

    // Follows the pointer; false when the drag has ended through the desktop (hr set).
    bool Over(DWORD* effect, HRESULT& hr)
    {
        HWND window = nullptr;
        HWND under = WindowFromPoint(Pt);
        IDropTarget* target = FindDropTarget(under, &window);
        if (!under && HandToDesktop()) {
            LeaveTarget();
            ReleaseCapture();
            ClipboardFormats formats = DataObjectFormats(Data);
            DWORD took = Backend().DragToDesktop(formats, Ok) & Ok;
            *effect = took;
            hr = took ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
            return false;
        }
        DWORD eff = Ok;
        if (window != Window) {
            LeaveTarget();
            Window = window;
            Target = OlePtr<IDropTarget>::Share(target);
            if (Target && FAILED(Target->DragEnter(Data, Keys, Pt, &eff)))
                eff = DROPEFFECT_NONE;
        } else if (Target) {
            if (FAILED(Target->DragOver(Keys, Pt, &eff)))
                eff = DROPEFFECT_NONE;
        }
        Effect = Target ? (eff & Ok) : DROPEFFECT_NONE;
        if (Source->GiveFeedback(Effect) == DRAGDROP_S_USEDEFAULTCURSORS)
            SetCursor(DragCursorFor(Effect));
        return true;
    }

    // Only the desktop has other programs to hand a drag to, and only while the button is down.
    bool HandToDesktop() const
    {
        return std::strcmp(Backend().Name(), "headless") != 0 && (Keys & (MK_LBUTTON | MK_RBUTTON));
    }

    HRESULT Drop(DWORD* effect)
    {
        if (!Target || Effect == DROPEFFECT_NONE) {
            LeaveTarget();
            *effect = DROPEFFECT_NONE;
            return DRAGDROP_S_CANCEL;
        }
        OlePtr<IDropTarget> t = Target;
        Target = OlePtr<IDropTarget>();
        Window = nullptr;
        DWORD eff = Ok;
        if (FAILED(t->Drop(Data, Keys, Pt, &eff)))
            eff = DROPEFFECT_NONE;
        *effect = eff & Ok;
        return DRAGDROP_S_DROP;
    }

    void LeaveTarget()
    {
        if (Target) {
            OlePtr<IDropTarget> t = Target;
            Target = OlePtr<IDropTarget>();
            Window = nullptr;
            t->DragLeave();
        }
    }

    // Waits for the next change of pointer or keys; other messages are dispatched meanwhile.
    // False when nothing more can come (a script that has ended, or the program quitting).
    bool NextInput(bool& escape)
    {
        for (;;) {
            MSG m;
            if (!PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (Backend().IsVirtualClock()) {
                    if (!Script() || !Script()())
                        return false;
                } else {
                    WaitMessage();
                }
                continue;
            }
            if (m.message == WM_QUIT) {
                PostQuitMessage(int(m.wParam));
                return false;
            }
            if (IsMouseMessage(m.message)) {
                Pt = m.pt;
                Keys = (DWORD(m.wParam) & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL)) |
                       (AsyncKeys() & MK_ALT);
                return true;
            }
            if (m.message == WM_KEYDOWN || m.message == WM_KEYUP || m.message == WM_SYSKEYDOWN ||
                m.message == WM_SYSKEYUP) {
                escape = m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE;
                Keys = (Keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) |
                       (AsyncKeys() & (MK_SHIFT | MK_CONTROL | MK_ALT));
                return true;
            }
            if (m.message == WM_CHAR || m.message == WM_SYSCHAR)
                continue;
            if (m.message == WM_TIMER && m.hwnd == Tracker)
                return true;
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    }

    void Cleanup()
    {
        KillTimer(Tracker, RestTimer);
        if (GetCapture() == Tracker)
            ReleaseCapture();
        DestroyWindow(Tracker);
        if (PrevCapture && IsWindow(PrevCapture) && !GetCapture())
            SetCapture(PrevCapture);
        SetCursor(LoadCursor(nullptr, reinterpret_cast<const char*>(std::uintptr_t(IDC_ARROW))));
    }

    IDataObject* Data;
    IDropSource* Source;
    DWORD Ok;
    HWND Tracker = nullptr;
    HWND PrevCapture = nullptr;
    POINT Pt{};
    DWORD Keys = 0;
    HWND Window = nullptr;
    OlePtr<IDropTarget> Target;
    DWORD Effect = DROPEFFECT_NONE;
};

} // namespace

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect)
{
    if (!data || !source || !effect)
        return E_INVALIDARG;
    *effect = DROPEFFECT_NONE;
    OlePtr<IDataObject> keepData = OlePtr<IDataObject>::Share(data);
    OlePtr<IDropSource> keepSource = OlePtr<IDropSource>::Share(source);
    DragLoop loop(data, source, okEffects);
    return loop.Run(effect);
}

void SetDragScript(DragScript script)
{
    Script() = std::move(script);
}

HCURSOR DragCursorFor(DWORD effect)
{
    auto id = effect == DROPEFFECT_NONE ? IDC_NO : IDC_ARROW;
    return LoadCursor(nullptr, reinterpret_cast<const char*>(std::uintptr_t(id)));
}
