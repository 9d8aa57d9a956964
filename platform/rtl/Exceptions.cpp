#include "platform/rtl/Exceptions.h"

void Abort()
{
    throw EAbort(SOperationAborted);
}

void ConvertErrorFmt(const char* Message, const AnsiString& Text)
{
    AnsiString Result(Message);
    const auto At = Result.find("%s");
    if (At != AnsiString::npos)
        Result.replace(At, 2, Text);
    throw EConvertError(Result);
}
