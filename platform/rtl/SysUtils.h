#pragma once

// Everything of the runtime library's string, number, date and exception routines in one include.

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Types.h"
