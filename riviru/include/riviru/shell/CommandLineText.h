// Building a command line from arguments, and the path tests that decide a
// started program's working folder.
//
// The quoting is the stub's long-standing one, which setup programs rely on:
// quotation marks are escaped with one backslash, and a quoted text that ends
// in a backslash gets one more. Backslashes before an embedded quotation mark
// and runs of trailing backslashes are not doubled, so such texts do not come
// back unchanged from the usual argument parsers.
#pragma once
#include <string>
#include <string_view>

namespace riviru {

// An empty text gives "" (two quotation marks); a text with a blank, tab,
// carriage return or line feed is enclosed in quotation marks; others keep
// their form apart from the escaped quotation marks.
std::wstring QuoteArgument(std::wstring_view text);

// Appends one blank unless commandLine is empty, then the quoted text.
void AppendArgument(std::wstring& commandLine, std::wstring_view text);

// Appends first and then second, each as by the one-text form.
void AppendArgument(std::wstring& commandLine, std::wstring_view first, std::wstring_view second);

// Appends one blank unless commandLine is empty, then text as it is (also
// when text is empty).
void AppendRaw(std::wstring& commandLine, std::wstring_view text);

// A path is absolute only when it begins with two backslashes (UNC or \\?\)
// or with an ASCII letter and a colon; everything else is relative, also a
// path that begins with a single backslash and an empty path.
bool IsRelativePath(std::wstring_view path) noexcept;

// An absent path (null) counts as relative.
bool IsRelativePath(const wchar_t* path) noexcept;

// The text up to and including the last backslash; empty when there is none.
std::wstring GetFolderPart(std::wstring_view path);

}  // namespace riviru
