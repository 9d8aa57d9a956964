#include "platform/win/Gdi.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// The owner is declared before the selection, so on the way out the DC gets its former pen back
// first and the pen can then be deleted: in the other order DeleteObject would refuse a selected
// pen and it would leak.
TEST(GdiOwners, SelectionIsUndoneBeforeTheObjectIsDeletedAlsoWhenDrawingRaises)
{
    const int before = GdiObjectCount();
    TOwnedDC dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_PEN);
    try {
        TOwnedPen pen(CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
        TSelectObject selected(dc.get(), pen.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), pen.get());
        EXPECT_EQ(selected.Old(), original);
        throw std::runtime_error("drawing failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), original);
    EXPECT_EQ(GdiObjectCount(), before);
}

} // namespace
