#include "riviru/shell/CommandLineText.h"

namespace riviru {

std::wstring QuoteArgument(std::wstring_view text) {
    if (text.empty()) return L"\"\"";
    std::wstring quoted;
    quoted.reserve(text.size() + 4);
    for (const wchar_t c : text) {
        if (c == L'"') quoted += L'\\';
        quoted += c;
    }
    if (quoted.find_first_of(L" \t\r\n") == std::wstring::npos) return quoted;
    // Without the extra backslash the final one would escape the closing mark.
    if (quoted.back() == L'\\') quoted += L'\\';
    return L'"' + quoted + L'"';
}

void AppendArgument(std::wstring& commandLine, std::wstring_view text) {
    AppendRaw(commandLine, QuoteArgument(text));
}

void AppendArgument(std::wstring& commandLine, std::wstring_view first, std::wstring_view second) {
    AppendArgument(commandLine, first);
    AppendArgument(commandLine, second);
}

void AppendRaw(std::wstring& commandLine, std::wstring_view text) {
    if (!commandLine.empty()) commandLine += L' ';
    commandLine += text;
}

bool IsRelativePath(std::wstring_view path) noexcept {
    if (path.size() < 2) return true;
    if (path[0] == L'\\' && path[1] == L'\\') return false;
    const wchar_t drive = path[0];
    const bool letter = (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    return !(letter && path[1] == L':');
}

bool IsRelativePath(const wchar_t* path) noexcept {
    return path == nullptr || IsRelativePath(std::wstring_view(path));
}

std::wstring GetFolderPart(std::wstring_view path) {
    const auto last = path.rfind(L'\\');
    if (last == std::wstring_view::npos) return {};
    return std::wstring(path.substr(0, last + 1));
}

}  // namespace riviru
