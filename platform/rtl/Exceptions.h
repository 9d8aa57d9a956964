#pragma once

#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

#include <exception>
#include <string>

// Exceptions of the runtime library. Every library's own exception class derives from
// Exception; the application object shows Message() of one that reaches the message loop.
class Exception : public TObject, public std::exception {
public:
    explicit Exception(const AnsiString& Msg) : FMessage(Msg) {}
    Exception(const Exception& Other) : TObject(), std::exception(Other), FMessage(Other.FMessage) {}

    const AnsiString& Message() const { return FMessage; }
    void SetMessage(const AnsiString& Msg) { FMessage = Msg; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    AnsiString FMessage;
};

#define RTL_DECLARE_EXCEPTION(Name, Base)                                                                    \
    class Name : public Base {                                                                               \
    public:                                                                                                  \
        using Base::Base;                                                                                    \
    };

// Silent: the application object does not show it.
RTL_DECLARE_EXCEPTION(EAbort, Exception)
RTL_DECLARE_EXCEPTION(EConvertError, Exception)
RTL_DECLARE_EXCEPTION(EListError, Exception)
RTL_DECLARE_EXCEPTION(EStringListError, Exception)
RTL_DECLARE_EXCEPTION(EStreamError, Exception)
RTL_DECLARE_EXCEPTION(EFilerError, EStreamError)
RTL_DECLARE_EXCEPTION(EReadError, EFilerError)
RTL_DECLARE_EXCEPTION(EWriteError, EFilerError)
RTL_DECLARE_EXCEPTION(EClassNotFound, EFilerError)
RTL_DECLARE_EXCEPTION(EFOpenError, EStreamError)
RTL_DECLARE_EXCEPTION(EFCreateError, EStreamError)
RTL_DECLARE_EXCEPTION(EInvalidOperation, Exception)
RTL_DECLARE_EXCEPTION(EInvalidCast, Exception)
RTL_DECLARE_EXCEPTION(EOutOfMemory, Exception)
RTL_DECLARE_EXCEPTION(EInOutError, Exception)
RTL_DECLARE_EXCEPTION(EOSError, Exception)
RTL_DECLARE_EXCEPTION(EIntError, Exception)
RTL_DECLARE_EXCEPTION(EDivByZero, EIntError)
RTL_DECLARE_EXCEPTION(ERangeError, EIntError)
RTL_DECLARE_EXCEPTION(EIntOverflow, EIntError)
RTL_DECLARE_EXCEPTION(EMathError, Exception)
RTL_DECLARE_EXCEPTION(EZeroDivide, EMathError)
RTL_DECLARE_EXCEPTION(EOverflow, EMathError)
RTL_DECLARE_EXCEPTION(EInvalidOp, EMathError)
RTL_DECLARE_EXCEPTION(EVariantError, Exception)
RTL_DECLARE_EXCEPTION(EThread, Exception)
// A broken invariant a library checks for itself.
RTL_DECLARE_EXCEPTION(EAssertionFailed, Exception)

#undef RTL_DECLARE_EXCEPTION

// The platform's messages of the conversion errors; "%s" stands for the offending text.
inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SInvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* SInvalidDate = "'%s' is not a valid date";
inline constexpr const char* SInvalidTime = "'%s' is not a valid time";
inline constexpr const char* SInvalidDateTime = "'%s' is not a valid date and time";
inline constexpr const char* SInvalidFormat = "Format '%s' invalid or incompatible with argument";
inline constexpr const char* SArgumentMissing = "No argument for format '%s'";
inline constexpr const char* SDateEncodeError = "Invalid argument to date encode";
inline constexpr const char* STimeEncodeError = "Invalid argument to time encode";
inline constexpr const char* SOperationAborted = "Operation aborted";
inline constexpr const char* SInvalidOp = "Invalid floating point operation";

// Raises EConvertError with Message in which the first "%s" is replaced by Text.
[[noreturn]] void ConvertErrorFmt(const char* Message, const AnsiString& Text);

// Raises EAbort with the platform's message "Operation aborted".
[[noreturn]] void Abort();
