#include "TargetFolder.h"

#include <shlobj.h>

#include "FindRoomiestDrive.h"
#include "FreshExtractFolder.h"
#include "PickFolder.h"
#include "framework/WinApp.h"
#include "riviru/errors/FormatErrorText.h"
#include "sfx/ByteSize.h"
#include "sfx/ExtractFolder.h"
#include "sfx/TargetFolderTitle.h"

namespace {

// The user's documents folder, created when missing, with a trailing backslash.
std::wstring DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, TRUE)) return {};
    std::wstring folder(path);
    if (!folder.empty() && folder.back() != L'\\') folder.push_back(L'\\');
    return folder;
}

// format with "%s" (or "%ls") replaced by argument and "%%" by "%", as the
// translated printf format means it. Done by hand: whether "%s" of a wide
// printf takes a wide or a narrow string depends on the runtime.
std::wstring FormatWithText(const std::wstring& format, const std::wstring& argument) {
    std::wstring text;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size()) {
            if (format[i + 1] == L'%') {
                text.push_back(L'%');
                ++i;
                continue;
            }
            if (format[i + 1] == L's') {
                text += argument;
                ++i;
                continue;
            }
            if (format.compare(i + 1, 2, L"ls") == 0) {
                text += argument;
                i += 2;
                continue;
            }
        }
        text.push_back(format[i]);
    }
    return text;
}

}  // namespace

bool SelectTargetFolder(HWND owner, const riviru::IStringResources& strings, sfx::SfxSettings& settings,
                        const std::wstring& startFolder) {
    const std::wstring choice =
        PickFolder(owner, startFolder, sfx::TargetFolderTitle(strings, settings.productName));
    if (choice.empty()) return false;
    // The settings keep the folder with a trailing backslash.
    if (settings.extractOnly) {
        settings.extractDir = choice;
        return true;
    }
    // A normal run goes on in a fresh folder inside the chosen one, created
    // here as at the start of the run.
    std::wstring fresh;
    const HRESULT created = CreateFreshExtractFolder(choice, fresh);
    if (FAILED(created)) {
        fw::AfxMessageBox(L"Could not create the extraction folder in \"" + choice + L"\".\n\n" +
                              riviru::FormatErrorText(static_cast<int>(created)),
                          MB_ICONERROR);
        return false;
    }
    settings.extractDir = fresh;
    return true;
}

bool AskForLargerLocation(HWND owner, const riviru::IStringResources& strings, sfx::SfxSettings& settings,
                          std::uint64_t requiredBytes) {
    const sfx::RoomiestDrive drive = FindRoomiestDrive();
    const std::wstring start = drive.found ? drive.root : DocumentsFolder();
    const sfx::ByteUnits units = {strings.GetString(L"KiB"), strings.GetString(L"MiB"),
                                  strings.GetString(L"GiB"), strings.GetString(L"TiB")};
    const std::wstring text =
        FormatWithText(strings.GetString(L"ChooseTempDir"), sfx::FormatByteSize(requiredBytes, units));
    if (fw::AfxMessageBox(text, MB_OK) != IDOK) return false;
    return SelectTargetFolder(owner, strings, settings, start);
}
