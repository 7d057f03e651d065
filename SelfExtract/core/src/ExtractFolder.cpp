#include "sfx/ExtractFolder.h"

#include <array>

#include "riviru/shell/CommandLineText.h"

namespace sfx {

std::wstring MakeRandomFolderName(const RandomBytes& random) {
    static constexpr wchar_t kAlphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    constexpr std::size_t kCharacters = 8;
    constexpr unsigned kLimit = 252;  // the largest multiple of 36 a byte holds
    std::wstring name = L"kvr";
    std::array<std::uint8_t, 32> bytes{};
    while (name.size() < 3 + kCharacters) {
        if (!random || !random(bytes.data(), bytes.size())) return {};
        for (std::uint8_t byte : bytes) {
            if (byte >= kLimit) continue;
            name.push_back(kAlphabet[byte % 36]);
            if (name.size() == 3 + kCharacters) break;
        }
    }
    return name;
}

bool IsAbsoluteFolderPath(std::wstring_view path) noexcept { return !riviru::IsRelativePath(path); }

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring joined(folder);
    if (joined.empty() || joined.back() != L'\\') joined.push_back(L'\\');
    joined.append(name);
    return joined;
}

std::wstring ExecutableBaseName(std::wstring_view executablePath) {
    const std::size_t slash = executablePath.find_last_of(L'\\');
    const std::wstring_view fileName =
        slash == std::wstring_view::npos ? executablePath : executablePath.substr(slash + 1);
    const std::size_t dot = fileName.find_last_of(L'.');
    return dot == std::wstring_view::npos ? std::wstring() : std::wstring(fileName.substr(0, dot));
}

std::wstring ExtractOnlyFolder(std::wstring_view extractDir, std::wstring_view currentDirectory,
                               std::wstring_view executablePath) {
    if (extractDir.empty()) return JoinPath(currentDirectory, ExecutableBaseName(executablePath));
    if (IsAbsoluteFolderPath(extractDir)) return std::wstring(extractDir);
    return JoinPath(currentDirectory, extractDir);
}

}  // namespace sfx
