#include "riviru/shell/DesktopShell.h"

#include <windows.h>

#include <exdisp.h>
#include <oleauto.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "ShellErrors.h"
#include "riviru/win/UniqueResource.h"

namespace riviru {
namespace {

using shell_detail::InterfaceIdText;
using shell_detail::ThrowGeneric;
using shell_detail::ThrowHResult;
using win::com_ptr;

// An owned VARIANT; empty (VT_EMPTY) at first.
class Variant {
public:
    Variant() noexcept { ::VariantInit(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&value); }
    VARIANT* get() noexcept { return &value; }
    VARIANT value;
};

// A BSTR variant of text, or the "missing optional argument" variant when
// text is null.
void SetOptionalString(Variant& variant, const wchar_t* text) {
    if (text == nullptr) {
        variant.value.vt = VT_ERROR;
        variant.value.scode = DISP_E_PARAMNOTFOUND;
        return;
    }
    variant.value.bstrVal = ::SysAllocString(text);
    if (variant.value.bstrVal == nullptr) ThrowHResult(E_OUTOFMEMORY, "Could not allocate string");
    variant.value.vt = VT_BSTR;
}

// The shell view of the desktop window of the desktop shell process.
com_ptr<IShellView> FindDesktopView() {
    com_ptr<IShellWindows> windows;
    HRESULT hr =
        ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows, windows.put_void());
    if (FAILED(hr)) ThrowHResult(hr, "Could not create IShellWindows object");

    Variant location;
    location.value.vt = VT_I4;
    location.value.lVal = CSIDL_DESKTOP;
    Variant root;
    LONG window = 0;
    com_ptr<IDispatch> dispatch;
    hr = windows->FindWindowSW(location.get(), root.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                               dispatch.put());
    if (FAILED(hr)) ThrowHResult(hr, "Could not find desktop shell window");

    // FindWindowSW reports "not found" as S_FALSE without an interface.
    com_ptr<IServiceProvider> services;
    if (!dispatch || FAILED(dispatch->QueryInterface(IID_IServiceProvider, services.put_void())) || !services)
        ThrowGeneric(std::errc::not_supported, "Could not query interface IServiceProvider");

    com_ptr<IShellBrowser> browser;
    hr = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.put_void());
    if (FAILED(hr)) ThrowHResult(hr, "Could not query service IShellBrowser");

    com_ptr<IShellView> active;
    hr = browser->QueryActiveShellView(active.put());
    if (FAILED(hr)) ThrowHResult(hr, "Could not query active IShellView");

    com_ptr<IShellView> view;
    hr = active ? active->QueryInterface(IID_IShellView, view.put_void()) : E_NOINTERFACE;
    if (FAILED(hr)) ThrowHResult(hr, "Could not query interface: " + InterfaceIdText(IID_IShellView));
    return view;
}

// The application object of the desktop's folder view.
com_ptr<IDispatch> DesktopApplication() {
    const com_ptr<IShellView> view = FindDesktopView();

    com_ptr<IDispatch> background;
    HRESULT hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void());
    if (FAILED(hr)) ThrowHResult(hr, "Could not get item object SVGIO_BACKGROUND from desktop folder view");

    com_ptr<IShellFolderViewDual> folderView;
    hr = background ? background->QueryInterface(IID_IShellFolderViewDual, folderView.put_void())
                    : E_NOINTERFACE;
    if (FAILED(hr))
        ThrowHResult(hr, "Could not query interface from desktop folder view: " +
                             InterfaceIdText(IID_IShellFolderViewDual));

    com_ptr<IDispatch> application;
    hr = folderView->get_Application(application.put());
    if (FAILED(hr)) ThrowHResult(hr, "Could not get application from IShellFolderViewDual");
    return application;
}

}  // namespace

void ShellExecuteAsDesktopUser(const wchar_t* program, const wchar_t* parameters,
                               const wchar_t* workingFolder, const wchar_t* verb, int show,
                               std::uint32_t flags) {
    if (program == nullptr)
        ThrowGeneric(std::errc::invalid_argument, "The pszFile parameter must not be nullptr");
    const std::wstring_view file(program);
    if (!file.empty() && file.back() == L'\\') {
        OpenFolderAsDesktopUser(program, 0);
        return;
    }

    const com_ptr<IDispatch> application = DesktopApplication();
    com_ptr<IShellDispatch2> shell;
    if (!application || FAILED(application->QueryInterface(IID_IShellDispatch2, shell.put_void())) || !shell)
        ThrowGeneric(std::errc::not_supported, "Could not query interface IShellDispatch2");

    if ((flags & kDesktopNoForeground) == 0) ::AllowSetForegroundWindow(ASFW_ANY);

    BSTR fileText = ::SysAllocString(program);
    if (fileText == nullptr) ThrowHResult(E_OUTOFMEMORY, "Could not allocate string");
    Variant arguments, folder, operation, showCommand;
    try {
        SetOptionalString(arguments, parameters);
        SetOptionalString(folder, workingFolder);
        SetOptionalString(operation, verb);
    } catch (...) {
        ::SysFreeString(fileText);
        throw;
    }
    showCommand.value.vt = VT_I4;
    showCommand.value.lVal = show;
    const HRESULT hr =
        shell->ShellExecute(fileText, arguments.value, folder.value, operation.value, showCommand.value);
    ::SysFreeString(fileText);
    if (FAILED(hr)) ThrowHResult(hr, "IShellDispatch2::ShellExecute failed");
}

void OpenFolderAsDesktopUser(const wchar_t* folder, std::uint32_t flags) {
    const com_ptr<IDispatch> application = DesktopApplication();
    com_ptr<IShellDispatch> shell;
    if (!application || FAILED(application->QueryInterface(IID_IShellDispatch, shell.put_void())) || !shell)
        ThrowGeneric(std::errc::not_supported, "Could not query interface IShellDispatch");

    if ((flags & kDesktopFolderNoForeground) == 0) ::AllowSetForegroundWindow(ASFW_ANY);

    Variant target;
    SetOptionalString(target, folder != nullptr ? folder : L"");
    const HRESULT hr =
        (flags & kDesktopExploreFolder) != 0 ? shell->Explore(target.value) : shell->Open(target.value);
    if (FAILED(hr)) ThrowHResult(hr, "IShellDispatch::ShellExecute failed");
}

}  // namespace riviru
