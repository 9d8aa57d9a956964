#pragma once

// The headless backend: a screen of fixed size held in memory, top-level windows composed onto
// it on request, a virtual clock that moves only when told to, and recorders for what would
// leave the program (beeps, documents opened with the desktop's handler, print jobs, the cursor
// shape).
// Tests always run on it; a program without a display falls back to it (the choice is made by
// StartPlatformBackend in platform/backend/Start.h).

#include "platform/win/Backend.h"
#include "platform/win/Printing.h"

#include <atomic>
#include <string>
#include <vector>

class HeadlessBackend : public PlatformBackend {
public:
    // The clock starts at a fixed, nonzero tick count, so that "ticks since" arithmetic of the
    // program behaves as on a machine that has been running for a while.
    static constexpr std::uint64_t StartTicks = 1000000;

    explicit HeadlessBackend(TSize screen = TSize{1024, 768});
    ~HeadlessBackend() override;

    const char* Name() const override { return "headless"; }
    TSize ScreenSize() const override { return Screen; }

    // Safe from any thread (posts from workers read it).
    std::uint64_t Now() const override { return Clock.load(); }
    bool IsVirtualClock() const override { return true; }
    // Moves the clock forward; timers fall due but nothing is dispatched here.
    void AdvanceClock(std::uint64_t ms) { Clock += ms; }
    void SetClock(std::uint64_t ticks) { Clock = ticks; }

    void SetCursorShape(HCURSOR cursor) override { Cursor = cursor; }
    HCURSOR CursorShape() const { return Cursor; }

    void Beep(UINT type) override { Beeps.push_back(type); }
    const std::vector<UINT>& BeepLog() const { return Beeps; }

    struct ShellOpenRecord {
        std::string Target;
        std::string Verb;
    };
    // Recorded, not run.
    bool ShellOpen(const std::string& target, const std::string& verb) override;
    // A stand-in for the desktop's file icons: a square in a colour made from the file's ending
    // (the same ending always gives the same colour), framed in black.
    HBITMAP FileTypeIcon(const std::string& fileName, int size) override;
    const std::vector<ShellOpenRecord>& ShellOpenLog() const { return ShellOpens; }

    // Print jobs as they ended (the layer's own log holds them too).
    void PrintJobEnded(const PrintJobRecord& job) override { Jobs.push_back(job); }
    const std::vector<PrintJobRecord>& PrintJobs() const { return Jobs; }

    void ClearRecords();

    // The screen as a person would see it: the desktop colour, then every visible top-level
    // window from the bottom of the z-order up. The caller destroys the surface.
    cairo_surface_t* ComposeScreen() const;
    bool SaveScreenPng(const std::string& fileName) const;

private:
    TSize Screen;
    std::atomic<std::uint64_t> Clock{StartTicks};
    HCURSOR Cursor = nullptr;
    std::vector<UINT> Beeps;
    std::vector<ShellOpenRecord> ShellOpens;
    std::vector<PrintJobRecord> Jobs;
};

// The installed headless backend, or nullptr when another one runs.
HeadlessBackend* Headless();

// Clears the window layer and installs a fresh headless backend.
HeadlessBackend& StartHeadless(TSize screen = TSize{1024, 768});
