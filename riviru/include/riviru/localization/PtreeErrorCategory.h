// The error category of the XML string-table reader's tree lookups,
// "riviru.ptree_error": 2 "bad path" (equivalent to errc::bad_address),
// 3 "bad data" (equivalent to errc::bad_message), any other code
// "generic error".
#pragma once
#include <string>
#include <system_error>

namespace riviru {

enum class PtreeErrc { BadPath = 2, BadData = 3 };

class PtreeErrorCategoryImpl : public std::error_category {
public:
    const char* name() const noexcept override;
    std::string message(int value) const override;
    std::error_condition default_error_condition(int value) const noexcept override;
};

const std::error_category& PtreeErrorCategory() noexcept;

std::error_code make_error_code(PtreeErrc value) noexcept;

}  // namespace riviru

namespace std {
template <>
struct is_error_code_enum<riviru::PtreeErrc> : true_type {};
}  // namespace std
