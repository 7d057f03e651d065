// The values the stub forwards to the setup in SetupValues.dat: the stamped
// KVR.../KV_... resources of its own file (or, without any, the data trailer
// at its end) and the token in its file name.
#pragma once
#include <string>

#include "riviru/errors/HResult.h"
#include "sfx/ForwardedValues.h"

// From the stamped resources of the executable at path when it has at least
// one, otherwise from its data trailer; entries with an empty value are
// removed after a successful read. A file that cannot be opened or read gives
// its system error.
riviru::HResult ReadSetupValues(const std::wstring& path, sfx::SetupValueMap& values);

// The values of the RCDATA resources named KVR... or KV_..., in UTF-8 up to
// the first zero byte. 0x80070103 when the file has no such resource,
// 0x80070714 when it does not begin with "MZ"; a resource that cannot be read
// ends the reading with its error (the values read before it stay).
riviru::HResult ReadStampedResources(const std::wstring& path, sfx::SetupValueMap& values);

// The items of the data trailer in the last 65,536 bytes of the file.
// 0x80070103 without the trailer's start, 0x8007000D when it is malformed
// (the items before the fault stay), 0x80070026 when fewer bytes could be read.
riviru::HResult ReadDataTrailer(const std::wstring& path, sfx::SetupValueMap& values);

// Gathers the values of the executable at exePath, lets the token of its file
// name replace KVRID2 and writes valuesFile, replacing an existing one; no file
// when there is nothing to forward. Errors are swallowed: the setup then gets
// fewer values.
void WriteSetupValuesFor(const std::wstring& exePath, const std::wstring& valuesFile);

// The same for the running executable.
void WriteSetupValues(const std::wstring& valuesFile);
