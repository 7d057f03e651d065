// setupprobe: a stand-in for a product's setup program in the end-to-end
// tests. It reports how it was started and ends with a chosen exit code.
//
// Environment:
//   SFX_PROBE_REPORT  path of the report file (default: setupprobe-report.txt
//                     next to this program); an existing file is replaced
//   SFX_PROBE_EXIT    exit code, unsigned decimal or 0x-hexadecimal (default 0)
//
// Report: UTF-8 text, one fact a line, KEY=VALUE, in this order:
//   commandLine=TEXT    the whole command line (GetCommandLineW)
//   arg=TEXT            one line per argument as the C runtime splits it,
//                       the program name first
//   workingFolder=TEXT  the current folder at start
//   valuesFile=TEXT     the path after the first argument "-m", when there is one
//   values=TEXT         that file's content (its bytes, UTF-8 as the stub writes it)
//   valuesError=CODE    instead of values: the Windows error of reading it
//   end=1               the report is complete
// In TEXT a backslash, carriage return, line feed and tab are written as \\,
// \r, \n and \t; nothing else is escaped.
#include "DriverSupport.h"

#include <string>
#include <string_view>

namespace {

using uidriver::ToUtf8;
using uidriver::UniqueHandle;

std::string Escape(std::string_view bytes) {
    std::string escaped;
    for (const char c : bytes) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 32768);
    return length > 0 && length < 32768 ? std::wstring(buffer, length) : std::wstring();
}

std::wstring DefaultReportPath() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    path.erase(path.rfind(L'\\') + 1);
    return path + L"setupprobe-report.txt";
}

// The bytes of the file, or the Windows error of opening or reading it.
bool ReadFileBytes(const std::wstring& path, std::string& bytes, DWORD& error) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = ::GetLastError();
        return false;
    }
    char buffer[4096];
    DWORD got = 0;
    for (;;) {
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            error = ::GetLastError();
            return false;
        }
        if (got == 0) return true;
        bytes.append(buffer, got);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::string report = "commandLine=" + Escape(ToUtf8(::GetCommandLineW())) + "\n";
    for (int i = 0; i < argc; ++i) report += "arg=" + Escape(ToUtf8(argv[i])) + "\n";

    wchar_t folder[MAX_PATH];
    const DWORD folderLength = ::GetCurrentDirectoryW(MAX_PATH, folder);
    report += "workingFolder=" + Escape(ToUtf8(std::wstring_view(folder, folderLength))) + "\n";

    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wstring_view(argv[i]) != L"-m") continue;
        report += "valuesFile=" + Escape(ToUtf8(argv[i + 1])) + "\n";
        std::string content;
        DWORD error = 0;
        if (ReadFileBytes(argv[i + 1], content, error))
            report += "values=" + Escape(content) + "\n";
        else
            report += "valuesError=" + std::to_string(error) + "\n";
        break;
    }
    report += "end=1\n";

    std::wstring reportPath = Environment(L"SFX_PROBE_REPORT");
    if (reportPath.empty()) reportPath = DefaultReportPath();
    UniqueHandle file(::CreateFileW(reportPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) ::WriteFile(file.get(), report.data(), static_cast<DWORD>(report.size()), &written, nullptr);

    const std::wstring exitText = Environment(L"SFX_PROBE_EXIT");
    const auto exitCode = uidriver::ParseNumber(exitText);
    return static_cast<int>(exitCode ? static_cast<DWORD>(*exitCode) : 0);
}
