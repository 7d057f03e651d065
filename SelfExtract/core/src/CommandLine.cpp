#include "sfx/CommandLine.h"

#include <cstddef>
#include <optional>
#include <string_view>

#include "riviru/localization/StringILess.h"

namespace sfx {

namespace {

std::wstring AsciiLower(std::wstring_view s) {
    std::wstring lower(s);
    for (auto& c : lower) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return lower;
}

std::optional<OverwriteAnswer> ReadOverwriteAnswer(std::wstring_view text) {
    struct Name {
        std::wstring_view text;
        OverwriteAnswer answer;
    };
    static constexpr Name kNames[] = {
        {L"Yes", OverwriteAnswer::Yes},       {L"YesToAll", OverwriteAnswer::YesToAll},
        {L"No", OverwriteAnswer::No},         {L"NoToAll", OverwriteAnswer::NoToAll},
        {L"Cancel", OverwriteAnswer::Cancel},
    };
    for (const auto& name : kNames) {
        if (riviru::EqualsIgnoreCase(text, name.text)) return name.answer;
    }
    return std::nullopt;
}

}  // namespace

CommandLineOptions ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLineOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.empty() || (arg[0] != L'-' && arg[0] != L'/')) continue;
        const std::wstring name = AsciiLower(std::wstring_view(arg).substr(1));
        const bool hasValue = i + 1 < args.size();
        // Only called when hasValue; the value is not looked at as a switch.
        const auto takeValue = [&]() -> const std::wstring& { return args[++i]; };

        if (name == L"?") {
            options.showHelp = true;
            break;
        } else if (name == L"x") {
            options.extractOnly = true;
            if (hasValue) options.extractDir = takeValue();
        } else if (name == L"q") {
            options.uiLevel = UiLevel::Silent;
        } else if (name == L"qm") {
            options.uiLevel = UiLevel::Qm;
        } else if (name == L"qb") {
            options.uiLevel = UiLevel::Qb;
        } else if (name == L"qx") {
            options.uiLevel = UiLevel::Qx;
        } else if (name == L"l") {
            if (hasValue) options.requestedCulture = takeValue();
        } else if (name == L"e") {
            if (hasValue) options.archivePath = takeValue();
        } else if (name == L"overwriteanswer") {
            if (hasValue) {
                if (const auto answer = ReadOverwriteAnswer(takeValue())) options.overwriteAnswer = *answer;
            }
        } else if (name.compare(0, 2, L"m=") == 0) {
            options.callerGivesValuesFile = true;
        }
    }
    return options;
}

}  // namespace sfx
