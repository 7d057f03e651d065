// runreport: starts one Windows program, waits for it and reports its full
// 32-bit exit code. Wine hands a process exit code to the Linux side cut to
// its low 8 bits (0x20001004 arrives as 4), so the end-to-end tests start
// every program under test through this launcher and read the code from the
// report file.
//
//   runreport [OPTIONS] PROGRAM [ARGS...]
//   runreport [OPTIONS] --cmdline TEXT
//   runreport [OPTIONS] --cmdline-file FILE
//
// Options:
//   --report FILE     write the report lines to FILE (UTF-8, one fact a line):
//                       started PID   the program runs with Windows process id PID
//                       exit CODE     it ended with CODE (unsigned decimal)
//                       timeout       it was still running after --timeout; it and
//                                     everything it started were terminated
//                       left N        N processes it started were still running
//                                     when it ended; they are terminated
//                       error TEXT    it could not be started
//                     Without --report the lines go to stderr.
//   --timeout MS      terminate the program after MS milliseconds (default: none)
//   --keep            leave processes that the program started running
//   --cmdline TEXT    the program's complete command line, used verbatim
//   --cmdline-file F  the same, read from a UTF-8 file (no quoting involved at all)
//   --env NAME=VALUE  set this variable in the program's environment (repeatable;
//                     Wine takes TEMP, TMP, PATH and HOME from its registry, not
//                     from Linux, so only a Windows parent can set them)
//   --                end of options
// With PROGRAM [ARGS...] the command line is built with the usual quoting.
//
// The program inherits this process's standard handles, so its output reaches
// the caller directly. It runs in a job object: on a time-out the whole tree
// is terminated, and so is whatever it leaves running when it ends (unless
// --keep). Wine's crash dialog is switched off in the prefix (the registry
// value HKCU\Software\Wine\WineDbg\ShowCrashDialog = 0), so a crash ends
// the program at once with its exception code and winedbg's backtrace on
// the standard output.
// Exit code: the program's exit code (cut by Wine as said), 124 on time-out,
// 125 when the program could not be started or the arguments are wrong.
#include "DriverSupport.h"

#include <string>
#include <vector>

using namespace uidriver;

namespace {

constexpr int kExitTimeout = 124;
constexpr int kExitFailure = 125;

class Report {
public:
    explicit Report(const std::wstring& path) {
        if (!path.empty()) {
            file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        toFile_ = !path.empty();
    }
    bool Ok() const { return !toFile_ || static_cast<bool>(file_); }

    void Line(const std::wstring& text) {
        if (!toFile_) {
            Err(L"runreport: " + text + L"\n");
            return;
        }
        const std::string bytes = ToUtf8(text + L"\n");
        DWORD written = 0;
        WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        FlushFileBuffers(file_.get());
    }

private:
    UniqueHandle file_;
    bool toFile_ = false;
};

// The quoting that CommandLineToArgvW and the C runtimes undo.
std::wstring QuoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            out.append(backslashes * 2 + 1, L'\\');
        else
            out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

bool ReadCommandLineFile(const std::wstring& path, std::wstring& commandLine) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.pop_back();
    commandLine = FromUtf8(bytes);
    return true;
}

// The child gets inheritable duplicates: the handles Wine gives a process
// for Linux file descriptors are not inheritable themselves.
HANDLE InheritableStd(DWORD which, std::vector<UniqueHandle>& keep) {
    const HANDLE h = GetStdHandle(which);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return h;
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return h;
    }
    keep.emplace_back(copy);
    return copy;
}

// Processes of the job other than the program itself. Wine may still count
// the program for a moment after its handle was signalled.
size_t OtherProcesses(HANDLE job, DWORD programId) {
    const ULONGLONG deadline = GetTickCount64() + 500;
    for (;;) {
        struct {
            JOBOBJECT_BASIC_PROCESS_ID_LIST list;
            ULONG_PTR more[255];
        } ids{};
        ids.list.NumberOfAssignedProcesses = 256;
        size_t others = 0;
        if (QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof ids, nullptr)) {
            for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList && i < 256; ++i) {
                if (ids.list.ProcessIdList[i] != programId) ++others;
            }
        }
        if (others == 0 || GetTickCount64() >= deadline) return others;
        Sleep(50);
    }
}

void DisableWineCrashDialog() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    const DWORD show = 0;
    RegSetValueExW(key, L"ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&show), sizeof show);
    RegCloseKey(key);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring reportPath;
    std::wstring commandLine;
    DWORD timeout = INFINITE;
    bool keep = false;
    bool haveCommandLine = false;
    int i = 1;
    for (; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--") {
            ++i;
            break;
        }
        if (arg == L"--report" && hasValue) {
            reportPath = argv[++i];
        } else if (arg == L"--timeout" && hasValue) {
            const auto ms = ParseNumber(argv[++i]);
            if (!ms || *ms >= INFINITE) {
                Err(L"runreport: bad --timeout\n");
                return kExitFailure;
            }
            timeout = static_cast<DWORD>(*ms);
        } else if (arg == L"--keep") {
            keep = true;
        } else if (arg == L"--env" && hasValue) {
            const std::wstring assignment = argv[++i];
            const size_t equals = assignment.find(L'=');
            if (equals == std::wstring::npos || equals == 0 ||
                !SetEnvironmentVariableW(assignment.substr(0, equals).c_str(),
                                         assignment.substr(equals + 1).c_str())) {
                Err(L"runreport: bad --env " + assignment + L"\n");
                return kExitFailure;
            }
        } else if (arg == L"--cmdline" && hasValue) {
            commandLine = argv[++i];
            haveCommandLine = true;
        } else if (arg == L"--cmdline-file" && hasValue) {
            if (!ReadCommandLineFile(argv[++i], commandLine)) {
                Err(L"runreport: cannot read the command-line file\n");
                return kExitFailure;
            }
            haveCommandLine = true;
        } else if (arg == L"--help" || arg == L"-h") {
            Out(L"usage: runreport [--report FILE] [--timeout MS] [--keep] [--env NAME=VALUE]... "
                L"(--cmdline TEXT | --cmdline-file FILE | [--] PROGRAM [ARGS...])\n");
            return 0;
        } else if (arg.compare(0, 2, L"--") == 0) {
            Err(L"runreport: unknown option " + arg + L"\n");
            return kExitFailure;
        } else {
            break;
        }
    }
    if (!haveCommandLine) {
        for (; i < argc; ++i) {
            if (!commandLine.empty()) commandLine += L' ';
            commandLine += QuoteArgument(argv[i]);
        }
    } else if (i < argc) {
        Err(L"runreport: a program after --cmdline\n");
        return kExitFailure;
    }
    if (commandLine.empty()) {
        Err(L"runreport: no program given (see --help)\n");
        return kExitFailure;
    }

    Report report(reportPath);
    if (!report.Ok()) {
        Err(L"runreport: cannot create the report file\n");
        return kExitFailure;
    }

    // A crash must end the program at once, not wait on a dialog until the
    // time-out: Windows passes the error mode on to the child; Wine ignores it
    // and starts winedbg, which only stays silent with this prefix setting.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    DisableWineCrashDialog();

    // Wine starts its desktop process (explorer.exe, which also keeps the
    // clipboard) from the first process that needs a desktop. Started from
    // the program it would join the job and die with it, taking the
    // clipboard along; started from here it stays outside.
    GetDesktopWindow();

    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (job && !keep) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }

    std::vector<UniqueHandle> inheritedHandles;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritableStd(STD_INPUT_HANDLE, inheritedHandles);
    startup.hStdOutput = InheritableStd(STD_OUTPUT_HANDLE, inheritedHandles);
    startup.hStdError = InheritableStd(STD_ERROR_HANDLE, inheritedHandles);

    PROCESS_INFORMATION process{};
    std::wstring mutableLine = commandLine;
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process)) {
        const DWORD error = GetLastError();
        report.Line(L"error CreateProcessW failed with " + std::to_wstring(error) + L" for: " + commandLine);
        return kExitFailure;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    inheritedHandles.clear();
    if (job && !AssignProcessToJobObject(job.get(), processHandle.get())) job.reset();
    ResumeThread(threadHandle.get());
    threadHandle.reset();
    report.Line(L"started " + std::to_wstring(process.dwProcessId));

    if (WaitForSingleObject(processHandle.get(), timeout) == WAIT_TIMEOUT) {
        report.Line(L"timeout");
        if (job)
            TerminateJobObject(job.get(), kExitTimeout);
        else
            TerminateProcess(processHandle.get(), kExitTimeout);
        WaitForSingleObject(processHandle.get(), 5000);
        return kExitTimeout;
    }
    DWORD code = 0;
    GetExitCodeProcess(processHandle.get(), &code);
    report.Line(L"exit " + std::to_wstring(code));
    if (job) {
        const size_t left = OtherProcesses(job.get(), process.dwProcessId);
        if (left > 0) report.Line(L"left " + std::to_wstring(left));
        if (!keep) TerminateJobObject(job.get(), kExitTimeout);
    }
    return static_cast<int>(code);
}
