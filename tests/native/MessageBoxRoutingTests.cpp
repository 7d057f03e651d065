#include <gtest/gtest.h>

#include "common/setup/MessageBoxLog.h"
#include "sfx/MessageBoxRouting.h"

using sfx::MessageBoxRoute;
using sfx::UiLevel;

namespace {
constexpr unsigned kOk = 0x0, kYesNo = 0x4, kError = 0x10, kQuestion = 0x20, kWarning = 0x30, kInfo = 0x40;
}

TEST(MessageBoxRouting, DecidesByLevelAndIcon) {
    struct Case {
        UiLevel level;
        unsigned type;
        MessageBoxRoute expected;
    };
    const Case cases[] = {
        {UiLevel::Silent, kError, MessageBoxRoute::SkipSilent},
        {UiLevel::Silent, kInfo, MessageBoxRoute::SkipSilent},
        {UiLevel::Qm, kError, MessageBoxRoute::Show},
        {UiLevel::Qb, kWarning | kYesNo, MessageBoxRoute::Show},
        {UiLevel::Qb, kInfo, MessageBoxRoute::SkipNotNormal},
        {UiLevel::Qx, kQuestion | kYesNo, MessageBoxRoute::SkipNotNormal},
        {UiLevel::Qm, kOk, MessageBoxRoute::SkipNotNormal},
        {UiLevel::Normal, kOk, MessageBoxRoute::Show},
        {UiLevel::Normal, kInfo, MessageBoxRoute::Show},
        // 0x50 and 0x70 share bits with the error icon but are no error icon.
        {UiLevel::Qb, 0x50, MessageBoxRoute::SkipNotNormal},
        {UiLevel::Qb, 0x70, MessageBoxRoute::SkipNotNormal},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sfx::RouteMessageBox(c.level, c.type), c.expected)
            << "level " << static_cast<int>(c.level) << " type " << c.type;
    }
}

TEST(MessageBoxRouting, SeverityFollowsTheIconBits) {
    EXPECT_EQ(kvmsi::SeverityOfMessageBoxType(kError | kYesNo), kvmsi::Severity::Error);
    EXPECT_EQ(kvmsi::SeverityOfMessageBoxType(kWarning), kvmsi::Severity::Warning);
    EXPECT_EQ(kvmsi::SeverityOfMessageBoxType(kInfo), kvmsi::Severity::Info);
    EXPECT_EQ(kvmsi::SeverityOfMessageBoxType(kQuestion), kvmsi::Severity::Info);
    EXPECT_EQ(kvmsi::SeverityOfMessageBoxType(0x50), kvmsi::Severity::Info);
}
