// uidriver: finds, inspects and operates the windows of another process, so
// that end-to-end tests can read and answer dialogs without ever blocking on
// the target's modal loops. It runs in the same Wine prefix (the same
// wineserver and desktop) as the program under test.
//
//   uidriver COMMAND [SELECTOR] [OPTIONS]
//
// Selector (a top-level window; every command except clipboard needs one and
// waits up to --timeout for it to appear; the first match in z-order wins):
//   --title TEXT           window title equals TEXT
//   --title-contains TEXT  window title contains TEXT
//   --class NAME           window class equals NAME (without regard to case)
//   --pid PID              window belongs to Windows process PID
//   --hwnd HANDLE          this window (decimal or 0x hex)
//   --text-contains TEXT   one of its child controls' texts contains TEXT
//   --hidden               invisible windows match as well
//   --timeout MS           how long to wait for a match (default 10000)
//
// Commands:
//   wait       print the window: hwnd, pid, tid, class, title, client size,
//              window rectangle, default button id, focused control
//   gone       wait until no window matches (exit 1 when one is still there)
//   windows    print every matching window now, without waiting (exit 1 when none)
//   list       print the window's child controls, one a line: id, hwnd, class,
//              text, visible, enabled, focused, default, style, rectangle in the
//              window's client coordinates, parent
//   text       print the window title, then the text of each visible child
//              control that has one (line breaks inside a text are kept)
//   items  --id N                    print the items of a combo box or list box
//   press  --id N [--command] [--force]
//              press a button: posts BM_CLICK to it, or with --command posts
//              WM_COMMAND/BN_CLICKED to its parent; a disabled button is refused
//              unless --force
//   key    --key SPEC [--key SPEC...] [--id N] [--method auto|input|post]
//              send keys. SPEC is a key name with optional modifiers, e.g. ESC,
//              ENTER, TAB, SHIFT+TAB, SPACE, LEFT, F4, ALT+F4, CTRL+C, A, 7.
//              input: make the window the foreground window and use SendInput,
//              which is real keyboard input (dialog keys, modifiers, accelerators);
//              post: post WM_KEYDOWN/WM_KEYUP to the focused control (no
//              modifiers). auto (default): input, or post when the window cannot
//              be brought to the foreground. --id focuses that control first.
//   type   --text TEXT [--id N]      type characters (Unicode keyboard input)
//   settext --id N --text TEXT       set a control's text (WM_SETTEXT)
//   select --id N (--index I | --item TEXT)
//              select an item of a combo box or list box and notify the parent
//   focus  --id N                    give a control the keyboard focus
//   activate                         make the window the foreground window
//   close                            post WM_CLOSE to the window
//   click  --id N --x X --y Y        post WM_LBUTTONDOWN and WM_LBUTTONUP to a
//              control at a point in its client coordinates
//   resize --width W --height H      set the window's outer size (SetWindowPos;
//              the window's minimum tracking size still applies)
//   linkclick --id N                 click the first link character of a rich
//              edit (CFE_LINK) as click does; prints its character index and
//              point; exit 3 when the control shows no link
//   clipboard [--clear] [--timeout MS]
//              print the clipboard's Unicode text as it is (exit 1 when there is
//              none, after waiting up to --timeout, default 0); --clear empties it
//
// Output: UTF-8 on stdout. Records are key=value pairs with strings in JSON
// quoting; --json prints one JSON object a line instead.
// Exit codes: 0 done; 1 timed out (no window, still there, no clipboard
// text); 2 wrong usage; 3 the operation failed (no such control, disabled,
// no foreground, message not delivered).
#include "DriverSupport.h"

#include <richedit.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace uidriver;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitTimeout = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailed = 3;
constexpr DWORD kDefaultTimeoutMs = 10000;
constexpr UINT kSendTimeoutMs = 2000;
constexpr DWORD kPollMs = 50;

const wchar_t kUsage[] =
    L"usage: uidriver COMMAND [SELECTOR] [OPTIONS]\n"
    L"\n"
    L"Selector (waits up to --timeout for a matching top-level window):\n"
    L"  --title TEXT | --title-contains TEXT | --class NAME | --pid PID | --hwnd H\n"
    L"  --text-contains TEXT   a child control's text contains TEXT\n"
    L"  --hidden               invisible windows match as well\n"
    L"  --timeout MS           default 10000\n"
    L"\n"
    L"Commands:\n"
    L"  wait | gone | windows | list | text | activate | close\n"
    L"  items   --id N\n"
    L"  press   --id N [--command] [--force]\n"
    L"  key     --key SPEC [--key SPEC...] [--id N] [--method auto|input|post]\n"
    L"          SPEC: [CTRL+][ALT+][SHIFT+]NAME, NAME = ESC ENTER TAB SPACE BACKSPACE\n"
    L"          DELETE INSERT HOME END PGUP PGDN LEFT RIGHT UP DOWN F1..F24 A..Z 0..9\n"
    L"  type    --text TEXT [--id N]\n"
    L"  settext --id N --text TEXT\n"
    L"  select  --id N (--index I | --item TEXT)\n"
    L"  focus   --id N\n"
    L"  click   --id N --x X --y Y\n"
    L"  resize  --width W --height H\n"
    L"  linkclick --id N\n"
    L"  clipboard [--clear] [--timeout MS]\n"
    L"\n"
    L"Output: UTF-8 key=value records (--json: JSON lines).\n"
    L"Exit codes: 0 done, 1 timed out, 2 usage, 3 operation failed.\n";

struct UsageError {
    std::wstring message;
};

struct Failure {
    std::wstring message;
};

class Options {
public:
    Options(int argc, wchar_t** argv) {
        static const std::set<std::wstring> withValue = {
            L"--title",         L"--title-contains", L"--class", L"--pid", L"--hwnd",
            L"--text-contains", L"--timeout",        L"--id",    L"--key", L"--method",
            L"--text",          L"--index",          L"--item",
            L"--x",             L"--y",              L"--width", L"--height"};
        static const std::set<std::wstring> flags = {L"--hidden", L"--json", L"--command", L"--force",
                                                     L"--clear"};
        for (int i = 2; i < argc; ++i) {
            const std::wstring name = argv[i];
            if (withValue.count(name)) {
                if (i + 1 >= argc) throw UsageError{name + L" needs a value"};
                values_[name].push_back(argv[++i]);
            } else if (flags.count(name)) {
                flags_.insert(name);
            } else {
                throw UsageError{L"unknown option " + name};
            }
        }
    }

    bool Has(const std::wstring& name) const { return values_.count(name) > 0 || flags_.count(name) > 0; }
    const std::vector<std::wstring>& All(const std::wstring& name) const {
        static const std::vector<std::wstring> none;
        const auto it = values_.find(name);
        return it == values_.end() ? none : it->second;
    }
    std::wstring Get(const std::wstring& name) const {
        const auto& all = All(name);
        return all.empty() ? std::wstring() : all.back();
    }
    std::wstring Require(const std::wstring& name) const {
        if (!Has(name)) throw UsageError{L"this command needs " + name};
        return Get(name);
    }
    unsigned long long Number(const std::wstring& name, unsigned long long fallback) const {
        if (!Has(name)) return fallback;
        const auto value = ParseNumber(Get(name));
        if (!value) throw UsageError{name + L" must be a number"};
        return *value;
    }
    // Control ids may be written as -1 (IDC_STATIC in extended templates).
    int ControlId() const {
        std::wstring text = Require(L"--id");
        const bool negative = !text.empty() && text[0] == L'-';
        if (negative) text.erase(0, 1);
        const auto value = ParseNumber(text);
        if (!value || *value > 0xFFFFFFFFULL) throw UsageError{L"--id must be a number"};
        const int id = static_cast<int>(static_cast<unsigned>(*value));
        return negative ? -id : id;
    }

private:
    std::map<std::wstring, std::vector<std::wstring>> values_;
    std::set<std::wstring> flags_;
};

std::wstring ClassOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

// A top-level title is read without a message; a control's text may live in
// the control only (rich edit), so it is asked with a bounded send.
std::wstring TitleOf(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

std::wstring ControlText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length)) {
        return TitleOf(hwnd);
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied)) {
        return TitleOf(hwnd);
    }
    text.resize(std::min(static_cast<size_t>(copied), text.size() - 1));
    return text;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

bool SameClass(const std::wstring& a, const std::wstring& b) {
    return Upper(a) == Upper(b);
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> Descendants(HWND top) {
    std::vector<HWND> children;
    EnumChildWindows(top, CollectWindow, reinterpret_cast<LPARAM>(&children));
    return children;
}

int ControlIdOf(HWND hwnd) {
    return static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_ID));
}

HWND FocusOfThread(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool IsSelfOrChild(HWND top, HWND hwnd) {
    return hwnd && (hwnd == top || IsChild(top, hwnd));
}

std::wstring Quote(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        switch (c) {
            case L'"':
                out += L"\\\"";
                break;
            case L'\\':
                out += L"\\\\";
                break;
            case L'\n':
                out += L"\\n";
                break;
            case L'\r':
                out += L"\\r";
                break;
            case L'\t':
                out += L"\\t";
                break;
            default:
                if (c < 0x20) {
                    wchar_t buffer[8];
                    std::swprintf(buffer, 8, L"\\u%04x", static_cast<unsigned>(c));
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    return out + L"\"";
}

// One output record: the same fields as key=value text or as a JSON object.
class Record {
public:
    explicit Record(bool json) : json_(json) {}
    Record& Str(const wchar_t* key, const std::wstring& value) {
        return Raw(key, Quote(value), Quote(value));
    }
    Record& Num(const wchar_t* key, long long value) {
        const std::wstring text = std::to_wstring(value);
        return Raw(key, text, text);
    }
    Record& HexNum(const wchar_t* key, unsigned long long value) {
        const std::wstring text = Hex(value);
        return Raw(key, text, Quote(text));
    }
    Record& Bool(const wchar_t* key, bool value) {
        return Raw(key, value ? L"1" : L"0", value ? L"true" : L"false");
    }
    Record& Size(const wchar_t* key, long width, long height) {
        return Raw(key, std::to_wstring(width) + L"x" + std::to_wstring(height),
                   L"[" + std::to_wstring(width) + L"," + std::to_wstring(height) + L"]");
    }
    Record& Rect(const wchar_t* key, const RECT& r) {
        const std::wstring list = std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
                                  std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom);
        return Raw(key, list, L"[" + list + L"]");
    }
    void Print() const { Out((json_ ? L"{" + line_ + L"}" : line_) + L"\n"); }

private:
    Record& Raw(const wchar_t* key, const std::wstring& text, const std::wstring& json) {
        if (!line_.empty()) line_ += json_ ? L"," : L" ";
        line_ += json_ ? Quote(key) + L":" + json : std::wstring(key) + L"=" + text;
        return *this;
    }

    bool json_;
    std::wstring line_;
};

void PrintWindow(HWND hwnd, bool json) {
    DWORD pid = 0;
    const DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
    RECT client{};
    RECT window{};
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &window);
    Record record(json);
    record.HexNum(L"hwnd", reinterpret_cast<UINT_PTR>(hwnd))
        .Num(L"pid", pid)
        .Num(L"tid", tid)
        .Str(L"class", ClassOf(hwnd))
        .Str(L"title", TitleOf(hwnd))
        .Size(L"client", client.right - client.left, client.bottom - client.top)
        .Rect(L"rect", window)
        .Bool(L"visible", IsWindowVisible(hwnd) != FALSE)
        .Bool(L"enabled", IsWindowEnabled(hwnd) != FALSE)
        .Bool(L"foreground", GetForegroundWindow() == hwnd);
    DWORD_PTR defId = 0;
    if (SameClass(ClassOf(hwnd), L"#32770") &&
        SendMessageTimeoutW(hwnd, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &defId) &&
        HIWORD(defId) == DC_HASDEFID && GetDlgItem(hwnd, LOWORD(defId))) {
        // Wine answers IDOK for a message box that has no such button.
        record.Num(L"defid", LOWORD(defId));
    }
    const HWND focus = FocusOfThread(tid);
    if (IsSelfOrChild(hwnd, focus)) record.Num(L"focus", focus == hwnd ? 0 : ControlIdOf(focus));
    record.HexNum(L"owner", reinterpret_cast<UINT_PTR>(GetWindow(hwnd, GW_OWNER)))
        .HexNum(L"style", static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)))
        .HexNum(L"exstyle", static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
    record.Print();
}

struct Selector {
    std::wstring title;
    std::wstring titleContains;
    std::wstring className;
    std::wstring textContains;
    DWORD pid = 0;
    HWND hwnd = nullptr;
    bool hidden = false;
    DWORD timeoutMs = kDefaultTimeoutMs;

    explicit Selector(const Options& options)
        : title(options.Get(L"--title")),
          titleContains(options.Get(L"--title-contains")),
          className(options.Get(L"--class")),
          textContains(options.Get(L"--text-contains")),
          hidden(options.Has(L"--hidden")) {
        pid = static_cast<DWORD>(options.Number(L"--pid", 0));
        hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(options.Number(L"--hwnd", 0)));
        timeoutMs = static_cast<DWORD>(std::min<unsigned long long>(
            options.Number(L"--timeout", kDefaultTimeoutMs), 24ULL * 3600 * 1000));
        requireTitle = options.Has(L"--title");
    }

    bool Matches(HWND candidate) const {
        if (hwnd && candidate != hwnd) return false;
        DWORD owner = 0;
        GetWindowThreadProcessId(candidate, &owner);
        if (owner == GetCurrentProcessId()) return false;
        if (pid && owner != pid) return false;
        if (!hidden && !IsWindowVisible(candidate)) return false;
        if (!className.empty() && !SameClass(ClassOf(candidate), className)) return false;
        if (requireTitle || !titleContains.empty()) {
            const std::wstring text = TitleOf(candidate);
            if (requireTitle && text != title) return false;
            if (!titleContains.empty() && !Contains(text, titleContains)) return false;
        }
        if (!textContains.empty()) {
            const auto children = Descendants(candidate);
            if (std::none_of(children.begin(), children.end(),
                             [&](HWND child) { return Contains(ControlText(child), textContains); })) {
                return false;
            }
        }
        return true;
    }

    std::vector<HWND> MatchesNow() const {
        std::vector<HWND> found;
        for (HWND candidate : TopLevelWindows()) {
            if (Matches(candidate)) found.push_back(candidate);
        }
        return found;
    }

    // The first match within the time limit, or nullptr.
    HWND Wait() const {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            const auto found = MatchesNow();
            if (!found.empty()) return found.front();
            if (GetTickCount64() >= deadline) return nullptr;
            Sleep(kPollMs);
        }
    }

    bool WaitGone() const {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            if (MatchesNow().empty()) return true;
            if (GetTickCount64() >= deadline) return false;
            Sleep(kPollMs);
        }
    }

private:
    bool requireTitle = false;
};

HWND FindControl(HWND top, int id) {
    HWND hiddenMatch = nullptr;
    for (HWND child : Descendants(top)) {
        if (ControlIdOf(child) != id) continue;
        if (IsWindowVisible(child)) return child;
        if (!hiddenMatch) hiddenMatch = child;
    }
    if (!hiddenMatch) throw Failure{L"no control with id " + std::to_wstring(id)};
    return hiddenMatch;
}

// Lets the target finish start-up before we act on it: a window can be
// visible before its modal loop reads the queue.
void WaitUntilIdle(HWND top) {
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid));
    if (process) WaitForInputIdle(process.get(), 1000);
}

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageW(hwnd, message, wParam, lParam)) {
        throw Failure{L"PostMessageW failed with " + std::to_wstring(GetLastError())};
    }
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
        throw Failure{L"the window did not answer message " + Hex(message, 4)};
    }
    return static_cast<LRESULT>(result);
}

bool BringToForeground(HWND top) {
    const ULONGLONG deadline = GetTickCount64() + 3000;
    while (GetForegroundWindow() != top) {
        if (GetTickCount64() >= deadline) return false;
        // Windows lets a process take the foreground when it shares input
        // with the current foreground thread; Wine does not need this.
        const DWORD self = GetCurrentThreadId();
        const DWORD current = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        const bool attached = current && current != self && AttachThreadInput(self, current, TRUE);
        SetForegroundWindow(top);
        if (attached) AttachThreadInput(self, current, FALSE);
        Sleep(kPollMs);
    }
    // The target activates itself when it handles the change; keyboard input
    // sent before that has no focus window to go to.
    const DWORD thread = GetWindowThreadProcessId(top, nullptr);
    for (;;) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(thread, &info) && info.hwndActive == top && IsSelfOrChild(top, info.hwndFocus)) {
            return true;
        }
        if (GetTickCount64() >= deadline) return GetForegroundWindow() == top;
        Sleep(kPollMs);
    }
}

void FocusControl(HWND top, HWND control) {
    if (SameClass(ClassOf(top), L"#32770")) {
        Send(top, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    } else {
        const DWORD self = GetCurrentThreadId();
        const DWORD target = GetWindowThreadProcessId(control, nullptr);
        const bool attached = AttachThreadInput(self, target, TRUE) != FALSE;
        SetFocus(control);
        if (attached) AttachThreadInput(self, target, FALSE);
    }
    const DWORD thread = GetWindowThreadProcessId(top, nullptr);
    const ULONGLONG deadline = GetTickCount64() + 2000;
    while (FocusOfThread(thread) != control) {
        if (GetTickCount64() >= deadline) throw Failure{L"the control did not take the focus"};
        Sleep(kPollMs);
    }
}

struct KeySpec {
    WORD vk = 0;
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    bool win = false;
};

KeySpec ParseKey(const std::wstring& spec) {
    static const std::map<std::wstring, WORD> names = {
        {L"ESC", VK_ESCAPE},    {L"ESCAPE", VK_ESCAPE}, {L"ENTER", VK_RETURN},   {L"RETURN", VK_RETURN},
        {L"TAB", VK_TAB},       {L"SPACE", VK_SPACE},   {L"BACKSPACE", VK_BACK}, {L"BACK", VK_BACK},
        {L"DELETE", VK_DELETE}, {L"DEL", VK_DELETE},    {L"INSERT", VK_INSERT},  {L"INS", VK_INSERT},
        {L"HOME", VK_HOME},     {L"END", VK_END},       {L"PGUP", VK_PRIOR},     {L"PAGEUP", VK_PRIOR},
        {L"PGDN", VK_NEXT},     {L"PAGEDOWN", VK_NEXT}, {L"LEFT", VK_LEFT},      {L"RIGHT", VK_RIGHT},
        {L"UP", VK_UP},         {L"DOWN", VK_DOWN},     {L"APPS", VK_APPS}};
    KeySpec key;
    std::wstring rest = Upper(spec);
    for (;;) {
        const size_t plus = rest.find(L'+');
        if (plus == std::wstring::npos || plus + 1 == rest.size()) break;
        const std::wstring modifier = rest.substr(0, plus);
        if (modifier == L"CTRL" || modifier == L"CONTROL")
            key.ctrl = true;
        else if (modifier == L"ALT")
            key.alt = true;
        else if (modifier == L"SHIFT")
            key.shift = true;
        else if (modifier == L"WIN")
            key.win = true;
        else
            throw UsageError{L"unknown modifier in " + spec};
        rest.erase(0, plus + 1);
    }
    if (const auto it = names.find(rest); it != names.end()) {
        key.vk = it->second;
    } else if (rest.size() == 1 &&
               ((rest[0] >= L'A' && rest[0] <= L'Z') || (rest[0] >= L'0' && rest[0] <= L'9'))) {
        key.vk = static_cast<WORD>(rest[0]);
    } else if (rest.size() >= 2 && rest[0] == L'F') {
        const auto n = ParseNumber(rest.substr(1));
        if (!n || *n < 1 || *n > 24) throw UsageError{L"unknown key " + spec};
        key.vk = static_cast<WORD>(VK_F1 + *n - 1);
    } else {
        throw UsageError{L"unknown key " + spec};
    }
    return key;
}

bool IsExtendedKey(WORD vk) {
    switch (vk) {
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_LWIN:
        case VK_APPS:
            return true;
        default:
            return false;
    }
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

void SendInputs(std::vector<INPUT>& inputs) {
    if (inputs.empty()) return;
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) throw Failure{L"SendInput failed with " + std::to_wstring(GetLastError())};
}

void SendKeyInput(const KeySpec& key) {
    std::vector<WORD> modifiers;
    if (key.ctrl) modifiers.push_back(VK_CONTROL);
    if (key.alt) modifiers.push_back(VK_MENU);
    if (key.shift) modifiers.push_back(VK_SHIFT);
    if (key.win) modifiers.push_back(VK_LWIN);
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(KeyInput(m, false));
    inputs.push_back(KeyInput(key.vk, false));
    inputs.push_back(KeyInput(key.vk, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) inputs.push_back(KeyInput(*it, true));
    SendInputs(inputs);
}

void PostKey(HWND target, const KeySpec& key) {
    if (key.ctrl || key.alt || key.shift || key.win) {
        throw Failure{L"posted keys cannot carry modifiers; use --method input"};
    }
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key.vk, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM extended = IsExtendedKey(key.vk) ? (1L << 24) : 0;
    Post(target, WM_KEYDOWN, key.vk, 1 | scan | extended);
    Post(target, WM_KEYUP, key.vk, 1 | scan | extended | (1L << 30) | (1L << 31));
}

bool IsListBox(HWND control) {
    return SameClass(ClassOf(control), L"ListBox");
}

bool IsComboBox(HWND control) {
    return SameClass(ClassOf(control), L"ComboBox");
}

std::vector<std::wstring> ItemsOf(HWND control, LRESULT& selected) {
    const bool list = IsListBox(control);
    if (!list && !IsComboBox(control)) throw Failure{L"the control is neither a combo box nor a list box"};
    const LRESULT count = Send(control, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
    selected = Send(control, list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
    std::vector<std::wstring> items;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length =
            Send(control, list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        const LRESULT copied = Send(control, list ? LB_GETTEXT : CB_GETLBTEXT, static_cast<WPARAM>(i),
                                    reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
        items.push_back(text);
    }
    return items;
}

int CmdList(HWND top, bool json) {
    const DWORD thread = GetWindowThreadProcessId(top, nullptr);
    const HWND focus = FocusOfThread(thread);
    for (HWND child : Descendants(top)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
        const std::wstring cls = ClassOf(child);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        const bool isDefault = SameClass(cls, L"Button") && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        Record(json)
            .Num(L"id", ControlIdOf(child))
            .HexNum(L"hwnd", reinterpret_cast<UINT_PTR>(child))
            .Str(L"class", cls)
            .Str(L"text", ControlText(child))
            .Bool(L"visible", IsWindowVisible(child) != FALSE)
            .Bool(L"enabled", IsWindowEnabled(child) != FALSE)
            .Bool(L"focused", child == focus)
            .Bool(L"default", isDefault)
            .HexNum(L"style", style)
            .Rect(L"rect", r)
            .HexNum(L"parent", reinterpret_cast<UINT_PTR>(GetParent(child)))
            .Print();
    }
    return kExitOk;
}

std::wstring WithLineFeeds(std::wstring text) {
    for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at))
        text.erase(at, 1);
    return text;
}

int CmdText(HWND top, bool hidden) {
    std::wstring out = TitleOf(top) + L"\n";
    for (HWND child : Descendants(top)) {
        if (!hidden && !IsWindowVisible(child)) continue;
        const std::wstring text = WithLineFeeds(ControlText(child));
        if (!text.empty()) out += text + L"\n";
    }
    Out(out);
    return kExitOk;
}

int CmdItems(HWND top, const Options& options, bool json) {
    LRESULT selected = -1;
    const auto items = ItemsOf(FindControl(top, options.ControlId()), selected);
    for (size_t i = 0; i < items.size(); ++i) {
        Record(json)
            .Num(L"index", static_cast<long long>(i))
            .Bool(L"selected", static_cast<LRESULT>(i) == selected)
            .Str(L"text", items[i])
            .Print();
    }
    return kExitOk;
}

int CmdPress(HWND top, const Options& options) {
    const int id = options.ControlId();
    const HWND button = FindControl(top, id);
    if (!IsWindowEnabled(button) && !options.Has(L"--force")) {
        throw Failure{L"control " + std::to_wstring(id) + L" is disabled"};
    }
    WaitUntilIdle(top);
    // Posting keeps us from waiting on whatever modal loop the press opens.
    if (options.Has(L"--command")) {
        Post(GetParent(button), WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
             reinterpret_cast<LPARAM>(button));
    } else {
        Post(button, BM_CLICK, 0, 0);
    }
    return kExitOk;
}

int CmdKey(HWND top, const Options& options) {
    std::vector<KeySpec> keys;
    for (const auto& spec : options.All(L"--key")) keys.push_back(ParseKey(spec));
    if (keys.empty()) throw UsageError{L"key needs --key"};
    const std::wstring method = options.Has(L"--method") ? options.Get(L"--method") : L"auto";
    if (method != L"auto" && method != L"input" && method != L"post")
        throw UsageError{L"--method auto|input|post"};

    WaitUntilIdle(top);
    if (options.Has(L"--id")) FocusControl(top, FindControl(top, options.ControlId()));
    const bool useInput = method != L"post" && BringToForeground(top);
    if (method == L"input" && !useInput) throw Failure{L"the window could not be made the foreground window"};
    if (useInput) {
        for (const auto& key : keys) SendKeyInput(key);
        return kExitOk;
    }
    const HWND focus = FocusOfThread(GetWindowThreadProcessId(top, nullptr));
    const HWND target = IsSelfOrChild(top, focus) ? focus : top;
    for (const auto& key : keys) PostKey(target, key);
    return kExitOk;
}

int CmdType(HWND top, const Options& options) {
    const std::wstring text = options.Require(L"--text");
    WaitUntilIdle(top);
    if (options.Has(L"--id")) FocusControl(top, FindControl(top, options.ControlId()));
    if (!BringToForeground(top)) throw Failure{L"the window could not be made the foreground window"};
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        for (bool up : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    SendInputs(inputs);
    return kExitOk;
}

int CmdSetText(HWND top, const Options& options) {
    const std::wstring text = options.Require(L"--text");
    const HWND control = FindControl(top, options.ControlId());
    if (!Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
        throw Failure{L"the control refused the text"};
    }
    return kExitOk;
}

int CmdSelect(HWND top, const Options& options) {
    const int id = options.ControlId();
    const HWND control = FindControl(top, id);
    LRESULT selected = -1;
    const auto items = ItemsOf(control, selected);
    size_t index = 0;
    if (options.Has(L"--index")) {
        index = static_cast<size_t>(options.Number(L"--index", 0));
    } else {
        const std::wstring wanted = options.Require(L"--item");
        index = static_cast<size_t>(std::find(items.begin(), items.end(), wanted) - items.begin());
    }
    if (index >= items.size()) throw Failure{L"no such item"};
    const bool list = IsListBox(control);
    if (Send(control, list ? LB_SETCURSEL : CB_SETCURSEL, index, 0) == (list ? LB_ERR : CB_ERR)) {
        throw Failure{L"the selection was refused"};
    }
    // A program's own selection change does not notify; a user's does.
    Post(GetParent(control), WM_COMMAND,
         MAKEWPARAM(static_cast<WORD>(id), list ? LBN_SELCHANGE : CBN_SELCHANGE),
         reinterpret_cast<LPARAM>(control));
    return kExitOk;
}

int CmdClick(HWND top, const Options& options) {
    if (!options.Has(L"--x") || !options.Has(L"--y")) throw UsageError{L"click needs --x and --y"};
    const HWND control = FindControl(top, options.ControlId());
    const auto x = static_cast<int>(options.Number(L"--x", 0));
    const auto y = static_cast<int>(options.Number(L"--y", 0));
    WaitUntilIdle(top);
    const LPARAM point = MAKELPARAM(x, y);
    Post(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
    Post(control, WM_LBUTTONUP, 0, point);
    return kExitOk;
}

int CmdResize(HWND top, const Options& options) {
    if (!options.Has(L"--width") || !options.Has(L"--height")) {
        throw UsageError{L"resize needs --width and --height"};
    }
    const auto width = static_cast<int>(options.Number(L"--width", 0));
    const auto height = static_cast<int>(options.Number(L"--height", 0));
    WaitUntilIdle(top);
    if (!SetWindowPos(top, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        throw Failure{L"SetWindowPos failed"};
    }
    return kExitOk;
}

// Memory inside another process, for messages whose parameter points to a
// structure (the system does not carry those across processes).
class RemoteMemory {
public:
    RemoteMemory(HWND window, SIZE_T size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        if (process_) {
            address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
        if (!address_) throw Failure{L"no memory in the target process: " + std::to_wstring(GetLastError())};
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() { VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE); }

    WPARAM Address() const { return reinterpret_cast<WPARAM>(address_); }
    template <typename T>
    void Write(const T& value) {
        if (!WriteProcessMemory(process_.get(), address_, &value, sizeof value, nullptr))
            throw Failure{L"WriteProcessMemory failed"};
    }
    template <typename T>
    T Read() const {
        T value{};
        if (!ReadProcessMemory(process_.get(), address_, &value, sizeof value, nullptr))
            throw Failure{L"ReadProcessMemory failed"};
        return value;
    }

private:
    UniqueHandle process_;
    void* address_ = nullptr;
};

int CmdLinkClick(HWND top, const Options& options, bool json) {
    const HWND control = FindControl(top, options.ControlId());
    WaitUntilIdle(top);
    RemoteMemory memory(control, sizeof(CHARFORMAT2W) + sizeof(POINTL));
    const LRESULT length = Send(control, WM_GETTEXTLENGTH, 0, 0);
    const LRESULT selection = Send(control, EM_GETSEL, 0, 0);
    LRESULT linkAt = -1;
    for (LRESULT at = 0; at < length && linkAt < 0; ++at) {
        Send(control, EM_SETSEL, static_cast<WPARAM>(at), at + 1);
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        format.dwMask = CFM_LINK;
        memory.Write(format);
        Send(control, EM_GETCHARFORMAT, SCF_SELECTION, static_cast<LPARAM>(memory.Address()));
        format = memory.Read<CHARFORMAT2W>();
        if ((format.dwMask & CFM_LINK) != 0 && (format.dwEffects & CFE_LINK) != 0) linkAt = at;
    }
    Send(control, EM_SETSEL, LOWORD(selection), HIWORD(selection));
    if (linkAt < 0) throw Failure{L"the control shows no link"};
    memory.Write(POINTL{});
    Send(control, EM_POSFROMCHAR, memory.Address(), linkAt);
    const POINTL at = memory.Read<POINTL>();
    const LPARAM point = MAKELPARAM(at.x + 2, at.y + 2);
    Post(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
    Post(control, WM_LBUTTONUP, 0, point);
    Record(json).Num(L"char", linkAt).Num(L"x", at.x + 2).Num(L"y", at.y + 2).Print();
    return kExitOk;
}

int CmdClipboard(const Options& options) {
    const DWORD timeoutMs = static_cast<DWORD>(options.Number(L"--timeout", 0));
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        // Another process may hold the clipboard open for a moment.
        const ULONGLONG openDeadline = GetTickCount64() + 2000;
        while (!OpenClipboard(nullptr)) {
            if (GetTickCount64() >= openDeadline) throw Failure{L"the clipboard stays locked"};
            Sleep(kPollMs);
        }
        if (options.Has(L"--clear")) {
            const bool emptied = EmptyClipboard() != FALSE;
            CloseClipboard();
            if (!emptied) throw Failure{L"EmptyClipboard failed"};
            return kExitOk;
        }
        std::wstring text;
        bool found = false;
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
                const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
                text.assign(chars, std::find(chars, chars + capacity, L'\0'));
                found = true;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        if (found) {
            Out(text);
            return kExitOk;
        }
        if (GetTickCount64() >= deadline) return kExitTimeout;
        Sleep(kPollMs);
    }
}

int Run(int argc, wchar_t** argv) {
    if (argc < 2) throw UsageError{L"no command"};
    const std::wstring command = argv[1];
    if (command == L"--help" || command == L"-h" || command == L"help") {
        Out(kUsage);
        return kExitOk;
    }
    const Options options(argc, argv);
    const bool json = options.Has(L"--json");
    if (command == L"clipboard") return CmdClipboard(options);

    const Selector selector(options);
    if (command == L"gone") return selector.WaitGone() ? kExitOk : kExitTimeout;
    if (command == L"windows") {
        const auto found = selector.MatchesNow();
        for (HWND hwnd : found) PrintWindow(hwnd, json);
        return found.empty() ? kExitTimeout : kExitOk;
    }

    static const std::set<std::wstring> known = {L"wait",   L"list",  L"text",     L"items",
                                                 L"press",  L"key",   L"type",     L"settext",
                                                 L"select", L"focus", L"activate", L"close",
                                                 L"click",  L"resize", L"linkclick"};
    if (!known.count(command)) throw UsageError{L"unknown command " + command};
    const HWND top = selector.Wait();
    if (!top) return kExitTimeout;

    if (command == L"wait") {
        PrintWindow(top, json);
        return kExitOk;
    }
    if (command == L"list") return CmdList(top, json);
    if (command == L"text") return CmdText(top, selector.hidden);
    if (command == L"items") return CmdItems(top, options, json);
    if (command == L"press") return CmdPress(top, options);
    if (command == L"key") return CmdKey(top, options);
    if (command == L"type") return CmdType(top, options);
    if (command == L"settext") return CmdSetText(top, options);
    if (command == L"select") return CmdSelect(top, options);
    if (command == L"click") return CmdClick(top, options);
    if (command == L"resize") return CmdResize(top, options);
    if (command == L"linkclick") return CmdLinkClick(top, options, json);
    if (command == L"focus") {
        WaitUntilIdle(top);
        FocusControl(top, FindControl(top, options.ControlId()));
        return kExitOk;
    }
    if (command == L"activate") {
        WaitUntilIdle(top);
        if (!BringToForeground(top)) throw Failure{L"the window could not be made the foreground window"};
        return kExitOk;
    }
    Post(top, WM_CLOSE, 0, 0);
    return kExitOk;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(argc, argv);
    } catch (const UsageError& e) {
        Err(L"uidriver: " + e.message + L"\n" + kUsage);
        return kExitUsage;
    } catch (const Failure& e) {
        Err(L"uidriver: " + e.message + L"\n");
        return kExitFailed;
    } catch (const std::exception& e) {
        Err(L"uidriver: " + FromUtf8(e.what()) + L"\n");
        return kExitFailed;
    }
}
