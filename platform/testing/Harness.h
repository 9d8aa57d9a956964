#pragma once

// Driving windows from tests as a person would: start headless, press and move the mouse and
// type through the normal input path (hit testing, activation, capture, key state and
// TranslateMessage all take part), let the message loop run until nothing is left, move the
// virtual clock, read what was recorded, and save what a window shows as PNG.
//
// Coordinates of the mouse functions are client coordinates of the window given.

#include "platform/backend/headless/Headless.h"
#include "platform/win/Windows.h"

#include <string>
#include <vector>

namespace uitest {

// A fresh headless screen, an empty window layer and a fixed random seed.
HeadlessBackend& Start(TSize screen = TSize{1024, 768});
HeadlessBackend& Screen();

// Retrieves, translates and dispatches messages until none is left (posted, input, paint or
// due timers). Returns how many were handled; throws std::runtime_error when a program keeps
// the queue busy beyond the limit.
int PumpUntilIdle(int limit = 100000);
// Moves the virtual clock forward by ms, stopping at every timer deadline on the way so that
// each timer fires as often as it would in real time, and pumps.
void AdvanceTime(std::uint64_t ms);

// Mouse. button: 0 left, 1 right, 2 middle. Each pumps until idle.
POINT ToScreen(HWND hwnd, int x, int y);
void MoveMouse(HWND hwnd, int x, int y);
void MouseDown(HWND hwnd, int x, int y, int button = 0);
void MouseUp(HWND hwnd, int x, int y, int button = 0);
void Click(HWND hwnd, int x, int y, int button = 0);
void DoubleClick(HWND hwnd, int x, int y, int button = 0);
// Press at the start, moves in steps, release at the end (all in hwnd's client coordinates).
void Drag(HWND hwnd, int x0, int y0, int x1, int y1, int steps = 4);
void Wheel(HWND hwnd, int x, int y, int delta);
// Screen-coordinate forms.
void ClickAt(POINT screen, int button = 0);

// Keys. Each pumps until idle.
enum ShiftKeys : unsigned { ksShift = 1, ksCtrl = 2, ksAlt = 4 };
void KeyDown(UINT vk);
void KeyUp(UINT vk);
// Presses the modifiers, the key, and releases them in reverse order.
void PressKey(UINT vk, unsigned shift = 0);
// Types text: characters on the keyboard go as key presses (so WM_KEYDOWN, WM_CHAR and WM_KEYUP
// arrive), others — Chinese, for instance — as an input method delivers them, one WM_CHAR per
// UTF-16 unit.
void TypeText(const std::u16string& text);
void TypeText(const std::string& utf8);

// Recorders.
const std::vector<UINT>& Beeps();
const std::vector<HeadlessBackend::ShellOpenRecord>& ShellOpens();
// Print jobs that ended since the screen started (printed, aborted or failed).
const std::vector<PrintJobRecord>& PrintJobs();
// File printers for a test: the text of a printer file (see platform/win/Printing.h); the
// machine's CUPS queues are left out. Start() begins with no printers at all.
void UsePrinters(const std::string& printerFile);
void ClearRecords();

// Pixels. The colour (0x00BBGGRR) of a client pixel as the window's surface holds it.
COLORREF PixelAt(HWND hwnd, int x, int y);
// Saves the whole window (frame included) or the screen as PNG; false on failure.
bool SaveWindowPng(HWND hwnd, const std::string& fileName);
bool SaveScreenPng(const std::string& fileName);

// Records the messages a window receives by subclassing it; the window keeps working as
// before. Stops (and restores the procedure) when destroyed.
struct RecordedMessage {
    HWND Hwnd;
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

class MessageRecorder {
public:
    MessageRecorder() = default;
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
    ~MessageRecorder();

    void Watch(HWND hwnd);
    void Clear() { Log.clear(); }
    const std::vector<RecordedMessage>& Messages() const { return Log; }
    // The message ids received, optionally by one window and only those in the list.
    std::vector<UINT> Ids(HWND hwnd = nullptr, const std::vector<UINT>& only = {}) const;

private:
    static LRESULT Proc(HWND, UINT, WPARAM, LPARAM);
    std::vector<RecordedMessage> Log;
    std::vector<HWND> Watched;
};

} // namespace uitest
