#include "riviru/resources/ResourceUtils.h"

#include <windows.h>

#include <string>
#include <system_error>

#include <boost/filesystem/path.hpp>

#include "riviru/errors/ErrorInfo.h"

namespace riviru {

namespace {

LPCWSTR AsResourceName(const ResourceId& id) {
    return id.IsNamed() ? id.name.c_str() : MAKEINTRESOURCEW(id.id);
}

std::wstring ModuleFileName(HMODULE module) {
    wchar_t buffer[520];
    const DWORD length = ::GetModuleFileNameW(module, buffer, 520);
    return std::wstring(buffer, length < 520 ? length : 520);
}

[[noreturn]] void ThrowMissing(const ResourceLocation& location) {
    // Before anything else can change the last error.
    const DWORD error = ::GetLastError();
    const std::wstring description = DescribeResourceLocation(location, ModuleFileName(location.module));
    AppResourceError failure("Failed to load resource",
                             std::error_code(static_cast<int>(error), std::system_category()));
    failure << tag_errinfo_path(boost::filesystem::path(description));
    throw failure;
}

}  // namespace

std::shared_ptr<ResourceStream> CreateStreamFromResource(const ResourceLocation& location,
                                                         std::ios_base::iostate exceptionMask) {
    const HRSRC found =
        location.hasLanguage
            ? ::FindResourceExW(location.module, AsResourceName(location.type), AsResourceName(location.name),
                                location.language)
            : ::FindResourceW(location.module, AsResourceName(location.name), AsResourceName(location.type));
    if (!found) ThrowMissing(location);
    const HGLOBAL loaded = ::LoadResource(location.module, found);
    if (!loaded) ThrowMissing(location);
    const void* bytes = ::LockResource(loaded);
    if (!bytes) ThrowMissing(location);
    const DWORD size = ::SizeofResource(location.module, found);

    const char* begin = static_cast<const char*>(bytes);
    auto stream = std::make_shared<ResourceStream>(begin, begin + size);
    exceptionMask &= std::ios_base::eofbit | std::ios_base::failbit | std::ios_base::badbit;
    if (exceptionMask) stream->exceptions(exceptionMask);
    return stream;
}

}  // namespace riviru
