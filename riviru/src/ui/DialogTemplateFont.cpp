#include "riviru/ui/DialogTemplateFont.h"

#include <stdexcept>

namespace riviru {

namespace {

constexpr std::uint16_t kOrdinalMarker = 0xFFFF;
constexpr std::uint32_t kSetFont = 0x00000040;  // DS_SETFONT

class TemplateReader {
public:
    TemplateReader(const std::uint8_t* data, std::size_t available) : data_(data), available_(available) {}

    std::size_t Position() const noexcept { return position_; }

    void Skip(std::size_t count) {
        Need(count);
        position_ += count;
    }
    std::uint8_t Byte() {
        Need(1);
        return data_[position_++];
    }
    std::uint16_t Word() {
        const std::uint8_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }
    std::uint32_t Dword() {
        const std::uint16_t low = Word();
        return low | (static_cast<std::uint32_t>(Word()) << 16);
    }
    std::wstring Text() {
        std::wstring text;
        for (std::uint16_t unit = Word(); unit != 0; unit = Word())
            text.push_back(static_cast<wchar_t>(unit));
        return text;
    }
    // A menu, class or title field: nothing, an ordinal or a text.
    void SkipField() {
        const std::uint16_t first = Word();
        if (first == kOrdinalMarker) {
            Skip(2);
        } else {
            while (first != 0 && Word() != 0) {
            }
        }
    }
    void AlignToDword() {
        const std::size_t padding = (4 - position_ % 4) % 4;
        Skip(padding);
    }

private:
    void Need(std::size_t count) const {
        if (count > available_ || position_ > available_ - count) {
            throw std::invalid_argument("dialog template runs past its end");
        }
    }

    const std::uint8_t* data_;
    std::size_t available_;
    std::size_t position_ = 0;
};

void PutWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

}  // namespace

DialogTemplateFacts ReadDialogTemplate(const std::uint8_t* data, std::size_t available) {
    if (data == nullptr) throw std::invalid_argument("no dialog template");
    TemplateReader in(data, available);
    DialogTemplateFacts facts;

    // The extended format begins with version 1 and the marker 0xFFFF; in the
    // classic one the same place holds the style, whose high word is never
    // 0xFFFF for a dialog.
    const std::uint16_t version = in.Word();
    const std::uint16_t signature = in.Word();
    facts.extended = version == 1 && signature == kOrdinalMarker;
    if (facts.extended) {
        in.Skip(4);  // help id
        in.Skip(4);  // extended style
        facts.style = in.Dword();
    } else {
        facts.style = version | (static_cast<std::uint32_t>(signature) << 16);
        in.Skip(4);  // extended style
    }
    facts.itemCount = in.Word();
    in.Skip(8);      // x, y, cx, cy
    in.SkipField();  // menu
    in.SkipField();  // window class
    in.Text();       // title

    facts.hasFont = (facts.style & kSetFont) != 0;
    facts.fontBegin = facts.fontEnd = in.Position();
    if (facts.hasFont) {
        facts.pointSize = in.Word();
        if (facts.extended) {
            facts.weight = in.Word();
            facts.italic = in.Byte();
            facts.charset = in.Byte();
        }
        facts.typeface = in.Text();
        facts.fontEnd = in.Position();
    }
    facts.size = in.Position();

    for (std::uint16_t i = 0; i < facts.itemCount; ++i) {
        in.AlignToDword();
        const std::size_t begin = in.Position();
        // help id, extended style, style, x, y, cx, cy, a 32-bit id; or style,
        // extended style, x, y, cx, cy, a 16-bit id.
        in.Skip(facts.extended ? 24 : 18);
        in.SkipField();  // window class
        in.SkipField();  // title
        // The creation data's length word does not count itself, in both
        // formats, as the system reads it.
        in.Skip(in.Word());
        facts.items.emplace_back(begin, in.Position() - begin);
        facts.size = in.Position();
    }
    return facts;
}

std::vector<std::uint8_t> ReplaceDialogTemplateFont(const std::uint8_t* data, std::size_t available,
                                                    const std::wstring& typeface, std::uint16_t pointSize) {
    const DialogTemplateFacts facts = ReadDialogTemplate(data, available);
    if (!facts.hasFont) return std::vector<std::uint8_t>(data, data + facts.size);

    std::vector<std::uint8_t> out(data, data + facts.fontBegin);
    PutWord(out, pointSize);
    if (facts.extended) {
        // Weight, italic and character set as they were.
        out.insert(out.end(), data + facts.fontBegin + 2, data + facts.fontBegin + 6);
    }
    for (const wchar_t unit : typeface) {
        const auto value = static_cast<std::uint32_t>(unit);
        if (value == 0 || value > 0xFFFF) {
            throw std::invalid_argument("typeface holds a 0 unit or a value above 0xFFFF");
        }
        PutWord(out, static_cast<std::uint16_t>(value));
    }
    PutWord(out, 0);

    for (const auto& item : facts.items) {
        while (out.size() % 4 != 0) out.push_back(0);
        out.insert(out.end(), data + item.first, data + item.first + item.second);
    }
    return out;
}

}  // namespace riviru
