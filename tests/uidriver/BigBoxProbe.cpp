// bigboxprobe: shows the toolkit's message box for the end-to-end tests.
//
//   bigboxprobe [OPTIONS]
//     --type N          system message-box type word (decimal or 0x hex), default 0
//     --flags N         BigMessageBoxFlags, default 0
//     --caption TEXT    window caption (default: none, so the application name
//                       "BigBoxProbe" applies)
//     --title TEXT      bold first paragraph
//     --text TEXT       the message
//     --text-file PATH  the message from a UTF-8 file (instead of --text)
//     --string ID=TEXT  a text of the string table (button captions)
//     --handler         a link handler that prints "link URL|TEXT" and handles
//                       the click
//     --direct          a CBigMessageBox with the icon of --type and no
//                       buttons of its own (as the command-line help is shown)
//                       instead of ShowBigMessageBox
//   Prints "result N" and exits with N, the id the box returned.
#include <windows.h>

#include <objbase.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "DriverSupport.h"
#include "framework/WinApp.h"
#include "riviru/localization/MemStringResources.h"
#include "riviru/text/Utf.h"
#include "riviru/ui/BigMessageBox.h"
#include "riviru/ui/ShowBigMessageBox.h"

using namespace uidriver;

namespace {

constexpr int kUsageExit = 0x7F;

struct UsageError {
    std::wstring message;
};

struct ProbeOptions {
    unsigned type = 0;
    std::uint32_t flags = 0;
    bool hasCaption = false;
    std::wstring caption;
    std::wstring title;
    std::wstring text;
    bool handler = false;
    bool direct = false;
    riviru::MemStringResources strings;
};

unsigned Number(const std::wstring& name, const std::wstring& text) {
    const auto value = ParseNumber(text);
    if (!value || *value > 0xFFFFFFFFULL) throw UsageError{name + L" must be a number"};
    return static_cast<unsigned>(*value);
}

std::wstring ReadUtf8File(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    if (!file) throw UsageError{L"cannot read " + path};
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return FromUtf8(bytes);
}

void Parse(int argc, wchar_t** argv, ProbeOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring name = argv[i];
        const auto value = [&]() -> std::wstring {
            if (i + 1 >= argc) throw UsageError{name + L" needs a value"};
            return argv[++i];
        };
        if (name == L"--type") {
            options.type = Number(name, value());
        } else if (name == L"--flags") {
            options.flags = Number(name, value());
        } else if (name == L"--caption") {
            options.caption = value();
            options.hasCaption = true;
        } else if (name == L"--title") {
            options.title = value();
        } else if (name == L"--text") {
            options.text = value();
        } else if (name == L"--text-file") {
            options.text = ReadUtf8File(value());
        } else if (name == L"--string") {
            const std::wstring pair = value();
            const auto equals = pair.find(L'=');
            if (equals == std::wstring::npos) throw UsageError{L"--string needs ID=TEXT"};
            options.strings.SetString(pair.substr(0, equals), pair.substr(equals + 1));
        } else if (name == L"--handler") {
            options.handler = true;
        } else if (name == L"--direct") {
            options.direct = true;
        } else {
            throw UsageError{L"unknown option " + name};
        }
    }
}

bool PrintLink(const std::wstring& url, const std::wstring& text) {
    Out(L"link " + url + L"|" + text + L"\n");
    return true;
}

class ProbeApp : public fw::CWinApp {
public:
    explicit ProbeApp(const ProbeOptions& options) : fw::CWinApp(L"BigBoxProbe"), options_(options) {}

    BOOL InitInstance() override {
        const HRESULT com = ::CoInitialize(nullptr);
        result_ = options_.direct ? ShowDirect() : ShowThroughRequest();
        if (SUCCEEDED(com)) ::CoUninitialize();
        return FALSE;
    }
    int ExitInstance() override { return result_; }

private:
    int ShowThroughRequest() {
        // The request function takes no link handler: links then open in the
        // shell, which the tests do not want; --handler needs --direct.
        return riviru::ShowBigMessageBox(
            nullptr, options_.strings, options_.hasCaption ? options_.caption.c_str() : nullptr,
            options_.title.c_str(), options_.text.c_str(), options_.type, options_.flags);
    }

    int ShowDirect() {
        riviru::CBigMessageBox box(nullptr, options_.caption.c_str(), options_.title.c_str(),
                                   options_.text.c_str(), riviru::MessageBoxIconFromType(options_.type),
                                   options_.flags);
        if (options_.handler) box.SetLinkHandler(&PrintLink);
        return static_cast<int>(box.DoModal());
    }

    const ProbeOptions& options_;
    int result_ = -1;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ProbeOptions options;
    try {
        Parse(argc, argv, options);
    } catch (const UsageError& e) {
        Err(L"bigboxprobe: " + e.message + L"\n");
        return kUsageExit;
    }
    ProbeApp app(options);
    const int result = app.Run(::GetModuleHandleW(nullptr));
    Out(L"result " + std::to_wstring(result) + L"\n");
    return result;
}
