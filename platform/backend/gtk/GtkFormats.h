#pragma once

// The layer's formats as GTK targets and selection data, shared by the clipboard and drag and
// drop.

#include "platform/backend/gtk/ClipboardData.h"

#include <gtk/gtk.h>

// Every target the formats can be given as; each entry's info says how (see ProvideTarget).
GtkTargetList* TargetsForFormats(const ClipboardFormats& formats);
// Answers a request for one of those targets.
void ProvideTarget(const ClipboardFormats& formats, GtkSelectionData* sd, guint info);
// Adds what another program gave for a target (one of WantedTargets) to the formats.
void StoreSelection(ClipboardFormats& out, GtkSelectionData* sd);
