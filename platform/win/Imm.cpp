#include "platform/win/Imm.h"

#include "platform/win/Windows.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace {

struct ImmInputContext {
    std::u16string Result;
    bool ResultRead = false;
};

std::map<HWND, std::unique_ptr<ImmInputContext>>& ImmContexts()
{
    static std::map<HWND, std::unique_ptr<ImmInputContext>> m;
    return m;
}

} // namespace

HIMC ImmGetContext(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return nullptr;
    auto& m = ImmContexts();
    // Contexts of windows gone since are dropped as new ones are made.
    for (auto it = m.begin(); it != m.end();)
        it = IsWindow(it->first) ? std::next(it) : m.erase(it);
    auto& slot = m[hwnd];
    if (!slot)
        slot = std::make_unique<ImmInputContext>();
    return slot.get();
}

BOOL ImmReleaseContext(HWND hwnd, HIMC context)
{
    return context != nullptr && IsWindow(hwnd);
}

LONG ImmGetCompositionStringW(HIMC context, DWORD kind, void* buffer, DWORD bufferBytes)
{
    if (!context || kind != GCS_RESULTSTR)
        return 0;
    auto* c = static_cast<ImmInputContext*>(context);
    const DWORD have = DWORD(c->Result.size() * sizeof(char16_t));
    if (!buffer || bufferBytes == 0)
        return LONG(have);
    const DWORD n = std::min(have, bufferBytes) / sizeof(char16_t) * sizeof(char16_t);
    std::memcpy(buffer, c->Result.data(), n);
    c->ResultRead = true;
    return LONG(n);
}

void ImmCommitResult(HWND hwnd, const std::u16string& text)
{
    HIMC h = ImmGetContext(hwnd);
    if (!h || text.empty())
        return;
    auto* c = static_cast<ImmInputContext*>(h);
    c->Result = text;
    c->ResultRead = false;
    SendMessageW(hwnd, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
    if (!IsWindow(hwnd))
        return;
    c = static_cast<ImmInputContext*>(ImmGetContext(hwnd));
    if (c->ResultRead)
        return;
    for (char16_t u : text)
        if (IsWindow(hwnd))
            SendMessageW(hwnd, WM_IME_CHAR, WPARAM(u), 1);
}
