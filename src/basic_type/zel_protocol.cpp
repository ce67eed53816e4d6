#include "basic_type/zel_protocol.h"

#include <cstring>

namespace {

char ascii_upper(char p_c) {
    return p_c >= 'a' && p_c <= 'z' ? static_cast<char>(p_c - ('a' - 'A')) : p_c;
}

bool is_space(char p_c) {
    return p_c == ' ' || (p_c >= '\t' && p_c <= '\r');
}

bool is_blank(char p_c) {
    return p_c == ' ' || p_c == '\t';
}

// A character a device name or MAC can hold: next to FAILED, on either side, it makes the
// word part of a name ("RACK-FAILED", "FAILEDX").
bool is_name_char(char p_c) {
    return (p_c >= 'A' && p_c <= 'Z') || (p_c >= 'a' && p_c <= 'z') || (p_c >= '0' && p_c <= '9') ||
           p_c == '-';
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
    std::size_t begin = 0;
    std::size_t end = p_text.size();
    while (begin < end && is_space(p_text[begin])) {
        ++begin;
    }
    while (end > begin && is_space(p_text[end - 1])) {
        --end;
    }
    int value{};
    // No sign: a location is written in digits.
    return begin < end && p_text[begin] >= '0' && p_text[begin] <= '9' &&
           read_int_strict(p_text.substr(begin, end - begin), value) &&
           static_cast<uint32_t>(value) == p_expected;
}

// Where the fields of an answer line start: after its first "=".
std::size_t fields_start(const std::string& p_line) {
    const std::size_t mark = p_line.find(zel_answer_mark);
    return mark == std::string::npos ? p_line.size() : mark + 1;
}

// The first field names an identifier of the network other than the asked device.
bool names_another_device(const std::string& p_first_field, const zel_echo_rule_t& p_rule) {
    if (p_rule.m_network == nullptr) {
        return false;
    }
    const std::string key = zel_device_key(p_first_field);
    return !key.empty() && key != zel_device_key(p_rule.m_device) &&
           p_rule.m_network->count(key) != 0;
}

// The line echoes the asked device, and for a read its location, after its first "=".
bool echoes_request(const std::string& p_line, const zel_echo_rule_t& p_rule) {
    std::size_t pos = fields_start(p_line);
    bool ended = false;
    const std::string device = field_until(p_line, ';', pos, ended);
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

}  // namespace

std::string zel_answer_head(const char* p_word) {
    return std::string(p_word) + zel_answer_mark;
}

bool zel_has_failed_word(const std::string& p_text) {
    const std::size_t length = std::strlen(zel_failed_word);
    for (std::size_t pos = p_text.find(zel_failed_word); pos != std::string::npos;
         pos = p_text.find(zel_failed_word, pos + 1)) {
        const std::size_t end = pos + length;
        if ((pos == 0 || !is_name_char(p_text[pos - 1])) &&
            (end == p_text.size() || !is_name_char(p_text[end]))) {
            return true;
        }
    }
    return false;
}

std::string zel_device_key(const std::string& p_identifier) {
    std::size_t begin = 0;
    std::size_t end = p_identifier.size();
    while (begin < end && is_blank(p_identifier[begin])) {
        ++begin;
    }
    while (end > begin && is_blank(p_identifier[end - 1])) {
        --end;
    }
    std::string key;
    key.reserve(end - begin);
    for (std::size_t i = begin; i < end; ++i) {
        key.push_back(ascii_upper(p_identifier[i]));
    }
    return key;
}

bool zel_same_device(const std::string& p_first, const std::string& p_second) {
    return zel_device_key(p_first) == zel_device_key(p_second);
}

zel_line_verdict_t zel_judge_line(const std::string& p_line, const zel_echo_rule_t& p_rule) {
    if (p_rule.m_echo != ZEL_ECHO_NONE) {
        std::size_t pos = fields_start(p_line);
        bool ended = false;
        if (names_another_device(field_until(p_line, ';', pos, ended), p_rule)) {
            return ZEL_LINE_LATE;
        }
    }
    if (zel_has_failed_word(p_line)) {
        return ZEL_LINE_REFUSAL;
    }
    if (p_rule.m_echo == ZEL_ECHO_NONE || p_rule.m_echo == ZEL_ECHO_DEVICE_IF_NAMED) {
        return ZEL_LINE_ANSWER;
    }
    return echoes_request(p_line, p_rule) ? ZEL_LINE_ANSWER : ZEL_LINE_LATE;
}

const zel_request_t& zel_request(zel_req_id_t p_id) {
    // clang-format off
    static const zel_request_t G_requests[] = {
        // id, word, time-out, echo, first line completes, limit
        {ZEL_WRITE, zel_tbox_mem_word, zel_cmd_timeout_ms, ZEL_ECHO_DEVICE_IF_NAMED, true, 0},
        {ZEL_READ, zel_tbox_mem_word, zel_cmd_timeout_ms, ZEL_ECHO_LOCATION, true, 0},
        {ZEL_INFO_EXT, zel_info_ext_word, zel_cmd_timeout_ms, ZEL_ECHO_DEVICE, true, 0},
        {ZEL_LIST_NET, zel_list_net_word, zel_list_timeout_ms, ZEL_ECHO_NONE, false, zel_listing_limit_ms},
        {ZEL_LIST_DEV, zel_list_dev_word, zel_list_timeout_ms, ZEL_ECHO_NONE, false, zel_listing_limit_ms},
        {ZEL_READ_CSPR_PAGE_IDX, zel_tbox_mem_word, zel_cmd_timeout_ms, ZEL_ECHO_LOCATION, true, 0},
        {ZEL_READ_DEVICE_PRESET_START_OFFSET, zel_tbox_mem_word, zel_cmd_timeout_ms, ZEL_ECHO_LOCATION, true, 0},
    };
    // clang-format on
    for (const zel_request_t& request : G_requests) {
        if (request.m_id == p_id) {
            return request;
        }
    }
    return G_requests[0];
}
