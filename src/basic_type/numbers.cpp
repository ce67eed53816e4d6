#include "basic_type/numbers.h"

#include <algorithm>

namespace {

bool is_digit(char p_c) {
    return p_c >= '0' && p_c <= '9';
}

// An optional sign at p_pos: p_pos moves past it, p_negative tells which.
void read_sign(const std::string& p_text, std::size_t& p_pos, bool& p_negative) {
    p_negative = false;
    if (p_pos < p_text.size() && (p_text[p_pos] == '-' || p_text[p_pos] == '+')) {
        p_negative = p_text[p_pos] == '-';
        ++p_pos;
    }
}

// Digits from p_pos into an int of that sign, p_pos moving past them. False without a
// digit or out of the int range.
bool read_digits(const std::string& p_text, std::size_t& p_pos, bool p_negative, int& p_value) {
    // The magnitude may reach 2^31 for a negative number only.
    const long long limit = p_negative ? 2147483648LL : 2147483647LL;
    long long magnitude = 0;
    const std::size_t first = p_pos;
    for (; p_pos < p_text.size() && is_digit(p_text[p_pos]); ++p_pos) {
        magnitude = magnitude * 10 + (p_text[p_pos] - '0');
        if (magnitude > limit) {
            return false;
        }
    }
    if (p_pos == first) {
        return false;
    }
    p_value = static_cast<int>(p_negative ? -magnitude : magnitude);
    return true;
}

}  // namespace

bool get_delimiter(const std::string& p_line, const std::string& p_delimiter, std::size_t& p_pos) {
    const std::size_t found = p_line.find(p_delimiter, p_pos);
    if (found == std::string::npos) {
        return false;
    }
    p_pos = found + p_delimiter.size();
    return true;
}

bool is_white_space(char p_c) {
    return p_c == ' ' || (p_c >= '\t' && p_c <= '\r');
}

bool read_int_strict(const std::string& p_text, int& p_value) {
    std::size_t pos = 0;
    bool negative = false;
    read_sign(p_text, pos, negative);
    int value = 0;
    if (!read_digits(p_text, pos, negative, value) || pos != p_text.size()) {
        return false;
    }
    p_value = value;
    return true;
}

bool read_int_like_stoi(const std::string& p_text, int& p_value) {
    std::size_t pos = 0;
    while (pos < p_text.size() && is_white_space(p_text[pos])) {
        ++pos;
    }
    bool negative = false;
    read_sign(p_text, pos, negative);
    return read_digits(p_text, pos, negative, p_value);
}

uint8_t read_low_byte_like_atoi(const std::string& p_text) {
    std::size_t pos = 0;
    while (pos < p_text.size() && is_white_space(p_text[pos])) {
        ++pos;
    }
    bool negative = false;
    read_sign(p_text, pos, negative);
    // Unsigned arithmetic wraps modulo 2^32, which keeps the low 8 bits of any number.
    unsigned value = 0;
    for (; pos < p_text.size() && is_digit(p_text[pos]); ++pos) {
        value = value * 10u + static_cast<unsigned>(p_text[pos] - '0');
    }
    return static_cast<uint8_t>(negative ? 0u - value : value);
}

bool read_value_list(const std::string& p_text, std::size_t p_pos, std::vector<int>& p_values) {
    bool clean = true;
    long long number = 0;
    bool digits = false;
    for (; p_pos + 1 < p_text.size(); ++p_pos) {
        const char c = p_text[p_pos];
        if (is_digit(c)) {
            // Past the int range the number stops growing: it only has to stay too big.
            number = number > value_list_overflow ? number : number * 10 + (c - '0');
            digits = true;
        } else if (c == ',' || c == '\r') {
            p_values.push_back(
                digits ? static_cast<int>(std::min<long long>(number, value_list_overflow))
                       : value_list_empty);
            number = 0;
            digits = false;
            if (c == '\r') {
                break;
            }
        } else {
            clean = false;
        }
    }
    return clean;
}
