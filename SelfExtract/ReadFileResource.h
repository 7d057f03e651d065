// Reads an RCDATA resource from an executable file on disk (not from a loaded
// image), e.g. the values that the packaging tool stamped into the stub.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "riviru/errors/HResult.h"
#include "riviru/win/UniqueResource.h"

struct FileResourceBytes {
    riviru::HResult result = riviru::kOk;
    std::vector<std::uint8_t> bytes;
};

// The bytes of RCDATA resource name of the file at path. The first 100 MiB of
// the file are mapped and used as a data-file module. An open that meets a
// sharing violation is tried again (5 attempts, 250 ms before each of the
// first four); other failures: the system error as an HRESULT, 0x80070714 for
// a file that does not begin with "MZ", 0x8007000D for resource data that
// lies outside the mapped bytes. A resource function that fails without an
// error code gives success with no bytes.
FileResourceBytes ReadFileResource(const std::wstring& path, const std::wstring& name);

// Opens the file at path for reading with read sharing, with the retry on a
// sharing violation described above; the other readers of the stub's own
// file open it the same way.
riviru::HResult OpenForResourceReading(const std::wstring& path, riviru::win::unique_file& file);
