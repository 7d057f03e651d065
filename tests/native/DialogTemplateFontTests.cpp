#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "riviru/ui/DialogTemplateBuilder.h"
#include "riviru/ui/DialogTemplateFont.h"

using riviru::DialogTemplateBuilder;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t kSetFont = 0x40;

// An extended template with items whose titles and creation data leave
// different paddings between them.
DialogTemplateBuilder ExtendedTemplate() {
    DialogTemplateBuilder builder;
    builder.title = L"Setup";
    builder.pointSize = 8;
    builder.weight = 700;
    builder.italic = 1;
    builder.charset = 204;
    using ControlClass = DialogTemplateBuilder::ControlClass;
    DialogTemplateBuilder::Item text;
    text.style = 0x50000000;
    text.id = 100;
    text.windowClass = ControlClass::Static;
    text.title = L"Abc";
    DialogTemplateBuilder::Item button = text;
    button.id = 1;
    button.windowClass = ControlClass::Button;
    button.title = L"OK";
    button.creationData = {1, 2, 3};
    DialogTemplateBuilder::Item custom = text;
    custom.id = 101;
    custom.windowClass = L"RICHEDIT50W";
    custom.title = 7;
    builder.items = {text, button, custom};
    return builder;
}

// The classic format, which the builder does not write: DLGTEMPLATE with a
// 16-bit point size and DLGITEMTEMPLATE items on 4-byte offsets.
class ClassicWriter {
public:
    void Word(std::uint16_t value) {
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void Dword(std::uint32_t value) {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }
    void Text(const std::u16string& text) {
        for (const char16_t unit : text) Word(unit);
        Word(0);
    }
    void Align() {
        while (bytes.size() % 4 != 0) bytes.push_back(0);
    }
    Bytes bytes;
};

struct ClassicItem {
    std::uint16_t classAtom;
    std::u16string title;
    Bytes creationData;
};

Bytes ClassicTemplate(std::uint32_t style, std::uint16_t pointSize, const std::u16string& typeface) {
    const ClassicItem items[] = {
        {0x0082, u"Text", {}},
        {0x0080, u"Go", {9, 8, 7, 6, 5}},
        {0x0081, u"", {}},
    };
    ClassicWriter out;
    out.Dword(style);
    out.Dword(0);  // extended style
    out.Word(static_cast<std::uint16_t>(std::size(items)));
    for (int i = 0; i < 4; ++i) out.Word(10);
    out.Word(0);  // no menu
    out.Word(0);  // standard class
    out.Text(u"Classic");
    if ((style & kSetFont) != 0) {
        out.Word(pointSize);
        out.Text(typeface);
    }
    std::uint16_t id = 10;
    for (const ClassicItem& item : items) {
        out.Align();
        out.Dword(0x50000000);
        out.Dword(0);
        for (int i = 0; i < 4; ++i) out.Word(5);
        out.Word(id++);
        out.Word(0xFFFF);
        out.Word(item.classAtom);
        out.Text(item.title);
        out.Word(static_cast<std::uint16_t>(item.creationData.size()));
        out.bytes.insert(out.bytes.end(), item.creationData.begin(), item.creationData.end());
    }
    return out.bytes;
}

}  // namespace

TEST(DialogTemplateFont, ReadsTheFontAndItemsOfAnExtendedTemplate) {
    const Bytes bytes = ExtendedTemplate().Build();
    const riviru::DialogTemplateFacts facts = riviru::ReadDialogTemplate(bytes.data(), bytes.size());
    EXPECT_TRUE(facts.extended);
    EXPECT_EQ(facts.style, DialogTemplateBuilder::kDefaultStyle);
    EXPECT_TRUE(facts.hasFont);
    EXPECT_EQ(facts.pointSize, 8);
    EXPECT_EQ(facts.weight, 700);
    EXPECT_EQ(facts.italic, 1);
    EXPECT_EQ(facts.charset, 204);
    EXPECT_EQ(facts.typeface, L"MS Shell Dlg");
    EXPECT_EQ(facts.itemCount, 3);
    ASSERT_EQ(facts.items.size(), 3u);
    for (const auto& item : facts.items) EXPECT_EQ(item.first % 4, 0u);
    EXPECT_EQ(facts.size, bytes.size());
}

TEST(DialogTemplateFont, ExtendedTemplateGetsTheNewFontAndRealignedItems) {
    // Typefaces whose lengths shift the items by 4, 6, 8 and 18 bytes, so
    // some need padding to come back onto 4-byte offsets.
    const wchar_t* typefaces[] = {L"Segoe UI", L"Arial", L"Tahoma", L"Microsoft Sans Serif", L"X"};
    const DialogTemplateBuilder original = ExtendedTemplate();
    const Bytes bytes = original.Build();
    for (const wchar_t* typeface : typefaces) {
        const Bytes replaced = riviru::ReplaceDialogTemplateFont(bytes.data(), bytes.size(), typeface, 9);
        // The same template built with that font from the start.
        DialogTemplateBuilder expected = original;
        expected.typeface = typeface;
        expected.pointSize = 9;
        EXPECT_EQ(replaced, expected.Build()) << typeface;

        const riviru::DialogTemplateFacts facts =
            riviru::ReadDialogTemplate(replaced.data(), replaced.size());
        EXPECT_EQ(facts.typeface, typeface);
        EXPECT_EQ(facts.pointSize, 9);
        EXPECT_EQ(facts.weight, 700);
        EXPECT_EQ(facts.charset, 204);
        EXPECT_EQ(facts.size, replaced.size());
    }
}

TEST(DialogTemplateFont, ClassicTemplateGetsTheNewFontAndRealignedItems) {
    const std::uint32_t style = 0x80C800C0;  // popup, caption, system menu, modal frame, set-font
    const Bytes bytes = ClassicTemplate(style, 8, u"MS Shell Dlg");
    const riviru::DialogTemplateFacts original = riviru::ReadDialogTemplate(bytes.data(), bytes.size());
    EXPECT_FALSE(original.extended);
    EXPECT_EQ(original.style, style);
    EXPECT_TRUE(original.hasFont);
    EXPECT_EQ(original.typeface, L"MS Shell Dlg");
    EXPECT_EQ(original.itemCount, 3);
    EXPECT_EQ(original.size, bytes.size());

    const struct {
        const wchar_t* typeface;
        std::u16string typeface16;
    } cases[] = {{L"Segoe UI", u"Segoe UI"}, {L"Arial", u"Arial"}, {L"Tahoma", u"Tahoma"}};
    for (const auto& c : cases) {
        const Bytes replaced = riviru::ReplaceDialogTemplateFont(bytes.data(), bytes.size(), c.typeface, 11);
        EXPECT_EQ(replaced, ClassicTemplate(style, 11, c.typeface16)) << c.typeface;
        const riviru::DialogTemplateFacts facts =
            riviru::ReadDialogTemplate(replaced.data(), replaced.size());
        EXPECT_EQ(facts.typeface, c.typeface);
        EXPECT_EQ(facts.pointSize, 11);
    }
}

TEST(DialogTemplateFont, TemplatesWithoutSetFontStayUnchanged) {
    DialogTemplateBuilder builder = ExtendedTemplate();
    builder.style &= ~kSetFont;
    const Bytes extended = builder.Build();
    const Bytes classic = ClassicTemplate(0x80C80080, 0, u"");
    for (const Bytes* bytes : {&extended, &classic}) {
        EXPECT_FALSE(riviru::ReadDialogTemplate(bytes->data(), bytes->size()).hasFont);
        EXPECT_EQ(riviru::ReplaceDialogTemplateFont(bytes->data(), bytes->size(), L"Segoe UI", 9), *bytes);
    }
}

TEST(DialogTemplateFont, ReadsOnlyTheTemplateNotWhatFollowsIt) {
    // The system hands over templates without a length: the fields end them.
    Bytes bytes = ExtendedTemplate().Build();
    const std::size_t length = bytes.size();
    bytes.insert(bytes.end(), 64, 0xCC);
    EXPECT_EQ(riviru::ReadDialogTemplate(bytes.data(), bytes.size()).size, length);
    EXPECT_EQ(riviru::ReplaceDialogTemplateFont(bytes.data(), bytes.size(), L"MS Shell Dlg", 8).size(),
              length);
}

TEST(DialogTemplateFont, TruncatedTemplatesAndBadTypefacesAreRefused) {
    const Bytes extended = ExtendedTemplate().Build();
    const Bytes classic = ClassicTemplate(0x80C800C0, 8, u"MS Shell Dlg");
    for (const Bytes* bytes : {&extended, &classic}) {
        for (std::size_t length = 0; length < bytes->size(); ++length) {
            EXPECT_THROW(riviru::ReadDialogTemplate(bytes->data(), length), std::invalid_argument) << length;
        }
    }
    EXPECT_THROW(riviru::ReadDialogTemplate(nullptr, 100), std::invalid_argument);
    EXPECT_THROW(
        riviru::ReplaceDialogTemplateFont(extended.data(), extended.size(), std::wstring(L"A\0B", 3), 9),
        std::invalid_argument);
}
