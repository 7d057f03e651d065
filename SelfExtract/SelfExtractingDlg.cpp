#include "SelfExtractingDlg.h"

#include <shlobj.h>

#include <cmath>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "BuildSetupStartInfo.h"
#include "EnterPasswordDlg.h"
#include "ExtractionError.h"
#include "ExtractionErrorText.h"
#include "ResourceIds.h"
#include "WindowIcons.h"
#include "SfxMessages.h"
#include "TargetFolder.h"
#include "framework/WinApp.h"
#include "riviru/errors/ExceptionDetails.h"
#include "riviru/errors/FormatErrorText.h"
#include "riviru/errors/SystemMessage.h"
#include "riviru/shell/ShellItemString.h"
#include "riviru/shell/ShellUrl.h"
#include "riviru/text/Utf.h"
#include "riviru/ui/BigMessageBox.h"
#include "riviru/ui/FlashRule.h"
#include "sfx/ExtractFolder.h"
#include "sfx/ProgressTitle.h"
#include "sfx/SfxTypes.h"
#include "sfx/TopLevelEntries.h"

namespace {

constexpr int kCancelButton = IDCANCEL;
constexpr std::int32_t kCancelledExitCode = sfx::exit_code::kUserCancelled;
constexpr DWORD kUserRefusedStart = ERROR_CANCELLED;  // 1223
constexpr std::uint32_t kDiskFull = 0x80070070u;

// Registered once per process: Explorer sends it when the taskbar button exists.
UINT TaskbarButtonCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

// Windows Vista and later (the real version, not the manifest's view).
bool IsVistaOrLater() {
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
        auto getVersion = reinterpret_cast<RtlGetVersionFunction>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
        if (getVersion != nullptr && getVersion(&version) == 0) return version.dwMajorVersion >= 6;
    }
    return true;
}

// Lets "TaskbarButtonCreated" through the privilege filter of an elevated
// window (Windows 7 and later; looked up by name).
void AllowTaskbarMessage(HWND window) {
    using FilterFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return;
    auto filter = reinterpret_cast<FilterFunction>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
    if (filter != nullptr) filter(window, TaskbarButtonCreatedMessage(), 1 /* MSGFLT_ALLOW */, nullptr);
}

// The shell's item id list of a path; throws with the given text on failure.
struct ItemIdList {
    PIDLIST_ABSOLUTE list = nullptr;
    ItemIdList() = default;
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;
    ItemIdList(ItemIdList&& other) noexcept : list(other.list) { other.list = nullptr; }
    ~ItemIdList() { ::CoTaskMemFree(list); }
};

ItemIdList ParsePath(const std::wstring& path, const char* what) {
    ItemIdList item;
    const HRESULT hr = ::SHParseDisplayName(path.c_str(), nullptr, &item.list, 0, nullptr);
    if (FAILED(hr)) {
        throw std::system_error(static_cast<int>(hr), std::system_category(),
                                std::string(what) + "\"" + riviru::EncodeUtf8(path) + "\"");
    }
    return item;
}

}  // namespace

CSelfExtractingDlg::CSelfExtractingDlg(HWND parent, const sfx::SfxSettings& runSettings,
                                       const riviru::IStringResources& stringTable)
    : CVistaDialog(runSettings.progressPretty ? IDD_PROGRESS_PRETTY : IDD_PROGRESS, parent),
      parentWindow(parent),
      settings(runSettings),
      strings(stringTable) {}

CSelfExtractingDlg::~CSelfExtractingDlg() = default;

INT_PTR CSelfExtractingDlg::DoModal() {
    if (settings.uiLevel > sfx::UiLevel::Qm) return CVistaDialog::DoModal();
    // Silent and Qm: the same dialog, never shown; the run starts at once.
    if (!Create(parentWindow)) return 0;
    started = true;
    PostMessage(WM_SFX_START);
    const INT_PTR result = RunModalLoop(false);
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    return result;
}

void CSelfExtractingDlg::DoDataExchange(fw::CDataExchange* exchange) {
    CVistaDialog::DoDataExchange(exchange);
    fw::DDX_Control(exchange, IDC_PROGRESS_BAR, progressBar);
    if (settings.progressPretty) fw::DDX_Control(exchange, IDC_HEADER_ICON, iconControl);
}

BOOL CSelfExtractingDlg::OnInitDialog() {
    CVistaDialog::OnInitDialog();
    AllowTaskbarMessage(m_hWnd);
    const double scale = fw::WindowDpiX(m_hWnd) / 96.0;

    SetWindowIcons(m_hWnd, IDR_APP_ICON);

    SetDlgItemText(kCancelButton, strings.GetString(L"Cancel"));
    SetStatusText(strings.GetString(L"SfxProgressText"));
    SetWindowText(sfx::FormatProgressTitle(strings.GetString(L"SfxProgressTitle"), 0));

    if (settings.progressPretty) ArrangeLargeLayout(scale);
    progressBar.SetRange32(0, 1000);
    // The templates place the window at the corner of the screen.
    CenterWindow();
    return TRUE;
}

void CSelfExtractingDlg::ArrangeLargeLayout(double scale) {
    HWND productName = GetDlgItem(IDC_PRODUCT_NAME);
    if (headerFont.CreateWithWeight(GetFont(), FW_BOLD)) {
        ::SendMessageW(productName, WM_SETFONT, reinterpret_cast<WPARAM>(headerFont.get()), FALSE);
    }
    ::SetWindowTextW(productName, settings.productName.c_str());

    const int iconSize = static_cast<int>(std::lround(48 * scale));
    if (bigIcon.Load(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_APP_ICON), iconSize, iconSize)) {
        iconControl.SetIcon(bigIcon.Get());
        iconControl.SetWindowPos(nullptr, 0, 0, iconSize, iconSize, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The texts and the bar start 9 dialog units right of the icon.
    const RECT icon = GetChildRect(iconControl.m_hWnd);
    const RECT gap = MapDialogRect(RECT{0, 0, 9, 0});
    const int left = icon.right + gap.right;
    for (int id : {IDC_STATUS_TEXT, IDC_PRODUCT_NAME, IDC_PROGRESS_BAR}) {
        HWND control = GetDlgItem(id);
        const RECT rect = GetChildRect(control);
        ::SetWindowPos(control, nullptr, left, rect.top, rect.right - left, rect.bottom - rect.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CSelfExtractingDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SFX_START:
        OnStart();
        return 0;
    case WM_SFX_HIDE:
        ShowWindow(SW_HIDE);
        return 0;
    case WM_SFX_SETUP_DONE:
        OnSetupDone(wParam, lParam);
        return 0;
    case WM_SFX_EXTRACT_DONE:
        OnExtractDone();
        return 0;
    case WM_SFX_EXTRACT_CANCELLED:
        resultCode = kCancelledExitCode;
        EndDialog(IDCANCEL);
        return 0;
    case WM_SFX_EXTRACT_FAILED:
        OnExtractFailed();
        return 0;
    case WM_SFX_EXTRACT_ERROR:
        OnExtractError(*reinterpret_cast<const ExtractionError*>(wParam));
        return 0;
    case WM_SFX_PROGRESS:
        // Release the worker first: it goes on unpacking while the window
        // is being updated.
        ::ReplyMessage(0);
        SetProgress(static_cast<int>(lParam));
        return 0;
    case WM_SFX_ASK_OVERWRITE:
        return OnAskOverwrite(reinterpret_cast<const wchar_t*>(lParam));
    case WM_SFX_DELETING:
        SetStatusText(strings.GetString(L"DeletingTempFiles"));
        return 0;
    case WM_SFX_ASK_PASSWORD:
        return OnAskPassword(reinterpret_cast<wchar_t*>(wParam), static_cast<size_t>(lParam));
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = CVistaDialog::WindowProc(message, wParam, lParam);
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((position->flags & SWP_SHOWWINDOW) != 0 && !started) {
            started = true;
            PostMessage(WM_SFX_START);
        }
        return result;
    }
    default:
        if (message == TaskbarButtonCreatedMessage() && message != 0) {
            OnTaskbarButtonCreated();
            return 0;
        }
        return CVistaDialog::WindowProc(message, wParam, lParam);
    }
}

void CSelfExtractingDlg::SetStatusText(const std::wstring& text) { SetDlgItemText(IDC_STATUS_TEXT, text); }

void CSelfExtractingDlg::SetProgress(int perMille) {
    if (perMille < 0) perMille = 0;
    if (perMille > 1000) perMille = 1000;
    progressBar.SetPos(perMille);
    SetWindowText(sfx::FormatProgressTitle(strings.GetString(L"SfxProgressTitle"), perMille / 10));
    if (taskbarList) taskbarList->SetProgressValue(m_hWnd, static_cast<ULONGLONG>(perMille), 1000);
}

void CSelfExtractingDlg::SetProgressState(int state) {
    if (IsVistaOrLater()) progressBar.SetState(state);
    if (taskbarList) {
        const TBPFLAG flag = state == 2 ? TBPF_ERROR : state == 3 ? TBPF_PAUSED : TBPF_NORMAL;
        taskbarList->SetProgressState(m_hWnd, flag);
    }
}

void CSelfExtractingDlg::OnStart() {
    // A silent run takes the configured folder as it is: nobody is there to
    // answer the folder browser.
    if (settings.extractOnlyFromConfig && settings.uiLevel != sfx::UiLevel::Silent &&
        !SelectTargetFolder(m_hWnd, strings, settings, settings.extractDir)) {
        EndDialog(IDCANCEL);
        return;
    }
    extractParams.window = m_hWnd;
    extractParams.archivePath = settings.archivePath;
    extractParams.extractDir = settings.extractDir;
    extractParams.deleteOnFailure = !settings.extractOnly;
    extractParams.folderCreated = !settings.extractOnly;
    extractThread.Start(extractParams);
}

void CSelfExtractingDlg::ShowError(const std::wstring& text) {
    riviru::FlashInBackground(m_hWnd);
    fw::AfxMessageBox(text, MB_ICONERROR | MB_OK);
}

void CSelfExtractingDlg::OnExtractError(const ExtractionError& error) {
    if (settings.uiLevel == sfx::UiLevel::Silent) return;  // the failed end follows
    if (!settings.extractOnly && error.kind == ExtractionErrorKind::SystemError && error.code == kDiskFull) {
        retryPending = AskForLargerLocation(m_hWnd, strings, settings, error.requiredSize);
        return;
    }
    SetProgressState(2);
    ShowError(ExtractionErrorText(error, strings));
    SetProgressState(1);
    SetProgress(0);
}

void CSelfExtractingDlg::OnExtractFailed() {
    if (!retryPending) {
        resultCode = sfx::exit_code::kBadPackage;
        EndDialog(IDCANCEL);
        return;
    }
    // A new folder was chosen after a full disk: start again there. The
    // worker already removed the folder of the failed run.
    retryPending = false;
    SetProgressState(1);
    SetProgress(0);
    SetStatusText(strings.GetString(L"SfxProgressText"));
    extractThread.Wait();
    extractParams.extractDir = settings.extractDir;
    extractThread.Start(extractParams);
}

void CSelfExtractingDlg::OnCancel() {
    if (fw::AfxMessageBox(strings.GetString(L"VerifyCancel"), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    extractThread.Stop(false);
    ::EnableWindow(GetDlgItem(kCancelButton), FALSE);
}

void CSelfExtractingDlg::OnExtractDone() {
    extractThread.Wait();
    SetProgress(1000);
    if (settings.extractOnly) {
        // A silent run must end without waiting for anyone: callers script
        // "/x folder /q", so the note is for the runs that show windows.
        if (settings.uiLevel != sfx::UiLevel::Silent) ShowExtractSuccess();
        EndDialog(IDOK);
        return;
    }
    LaunchSetup();
}

void CSelfExtractingDlg::LaunchSetup() {
    SetStatusText(strings.GetString(L"StartSetup"));
    ::EnableWindow(GetDlgItem(kCancelButton), FALSE);
    setupThread.Begin(BuildSetupStartInfo(m_hWnd, settings));
}

void CSelfExtractingDlg::OnSetupDone(WPARAM code, LPARAM setupRan) {
    const auto value = static_cast<std::uint32_t>(code);
    if (setupRan != 0) {
        resultCode = static_cast<std::int32_t>(value);
    } else if (value == kUserRefusedStart) {
        resultCode = kCancelledExitCode;
    } else if (value != 0) {
        ShowError(riviru::FormatErrorText(static_cast<int>(value)) + L"\n\n" + setupThread.GetErrorText());
        resultCode = sfx::exit_code::kSetupStartFailed;
    }
    EndDialog(IDOK);
}

LRESULT CSelfExtractingDlg::OnAskOverwrite(const wchar_t* existingPath) {
    // A normal run extracts into a fresh folder: what is there stays.
    if (!settings.extractOnly) return static_cast<LRESULT>(sfx::OverwriteAnswer::No);
    if (settings.uiLevel == sfx::UiLevel::Silent) return static_cast<LRESULT>(settings.overwriteAnswer);

    SetProgressState(3);
    const std::wstring path = existingPath != nullptr ? existingPath : L"";
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::wstring text = L"\"" + name + L"\"\n\n" + strings.GetString(L"OverwriteAllQuestion");
    const std::wstring title = riviru::SystemMessage(ERROR_FILE_EXISTS);
    const std::wstring caption = fw::CWinApp::Current() != nullptr ? fw::CWinApp::Current()->GetAppName() : L"";
    riviru::CBigMessageBox box(m_hWnd, caption.c_str(), title.c_str(), text.c_str(), riviru::MessageBoxIcon::Warning,
                               riviru::BigMessageBoxFlags::Flash);
    box.AddButton(IDOK, strings.GetString(L"OverwriteAllButton"), false);
    box.AddButton(IDCANCEL, strings.GetString(L"Cancel"), true);
    const INT_PTR answer = box.DoModal();
    SetProgressState(1);
    return static_cast<LRESULT>(answer == IDOK ? sfx::OverwriteAnswer::YesToAll : sfx::OverwriteAnswer::Cancel);
}

LRESULT CSelfExtractingDlg::OnAskPassword(wchar_t* buffer, size_t capacity) {
    CEnterPasswordDlg dialog(m_hWnd);
    const INT_PTR result = dialog.DoModal();
    if (result != IDOK) return result;
    const std::wstring& password = dialog.GetPassword();
    if (buffer == nullptr || capacity == 0 || password.size() >= capacity) return IDCANCEL;
    password.copy(buffer, password.size());
    buffer[password.size()] = L'\0';
    return 1;
}

void CSelfExtractingDlg::OnTaskbarButtonCreated() {
    taskbarList.reset();
    riviru::win::com_ptr<ITaskbarList3> list;
    if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                  list.put_void())))
        return;
    if (SUCCEEDED(list->HrInit())) taskbarList = std::move(list);
}

void CSelfExtractingDlg::ShowExtractSuccess() {
    std::wstring folder = settings.extractDir;
    if (folder.empty() || folder.back() != L'\\') folder.push_back(L'\\');
    std::wstring text;
    try {
        std::wstring name = riviru::GetShellItemString(settings.extractDir, riviru::kItemNameDisplay);
        // A shell without a display name for the folder would leave a link
        // with nothing to click: its path stands in.
        if (name.empty()) name = settings.extractDir;
        text = L"<LINK " + name + L"|" + riviru::UrlFromPath(folder) + L">";
    } catch (const std::system_error&) {
        text = settings.extractDir;
    }
    const std::wstring caption = fw::CWinApp::Current() != nullptr ? fw::CWinApp::Current()->GetAppName() : L"";
    const std::wstring title = strings.GetString(L"ExtractSuccess");
    riviru::CBigMessageBox box(m_hWnd, caption.c_str(), title.c_str(), text.c_str(), riviru::MessageBoxIcon::Info,
                               riviru::BigMessageBoxFlags::Flash);
    box.AddButton(IDOK, strings.GetString(L"OK"), false);
    box.SetLinkHandler([this](const std::wstring&, const std::wstring&) {
        OpenExtractFolder();
        return true;
    });
    box.DoModal();
}

void CSelfExtractingDlg::OpenExtractFolder() {
    try {
        const ItemIdList folder = ParsePath(settings.extractDir, "Could not convert extract folder to PIDL:\n");
        std::vector<ItemIdList> items;
        for (const std::wstring& entry : sfx::TopLevelEntries(extractThread.GetExtractedEntries())) {
            items.push_back(ParsePath(sfx::JoinPath(settings.extractDir, entry), "Could not convert path to PIDL:\n"));
        }
        std::vector<PCUITEMID_CHILD> selection;
        for (const ItemIdList& item : items) selection.push_back(::ILFindLastID(item.list));
        const HRESULT hr = ::SHOpenFolderAndSelectItems(folder.list, static_cast<UINT>(selection.size()),
                                                        selection.empty() ? nullptr : selection.data(), 0);
        if (FAILED(hr)) {
            throw std::system_error(static_cast<int>(hr), std::system_category(),
                                    "Could not open folder:\n\"" + riviru::EncodeUtf8(settings.extractDir) + "\"");
        }
    } catch (...) {
        fw::AfxMessageBox(riviru::ExceptionDetails(0), MB_ICONERROR | MB_OK);
    }
}
