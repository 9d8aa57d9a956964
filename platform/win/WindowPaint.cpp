// Painting of windows: update regions, window DCs on the top-level window's surface,
// BeginPaint/EndPaint, and scrolling a window's pixels.

#include "platform/win/GdiInternal.h"
#include "platform/win/WindowInternal.h"

#include <algorithm>

using namespace winlayer;

namespace {

TRect ClientBox(const Window* w)
{
    return TRect{0, 0, w->Client.Width(), w->Client.Height()};
}

gdi::Region RegionOf(HRGN h)
{
    auto* r = gdi::As<GdiRegion>(h, OBJ_REGION);
    return r ? r->Rgn : gdi::Region();
}

void CopyToHrgn(const gdi::Region& from, HRGN to)
{
    if (auto* r = gdi::As<GdiRegion>(to, OBJ_REGION))
        r->Rgn = from;
}

void Validate(Window* w, const gdi::Region* rgn)
{
    ++w->PaintServed;
    if (!rgn) {
        w->Update = gdi::Region();
        w->Erase = false;
    } else {
        w->Update = w->Update.Subtract(*rgn);
        if (w->Update.Empty())
            w->Erase = false;
    }
}

// Pre-order over a window tree: a parent paints before its children, children bottom first, so
// what is on top is painted last.
Window* FindPaint(Window* w)
{
    if (!(w->Style & WS_VISIBLE) || !w->Redraw)
        return nullptr;
    if (w->FrameDirty || !w->Update.Empty())
        return w;
    for (auto it = w->Children.rbegin(); it != w->Children.rend(); ++it)
        if (Window* p = FindPaint(*it))
            return p;
    return nullptr;
}

void PaintNow(HWND h)
{
    Window* w = W(h);
    if (!w || !NeedsPaint(w))
        return;
    unsigned served = w->PaintServed;
    SendMessage(h, WM_PAINT, 0, 0);
    if ((w = W(h)) != nullptr && w->PaintServed == served && NeedsPaint(w)) {
        w->Update = gdi::Region();
        w->Erase = false;
        w->FrameDirty = false;
    }
}

void UpdateTree(HWND h)
{
    PaintNow(h);
    Window* w = W(h);
    if (!w)
        return;
    std::vector<HWND> kids;
    for (auto it = w->Children.rbegin(); it != w->Children.rend(); ++it)
        kids.push_back((*it)->Handle);
    for (HWND k : kids)
        UpdateTree(k);
}

void InvalidateTree(Window* w, const gdi::Region* rgn, bool erase, int childMode, bool frame)
{
    // childMode: 0 by WS_CLIPCHILDREN, 1 all children, -1 none.
    bool children = childMode == 1 || (childMode == 0 && !(w->Style & WS_CLIPCHILDREN));
    if (frame)
        w->FrameDirty = true;
    InvalidateClient(w, rgn ? *rgn : gdi::Region(ClientBox(w)), erase, children);
}

} // namespace

namespace winlayer {

bool RedrawAllowed(const Window* w)
{
    for (; w; w = w->Parent)
        if (!w->Redraw)
            return false;
    return true;
}

bool NeedsPaint(const Window* w)
{
    return w && Visible(w) && RedrawAllowed(w) && (w->FrameDirty || !w->Update.Empty());
}

Window* NextWindowToPaint()
{
    for (Window* t : Desktop()->Children)
        if (Window* p = FindPaint(t))
            return p;
    return nullptr;
}

void InvalidateClient(Window* w, const gdi::Region& rgnIn, bool erase, bool children)
{
    if (!w || w == Desktop() || !Visible(w) || !RedrawAllowed(w))
        return;
    gdi::Region rgn = rgnIn.ClipTo(ClientBox(w));
    if (rgn.Empty())
        return;
    w->Update = w->Update.Union(rgn);
    if (erase)
        w->Erase = true;
    if (!children)
        return;
    // A window of many children: most lie outside a small invalid area, found without a region.
    const TRect box = rgn.Box();
    for (Window* c : w->Children) {
        if (!(c->Style & WS_VISIBLE))
            continue;
        if (c->Rect.Left >= box.Right || box.Left >= c->Rect.Right || c->Rect.Top >= box.Bottom ||
            box.Top >= c->Rect.Bottom)
            continue;
        gdi::Region part = rgn.ClipTo(c->Rect);
        if (part.Empty())
            continue;
        part.Offset(-c->Rect.Left, -c->Rect.Top); // the child's window coordinates
        if (!part.Subtract(gdi::Region(c->Client)).Empty())
            c->FrameDirty = true;
        part.Offset(-c->Client.Left, -c->Client.Top);
        InvalidateClient(c, part, erase, true);
    }
}

void InvalidateWhole(Window* w, bool erase)
{
    if (!w || !Visible(w))
        return;
    w->FrameDirty = true;
    InvalidateClient(w, gdi::Region(ClientBox(w)), erase, true);
    for (Window* c : w->Children)
        if (c->Style & WS_VISIBLE)
            c->FrameDirty = true;
}

void InvalidateParentArea(Window* parent, const TRect& rect)
{
    if (!parent || parent == Desktop())
        return;
    InvalidateClient(parent, gdi::Region(rect), true, true);
}

namespace {

void Configure(Window* w, WindowDC& d)
{
    Window* root = Root(w);
    if (!root->Surface.get())
        ResizeSurface(root);
    TPoint off = SurfaceOffset(w);
    TPoint origin = d.Whole ? off : TPoint{off.X + w->Client.Left, off.Y + w->Client.Top};
    gdi::Region vis = VisibleRegion(w, !d.Whole, (w->Style & WS_CLIPCHILDREN) != 0);
    if (!d.Whole)
        vis.Offset(-w->Client.Left, -w->Client.Top);
    if (d.Paint)
        vis = vis.Intersect(*d.Paint);
    if (d.Extra)
        vis = d.ExcludeExtra ? vis.Subtract(*d.Extra) : vis.Intersect(*d.Extra);
    RECT bounds{off.X, off.Y, off.X + w->Rect.Width(), off.Y + w->Rect.Height()};
    RetargetSurfaceDC(d.Dc, root->Surface.get(), origin, bounds);
    d.Dc->Update = vis;
}

} // namespace

HDC MakeWindowDC(Window* w, bool wholeWindow, const gdi::Region* update, const gdi::Region* extra,
                 bool excludeExtra)
{
    Window* root = Root(w);
    if (!root->Surface.get())
        ResizeSurface(root);
    WindowDC d;
    d.Whole = wholeWindow;
    if (update)
        d.Paint = *update;
    if (extra) {
        d.Extra = *extra;
        d.ExcludeExtra = excludeExtra;
    }
    d.Dc = CreateSurfaceDC(root->Surface.get(), DCKind::Screen, POINT{0, 0}, RECT{0, 0, 0, 0});
    if (!d.Dc)
        return nullptr;
    Configure(w, d);
    w->DCs.push_back(d);
    return d.Dc;
}

void RefreshWindowDCs(Window* root)
{
    if (!root)
        return;
    std::vector<Window*> stack{root};
    while (!stack.empty()) {
        Window* x = stack.back();
        stack.pop_back();
        for (WindowDC& d : x->DCs)
            if (gdi::IsLiveDC(d.Dc))
                Configure(x, d);
        for (Window* c : x->Children)
            stack.push_back(c);
    }
}

void NotifyPainted(Window* w, const TRect& windowRect)
{
    Window* root = Root(w);
    if (!root || !IsTopLevel(root))
        return;
    TPoint off = SurfaceOffset(w);
    Backend().WindowPainted(root->Handle, TRect{windowRect.Left + off.X, windowRect.Top + off.Y,
                                                windowRect.Right + off.X, windowRect.Bottom + off.Y});
}

} // namespace winlayer

// ---- DCs ------------------------------------------------------------------------------------------

HDC GetDC(HWND hwnd)
{
    Window* w = hwnd ? W(hwnd) : nullptr;
    if (!hwnd) {
        // The screen: a DC for measuring and for drawing nowhere.
        return CreateMeasuringDC();
    }
    return w ? MakeWindowDC(w, false, nullptr) : nullptr;
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags)
{
    Window* w = W(hwnd);
    if (!w)
        return hwnd ? nullptr : CreateMeasuringDC();
    if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
        gdi::Region r = RegionOf(clip);
        return MakeWindowDC(w, (flags & DCX_WINDOW) != 0, nullptr, &r, (flags & DCX_EXCLUDERGN) != 0);
    }
    return MakeWindowDC(w, (flags & DCX_WINDOW) != 0, nullptr);
}

HDC GetWindowDC(HWND hwnd)
{
    Window* w = W(hwnd);
    return w ? MakeWindowDC(w, true, nullptr) : nullptr;
}

int ReleaseDC(HWND hwnd, HDC hdc)
{
    Window* w = W(hwnd);
    if (!w) {
        // Screen DCs and DCs of windows already gone.
        if (!hwnd && gdi::IsLiveDC(hdc) && GetDCKind(hdc) == DCKind::Information)
            return DeleteDC(hdc) ? 1 : 0;
        return 0;
    }
    auto it = std::find_if(w->DCs.begin(), w->DCs.end(), [hdc](const WindowDC& d) { return d.Dc == hdc; });
    if (it == w->DCs.end())
        return 0;
    w->DCs.erase(it);
    TRect box = hdc->Update ? hdc->Update->Box() : TRect{};
    TPoint off = SurfaceOffset(w);
    TRect inWindow{box.Left + hdc->Origin.X - off.X, box.Top + hdc->Origin.Y - off.Y,
                   box.Right + hdc->Origin.X - off.X, box.Bottom + hdc->Origin.Y - off.Y};
    DeleteDC(hdc);
    if (inWindow.Width() > 0 && inWindow.Height() > 0)
        NotifyPainted(w, inWindow);
    return 1;
}

HWND WindowFromDC(HDC hdc)
{
    std::vector<Window*> stack(Desktop()->Children.begin(), Desktop()->Children.end());
    while (!stack.empty()) {
        Window* w = stack.back();
        stack.pop_back();
        if (std::any_of(w->DCs.begin(), w->DCs.end(), [hdc](const WindowDC& d) { return d.Dc == hdc; }))
            return w->Handle;
        stack.insert(stack.end(), w->Children.begin(), w->Children.end());
    }
    return nullptr;
}

cairo_surface_t* GetWindowSurface(HWND hwnd)
{
    Window* w = W(hwnd);
    return (w && IsTopLevel(w)) ? w->Surface.get() : nullptr;
}

// ---- Painting ---------------------------------------------------------------------------------------

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    Window* w = W(hwnd);
    if (!w || !ps)
        return nullptr;
    CaretBeforePaint(w);
    if (w->FrameDirty) {
        w->FrameDirty = false;
        CallProc(w, WM_NCPAINT, 1, 0);
        if (!(w = W(hwnd)))
            return nullptr;
    }
    gdi::Region update = w->Update;
    bool erase = w->Erase;
    Validate(w, nullptr);
    HDC dc = MakeWindowDC(w, false, &update);
    *ps = PAINTSTRUCT{};
    ps->hdc = dc;
    ps->rcPaint = update.Box();
    if (erase && dc) {
        ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    }
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    Window* w = W(hwnd);
    if (!w || !ps)
        return FALSE;
    ReleaseDC(hwnd, ps->hdc);
    CaretAfterPaint(w);
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    if (!hwnd) {
        for (Window* t : Desktop()->Children)
            InvalidateWhole(t, erase);
        return TRUE;
    }
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    gdi::Region r(rect ? *rect : ClientBox(w));
    InvalidateTree(w, &r, erase, 0, false);
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    if (!region)
        return InvalidateRect(hwnd, nullptr, erase);
    gdi::Region r = RegionOf(region);
    InvalidateTree(w, &r, erase, 0, false);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    if (rect) {
        gdi::Region r(*rect);
        Validate(w, &r);
    } else {
        Validate(w, nullptr);
    }
    return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    if (!region) {
        Validate(w, nullptr);
    } else {
        gdi::Region r = RegionOf(region);
        Validate(w, &r);
    }
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags)
{
    Window* w = hwnd ? W(hwnd) : nullptr;
    if (!w)
        return FALSE;
    gdi::Region r = region ? RegionOf(region) : gdi::Region(rect ? *rect : ClientBox(w));
    int childMode = (flags & RDW_ALLCHILDREN) ? 1 : (flags & RDW_NOCHILDREN) ? -1 : 0;
    if (flags & RDW_INVALIDATE)
        InvalidateTree(w, &r, (flags & RDW_ERASE) != 0, childMode, (flags & RDW_FRAME) != 0);
    if (flags & RDW_VALIDATE) {
        Validate(w, &r);
        if (flags & RDW_NOFRAME)
            w->FrameDirty = false;
    }
    if (flags & RDW_UPDATENOW) {
        if (childMode == -1)
            PaintNow(hwnd);
        else
            UpdateTree(hwnd);
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    UpdateTree(hwnd);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase)
{
    Window* w = W(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        *rect = w->Update.Empty() ? TRect{} : w->Update.Box();
    return w->Update.Empty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase)
{
    Window* w = W(hwnd);
    if (!w || !gdi::As<GdiRegion>(region, OBJ_REGION))
        return ERROR;
    CopyToHrgn(w->Update, region);
    return w->Update.Complexity();
}

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   RECT* updateRect, UINT flags)
{
    Window* w = W(hwnd);
    if (!w)
        return ERROR;
    gdi::Region client(ClientBox(w));
    gdi::Region s = scroll ? client.Intersect(gdi::Region(*scroll)) : client;
    gdi::Region c = clip ? client.Intersect(gdi::Region(*clip)) : client;
    gdi::Region area = s.Intersect(c);
    gdi::Region moved = s;
    moved.Offset(dx, dy);
    moved = moved.Intersect(c);
    gdi::Region uncovered = area.Subtract(moved);

    if (Visible(w) && RedrawAllowed(w)) {
        if (const TWindowDC dc(hwnd, MakeWindowDC(w, false, nullptr)); dc.get()) {
            TRect sr = s.Box(), cr = c.Box();
            ScrollDC(dc.get(), dx, dy, &sr, &cr, nullptr, nullptr);
        }
    }
    // Pending paint inside the scrolled part moves with the pixels.
    gdi::Region pending = w->Update.Intersect(s);
    if (!pending.Empty()) {
        w->Update = w->Update.Subtract(pending);
        pending.Offset(dx, dy);
        w->Update = w->Update.Union(pending.Intersect(c));
    }
    if (flags & SW_SCROLLCHILDREN) {
        std::vector<HWND> kids;
        for (Window* k : w->Children)
            if (!scroll || gdi::Region(k->Rect).Overlaps(*scroll))
                kids.push_back(k->Handle);
        for (HWND k : kids)
            if (Window* kw = W(k))
                SetWindowPos(k, nullptr, kw->Rect.Left + dx, kw->Rect.Top + dy, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if ((w = W(hwnd)) != nullptr && (flags & SW_INVALIDATE))
        InvalidateClient(w, uncovered, (flags & SW_ERASE) != 0, !(w->Style & WS_CLIPCHILDREN));
    if (update)
        CopyToHrgn(uncovered, update);
    if (updateRect)
        *updateRect = uncovered.Empty() ? TRect{} : uncovered.Box();
    return uncovered.Complexity();
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip)
{
    UINT flags = SW_INVALIDATE | SW_ERASE | (scroll ? 0u : UINT(SW_SCROLLCHILDREN));
    return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr, flags) != ERROR;
}
