#include "platform/forms/TypInfo.h"
#include "platform/forms/Controls.h"

#include <gtest/gtest.h>

namespace {

class TLabelled : public TGraphicControl {
public:
    explicit TLabelled(TComponent* AOwner) : TGraphicControl(AOwner) {}
    Integer Margin() const { return FMargin; }
    void SetMargin(Integer Value) { FMargin = Value; }

private:
    Integer FMargin = 4;
};

} // namespace

TEST(PublishedProperties, ClassesAndAncestorsAreReadAndWrittenByName)
{
    TPropInfo Margin;
    Margin.Name = "Margin";
    Margin.GetOrd = [](TObject* O) { return Int64(static_cast<TLabelled*>(O)->Margin()); };
    Margin.SetOrd = [](TObject* O, Int64 V) {
        static_cast<TLabelled*>(O)->SetMargin(static_cast<Integer>(V));
    };
    Margin.HasDefault = true;
    Margin.Default = 4;
    RegisterPublishedProperties<TLabelled>({Margin});

    TLabelled* L = New<TLabelled>(nullptr);
    std::vector<std::string> Names;
    for (const TPropInfo* P : GetPropList(L))
        Names.push_back(P->Name);
    ASSERT_GE(Names.size(), 2u);
    EXPECT_EQ(Names.front(), "Left") << "the ancestors' properties come first";
    EXPECT_EQ(Names.back(), "Margin");

    SetOrdProp(L, "width", 120);
    EXPECT_EQ(L->Width(), 120);
    SetStrProp(L, "Caption", "Prize");
    EXPECT_EQ(GetStrProp(L, "CAPTION"), "Prize");
    SetEnumProp(L, "Align", "alClient");
    EXPECT_EQ(L->Align(), alClient);
    EXPECT_EQ(GetEnumProp(L, "Visible"), "True");
    EXPECT_THROW(SetEnumProp(L, "Align", "alSideways"), EPropertyConvertError);
    EXPECT_THROW(GetOrdProp(L, "Nothing"), EPropertyError);

    // Defaults are not stored; changed values are.
    EXPECT_FALSE(IsStoredProp(L, GetPropInfo(L, "Margin")));
    SetOrdProp(L, "Margin", 6);
    EXPECT_TRUE(IsStoredProp(L, GetPropInfo(L, "Margin")));
    EXPECT_FALSE(IsStoredProp(L, GetPropInfo(L, "Visible")));

    // Nested objects: the font's own table.
    TPersistent* Font = GetPropInfo(L, "Font")->GetObject(L);
    SetStrProp(Font, "Name", "Arial");
    SetOrdProp(Font, "Style", 1); // fsBold
    EXPECT_EQ(L->Font()->Name(), "Arial");
    EXPECT_TRUE(L->Font()->Style().Contains(fsBold));
    EXPECT_FALSE(IsStoredProp(Font, GetPropInfo(Font, "Size"))) << "Size follows from Height";
    L->Free();
}
