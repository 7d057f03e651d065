// The package integrity check: a cut download still starts (the stub lies at
// the front of the file) but cannot be extracted, so the size of the package
// file is compared with the size it must have before anything is extracted.
#pragma once
#include <string>

#include "riviru/localization/IStringResources.h"

// Empty when the running executable is complete, otherwise the message to
// show. The texts come from strings.
std::wstring VerifyPackage(const riviru::IStringResources& strings);

// The check on the file at path. The expected size is the end of the file's
// Authenticode certificate table when it has one, otherwise the 64-bit value
// of its 8-byte RCDATA resource _KVR_VERIFY.
std::wstring VerifyPackageFile(const std::wstring& path, const riviru::IStringResources& strings);
