#pragma once

// TRealTimeMarquee: a ticker that scrolls its items (plain text, simple HTML with links and
// pictures, or bitmaps the application draws) through its client area, right to left (left to
// right for a right-to-left control) or upwards, a few pixels per tick of a multimedia timer.
//
// Threads: the timer's callback runs on the timer service's thread. It only takes the
// marquee's lock, checks that its tick is still the pending one and posts one step message;
// the step itself (moving, scrolling the window and painting the uncovered strip, preparing
// items, OnDrawItem and OnImage) runs on the user-interface thread, where the platform's
// drawing lives. The lock (re-entrant) guards the scroll state and the items against changes
// made from other threads. StopTimer kills the pending tick synchronously, so once it (or the
// window's destruction) has returned no callback refers to the marquee any more.
//
// The items (TMarqueeItem) render themselves once into a bitmap of their own, which each step
// then only copies.

#include "controls/SimpleHTML.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Graphics.h"
#include "platform/rtl/Collections.h"
#include "platform/rtl/StringLists.h"
#include "platform/win/MMSystem.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TRealTimeMarquee;
class TMarqueeItem;

enum TMarqueeAlignment { maCenter, maLeftOrTop, maRightOrBottom };
enum TMarqueeStyle { msText, msHTML, msOwnerDraw };
enum TMarqueeOrientation { moHorizontal, moVertical };
using TPercent = Byte; // 0..100

using TMarqueeDrawItemEvent = std::function<void(TObject* Sender, TMarqueeItem* Item, TBitmap* Bitmap)>;
using TMarqueeImageEvent = std::function<void(TObject* Sender, const WideString& URI, TPicture* Image)>;
using TMarqueeLinkEvent = std::function<void(TObject* Sender, const WideString& Link)>;
using TCanResizeEvent =
    std::function<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent = std::function<void(TObject* Sender, Integer& MinWidth, Integer& MinHeight,
                                                   Integer& MaxWidth, Integer& MaxHeight)>;
// Docking: the platform docks nothing, so these events are published but never fire.
using TDockDropEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TDockOverEvent =
    std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y, Integer State, bool& Accept)>;
using TStartDockEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;
using TUnDockEvent =
    std::function<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;

// A canvas on a memory device context compatible with the screen.
class TCompatibleCanvas : public TCanvas {
public:
    TCompatibleCanvas();
    ~TCompatibleCanvas() override;
    TCompatibleCanvas(const TCompatibleCanvas&) = delete;
    TCompatibleCanvas& operator=(const TCompatibleCanvas&) = delete;

private:
    HDC FDC;
};

class TMarqueeItem : public TCollectionItem {
public:
    explicit TMarqueeItem(TCollection* Collection);
    ~TMarqueeItem() override;

    TMarqueeAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TMarqueeAlignment Value);
    TMarqueeStyle Style() const { return FStyle; }
    void SetStyle(TMarqueeStyle Value);
    const WideString& Text() const { return FText; }
    void SetText(const WideString& Value);
    Integer Tag() const { return FTag; }
    void SetTag(Integer Value) { FTag = Value; }

    TRealTimeMarquee* GetMarquee() const;
    // The rendered size, rendering first when needed; GetSize is the size along the scroll.
    Integer GetWidth();
    Integer GetHeight();
    Integer GetSize();
    // Whether the item is among those on screen.
    bool GetShowing() const;
    bool Prepared() const { return FPrepared; }

    void Assign(TPersistent* Source) override;

    // Copies the bitmap to DC at (X, Y) when that rectangle is visible there.
    virtual void Draw(HDC DC, Integer X, Integer Y);
    // The link under (X, Y), relative to the item's top-left corner (HTML items only).
    virtual bool LinkAt(Integer X, Integer Y, WideString& Link);
    // Drops the rendering.
    virtual void Reset();
    virtual void Prepare();

protected:
    AnsiString GetDisplayName() const override;
    virtual void PrepareText();
    virtual void PrepareHTML();
    virtual void PrepareOwnerDraw();
    TPicture* HtmlImage(TObject* Sender, const WideString& URI);

private:
    TMarqueeAlignment FAlignment = maCenter;
    TMarqueeStyle FStyle = msText;
    WideString FText;
    Integer FTag = 0;
    bool FPrepared = false;
    std::unique_ptr<TBitmap> FBitmap;
    std::unique_ptr<TSimpleLinks> FLinks;
    Integer FWidth = 0;
    Integer FHeight = 0;
};

class TMarqueeCollection : public TOwnedCollection {
public:
    explicit TMarqueeCollection(TRealTimeMarquee* AOwner);

    TRealTimeMarquee* GetMarquee() const { return FMarquee; }
    TMarqueeItem* GetItems(Integer Index) const { return static_cast<TMarqueeItem*>(Items(Index)); }

    // Under the marquee's lock: BeginUpdate takes it, the matching EndUpdate leaves it.
    void BeginUpdate();
    void EndUpdate() override;
    TMarqueeItem* Add();
    TMarqueeItem* Insert(Integer Index);
    void Delete(Integer Index);
    // Every item drops its rendering.
    virtual void Reset();

    // One item per line with the given style / each item's text as a line.
    void LoadFromStrings(TStrings* Strings, TMarqueeStyle Style);
    void SaveToStrings(TStrings* Strings);

protected:
    void Update(TCollectionItem* Item) override;

private:
    TRealTimeMarquee* FMarquee;
    std::vector<Integer> FLockedAt; // update counts at which BeginUpdate took the lock
};

class TRealTimeMarquee : public TCustomControl {
public:
    // The private message that asks the window to fire OnWrap, and the one of a timer tick.
    static constexpr UINT CM_WRAP = WM_USER;
    static constexpr UINT CM_STEP = WM_USER + 1;

    explicit TRealTimeMarquee(TComponent* AOwner);
    ~TRealTimeMarquee() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    Cardinal Interval() const { return FInterval; }
    void SetInterval(Cardinal Value);
    TMarqueeCollection* Items() const { return FItems.get(); }
    void SetItems(TMarqueeCollection* Value);
    Cardinal NumLoops() const { return FNumLoops; }
    void SetNumLoops(Cardinal Value) { FNumLoops = Value; }
    TPercent LoopSpacing() const { return FLoopSpacing; }
    void SetLoopSpacing(TPercent Value);
    TMarqueeOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TMarqueeOrientation Value);
    TPercent Spacing() const { return FSpacing; }
    void SetSpacing(TPercent Value);
    Byte Step() const { return FStep; }
    void SetStep(Byte Value);

    TMarqueeDrawItemEvent OnDrawItem;
    TMarqueeImageEvent OnImage;
    TMarqueeLinkEvent OnLink;
    TNotifyEvent OnWrap;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    // Asked before every change of size: a handler may change the size or refuse it; the
    // constraints it gives (0: none) then bound it.
    TCanResizeEvent OnCanResize;
    TConstrainedResizeEvent OnConstrainedResize;
    TDockDropEvent OnDockDrop;
    TDockOverEvent OnDockOver;
    TEndDragEvent OnEndDock;
    TStartDockEvent OnStartDock;
    TUnDockEvent OnUnDock;

    // Takes the parent's BiDiMode when set (and when the control gets a parent).
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void SetParent(TWinControl* AParent) override;

    void Lock()
    {
        FLock.lock();
        ++FLockDepth;
    }
    void Unlock()
    {
        --FLockDepth;
        FLock.unlock();
    }
    void StartTimer();
    void StopTimer();
    void CheckTimer();
    void ItemChanged(TMarqueeItem* Item);
    // Clears every item and starts again from an empty screen.
    void Reset();
    bool LinkAt(const TPoint& Point, WideString& Link);
    // One step of the scroll (the timer's work).
    void StepIt();

    // Scroll state, for tests and for the items.
    Integer OnScreenCount() const { return FOnScreen; }
    Integer HeadIndex() const { return FHead; }
    Integer TailIndex() const { return FTail; }
    Integer HeadDistance() const { return FHeadDist; }
    Integer TailDistance() const { return FTailDist; }
    bool TimerPending() const { return FTimerID != 0; }

    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual void DoWrap();
    virtual void DoLink(const WideString& Link);
    virtual TPicture* DoGetImage(const WideString& URI);
    virtual void DoDrawItem(TMarqueeItem* Item, TBitmap* Bitmap);

    void Invalidate() override;

protected:
    void Loaded() override;
    void WndProc(TMessage& Message) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Paint() override;
    void Click() override;

private:
    static void TimerProc(UINT TimerID, UINT Msg, DWORD_PTR User, DWORD_PTR, DWORD_PTR);
    Integer Extent();
    Integer GapBefore(Integer Index) const { return Index == 0 ? FLoopSpacingPx : FSpacingPx; }
    void RecalcSpacing();
    void RecalcPositions();
    void UpdateRect(HDC DC, const TRect& Rect);
    void ItemOrigin(TMarqueeItem* Item, Integer Along, Integer& X, Integer& Y);
    void PostCursorCheck();
    Integer PrevIndex(Integer I) const;

    std::recursive_mutex FLock;
    int FLockDepth = 0; // changed and read only by the thread that holds FLock
    bool FActive = false;
    Cardinal FInterval = 0;
    std::unique_ptr<TMarqueeCollection> FItems;
    Cardinal FNumLoops = 0;
    TPercent FLoopSpacing = 100;
    TMarqueeOrientation FOrientation = moHorizontal;
    TPercent FSpacing = 100;
    Byte FStep = 1;

    Integer FOnScreen = 0;
    Integer FHead = 0, FHeadDist = 0;
    Integer FTail = 0, FTailDist = 0;
    Cardinal FLoopsStarted = 0, FLoopsCompleted = 0;
    Integer FSpacingPx = 0, FLoopSpacingPx = 0;
    UINT FTimerID = 0;
    std::vector<UINT> FStaleTimers; // stopped under a held lock, killed at the next stop outside it
    UINT FResolution = 0;
    bool FStepRequested = false;
    HWND FStepTarget = nullptr;
    WideString FHoverLink;
    bool FMouseInside = false;
    TIMECAPS FTimeCaps{};
    bool FParentBiDiMode = true;
    std::unique_ptr<TImageCache> FImageCache;
};
