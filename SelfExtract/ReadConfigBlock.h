// Reads the configuration block of a package file (normally the stub's own
// executable) and returns its deciphered text.
#pragma once
#include <string>

#include "riviru/errors/HResult.h"

// 0 with the text (empty when the block holds no configuration); the system
// error as an HRESULT when the file cannot be opened, sized or mapped;
// 0x8007000D when there is no block or it does not decode (damaged package).
riviru::HResult ReadConfigBlock(const std::wstring& path, std::wstring& text);
