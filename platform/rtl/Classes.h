#pragma once

// The object, list and component classes of the runtime library in one include.

#include "platform/rtl/Collections.h"
#include "platform/rtl/Components.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringLists.h"
#include "platform/rtl/Threads.h"
#include "platform/rtl/Variant.h"
