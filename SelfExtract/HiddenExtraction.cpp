#include "HiddenExtraction.h"

#include <windows.h>

#include <utility>

#include "ExtractThread.h"
#include "SfxMessages.h"
#include "common/setup/CommonSetupLogger.h"

namespace {
constexpr wchar_t kWindowClass[] = L"SfxHiddenExtraction";
}

HiddenExtraction::HiddenExtraction(const sfx::SfxSettings& settings,
                                   std::function<void(const ExtractionError&)> showError)
    : settings_(settings), showError_(std::move(showError)) {}

HiddenExtractionResult HiddenExtraction::Run() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &HiddenExtraction::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass);  // fails harmlessly when already registered
    const HWND window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    if (window == nullptr) {
        ExtractionError error;
        error.kind = ExtractionErrorKind::SystemError;
        error.code = static_cast<std::uint32_t>(HRESULT_FROM_WIN32(::GetLastError()));
        showError_(error);
        return HiddenExtractionResult::Failed;
    }

    CExtractThread worker;
    ExtractThreadParams params;
    params.window = window;
    params.archivePath = settings_.archivePath;
    params.extractDir = settings_.extractDir;
    params.deleteOnFailure = !settings_.extractOnly;
    if (worker.Start(params)) {
        MSG message;
        while (!finished_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        worker.Wait();
    }
    ::DestroyWindow(window);
    return result_;
}

LRESULT CALLBACK HiddenExtraction::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HiddenExtraction*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message >= WM_SFX_START && message <= WM_SFX_ASK_PASSWORD) {
        try {
            return self->HandleMessage(message, wParam, lParam);
        } catch (...) {
            // A worker waiting in SendMessage gets "no"; the run goes on to its
            // final message.
            KVMSI_LOG(kvmsi::Severity::Error) << L"Unexpected error while answering the extraction worker.";
            return 0;
        }
    }
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT HiddenExtraction::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_SFX_ASK_OVERWRITE:
            return static_cast<LRESULT>(settings_.overwriteAnswer);
        case WM_SFX_ASK_PASSWORD:
            return 0;  // no one to ask: the run is cancelled
        case WM_SFX_EXTRACT_ERROR:
            showError_(*reinterpret_cast<const ExtractionError*>(wParam));
            return 0;
        case WM_SFX_EXTRACT_DONE:
            result_ = HiddenExtractionResult::Done;
            finished_ = true;
            return 0;
        case WM_SFX_EXTRACT_CANCELLED:
            result_ = HiddenExtractionResult::Cancelled;
            finished_ = true;
            return 0;
        case WM_SFX_EXTRACT_FAILED:
            result_ = HiddenExtractionResult::Failed;
            finished_ = true;
            return 0;
        default:  // progress and the deleting notice need no answer here
            return 0;
    }
}
