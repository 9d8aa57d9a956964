#pragma once

// Helpers the files of the standard controls share (StdCtrls.cpp and StdCtrlsLists.cpp).

#include "platform/forms/Controls.h"

namespace stdctrls_internal {

// The UTF-8 text of a string argument of a message answered in bytes.
inline LPARAM Str(const AnsiString& S)
{
    return reinterpret_cast<LPARAM>(S.c_str());
}

// The notification code of a WM_COMMAND reflected to the control as CN_COMMAND.
inline WORD NotifyCode(const TMessage& Message)
{
    return HIWORD(Message.WParam);
}

} // namespace stdctrls_internal
