#include "basic_type/json_text.h"

#include <cstdio>

#include "basic_type/basic_type.h"

namespace {

// What stands for a byte that is no part of well-formed UTF-8: U+FFFD.
const char G_replacement[] = "\xEF\xBF\xBD";

}  // namespace

const char* const json_null = "null";

std::string json_string(const std::string& p_utf8) {
    std::string text = "\"";
    for (std::size_t at = 0; at < p_utf8.size(); ++at) {
        const char c = p_utf8[at];
        const unsigned char byte = static_cast<unsigned char>(c);
        const std::size_t length = utf8_sequence_length(p_utf8, at);
        if (length == 0) {
            text += G_replacement;
        } else if (length > 1) {
            text.append(p_utf8, at, length);
            at += length - 1;
        } else if (c == '"' || c == '\\') {
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

std::string json_result(const json_members_t& p_members) {
    json_members_t members = {{"schema", json_number(json_schema)}};
    members.insert(members.end(), p_members.begin(), p_members.end());
    return json_object(members) + "\n";
}

std::string json_error_result(const std::string& p_kind, const std::string& p_message) {
    const std::string message = p_message.substr(0, p_message.find_last_not_of("\r\n") + 1);
    return json_result({{"error", json_object({{"kind", json_string(p_kind)},
                                               {"message", json_string(message)}})}});
}

json_members_t json_service(const std::string& p_greeting, std::size_t p_connections) {
    const std::size_t end = p_greeting.find_last_not_of("\r\n");
    return {{"service",
             end == std::string::npos ? json_null : json_string(p_greeting.substr(0, end + 1))},
            {"connections", json_number(static_cast<long long>(p_connections))}};
}
