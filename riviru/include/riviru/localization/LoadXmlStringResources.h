// The reader of the XML string tables: a UTF-8 document (with or without
// byte-order mark) whose root element holds String elements, as in
// <String Id="SfxAppTitle">Setup Self-Extractor</String>.
#pragma once
#include <istream>
#include <string>

#include "riviru/localization/IStringResourceLoader.h"

namespace riviru {

// Adds the text of every String directly inside the root to strings under
// its Id attribute; a later String with the same Id wins, entries the
// document does not give stay. White space in a text is trimmed and
// collapsed to single spaces, then "\n", "\t" and "\\" are replaced, in this
// order. rootElement is the root's path with "." between the levels; empty
// takes the first element of the document.
//
// A missing root or Id, or a value that cannot be read, throws
// std::system_error in PtreeErrorCategory() (then strings is unchanged); a
// document that is not well-formed throws the XML reader's
// xml_parser_error; errors of the input stream pass through.
void LoadXmlStringResources(StringMap& strings, std::istream& input, const std::wstring& rootElement);

}  // namespace riviru
