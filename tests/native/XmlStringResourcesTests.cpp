// The XML string-table reader over in-memory documents: text rules, escapes,
// entities, root lookup and the failures with their codes and messages.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <system_error>

#include <boost/property_tree/xml_parser.hpp>

#include "riviru/localization/LoadXmlStringResources.h"
#include "riviru/localization/PtreeErrorCategory.h"

namespace {

using riviru::LoadXmlStringResources;
using riviru::StringMap;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<?xml-stylesheet type=\"text/xsl\" href=\"KvrSetupText.xsl\"?>\n";

// A table with the shipped root element around the given body.
std::string Table(const std::string& body) {
    return kHead + "<KvrSetupLocalization>\n" + body + "\n</KvrSetupLocalization>\n";
}

StringMap Load(const std::string& document, const std::wstring& root = L"") {
    StringMap strings;
    std::istringstream input(document);
    LoadXmlStringResources(strings, input, root);
    return strings;
}

std::wstring Units(std::initializer_list<unsigned> units) {
    std::wstring text;
    for (const unsigned unit : units) text += static_cast<wchar_t>(unit);
    return text;
}

// Runs the load expecting a system error; returns it.
std::system_error LoadFailure(StringMap& strings, const std::string& document,
                              const std::wstring& root = L"") {
    std::istringstream input(document);
    try {
        LoadXmlStringResources(strings, input, root);
    } catch (const std::system_error& e) {
        return e;
    }
    ADD_FAILURE() << "no std::system_error";
    return std::system_error(std::error_code());
}

TEST(LoadXmlStringResources, ReadsStringsOfTheShippedShape) {
    const StringMap strings = Load(kBom + Table("<String Id=\"SfxAppTitle\">Setup Self-Extractor</String>\n"
                                                "<String Id=\"OK\">OK</String>"));
    EXPECT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings.at(L"SfxAppTitle"), L"Setup Self-Extractor");
    EXPECT_EQ(strings.at(L"OK"), L"OK");
}

TEST(LoadXmlStringResources, TrimsAndCollapsesWhiteSpace) {
    const StringMap strings =
        Load(Table("<String Id=\"VerifyCancel\">\n    Do you really\n"
                   "      want to \t cancel   the installation?\r\n  </String>"));
    EXPECT_EQ(strings.at(L"VerifyCancel"), L"Do you really want to cancel the installation?");
}

TEST(LoadXmlStringResources, ReplacesLineFeedEscape) {
    const StringMap strings =
        Load(Table("<String Id=\"ErrorSize\">Expected file size: %I64d\\nActual "
                   "file size: %I64d</String>"));
    EXPECT_EQ(strings.at(L"ErrorSize"), L"Expected file size: %I64d\nActual file size: %I64d");
}

TEST(LoadXmlStringResources, ReplacesTabAndBackslashEscapes) {
    const StringMap strings =
        Load(Table("<String Id=\"Tab\">a\\tb</String>"
                   "<String Id=\"Backslash\">a\\\\b</String>"
                   "<String Id=\"FourBackslashes\">a\\\\\\\\b</String>"));
    EXPECT_EQ(strings.at(L"Tab"), L"a\tb");
    EXPECT_EQ(strings.at(L"Backslash"), L"a\\b");
    EXPECT_EQ(strings.at(L"FourBackslashes"), L"a\\\\b");
}

TEST(LoadXmlStringResources, EscapesAreReplacedInOrder) {
    // The line-feed escape goes first: a doubled backslash before n ends as a
    // backslash and a line feed, and one before t as a backslash and a tab.
    const StringMap strings =
        Load(Table("<String Id=\"DoubledN\">x\\\\ny</String>"
                   "<String Id=\"DoubledT\">x\\\\ty</String>"
                   "<String Id=\"Path\">C:\\\\temp</String>"));
    EXPECT_EQ(strings.at(L"DoubledN"), L"x\\\ny");
    EXPECT_EQ(strings.at(L"DoubledT"), L"x\\\ty");
    EXPECT_EQ(strings.at(L"Path"), L"C:\\\temp");
}

TEST(LoadXmlStringResources, DecodesEntities) {
    const StringMap strings =
        Load(Table("<String Id=\"Yes\">&amp;Yes</String>"
                   "<String Id=\"All\">&lt;a&gt; &quot;b&quot; &apos;c&apos;</String>"
                   "<String Id=\"Percent\">%d %% Extracting...</String>"));
    EXPECT_EQ(strings.at(L"Yes"), L"&Yes");
    EXPECT_EQ(strings.at(L"All"), L"<a> \"b\" 'c'");
    EXPECT_EQ(strings.at(L"Percent"), L"%d %% Extracting...");
}

TEST(LoadXmlStringResources, DecodesCharacterReferencesAsUtf16) {
    const StringMap strings =
        Load(Table("<String Id=\"Latin\">caf&#233;</String>"
                   "<String Id=\"Hex\">&#x4E2D;&#x6587;</String>"
                   "<String Id=\"Astral\">a&#x1F600;b</String>"
                   "<String Id=\"AstralDecimal\">&#128512;</String>"));
    EXPECT_EQ(strings.at(L"Latin"), Units({'c', 'a', 'f', 0xE9}));
    EXPECT_EQ(strings.at(L"Hex"), Units({0x4E2D, 0x6587}));
    EXPECT_EQ(strings.at(L"Astral"), Units({'a', 0xD83D, 0xDE00, 'b'}));
    EXPECT_EQ(strings.at(L"AstralDecimal"), Units({0xD83D, 0xDE00}));
}

TEST(LoadXmlStringResources, DecodesUtf8TextAsUtf16) {
    // "Schließen", Japanese "日本語" and U+1F600 written as UTF-8.
    const StringMap strings =
        Load(Table("<String Id=\"De\">Schlie\xC3\x9F"
                   "en</String>"
                   "<String Id=\"Ja\">\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E</String>"
                   "<String Id=\"Astral\">\xF0\x9F\x98\x80</String>"));
    EXPECT_EQ(strings.at(L"De"), Units({'S', 'c', 'h', 'l', 'i', 'e', 0xDF, 'e', 'n'}));
    EXPECT_EQ(strings.at(L"Ja"), Units({0x65E5, 0x672C, 0x8A9E}));
    EXPECT_EQ(strings.at(L"Astral"), Units({0xD83D, 0xDE00}));
}

TEST(LoadXmlStringResources, DecodesEntitiesInTheId) {
    const StringMap strings = Load(Table("<String Id=\"a&amp;b\">x</String>"));
    EXPECT_EQ(strings.at(L"a&b"), L"x");
}

TEST(LoadXmlStringResources, IllFormedUtf8BecomesReplacementCharacters) {
    // A Latin-1 byte, a cut two-byte sequence and an encoded surrogate.
    const StringMap strings = Load(Table("<String Id=\"Bad\">a\xE9z \xC3 \xED\xA0\x80</String>"));
    EXPECT_EQ(strings.at(L"Bad"), Units({'a', 0xFFFD, 'z', ' ', 0xFFFD, ' ', 0xFFFD, 0xFFFD, 0xFFFD}));
}

TEST(LoadXmlStringResources, SequencesCutBetweenChunksAreDecoded) {
    // Long enough to span several chunks of the decoder, with multi-byte
    // characters at every possible cut.
    std::string text;
    std::wstring expected;
    for (int i = 0; i < 3000; ++i) {
        text += "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80";  // ä, €, U+1F600
        expected += Units({0xE4, 0x20AC, 0xD83D, 0xDE00});
    }
    const StringMap strings = Load(Table("<String Id=\"Long\">" + text + "</String>"));
    EXPECT_EQ(strings.at(L"Long"), expected);
}

TEST(LoadXmlStringResources, DocumentWithoutByteOrderMarkReadsTheSame) {
    const std::string table = Table(
        "<String Id=\"Yes\">&amp;Ja</String><String Id=\"De\">Gr\xC3\xBC\xC3\x9F"
        "e</String>");
    EXPECT_EQ(Load(table), Load(kBom + table));
    EXPECT_EQ(Load(table).at(L"De"), Units({'G', 'r', 0xFC, 0xDF, 'e'}));
}

TEST(LoadXmlStringResources, ByteOrderMarkOnlyAtTheStartIsConsumed) {
    // A second U+FEFF inside a text is a character like any other.
    const StringMap strings = Load(kBom + Table("<String Id=\"Mark\">a" + kBom + "b</String>"));
    EXPECT_EQ(strings.at(L"Mark"), Units({'a', 0xFEFF, 'b'}));
}

TEST(LoadXmlStringResources, LaterDuplicateWins) {
    const StringMap strings =
        Load(Table("<String Id=\"OK\">first</String><String Id=\"OK\">second</String>"));
    EXPECT_EQ(strings.at(L"OK"), L"second");
}

TEST(LoadXmlStringResources, KeepsEntriesTheDocumentDoesNotGive) {
    StringMap strings{{L"OK", L"old"}, {L"Cancel", L"Abbrechen"}};
    std::istringstream input(Table("<String Id=\"OK\">new</String>"));
    LoadXmlStringResources(strings, input, L"");
    EXPECT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings.at(L"OK"), L"new");
    EXPECT_EQ(strings.at(L"Cancel"), L"Abbrechen");
}

TEST(LoadXmlStringResources, IdsAreCaseSensitive) {
    const StringMap strings = Load(Table("<String Id=\"ok\">lower</String><String Id=\"OK\">upper</String>"));
    EXPECT_EQ(strings.at(L"ok"), L"lower");
    EXPECT_EQ(strings.at(L"OK"), L"upper");
}

TEST(LoadXmlStringResources, EmptyElementGivesEmptyText) {
    const StringMap strings = Load(Table("<String Id=\"Empty\"/><String Id=\"Blank\">   </String>"));
    EXPECT_EQ(strings.at(L"Empty"), L"");
    EXPECT_EQ(strings.at(L"Blank"), L"");
}

TEST(LoadXmlStringResources, OtherRootNameLoads) {
    const StringMap strings = Load(kHead + "<Texts lang=\"de\"><String Id=\"OK\">OK</String></Texts>");
    EXPECT_EQ(strings.size(), 1u);
    EXPECT_EQ(strings.at(L"OK"), L"OK");
}

TEST(LoadXmlStringResources, RootPathSelectsTheElement) {
    const std::string document = kHead +
                                 "<Product><String Id=\"Outer\">outer</String>"
                                 "<Setup><String Id=\"Inner\">inner</String></Setup></Product>";
    const StringMap inner = Load(document, L"Product.Setup");
    EXPECT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner.at(L"Inner"), L"inner");
    const StringMap outer = Load(document, L"Product");
    EXPECT_EQ(outer.size(), 1u);
    EXPECT_EQ(outer.at(L"Outer"), L"outer");
}

TEST(LoadXmlStringResources, SkipsOtherChildrenDeeperStringsAndComments) {
    const StringMap strings =
        Load(Table("<!-- <String Id=\"Commented\">no</String> -->"
                   "<Other Id=\"Other\">no</Other>"
                   "<string Id=\"Lower\">no</string>"
                   "<Group><String Id=\"Deep\">no</String></Group>"
                   "<String Id=\"Kept\">a<!-- inside -->b</String>"));
    EXPECT_EQ(strings.size(), 1u);
    EXPECT_EQ(strings.at(L"Kept"), L"ab");
}

TEST(LoadXmlStringResources, MissingIdFailsTheWholeLoadWithBadPath) {
    StringMap strings{{L"Old", L"text"}};
    const std::system_error error = LoadFailure(
        strings,
        Table("<String Id=\"First\">one</String><String>no id</String><String Id=\"Last\">x</String>"));
    EXPECT_EQ(error.code().value(), 2);
    EXPECT_EQ(error.code().category(), riviru::PtreeErrorCategory());
    EXPECT_EQ(error.code(), std::errc::bad_address);
    const std::string what = error.what();
    EXPECT_EQ(what.rfind("XML error: ", 0), 0u) << what;
    EXPECT_NE(what.find("<xmlattr>.Id"), std::string::npos) << what;
    EXPECT_EQ(what.substr(what.size() - 10), ": bad path") << what;
    // Not even the strings before the broken one arrive.
    EXPECT_EQ(strings, (StringMap{{L"Old", L"text"}}));
}

TEST(LoadXmlStringResources, RootPathNotFoundIsBadData) {
    StringMap strings;
    const std::system_error error =
        LoadFailure(strings, Table("<String Id=\"OK\">OK</String>"), L"Nope.Deeper");
    EXPECT_EQ(error.code(), riviru::make_error_code(riviru::PtreeErrc::BadData));
    EXPECT_EQ(error.code(), std::errc::bad_message);
    EXPECT_STREQ(error.what(), "XML error (root element 'Nope.Deeper' not found): bad data");
    EXPECT_TRUE(strings.empty());
}

TEST(LoadXmlStringResources, RootPathIsNarrowedByLowBytes) {
    StringMap strings;
    const std::system_error error = LoadFailure(strings, Table(""), Units({'X', 0x4E2D, 0xE9}));
    EXPECT_STREQ(error.what(), "XML error (root element 'X-\xE9' not found): bad data");
}

TEST(LoadXmlStringResources, DocumentWithoutElementHasNoRoot) {
    StringMap strings;
    const std::system_error error = LoadFailure(strings, "<?xml version=\"1.0\"?>\n<!-- nothing -->\n");
    EXPECT_EQ(error.code().value(), 3);
    EXPECT_STREQ(error.what(), "XML error (root element '' not found): bad data");
}

TEST(LoadXmlStringResources, MalformedXmlPassesTheParserError) {
    StringMap strings{{L"Old", L"text"}};
    std::istringstream input(Table("<String Id=OK>OK</String>"));
    try {
        LoadXmlStringResources(strings, input, L"");
        FAIL() << "no error";
    } catch (const std::system_error& e) {
        FAIL() << "parse errors are not system errors: " << e.what();
    } catch (const boost::property_tree::xml_parser_error& e) {
        EXPECT_GT(e.line(), 0ul);
        EXPECT_NE(std::string(e.what()).find("expected"), std::string::npos) << e.what();
    }
    EXPECT_EQ(strings, (StringMap{{L"Old", L"text"}}));
}

TEST(LoadXmlStringResources, BadCharacterReferenceIsAParseError) {
    EXPECT_THROW(Load(Table("<String Id=\"X\">&#x110000;</String>")), boost::property_tree::xml_parser_error);
    EXPECT_THROW(Load(Table("<String Id=\"X\">&#65</String>")), boost::property_tree::xml_parser_error);
}

}  // namespace
