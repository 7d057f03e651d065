// Reads the font of a dialog template and writes a copy of the template with
// another font. Both published formats are understood: the classic
// DLGTEMPLATE with DLGITEMTEMPLATE items and the extended DLGTEMPLATEEX with
// DLGITEMTEMPLATEEX items. Holds: DialogTemplateFacts, ReadDialogTemplate,
// ReplaceDialogTemplateFont.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace riviru {

// What a template says about itself, read from its bytes.
struct DialogTemplateFacts {
    bool extended = false;
    std::uint32_t style = 0;
    std::uint16_t itemCount = 0;
    // The font fields exist only with DS_SETFONT (0x40) in the style.
    bool hasFont = false;
    std::uint16_t pointSize = 0;
    // Weight, italic and character set exist only in the extended format.
    std::uint16_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t charset = 0;
    std::wstring typeface;
    // Offset of the point size and of the end of the typeface.
    std::size_t fontBegin = 0;
    std::size_t fontEnd = 0;
    // Offset and length of each item (each begins at a multiple of four).
    std::vector<std::pair<std::size_t, std::size_t>> items;
    // Length of the whole template: up to the end of its last item.
    std::size_t size = 0;
};

// Reads the template at data, of which at most available bytes may be read
// (the system's templates carry no length, so a caller holding a template
// from the system passes an upper bound). Throws std::invalid_argument when
// the template would run past available bytes.
DialogTemplateFacts ReadDialogTemplate(const std::uint8_t* data, std::size_t available);

// A copy of the template with typeface and pointSize as its font; weight,
// italic and character set stay. The items are copied unchanged, each moved
// to the next offset that is a multiple of four. A template without
// DS_SETFONT has no font fields and is copied unchanged. Throws
// std::invalid_argument for a template that runs past available bytes and
// for a typeface that holds a 0 unit or a value above 0xFFFF.
std::vector<std::uint8_t> ReplaceDialogTemplateFont(const std::uint8_t* data, std::size_t available,
                                                    const std::wstring& typeface, std::uint16_t pointSize);

}  // namespace riviru
