// RTF text of the message box: escaping of plain text and the composition of
// the document that the text control receives.
#pragma once
#include <string>
#include <string_view>

namespace riviru {

// How characters outside ASCII are written. The "{\urtf" document is read as
// UTF-8, so Utf8 copies the bytes; UnicodeEscapes writes each UTF-16 code
// unit above 127 as \uN? (N signed 16-bit) for readers that do not honour
// UTF-8 documents.
enum class RtfNonAscii { Utf8, UnicodeEscapes };

// True when text already is an RTF document, i.e. begins with "{\rtf1" or
// "{\urtf"; such a text is streamed in as it is.
bool IsRtfDocument(std::wstring_view text);

// Escapes plain text for an RTF body: tab -> "\tab ", line feed -> "\par ",
// carriage return dropped, '\', '{' and '}' prefixed by a backslash. The
// result is empty when text holds an unpaired surrogate (not convertible to
// UTF-8).
std::string EscapeRtfText(std::wstring_view text, RtfNonAscii nonAscii = RtfNonAscii::Utf8);

// The UTF-8 RTF of a message box. A text that is an RTF document is returned
// converted to UTF-8 and otherwise unchanged (the title is then not shown;
// empty when not convertible). Otherwise: "{\urtf", the title in bold followed
// by two paragraph ends when it is not empty, a space, the escaped text and
// "\par  }".
std::string ComposeMessageRtf(std::wstring_view title, std::wstring_view text,
                              RtfNonAscii nonAscii = RtfNonAscii::Utf8);

}  // namespace riviru
