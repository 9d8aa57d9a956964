// Painting of controls: a windowed control's paint (itself, then its windowless children),
// self-drawn controls and their canvases.

#include "platform/forms/Controls.h"

#include <algorithm>

namespace {

std::vector<TControlCanvas*>& CanvasList()
{
    static std::vector<TControlCanvas*> List;
    return List;
}

} // namespace

void TWinControl::WMEraseBkgnd(TMessage& Message)
{
    HDC DC = reinterpret_cast<HDC>(Message.WParam);
    if (DC && !FControlStyle.Contains(csOpaque)) {
        FBrush->SetColor(FColor);
        RECT R{};
        ::GetClientRect(FHandle, &R);
        ::FillRect(DC, &R, FBrush->Handle());
    }
    Message.Result = 1;
}

void TWinControl::PaintWindow(HDC DC)
{
    if (FCanvas) {
        TCanvasPaintLock PaintLock(FCanvas.get(), DC);
        Paint();
        return;
    }
    TMessage M{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
    DefaultHandler(M);
}

void TWinControl::PaintControls(HDC DC, TControl* First)
{
    auto It = First ? std::find(FControls.begin(), FControls.end(), First) : FControls.begin();
    for (; It != FControls.end(); ++It) {
        TControl* C = *It;
        if (!C->FVisible)
            continue;
        const TRect R = C->BoundsRect();
        if (!RectVisible(DC, &R))
            continue;
        const int Saved = SaveDC(DC);
        POINT Org{};
        GetViewportOrgEx(DC, &Org);
        SetViewportOrgEx(DC, Org.X + C->FLeft, Org.Y + C->FTop, nullptr);
        IntersectClipRect(DC, 0, 0, C->FWidth, C->FHeight);
        C->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        RestoreDC(DC, Saved);
    }
}

void TWinControl::PaintHandler(TMessage& Message)
{
    HDC DC = reinterpret_cast<HDC>(Message.WParam);
    PAINTSTRUCT Ps;
    if (!DC)
        DC = BeginPaint(FHandle, &Ps);
    PaintWindow(DC);
    PaintControls(DC, nullptr);
    if (!Message.WParam)
        EndPaint(FHandle, &Ps);
}

void TWinControl::Invalidate()
{
    if (FHandle && IsWindow(FHandle))
        InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update()
{
    if (FHandle && IsWindow(FHandle))
        UpdateWindow(FHandle);
}

// ---- TGraphicControl, TCustomControl ---------------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this))
{
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_PAINT) {
        HDC DC = reinterpret_cast<HDC>(Message.WParam);
        if (DC) {
            TCanvasPaintLock PaintLock(FCanvas.get(), DC);
            Paint();
        }
        return;
    }
    TControl::WndProc(Message);
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner)
{
    FCanvas = std::make_unique<TControlCanvas>(this);
}

TCustomControl::~TCustomControl() = default;

// ---- TCanvasPaintLock ----------------------------------------------------------------------------------

TCanvasPaintLock::TCanvasPaintLock(TCanvas* Canvas, HDC DC) : FCanvas(Canvas)
{
    FCanvas->Lock();
    static_cast<TControlCanvas*>(FCanvas)->FreeHandle();
    FCanvas->SetHandle(DC);
}

TCanvasPaintLock::~TCanvasPaintLock()
{
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
}

// ---- TControlCanvas ------------------------------------------------------------------------------------

TControlCanvas::TControlCanvas(TControl* AControl) : FControl(AControl)
{
    CanvasList().push_back(this);
}

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
    auto& L = CanvasList();
    L.erase(std::remove(L.begin(), L.end(), this), L.end());
}

void TControlCanvas::CreateHandle()
{
    if (FDeviceContext)
        return;
    if (auto* W = dynamic_cast<TWinControl*>(FControl)) {
        FWindowHandle = W->Handle();
        FDeviceContext = GetDC(FWindowHandle);
    } else if (FControl->Parent()) {
        FWindowHandle = FControl->Parent()->Handle();
        FDeviceContext = GetDC(FWindowHandle);
        SetViewportOrgEx(FDeviceContext, FControl->Left(), FControl->Top(), nullptr);
        IntersectClipRect(FDeviceContext, 0, 0, FControl->Width(), FControl->Height());
    }
    if (FDeviceContext)
        SetHandle(FDeviceContext);
}

void TControlCanvas::FreeHandle()
{
    if (FDeviceContext) {
        SetHandle(nullptr);
        if (IsWindow(FWindowHandle))
            ReleaseDC(FWindowHandle, FDeviceContext);
        FDeviceContext = nullptr;
        FWindowHandle = nullptr;
    }
}

void TControlCanvas::FreeDeviceContexts()
{
    for (TControlCanvas* C : CanvasList())
        if (C->FDeviceContext && C->TryLock()) {
            C->FreeHandle();
            C->Unlock();
        }
}
