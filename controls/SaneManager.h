#pragma once

// The image acquisition data source manager of this library, standing on SANE: its sources are
// SANE's devices (ProductName the device name, Manufacturer the vendor, ProductFamily the model).
//
// Opening the manager initialises SANE, opening a source opens the device. Enabling a source
// posts the registered message "TWAIN stand-in event" (wParam MSG_XFERREADY) to the parent
// window, or to the thread when there is none; the transfer scans one page and hands it over as
// a packed DIB (1-bit, 8-bit grey or 24-bit colour). The device's options can be given in
// DRAWMERE_SANE_OPTIONS as "name=value;name=value" (for example "mode=Gray;resolution=25"),
// and DRAWMERE_SANE_DEVICE names the default source. The manager has no dialogs: selecting a
// source takes the default. One session at a time, on one thread.

#include "controls/Twainh.h"

TW_UINT16 SaneDSMEntry(pTW_IDENTITY pOrigin, pTW_IDENTITY pDest, TW_UINT32 DG, TW_UINT16 DAT,
                       TW_UINT16 Message, TW_MEMREF pData);
