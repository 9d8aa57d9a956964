#pragma once

// A window made for one command and freed when the command ends, exceptions included. Freed,
// not deleted: freeing tells the application and the other controls that it is going away.

#include "platform/rtl/Objects.h"

#include <memory>

struct TFreeObject {
    void operator()(TObject* Object) const { Object->Free(); }
};

template <class T> using TOwned = std::unique_ptr<T, TFreeObject>;
