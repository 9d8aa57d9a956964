#pragma once

// The desktop's icons for files by type (from the backend: the GTK icon theme on the desktop, a
// deterministic stand-in headless). A file is named by its ending only; nothing is read from
// disk, so names from cells cannot stall painting on slow or remote paths. Icons are cached per
// ending and size for the life of the process.

#include "platform/win/Windows.h"

#include <string>

// The icon of files like fileName (size 16 small, 32 large), borrowed from the cache (do not
// destroy it; draw it with DrawIconEx); nullptr when the desktop has none. User-interface thread only.
HICON FileTypeIcon(const std::string& fileName, int size);
// The icon of an entry of the system icon list: 0 a document, 3 a folder, 4 an open folder,
// 15 a computer, others a document.
HICON SystemListIcon(int index, int size);
