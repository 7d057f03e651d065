#include "riviru/ui/DialogTemplateBuilder.h"

#include <limits>
#include <stdexcept>

namespace riviru {

namespace {

constexpr std::uint16_t kOrdinalMarker = 0xFFFF;

class TemplateWriter {
public:
    void Byte(std::uint8_t value) { bytes_.push_back(value); }
    void Word(std::uint16_t value) {
        Byte(static_cast<std::uint8_t>(value & 0xFF));
        Byte(static_cast<std::uint8_t>(value >> 8));
    }
    void Short(std::int16_t value) { Word(static_cast<std::uint16_t>(value)); }
    void Dword(std::uint32_t value) {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }

    // Unit by unit: wchar_t is 32 bits wide outside Windows.
    void Text(const std::wstring& text) {
        for (const wchar_t unit : text) {
            const auto value = static_cast<std::uint32_t>(unit);
            if (value == 0 || value > 0xFFFF) {
                throw std::invalid_argument("dialog template text holds a 0 unit or a value above 0xFFFF");
            }
            Word(static_cast<std::uint16_t>(value));
        }
        Word(0);
    }

    void Field(const DialogTemplateBuilder::NameOrOrdinal& field) {
        if (field.isOrdinal) {
            Word(kOrdinalMarker);
            Word(field.ordinal);
            return;
        }
        if (!field.text.empty() && static_cast<std::uint32_t>(field.text.front()) == kOrdinalMarker) {
            throw std::invalid_argument("dialog template name begins with the ordinal marker");
        }
        Text(field.text);
    }

    void AlignToDword() {
        while (bytes_.size() % 4 != 0) Byte(0);
    }

    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::vector<std::uint8_t> DialogTemplateBuilder::Build() const {
    constexpr std::size_t kWordMax = std::numeric_limits<std::uint16_t>::max();
    if (items.size() > kWordMax) throw std::length_error("dialog template has more than 65535 items");

    TemplateWriter out;
    out.Word(1);               // dlgVer
    out.Word(kOrdinalMarker);  // signature of the extended format
    out.Dword(helpId);
    out.Dword(exStyle);
    out.Dword(style);
    out.Word(static_cast<std::uint16_t>(items.size()));
    out.Short(x);
    out.Short(y);
    out.Short(cx);
    out.Short(cy);
    out.Field(menu);
    out.Field(windowClass);
    out.Text(title);
    if ((style & kSetFontStyle) != 0) {
        out.Word(pointSize);
        out.Word(weight);
        out.Byte(italic);
        out.Byte(charset);
        out.Text(typeface);
    }

    for (const Item& item : items) {
        if (item.creationData.size() > kWordMax) {
            throw std::length_error("dialog item creation data is longer than 65535 bytes");
        }
        out.AlignToDword();
        out.Dword(item.helpId);
        out.Dword(item.exStyle);
        out.Dword(item.style);
        out.Short(item.x);
        out.Short(item.y);
        out.Short(item.cx);
        out.Short(item.cy);
        out.Dword(item.id);
        out.Field(item.windowClass);
        out.Field(item.title);
        out.Word(static_cast<std::uint16_t>(item.creationData.size()));
        for (const std::uint8_t b : item.creationData) out.Byte(b);
    }
    return out.Take();
}

}  // namespace riviru
