#include <gtest/gtest.h>

#include "App.h"

TEST(WinApp, StartsWithTheFrameworkApplicationName) {
    CApp app;
    EXPECT_EQ(app.GetAppName(), L"Setup Self-Extractor");
}
