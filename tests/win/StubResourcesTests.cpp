// The resources the stub executable carries: its manifest, the version keys
// of the packaging tool and the placeholders that sfxpack stamps.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "riviru/win/UniqueResource.h"

namespace {

// sfxstub.exe is built into the same folder as this test.
std::wstring StubPath() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"sfxstub.exe";
}

class StubResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_.reset(::LoadLibraryExW(StubPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(module_) << "cannot load " << std::string(StubPath().begin(), StubPath().end());
    }

    std::string Resource(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = ::FindResourceW(module_.get(), name, type);
        if (found == nullptr) return {};
        const void* data = ::LockResource(::LoadResource(module_.get(), found));
        return std::string(static_cast<const char*>(data), ::SizeofResource(module_.get(), found));
    }

    riviru::win::unique_module module_;
};

}  // namespace

TEST_F(StubResources, ManifestAsksForAdministratorAndCommonControls6) {
    const std::string manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    for (const char* expected : {"name=\"KAVRO.Stub\"", "version=\"1.0.0.0\"", "processorArchitecture=\"X86\"",
                                 "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                                 "level=\"requireAdministrator\"", "uiAccess=\"false\"", ">true</dpiAware>",
                                 "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                 "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        EXPECT_NE(manifest.find(expected), std::string::npos) << expected;
    }
}

TEST_F(StubResources, VersionResourceCarriesThePackagingKeys) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(StubPath().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(StubPath().c_str(), 0, size, info.data()));
    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } expected[] = {{L"KV_Culture", L"en-II"}, {L"KV_StubConfig", L"Release"}, {L"KV_StubVersion", L"1.6.2.0"}};
    for (const auto& e : expected) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + e.key;
        ASSERT_TRUE(::VerQueryValueW(info.data(), query.c_str(), &value, &length));
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), e.value);
    }
}

TEST_F(StubResources, StampedPlaceholdersAreZeroFilled) {
    const struct {
        const wchar_t* name;
        std::size_t size;
    } placeholders[] = {{L"_KVR_VERIFY", 8}, {L"KVRID", 256}, {L"KVRID2", 256}, {L"KV_ZORBIX_PHASH", 34}};
    for (const auto& p : placeholders) {
        const std::string data = Resource(RT_RCDATA, p.name);
        EXPECT_EQ(data, std::string(p.size, '\0')) << std::string(p.name, p.name + wcslen(p.name));
    }
}
