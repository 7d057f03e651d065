#include "riviru/localization/PtreeErrorCategory.h"

namespace riviru {

const char* PtreeErrorCategoryImpl::name() const noexcept {
    return "riviru.ptree_error";
}

std::string PtreeErrorCategoryImpl::message(int value) const {
    switch (static_cast<PtreeErrc>(value)) {
        case PtreeErrc::BadPath:
            return "bad path";
        case PtreeErrc::BadData:
            return "bad data";
    }
    return "generic error";
}

std::error_condition PtreeErrorCategoryImpl::default_error_condition(int value) const noexcept {
    switch (static_cast<PtreeErrc>(value)) {
        case PtreeErrc::BadPath:
            return std::errc::bad_address;
        case PtreeErrc::BadData:
            return std::errc::bad_message;
    }
    return std::error_condition(value, *this);
}

const std::error_category& PtreeErrorCategory() noexcept {
    static const PtreeErrorCategoryImpl category;
    return category;
}

std::error_code make_error_code(PtreeErrc value) noexcept {
    return std::error_code(static_cast<int>(value), PtreeErrorCategory());
}

}  // namespace riviru
