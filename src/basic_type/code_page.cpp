#include "basic_type/basic_type.h"

#include <cstring>

namespace {

// UTF-8 form of the characters of code page 850 at 0x80 to 0xFE, in code order. 0xFF, the
// no-break space, has no entry: a no-break space in a label file is not supported.
const char* const G_extended_char[127] = {
    "\xC3\x87",     "\xC3\xBC",     "\xC3\xA9",     "\xC3\xA2",     "\xC3\xA4",     "\xC3\xA0",
    "\xC3\xA5",     "\xC3\xA7",     "\xC3\xAA",     "\xC3\xAB",     "\xC3\xA8",     "\xC3\xAF",
    "\xC3\xAE",     "\xC3\xAC",     "\xC3\x84",     "\xC3\x85",     "\xC3\x89",     "\xC3\xA6",
    "\xC3\x86",     "\xC3\xB4",     "\xC3\xB6",     "\xC3\xB2",     "\xC3\xBB",     "\xC3\xB9",
    "\xC3\xBF",     "\xC3\x96",     "\xC3\x9C",     "\xC3\xB8",     "\xC2\xA3",     "\xC3\x98",
    "\xC3\x97",     "\xC6\x92",     "\xC3\xA1",     "\xC3\xAD",     "\xC3\xB3",     "\xC3\xBA",
    "\xC3\xB1",     "\xC3\x91",     "\xC2\xAA",     "\xC2\xBA",     "\xC2\xBF",     "\xC2\xAE",
    "\xC2\xAC",     "\xC2\xBD",     "\xC2\xBC",     "\xC2\xA1",     "\xC2\xAB",     "\xC2\xBB",
    "\xE2\x96\x91", "\xE2\x96\x92", "\xE2\x96\x93", "\xE2\x94\x82", "\xE2\x94\xA4", "\xC3\x81",
    "\xC3\x82",     "\xC3\x80",     "\xC2\xA9",     "\xE2\x95\xA3", "\xE2\x95\x91", "\xE2\x95\x97",
    "\xE2\x95\x9D", "\xC2\xA2",     "\xC2\xA5",     "\xE2\x94\x90", "\xE2\x94\x94", "\xE2\x94\xB4",
    "\xE2\x94\xAC", "\xE2\x94\x9C", "\xE2\x94\x80", "\xE2\x94\xBC", "\xC3\xA3",     "\xC3\x83",
    "\xE2\x95\x9A", "\xE2\x95\x94", "\xE2\x95\xA9", "\xE2\x95\xA6", "\xE2\x95\xA0", "\xE2\x95\x90",
    "\xE2\x95\xAC", "\xC2\xA4",     "\xC3\xB0",     "\xC3\x90",     "\xC3\x8A",     "\xC3\x8B",
    "\xC3\x88",     "\xC4\xB1",     "\xC3\x8D",     "\xC3\x8E",     "\xC3\x8F",     "\xE2\x94\x98",
    "\xE2\x94\x8C", "\xE2\x96\x88", "\xE2\x96\x84", "\xC2\xA6",     "\xC3\x8C",     "\xE2\x96\x80",
    "\xC3\x93",     "\xC3\x9F",     "\xC3\x94",     "\xC3\x92",     "\xC3\xB5",     "\xC3\x95",
    "\xC2\xB5",     "\xC3\xBE",     "\xC3\x9E",     "\xC3\x9A",     "\xC3\x9B",     "\xC3\x99",
    "\xC3\xBD",     "\xC3\x9D",     "\xC2\xAF",     "\xC2\xB4",     "\xC2\xAD",     "\xC2\xB1",
    "\xE2\x80\x97", "\xC2\xBE",     "\xC2\xB6",     "\xC2\xA7",     "\xC3\xB7",     "\xC2\xB8",
    "\xC2\xB0",     "\xC2\xA8",     "\xC2\xB7",     "\xC2\xB9",     "\xC2\xB3",     "\xC2\xB2",
    "\xE2\x96\xA0"};

// The table inverted for a constant-time look-up: the code of a two-byte sequence
// (lead 0xC0-0xDF) or of a three-byte one (lead 0xE0-0xEF), 0 when it has none.
struct reverse_table_t {
    unsigned char m_two[32][64];
    unsigned char m_three[16][64][64];

    reverse_table_t() : m_two(), m_three() {
        for (unsigned k = 0; k < 127; ++k) {
            const unsigned char* b = reinterpret_cast<const unsigned char*>(G_extended_char[k]);
            const unsigned char code = static_cast<unsigned char>(0x80 + k);
            if (std::strlen(G_extended_char[k]) == 2) {
                m_two[b[0] - 0xC0][b[1] - 0x80] = code;
            } else {
                m_three[b[0] - 0xE0][b[1] - 0x80][b[2] - 0x80] = code;
            }
        }
    }
};

const reverse_table_t& reverse_table() {
    static const reverse_table_t table;
    return table;
}

bool is_continuation(unsigned char p_byte) {
    return (p_byte & 0xC0) == 0x80;
}

// Number of bytes a UTF-8 lead byte announces; 1 for a byte that starts no sequence.
std::size_t announced_length(unsigned char p_lead) {
    if (p_lead >= 0xC2 && p_lead <= 0xDF) {
        return 2;
    }
    if (p_lead >= 0xE0 && p_lead <= 0xEF) {
        return 3;
    }
    if (p_lead >= 0xF0 && p_lead <= 0xF4) {
        return 4;
    }
    return 1;
}

// Code of the sequence at p_text[i], or 0 when code page 850 has no such character.
unsigned char lookup_code(const unsigned char* p_text, std::size_t p_size, std::size_t i) {
    const unsigned char lead = p_text[i];
    const reverse_table_t& table = reverse_table();
    if (lead >= 0xC0 && lead <= 0xDF && i + 1 < p_size && is_continuation(p_text[i + 1])) {
        return table.m_two[lead - 0xC0][p_text[i + 1] - 0x80];
    }
    if (lead >= 0xE0 && lead <= 0xEF && i + 2 < p_size && is_continuation(p_text[i + 1]) &&
        is_continuation(p_text[i + 2])) {
        return table.m_three[lead - 0xE0][p_text[i + 1] - 0x80][p_text[i + 2] - 0x80];
    }
    return 0;
}

// Bytes an unsupported character takes from p_text[i]: the whole sequence when all of
// its continuation bytes follow, what is left of it when the text ends inside it, and
// the lead byte alone otherwise.
std::size_t unsupported_length(const unsigned char* p_text, std::size_t p_size, std::size_t i) {
    const std::size_t wanted = announced_length(p_text[i]);
    std::size_t run = 1;
    while (run < wanted && i + run < p_size && is_continuation(p_text[i + run])) {
        ++run;
    }
    if (run == wanted || i + run == p_size) {
        return run;
    }
    return 1;
}

bool is_control_code(char p_c) {
    const unsigned char byte = static_cast<unsigned char>(p_c);
    return byte < 0x20 || byte == 0x7F;
}

int hex_value(unsigned char p_c) {
    if (p_c >= '0' && p_c <= '9') {
        return p_c - '0';
    }
    if (p_c >= 'A' && p_c <= 'F') {
        return p_c - 'A' + 10;
    }
    return p_c >= 'a' && p_c <= 'f' ? p_c - 'a' + 10 : -1;
}

console_message_t unsupported_char_warning(const std::string& p_file, uint32_t p_line,
                                           std::size_t p_position, char p_byte) {
    // No blank before "position": the warning has always read "at line 4position 1".
    return "Warning text contains unsupported character! In " + given_text(p_file) + " at line " +
           std::to_string(p_line) + "position " + std::to_string(p_position) + " CHARACTER CODE: " +
           std::to_string(static_cast<int>(static_cast<signed char>(p_byte))) + "\r\n";
}

}  // namespace

std::string utf8_to_cp850(const std::string& p_text, std::vector<unsupported_char_t>& p_dropped) {
    const unsigned char* text = reinterpret_cast<const unsigned char*>(p_text.data());
    const std::size_t size = p_text.size();
    std::string result;
    result.reserve(size);
    std::size_t i = 0;
    while (i < size) {
        const unsigned char c = text[i];
        if (c < 0x7F) {
            // Label files are mostly ASCII: copy such a run in one piece.
            // The run stops at DEL (0x7F): code page 850 has no form for it, so it is dropped.
            std::size_t end = i + 1;
            while (end < size && text[end] < 0x7F) {
                ++end;
            }
            result.append(p_text, i, end - i);
            i = end;
            continue;
        }
        const unsigned char code = lookup_code(text, size, i);
        if (code != 0) {
            result.push_back(static_cast<char>(code));
            i += announced_length(c);
            continue;
        }
        const std::size_t length = unsupported_length(text, size, i);
        p_dropped.push_back(unsupported_char_t{i, length});
        i += length;
    }
    return result;
}

std::string UTF8ToANSI(const std::string& s, const std::string& p_file, uint32_t p_line,
                       std::vector<unsupported_char_t>& p_dropped) {
    const std::size_t first = p_dropped.size();
    std::string result = utf8_to_cp850(s, p_dropped);
    for (std::size_t k = first; k < p_dropped.size(); ++k) {
        const std::size_t position = p_dropped[k].m_position;
        printf_error_message(unsupported_char_warning(p_file, p_line, position, s[position]));
    }
    return result;
}

std::string file_text(const std::string& p_cp850_text, bool (*p_as_code)(char)) {
    static const char G_hex[] = "0123456789ABCDEF";
    std::string text;
    for (char c : p_cp850_text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (p_as_code(c)) {
            text += "\\x";
            text += G_hex[byte >> 4];
            text += G_hex[byte & 0x0F];
        } else {
            text += cp850_to_utf8(std::string(1, c));
        }
    }
    return text;
}

std::string quoted_cp850(const std::string& p_bytes) {
    std::string text = "\"";
    for (char c : p_bytes) {
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else {
            text += file_text(std::string(1, c), is_control_code);
        }
    }
    return text + "\"";
}

bool unquote_cp850(const std::string& p_text, std::string& p_bytes) {
    const unsigned char* text = reinterpret_cast<const unsigned char*>(p_text.data());
    const std::size_t size = p_text.size();
    if (size < 2 || text[0] != '"' || text[size - 1] != '"') {
        return false;
    }
    std::string bytes;
    for (std::size_t i = 1; i + 1 < size;) {
        const unsigned char c = text[i];
        int high = 0;
        int low = 0;
        if (c == '\\' && i + 2 < size && (text[i + 1] == '"' || text[i + 1] == '\\')) {
            bytes.push_back(static_cast<char>(text[i + 1]));
            i += 2;
        } else if (c == '\\' && i + 4 < size && text[i + 1] == 'x' &&
                   (high = hex_value(text[i + 2])) >= 0 && (low = hex_value(text[i + 3])) >= 0) {
            bytes.push_back(static_cast<char>(high * 16 + low));
            i += 4;
        } else if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            bytes.push_back(static_cast<char>(c));
            ++i;
        } else if (c == 0xC2 && i + 2 < size && text[i + 1] == 0xA0) {
            bytes.push_back(static_cast<char>(0xFF));  // the no-break space, as shown
            i += 2;
        } else {
            const unsigned char code = c >= 0x80 ? lookup_code(text, size - 1, i) : 0;
            if (code == 0) {
                return false;
            }
            bytes.push_back(static_cast<char>(code));
            i += announced_length(c);
        }
    }
    p_bytes = bytes;
    return true;
}

std::size_t utf8_sequence_length(const std::string& p_text, std::size_t p_at) {
    const unsigned char lead = static_cast<unsigned char>(p_text[p_at]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || p_at + length > p_text.size()) {
        return 0;
    }
    // A lead byte's second byte has a narrower range after E0, ED, F0 and F4.
    const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned byte = static_cast<unsigned char>(p_text[p_at + k]);
        if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

std::string utf8_or_cp850(const std::string& p_bytes) {
    std::string text;
    for (std::size_t at = 0; at < p_bytes.size();) {
        const std::size_t length = utf8_sequence_length(p_bytes, at);
        // C2 80 to C2 9F: a C1 control character.
        const bool c1_control = length == 2 && static_cast<unsigned char>(p_bytes[at]) == 0xC2 &&
                                static_cast<unsigned char>(p_bytes[at + 1]) < 0xA0;
        if (length == 0 || c1_control) {
            text += cp850_to_utf8(p_bytes.substr(at, 1));
            ++at;
        } else {
            text.append(p_bytes, at, length);
            at += length;
        }
    }
    return text;
}

std::string cp850_to_utf8(const std::string& p_text) {
    std::string result;
    result.reserve(p_text.size() * 2);
    for (char c : p_text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            result.push_back(c);
        } else if (byte == 0xFF) {
            result += "\xC2\xA0";
        } else {
            result += G_extended_char[byte - 0x80];
        }
    }
    return result;
}
