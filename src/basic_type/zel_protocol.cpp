#include "basic_type/zel_protocol.h"

#include <cstring>

namespace {

bool is_field_start(char p_c) {
    return p_c == '=' || p_c == ';' || p_c == ',';
}

bool is_field_end(char p_c) {
    return p_c == ';' || p_c == ',' || p_c == '\r' || p_c == '\n';
}

char ascii_lower(char p_c) {
    return p_c >= 'A' && p_c <= 'Z' ? static_cast<char>(p_c + ('a' - 'A')) : p_c;
}

bool is_space(char p_c) {
    return p_c == ' ' || (p_c >= '\t' && p_c <= '\r');
}

// The text of a line from p_pos up to p_end or the line end; p_pos moves past p_end, and
// p_found tells whether p_end was there.
std::string field_until(const std::string& p_line, char p_end, std::size_t& p_pos, bool& p_found) {
    std::size_t end = p_pos;
    while (end < p_line.size() && p_line[end] != p_end && p_line[end] != '\r' &&
           p_line[end] != '\n') {
        ++end;
    }
    p_found = end < p_line.size() && p_line[end] == p_end;
    std::string field = p_line.substr(p_pos, end - p_pos);
    p_pos = p_found ? end + 1 : end;
    return field;
}

// A location number as a service may write it: digits, leading zeros allowed, blanks
// around them tolerated.
bool location_number_is(const std::string& p_text, uint32_t p_expected) {
    std::size_t i = 0;
    while (i < p_text.size() && is_space(p_text[i])) {
        ++i;
    }
    uint64_t value = 0;
    std::size_t digits = 0;
    for (; i < p_text.size() && p_text[i] >= '0' && p_text[i] <= '9'; ++i, ++digits) {
        value = value * 10 + static_cast<uint64_t>(p_text[i] - '0');
        if (value > 0xFFFFFFFFu) {
            return false;
        }
    }
    while (i < p_text.size() && is_space(p_text[i])) {
        ++i;
    }
    return digits > 0 && i == p_text.size() && value == p_expected;
}

// Where the fields of an answer line start: after its first "=".
std::size_t fields_start(const std::string& p_line) {
    const std::size_t mark = p_line.find(zel_answer_mark);
    return mark == std::string::npos ? p_line.size() : mark + 1;
}

}  // namespace

std::string zel_answer_head(const char* p_word) {
    return std::string(p_word) + zel_answer_mark;
}

bool zel_has_failed_field(const std::string& p_text) {
    const std::size_t length = std::strlen(zel_failed_word);
    for (std::size_t pos = p_text.find(zel_failed_word); pos != std::string::npos;
         pos = p_text.find(zel_failed_word, pos + 1)) {
        const std::size_t end = pos + length;
        if (pos > 0 && is_field_start(p_text[pos - 1]) &&
            (end == p_text.size() || is_field_end(p_text[end]))) {
            return true;
        }
    }
    return false;
}

bool zel_same_device(const std::string& p_first, const std::string& p_second) {
    if (p_first.size() != p_second.size()) {
        return false;
    }
    for (std::size_t i = 0; i < p_first.size(); ++i) {
        if (ascii_lower(p_first[i]) != ascii_lower(p_second[i])) {
            return false;
        }
    }
    return true;
}

bool zel_line_echoes(const std::string& p_line, const zel_echo_rule_t& p_rule) {
    if (p_rule.m_echo == ZEL_ECHO_NONE) {
        return true;
    }
    std::size_t pos = fields_start(p_line);
    bool ended = false;
    const std::string device = field_until(p_line, ';', pos, ended);
    if (p_rule.m_echo == ZEL_ECHO_DEVICE_IF_NAMED && (!ended || device.empty())) {
        return true;  // an acknowledgement that names no device
    }
    if (!ended || !zel_same_device(device, p_rule.m_device)) {
        return false;
    }
    if (p_rule.m_echo != ZEL_ECHO_LOCATION) {
        return true;
    }
    const char ends[3] = {',', ',', ';'};
    const uint32_t expected[3] = {p_rule.m_slot, p_rule.m_page, p_rule.m_offset};
    for (int k = 0; k < 3; ++k) {
        const std::string number = field_until(p_line, ends[k], pos, ended);
        if (!ended || !location_number_is(number, expected[k])) {
            return false;
        }
    }
    return true;
}

bool zel_failure_of_another_device(const std::string& p_line, const zel_echo_rule_t& p_rule) {
    if (p_rule.m_echo == ZEL_ECHO_NONE) {
        return false;
    }
    std::size_t pos = fields_start(p_line);
    bool ended = false;
    const std::string device = field_until(p_line, ';', pos, ended);
    return ended && !device.empty() && device != zel_failed_word &&
           !zel_same_device(device, p_rule.m_device);
}

bool zel_read_int(const std::string& p_text, int& p_value) {
    std::size_t i = 0;
    while (i < p_text.size() && is_space(p_text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < p_text.size() && (p_text[i] == '-' || p_text[i] == '+')) {
        negative = p_text[i] == '-';
        ++i;
    }
    // The magnitude may reach 2^31 for a negative number only.
    const long long limit = negative ? 2147483648LL : 2147483647LL;
    long long magnitude = 0;
    std::size_t digits = 0;
    for (; i < p_text.size() && p_text[i] >= '0' && p_text[i] <= '9'; ++i, ++digits) {
        magnitude = magnitude * 10 + (p_text[i] - '0');
        if (magnitude > limit) {
            return false;
        }
    }
    if (digits == 0) {
        return false;
    }
    p_value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}
