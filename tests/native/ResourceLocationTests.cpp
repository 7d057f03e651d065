// Resource ids and the description of a resource location in failures.
#include <gtest/gtest.h>

#include <string>

#include "riviru/resources/ResourceId.h"
#include "riviru/resources/ResourceLocation.h"

namespace {

using riviru::ResourceId;
using riviru::ResourceLocation;

TEST(ResourceId, IntegerAndNamedText) {
    EXPECT_EQ(ResourceId(1).ToString(), L"#1");
    EXPECT_EQ(ResourceId(65535).ToString(), L"#65535");
    EXPECT_EQ(ResourceId(L"KV_XML_STRING").ToString(), L"KV_XML_STRING");
    EXPECT_FALSE(ResourceId(7).IsNamed());
    EXPECT_TRUE(ResourceId(L"X").IsNamed());
    // An empty name falls back to the integer id.
    EXPECT_EQ(ResourceId(std::wstring()).ToString(), L"#0");
}

TEST(ResourceLocation, DescriptionWithLanguage) {
    const ResourceLocation location(nullptr, ResourceId(L"KV_XML_STRING"), ResourceId(1), 1033);
    EXPECT_EQ(riviru::DescribeResourceLocation(location, L"C:\\Users\\me\\setup.exe"),
              L"C:\\Users\\me\\setup.exe\\resType:KV_XML_STRING\\resID:#1\\lcid:1033");
}

TEST(ResourceLocation, DescriptionWithoutLanguage) {
    const ResourceLocation location(nullptr, ResourceId(10), ResourceId(L"_KVR_VERIFY"));
    EXPECT_EQ(riviru::DescribeResourceLocation(location, L"C:\\a.exe"),
              L"C:\\a.exe\\resType:#10\\resID:_KVR_VERIFY");
}

TEST(ResourceLocation, DescriptionWithoutModuleName) {
    const ResourceLocation location(nullptr, ResourceId(L"T"), ResourceId(2), 0);
    EXPECT_EQ(riviru::DescribeResourceLocation(location, L""), L"resType:T\\resID:#2\\lcid:0");
}

TEST(ResourceLocation, WithLanguageCopies) {
    const ResourceLocation location(nullptr, ResourceId(L"KV_XML_STRING"), ResourceId(1));
    EXPECT_FALSE(location.hasLanguage);
    const ResourceLocation german = location.WithLanguage(7);
    EXPECT_TRUE(german.hasLanguage);
    EXPECT_EQ(german.language, 7);
    EXPECT_EQ(german.type.ToString(), L"KV_XML_STRING");
    EXPECT_EQ(german.name.ToString(), L"#1");
    EXPECT_FALSE(location.hasLanguage);
}

}  // namespace
