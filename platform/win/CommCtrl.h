#pragma once

// What the common control classes share: the header of their WM_NOTIFY records.

#include "platform/win/Windows.h"

struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

// Sends WM_NOTIFY with a record that starts with an NMHDR to the parent of `from`, filling the
// header; returns the parent's answer.
LRESULT SendNotify(HWND from, UINT code, NMHDR* record);
