#include "framework/WinApp.h"

#include "framework/Wnd.h"

#include <utility>

namespace fw {

CWinApp* CWinApp::current_ = nullptr;

CWinApp::CWinApp(std::wstring appName) : appName_(std::move(appName)) { current_ = this; }

CWinApp::~CWinApp() {
    if (current_ == this) current_ = nullptr;
}

int CWinApp::Run(HINSTANCE instance) {
    instance_ = instance;
    uiThreadId_ = ::GetCurrentThreadId();
    if (InitInstance()) {
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return ExitInstance();
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

LRESULT CWinApp::ProcessWndProcException(std::exception_ptr, const MSG&) { return 0; }

int CWinApp::DoMessageBox(const std::wstring& text, UINT type, UINT) {
    return ::MessageBoxW(GetMainWnd(), text.c_str(), appName_.c_str(), type);
}

HWND CWinApp::GetMainWnd() const noexcept {
    if (::GetCurrentThreadId() != uiThreadId_ || mainWindow_ == nullptr) return nullptr;
    return mainWindow_->m_hWnd;
}

int AfxMessageBox(const std::wstring& text, UINT type, UINT helpId) {
    CWinApp* app = CWinApp::Current();
    if (app == nullptr) return ::MessageBoxW(nullptr, text.c_str(), L"", type);
    return app->DoMessageBox(text, type, helpId);
}

}  // namespace fw
