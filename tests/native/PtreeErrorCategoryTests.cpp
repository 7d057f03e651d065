// The error category of the XML string-table reader.
#include <gtest/gtest.h>

#include <system_error>

#include "riviru/localization/PtreeErrorCategory.h"

namespace {

using riviru::PtreeErrc;
using riviru::PtreeErrorCategory;

TEST(PtreeErrorCategory, Name) {
    EXPECT_STREQ(PtreeErrorCategory().name(), "riviru.ptree_error");
}

TEST(PtreeErrorCategory, Messages) {
    EXPECT_EQ(PtreeErrorCategory().message(2), "bad path");
    EXPECT_EQ(PtreeErrorCategory().message(3), "bad data");
    EXPECT_EQ(PtreeErrorCategory().message(0), "generic error");
    EXPECT_EQ(PtreeErrorCategory().message(1), "generic error");
    EXPECT_EQ(PtreeErrorCategory().message(4), "generic error");
    EXPECT_EQ(PtreeErrorCategory().message(-2), "generic error");
}

TEST(PtreeErrorCategory, CodesAreEquivalentToGenericConditions) {
    const std::error_code badPath = PtreeErrc::BadPath;
    const std::error_code badData = PtreeErrc::BadData;
    EXPECT_EQ(badPath.value(), 2);
    EXPECT_EQ(badData.value(), 3);
    EXPECT_EQ(badPath, std::errc::bad_address);
    EXPECT_EQ(badData, std::errc::bad_message);
    EXPECT_NE(badPath, std::errc::bad_message);
    EXPECT_EQ(badPath.default_error_condition().category(), std::generic_category());
    EXPECT_EQ(badData.default_error_condition().value(), static_cast<int>(std::errc::bad_message));
}

TEST(PtreeErrorCategory, OtherCodesStayInTheCategory) {
    const std::error_code other(7, PtreeErrorCategory());
    EXPECT_EQ(other.default_error_condition().category(), PtreeErrorCategory());
    EXPECT_NE(other, std::errc::bad_address);
    EXPECT_NE(other, std::errc::bad_message);
}

TEST(PtreeErrorCategory, SystemErrorMessageEndsWithTheCodeMessage) {
    const std::system_error error(PtreeErrc::BadPath, "XML error: No such node (<xmlattr>.Id)");
    EXPECT_STREQ(error.what(), "XML error: No such node (<xmlattr>.Id): bad path");
}

}  // namespace
