#pragma once

// The desktop backend on GTK 3. Each top-level window of the window layer becomes an
// undecorated GTK window showing the window's backing surface (the layer draws caption and
// borders itself, so the GTK window's area is exactly the layer's window rectangle); popup
// windows (drop-downs, menus, tooltips) become override-redirect popups that grab pointer and
// keyboard while they hold the capture. Input goes back to the layer through its Input*
// entry points after each turn of the GLib main loop, never from inside a GTK handler, so a
// window procedure never runs nested in GTK's event dispatch.

#include "platform/win/Backend.h"
#include "platform/win/GraphicsOwners.h"

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkIMContext GtkIMContext;
typedef struct _GdkEventKey GdkEventKey;
typedef struct _GdkDragContext GdkDragContext;
typedef struct _GtkSelectionData GtkSelectionData;

class GtkBackend : public PlatformBackend {
public:
    GtkBackend();
    ~GtkBackend() override;

    const char* Name() const override { return "gtk"; }
    TSize ScreenSize() const override;
    TRect WorkArea() const override;
    std::uint64_t Now() const override;

    void WaitForEvents(int timeoutMs) override;
    void Wake() override;

    void WindowShown(HWND, bool visible) override;
    void WindowMoved(HWND, const TRect& screenRect) override;
    void WindowRestacked() override;
    void WindowPainted(HWND, const TRect& rect) override;
    void WindowDestroyed(HWND) override;
    // SIZE_MINIMIZED, SIZE_MAXIMIZED or SIZE_RESTORED, told before the layer moves the window.
    void WindowStateChanged(HWND, UINT sizeType) override;
    void CaptureChanged(HWND) override;

    void SetCursorShape(HCURSOR) override;
    void Beep(UINT type) override;
    bool ShellOpen(const std::string& target, const std::string& verb) override;

    void WriteClipboard(const ClipboardFormats& formats) override;
    ClipboardFormats ReadClipboard() override;

    std::optional<FileDialogAnswer> RunFileDialog(HWND owner, const FileDialogRequest&) override;
    std::optional<TColor> RunColorDialog(HWND owner, TColor initial) override;
    std::optional<FontDialogChoice> RunFontDialog(HWND owner, const FontDialogChoice& initial) override;
    std::optional<PrintDialogChoice> RunPrintDialog(HWND owner, const PrintDialogRequest& request) override;

    // The GTK window showing a top-level window (nullptr while it has none).
    GtkWidget* NativeWindow(HWND hwnd) const;
    // Runs the GLib main loop until nothing is pending and hands what arrived to the layer.
    void Flush();

    // Internal: called by the GTK handlers.
    struct Native;
    void Defer(std::function<void()> work);
    void KeyEvent(Native& n, GdkEventKey* event);
    void ImCommit(const char* utf8);
    void ImPreeditChanged();
    void FocusIn(Native& n);
    void FocusOut(Native& n);
    void Configured(Native& n, int x, int y, int width, int height);
    void Settled(Native& n);
    void StateFromWindowManager(Native& n, bool iconified, bool maximized);
    void Mapped(Native& n);
    void DragMotion(Native& n, GdkDragContext* ctx, int x, int y, unsigned time, bool drop);
    void DragLeft(Native& n, GdkDragContext* ctx);
    void DragData(Native& n, GdkDragContext* ctx, GtkSelectionData* sd);
    DWORD DragToDesktop(const ClipboardFormats& data, DWORD okEffects) override;
    HBITMAP FileTypeIcon(const std::string& fileName, int size) override;
    void OwnClipboardLost();
    void ForeignClipboardChanged();
    const ClipboardFormats& OfferedFormats() const;

private:
    // A drag another program brings over our windows.
    struct IncomingDrag {
        TOwnedGObject<GdkDragContext> Ctx; // referenced while the drag lasts
        Native* Over = nullptr;
        ClipboardFormats Data;
        int Pending = 0; // targets asked for and not yet received
        bool Dropped = false;
        unsigned Time = 0;
        POINT Pt{};
    };

    Native* Find(HWND hwnd) const;
    void SetUpDropTarget(Native& n);
    void AnswerDrag();
    void ResetIncoming();
    Native& Ensure(HWND hwnd);
    void ApplyGeometry(Native& n, const TRect& r);
    void UpdateTitle(Native& n);
    void ApplyState(Native& n, bool minimized, bool maximized);
    void ApplyGrab();
    void RunDeferred();
    void UpdateImCursor();
    void ReleaseKeys();

    std::map<HWND, std::unique_ptr<Native>> Natives;
    std::deque<std::function<void()>> Deferred;
    std::atomic<bool> Woken{false};
    TOwnedGObject<GtkIMContext> Im;
    Native* ImWindow = nullptr;
    bool Filtering = false;
    bool PreeditTouched = false;
    std::u16string FilterCommit;
    std::set<UINT> KeysDown;    // keys the layer was told are down
    std::set<UINT> ProcessKeys; // keys the input method took (VK_PROCESSKEY)
    TRect LastImCursor{-1, -1, -1, -1};
    HWND Captured = nullptr;
    HWND Grabbed = nullptr;
    HCURSOR Cursor = nullptr;
    bool OwnsClipboard = false;
    ClipboardFormats Offered;
    bool WatchingOwner = false;
    bool ForeignValid = false;
    ClipboardFormats ForeignCache;
    IncomingDrag Incoming;
    bool AnswerQueued = false;
    ClipboardFormats Outgoing;
};

// The installed GTK backend, or nullptr when another one runs.
GtkBackend* Gtk();

// Opens the display and installs the GTK backend on a cleared window layer; false (nothing
// changed) when no display can be opened.
bool StartGtk();
