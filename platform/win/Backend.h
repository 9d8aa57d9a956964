#pragma once

// Where the windows of this layer really go. The window layer keeps every window, message,
// focus and paint itself; a backend only presents top-level windows (each has a backing
// surface drawn by the layer), supplies the clock, the beep, the screen cursor, the clipboard
// store and the screen's size, and feeds user input back through the entry points of
// Windows.h (InputMouseButton, InputKey ...). One backend is installed at start: the headless
// one in tests, the desktop one in a program on a display.

#include "platform/win/Messages.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;
struct PrintJobRecord;

// What the dialog components ask of the desktop's own file, colour and font dialogs.
struct FileDialogRequest {
    bool Save = false;
    std::string Title;
    std::string InitialDir;
    std::string FileName;
    // (description, patterns separated by ';', e.g. "*.txt;*.csv")
    std::vector<std::pair<std::string, std::string>> Filters;
    int FilterIndex = 1; // 1-based
    bool MultiSelect = false;
    bool OverwritePrompt = false;
};
struct FileDialogAnswer {
    std::vector<std::string> Files;
    int FilterIndex = 1;
};
struct FontDialogChoice {
    std::string Family;
    int PointSize = 9;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
};

// The formats of the clipboard as bytes: text formats hold their terminating zero, CF_DIB a
// BITMAPINFOHEADER followed by the pixels.
using ClipboardFormats = std::map<UINT, std::vector<std::uint8_t>>;

// What the print and printer-setup dialogs show, and what the person chose.
struct PrintDialogRequest {
    bool Setup = false; // the printer-setup dialog (printer, paper, orientation)
    std::vector<std::string> Printers;
    int Current = -1; // index into Printers
    int Copies = 1;
    bool Collate = false;
    bool PageNums = false; // a page range may be chosen
    int MinPage = 0, MaxPage = 0, FromPage = 0, ToPage = 0;
    int Orientation = 1; // 1 portrait, 2 landscape
};
struct PrintDialogChoice {
    std::string Printer; // empty: the current one
    int Copies = 1;
    bool Collate = false;
    int FromPage = 0, ToPage = 0; // both 0 for all pages
    bool PrintToFile = false;
    int Orientation = 0; // 0 keeps the printer's
};

class PlatformBackend {
public:
    PlatformBackend() = default;
    PlatformBackend(const PlatformBackend&) = delete;
    PlatformBackend& operator=(const PlatformBackend&) = delete;
    virtual ~PlatformBackend() = default;

    virtual const char* Name() const = 0;

    // The screen: its size and the part free of docks and panels.
    virtual TSize ScreenSize() const = 0;
    virtual TRect WorkArea() const;

    // Milliseconds of the clock every timer and GetTickCount read. A virtual clock moves only
    // when the program's tests advance it.
    virtual std::uint64_t Now() const = 0;
    virtual bool IsVirtualClock() const { return false; }

    // Blocks the user-interface thread until Wake is called or timeoutMs passes (-1: no limit).
    // A desktop backend also runs its own event sources here.
    virtual void WaitForEvents(int timeoutMs);
    // Safe from any thread: ends a WaitForEvents.
    virtual void Wake();

    // Top-level windows (not child windows): shown or hidden, moved or resized, stacked,
    // repainted (rect in window coordinates), destroyed. The surface stays the layer's.
    virtual void WindowShown(HWND, bool visible) {}
    virtual void WindowMoved(HWND, const TRect& screenRect) {}
    virtual void WindowRestacked() {}
    virtual void WindowPainted(HWND, const TRect& rect) {}
    virtual void WindowDestroyed(HWND) {}
    // A top-level window was minimized (SIZE_MINIMIZED), maximized (SIZE_MAXIMIZED) or restored
    // (SIZE_RESTORED). The layer tells this before it moves the window: a maximized window then
    // takes the work area (WindowMoved follows), a minimized one is parked off the screen, and
    // no WindowMoved is reported while it stays minimized.
    virtual void WindowStateChanged(HWND, UINT sizeType) {}
    // Mouse capture started (hwnd) or ended (nullptr): a desktop backend grabs the pointer.
    virtual void CaptureChanged(HWND) {}

    virtual void SetCursorShape(HCURSOR) {}
    virtual void Beep(UINT type) {}
    // Opens a document or address with the desktop's handler; false when that failed.
    virtual bool ShellOpen(const std::string& target, const std::string& verb) { return false; }

    // The desktop's own dialogs, modal to owner; nullopt when cancelled or when the backend has
    // none (the dialog components then use their own).
    virtual std::optional<FileDialogAnswer> RunFileDialog(HWND owner, const FileDialogRequest&)
    {
        return std::nullopt;
    }
    virtual std::optional<TColor> RunColorDialog(HWND owner, TColor initial) { return std::nullopt; }
    virtual std::optional<FontDialogChoice> RunFontDialog(HWND owner, const FontDialogChoice& initial)
    {
        return std::nullopt;
    }
    virtual std::optional<PrintDialogChoice> RunPrintDialog(HWND owner, const PrintDialogRequest&)
    {
        return std::nullopt;
    }

    // A print job ended (printed, aborted or failed); the headless backend keeps a log.
    virtual void PrintJobEnded(const PrintJobRecord&) {}

    // Hands a drag of data over to the desktop, for other programs to take (the drag-and-drop
    // code calls it when a drag leaves the program's windows, a mouse button down): returns when
    // the drag ends, with the DROPEFFECT the other program took (0: none, or cancelled).
    virtual DWORD DragToDesktop(const ClipboardFormats& data, DWORD okEffects) { return 0; }

    // The desktop's icon for files of the type fileName names (by its ending; the file is never
    // looked at), Size pixels square, as a 32-bit bitmap with alpha the caller owns; nullptr when
    // the desktop has none.
    virtual HBITMAP FileTypeIcon(const std::string& fileName, int size) { return nullptr; }

    // The clipboard store: WriteClipboard replaces the whole contents.
    virtual void WriteClipboard(const ClipboardFormats& formats);
    virtual ClipboardFormats ReadClipboard();

private:
    std::mutex WaitMutex;
    std::condition_variable WaitCondition;
    bool Woken = false;
    ClipboardFormats Clip;
};

// The installed backend. Before one is installed, a plain one with the real clock, a
// 1024×768 screen and an in-process clipboard serves.
PlatformBackend& Backend();
// Installs a backend (replacing the previous one); nullptr puts the plain one back.
void InstallBackend(std::unique_ptr<PlatformBackend> backend);

// Drags another program brings over our windows, as the desktop backend reports them to the
// drag-and-drop code: the pointer moving over a top-level window (Over), leaving it (Leave),
// and the drop. The handler answers with the DROPEFFECT it takes (0 refuses).
enum class DesktopDragPhase { Over, Leave, Drop };
struct DesktopDrag {
    DesktopDragPhase Phase = DesktopDragPhase::Over;
    HWND Window = nullptr; // the top-level window under the pointer
    POINT Screen{};
    DWORD KeyState = 0;  // MK_ flags
    DWORD OkEffects = 0; // what the other program allows
    const ClipboardFormats* Data = nullptr;
};
using DesktopDropHandler = std::function<DWORD(const DesktopDrag&)>;
void SetDesktopDropHandler(DesktopDropHandler handler);
// 0 while no handler is set.
DWORD CallDesktopDropHandler(const DesktopDrag& drag);
