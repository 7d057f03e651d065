// Writes extended dialog templates (DLGTEMPLATEEX followed by DLGITEMTEMPLATEEX
// items) in memory, so that a dialog needs no resource. Holds:
// DialogTemplateBuilder.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace riviru {

class DialogTemplateBuilder {
public:
    // popup, caption, system menu, centred, modal frame, set-font, fixed-system
    static constexpr std::uint32_t kDefaultStyle = 0x80C808C8;
    // DS_SETFONT: the header carries the font fields.
    static constexpr std::uint32_t kSetFontStyle = 0x00000040;

    // Atoms of the predefined control classes.
    enum class ControlClass : std::uint16_t {
        Button = 0x0080,
        Edit = 0x0081,
        Static = 0x0082,
        ListBox = 0x0083,
        ScrollBar = 0x0084,
        ComboBox = 0x0085,
    };

    // A menu, class or item-title field: nothing, an ordinal (0xFFFF and the
    // number) or a text. An empty text is the same as nothing.
    struct NameOrOrdinal {
        NameOrOrdinal() = default;
        NameOrOrdinal(std::uint16_t number) : isOrdinal(true), ordinal(number) {}
        NameOrOrdinal(ControlClass atom) : isOrdinal(true), ordinal(static_cast<std::uint16_t>(atom)) {}
        NameOrOrdinal(std::wstring name) : text(std::move(name)) {}
        NameOrOrdinal(const wchar_t* name) : text(name) {}

        bool isOrdinal = false;
        std::uint16_t ordinal = 0;
        std::wstring text;
    };

    struct Item {
        std::uint32_t helpId = 0;
        std::uint32_t exStyle = 0;
        std::uint32_t style = 0;
        std::int16_t x = 0;
        std::int16_t y = 0;
        std::int16_t cx = 0;
        std::int16_t cy = 0;
        std::uint32_t id = 0;
        NameOrOrdinal windowClass;
        NameOrOrdinal title;
        std::vector<std::uint8_t> creationData;
    };

    std::uint32_t helpId = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t style = kDefaultStyle;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t cx = 320;
    std::int16_t cy = 200;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::wstring title;
    // Written only when style has kSetFontStyle.
    std::uint16_t pointSize = 8;
    std::uint16_t weight = 400;  // FW_NORMAL
    std::uint8_t italic = 0;
    std::uint8_t charset = 1;  // DEFAULT_CHARSET
    std::wstring typeface = L"MS Shell Dlg";
    std::vector<Item> items;

    // The template as bytes, little-endian, each item at an offset that is a
    // multiple of four; the caller places it at a DWORD-aligned address. Texts
    // are written as 16-bit units followed by a 0 unit. Throws
    // std::length_error for more than 65,535 items or creation data longer
    // than 65,535 bytes, std::invalid_argument for a text that holds a 0 unit
    // or a value above 0xFFFF, or a NameOrOrdinal text that begins with 0xFFFF
    // (the system would misread what follows).
    std::vector<std::uint8_t> Build() const;
};

}  // namespace riviru
