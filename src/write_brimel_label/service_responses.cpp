#include "write_brimel_label/write_brimel_label.h"

#include "basic_type/zel_protocol.h"
#include "file_parser/file_parser.h"

namespace {

const std::size_t G_info_ext_field_count = 11;

// Reads a number as C's atoi does (blanks, a sign, digits up to the first other
// character; nothing gives 0), keeping its low 8 bits. Never overflows.
uint8_t lenient_low_byte(const std::string& p_text) {
    std::size_t i = 0;
    while (i < p_text.size() && (p_text[i] == ' ' || (p_text[i] >= '\t' && p_text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < p_text.size() && (p_text[i] == '-' || p_text[i] == '+')) {
        negative = p_text[i] == '-';
        ++i;
    }
    unsigned value = 0;
    for (; i < p_text.size() && p_text[i] >= '0' && p_text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<unsigned>(p_text[i] - '0');
    }
    return static_cast<uint8_t>(negative ? 0u - value : value);
}

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

}  // namespace

Status zel_config_env::parse_response(std::string p_zel_response, zel_req_id_t p_req_id) {
    if (zel_has_failed_word(p_zel_response)) {
        return FAIL;
    }
    std::string mac;
    uint8_t slot, page, offset;
    std::vector<uint8_t> values;
    switch (p_req_id) {
        case ZEL_WRITE:
            return SUCCESS;
        case ZEL_READ:
            return parse_read_mem(p_zel_response, mac, slot, page, offset, values);
        case ZEL_INFO_EXT:
            return parse_info_ext(p_zel_response);
        case ZEL_LIST_NET:
            return parse_list_net(p_zel_response);
        case ZEL_LIST_DEV:
            return parse_list_dev(p_zel_response);
        case ZEL_READ_CSPR_PAGE_IDX:
            return parse_read_cspr_idx(p_zel_response);
        case ZEL_READ_DEVICE_PRESET_START_OFFSET:
            return parse_device_preset_offset(p_zel_response);
    }
    return FAIL;
}

Status zel_config_env::parse_list_dev(std::string p_answer) {
    const std::string head = zel_answer_head(zel_list_dev_word);
    const std::size_t found = p_answer.find(head);
    if (found == std::string::npos || zel_has_failed_word(p_answer)) {
        return FAIL;
    }
    const std::size_t network_end = p_answer.find_first_of(";\r\n", found + head.size());
    if (found_network_name.empty() && network_end != std::string::npos &&
        p_answer[network_end] == ';') {
        found_network_name =
            p_answer.substr(found + head.size(), network_end - found - head.size());
    }
    // Each line: network part up to the first ";", then identifiers separated by ",".
    bool get_network = true;
    std::string mac_device;
    for (std::size_t i = found + head.size(); i < p_answer.size(); ++i) {
        const char c = p_answer[i];
        if (c == '\r') {
            if (!mac_device.empty()) {
                add_listed_device(mac_device);
            }
            mac_device.clear();
            get_network = true;
        } else if (c == '\n') {
            continue;
        } else if (get_network) {
            get_network = c != ';';
        } else if (c == ',') {
            // Pushed even when empty (",,"), as listings have always been read.
            add_listed_device(mac_device);
            mac_device.clear();
        } else {
            mac_device.push_back(c);
        }
    }
    return SUCCESS;
}

void zel_config_env::add_listed_device(const std::string& p_identifier) {
    found_net_device.push_back(p_identifier);
    m_network_keys.insert(zel_device_key(p_identifier));
}

Status zel_config_env::parse_list_net(std::string) {
    return SUCCESS;
}

Status zel_config_env::parse_info_ext(std::string p_answer) {
    const std::string head = zel_answer_head(zel_info_ext_word);
    const std::size_t found = p_answer.find(head);
    if (found == std::string::npos || zel_has_failed_word(p_answer)) {
        return FAIL;
    }
    std::string fields[G_info_ext_field_count];
    std::size_t pos = found + head.size();
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
        if (!zel_read_int(fields[k], numbers[k])) {
            return FAIL;
        }
    }
    const std::size_t line_end = p_answer.find_first_of("\r\n", after_alias);
    m_network_keys.insert(zel_device_key(fields[0]));
    reported_devices.push_back(net_device_info_t{
        fields[0], fields[1], numbers[4], numbers[5], numbers[6],
        p_answer.substr(after_alias, line_end == std::string::npos ? std::string::npos
                                                                   : line_end - after_alias)});
    brimel_config_rm6x_device* device = find_device_by_name(fields[1]);
    if (device != nullptr) {
        device->set_zel_device_mac_adr(fields[0]);
        device->m_mir = numbers[4];
        device->m_pir = numbers[5];
        device->m_fir = numbers[6];
    }
    return SUCCESS;
}

Status zel_config_env::parse_read_mem(std::string p_answer, std::string& p_ret_mac_adr,
                                      uint8_t& p_ret_slot, uint8_t& p_ret_page,
                                      uint8_t& p_ret_offset, std::vector<uint8_t>& p_ret_vec) {
    const std::string head = zel_answer_head(zel_tbox_mem_word);
    const std::size_t found = p_answer.find(head);
    if (found == std::string::npos || zel_has_failed_word(p_answer)) {
        return FAIL;
    }
    std::size_t pos = found + head.size();
    std::string field;
    if (!next_field(p_answer, ";", pos, p_ret_mac_adr)) {
        return FAIL;
    }
    uint8_t* const outputs[3] = {&p_ret_slot, &p_ret_page, &p_ret_offset};
    const char* const delimiters[3] = {",", ",", ";"};
    for (int k = 0; k < 3; ++k) {
        if (!next_field(p_answer, delimiters[k], pos, field)) {
            return FAIL;
        }
        *outputs[k] = lenient_low_byte(field);
    }
    // Values up to the "\r" of the line, the answer's last character never read.
    Status result = SUCCESS;
    unsigned number = 0;
    for (; pos + 1 < p_answer.size(); ++pos) {
        const char c = p_answer[pos];
        if (c >= '0' && c <= '9') {
            number = number * 10u + static_cast<unsigned>(c - '0');
        } else if (c == ',' || c == '\r') {
            p_ret_vec.push_back(static_cast<uint8_t>(number));
            number = 0;
            if (c == '\r') {
                break;
            }
        } else {
            result = FAIL;
        }
    }
    return result;
}

Status zel_config_env::parse_read_cspr_idx(std::string p_answer) {
    const bool headed = p_answer.find(zel_answer_head(zel_tbox_mem_word)) != std::string::npos &&
                        !zel_has_failed_word(p_answer);
    if (!headed) {
        // A terse uncoloured "ntm" line before the red message, as the tool has always said.
        printf_str("ntm\r\n");
    }
    if (headed &&
        read_location_byte(p_answer, &brimel_config_rm6x_device::m_cspr_page, true) == SUCCESS) {
        return SUCCESS;
    }
    printf_error_message("READ_CSPR_IDX_FAILED\r\n");
    return FAIL;
}

Status zel_config_env::parse_device_preset_offset(std::string p_answer) {
    if (read_location_byte(p_answer, &brimel_config_rm6x_device::m_device_start_from_CSPR_offset,
                           false) == SUCCESS) {
        return SUCCESS;
    }
    printf_error_message("read device_preset_offset failed\r\n");
    return FAIL;
}

Status zel_config_env::read_location_byte(const std::string& p_answer,
                                          int brimel_config_rm6x_device::*p_field,
                                          bool p_report_size) {
    std::string mac;
    uint8_t slot = 0, page = 0, offset = 0;
    std::vector<uint8_t> values;
    Status result = parse_read_mem(p_answer, mac, slot, page, offset, values);
    if (values.size() != 1) {
        if (p_report_size) {
            printf_str("incorrect size" + std::to_string(values.size()) + "\r\n");
        }
        result = FAIL;
    }
    // A location byte is kept only from an answer that parsed cleanly.
    brimel_config_rm6x_device* device = find_device_by_mac(mac);
    if (result == SUCCESS && device != nullptr) {
        device->*p_field = values[0];
    }
    return result;
}

brimel_config_rm6x_device* zel_config_env::find_device_by_mac(const std::string& p_mac_adress) {
    // A device not found on the network has no address: an empty one names no device.
    if (p_mac_adress.empty()) {
        return nullptr;
    }
    // The same comparison as the link's: the device whose answer the link took is found.
    for (brimel_config_rm6x_device& device : device_list) {
        if (!device.m_zel_device_mac_adr.empty() &&
            zel_same_device(device.m_zel_device_mac_adr, p_mac_adress)) {
            return &device;
        }
    }
    return nullptr;
}
