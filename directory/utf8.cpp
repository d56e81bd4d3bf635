#include "utf8.h"

namespace vg {

bool NextUtf8(std::string_view text, std::size_t& at, char32_t& cp) {
    if (at >= text.size()) return false;
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t more;
    char32_t value, least;
    if (lead < 0x80) {
        more = 0, value = lead, least = 0;
    } else if ((lead & 0xE0) == 0xC0) {
        more = 1, value = lead & 0x1Fu, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2, value = lead & 0x0Fu, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3, value = lead & 0x07u, least = 0x10000;
    } else {
        return false;
    }
    if (text.size() - at <= more) return false;
    for (std::size_t k = 1; k <= more; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return false;
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    cp = value;
    at += more + 1;
    return true;
}

bool IsUtf8(std::string_view text) {
    char32_t cp;
    for (std::size_t at = 0; at < text.size();)
        if (!NextUtf8(text, at, cp)) return false;
    return true;
}

} // namespace vg
