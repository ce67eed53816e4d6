#include "zel_service_cmd/service_answers.h"

#include "basic_type/numbers.h"
#include "basic_type/zel_protocol.h"

namespace {

const std::size_t G_info_ext_field_count = 11;

// The text from p_pos up to the next p_delimiter; p_pos moves past the delimiter.
bool next_field(const std::string& p_answer, const char* p_delimiter, std::size_t& p_pos,
                std::string& p_field) {
    const std::size_t start = p_pos;
    if (!get_delimiter(p_answer, p_delimiter, p_pos)) {
        return false;
    }
    p_field = p_answer.substr(start, p_pos - 1 - start);
    return true;
}

// Where the answer's fields start, just after its head; npos without the head or with a
// refusal.
std::size_t fields_of(const std::string& p_answer, const char* p_word) {
    const std::string head = zel_answer_head(p_word);
    const std::size_t found = p_answer.find(head);
    if (found == std::string::npos || zel_has_failed_word(p_answer)) {
        return std::string::npos;
    }
    return found + head.size();
}

}  // namespace

bool is_compatible_device(const std::string& p_name, int p_mir, int p_pir) {
    return !p_name.empty() && p_mir == 5 && p_pir == 2;
}

Status parse_listing(const std::string& p_answer, std::string& p_network_name,
                     std::vector<std::string>& p_identifiers) {
    const std::size_t start = fields_of(p_answer, zel_list_dev_word);
    if (start == std::string::npos) {
        return FAIL;
    }
    const std::size_t network_end = p_answer.find_first_of(";\r\n", start);
    if (p_network_name.empty() && network_end != std::string::npos &&
        p_answer[network_end] == ';') {
        p_network_name = p_answer.substr(start, network_end - start);
    }
    // Each line: network part up to the first ";", then identifiers separated by ",".
    bool get_network = true;
    std::string mac_device;
    for (std::size_t i = start; i < p_answer.size(); ++i) {
        const char c = p_answer[i];
        if (c == '\r') {
            if (!mac_device.empty()) {
                p_identifiers.push_back(mac_device);
            }
            mac_device.clear();
            get_network = true;
        } else if (c == '\n') {
            continue;
        } else if (get_network) {
            get_network = c != ';';
        } else if (c == ',') {
            // Pushed even when empty (",,"), as listings have always been read.
            p_identifiers.push_back(mac_device);
            mac_device.clear();
        } else {
            mac_device.push_back(c);
        }
    }
    return SUCCESS;
}

Status parse_information(const std::string& p_answer, net_device_info_t& p_info) {
    std::size_t pos = fields_of(p_answer, zel_info_ext_word);
    if (pos == std::string::npos) {
        return FAIL;
    }
    std::string fields[G_info_ext_field_count];
    std::size_t after_alias = pos;
    for (std::size_t k = 0; k < G_info_ext_field_count; ++k) {
        if (!next_field(p_answer, ";", pos, fields[k])) {
            return FAIL;
        }
        after_alias = k == 1 ? pos : after_alias;
    }
    // mac;alias;hcf;mac_prog;mir;pir;fir;input_n;output_n;core_n;ext_core
    int numbers[G_info_ext_field_count] = {};
    for (std::size_t k = 2; k < G_info_ext_field_count; ++k) {
        if (!read_int_like_stoi(fields[k], numbers[k])) {
            return FAIL;
        }
    }
    // A lone CR or LF may be part of a field; the line ends at CR LF.
    const std::size_t line_end = p_answer.find("\r\n", after_alias);
    p_info = net_device_info_t{
        fields[0],
        fields[1],
        numbers[4],
        numbers[5],
        numbers[6],
        p_answer.substr(after_alias, line_end == std::string::npos ? std::string::npos
                                                                   : line_end - after_alias)};
    return SUCCESS;
}

Status parse_memory_answer(const std::string& p_answer, std::string& p_mac, uint8_t& p_slot,
                           uint8_t& p_page, uint8_t& p_offset, std::vector<int>& p_values) {
    std::size_t pos = fields_of(p_answer, zel_tbox_mem_word);
    if (pos == std::string::npos || !next_field(p_answer, ";", pos, p_mac)) {
        return FAIL;
    }
    uint8_t* const outputs[3] = {&p_slot, &p_page, &p_offset};
    const char* const delimiters[3] = {",", ",", ";"};
    std::string field;
    for (int k = 0; k < 3; ++k) {
        if (!next_field(p_answer, delimiters[k], pos, field)) {
            return FAIL;
        }
        *outputs[k] = read_low_byte_like_atoi(field);
    }
    return read_value_list(p_answer, pos, p_values) ? SUCCESS : FAIL;
}

uint8_t memory_value_byte(int p_value) {
    return static_cast<uint8_t>(p_value == value_list_empty ? 0 : p_value);
}

Status parse_location_byte(const std::string& p_answer, std::string& p_mac, int& p_byte,
                           std::size_t& p_count) {
    uint8_t slot = 0, page = 0, offset = 0;
    std::vector<int> values;
    const Status parsed = parse_memory_answer(p_answer, p_mac, slot, page, offset, values);
    p_count = values.size();
    if (parsed == FAIL || values.size() != 1) {
        return FAIL;
    }
    p_byte = memory_value_byte(values[0]);
    return SUCCESS;
}
