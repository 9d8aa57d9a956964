// The backend slot and the plain backend that serves until one is installed.

#include "platform/win/Backend.h"

#include <chrono>

TRect PlatformBackend::WorkArea() const
{
    TSize s = ScreenSize();
    return TRect{0, 0, s.cx, s.cy};
}

void PlatformBackend::WaitForEvents(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(WaitMutex);
    if (timeoutMs < 0)
        WaitCondition.wait(lock, [this] { return Woken; });
    else
        WaitCondition.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return Woken; });
    Woken = false;
}

void PlatformBackend::Wake()
{
    {
        std::lock_guard<std::mutex> lock(WaitMutex);
        Woken = true;
    }
    WaitCondition.notify_all();
}

void PlatformBackend::WriteClipboard(const ClipboardFormats& formats)
{
    Clip = formats;
}

ClipboardFormats PlatformBackend::ReadClipboard()
{
    return Clip;
}

namespace {

// Real time, a screen of the usual test size, the clipboard in this process.
class PlainBackend : public PlatformBackend {
public:
    const char* Name() const override { return "plain"; }
    TSize ScreenSize() const override { return TSize{1024, 768}; }
    std::uint64_t Now() const override
    {
        using namespace std::chrono;
        return std::uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

std::unique_ptr<PlatformBackend>& Slot()
{
    static std::unique_ptr<PlatformBackend> slot = std::make_unique<PlainBackend>();
    return slot;
}

} // namespace

PlatformBackend& Backend()
{
    return *Slot();
}

void InstallBackend(std::unique_ptr<PlatformBackend> backend)
{
    Slot() = backend ? std::move(backend) : std::make_unique<PlainBackend>();
}

namespace {
DesktopDropHandler& DropHandler()
{
    static DesktopDropHandler handler;
    return handler;
}
} // namespace

void SetDesktopDropHandler(DesktopDropHandler handler)
{
    DropHandler() = std::move(handler);
}

DWORD CallDesktopDropHandler(const DesktopDrag& drag)
{
    return DropHandler() ? DropHandler()(drag) : 0;
}
