#include "platform/rtl/Resources.h"

#include <gtest/gtest.h>

#include <string>

// tests/res/ of this library is embedded by the build like any library's res/ folder.

TEST(EmbeddedResources, FoundByNameAndTypeFromExtensionOrFolder)
{
    struct Case {
        const char* name;
        const char* type;
        std::string bytes;
    };
    const Case cases[] = {
        {"TEST_GLYPH", "BITMAP", std::string("BM\x00\x01\x02\xff", 6)},
        {"notes", "RCDATA", "hello resource\n"},
        {"EMPTY", "TEMPLATE", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TEmbeddedResource* res = FindEmbeddedResource(c.name, c.type);
        ASSERT_NE(res, nullptr);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(res->Data), res->Size), c.bytes);
    }
}

TEST(EmbeddedResources, LookupIgnoresCaseButNotType)
{
    EXPECT_NE(FindEmbeddedResource("test_glyph", "bitmap"), nullptr);
    EXPECT_EQ(FindEmbeddedResource("TEST_GLYPH", "RCDATA"), nullptr);
    EXPECT_EQ(FindEmbeddedResource("MISSING", "BITMAP"), nullptr);
}

TEST(EmbeddedResources, LaterRegistrationReplacesEarlier)
{
    static const unsigned char first[] = {1};
    static const unsigned char second[] = {2, 3};
    RegisterEmbeddedResource("DUP", "RCDATA", first, sizeof first);
    RegisterEmbeddedResource("dup", "rcdata", second, sizeof second);
    const TEmbeddedResource* res = FindEmbeddedResource("DUP", "RCDATA");
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(res->Size, 2u);
    EXPECT_EQ(res->Data[0], 2);
}
