// The extraction folder of a normal run: a folder with a random name that
// this run itself has just created, so nobody can have prepared it (planted
// files, a link to elsewhere) beforehand.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "sfx/ExtractFolder.h"

// Random bytes of the system's cryptographic generator (RtlGenRandom).
bool SystemRandomBytes(std::uint8_t* buffer, std::size_t size) noexcept;

// How many names are tried before CreateFreshExtractFolder gives up.
constexpr int kFreshFolderTries = 16;

// Creates parent + a name of sfx::MakeRandomFolderName(random) as a new
// folder: a name that exists already in any form (folder, file, link) is
// never used, another is drawn, at most kFreshFolderTries times. In an
// elevated process the folder gets a protected DACL that grants access to
// administrators and SYSTEM only. folder receives the path with a trailing
// backslash. Returns S_OK, the creation's error as an HRESULT,
// HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) when every name was taken, or
// NTE_FAIL when the random source failed.
HRESULT CreateFreshExtractFolder(const std::wstring& parent, std::wstring& folder,
                                 const sfx::RandomBytes& random = SystemRandomBytes);

// Whether the process token is elevated (TokenElevation); false when that
// cannot be told.
bool IsProcessElevated() noexcept;
