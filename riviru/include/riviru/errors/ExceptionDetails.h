// Describes the exception being handled as user text: its message,
// the system error behind it, attached paths and, one level deeper at a time,
// the exceptions nested in it as causes.
#pragma once
#include <string>

namespace riviru {

// Call while an exception is being handled (inside a catch handler); the
// exception is re-raised internally to find out what it is. Every line of the
// text is indented by `level` tab characters. Without a current exception the
// text is "Unknown exception.".
std::wstring ExceptionDetails(int level = 0);

}  // namespace riviru
