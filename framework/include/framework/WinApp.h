// The application object: one global instance per program. Run() calls
// InitInstance and, when it returns FALSE, goes straight to ExitInstance, whose
// result becomes the process exit code. Every message box of the process is
// requested through MessageBox(), which the application may route.
#pragma once
#include <windows.h>

#include <exception>
#include <string>

namespace fw {

class CWnd;

class CWinApp {
public:
    explicit CWinApp(std::wstring appName);
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // The program's entry point calls this once from the user-interface thread.
    int Run(HINSTANCE instance);

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int DoMessageBox(const std::wstring& text, UINT type, UINT helpId);
    // An exception that a window procedure let escape ends here; the result
    // goes back to the sender of the message.
    virtual LRESULT ProcessWndProcException(std::exception_ptr error, const MSG& message);

    const std::wstring& GetAppName() const noexcept { return appName_; }
    void SetAppName(std::wstring name) { appName_ = std::move(name); }
    HINSTANCE GetInstance() const noexcept { return instance_; }

    // The main window belongs to the user-interface thread; on any other
    // thread there is none. The object is given, not its window, so a dialog
    // can be the main window before its window exists and after it is gone.
    HWND GetMainWnd() const noexcept;
    void SetMainWnd(CWnd* window) noexcept { mainWindow_ = window; }

    static CWinApp* Current() noexcept { return current_; }

private:
    std::wstring appName_;
    HINSTANCE instance_ = nullptr;
    CWnd* mainWindow_ = nullptr;
    DWORD uiThreadId_ = 0;
    static CWinApp* current_;
};

// Shows a message box through the application's routing.
int AfxMessageBox(const std::wstring& text, UINT type = MB_OK, UINT helpId = 0);

}  // namespace fw
