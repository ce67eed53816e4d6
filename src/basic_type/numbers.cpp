#include "basic_type/numbers.h"

#include <cstddef>

bool parse_decimal_int(const std::string& p_text, int& p_value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < p_text.size() && (p_text[i] == '-' || p_text[i] == '+')) {
        negative = p_text[i] == '-';
        ++i;
    }
    if (i == p_text.size()) {
        return false;
    }
    // The magnitude may reach 2^31 for a negative number only.
    const long long limit = negative ? 2147483648LL : 2147483647LL;
    long long magnitude = 0;
    for (; i < p_text.size(); ++i) {
        const char c = p_text[i];
        if (c < '0' || c > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) {
            return false;
        }
    }
    p_value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}
