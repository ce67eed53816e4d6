#include "basic_type/json_text.h"

#include <cstdio>

#include "basic_type/basic_type.h"

const char* const json_null = "null";

std::string json_string(const std::string& p_utf8) {
    std::string text = "\"";
    for (const char c : p_utf8) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\t') {
            text += "\\t";
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\u%04X", static_cast<unsigned>(byte));
            text += escape;
        } else {
            text += c;
        }
    }
    return text + "\"";
}

std::string json_cp850_string(const std::string& p_cp850) {
    return json_string(cp850_to_utf8(p_cp850));
}

std::string json_number(long long p_value) {
    return std::to_string(p_value);
}

std::string json_bool(bool p_value) {
    return p_value ? "true" : "false";
}

std::string json_object(const json_members_t& p_members) {
    std::string text = "{";
    for (std::size_t k = 0; k < p_members.size(); ++k) {
        text += (k == 0 ? "" : ", ") + json_string(p_members[k].first) + ": " + p_members[k].second;
    }
    return text + "}";
}

std::string json_array(const std::vector<std::string>& p_values) {
    std::string text = "[";
    for (std::size_t k = 0; k < p_values.size(); ++k) {
        text += (k == 0 ? "" : ", ") + p_values[k];
    }
    return text + "]";
}
