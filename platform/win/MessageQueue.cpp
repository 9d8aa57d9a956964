// The message queue of the user-interface thread: sent and posted messages, retrieval in the
// system's order (sent from other threads, posted and input in FIFO order, quit, paint,
// timers), dispatch, timers, registered message names and the tick clock.

#include "platform/win/MMSystem.h"
#include "platform/win/WindowInternal.h"

#include "platform/rtl/Threads.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <future>
#include <set>

using namespace winlayer;

namespace {

struct QueuedMessage {
    MSG Msg;
    bool Input = false;
};

// A SendMessage from another thread, waiting for the user-interface thread.
struct CrossThreadSend {
    HWND Hwnd;
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    bool Unicode;
    std::promise<LRESULT> Result;
};

struct Timer {
    HWND Hwnd;
    UINT_PTR Id;
    UINT Elapse;
    TIMERPROC Proc;
    std::uint64_t Due;
};

// Shared with other threads: guarded by QueueMutex.
std::mutex QueueMutex;
std::deque<QueuedMessage> Posted;
std::deque<CrossThreadSend*> Sent;
std::set<std::uintptr_t> Alive;
std::uintptr_t NextHandle = 0x10000;
bool QuitPosted = false;
int QuitCode = 0;
std::atomic<bool> SyncPending{false};
std::once_flag DispatcherInstalled;

// The user-interface thread's own state.
std::vector<Timer> Timers;
UINT_PTR NextThreadTimer = 1;
DWORD CurrentTime = 0;
POINT CurrentPos{};
int CrossSendDepth = 0;

bool OnUiThread()
{
    // Asked on every message sent: the thread id is a system call, so each thread asks once.
    thread_local const bool ui = GetCurrentThreadId() == MainThreadID;
    return ui;
}

void InstallDispatcher()
{
    std::call_once(DispatcherInstalled, [] {
        SetMainThreadDispatcher([] {
            SyncPending = true;
            Backend().Wake();
        });
    });
}

bool InFilter(const MSG& m, HWND hwnd, UINT lo, UINT hi)
{
    if (hwnd && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd))
        return false;
    if (lo == 0 && hi == 0)
        return true;
    return m.message >= lo && m.message <= hi;
}

// Text messages cross between the character sets of the sender and of the procedure.
LRESULT Deliver(Window* w, UINT msg, WPARAM wParam, LPARAM lParam, bool unicodeCaller)
{
    if (unicodeCaller == w->Unicode || (msg != WM_SETTEXT && msg != WM_GETTEXT && msg != WM_GETTEXTLENGTH))
        return CallProc(w, msg, wParam, lParam);
    HWND h = w->Handle;
    // The window's text in its own character set, read through its procedure.
    auto readText = [&](Window* win) -> std::pair<std::string, std::u16string> {
        LRESULT len = CallProc(win, WM_GETTEXTLENGTH, 0, 0);
        len = std::clamp<LRESULT>(len, 0, 1 << 24);
        if (!(win = W(h)))
            return {};
        if (win->Unicode) {
            std::u16string buf(std::size_t(len) + 1, u'\0');
            LRESULT got = CallProc(win, WM_GETTEXT, WPARAM(buf.size()), reinterpret_cast<LPARAM>(buf.data()));
            buf.resize(std::size_t(std::clamp<LRESULT>(got, 0, len)));
            return {ToUtf8(buf), buf};
        }
        std::string buf(std::size_t(len) + 1, '\0');
        LRESULT got = CallProc(win, WM_GETTEXT, WPARAM(buf.size()), reinterpret_cast<LPARAM>(buf.data()));
        buf.resize(std::size_t(std::clamp<LRESULT>(got, 0, len)));
        return {buf, ToUtf16(buf)};
    };
    switch (msg) {
    case WM_SETTEXT: {
        if (!lParam)
            return CallProc(w, msg, wParam, lParam);
        if (unicodeCaller) {
            std::string s = ToUtf8(reinterpret_cast<const char16_t*>(lParam));
            return CallProc(w, msg, wParam, reinterpret_cast<LPARAM>(s.c_str()));
        }
        std::u16string s = ToUtf16(reinterpret_cast<const char*>(lParam));
        return CallProc(w, msg, wParam, reinterpret_cast<LPARAM>(s.c_str()));
    }
    case WM_GETTEXTLENGTH: {
        auto [a, u] = readText(w);
        return unicodeCaller ? LRESULT(u.size()) : LRESULT(a.size());
    }
    default: { // WM_GETTEXT
        if (!lParam || wParam == 0)
            return 0;
        auto [a, u] = readText(w);
        if (unicodeCaller) {
            std::size_t n = std::min<std::size_t>(u.size(), wParam - 1);
            std::memcpy(reinterpret_cast<char16_t*>(lParam), u.data(), n * sizeof(char16_t));
            reinterpret_cast<char16_t*>(lParam)[n] = 0;
            return LRESULT(n);
        }
        std::size_t n = std::min<std::size_t>(a.size(), wParam - 1);
        // Never cut a character in two.
        while (n > 0 && n < a.size() && (static_cast<unsigned char>(a[n]) & 0xC0) == 0x80)
            --n;
        std::memcpy(reinterpret_cast<char*>(lParam), a.data(), n);
        reinterpret_cast<char*>(lParam)[n] = 0;
        return LRESULT(n);
    }
    }
}

LRESULT SendOnUiThread(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool unicode)
{
    if (hwnd == HWND_BROADCAST) {
        std::vector<HWND> tops;
        for (Window* t : Desktop()->Children)
            tops.push_back(t->Handle);
        for (HWND t : tops)
            if (Window* w = W(t))
                Deliver(w, msg, wParam, lParam, unicode);
        return 0;
    }
    Window* w = W(hwnd);
    return w ? Deliver(w, msg, wParam, lParam, unicode) : 0;
}

LRESULT SendFromOtherThread(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool unicode)
{
    CrossThreadSend s{hwnd, msg, wParam, lParam, unicode, {}};
    std::future<LRESULT> result = s.Result.get_future();
    {
        std::lock_guard<std::mutex> lock(QueueMutex);
        if (hwnd != HWND_BROADCAST && !Alive.count(reinterpret_cast<std::uintptr_t>(hwnd)))
            return 0;
        Sent.push_back(&s);
    }
    Backend().Wake();
    return result.get();
}

void RunCrossThreadSends()
{
    for (;;) {
        CrossThreadSend* s = nullptr;
        {
            std::lock_guard<std::mutex> lock(QueueMutex);
            if (Sent.empty())
                return;
            s = Sent.front();
            Sent.pop_front();
        }
        ++CrossSendDepth;
        try {
            s->Result.set_value(SendOnUiThread(s->Hwnd, s->Msg, s->WParam, s->LParam, s->Unicode));
        } catch (...) {
            // Raised again on the sending thread, which waits for this answer.
            s->Result.set_exception(std::current_exception());
        }
        --CrossSendDepth;
    }
}

const Timer* DueTimer(HWND hwnd, std::uint64_t now)
{
    const Timer* best = nullptr;
    for (const Timer& t : Timers) {
        if (t.Due > now)
            continue;
        if (hwnd && t.Hwnd != hwnd && !IsChild(hwnd, t.Hwnd))
            continue;
        if (!best || t.Due < best->Due)
            best = &t;
    }
    return best;
}

bool Retrieve(MSG* out, HWND hwnd, UINT lo, UINT hi, UINT remove)
{
    InstallDispatcher();
    RunCrossThreadSends();
    if (SyncPending.exchange(false))
        CheckSynchronize();
    if (Backend().IsVirtualClock())
        RunDueMultimediaTimers(Backend().Now());

    bool found = false;
    QueuedMessage got;
    {
        std::lock_guard<std::mutex> lock(QueueMutex);
        for (auto it = Posted.begin(); it != Posted.end();) {
            // Messages of windows gone since they were posted are dropped here too.
            if (it->Msg.hwnd && !Alive.count(reinterpret_cast<std::uintptr_t>(it->Msg.hwnd))) {
                it = Posted.erase(it);
                continue;
            }
            if (InFilter(it->Msg, hwnd, lo, hi)) {
                got = *it;
                found = true;
                if (remove & PM_REMOVE)
                    Posted.erase(it);
                break;
            }
            ++it;
        }
        if (!found && QuitPosted && (lo == 0 && hi == 0 ? true : (WM_QUIT >= lo && WM_QUIT <= hi))) {
            got.Msg = MSG{};
            got.Msg.message = WM_QUIT;
            got.Msg.wParam = WPARAM(QuitCode);
            found = true;
            if (remove & PM_REMOVE)
                QuitPosted = false;
        }
    }
    if (found) {
        *out = got.Msg;
        if (remove & PM_REMOVE) {
            CurrentTime = got.Msg.time;
            CurrentPos = got.Msg.pt;
            if (got.Input)
                UpdateKeyStateForMessage(got.Msg);
        }
        return true;
    }
    // Nothing posted: windows needing paint, then due timers.
    if (lo == 0 && hi == 0 ? true : (WM_PAINT >= lo && WM_PAINT <= hi)) {
        Window* p = NextWindowToPaint();
        if (p && (!hwnd || p->Handle == hwnd || IsChild(hwnd, p->Handle))) {
            *out = MSG{p->Handle, WM_PAINT, 0, 0, GetTickCount(), CurrentPos};
            return true;
        }
    }
    if (lo == 0 && hi == 0 ? true : (WM_TIMER >= lo && WM_TIMER <= hi)) {
        std::uint64_t now = Backend().Now();
        if (const Timer* t = DueTimer(hwnd, now)) {
            *out = MSG{t->Hwnd, WM_TIMER, t->Id, reinterpret_cast<LPARAM>(t->Proc), DWORD(now), CurrentPos};
            if (remove & PM_REMOVE) {
                // A late timer fires once, not once per missed period.
                for (Timer& x : Timers)
                    if (x.Hwnd == t->Hwnd && x.Id == t->Id)
                        x.Due = now + x.Elapse;
                CurrentTime = DWORD(now);
            }
            return true;
        }
    }
    return false;
}

bool PostInternal(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool input, bool front)
{
    MSG m{hwnd, msg, wParam, lParam, GetTickCount(), {}};
    if (OnUiThread())
        GetCursorPos(&m.pt); // the cursor is the user-interface thread's to read
    {
        std::lock_guard<std::mutex> lock(QueueMutex);
        if (hwnd && !Alive.count(reinterpret_cast<std::uintptr_t>(hwnd)))
            return false;
        if (front)
            Posted.push_front(QueuedMessage{m, input});
        else
            Posted.push_back(QueuedMessage{m, input});
    }
    Backend().Wake();
    return true;
}

std::mutex AtomMutex;
std::vector<std::string> AtomNames; // index + 0xC000

} // namespace

namespace winlayer {

HWND AllocateHandle()
{
    std::lock_guard<std::mutex> lock(QueueMutex);
    NextHandle += 4;
    return reinterpret_cast<HWND>(NextHandle);
}

void MarkAlive(HWND h, bool alive)
{
    std::lock_guard<std::mutex> lock(QueueMutex);
    if (alive)
        Alive.insert(reinterpret_cast<std::uintptr_t>(h));
    else
        Alive.erase(reinterpret_cast<std::uintptr_t>(h));
}

void PurgeMessages(HWND h)
{
    std::lock_guard<std::mutex> lock(QueueMutex);
    Posted.erase(
        std::remove_if(Posted.begin(), Posted.end(), [h](const QueuedMessage& q) { return q.Msg.hwnd == h; }),
        Posted.end());
}

void KillWindowTimers(HWND h)
{
    Timers.erase(std::remove_if(Timers.begin(), Timers.end(), [h](const Timer& t) { return t.Hwnd == h; }),
                 Timers.end());
}

void ResetQueue()
{
    {
        std::lock_guard<std::mutex> lock(QueueMutex);
        Posted.clear();
        QuitPosted = false;
    }
    Timers.clear();
    CurrentTime = 0;
}

DWORD MessageTime()
{
    return CurrentTime;
}

bool PostInputMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return PostInternal(hwnd, msg, wParam, lParam, true, false);
}

UINT RegisterAtom(const std::string& name)
{
    if (name.empty())
        return 0;
    std::lock_guard<std::mutex> lock(AtomMutex);
    for (std::size_t i = 0; i < AtomNames.size(); ++i)
        if (SameText(AtomNames[i], name))
            return UINT(0xC000 + i);
    if (AtomNames.size() >= 0x3FFF)
        return 0;
    AtomNames.push_back(name);
    return UINT(0xC000 + AtomNames.size() - 1);
}

std::string AtomName(UINT atom)
{
    std::lock_guard<std::mutex> lock(AtomMutex);
    if (atom < 0xC000 || atom - 0xC000 >= AtomNames.size())
        return {};
    return AtomNames[atom - 0xC000];
}

} // namespace winlayer

// ---- Sending and posting ----------------------------------------------------------------------

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!OnUiThread())
        return SendFromOtherThread(hwnd, msg, wParam, lParam, false);
    return SendOnUiThread(hwnd, msg, wParam, lParam, false);
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!OnUiThread())
        return SendFromOtherThread(hwnd, msg, wParam, lParam, true);
    return SendOnUiThread(hwnd, msg, wParam, lParam, true);
}

BOOL InSendMessage()
{
    return CrossSendDepth > 0;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (hwnd == HWND_BROADCAST) {
        if (!OnUiThread())
            return FALSE;
        for (Window* t : Desktop()->Children)
            PostInternal(t->Handle, msg, wParam, lParam, false, false);
        return TRUE;
    }
    if (!hwnd)
        return PostInternal(nullptr, msg, wParam, lParam, false, false);
    return PostInternal(hwnd, msg, wParam, lParam, false, false);
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (threadId != MainThreadID)
        return FALSE;
    return PostInternal(nullptr, msg, wParam, lParam, false, false);
}

void PostQuitMessage(int exitCode)
{
    {
        std::lock_guard<std::mutex> lock(QueueMutex);
        QuitPosted = true;
        QuitCode = exitCode;
    }
    Backend().Wake();
}

// ---- Retrieving and dispatching ---------------------------------------------------------------

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg)
{
    MSG m;
    if (!Retrieve(&m, hwnd, filterMin, filterMax, removeMsg))
        return FALSE;
    if (msg)
        *msg = m;
    return TRUE;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    MSG m;
    for (;;) {
        if (Retrieve(&m, hwnd, filterMin, filterMax, PM_REMOVE))
            break;
        WaitMessage();
    }
    if (msg)
        *msg = m;
    return m.message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage()
{
    int timeout = -1;
    std::uint64_t due;
    if (!Backend().IsVirtualClock() && NextTimerDue(&due)) {
        std::uint64_t now = Backend().Now();
        timeout = due <= now ? 0 : int(std::min<std::uint64_t>(due - now, 1 << 30));
    }
    {
        std::lock_guard<std::mutex> lock(QueueMutex);
        if (!Posted.empty() || !Sent.empty() || QuitPosted)
            return TRUE;
    }
    if (NextWindowToPaint() || SyncPending)
        return TRUE;
    Backend().WaitForEvents(timeout);
    return TRUE;
}

bool NextTimerDue(std::uint64_t* due)
{
    // Multimedia timers count on a virtual clock only (MMSystem.h).
    std::uint64_t best = UINT64_MAX;
    bool any = MultimediaTimerDue(&best);
    for (const Timer& t : Timers)
        best = std::min(best, t.Due);
    any = any || !Timers.empty();
    if (any && due)
        *due = best;
    return any;
}

BOOL TranslateMessage(const MSG* msg);

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        // A timer with a callback: the callback runs instead of the window procedure, and only
        // while the timer still exists.
        bool alive = std::any_of(Timers.begin(), Timers.end(), [msg](const Timer& t) {
            return t.Hwnd == msg->hwnd && t.Id == msg->wParam;
        });
        if (alive && (!msg->hwnd || IsWindow(msg->hwnd)))
            reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
        return 0;
    }
    Window* w = W(msg->hwnd);
    if (!w)
        return 0;
    if (msg->message == WM_TIMER) {
        bool alive = std::any_of(Timers.begin(), Timers.end(), [msg](const Timer& t) {
            return t.Hwnd == msg->hwnd && t.Id == msg->wParam;
        });
        if (!alive)
            return 0;
    }
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
        (SystemMenuKey(msg->message, msg->wParam) || NcKeyboardKey(msg->message, msg->wParam))) {
        // The window menu or a keyboard move has the keys while it lasts; the character made
        // from the key that ended it goes with it.
        if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && !SystemMenuOpen() &&
            !NcKeyboardTracking()) {
            MSG translated;
            PeekMessage(&translated, nullptr, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                        msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, PM_REMOVE);
        }
        return 0;
    }
    if ((msg->message == WM_LBUTTONDOWN || msg->message == WM_RBUTTONDOWN || msg->message == WM_MBUTTONDOWN ||
         msg->message == WM_NCLBUTTONDOWN || msg->message == WM_NCRBUTTONDOWN) &&
        SystemMenuOpen())
        CloseSystemMenu(); // a press anywhere closes the window menu
    HWND h = msg->hwnd;
    unsigned served = w->PaintServed;
    LRESULT r = CallProc(w, msg->message, msg->wParam, msg->lParam);
    if (msg->message == WM_PAINT && (w = W(h)) != nullptr && NeedsPaint(w) && w->PaintServed == served) {
        // A procedure that neither painted nor passed the message on would be asked forever;
        // its update region is taken as painted.
        w->Update = gdi::Region();
        w->Erase = false;
        w->FrameDirty = false;
    }
    return r;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

DWORD GetMessagePos()
{
    return DWORD(MAKELPARAM(CurrentPos.X, CurrentPos.Y));
}
LONG GetMessageTime()
{
    return LONG(CurrentTime);
}

UINT RegisterWindowMessage(const char* name)
{
    return name ? RegisterAtom(name) : 0;
}

// ---- Key translation ------------------------------------------------------------------------------

namespace {

// The characters of the keys on a US keyboard, without and with Shift.
char16_t KeyChar(UINT vk, bool shift, bool caps)
{
    if (vk >= 'A' && vk <= 'Z') {
        bool upper = shift != caps;
        return char16_t(upper ? vk : vk - 'A' + 'a');
    }
    if (vk >= '0' && vk <= '9') {
        static const char shifted[] = ")!@#$%^&*(";
        return shift ? char16_t(shifted[vk - '0']) : char16_t(vk);
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return char16_t('0' + (vk - VK_NUMPAD0));
    switch (vk) {
    case VK_SPACE:
        return u' ';
    case VK_RETURN:
        return u'\r';
    case VK_BACK:
        return 8;
    case VK_TAB:
        return 9;
    case VK_ESCAPE:
        return 27;
    case VK_MULTIPLY:
        return u'*';
    case VK_ADD:
        return u'+';
    case VK_SUBTRACT:
        return u'-';
    case VK_DECIMAL:
        return u'.';
    case VK_DIVIDE:
        return u'/';
    case VK_OEM_1:
        return shift ? u':' : u';';
    case VK_OEM_PLUS:
        return shift ? u'+' : u'=';
    case VK_OEM_COMMA:
        return shift ? u'<' : u',';
    case VK_OEM_MINUS:
        return shift ? u'_' : u'-';
    case VK_OEM_PERIOD:
        return shift ? u'>' : u'.';
    case VK_OEM_2:
        return shift ? u'?' : u'/';
    case VK_OEM_3:
        return shift ? u'~' : u'`';
    case VK_OEM_4:
        return shift ? u'{' : u'[';
    case VK_OEM_5:
        return shift ? u'|' : u'\\';
    case VK_OEM_6:
        return shift ? u'}' : u']';
    case VK_OEM_7:
        return shift ? u'"' : u'\'';
    default:
        return 0;
    }
}

} // namespace

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    UINT vk = UINT(msg->wParam);
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool alt = GetKeyState(VK_MENU) < 0;
    bool caps = GetKeyState(VK_CAPITAL) & 1;
    char16_t c = 0;
    if (ctrl && !alt) {
        // Control characters: Ctrl+letter 1..26, Ctrl+Enter line feed, Ctrl+Backspace DEL,
        // Ctrl+[ ] \ as ESC, GS, FS.
        if (vk >= 'A' && vk <= 'Z')
            c = char16_t(vk - 'A' + 1);
        else if (vk == VK_RETURN)
            c = 10;
        else if (vk == VK_BACK)
            c = 127;
        else if (vk == VK_OEM_4)
            c = 27;
        else if (vk == VK_OEM_6)
            c = 29;
        else if (vk == VK_OEM_5)
            c = 28;
        else if (vk == VK_ESCAPE)
            c = 27;
        else if (vk == VK_SPACE)
            c = u' ';
    } else {
        c = KeyChar(vk, shift, caps);
    }
    if (!c)
        return FALSE;
    UINT charMsg = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    PostInternal(msg->hwnd, charMsg, c, msg->lParam, false, true);
    return TRUE;
}

// ---- Timers --------------------------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (hwnd && !IsWindow(hwnd))
        return 0;
    elapse = std::clamp<UINT>(elapse, 10, 0x7FFFFFFF);
    if (!hwnd) {
        bool known = id && std::any_of(Timers.begin(), Timers.end(),
                                       [id](const Timer& t) { return !t.Hwnd && t.Id == id; });
        if (!known)
            id = NextThreadTimer++;
    }
    std::uint64_t due = Backend().Now() + elapse;
    for (Timer& t : Timers)
        if (t.Hwnd == hwnd && t.Id == id) {
            t.Elapse = elapse;
            t.Proc = proc;
            t.Due = due;
            return id ? id : 1;
        }
    Timers.push_back(Timer{hwnd, id, elapse, proc, due});
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    auto it = std::find_if(Timers.begin(), Timers.end(),
                           [&](const Timer& t) { return t.Hwnd == hwnd && t.Id == id; });
    if (it == Timers.end())
        return FALSE;
    Timers.erase(it);
    return TRUE;
}

DWORD GetTickCount()
{
    return DWORD(Backend().Now());
}
std::uint64_t GetTickCount64()
{
    return Backend().Now();
}
