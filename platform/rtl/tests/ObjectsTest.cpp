#include "platform/rtl/Objects.h"
#include "platform/rtl/Persistent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace drawing {
class TShape : public TObject {
public:
    explicit TShape(std::vector<std::string>& ALog) : Log(ALog) { Log.push_back("constructed"); }
    ~TShape() override { Log.push_back("destroyed"); }
    void AfterConstruction() override { Log.push_back("after construction of " + ClassName()); }
    void BeforeDestruction() override { Log.push_back("before destruction"); }
    std::vector<std::string>& Log;
};
class TCircle : public TShape {
public:
    using TShape::TShape;
};
} // namespace drawing

TEST(Object, ClassNameAndInheritance)
{
    std::vector<std::string> Log;
    drawing::TShape* Shape = New<drawing::TCircle>(Log);
    EXPECT_EQ(Shape->ClassName(), "TCircle");
    EXPECT_TRUE(Shape->ClassNameIs("tcircle"));
    EXPECT_FALSE(Shape->ClassNameIs("TShape"));
    EXPECT_TRUE(Shape->InheritsFrom<drawing::TShape>());
    EXPECT_TRUE(Shape->InheritsFrom<TObject>());
    EXPECT_FALSE(Shape->InheritsFrom<TPersistent>());
    FreeAndNil(Shape);
    EXPECT_EQ(Shape, nullptr);
    FreeAndNil(Shape);
    EXPECT_EQ(Log, (std::vector<std::string>{"constructed", "after construction of TCircle",
                                             "before destruction", "destroyed"}));
}

TEST(Persistent, AssignWithoutAPathRaisesTheAssignError)
{
    TPersistent A, B;
    try {
        A.Assign(&B);
        ADD_FAILURE();
    } catch (const EConvertError& E) {
        EXPECT_EQ(E.Message(), "Cannot assign a TPersistent to a TPersistent");
    }
    EXPECT_THROW(A.Assign(nullptr), EConvertError);
    EXPECT_EQ(A.GetOwner(), nullptr);
}
