#pragma once

// Scope guards for the pairs of calls this library and its callers keep balanced by hand
// otherwise: BeginUpdate/EndUpdate around a batch of changes, and an object made for one command
// and freed when the command ends. The guards run their closing call on every way out of the
// scope, exceptions included, so no caller needs a catch-all that undoes and rethrows.
//
// A closing call may itself raise (an EndUpdate that repaints, a rollback that fails). When the
// scope ends normally that error goes on to the caller, as it would from the call written by
// hand; when the scope is already being left by an error, the closing call's own error is
// dropped so the first one reaches the caller (two errors in flight would end the program).

#include "platform/rtl/Objects.h"

#include <exception>
#include <memory>
#include <utility>

namespace guards_detail {
// Runs Close for a guard made while Uncaught errors were in flight (see the top of this file).
template <class F> void RunClosing(int Uncaught, F&& Close)
{
    if (std::uncaught_exceptions() > Uncaught) {
        try {
            Close();
        } catch (...) { // the error already unwinding is the one the caller gets
        }
    } else {
        Close();
    }
}
} // namespace guards_detail

// BeginUpdate when made, EndUpdate when the scope ends. TList is anything with the two calls
// (string lists, collections, grids, tree nodes); the class template argument is deduced.
template <class TList> class TUpdateBracket {
public:
    explicit TUpdateBracket(TList* List) : FList(List) { FList->BeginUpdate(); }
    ~TUpdateBracket() noexcept(false)
    {
        guards_detail::RunClosing(FUncaught, [this] { FList->EndUpdate(); });
    }
    TUpdateBracket(const TUpdateBracket&) = delete;
    TUpdateBracket& operator=(const TUpdateBracket&) = delete;

private:
    TList* FList;
    int FUncaught = std::uncaught_exceptions();
};

// Frees rather than deletes: Free tells the owner and the other controls that the object is
// going away, which a plain delete of a component would skip.
struct TFreeObject {
    void operator()(TObject* Object) const
    {
        if (Object != nullptr)
            Object->Free();
    }
};

// Sole owner of an object freed with Free. Release() hands it on to another owner.
template <class T> using TOwned = std::unique_ptr<T, TFreeObject>;

// Frees a handle of a C library with the one function that frees it. Free is that function
// (cairo_surface_destroy, g_object_unref, pango_font_description_free ...); a null handle is left.
template <auto Free> struct TCallFree {
    template <class T> void operator()(T* Handle) const
    {
        if (Handle != nullptr)
            Free(Handle);
    }
};

// Sole owner of a C library's handle:
//     THandleOwner<cairo_surface_t, cairo_surface_destroy> Surface(cairo_image_surface_create(...));
// The library headers stay with the caller; this header names none of them.
template <class T, auto Free> using THandleOwner = std::unique_ptr<T, TCallFree<Free>>;

// Runs a cleanup when the scope ends, for the one-off pairs no named guard covers (a saved
// state put back, a flag cleared). Dismiss() keeps the cleanup from running once the work has
// succeeded and the state is meant to stay.
template <class F> class TScopeExit {
public:
    explicit TScopeExit(F Cleanup) : FCleanup(std::move(Cleanup)) {}
    ~TScopeExit() noexcept(false)
    {
        if (FActive)
            guards_detail::RunClosing(FUncaught, FCleanup);
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    void Dismiss() { FActive = false; }

private:
    F FCleanup;
    bool FActive = true;
    int FUncaught = std::uncaught_exceptions();
};
