#include "PickFolder.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "riviru/win/SystemLibrary.h"
#include "riviru/win/UniqueResource.h"

namespace {

constexpr DWORD kVista = 0x60000;
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
constexpr FILEOPENDIALOGOPTIONS kFolderOptions =
    FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_DEFAULTNOMINIMODE;
static_assert(kFolderOptions == 0x20000060, "folder options of the common item dialog");

namespace traits {
struct task_memory {
    using type = void*;
    static type invalid() noexcept { return nullptr; }
    static void close(type p) noexcept { ::CoTaskMemFree(p); }
};
}  // namespace traits
using unique_task_memory = riviru::win::unique_resource<traits::task_memory>;

using CreateItemFromParsingName = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);

bool IsVistaOrLater() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(&version)) return true;
    return version.dwMajorVersion * 65536 + version.dwMinorVersion >= kVista;
}

int CALLBACK SelectStartFolder(HWND browser, UINT message, LPARAM, LPARAM startFolder) noexcept {
    if (message == BFFM_INITIALIZED && startFolder != 0) {
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, startFolder);
    }
    return 0;
}

std::wstring BrowseForFolder(HWND owner, const std::wstring& startFolder, const std::wstring& title) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.empty() ? nullptr : title.c_str();
    info.ulFlags = kBrowseFlags;
    info.lpfn = SelectStartFolder;
    info.lParam = startFolder.empty() ? 0 : reinterpret_cast<LPARAM>(startFolder.c_str());
    const unique_task_memory list(::SHBrowseForFolderW(&info));
    if (!list) return {};
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(list.get()), path)) return {};
    return path;
}

// The shell item of startFolder, through the function looked up at run time
// (shell32 has it from Windows Vista on).
riviru::win::com_ptr<IShellItem> StartItem(const std::wstring& startFolder) {
    riviru::win::com_ptr<IShellItem> item;
    if (startFolder.empty()) return item;
    const riviru::win::unique_module shell(riviru::win::LoadSystemLibrary(L"shell32.dll"));
    if (!shell) return item;
    const auto create = reinterpret_cast<CreateItemFromParsingName>(
        reinterpret_cast<void*>(::GetProcAddress(shell.get(), "SHCreateItemFromParsingName")));
    if (create == nullptr || FAILED(create(startFolder.c_str(), nullptr, IID_IShellItem, item.put_void()))) {
        item.reset();
    }
    return item;
}

std::wstring AskWithItemDialog(HWND owner, const std::wstring& startFolder, const std::wstring& title) {
    riviru::win::com_ptr<IFileOpenDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                  IID_IFileOpenDialog, dialog.put_void()))) {
        return {};
    }
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog->GetOptions(&options)) || FAILED(dialog->SetOptions(options | kFolderOptions)))
        return {};
    if (!title.empty() && FAILED(dialog->SetTitle(title.c_str()))) return {};
    if (const auto start = StartItem(startFolder)) {
        if (FAILED(dialog->SetFolder(start.get()))) return {};
    }
    if (FAILED(dialog->Show(owner))) return {};
    riviru::win::com_ptr<IShellItem> result;
    if (FAILED(dialog->GetResult(result.put())) || !result) return {};
    PWSTR name = nullptr;
    if (FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &name))) return {};
    const unique_task_memory owned(name);
    return name != nullptr ? std::wstring(name) : std::wstring();
}

}  // namespace

std::wstring PickFolder(HWND owner, const std::wstring& startFolder, const std::wstring& title) {
    std::wstring folder = IsVistaOrLater() ? AskWithItemDialog(owner, startFolder, title)
                                           : BrowseForFolder(owner, startFolder, title);
    if (!folder.empty() && folder.back() != L'\\') folder.push_back(L'\\');
    return folder;
}
