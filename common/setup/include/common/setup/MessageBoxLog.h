// The log records written for every message-box request.
#pragma once
#include <string_view>

#include "common/setup/CommonSetupLogger.h"

namespace kvmsi {

// The severity of all records of one request follows the icon of the type
// word: error 4, warning 3, anything else 1.
Severity SeverityOfMessageBoxType(unsigned type) noexcept;

void LogMessageBoxRequest(std::wstring_view text, unsigned type);
void LogMessageBoxResult(unsigned type, int result);
void LogMessageBoxSkippedSilent(unsigned type);
void LogMessageBoxSkippedNotNormal(unsigned type);

}  // namespace kvmsi
