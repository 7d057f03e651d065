// memprobe: runs one Windows program and reports how long it ran, how much
// processor time it used and its peak working set, for the extraction
// benchmark (bench/run.py).
//
//   memprobe [--answer-password TEXT] REPORT_FILE COMMAND_LINE
//
// COMMAND_LINE is the program's complete command line, used verbatim. With
// --answer-password, a visible window of the program that has a password edit
// box (control 1009) gets TEXT there and is confirmed with OK as soon as it
// appears (within one sampling period), so an encrypted archive is measured
// without a person's reaction time. The
// program inherits the standard handles. REPORT_FILE receives UTF-8 lines:
//   exit CODE          the program's exit code (unsigned decimal)
//   elapsed_ms N       from process creation until its handle was signalled
//   cpu_ms N           user plus kernel time of the program as the system
//                      reports it (Wine keeps next to none for another
//                      process; bench/run.py reads /proc instead)
//   peak_working_set N PROCESS_MEMORY_COUNTERS.PeakWorkingSetSize in bytes
//   error TEXT         the program could not be started
// Wine answers the memory query for another process from its live state
// (/proc on Linux) and knows nothing of it once the process has gone, so the
// counters are sampled every few milliseconds while the program runs; the
// peak is a high-water mark, so the last sample is the peak up to that time.
// Exit code: 0 when the report was written, 125 otherwise.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <string>

namespace {

constexpr int kExitFailure = 125;
constexpr DWORD kSampleMs = 5;
constexpr int kPasswordEditId = 1009;

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) noexcept : handle_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle_ != nullptr) CloseHandle(handle_);
    }
    HANDLE get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }

private:
    HANDLE handle_;
};

bool WriteReport(const std::wstring& path, const std::string& text) {
    const Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

SIZE_T PeakWorkingSet(HANDLE process) noexcept {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

struct PasswordAnswer {
    DWORD processId;
    const std::wstring* text;
    HWND answered;
};

BOOL CALLBACK AnswerPasswordWindow(HWND window, LPARAM context) {
    auto& answer = *reinterpret_cast<PasswordAnswer*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != answer.processId || window == answer.answered || !IsWindowVisible(window)) return TRUE;
    const HWND edit = GetDlgItem(window, kPasswordEditId);
    if (edit == nullptr || (GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) == 0) return TRUE;
    SetWindowTextW(edit, answer.text->c_str());
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, IDOK)));
    answer.answered = window;
    return FALSE;
}

ULONGLONG FileTimeTicks(const FILETIME& time) noexcept {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int first = 1;
    std::wstring password;
    bool answerPassword = false;
    if (argc >= 3 && std::wstring(argv[1]) == L"--answer-password") {
        password = argv[2];
        answerPassword = true;
        first = 3;
    }
    if (argc - first != 2) {
        const char usage[] = "usage: memprobe [--answer-password TEXT] REPORT_FILE COMMAND_LINE\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), usage, sizeof usage - 1, &written, nullptr);
        return kExitFailure;
    }
    const std::wstring reportPath = argv[first];
    std::wstring commandLine = argv[first + 1];

    // Wine starts its desktop process (explorer.exe) for the first program
    // that needs a desktop; started here, before the clock runs, it is not
    // counted against a GUI program and not against a console one.
    GetDesktopWindow();

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    LARGE_INTEGER frequency{}, started{}, ended{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info)) {
        const std::string text = "error CreateProcessW failed with " + std::to_string(GetLastError()) + "\n";
        return WriteReport(reportPath, text) ? 0 : kExitFailure;
    }
    const Handle process(info.hProcess);
    const Handle thread(info.hThread);

    SIZE_T peak = 0;
    PasswordAnswer answer{info.dwProcessId, &password, nullptr};
    while (WaitForSingleObject(process.get(), kSampleMs) == WAIT_TIMEOUT) {
        peak = std::max(peak, PeakWorkingSet(process.get()));
        if (answerPassword) EnumWindows(AnswerPasswordWindow, reinterpret_cast<LPARAM>(&answer));
    }
    QueryPerformanceCounter(&ended);
    peak = std::max(peak, PeakWorkingSet(process.get()));

    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    FILETIME creation{}, exit{}, kernel{}, user{};
    ULONGLONG cpuTicks = 0;
    if (GetProcessTimes(process.get(), &creation, &exit, &kernel, &user))
        cpuTicks = FileTimeTicks(kernel) + FileTimeTicks(user);
    const auto elapsedMs = static_cast<unsigned long long>((ended.QuadPart - started.QuadPart) * 1000 /
                                                           frequency.QuadPart);

    std::string text = "exit " + std::to_string(code) + "\n";
    text += "elapsed_ms " + std::to_string(elapsedMs) + "\n";
    text += "cpu_ms " + std::to_string(cpuTicks / 10000) + "\n";
    text += "peak_working_set " + std::to_string(peak) + "\n";
    return WriteReport(reportPath, text) ? 0 : kExitFailure;
}
