#include "ScriptData.h"

#include <cstdio>

std::string ScriptString(std::string_view text) {
    std::string quoted = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
        } else if (c == '<' && text.substr(i + 1, 1) == "/") {
            quoted += "<\\";
        } else if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xA8) {
            // U+2028 and U+2029 end a line in older script engines.
            quoted += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}
