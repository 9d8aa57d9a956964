// Window classes and window objects: creation, destruction, the tree, window longs, properties
// and text. Position, size, visibility and z-order are in WindowPos.cpp.

#include "platform/win/Clipboard.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/GraphicsOwners.h"
#include "platform/win/WindowInternal.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace winlayer;

namespace {

std::map<std::uintptr_t, std::unique_ptr<Window>>& Windows()
{
    static std::map<std::uintptr_t, std::unique_ptr<Window>> windows;
    return windows;
}

std::vector<std::unique_ptr<WindowClass>>& Classes()
{
    static std::vector<std::unique_ptr<WindowClass>> classes;
    return classes;
}

WindowClass* FindClass(const std::string& name)
{
    for (auto& c : Classes())
        if (SameText(c->Name, name))
            return c.get();
    return nullptr;
}

// Registered classes are named by UTF-8 strings or by atoms (MAKEINTRESOURCE of the id that
// RegisterClass returned).
std::string ClassNameArg(const char* name)
{
    if (!name)
        return {};
    if (IS_INTRESOURCE(name)) {
        std::uintptr_t atom = reinterpret_cast<std::uintptr_t>(name);
        auto& cls = Classes();
        if (atom >= 0xC000 && atom - 0xC000 < cls.size())
            return cls[atom - 0xC000]->Name;
        return {};
    }
    return name;
}

ATOM AtomOf(const WindowClass* c)
{
    auto& cls = Classes();
    for (std::size_t i = 0; i < cls.size(); ++i)
        if (cls[i].get() == c)
            return ATOM(0xC000 + i);
    return 0;
}

ATOM AddClass(const std::string& name, const WNDCLASS& info, bool unicode)
{
    if (name.empty() || !info.lpfnWndProc || FindClass(name))
        return 0;
    auto c = std::make_unique<WindowClass>();
    c->Name = name;
    c->Info = info;
    c->Info.lpszClassName = nullptr;
    c->Info.lpszMenuName = nullptr;
    c->Unicode = unicode;
    c->Extra.assign(std::size_t(std::clamp(info.cbClsExtra, 0, 4096)), 0);
    // Classes are kept for the life of the program; an unregistered one leaves an empty slot so
    // that atoms stay stable.
    for (auto& slot : Classes())
        if (slot->Name.empty()) {
            slot = std::move(c);
            return AtomOf(slot.get());
        }
    Classes().push_back(std::move(c));
    return AtomOf(Classes().back().get());
}

Window*& DesktopSlot()
{
    static Window* desktop = nullptr;
    return desktop;
}

LRESULT DesktopProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return DefWindowProc(h, m, w, l);
}

std::string WindowClassName(const Window* w)
{
    return w->Class ? w->Class->Name : std::string();
}

// Lets go of a window whose WM_NCDESTROY has been sent: its handle dies with it.
void FreeWindowObject(HWND h)
{
    auto it = Windows().find(reinterpret_cast<std::uintptr_t>(h));
    if (it == Windows().end())
        return;
    Window* w = it->second.get();
    bool topLevel = IsTopLevel(w);
    if (w->Parent) {
        auto& v = w->Parent->Children;
        v.erase(std::remove(v.begin(), v.end(), w), v.end());
    }
    for (Window* c : w->Children)
        c->Parent = nullptr;
    MarkAlive(h, false);
    PurgeMessages(h);
    RevokeDragDropOnDestroy(h);
    KillWindowTimers(h);
    FreeWindowDCs(w);
    w->Surface.reset();
    std::unique_ptr<Window> keep = std::move(it->second);
    Windows().erase(it);
    if (topLevel)
        Backend().WindowDestroyed(h);
}

HWND CreateInternal(DWORD exStyle, const std::string& className, const std::string& windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    void* param)
{
    WindowClass* cls = FindClass(className);
    if (!cls)
        return nullptr;
    Window* parentWin = nullptr;
    HWND owner = nullptr;
    if (style & WS_CHILD) {
        parentWin = W(parent);
        if (!parentWin)
            return nullptr;
    } else {
        parentWin = Desktop();
        if (parent) {
            Window* o = W(parent);
            if (!o)
                return nullptr;
            owner = Root(o)->Handle;
        }
    }
    bool topLevel = parentWin == Desktop();
    if (topLevel) {
        TSize screen = Backend().ScreenSize();
        if (x == CW_USEDEFAULT) {
            x = screen.cx / 8;
            y = screen.cy / 8;
        }
        if (width == CW_USEDEFAULT) {
            width = screen.cx * 3 / 4;
            height = screen.cy * 3 / 4;
        }
        // Overlapped windows always have a caption, and top-level windows never draw over
        // each other.
        if (!(style & WS_POPUP))
            style |= WS_CAPTION;
        style |= WS_CLIPSIBLINGS;
    } else {
        if (x == CW_USEDEFAULT)
            x = y = 0;
        if (width == CW_USEDEFAULT)
            width = height = 0;
    }
    width = std::clamp(width, 0, 1 << 15);
    height = std::clamp(height, 0, 1 << 15);

    auto win = std::make_unique<Window>();
    Window* w = win.get();
    w->Handle = AllocateHandle();
    w->Class = cls;
    w->Proc = cls->Info.lpfnWndProc;
    w->Unicode = cls->Unicode;
    // Minimized and maximized are states ShowWindow enters (below), not styles to start with.
    w->Style = style & ~DWORD(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    w->ExStyle = exStyle;
    w->Parent = parentWin;
    w->Owner = owner;
    w->Rect = TRect{x, y, x + width, y + height};
    w->Client = TRect{0, 0, width, height};
    w->Id = (style & WS_CHILD) ? reinterpret_cast<UINT_PTR>(menu) : 0;
    w->Instance = instance;
    w->Extra.assign(std::size_t(std::clamp(cls->Info.cbWndExtra, 0, 4096)), 0);
    Windows()[reinterpret_cast<std::uintptr_t>(w->Handle)] = std::move(win);
    // New top-level windows come on top of their band; new children below their siblings, so
    // that the z-order of children is their creation order.
    if (topLevel) {
        auto& v = parentWin->Children;
        v.insert(v.begin() + std::ptrdiff_t(std::min(BandStart(w), v.size())), w);
    } else {
        parentWin->Children.push_back(w);
    }
    MarkAlive(w->Handle, true);
    if (topLevel)
        ResizeSurface(w);

    HWND h = w->Handle;
    CREATESTRUCT cs;
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = LONG(style);
    cs.dwExStyle = exStyle;
    // The names come in the character set of the procedure that reads them.
    std::u16string name16, class16;
    if (w->Unicode) {
        name16 = ToUtf16(windowName);
        class16 = ToUtf16(className);
        cs.lpszName = reinterpret_cast<const char*>(name16.c_str());
        cs.lpszClass = reinterpret_cast<const char*>(class16.c_str());
    } else {
        cs.lpszName = windowName.c_str();
        cs.lpszClass = className.c_str();
    }

    if (!CallProc(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        // Refused before it existed for the program: it only hears WM_NCDESTROY.
        if ((w = W(h)) != nullptr) {
            w->Destroying = true;
            CallProc(w, WM_NCDESTROY, 0, 0);
        }
        FreeWindowObject(h);
        return nullptr;
    }
    if (!(w = W(h)))
        return nullptr;
    RecalcFrame(w);
    if (!(w = W(h)))
        return nullptr;
    if (CallProc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(h);
        return nullptr;
    }
    if (!(w = W(h)))
        return nullptr;
    CallProc(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->Client.Width(), w->Client.Height()));
    if (!(w = W(h)))
        return nullptr;
    TPoint org = ClientOrigin(w);
    if (!IsTopLevel(w)) {
        TPoint po = ClientOrigin(w->Parent);
        org = TPoint{org.X - po.X, org.Y - po.Y};
    }
    CallProc(w, WM_MOVE, 0, MAKELPARAM(org.X, org.Y));
    if (!(w = W(h)))
        return nullptr;
    if (!IsTopLevel(w) && !(w->ExStyle & WS_EX_NOPARENTNOTIFY))
        SendMessage(w->Parent->Handle, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, int(w->Id)),
                    reinterpret_cast<LPARAM>(h));
    if (IsWindow(h) && (style & WS_VISIBLE))
        ShowWindow(h, (style & WS_MAXIMIZE)   ? SW_SHOWMAXIMIZED
                      : (style & WS_MINIMIZE) ? SW_SHOWMINNOACTIVE
                                              : SW_SHOW);
    return IsWindow(h) ? h : nullptr;
}

} // namespace

// ---- Shared helpers ---------------------------------------------------------------------------

namespace winlayer {

Window* W(HWND h)
{
    if (!h)
        return nullptr;
    auto it = Windows().find(reinterpret_cast<std::uintptr_t>(h));
    return it == Windows().end() ? nullptr : it->second.get();
}

Window* Desktop()
{
    Window*& d = DesktopSlot();
    if (!d) {
        static WindowClass desktopClass;
        desktopClass.Name = "#32769";
        desktopClass.Info.lpfnWndProc = DesktopProc;
        auto win = std::make_unique<Window>();
        d = win.get();
        d->Handle = AllocateHandle();
        d->Class = &desktopClass;
        d->Proc = DesktopProc;
        d->Style = WS_VISIBLE | WS_CLIPCHILDREN;
        TSize s = Backend().ScreenSize();
        d->Rect = TRect{0, 0, s.cx, s.cy};
        d->Client = d->Rect;
        Windows()[reinterpret_cast<std::uintptr_t>(d->Handle)] = std::move(win);
        MarkAlive(d->Handle, true);
    }
    return d;
}

bool IsTopLevel(const Window* w)
{
    return w && w->Parent && w->Parent == DesktopSlot();
}

Window* Root(Window* w)
{
    while (w && w->Parent && w->Parent != DesktopSlot())
        w = w->Parent;
    return w;
}

bool Visible(const Window* w)
{
    for (; w && w != DesktopSlot(); w = w->Parent)
        if (!(w->Style & WS_VISIBLE))
            return false;
    return w != nullptr;
}

bool Enabled(const Window* w)
{
    for (; w && w != DesktopSlot(); w = w->Parent)
        if (w->Style & WS_DISABLED)
            return false;
    return w != nullptr;
}

TRect ScreenRect(const Window* w)
{
    if (!w->Parent || w == DesktopSlot())
        return w->Rect;
    TPoint o = ClientOrigin(w->Parent);
    return TRect{w->Rect.Left + o.X, w->Rect.Top + o.Y, w->Rect.Right + o.X, w->Rect.Bottom + o.Y};
}

TPoint ClientOrigin(const Window* w)
{
    TRect r = ScreenRect(w);
    if (w == DesktopSlot())
        return TPoint{0, 0};
    return TPoint{r.Left + w->Client.Left, r.Top + w->Client.Top};
}

TPoint SurfaceOffset(const Window* w)
{
    const Window* root = w;
    while (root->Parent && root->Parent != DesktopSlot())
        root = root->Parent;
    TRect a = ScreenRect(w), b = ScreenRect(root);
    return TPoint{a.Left - b.Left, a.Top - b.Top};
}

namespace {

bool Overlap(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// Cuts the rectangles out of r. Only those that meet r count, and they are joined pairwise first
// (a balanced merge), so a window over many children or siblings costs about n log n region
// work rather than n times a region of n holes.
gdi::Region CutOut(const gdi::Region& r, std::vector<TRect> rects)
{
    TRect box = r.Box();
    rects.erase(std::remove_if(rects.begin(), rects.end(), [&](const TRect& t) { return !Overlap(t, box); }),
                rects.end());
    if (rects.empty())
        return r;
    std::vector<gdi::Region> parts;
    parts.reserve(rects.size());
    for (const TRect& t : rects)
        parts.emplace_back(t);
    while (parts.size() > 1) {
        std::vector<gdi::Region> next;
        next.reserve((parts.size() + 1) / 2);
        for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
            next.push_back(parts[i].Union(parts[i + 1]));
        if (parts.size() % 2)
            next.push_back(std::move(parts.back()));
        parts = std::move(next);
    }
    return r.Subtract(parts.front());
}

} // namespace

gdi::Region VisibleRegion(const Window* w, bool clientOnly, bool clipChildren)
{
    TRect own = clientOnly ? w->Client : TRect{0, 0, w->Rect.Width(), w->Rect.Height()};
    gdi::Region r(own);
    if (w->Shape)
        r = r.Intersect(*w->Shape);
    if (!Visible(w))
        return gdi::Region();
    TRect mine = ScreenRect(w);
    auto toLocal = [&](TRect s) {
        return TRect{s.Left - mine.Left, s.Top - mine.Top, s.Right - mine.Left, s.Bottom - mine.Top};
    };
    if (clipChildren) {
        std::vector<TRect> cut;
        for (const Window* c : w->Children)
            if (c->Style & WS_VISIBLE)
                cut.push_back(toLocal(ScreenRect(c)));
        r = CutOut(r, std::move(cut));
    }
    // Ancestors' client areas cut the window; siblings above cut it where it asks so.
    const Window* child = w;
    for (const Window* p = w->Parent; p && p != DesktopSlot(); child = p, p = p->Parent) {
        TPoint po = ClientOrigin(p);
        r = r.Intersect(
            gdi::Region(toLocal(TRect{po.X, po.Y, po.X + p->Client.Width(), po.Y + p->Client.Height()})));
        if (child->Style & WS_CLIPSIBLINGS) {
            std::vector<TRect> cut;
            for (const Window* s : p->Children) {
                if (s == child)
                    break;
                if (s->Style & WS_VISIBLE)
                    cut.push_back(toLocal(ScreenRect(s)));
            }
            r = CutOut(r, std::move(cut));
        }
    }
    return r;
}

LRESULT CallProc(Window* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc = w->Proc;
    return proc ? proc(w->Handle, msg, wParam, lParam) : 0;
}

void RecalcFrame(Window* w)
{
    HWND h = w->Handle;
    NCCALCSIZE_PARAMS p;
    p.rgrc[0] = TRect{0, 0, w->Rect.Width(), w->Rect.Height()};
    p.rgrc[1] = p.rgrc[0];
    p.rgrc[2] = p.rgrc[0];
    CallProc(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&p.rgrc[0]));
    if (!(w = W(h)))
        return;
    TRect c = p.rgrc[0];
    c.Left = std::clamp(c.Left, 0, w->Rect.Width());
    c.Top = std::clamp(c.Top, 0, w->Rect.Height());
    c.Right = std::clamp(c.Right, c.Left, w->Rect.Width());
    c.Bottom = std::clamp(c.Bottom, c.Top, w->Rect.Height());
    w->Client = c;
    w->FrameDirty = true;
}

void ResizeSurface(Window* w)
{
    int width = std::max(w->Rect.Width(), 1), height = std::max(w->Rect.Height(), 1);
    cairo_surface_t* old = w->Surface.get();
    if (old && cairo_image_surface_get_width(old) == width && cairo_image_surface_get_height(old) == height)
        return;
    TOwnedSurface s(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    {
        const TOwnedCairo cr(cairo_create(s.get()));
        cairo_set_source_rgb(cr.get(), 1, 1, 1);
        cairo_paint(cr.get());
        if (old) {
            cairo_set_source_surface(cr.get(), old, 0, 0);
            cairo_paint(cr.get());
        }
    }
    // The old surface stays alive until the DCs handed out have moved to the new one: they keep
    // drawing on the window after a resize.
    std::swap(w->Surface, s);
    RefreshWindowDCs(w);
}

void FreeWindowDCs(Window* w)
{
    for (WindowDC& d : w->DCs)
        DeleteDC(d.Dc);
    w->DCs.clear();
}

std::u16string ToUtf16(const std::string& s)
{
    return gdi::Utf8ToUtf16(s.data(), int(s.size()));
}
std::string ToUtf8(const std::u16string& s)
{
    return gdi::Utf16ToUtf8(s.data(), int(s.size()));
}

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace winlayer

// ---- Classes ----------------------------------------------------------------------------------

ATOM RegisterClass(const WNDCLASS* wc)
{
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName))
        return 0;
    return AddClass(wc->lpszClassName, *wc, false);
}

ATOM RegisterClassW(const WNDCLASSW* wc)
{
    if (!wc || !wc->lpszClassName)
        return 0;
    WNDCLASS a;
    a.style = wc->style;
    a.lpfnWndProc = wc->lpfnWndProc;
    a.cbClsExtra = wc->cbClsExtra;
    a.cbWndExtra = wc->cbWndExtra;
    a.hInstance = wc->hInstance;
    a.hIcon = wc->hIcon;
    a.hCursor = wc->hCursor;
    a.hbrBackground = wc->hbrBackground;
    return AddClass(ToUtf8(wc->lpszClassName), a, true);
}

BOOL UnregisterClass(const char* className, HINSTANCE)
{
    WindowClass* c = FindClass(ClassNameArg(className));
    if (!c)
        return FALSE;
    for (auto& [id, w] : Windows())
        if (w->Class == c)
            return FALSE; // still in use
    c->Name.clear();
    return TRUE;
}

BOOL GetClassInfo(HINSTANCE, const char* className, WNDCLASS* wc)
{
    WindowClass* c = FindClass(ClassNameArg(className));
    if (!c || !wc)
        return FALSE;
    *wc = c->Info;
    wc->lpszClassName = c->Name.c_str();
    return TRUE;
}

BOOL GetClassInfoW(HINSTANCE, const char16_t* className, WNDCLASSW* wc)
{
    WindowClass* c = className ? FindClass(ToUtf8(className)) : nullptr;
    if (!c || !wc)
        return FALSE;
    wc->style = c->Info.style;
    wc->lpfnWndProc = c->Info.lpfnWndProc;
    wc->cbClsExtra = c->Info.cbClsExtra;
    wc->cbWndExtra = c->Info.cbWndExtra;
    wc->hInstance = c->Info.hInstance;
    wc->hIcon = c->Info.hIcon;
    wc->hCursor = c->Info.hCursor;
    wc->hbrBackground = c->Info.hbrBackground;
    wc->lpszClassName = className;
    return TRUE;
}

int GetClassName(HWND hwnd, char* name, int maxCount)
{
    Window* w = W(hwnd);
    if (!w || !name || maxCount <= 0)
        return 0;
    std::string n = WindowClassName(w);
    int len = std::min(int(n.size()), maxCount - 1);
    std::memcpy(name, n.data(), std::size_t(len));
    name[len] = 0;
    return len;
}

ULONG_PTR GetClassLongPtr(HWND hwnd, int index)
{
    Window* w = W(hwnd);
    if (!w || !w->Class)
        return 0;
    const WNDCLASS& c = w->Class->Info;
    switch (index) {
    case GCL_STYLE:
        return c.style;
    case GCL_WNDPROC:
        return reinterpret_cast<ULONG_PTR>(c.lpfnWndProc);
    case GCL_HBRBACKGROUND:
        return reinterpret_cast<ULONG_PTR>(c.hbrBackground);
    case GCL_HCURSOR:
        return reinterpret_cast<ULONG_PTR>(c.hCursor);
    case GCL_HICON:
        return reinterpret_cast<ULONG_PTR>(c.hIcon);
    case GCL_CBWNDEXTRA:
        return ULONG_PTR(c.cbWndExtra);
    case GCL_CBCLSEXTRA:
        return ULONG_PTR(c.cbClsExtra);
    default:
        if (index >= 0 && std::size_t(index) + sizeof(LONG) <= w->Class->Extra.size()) {
            LONG v;
            std::memcpy(&v, w->Class->Extra.data() + index, sizeof v);
            return ULONG_PTR(DWORD(v));
        }
        return 0;
    }
}

ULONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    Window* w = W(hwnd);
    if (!w || !w->Class || w == Desktop())
        return 0;
    ULONG_PTR old = GetClassLongPtr(hwnd, index);
    WNDCLASS& c = w->Class->Info;
    switch (index) {
    case GCL_STYLE:
        c.style = UINT(value);
        break;
    case GCL_WNDPROC:
        c.lpfnWndProc = reinterpret_cast<WNDPROC>(value);
        break;
    case GCL_HBRBACKGROUND:
        c.hbrBackground = reinterpret_cast<HBRUSH>(value);
        break;
    case GCL_HCURSOR:
        c.hCursor = reinterpret_cast<HCURSOR>(value);
        break;
    case GCL_HICON:
        c.hIcon = reinterpret_cast<HICON>(value);
        break;
    default:
        if (index >= 0 && std::size_t(index) + sizeof(LONG) <= w->Class->Extra.size()) {
            LONG v = LONG(value);
            std::memcpy(w->Class->Extra.data() + index, &v, sizeof v);
        } else {
            return 0;
        }
    }
    return old;
}

DWORD GetClassLong(HWND hwnd, int index)
{
    return DWORD(GetClassLongPtr(hwnd, index));
}
DWORD SetClassLong(HWND hwnd, int index, LONG value)
{
    return DWORD(SetClassLongPtr(hwnd, index, value));
}

// ---- Creation and destruction ---------------------------------------------------------------

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    return CreateInternal(exStyle, ClassNameArg(className), windowName ? windowName : "", style, x, y, width,
                          height, parent, menu, instance, param);
}

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    std::string cls = IS_INTRESOURCE(className) ? ClassNameArg(reinterpret_cast<const char*>(className))
                                                : (className ? ToUtf8(className) : std::string());
    return CreateInternal(exStyle, cls, windowName ? ToUtf8(windowName) : std::string(), style, x, y, width,
                          height, parent, menu, instance, param);
}

namespace {

void SendDestroy(HWND h)
{
    Window* w = W(h);
    if (!w)
        return;
    CallProc(w, WM_DESTROY, 0, 0);
    if (!(w = W(h)))
        return;
    std::vector<HWND> kids;
    for (Window* c : w->Children)
        kids.push_back(c->Handle);
    for (HWND c : kids) {
        if (Window* cw = W(c)) {
            cw->Destroying = true;
            WindowGoingAway(cw);
            SendDestroy(c);
        }
    }
    if ((w = W(h)) != nullptr) {
        CallProc(w, WM_NCDESTROY, 0, 0);
        FreeWindowObject(h);
    }
}

void MarkDestroying(Window* w)
{
    w->Destroying = true;
    for (Window* c : w->Children)
        MarkDestroying(c);
}

} // namespace

BOOL DestroyWindow(HWND hwnd)
{
    Window* w = W(hwnd);
    if (!w || w == Desktop() || w->Destroying)
        return FALSE;
    // Owned windows go first.
    if (IsTopLevel(w)) {
        std::vector<HWND> owned;
        for (Window* t : Desktop()->Children)
            if (t->Owner == hwnd)
                owned.push_back(t->Handle);
        for (HWND o : owned)
            DestroyWindow(o);
        if (!(w = W(hwnd)) || w->Destroying)
            return FALSE;
    }
    if (!IsTopLevel(w) && !(w->ExStyle & WS_EX_NOPARENTNOTIFY))
        SendMessage(w->Parent->Handle, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, int(w->Id)),
                    reinterpret_cast<LPARAM>(hwnd));
    if (!(w = W(hwnd)) || w->Destroying)
        return FALSE;
    MarkDestroying(w);
    if (w->Style & WS_VISIBLE) {
        // Hidden without notifications: what it covered is painted again.
        bool wasVisible = Visible(w);
        w->Style &= ~DWORD(WS_VISIBLE);
        if (IsTopLevel(w))
            Backend().WindowShown(hwnd, false);
        else if (wasVisible)
            InvalidateParentArea(w->Parent, w->Rect);
        if (!IsTopLevel(w))
            RefreshWindowDCs(Root(w));
        ActivateAfterHide(w);
    }
    if (!(w = W(hwnd)))
        return TRUE;
    WindowGoingAway(w);
    SendDestroy(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    return W(hwnd) != nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    Window* p = W(parent);
    Window* w = W(hwnd);
    if (!p || !w)
        return FALSE;
    for (Window* x = w; x && !IsTopLevel(x) && x->Parent; x = x->Parent)
        if (x->Parent == p)
            return TRUE;
    return FALSE;
}

BOOL IsWindowVisible(HWND hwnd)
{
    return Visible(W(hwnd)) ? TRUE : FALSE;
}
BOOL IsWindowEnabled(HWND hwnd)
{
    Window* w = W(hwnd);
    return w && !(w->Style & WS_DISABLED);
}
BOOL IsWindowUnicode(HWND hwnd)
{
    Window* w = W(hwnd);
    return w && w->Unicode;
}
BOOL IsIconic(HWND hwnd)
{
    Window* w = W(hwnd);
    return w && (w->Style & WS_MINIMIZE);
}
BOOL IsZoomed(HWND hwnd)
{
    Window* w = W(hwnd);
    return w && (w->Style & WS_MAXIMIZE);
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    BOOL wasDisabled = (w->Style & WS_DISABLED) ? TRUE : FALSE;
    if (bool(enable) == !wasDisabled)
        return wasDisabled;
    if (!enable) {
        // The focus stays where it is: keys to a disabled focus window are dropped until the
        // program moves the focus itself.
        SendMessage(hwnd, WM_CANCELMODE, 0, 0);
        if (!(w = W(hwnd)))
            return wasDisabled;
        w->Style |= WS_DISABLED;
        if (GetCapture() == hwnd)
            ReleaseCapture();
    } else {
        w->Style &= ~DWORD(WS_DISABLED);
    }
    SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

HWND GetParent(HWND hwnd)
{
    Window* w = W(hwnd);
    if (!w || w == Desktop())
        return nullptr;
    if (w->Style & WS_CHILD)
        return IsTopLevel(w) ? nullptr : w->Parent->Handle;
    return w->Owner;
}

HWND SetParent(HWND hwnd, HWND newParent)
{
    Window* w = W(hwnd);
    Window* p = newParent ? W(newParent) : Desktop();
    if (!w || !p || w == Desktop() || !w->Parent)
        return nullptr;
    for (Window* x = p; x; x = x->Parent)
        if (x == w)
            return nullptr; // no cycles
    Window* old = w->Parent;
    HWND oldHandle = old == Desktop() ? nullptr : old->Handle;
    bool wasVisible = Visible(w);
    if (wasVisible && old != Desktop())
        InvalidateParentArea(old, w->Rect);
    old->Children.erase(std::find(old->Children.begin(), old->Children.end(), w));
    w->Parent = p;
    p->Children.insert(p->Children.begin(), w);
    if (p == Desktop() && !w->Surface)
        ResizeSurface(w);
    else if (p != Desktop() && w->Surface) {
        FreeWindowDCs(w);
        w->Surface.reset();
    }
    if (Visible(w))
        InvalidateWhole(w, true);
    return oldHandle;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    Window* w = W(hwnd);
    if (!w || w == Desktop())
        return nullptr;
    switch (flags) {
    case GA_PARENT:
        return w->Parent ? w->Parent->Handle : nullptr;
    case GA_ROOT:
        return Root(w)->Handle;
    case GA_ROOTOWNER: {
        Window* r = Root(w);
        while (r->Owner && W(r->Owner))
            r = Root(W(r->Owner));
        return r->Handle;
    }
    default:
        return nullptr;
    }
}

HWND GetWindow(HWND hwnd, UINT cmd)
{
    Window* w = W(hwnd);
    if (!w)
        return nullptr;
    if (cmd == GW_CHILD)
        return w->Children.empty() ? nullptr : w->Children.front()->Handle;
    if (cmd == GW_OWNER)
        return IsTopLevel(w) ? w->Owner : nullptr;
    if (!w->Parent)
        return nullptr;
    const auto& v = w->Parent->Children;
    std::size_t i = IndexIn(v, w);
    switch (cmd) {
    case GW_HWNDFIRST:
        return v.front()->Handle;
    case GW_HWNDLAST:
        return v.back()->Handle;
    case GW_HWNDNEXT:
        return i + 1 < v.size() ? v[i + 1]->Handle : nullptr;
    case GW_HWNDPREV:
        return i > 0 && i < v.size() ? v[i - 1]->Handle : nullptr;
    default:
        return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd)
{
    Window* w = hwnd ? W(hwnd) : Desktop();
    return (w && !w->Children.empty()) ? w->Children.front()->Handle : nullptr;
}

HWND GetDesktopWindow()
{
    return Desktop()->Handle;
}

// ---- Window longs, properties, text ------------------------------------------------------------

LONG_PTR GetWindowLongPtr(HWND hwnd, int index)
{
    Window* w = W(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWL_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->Proc);
    case GWL_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->Instance);
    case GWL_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(GetParent(hwnd));
    case GWL_ID:
        return LONG_PTR(w->Id);
    case GWL_STYLE:
        return LONG_PTR(LONG(w->Style));
    case GWL_EXSTYLE:
        return LONG_PTR(LONG(w->ExStyle));
    case GWL_USERDATA:
        return w->UserData;
    default:
        if (index >= 0 && std::size_t(index) + sizeof(LONG) <= w->Extra.size()) {
            LONG v;
            std::memcpy(&v, w->Extra.data() + index, sizeof v);
            return v;
        }
        return 0;
    }
}

namespace {

LONG_PTR SetLong(HWND hwnd, int index, LONG_PTR value, bool unicodeProc)
{
    Window* w = W(hwnd);
    if (!w || w == Desktop())
        return 0;
    LONG_PTR old = GetWindowLongPtr(hwnd, index);
    switch (index) {
    case GWL_WNDPROC:
        // Subclassing: the new procedure gets every message from now on and passes the rest
        // to the old one with CallWindowProc.
        w->Proc = reinterpret_cast<WNDPROC>(value);
        w->Unicode = unicodeProc;
        break;
    case GWL_HINSTANCE:
        w->Instance = reinterpret_cast<HINSTANCE>(value);
        break;
    case GWL_HWNDPARENT:
        if (IsTopLevel(w)) {
            Window* o = W(reinterpret_cast<HWND>(value));
            w->Owner = o ? Root(o)->Handle : nullptr;
        }
        break;
    case GWL_ID:
        w->Id = UINT_PTR(value);
        break;
    case GWL_USERDATA:
        w->UserData = value;
        break;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
        struct STYLESTRUCT {
            DWORD styleOld, styleNew;
        } ss{DWORD(old), DWORD(value)};
        CallProc(w, WM_STYLECHANGING, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
        if (!(w = W(hwnd)))
            return old;
        if (index == GWL_STYLE) {
            // Visibility changes only through ShowWindow and SetWindowPos.
            w->Style = (ss.styleNew & ~DWORD(WS_VISIBLE)) | (w->Style & WS_VISIBLE);
        } else {
            w->ExStyle = ss.styleNew;
        }
        CallProc(w, WM_STYLECHANGED, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
        break;
    }
    default:
        if (index >= 0 && std::size_t(index) + sizeof(LONG) <= w->Extra.size()) {
            LONG v = LONG(value);
            std::memcpy(w->Extra.data() + index, &v, sizeof v);
        } else {
            return 0;
        }
    }
    return old;
}

} // namespace

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    Window* w = W(hwnd);
    return SetLong(hwnd, index, value, w && index == GWL_WNDPROC ? false : (w && w->Unicode));
}
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value)
{
    Window* w = W(hwnd);
    return SetLong(hwnd, index, value, index == GWL_WNDPROC ? true : (w && w->Unicode));
}
LONG GetWindowLong(HWND hwnd, int index)
{
    return LONG(GetWindowLongPtr(hwnd, index));
}
LONG SetWindowLong(HWND hwnd, int index, LONG value)
{
    if (index == GWL_WNDPROC || index == GWL_HWNDPARENT || index == GWL_HINSTANCE)
        return 0; // pointers do not fit; use SetWindowLongPtr
    return LONG(SetWindowLongPtr(hwnd, index, value));
}

BOOL SetProp(HWND hwnd, const char* name, HANDLE data)
{
    Window* w = W(hwnd);
    if (!w || !name)
        return FALSE;
    w->Props[name] = data;
    return TRUE;
}

HANDLE GetProp(HWND hwnd, const char* name)
{
    Window* w = W(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->Props.find(name);
    return it == w->Props.end() ? nullptr : it->second;
}

HANDLE RemoveProp(HWND hwnd, const char* name)
{
    Window* w = W(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->Props.find(name);
    if (it == w->Props.end())
        return nullptr;
    HANDLE h = it->second;
    w->Props.erase(it);
    return h;
}

int GetDlgCtrlID(HWND hwnd)
{
    Window* w = W(hwnd);
    return w ? int(w->Id) : 0;
}

HWND GetDlgItem(HWND parent, int id)
{
    Window* p = W(parent);
    if (!p)
        return nullptr;
    for (Window* c : p->Children)
        if (int(c->Id) == id)
            return c->Handle;
    return nullptr;
}

BOOL SetWindowText(HWND hwnd, const char* text)
{
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}
BOOL SetWindowTextW(HWND hwnd, const char16_t* text)
{
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}
int GetWindowText(HWND hwnd, char* text, int maxCount)
{
    if (!text || maxCount <= 0)
        return 0;
    text[0] = 0;
    return int(SendMessage(hwnd, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(text)));
}
int GetWindowTextW(HWND hwnd, char16_t* text, int maxCount)
{
    if (!text || maxCount <= 0)
        return 0;
    text[0] = 0;
    return int(SendMessageW(hwnd, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(text)));
}
int GetWindowTextLength(HWND hwnd)
{
    return int(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}
int GetWindowTextLengthW(HWND hwnd)
{
    return int(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

// ---- Finding and enumerating --------------------------------------------------------------------

namespace {

bool HitsWindow(const Window* w, TPoint screen)
{
    TRect r = ScreenRect(w);
    if (screen.X < r.Left || screen.X >= r.Right || screen.Y < r.Top || screen.Y >= r.Bottom)
        return false;
    return !w->Shape || w->Shape->Contains(screen.X - r.Left, screen.Y - r.Top);
}

bool Matches(const Window* w, const char* className, const char* windowName)
{
    if (className && !SameText(WindowClassName(w), ClassNameArg(className)))
        return false;
    if (windowName && w->Text != windowName)
        return false;
    return true;
}

bool EnumTree(Window* w, WNDENUMPROC proc, LPARAM param)
{
    std::vector<HWND> kids;
    for (Window* c : w->Children)
        kids.push_back(c->Handle);
    for (HWND c : kids) {
        if (!W(c))
            continue;
        if (!proc(c, param))
            return false;
        if (Window* cw = W(c); cw && !EnumTree(cw, proc, param))
            return false;
    }
    return true;
}

} // namespace

HWND WindowFromPoint(POINT screen)
{
    Window* at = nullptr;
    for (Window* t : Desktop()->Children)
        if ((t->Style & WS_VISIBLE) && HitsWindow(t, screen)) {
            at = t;
            break;
        }
    if (!at)
        return nullptr;
    // Down through the children under the point; hidden, disabled and transparent ones do not
    // count, so a disabled control's parent is the window there.
    for (;;) {
        TPoint o = ClientOrigin(at);
        if (screen.X < o.X || screen.Y < o.Y || screen.X >= o.X + at->Client.Width() ||
            screen.Y >= o.Y + at->Client.Height())
            break;
        Window* next = nullptr;
        for (Window* c : at->Children)
            if ((c->Style & WS_VISIBLE) && !(c->Style & WS_DISABLED) && !(c->ExStyle & WS_EX_TRANSPARENT) &&
                HitsWindow(c, screen)) {
                next = c;
                break;
            }
        if (!next)
            break;
        at = next;
    }
    return at->Handle;
}

HWND ChildWindowFromPointEx(HWND parent, POINT client, UINT flags)
{
    Window* p = W(parent);
    if (!p)
        return nullptr;
    if (client.X < 0 || client.Y < 0 || client.X >= p->Client.Width() || client.Y >= p->Client.Height())
        return nullptr;
    TPoint o = ClientOrigin(p);
    TPoint screen{client.X + o.X, client.Y + o.Y};
    for (Window* c : p->Children) {
        if ((flags & CWP_SKIPINVISIBLE) && !(c->Style & WS_VISIBLE))
            continue;
        if ((flags & CWP_SKIPDISABLED) && (c->Style & WS_DISABLED))
            continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (c->ExStyle & WS_EX_TRANSPARENT))
            continue;
        if (HitsWindow(c, screen))
            return c->Handle;
    }
    return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT client)
{
    return ChildWindowFromPointEx(parent, client, CWP_ALL);
}

HWND FindWindowEx(HWND parent, HWND childAfter, const char* className, const char* windowName)
{
    Window* p = parent ? W(parent) : Desktop();
    if (!p)
        return nullptr;
    bool started = childAfter == nullptr;
    for (Window* c : p->Children) {
        if (!started) {
            started = c->Handle == childAfter;
            continue;
        }
        if (Matches(c, className, windowName))
            return c->Handle;
    }
    return nullptr;
}

HWND FindWindow(const char* className, const char* windowName)
{
    return FindWindowEx(nullptr, nullptr, className, windowName);
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM param)
{
    if (!proc)
        return FALSE;
    std::vector<HWND> tops;
    for (Window* t : Desktop()->Children)
        tops.push_back(t->Handle);
    for (HWND t : tops)
        if (W(t) && !proc(t, param))
            return FALSE;
    return TRUE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param)
{
    Window* p = W(parent);
    if (!p || !proc)
        return FALSE;
    return EnumTree(p, proc, param) ? TRUE : FALSE;
}

BOOL SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    auto* rgn = gdi::As<GdiRegion>(region, OBJ_REGION);
    if (region && !rgn)
        return FALSE;
    TRect before = w->Rect;
    if (rgn) {
        w->Shape = std::make_unique<gdi::Region>(rgn->Rgn);
        DeleteObject(region); // the window owns it now
    } else {
        w->Shape.reset();
    }
    if (redraw && Visible(w)) {
        if (!IsTopLevel(w))
            InvalidateParentArea(w->Parent, before);
        InvalidateWhole(w, true);
    }
    return TRUE;
}

int GetWindowRgn(HWND hwnd, HRGN region)
{
    Window* w = W(hwnd);
    auto* rgn = gdi::As<GdiRegion>(region, OBJ_REGION);
    if (!w || !rgn || !w->Shape)
        return ERROR;
    rgn->Rgn = *w->Shape;
    return rgn->Rgn.Complexity();
}

void ResetWindowLayer()
{
    std::vector<HWND> tops;
    for (Window* t : Desktop()->Children)
        tops.push_back(t->Handle);
    for (HWND t : tops)
        DestroyWindow(t);
    ResetInput();
    ResetCaret();
    ResetClipboardState();
    ResetNcTracking();
    ResetQueue();
    Desktop()->Update = gdi::Region();
    TSize s = Backend().ScreenSize();
    Desktop()->Rect = Desktop()->Client = TRect{0, 0, s.cx, s.cy};
}
