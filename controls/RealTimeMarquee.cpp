#include "controls/RealTimeMarquee.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Gdi.h"
#include "platform/win/ShellExecute.h"

#include <algorithm>
#include <cwctype>

namespace {

// Holds a marquee's lock for a scope.
class MarqueeLock {
public:
    explicit MarqueeLock(TRealTimeMarquee* Marquee) : M(Marquee) { M->Lock(); }
    ~MarqueeLock() { M->Unlock(); }
    MarqueeLock(const MarqueeLock&) = delete;
    MarqueeLock& operator=(const MarqueeLock&) = delete;

private:
    TRealTimeMarquee* M;
};

WideString Lower(const WideString& S)
{
    WideString L = S;
    for (char16_t& C : L)
        if (C < 128)
            C = static_cast<char16_t>(std::towlower(C));
    return L;
}

} // namespace

// ---- TCompatibleCanvas -------------------------------------------------------------------------

TCompatibleCanvas::TCompatibleCanvas() : FDC(CreateCompatibleDC(nullptr))
{
    SetHandle(FDC);
}

TCompatibleCanvas::~TCompatibleCanvas()
{
    SetHandle(nullptr);
    DeleteDC(FDC);
}

// ---- TMarqueeItem --------------------------------------------------------------------------------

TMarqueeItem::TMarqueeItem(TCollection* Collection)
    : TCollectionItem(Collection), FBitmap(std::make_unique<TBitmap>())
{
}

TMarqueeItem::~TMarqueeItem() = default;

TRealTimeMarquee* TMarqueeItem::GetMarquee() const
{
    auto* Items = static_cast<TMarqueeCollection*>(Collection());
    return Items ? Items->GetMarquee() : nullptr;
}

void TMarqueeItem::SetText(const WideString& Value)
{
    if (Value == FText)
        return;
    TRealTimeMarquee* M = GetMarquee();
    M->Lock();
    FText = Value;
    if (FPrepared)
        Reset();
    Changed(false);
    M->Unlock();
}

void TMarqueeItem::SetStyle(TMarqueeStyle Value)
{
    if (Value == FStyle)
        return;
    TRealTimeMarquee* M = GetMarquee();
    M->Lock();
    FStyle = Value;
    if (FPrepared)
        Reset();
    Changed(false);
    M->Unlock();
}

void TMarqueeItem::SetAlignment(TMarqueeAlignment Value)
{
    if (Value == FAlignment)
        return;
    TRealTimeMarquee* M = GetMarquee();
    M->Lock();
    FAlignment = Value;
    // Only a vertical marquee aligns lines inside the bitmap; across the scroll the alignment
    // is applied when the bitmap is copied.
    if (FPrepared && M->Orientation() == moVertical)
        Reset();
    Changed(false);
    M->Unlock();
}

void TMarqueeItem::Assign(TPersistent* Source)
{
    if (auto* Other = dynamic_cast<TMarqueeItem*>(Source)) {
        TRealTimeMarquee* M = GetMarquee();
        M->Lock();
        SetText(Other->Text());
        SetStyle(Other->Style());
        M->Unlock();
        return;
    }
    TCollectionItem::Assign(Source);
}

AnsiString TMarqueeItem::GetDisplayName() const
{
    AnsiString Name = UTF8Encode(FText);
    return Name.empty() ? TCollectionItem::GetDisplayName() : Name;
}

Integer TMarqueeItem::GetWidth()
{
    if (!FPrepared)
        Prepare();
    return FWidth;
}

Integer TMarqueeItem::GetHeight()
{
    if (!FPrepared)
        Prepare();
    return FHeight;
}

Integer TMarqueeItem::GetSize()
{
    return GetMarquee()->Orientation() == moVertical ? GetHeight() : GetWidth();
}

bool TMarqueeItem::GetShowing() const
{
    TRealTimeMarquee* M = GetMarquee();
    Integer Count = M->OnScreenCount();
    if (Count == 0)
        return false;
    if (Count > Collection()->Count())
        return true;
    Integer H = M->HeadIndex(), T = M->TailIndex(), I = Index();
    return H <= T ? (H <= I && I <= T) : (I >= H || I <= T);
}

void TMarqueeItem::Reset()
{
    TRealTimeMarquee* M = GetMarquee();
    M->Lock();
    if (FPrepared) {
        FPrepared = false;
        if (FLinks)
            FLinks->Clear();
        FBitmap->SetSize(0, 0);
        FWidth = FHeight = 0;
    }
    M->Unlock();
}

void TMarqueeItem::Prepare()
{
    if (FLinks)
        FLinks->Clear();
    switch (FStyle) {
    case msText:
        PrepareText();
        break;
    case msHTML:
        PrepareHTML();
        break;
    case msOwnerDraw:
        PrepareOwnerDraw();
        break;
    }
    FPrepared = true;
}

void TMarqueeItem::PrepareText()
{
    TRealTimeMarquee* M = GetMarquee();
    const bool Vertical = M->Orientation() == moVertical;
    UINT Flags = DT_NOPREFIX | DT_NOCLIP | DT_EXPANDTABS;
    if (Vertical)
        Flags |= (FAlignment == maCenter      ? DT_CENTER
                  : FAlignment == maLeftOrTop ? DT_LEFT
                                              : DT_RIGHT) |
                 DT_WORDBREAK;
    else
        Flags |= DT_CENTER | DT_SINGLELINE;
    Flags = M->DrawTextBiDiModeFlags(Flags);

    TCompatibleCanvas Measure;
    Measure.Font()->Assign(M->Font());
    TEXTMETRICA Metrics{};
    GetTextMetrics(Measure.Handle(), &Metrics);
    const Integer Ave = Metrics.tmAveCharWidth;
    TRect R{0, 0, Vertical ? M->ClientWidth() - Ave : 0x7FFFFFFF, 0};
    DrawTextW(Measure.Handle(), FText.c_str(), static_cast<int>(FText.size()), &R, Flags | DT_CALCRECT);
    FWidth = R.Width() + Ave;
    FHeight = R.Height();

    FBitmap->SetSize(FWidth, FHeight);
    TCanvas* C = FBitmap->Canvas();
    C->Brush()->SetColor(M->Color());
    C->FillRect(TRect{0, 0, FWidth, FHeight});
    C->Font()->Assign(M->Font());
    C->Brush()->SetStyle(bsClear);
    TRect Text{Ave / 2, 0, FWidth - Ave / 2, FHeight};
    DrawTextW(C->Handle(), FText.c_str(), static_cast<int>(FText.size()), &Text, Flags);
}

TPicture* TMarqueeItem::HtmlImage(TObject*, const WideString& URI)
{
    return GetMarquee()->DoGetImage(URI);
}

void TMarqueeItem::PrepareHTML()
{
    TRealTimeMarquee* M = GetMarquee();
    TSimpleHTML Doc(FText);
    Doc.OnAdvanceGetImage = [this](TObject* Sender, const WideString& URI) { return HtmlImage(Sender, URI); };
    TCompatibleCanvas Measure;
    Measure.Font()->Assign(M->Font());
    TSize Size{0, 0};
    Doc.Extend(&Measure, Size);
    TEXTMETRICA Metrics{};
    GetTextMetrics(Measure.Handle(), &Metrics);
    const Integer Ave = Metrics.tmAveCharWidth;
    FWidth = Size.cx + Ave;
    FHeight = Size.cy;

    FBitmap->SetSize(FWidth, FHeight);
    TCanvas* C = FBitmap->Canvas();
    C->Brush()->SetColor(M->Color());
    C->FillRect(TRect{0, 0, FWidth, FHeight});
    C->Font()->Assign(M->Font());
    SetLayout(C->Handle(), M->UseRightToLeftReading() ? LAYOUT_RTL : 0);
    TRect R{Ave / 2, 0, FWidth - Ave / 2, FHeight};
    Doc.Draw(C, R);
    if (!FLinks)
        FLinks = std::make_unique<TSimpleLinks>();
    Doc.CollectLinks(C, R, FLinks.get());
    SetLayout(C->Handle(), 0);
}

void TMarqueeItem::PrepareOwnerDraw()
{
    TRealTimeMarquee* M = GetMarquee();
    FBitmap->SetSize(0, 0);
    FBitmap->Canvas()->Brush()->SetColor(M->Color());
    FBitmap->Canvas()->Font()->Assign(M->Font());
    M->DoDrawItem(this, FBitmap.get());
    FWidth = FBitmap->Width();
    FHeight = FBitmap->Height();
}

void TMarqueeItem::Draw(HDC DC, Integer X, Integer Y)
{
    if (!FPrepared)
        Prepare();
    TRect R{X, Y, X + FWidth, Y + FHeight};
    if (FWidth > 0 && FHeight > 0 && RectVisible(DC, &R))
        BitBlt(DC, X, Y, FWidth, FHeight, FBitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
}

bool TMarqueeItem::LinkAt(Integer X, Integer Y, WideString& Link)
{
    Link.clear();
    if (!FPrepared || FStyle != msHTML || !FLinks || FLinks->GetCount() == 0)
        return false;
    Integer I = FLinks->IndexOfLinkAt(X, Y);
    if (I < 0)
        return false;
    Link = FLinks->GetLinks(I);
    return true;
}

// ---- TMarqueeCollection --------------------------------------------------------------------------

TMarqueeCollection::TMarqueeCollection(TRealTimeMarquee* AOwner)
    : TOwnedCollection(AOwner, ItemClassOf<TMarqueeItem>()), FMarquee(AOwner)
{
}

void TMarqueeCollection::Update(TCollectionItem* Item)
{
    FMarquee->ItemChanged(static_cast<TMarqueeItem*>(Item));
}

void TMarqueeCollection::BeginUpdate()
{
    FMarquee->Lock();
    FLockedAt.push_back(UpdateCount());
    TOwnedCollection::BeginUpdate();
}

// The collection's own brackets (Clear, Assign) call the inherited BeginUpdate, which takes no
// lock, and this EndUpdate: the lock is left only by the EndUpdate that matches a BeginUpdate
// of ours.
void TMarqueeCollection::EndUpdate()
{
    TOwnedCollection::EndUpdate();
    if (!FLockedAt.empty() && UpdateCount() == FLockedAt.back()) {
        FLockedAt.pop_back();
        FMarquee->Unlock();
    }
}

TMarqueeItem* TMarqueeCollection::Add()
{
    MarqueeLock L(FMarquee);
    return static_cast<TMarqueeItem*>(TOwnedCollection::Add());
}

TMarqueeItem* TMarqueeCollection::Insert(Integer Index)
{
    MarqueeLock L(FMarquee);
    return static_cast<TMarqueeItem*>(TOwnedCollection::Insert(Index));
}

void TMarqueeCollection::Delete(Integer Index)
{
    MarqueeLock L(FMarquee);
    TOwnedCollection::Delete(Index);
}

void TMarqueeCollection::Reset()
{
    MarqueeLock L(FMarquee);
    for (Integer I = 0; I < Count(); ++I)
        GetItems(I)->Reset();
}

void TMarqueeCollection::LoadFromStrings(TStrings* Strings, TMarqueeStyle Style)
{
    BeginUpdate();
    try {
        Clear();
        for (Integer I = 0; I < Strings->Count(); ++I) {
            TMarqueeItem* Item = Add();
            Item->SetText(UTF8Decode(Strings->Strings(I)));
            Item->SetStyle(Style);
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TMarqueeCollection::SaveToStrings(TStrings* Strings)
{
    Strings->BeginUpdate();
    Strings->Clear();
    for (Integer I = 0; I < Count(); ++I)
        Strings->Add(UTF8Encode(GetItems(I)->Text()));
    Strings->EndUpdate();
}

// ---- TRealTimeMarquee ----------------------------------------------------------------------------

TRealTimeMarquee::TRealTimeMarquee(TComponent* AOwner)
    : TCustomControl(AOwner), FItems(std::make_unique<TMarqueeCollection>(this)),
      FImageCache(std::make_unique<TImageCache>())
{
    timeGetDevCaps(&FTimeCaps, sizeof FTimeCaps);
    // The marquee's pictures are its own; the cache frees them with it.
    FImageCache->SetOwning(true);
    SetInterval(10);
    SetBounds(Left(), Top(), 200, 20);
}

TRealTimeMarquee::~TRealTimeMarquee()
{
    // No tick may reach the marquee once it is gone.
    StopTimer();
    if (HandleAllocated())
        DestroyHandle();
    FImageCache.reset();
    FItems.reset();
}

void TRealTimeMarquee::TimerProc(UINT TimerID, UINT, DWORD_PTR User, DWORD_PTR, DWORD_PTR)
{
    auto* M = reinterpret_cast<TRealTimeMarquee*>(User);
    MarqueeLock L(M);
    // A tick that was stopped meanwhile does nothing.
    if (M->FTimerID != TimerID)
        return;
    M->FTimerID = 0;
    if (!M->FStepRequested) {
        M->FStepRequested = true;
        PostMessage(M->FStepTarget, CM_STEP, 0, 0);
    }
}

void TRealTimeMarquee::StartTimer()
{
    MarqueeLock L(this);
    if (FTimerID != 0 || FStepRequested || !HandleAllocated() || ComponentState().Contains(csLoading))
        return;
    FStepTarget = Handle();
    FTimerID = timeSetEvent(FInterval, FResolution, TimerProc, reinterpret_cast<DWORD_PTR>(this),
                            TIME_ONESHOT | TIME_CALLBACK_FUNCTION);
}

void TRealTimeMarquee::StopTimer()
{
    std::vector<UINT> Ids;
    {
        MarqueeLock L(this);
        if (FTimerID)
            FStaleTimers.push_back(FTimerID);
        FTimerID = 0;
        FStepRequested = false;
        // The caller holds the lock as well (a setter, an update bracket): a tick under way waits
        // for that lock, so waiting here for the tick would never end. The tick finds its timer
        // stopped and does nothing; the timer is killed by the next stop made outside the lock,
        // at the latest by the destructor's.
        if (FLockDepth > 1)
            return;
        Ids.swap(FStaleTimers);
    }
    // Outside the lock: a callback under way may be waiting for it, and the kill waits for the
    // callback.
    for (UINT Id : Ids)
        timeKillEvent(Id);
}

void TRealTimeMarquee::CheckTimer()
{
    if (FActive && !ComponentState().Contains(csLoading) && HandleAllocated() && FItems->Count() > 0)
        StartTimer();
    else
        StopTimer();
}

void TRealTimeMarquee::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    MarqueeLock L(this);
    FActive = Value;
    CheckTimer();
}

void TRealTimeMarquee::SetInterval(Cardinal Value)
{
    Value = std::clamp<Cardinal>(Value, FTimeCaps.wPeriodMin, FTimeCaps.wPeriodMax);
    if (Value == FInterval)
        return;
    if (HandleAllocated() && FResolution)
        timeEndPeriod(FResolution);
    FInterval = Value;
    FResolution = std::max<UINT>(FInterval / 10, FTimeCaps.wPeriodMin);
    if (HandleAllocated())
        timeBeginPeriod(FResolution);
}

void TRealTimeMarquee::SetStep(Byte Value)
{
    if (Value == 0)
        Value = 1;
    if (Value == FStep)
        return;
    MarqueeLock L(this);
    FStep = Value;
}

void TRealTimeMarquee::SetSpacing(TPercent Value)
{
    if (Value == FSpacing)
        return;
    FSpacing = std::min<TPercent>(Value, 100);
    if (HandleAllocated()) {
        MarqueeLock L(this);
        RecalcSpacing();
        if (FOnScreen > 0) {
            RecalcPositions();
            Invalidate();
        }
    }
}

void TRealTimeMarquee::SetLoopSpacing(TPercent Value)
{
    if (Value == FLoopSpacing)
        return;
    FLoopSpacing = std::min<TPercent>(Value, 100);
    if (HandleAllocated()) {
        MarqueeLock L(this);
        RecalcSpacing();
        if (FOnScreen > 0) {
            RecalcPositions();
            Invalidate();
        }
    }
}

void TRealTimeMarquee::SetOrientation(TMarqueeOrientation Value)
{
    if (Value == FOrientation)
        return;
    MarqueeLock L(this);
    FOrientation = Value;
    if (HandleAllocated())
        RecalcSpacing();
    FItems->Reset();
    FOnScreen = 0;
    FLoopsStarted = FLoopsCompleted = 0;
    Invalidate();
}

void TRealTimeMarquee::SetItems(TMarqueeCollection* Value)
{
    FItems->Assign(Value);
}

void TRealTimeMarquee::ItemChanged(TMarqueeItem* Item)
{
    MarqueeLock L(this);
    if (!Item) {
        if (FOnScreen > 0) {
            RecalcPositions();
            Invalidate();
        }
        CheckTimer();
    } else if (Item->GetShowing()) {
        RecalcPositions();
        Invalidate();
    }
}

void TRealTimeMarquee::Reset()
{
    MarqueeLock L(this);
    FItems->Clear();
    FOnScreen = 0;
    FLoopsStarted = FLoopsCompleted = 0;
    Invalidate();
}

Integer TRealTimeMarquee::Extent()
{
    return FOrientation == moVertical ? ClientHeight() : ClientWidth();
}

void TRealTimeMarquee::RecalcSpacing()
{
    const Integer E = Extent();
    FSpacingPx = static_cast<Integer>((static_cast<Int64>(E) * FSpacing + 50) / 100);
    FLoopSpacingPx = static_cast<Integer>((static_cast<Int64>(E) * FLoopSpacing + 50) / 100);
}

Integer TRealTimeMarquee::PrevIndex(Integer I) const
{
    return I == 0 ? FItems->Count() - 1 : I - 1;
}

// Keeps the tail item and its distance and walks back over the items that still reach into the
// client area, through no more passes than have been started, to find the head and the count.
void TRealTimeMarquee::RecalcPositions()
{
    const Integer Count = FItems->Count();
    if (FOnScreen == 0 || Count == 0) {
        if (Count == 0)
            FOnScreen = 0;
        return;
    }
    FTail = std::min(FTail, Count - 1);
    while (FTail > 0 && !FItems->GetItems(FTail)->Prepared())
        --FTail;
    const Integer E = Extent();
    Integer Index = FTail, Dist = FTailDist, OnScreen = 1;
    Cardinal Wraps = 0;
    for (;;) {
        Integer Gap = GapBefore(Index);
        if (Dist + Gap >= E || (Index == 0 && Wraps + 1 >= std::max<Cardinal>(FLoopsStarted, 1)))
            break;
        Integer Prev = PrevIndex(Index);
        Dist += Gap + FItems->GetItems(Prev)->GetSize();
        if (Index == 0)
            ++Wraps;
        Index = Prev;
        ++OnScreen;
        if (OnScreen > 100000)
            break;
    }
    FHead = Index;
    FHeadDist = Dist;
    FOnScreen = OnScreen;
}

void TRealTimeMarquee::ItemOrigin(TMarqueeItem* Item, Integer Along, Integer& X, Integer& Y)
{
    if (FOrientation == moVertical) {
        Y = Along;
        Integer Free = ClientWidth() - Item->GetWidth();
        X = Item->Alignment() == maCenter ? Free / 2 : Item->Alignment() == maLeftOrTop ? 0 : Free;
    } else {
        X = Along;
        Integer Free = ClientHeight() - Item->GetHeight();
        Y = Item->Alignment() == maCenter ? Free / 2 : Item->Alignment() == maLeftOrTop ? 0 : Free;
    }
}

void TRealTimeMarquee::UpdateRect(HDC DC, const TRect& Rect)
{
    HBRUSH Brush = CreateSolidBrush(ColorToRGB(Color()));
    FillRect(DC, &Rect, Brush);
    DeleteObject(Brush);
    if (FOnScreen == 0 || FItems->Count() == 0)
        return;
    const bool Vertical = FOrientation == moVertical;
    const bool Rtl = !Vertical && UseRightToLeftAlignment();
    Integer Index = std::min(FTail, FItems->Count() - 1);
    TMarqueeItem* Item = FItems->GetItems(Index);
    Integer Along = Vertical ? ClientHeight() - FTailDist
                             : (Rtl ? FTailDist - Item->GetWidth() : ClientWidth() - FTailDist);
    for (Integer N = 0; N < FOnScreen; ++N) {
        Integer X, Y;
        ItemOrigin(Item, Along, X, Y);
        Item->Draw(DC, X, Y);
        Integer Gap = GapBefore(Index);
        if (Rtl) {
            Along += Item->GetWidth() + Gap;
            if (Along > Rect.Right)
                break;
        } else {
            Along -= Gap;
            if (Vertical ? Along < Rect.Top : Along < Rect.Left)
                break;
        }
        Index = PrevIndex(Index);
        Item = FItems->GetItems(Index);
        if (!Rtl)
            Along -= Item->GetSize();
    }
}

void TRealTimeMarquee::StepIt()
{
    bool Wrapped = false;
    {
        MarqueeLock L(this);
        if (FItems->Count() == 0 || !HandleAllocated())
            return;
        const Integer E = Extent();
        HDC DC = GetDC(Handle());
        if (FOnScreen == 0) {
            FHead = FTail = 0;
            FHeadDist = FTailDist = 0;
            ++FLoopsStarted;
            FOnScreen = 1;
        }
        FHeadDist += FStep;
        FTailDist += FStep;
        TRect Client = ClientRect();
        TRect Strip = Client;
        RECT Pending{};
        if (!GetUpdateRect(Handle(), &Pending, FALSE) && !ComponentState().Contains(csDesigning)) {
            if (FOrientation == moVertical) {
                ScrollDC(DC, 0, -FStep, &Client, &Client, nullptr, nullptr);
                Strip.Top = std::max(Client.Top, Client.Bottom - FStep);
            } else if (UseRightToLeftAlignment()) {
                ScrollDC(DC, FStep, 0, &Client, &Client, nullptr, nullptr);
                Strip.Right = std::min(Client.Right, Client.Left + FStep);
            } else {
                ScrollDC(DC, -FStep, 0, &Client, &Client, nullptr, nullptr);
                Strip.Left = std::max(Client.Left, Client.Right - FStep);
            }
        }
        // The head item has left.
        TMarqueeItem* HeadItem = FItems->GetItems(std::min(FHead, FItems->Count() - 1));
        if (FOnScreen > 0 && FHeadDist >= E + HeadItem->GetSize()) {
            FHeadDist -= HeadItem->GetSize();
            --FOnScreen;
            if (++FHead >= FItems->Count()) {
                FHead = 0;
                Wrapped = true;
                ++FLoopsCompleted;
                if (FNumLoops != 0 && FLoopsCompleted >= FNumLoops) {
                    FActive = false;
                    FLoopsStarted = FLoopsCompleted = 0;
                }
                FHeadDist -= FLoopSpacingPx;
            } else
                FHeadDist -= FSpacingPx;
        }
        // The next item enters.
        if (FActive) {
            const bool Last = FTail >= FItems->Count() - 1;
            const Integer Gap = Last ? FLoopSpacingPx : FSpacingPx;
            TMarqueeItem* TailItem = FItems->GetItems(std::min(FTail, FItems->Count() - 1));
            if (FTailDist >= TailItem->GetSize() + Gap &&
                !(FNumLoops != 0 && FLoopsStarted >= FNumLoops && Last)) {
                FTailDist -= TailItem->GetSize() + Gap;
                if (Last) {
                    FTail = 0;
                    ++FLoopsStarted;
                } else
                    ++FTail;
                ++FOnScreen;
            }
        }
        UpdateRect(DC, Strip);
        ReleaseDC(Handle(), DC);
    }
    if (FMouseInside && Enabled() && !Dragging())
        PostCursorCheck();
    if (Wrapped)
        PostMessage(Handle(), CM_WRAP, 0, 0);
    if (FActive)
        StartTimer();
}

void TRealTimeMarquee::PostCursorCheck()
{
    PostMessage(Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()),
                MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

bool TRealTimeMarquee::LinkAt(const TPoint& Point, WideString& Link)
{
    MarqueeLock L(this);
    Link.clear();
    if (FOnScreen == 0 || FItems->Count() == 0)
        return false;
    const bool Vertical = FOrientation == moVertical;
    const bool Rtl = !Vertical && UseRightToLeftAlignment();
    Integer Index = std::min(FTail, FItems->Count() - 1);
    TMarqueeItem* Item = FItems->GetItems(Index);
    Integer Along = Vertical ? ClientHeight() - FTailDist
                             : (Rtl ? FTailDist - Item->GetWidth() : ClientWidth() - FTailDist);
    for (Integer N = 0; N < FOnScreen; ++N) {
        Integer X, Y;
        ItemOrigin(Item, Along, X, Y);
        if (Item->LinkAt(Point.X - X, Point.Y - Y, Link))
            return true;
        Integer Gap = GapBefore(Index);
        Index = PrevIndex(Index);
        if (Rtl)
            Along += Item->GetWidth() + Gap;
        Item = FItems->GetItems(Index);
        if (!Rtl)
            Along -= Gap + Item->GetSize();
    }
    return false;
}

void TRealTimeMarquee::DoMouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TRealTimeMarquee::DoMouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TRealTimeMarquee::DoWrap()
{
    if (OnWrap)
        OnWrap(this);
}

void TRealTimeMarquee::DoLink(const WideString& Link)
{
    if (OnLink)
        OnLink(this, Link);
    else if (!Link.empty())
        ShellExecuteW(Handle(), u"open", Link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

TPicture* TRealTimeMarquee::DoGetImage(const WideString& URI)
{
    const WideString Key = Lower(URI);
    if (TPicture* Cached = FImageCache->ImageOf(Key))
        return Cached;
    auto* Picture = new TPicture;
    FImageCache->Add(Key, Picture);
    if (OnImage)
        OnImage(this, URI, Picture);
    else if (FileExists(UTF8Encode(URI))) {
        try {
            Picture->LoadFromFile(UTF8Encode(URI));
        } catch (const Exception&) {
            // A picture that cannot be read stays empty.
        }
    }
    return Picture;
}

void TRealTimeMarquee::DoDrawItem(TMarqueeItem* Item, TBitmap* Bitmap)
{
    if (OnDrawItem)
        OnDrawItem(this, Item, Bitmap);
}

void TRealTimeMarquee::SetParentBiDiMode(bool Value)
{
    FParentBiDiMode = Value;
    if (Value && Parent())
        SetBiDiMode(Parent()->BiDiMode());
}

void TRealTimeMarquee::SetParent(TWinControl* AParent)
{
    TCustomControl::SetParent(AParent);
    if (FParentBiDiMode && AParent)
        SetBiDiMode(AParent->BiDiMode());
}

void TRealTimeMarquee::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    if (AWidth != Width() || AHeight != Height()) {
        bool Resize = true;
        if (OnCanResize)
            OnCanResize(this, AWidth, AHeight, Resize);
        if (!Resize) {
            AWidth = Width();
            AHeight = Height();
        }
        Integer MinW = 0, MinH = 0, MaxW = 0, MaxH = 0;
        if (OnConstrainedResize)
            OnConstrainedResize(this, MinW, MinH, MaxW, MaxH);
        if (MaxW > 0)
            AWidth = std::min(AWidth, MaxW);
        if (MaxH > 0)
            AHeight = std::min(AHeight, MaxH);
        AWidth = std::max(AWidth, MinW);
        AHeight = std::max(AHeight, MinH);
    }
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TRealTimeMarquee::Invalidate()
{
    if (!HandleAllocated())
        return;
    TCustomControl::Invalidate();
    if (FMouseInside && Enabled() && !Dragging())
        PostCursorCheck();
}

void TRealTimeMarquee::Loaded()
{
    TCustomControl::Loaded();
    CheckTimer();
}

void TRealTimeMarquee::CreateWnd()
{
    TCustomControl::CreateWnd();
    timeBeginPeriod(FResolution);
    RecalcSpacing();
    CheckTimer();
}

void TRealTimeMarquee::DestroyWnd()
{
    StopTimer();
    timeEndPeriod(FResolution);
    TCustomControl::DestroyWnd();
}

void TRealTimeMarquee::Paint()
{
    MarqueeLock L(this);
    UpdateRect(Canvas()->Handle(), ClientRect());
}

void TRealTimeMarquee::Click()
{
    TCustomControl::Click();
    if (!FHoverLink.empty())
        DoLink(FHoverLink);
}

void TRealTimeMarquee::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_DESTROY:
        StopTimer();
        TCustomControl::WndProc(Message);
        return;
    case WM_SIZE: {
        MarqueeLock L(this);
        TCustomControl::WndProc(Message);
        if (FOrientation == moVertical)
            FItems->Reset();
        RecalcSpacing();
        RecalcPositions();
        return;
    }
    case WM_PAINT: {
        MarqueeLock L(this);
        TCustomControl::WndProc(Message);
        return;
    }
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_SETCURSOR:
        if (!Dragging() && Enabled()) {
            POINT P{};
            GetCursorPos(&P);
            ::ScreenToClient(Handle(), &P);
            WideString Link;
            if (LinkAt(TPoint{P.X, P.Y}, Link)) {
                FHoverLink = Link;
                ::SetCursor(Screen->Cursors(crHandPoint));
                Message.Result = 1;
                return;
            }
            FHoverLink.clear();
        }
        TCustomControl::WndProc(Message);
        return;
    case CM_STEP: {
        bool Requested;
        {
            MarqueeLock L(this);
            Requested = FStepRequested;
            FStepRequested = false;
        }
        if (Requested)
            StepIt();
    }
        return;
    case CM_WRAP:
        DoWrap();
        return;
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_BIDIMODECHANGED: {
        MarqueeLock L(this);
        FItems->Reset();
        TCustomControl::WndProc(Message);
        RecalcPositions();
        return;
    }
    case CM_MOUSEENTER:
        FMouseInside = true;
        TCustomControl::WndProc(Message);
        DoMouseEnter();
        return;
    case CM_MOUSELEAVE:
        FMouseInside = false;
        TCustomControl::WndProc(Message);
        DoMouseLeave();
        return;
    default:
        TCustomControl::WndProc(Message);
    }
}
