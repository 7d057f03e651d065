#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "sfx/ByteSize.h"

namespace {

// Sets the runtime's locale for one test and restores the previous one.
class ScopedNumericLocale {
public:
    explicit ScopedNumericLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedNumericLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    bool active() const noexcept { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

}  // namespace

TEST(FormatByteSize, EachUnitFromItsBoundary) {
    ScopedNumericLocale locale("C");
    const struct {
        std::uint64_t size;
        const wchar_t* text;
    } cases[] = {
        {0, L"0 KB"},
        {50, L"0 KB"},
        {102, L"0 KB"},  // below a tenth of a kilobyte
        {103, L"0.1 KB"},
        {1024, L"1.0 KB"},
        {1048575, L"1024.0 KB"},
        {1048576, L"1.0 MB"},
        {123456789, L"117.7 MB"},
        {1073741823, L"1024.0 MB"},
        {1073741824, L"1.00 GB"},
        {5368709120, L"5.00 GB"},
        {1099511627775, L"1024.00 GB"},
        {1099511627776, L"1.00 TB"},
        {3298534883328, L"3.00 TB"},
        {UINT64_C(0xFFFFFFFFFFFFFFFF), L"16777216.00 TB"},
    };
    for (const auto& c : cases) EXPECT_EQ(sfx::FormatByteSize(c.size), c.text) << c.size;
}

TEST(FormatByteSize, UsesTheGivenUnits) {
    ScopedNumericLocale locale("C");
    const sfx::ByteUnits units = {L"KiB", L"MiB", L"GiB", L"TiB"};
    EXPECT_EQ(sfx::FormatByteSize(50, units), L"0 KiB");
    EXPECT_EQ(sfx::FormatByteSize(2048, units), L"2.0 KiB");
    EXPECT_EQ(sfx::FormatByteSize(123456789, units), L"117.7 MiB");
    EXPECT_EQ(sfx::FormatByteSize(1610612736, units), L"1.50 GiB");
    EXPECT_EQ(sfx::FormatByteSize(1099511627776, units), L"1.00 TiB");
}

TEST(FormatByteSize, DecimalSeparatorFollowsTheLocale) {
    ScopedNumericLocale locale("de_DE.UTF-8");
    if (!locale.active()) GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    EXPECT_EQ(sfx::FormatByteSize(123456789), L"117,7 MB");
    EXPECT_EQ(sfx::FormatByteSize(1610612736), L"1,50 GB");
}
