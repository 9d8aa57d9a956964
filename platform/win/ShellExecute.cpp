#include "platform/win/ShellExecute.h"

#include "platform/win/Backend.h"

#include "platform/rtl/Strings.h"

#include <string>

namespace {

std::string Utf8(LPCWSTR Text)
{
    return Text ? UTF8Encode(WideString(Text)) : std::string();
}

HINSTANCE Code(std::intptr_t Value)
{
    return reinterpret_cast<HINSTANCE>(Value);
}

} // namespace

HINSTANCE ShellExecute(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR, INT)
{
    if (!file || !*file)
        return Code(SE_ERR_FNF);
    const std::string Verb = operation && *operation ? operation : "open";
    return Backend().ShellOpen(file, Verb) ? Code(42) : Code(SE_ERR_NOASSOC);
}

HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR operation, LPCWSTR file, LPCWSTR, LPCWSTR, INT showCmd)
{
    const std::string File = Utf8(file), Verb = Utf8(operation);
    return ShellExecute(hwnd, Verb.c_str(), File.c_str(), nullptr, nullptr, showCmd);
}
