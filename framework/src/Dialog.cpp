#include "framework/Dialog.h"

#include "framework/OccManager.h"
#include "framework/WinApp.h"

namespace fw {

namespace {
// The dialog being created on this thread: its window is attached at the
// first message the dialog procedure receives.
thread_local CDialog* creatingDialog = nullptr;

HINSTANCE ApplicationInstance() noexcept {
    if (CWinApp* app = CWinApp::Current(); app != nullptr && app->GetInstance() != nullptr) return app->GetInstance();
    return ::GetModuleHandleW(nullptr);
}
}  // namespace

CDialog::CDialog(UINT templateId, HWND parent) noexcept : parent_(parent), templateId_(templateId) {}

CDialog::CDialog(HWND parent) noexcept : parent_(parent) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        HWND window = m_hWnd;
        UnsubclassWindow();
        ::DestroyWindow(window);
    }
}

const DLGTEMPLATE* CDialog::LoadTemplate() const noexcept {
    if (indirectTemplate_ != nullptr) return indirectTemplate_;
    HINSTANCE instance = ApplicationInstance();
    HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(templateId_), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (resource == nullptr) return nullptr;
    HGLOBAL loaded = ::LoadResource(instance, resource);
    return loaded != nullptr ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
}

bool CDialog::CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND owner) {
    if (dialogTemplate == nullptr || m_hWnd != nullptr) return false;
    DialogCreateInfo info;
    COccManager* manager = AfxGetOccManager();
    const DLGTEMPLATE* used = manager != nullptr ? manager->PreCreateDialog(&info, dialogTemplate) : dialogTemplate;
    CDialog* outer = creatingDialog;
    creatingDialog = this;
    continueModal_ = true;
    result_ = -1;
    HWND window = ::CreateDialogIndirectParamW(ApplicationInstance(), used, owner, &DialogProc,
                                               reinterpret_cast<LPARAM>(this));
    creatingDialog = outer;
    if (manager != nullptr) manager->PostCreateDialog(&info);
    if (window == nullptr) {
        continueModal_ = false;
        return false;
    }
    return true;
}

bool CDialog::Create(HWND owner) {
    parent_ = owner;
    return CreateIndirect(LoadTemplate(), owner);
}

INT_PTR CDialog::DoModal() {
    const DLGTEMPLATE* dialogTemplate = LoadTemplate();
    if (dialogTemplate == nullptr) return -1;
    HWND owner = parent_;
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    INT_PTR result = -1;
    if (CreateIndirect(dialogTemplate, owner)) {
        result = RunModalLoop(true);
        if (m_hWnd != nullptr) {
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        }
    }
    // The owner is enabled before the dialog goes, so it gets the activation.
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (owner != nullptr && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    return result;
}

INT_PTR CDialog::RunModalLoop(bool showOnIdle) {
    bool showPending = showOnIdle;
    MSG message{};
    while (continueModal_ && m_hWnd != nullptr) {
        if (showPending && !::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
            ::UpdateWindow(m_hWnd);
            showPending = false;
            continue;
        }
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // Leave the quit request for the loop that owns it.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        // The target window and its parents up to their top-level window may
        // swallow it (dialog keys, shortcuts of a control).
        bool swallowed = false;
        for (HWND window = message.hwnd; window != nullptr && !swallowed;) {
            CWnd* object = FromHandlePermanent(window);
            swallowed = object != nullptr && object->PreTranslateMessage(&message);
            if ((::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0) break;
            window = ::GetParent(window);
        }
        if (!swallowed) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    continueModal_ = false;
    return result_;
}

void CDialog::EndDialog(INT_PTR result) noexcept {
    result_ = result;
    continueModal_ = false;
    // Wake the loop in case it is waiting in GetMessage.
    if (m_hWnd != nullptr) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::PreTranslateMessage(MSG* message) {
    // Dialog keys (Tab, Enter, Esc, mnemonics) for this dialog's windows.
    if (message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST && m_hWnd != nullptr &&
        (message->hwnd == m_hWnd || ::IsChild(m_hWnd, message->hwnd))) {
        return ::IsDialogMessageW(m_hWnd, message);
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (FromHandlePermanent(window) != nullptr) return FALSE;  // the object's WindowProc had its turn
    CDialog* pending = creatingDialog;
    if (pending == nullptr && message == WM_INITDIALOG) pending = reinterpret_cast<CDialog*>(lParam);
    if (pending == nullptr || pending->m_hWnd != nullptr) return FALSE;
    creatingDialog = nullptr;
    pending->Attach(window, true);
    if (message != WM_INITDIALOG) return FALSE;
    // Without a font the first message is WM_INITDIALOG itself, which comes
    // here through the system procedure: hand it to the object directly.
    pending->current_ = MSG{window, message, wParam, lParam, 0, {0, 0}};
    return static_cast<INT_PTR>(pending->WindowProc(message, wParam, lParam));
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    return CWnd::WindowProc(message, wParam, lParam);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Buttons, menu items and accelerators end the dialog the usual way;
    // other notifications of controls are the derived class's business.
    const UINT code = HIWORD(wParam);
    if (code != BN_CLICKED && code != 1) return CWnd::OnCommand(wParam, lParam);
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return CWnd::OnCommand(wParam, lParam);
    }
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange exchange{this, saveAndValidate};
    DoDataExchange(&exchange);
    return true;
}

RECT CDialog::MapDialogRect(RECT rect) const noexcept {
    ::MapDialogRect(m_hWnd, &rect);
    return rect;
}

void CDialog::GotoDlgCtrl(HWND control) noexcept { SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); }

}  // namespace fw
