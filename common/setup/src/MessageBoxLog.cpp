#include "common/setup/MessageBoxLog.h"

#include <string>

namespace kvmsi {

namespace {
constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconWarning = 0x30;
}  // namespace

Severity SeverityOfMessageBoxType(unsigned type) noexcept {
    switch (type & kIconMask) {
        case kIconError:
            return Severity::Error;
        case kIconWarning:
            return Severity::Warning;
        default:
            return Severity::Info;
    }
}

void LogMessageBoxRequest(std::wstring_view text, unsigned type) {
    KVMSI_LOG(SeverityOfMessageBoxType(type))
        << L"MessageBox: text='" << std::wstring(text) << L"', type=" << type;
}

void LogMessageBoxResult(unsigned type, int result) {
    KVMSI_LOG(SeverityOfMessageBoxType(type)) << L"MessageBox return value: " << result;
}

void LogMessageBoxSkippedSilent(unsigned type) {
    KVMSI_LOG(SeverityOfMessageBoxType(type)) << L"Skipping MessageBox because UiLevel is Silent.";
}

void LogMessageBoxSkippedNotNormal(unsigned type) {
    KVMSI_LOG(SeverityOfMessageBoxType(type))
        << L"Skipping MessageBox because UiLevel is not Normal and message is neither error nor warning.";
}

}  // namespace kvmsi
