// Quoting and appending of setup arguments, and the path tests behind a
// started program's working folder.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "riviru/shell/CommandLineText.h"

namespace {

using riviru::AppendArgument;
using riviru::AppendRaw;
using riviru::GetFolderPart;
using riviru::IsRelativePath;
using riviru::QuoteArgument;

// Splits arguments as the Microsoft C runtime and CommandLineToArgvW do for
// everything after the program name: blanks and tabs separate, quotation
// marks group, 2n backslashes before a mark give n and the mark groups,
// 2n+1 give n and a literal mark, other backslashes are literal. (The ""
// inside quotes rule is left out: the quoting under test never writes it.)
std::vector<std::wstring> ParseArguments(const std::wstring& line) {
    std::vector<std::wstring> args;
    std::wstring current;
    bool inArgument = false;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size();) {
        const wchar_t c = line[i];
        if (!quoted && (c == L' ' || c == L'\t')) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == L'\\') {
            std::size_t count = 0;
            for (; i < line.size() && line[i] == L'\\'; ++i) ++count;
            if (i < line.size() && line[i] == L'"') {
                current.append(count / 2, L'\\');
                if (count % 2 == 1) {
                    current += L'"';
                    ++i;
                }
            } else {
                current.append(count, L'\\');
            }
            continue;
        }
        if (c == L'"') {
            quoted = !quoted;
        } else {
            current += c;
        }
        ++i;
    }
    if (inArgument) args.push_back(current);
    return args;
}

// The parser itself, against the examples of the C runtime's documentation.
TEST(CommandLineText, ReferenceParserFollowsTheRuntimeRules) {
    using Args = std::vector<std::wstring>;
    EXPECT_EQ(ParseArguments(L"\"abc\" d e"), (Args{L"abc", L"d", L"e"}));
    EXPECT_EQ(ParseArguments(L"a\\\\b d\"e f\"g h"), (Args{L"a\\\\b", L"de fg", L"h"}));
    EXPECT_EQ(ParseArguments(L"a\\\\\\\"b c d"), (Args{L"a\\\"b", L"c", L"d"}));
    EXPECT_EQ(ParseArguments(L"a\\\\\\\\\"b c\" d e"), (Args{L"a\\\\b c", L"d", L"e"}));
    EXPECT_EQ(ParseArguments(L"\"\" \tx "), (Args{L"", L"x"}));
}

struct TextCase {
    const wchar_t* input;
    const wchar_t* expected;
};

TEST(CommandLineText, QuoteArgumentForms) {
    const TextCase cases[] = {
        {L"", L"\"\""},
        {L"/silent", L"/silent"},
        // No blank: a trailing backslash stays single and nothing is enclosed.
        {L"C:\\Temp\\", L"C:\\Temp\\"},
        {L"a\"b", L"a\\\"b"},
        {L"\"", L"\\\""},
        {L"C:\\Program Files\\App", L"\"C:\\Program Files\\App\""},
        {L"C:\\Program Files\\App\\", L"\"C:\\Program Files\\App\\\\\""},
        {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
        {L"a\tb", L"\"a\tb\""},
        {L"a\rb", L"\"a\rb\""},
        {L"a\nb", L"\"a\nb\""},
        {L" ", L"\" \""},
        // Only blank, tab, CR and LF count; other control characters do not.
        {L"a\vb", L"a\vb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuoteArgument(c.input), c.expected) << "text: [" << c.input << "]";
    }
}

TEST(CommandLineText, QuotedArgumentsComeBackFromTheArgumentParser) {
    const std::vector<std::wstring> args = {
        L"/i",
        L"C:\\Users\\Jo Smith\\AppData\\Local\\Temp\\sfx1234\\product\\Setup Package.msi",
        L"-m",
        L"C:\\Temp\\x y\\SetupValues.dat",
        L"D:\\target folder\\",
        L"",
        L"say \"hi\"",
        L"a\"b",
        L"tab\there",
        L"\\\\server\\share\\x",
        L"\"",
        L"\\",
        L"\x00E4\x6F22\xD83D\xDE00 ok",
    };
    std::wstring line;
    for (const auto& arg : args) AppendArgument(line, arg);
    EXPECT_EQ(ParseArguments(line), args) << "line: [" << line << "]";
}

// Backslashes before an embedded quotation mark, and more than one trailing
// backslash in a quoted text, are not doubled, so a setup that parses its
// command line with the usual rules reads a different text. Setup programs
// rely on the escaping as it is; this pins where it falls short.
TEST(CommandLineText, BackslashesBeforeAQuotationMarkAreNotDoubled) {
    struct Corrupted {
        const wchar_t* text;
        const wchar_t* quoted;
        std::vector<std::wstring> parsed;
    };
    const Corrupted cases[] = {
        {L"a\\\"b", L"a\\\\\"b", {L"a\\b"}},
        {L"x \\\"y\\\"", L"\"x \\\\\"y\\\\\"\"", {L"x \\y\\"}},
        {L"C:\\a b\\\\", L"\"C:\\a b\\\\\\\"", {L"C:\\a b\\\""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuoteArgument(c.text), c.quoted) << "text: [" << c.text << "]";
        EXPECT_EQ(ParseArguments(QuoteArgument(c.text)), c.parsed) << "text: [" << c.text << "]";
    }
}

TEST(CommandLineText, AppendAddsOneBlankOnlyAfterExistingText) {
    std::wstring line;
    AppendArgument(line, L"");
    EXPECT_EQ(line, L"\"\"");

    line.clear();
    AppendArgument(line, L"-m");
    AppendArgument(line, L"C:\\Temp\\sfx 1\\SetupValues.dat");
    AppendRaw(line, L"/silent /log \"x y\"");
    AppendRaw(line, L"/q");
    EXPECT_EQ(line, L"-m \"C:\\Temp\\sfx 1\\SetupValues.dat\" /silent /log \"x y\" /q");

    // Raw text is never quoted, not even when empty or blank.
    line.clear();
    AppendRaw(line, L"a b");
    EXPECT_EQ(line, L"a b");
    AppendRaw(line, L"");
    EXPECT_EQ(line, L"a b ");

    // An existing line that already ends in a blank still gets one more.
    line = L"x ";
    AppendArgument(line, L"y");
    EXPECT_EQ(line, L"x  y");
}

TEST(CommandLineText, TwoTextFormAppendsBothInOrder) {
    std::wstring twoForm = L"/x";
    AppendArgument(twoForm, L"/l", L"de de");
    EXPECT_EQ(twoForm, L"/x /l \"de de\"");

    std::wstring empty;
    AppendArgument(empty, L"", L"");
    EXPECT_EQ(empty, L"\"\" \"\"");
}

struct PathCase {
    const wchar_t* path;
    bool relative;
};

TEST(CommandLineText, IsRelativePathRule) {
    const PathCase cases[] = {
        {L"C:\\setup\\setup.exe", false},
        {L"d:", false},
        {L"z:relative-to-drive", false},
        {L"\\\\server\\share\\setup.exe", false},
        {L"\\\\?\\C:\\x", false},
        {L"\\\\", false},
        {L"setup.exe", true},
        {L"product\\setup.exe", true},
        {L"\\setup.exe", true},
        {L"", true},
        {L"C", true},
        {L"1:\\x", true},
        {L"//server/share", true},
        {L"C/x", true},
        // A non-ASCII letter before the colon is no drive.
        {L"\x00C4:\\x", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsRelativePath(std::wstring(c.path)), c.relative) << "path: [" << c.path << "]";
        EXPECT_EQ(IsRelativePath(c.path), c.relative) << "path: [" << c.path << "]";
    }
    EXPECT_TRUE(IsRelativePath(static_cast<const wchar_t*>(nullptr)));
}

TEST(CommandLineText, GetFolderPartKeepsTheLastBackslash) {
    const TextCase cases[] = {
        {L"D:\\setup\\setup.exe", L"D:\\setup\\"},
        {L"D:\\setup\\", L"D:\\setup\\"},
        {L"\\\\server\\share\\setup.exe", L"\\\\server\\share\\"},
        {L"\\setup.exe", L"\\"},
        {L"setup.exe", L""},
        {L"C:setup.exe", L""},
        {L"C:/dir/setup.exe", L""},
        {L"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetFolderPart(c.input), c.expected) << "path: [" << c.input << "]";
    }
}

}  // namespace
