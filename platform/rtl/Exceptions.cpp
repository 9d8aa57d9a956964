#include "platform/rtl/Exceptions.h"

void Abort()
{
    throw EAbort("Operation aborted");
}
