// Resource streams over the tests' own resources (TestStrings.rc): lookup
// with and without language, the exception mask, and the failures with the
// location description.
#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <system_error>

#include <boost/exception/get_error_info.hpp>

#include "riviru/errors/ErrorInfo.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/resources/ResourceUtils.h"

namespace {

using riviru::AppResourceError;
using riviru::CreateStreamFromResource;
using riviru::ResourceId;
using riviru::ResourceLocation;

const ResourceId kStringType(L"KV_XML_STRING");
const ResourceId kRcData(10);      // RT_RCDATA
const ResourceId kTestBytes(101);  // "0123456789"

std::string ReadAll(std::istream& stream) {
    return std::string{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::wstring OwnFileName() {
    wchar_t buffer[520];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 520);
    return std::wstring(buffer, length);
}

AppResourceError Failure(const ResourceLocation& location) {
    try {
        CreateStreamFromResource(location, std::ios_base::goodbit);
    } catch (const AppResourceError& e) {
        return e;
    }
    ADD_FAILURE() << "no AppResourceError";
    return AppResourceError("none", std::error_code());
}

TEST(ResourceLocation, NullModuleIsTheProgramsOwn) {
    const ResourceLocation location(nullptr, kStringType, ResourceId(1));
    EXPECT_EQ(location.module, GetModuleHandleW(nullptr));
    EXPECT_EQ(riviru::ProgramModule(), GetModuleHandleW(nullptr));
    const ResourceLocation explicitModule(GetModuleHandleW(L"kernel32.dll"), kStringType, ResourceId(1));
    EXPECT_EQ(explicitModule.module, GetModuleHandleW(L"kernel32.dll"));
}

TEST(CreateStreamFromResource, ReadsExactlyTheResourceBytes) {
    const auto stream =
        CreateStreamFromResource(ResourceLocation(nullptr, kRcData, kTestBytes), std::ios_base::goodbit);
    ASSERT_TRUE(stream);
    EXPECT_EQ(ReadAll(*stream), "0123456789");
}

TEST(CreateStreamFromResource, StreamCoversTheModuleImage) {
    const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(10));
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    const auto stream =
        CreateStreamFromResource(ResourceLocation(nullptr, kRcData, kTestBytes), std::ios_base::goodbit);
    const auto sequence = (*stream)->input_sequence();
    EXPECT_EQ(sequence.first, bytes);
    EXPECT_EQ(sequence.second - sequence.first, static_cast<std::ptrdiff_t>(SizeofResource(nullptr, found)));
}

TEST(CreateStreamFromResource, FindsTheResourceOfTheGivenLanguage) {
    const std::string german = ReadAll(*CreateStreamFromResource(
        ResourceLocation(nullptr, kStringType, ResourceId(1), MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)),
        std::ios_base::badbit));
    EXPECT_EQ(german.rfind("<?xml", 0), 0u);
    EXPECT_NE(german.find("<String Id=\"TestLanguage\">Deutsch</String>"), std::string::npos);

    const std::string japanese = ReadAll(*CreateStreamFromResource(
        ResourceLocation(nullptr, kStringType, ResourceId(1), 1041), std::ios_base::badbit));
    EXPECT_EQ(japanese.rfind("\xEF\xBB\xBF<?xml", 0), 0u);
    EXPECT_NE(japanese.find("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"), std::string::npos);

    const std::string english = ReadAll(*CreateStreamFromResource(
        ResourceLocation(nullptr, kStringType, ResourceId(1), 9), std::ios_base::badbit));
    EXPECT_NE(english.find(">English<"), std::string::npos);
}

TEST(CreateStreamFromResource, WithoutLanguageTheSystemChooses) {
    const std::string chosen = ReadAll(*CreateStreamFromResource(
        ResourceLocation(nullptr, kStringType, ResourceId(1)), std::ios_base::badbit));
    const bool known = chosen.find(">English<") != std::string::npos ||
                       chosen.find(">Deutsch<") != std::string::npos ||
                       chosen.find("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E") != std::string::npos;
    EXPECT_TRUE(known) << chosen;
}

TEST(CreateStreamFromResource, MissingLanguageNamesTheLocation) {
    const ResourceLocation location(nullptr, kStringType, ResourceId(1), 1049);
    const AppResourceError error = Failure(location);
    EXPECT_EQ(error.code(), std::error_code(ERROR_RESOURCE_LANG_NOT_FOUND, std::system_category()));
    EXPECT_EQ(std::string(error.what()).rfind("Failed to load resource: ", 0), 0u) << error.what();
    ASSERT_NE(boost::get_error_info<riviru::tag_errinfo_path>(error), nullptr);
    EXPECT_EQ(boost::get_error_info<riviru::tag_errinfo_path>(error)->native(),
              OwnFileName() + L"\\resType:KV_XML_STRING\\resID:#1\\lcid:1049");
}

TEST(CreateStreamFromResource, MissingLanguageDetails) {
    try {
        CreateStreamFromResource(ResourceLocation(nullptr, kStringType, ResourceId(1), 1049),
                                 std::ios_base::badbit);
        FAIL() << "found a missing language";
    } catch (...) {
        const std::wstring details = riviru::ExceptionDetails();
        EXPECT_EQ(details.rfind(L"Failed to load resource.\n\nError details:\n", 0), 0u) << details;
        EXPECT_NE(details.find(L" (system:1815)\n\nPath:\n'" + OwnFileName() + L"\\resType:"),
                  std::wstring::npos)
            << details;
        const std::wstring tail = L"\\resType:KV_XML_STRING\\resID:#1\\lcid:1049'";
        ASSERT_GE(details.size(), tail.size());
        EXPECT_EQ(details.substr(details.size() - tail.size()), tail) << details;
    }
}

TEST(CreateStreamFromResource, MissingTypeAndName) {
    AppResourceError error = Failure(ResourceLocation(nullptr, ResourceId(L"NO_SUCH_TYPE"), ResourceId(1)));
    EXPECT_EQ(error.code().value(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_EQ(boost::get_error_info<riviru::tag_errinfo_path>(error)->native(),
              OwnFileName() + L"\\resType:NO_SUCH_TYPE\\resID:#1");

    error = Failure(ResourceLocation(nullptr, kStringType, ResourceId(99)));
    EXPECT_EQ(error.code().value(), ERROR_RESOURCE_NAME_NOT_FOUND);

    error = Failure(ResourceLocation(nullptr, kRcData, ResourceId(L"NO_SUCH_NAME"), 0));
    EXPECT_EQ(error.code().value(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(boost::get_error_info<riviru::tag_errinfo_path>(error)->native(),
              OwnFileName() + L"\\resType:#10\\resID:NO_SUCH_NAME\\lcid:0");
}

TEST(CreateStreamFromResource, IsAFileException) {
    try {
        CreateStreamFromResource(ResourceLocation(nullptr, kStringType, ResourceId(99)),
                                 std::ios_base::goodbit);
        FAIL() << "found a missing name";
    } catch (const riviru::FileException& e) {
        EXPECT_EQ(e.code().category(), std::system_category());
    }
}

TEST(CreateStreamFromResource, DataFileModule) {
    // The same executable mapped as a data file: resources are found, the
    // module has no file name, so the description starts with the type.
    const HMODULE data = LoadLibraryExW(OwnFileName().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(data, nullptr) << GetLastError();
    {
        const auto stream =
            CreateStreamFromResource(ResourceLocation(data, kRcData, kTestBytes), std::ios_base::goodbit);
        EXPECT_EQ(ReadAll(*stream), "0123456789");
        const AppResourceError error = Failure(ResourceLocation(data, kStringType, ResourceId(1), 1049));
        const std::wstring path = boost::get_error_info<riviru::tag_errinfo_path>(error)->native();
        const std::wstring tail = L"resType:KV_XML_STRING\\resID:#1\\lcid:1049";
        ASSERT_GE(path.size(), tail.size());
        EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
    }
    FreeLibrary(data);
}

TEST(CreateStreamFromResource, ExceptionMask) {
    const ResourceLocation location(nullptr, kRcData, kTestBytes);
    char buffer[16];

    const auto quiet = CreateStreamFromResource(location, std::ios_base::goodbit);
    EXPECT_EQ(quiet->exceptions(), std::ios_base::goodbit);
    quiet->read(buffer, sizeof buffer);
    EXPECT_EQ(quiet->gcount(), 10);
    EXPECT_TRUE(quiet->eof());

    // The loader's mask: reading past the end is not an error.
    const auto bad = CreateStreamFromResource(location, std::ios_base::badbit);
    EXPECT_EQ(bad->exceptions(), std::ios_base::badbit);
    EXPECT_NO_THROW(bad->read(buffer, sizeof buffer));
    EXPECT_TRUE(bad->eof());

    const auto eof = CreateStreamFromResource(location, std::ios_base::eofbit);
    EXPECT_THROW(eof->read(buffer, sizeof buffer), std::ios_base::failure);

    // Bits beyond the three state bits are ignored.
    const auto extra = CreateStreamFromResource(
        location, std::ios_base::badbit | static_cast<std::ios_base::iostate>(0x100));
    EXPECT_EQ(extra->exceptions(), std::ios_base::badbit);
}

}  // namespace
