#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "riviru/ui/DialogTemplateBuilder.h"

using riviru::DialogTemplateBuilder;
using ControlClass = DialogTemplateBuilder::ControlClass;

namespace {

// What the system reads from an extended template, read independently of the
// builder: little-endian fields, 16-bit texts, items on 4-byte offsets.
struct ParsedField {
    bool isOrdinal = false;
    std::uint16_t ordinal = 0;
    std::u16string text;
};

struct ParsedItem {
    std::size_t offset = 0;
    std::uint32_t helpId = 0, exStyle = 0, style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t id = 0;
    ParsedField windowClass, title;
    std::vector<std::uint8_t> creationData;
};

struct ParsedTemplate {
    std::uint16_t version = 0, signature = 0;
    std::uint32_t helpId = 0, exStyle = 0, style = 0;
    std::uint16_t itemCount = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    ParsedField menu, windowClass;
    std::u16string title;
    bool hasFont = false;
    std::uint16_t pointSize = 0, weight = 0;
    std::uint8_t italic = 0, charset = 0;
    std::u16string typeface;
    std::vector<ParsedItem> items;
};

class TemplateReader {
public:
    explicit TemplateReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

    std::uint8_t Byte() {
        if (pos_ >= bytes_.size()) throw std::out_of_range("read past the end of the template");
        return bytes_[pos_++];
    }
    std::uint16_t Word() {
        const std::uint16_t lo = Byte();
        return static_cast<std::uint16_t>(lo | (Byte() << 8));
    }
    std::int16_t Short() { return static_cast<std::int16_t>(Word()); }
    std::uint32_t Dword() {
        const std::uint32_t lo = Word();
        return lo | (static_cast<std::uint32_t>(Word()) << 16);
    }
    std::u16string Text() {
        std::u16string text;
        for (std::uint16_t unit = Word(); unit != 0; unit = Word())
            text.push_back(static_cast<char16_t>(unit));
        return text;
    }
    ParsedField Field() {
        ParsedField field;
        const std::uint16_t first = Word();
        if (first == 0xFFFF) {
            field.isOrdinal = true;
            field.ordinal = Word();
        } else if (first != 0) {
            field.text.push_back(static_cast<char16_t>(first));
            field.text += Text();
        }
        return field;
    }
    // Padding must be zero so that two builds of one dialog are equal bytes.
    void SkipPaddingToDword() {
        while (pos_ % 4 != 0) {
            if (Byte() != 0) ADD_FAILURE() << "padding byte at " << pos_ - 1 << " is not 0";
        }
    }
    std::size_t Position() const { return pos_; }
    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t pos_ = 0;
};

ParsedTemplate Parse(const std::vector<std::uint8_t>& bytes) {
    TemplateReader in(bytes);
    ParsedTemplate t;
    t.version = in.Word();
    t.signature = in.Word();
    t.helpId = in.Dword();
    t.exStyle = in.Dword();
    t.style = in.Dword();
    t.itemCount = in.Word();
    t.x = in.Short();
    t.y = in.Short();
    t.cx = in.Short();
    t.cy = in.Short();
    t.menu = in.Field();
    t.windowClass = in.Field();
    t.title = in.Text();
    t.hasFont = (t.style & 0x40) != 0;  // DS_SETFONT, also part of DS_SHELLFONT
    if (t.hasFont) {
        t.pointSize = in.Word();
        t.weight = in.Word();
        t.italic = in.Byte();
        t.charset = in.Byte();
        t.typeface = in.Text();
    }
    for (std::uint16_t i = 0; i < t.itemCount; ++i) {
        in.SkipPaddingToDword();
        ParsedItem item;
        item.offset = in.Position();
        item.helpId = in.Dword();
        item.exStyle = in.Dword();
        item.style = in.Dword();
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.id = in.Dword();
        item.windowClass = in.Field();
        item.title = in.Field();
        const std::uint16_t extra = in.Word();
        for (std::uint16_t k = 0; k < extra; ++k) item.creationData.push_back(in.Byte());
        t.items.push_back(item);
    }
    EXPECT_TRUE(in.AtEnd()) << "bytes left after the last field at " << in.Position();
    return t;
}

std::u16string Units(const std::wstring& text) {
    std::u16string units;
    for (const wchar_t c : text) units.push_back(static_cast<char16_t>(c));
    return units;
}

void ExpectField(const ParsedField& parsed, const DialogTemplateBuilder::NameOrOrdinal& expected,
                 const std::string& what) {
    EXPECT_EQ(parsed.isOrdinal, expected.isOrdinal) << what;
    if (expected.isOrdinal) {
        EXPECT_EQ(parsed.ordinal, expected.ordinal) << what;
    } else {
        EXPECT_EQ(parsed.text, Units(expected.text)) << what;
    }
}

}  // namespace

TEST(DialogTemplateBuilder, DefaultsAreAShellFontPopupOf320By200) {
    const ParsedTemplate t = Parse(DialogTemplateBuilder{}.Build());
    EXPECT_EQ(t.version, 1);
    EXPECT_EQ(t.signature, 0xFFFF);
    EXPECT_EQ(t.helpId, 0u);
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.style, 0x80C808C8u);
    EXPECT_EQ(t.itemCount, 0);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 320);
    EXPECT_EQ(t.cy, 200);
    EXPECT_FALSE(t.menu.isOrdinal);
    EXPECT_TRUE(t.menu.text.empty());
    EXPECT_FALSE(t.windowClass.isOrdinal);
    EXPECT_TRUE(t.windowClass.text.empty());
    EXPECT_TRUE(t.title.empty());
    ASSERT_TRUE(t.hasFont);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.weight, 400);
    EXPECT_EQ(t.italic, 0);
    EXPECT_EQ(t.charset, 1);
    EXPECT_EQ(t.typeface, u"MS Shell Dlg");
}

// Exact bytes of a small template without font fields, written out by hand.
TEST(DialogTemplateBuilder, WritesTheExactLittleEndianLayout) {
    DialogTemplateBuilder b;
    b.helpId = 0x01020304;
    b.exStyle = 0x00000008;
    b.style = 0x80C80880;
    b.x = -1;
    b.y = 2;
    b.cx = 100;
    b.cy = 50;
    b.title = L"A";
    DialogTemplateBuilder::Item ok;
    ok.style = 0x50010001;
    ok.x = 7;
    ok.y = 8;
    ok.cx = 50;
    ok.cy = 14;
    ok.id = 1;
    ok.windowClass = ControlClass::Button;
    ok.title = L"OK";
    ok.creationData = {0xAB};
    b.items.push_back(ok);

    const std::vector<std::uint8_t> expected = {
        0x01, 0x00, 0xFF, 0xFF,                          // version, signature
        0x04, 0x03, 0x02, 0x01,                          // help id
        0x08, 0x00, 0x00, 0x00,                          // extended style
        0x80, 0x08, 0xC8, 0x80,                          // style
        0x01, 0x00,                                      // item count
        0xFF, 0xFF, 0x02, 0x00, 0x64, 0x00, 0x32, 0x00,  // x, y, cx, cy
        0x00, 0x00, 0x00, 0x00,                          // no menu, no class
        0x41, 0x00, 0x00, 0x00,                          // title "A"
        0x00, 0x00,                                      // padding to offset 36
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // help id, extended style
        0x01, 0x00, 0x01, 0x50,                          // style
        0x07, 0x00, 0x08, 0x00, 0x32, 0x00, 0x0E, 0x00,  // x, y, cx, cy
        0x01, 0x00, 0x00, 0x00,                          // id
        0xFF, 0xFF, 0x80, 0x00,                          // class: button atom
        0x4F, 0x00, 0x4B, 0x00, 0x00, 0x00,              // title "OK"
        0x01, 0x00, 0xAB,                                // creation data
    };
    EXPECT_EQ(b.Build(), expected);
}

TEST(DialogTemplateBuilder, HeaderFieldsAndTextsRoundTrip) {
    DialogTemplateBuilder b;
    b.helpId = 0xDEADBEEF;
    b.exStyle = 0x00040000;  // WS_EX_APPWINDOW
    b.style = DialogTemplateBuilder::kDefaultStyle | 0x20C0000;
    b.x = -300;
    b.y = 32767;
    b.cx = 400;
    b.cy = 300;
    b.menu = std::uint16_t{0x1234};
    b.windowClass = L"MyDialogClass";
    // Non-ASCII units and a surrogate pair (U+1F600) as two 16-bit units.
    b.title = std::wstring{L'Z', static_cast<wchar_t>(0x00E9), static_cast<wchar_t>(0x20AC),
                           static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    b.pointSize = 9;
    b.weight = 700;
    b.italic = 1;
    b.charset = 204;
    b.typeface = L"Segoe UI";

    const ParsedTemplate t = Parse(b.Build());
    EXPECT_EQ(t.helpId, 0xDEADBEEFu);
    EXPECT_EQ(t.exStyle, 0x00040000u);
    EXPECT_EQ(t.style, 0x82CC08C8u);
    EXPECT_EQ(t.x, -300);
    EXPECT_EQ(t.y, 32767);
    EXPECT_EQ(t.cx, 400);
    EXPECT_EQ(t.cy, 300);
    ExpectField(t.menu, b.menu, "menu");
    ExpectField(t.windowClass, b.windowClass, "class");
    EXPECT_EQ(t.title, (std::u16string{u'Z', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
    ASSERT_TRUE(t.hasFont);
    EXPECT_EQ(t.pointSize, 9);
    EXPECT_EQ(t.weight, 700);
    EXPECT_EQ(t.italic, 1);
    EXPECT_EQ(t.charset, 204);
    EXPECT_EQ(t.typeface, u"Segoe UI");
}

TEST(DialogTemplateBuilder, FontFieldsOnlyWithSetFontStyle) {
    DialogTemplateBuilder b;
    b.title = L"T";
    b.style = DialogTemplateBuilder::kDefaultStyle & ~DialogTemplateBuilder::kSetFontStyle;
    const auto withoutFont = b.Build();
    EXPECT_FALSE(Parse(withoutFont).hasFont);
    EXPECT_EQ(withoutFont.size(), 26u + 2 + 2 + 4);  // fixed fields, menu, class, title

    b.style = 0x80000040;  // DS_SETFONT alone is enough
    const ParsedTemplate t = Parse(b.Build());
    ASSERT_TRUE(t.hasFont);
    EXPECT_EQ(t.typeface, u"MS Shell Dlg");
}

TEST(DialogTemplateBuilder, ItemsAreDwordAlignedAndRoundTrip) {
    struct Case {
        DialogTemplateBuilder::NameOrOrdinal windowClass;
        DialogTemplateBuilder::NameOrOrdinal title;
        std::vector<std::uint8_t> creationData;
    };
    // Odd and even text lengths and data sizes move the next item's start.
    const Case cases[] = {
        {ControlClass::Static, std::uint16_t{32516}, {}},  // icon static: title is a resource ordinal
        {ControlClass::Button, L"&Yes", {1}},
        {L"RICHEDIT50W", L"", {1, 2, 3}},
        {ControlClass::Edit, L"ab", {1, 2, 3, 4}},
        {ControlClass::ComboBox, DialogTemplateBuilder::NameOrOrdinal{}, {9, 8}},
        {ControlClass::ListBox, L"xyz", {}},
    };
    DialogTemplateBuilder b;
    b.title = L"Odd";
    std::uint32_t n = 0;
    for (const Case& c : cases) {
        DialogTemplateBuilder::Item item;
        item.helpId = 100 + n;
        item.exStyle = 0x200 + n;
        item.style = 0x50000000 | n;
        item.x = static_cast<std::int16_t>(-5 - static_cast<int>(n));
        item.y = static_cast<std::int16_t>(10 * n);
        item.cx = static_cast<std::int16_t>(200 + n);
        item.cy = static_cast<std::int16_t>(14 + n);
        item.id = 0x10000 + n;  // ids are 32 bits wide in the extended format
        item.windowClass = c.windowClass;
        item.title = c.title;
        item.creationData = c.creationData;
        b.items.push_back(item);
        ++n;
    }

    const ParsedTemplate t = Parse(b.Build());
    ASSERT_EQ(t.itemCount, std::size(cases));
    ASSERT_EQ(t.items.size(), std::size(cases));
    for (std::size_t i = 0; i < t.items.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const ParsedItem& p = t.items[i];
        const DialogTemplateBuilder::Item& e = b.items[i];
        EXPECT_EQ(p.offset % 4, 0u);
        EXPECT_EQ(p.helpId, e.helpId);
        EXPECT_EQ(p.exStyle, e.exStyle);
        EXPECT_EQ(p.style, e.style);
        EXPECT_EQ(p.x, e.x);
        EXPECT_EQ(p.y, e.y);
        EXPECT_EQ(p.cx, e.cx);
        EXPECT_EQ(p.cy, e.cy);
        EXPECT_EQ(p.id, e.id);
        ExpectField(p.windowClass, e.windowClass, "class");
        ExpectField(p.title, e.title, "title");
        EXPECT_EQ(p.creationData, e.creationData);
    }
}

TEST(DialogTemplateBuilder, LimitsOfTheWordSizedCounts) {
    DialogTemplateBuilder b;
    b.items.resize(1);
    b.items[0].creationData.assign(65535, 0x5A);
    const ParsedTemplate t = Parse(b.Build());
    ASSERT_EQ(t.items.size(), 1u);
    EXPECT_EQ(t.items[0].creationData.size(), 65535u);

    b.items[0].creationData.push_back(0);
    EXPECT_THROW(b.Build(), std::length_error);

    DialogTemplateBuilder many;
    many.items.resize(65535);
    EXPECT_EQ(Parse(many.Build()).itemCount, 65535);
    many.items.emplace_back();
    EXPECT_THROW(many.Build(), std::length_error);
}

TEST(DialogTemplateBuilder, RejectsTextsTheSystemWouldMisread) {
    const std::wstring embeddedZero(L"a\0b", 3);
    const std::wstring ordinalLookalike{static_cast<wchar_t>(0xFFFF), L'x'};

    DialogTemplateBuilder title;
    title.title = embeddedZero;
    EXPECT_THROW(title.Build(), std::invalid_argument);

    DialogTemplateBuilder typeface;
    typeface.typeface = embeddedZero;
    EXPECT_THROW(typeface.Build(), std::invalid_argument);

    DialogTemplateBuilder windowClass;
    windowClass.windowClass = ordinalLookalike;
    EXPECT_THROW(windowClass.Build(), std::invalid_argument);

    DialogTemplateBuilder itemTitle;
    itemTitle.items.resize(1);
    itemTitle.items[0].title = ordinalLookalike;
    EXPECT_THROW(itemTitle.Build(), std::invalid_argument);

    if constexpr (sizeof(wchar_t) > 2) {
        // A code point where a UTF-16 unit belongs (only possible where
        // wchar_t is 32 bits wide).
        DialogTemplateBuilder wide;
        wide.title = std::wstring(1, static_cast<wchar_t>(0x1F600));
        EXPECT_THROW(wide.Build(), std::invalid_argument);
    }
}
