#include "zel_service_cmd/zel_service_cmd.h"

#include <cstring>

#include "write_brimel_label/write_brimel_label.h"

namespace {

std::string memory_location(uint8_t p_slot, uint32_t p_page, uint32_t p_offset) {
    return std::to_string(p_slot) + "," + std::to_string(p_page) + "," + std::to_string(p_offset);
}

std::string memory_command(const std::string& p_mac_adress, const char* p_mode, uint8_t p_slot,
                           uint32_t p_page, uint32_t p_offset) {
    return std::string(zel_tbox_mem_word) + " " + p_mac_adress + p_mode +
           memory_location(p_slot, p_page, p_offset);
}

zel_echo_rule_t echo_of(zel_echo_t p_echo, const std::string& p_mac_adress, uint8_t p_slot = 0,
                        uint32_t p_page = 0, uint32_t p_offset = 0) {
    zel_echo_rule_t echo;
    echo.m_echo = p_echo;
    echo.m_device = p_mac_adress;
    echo.m_slot = p_slot;
    echo.m_page = p_page;
    echo.m_offset = p_offset;
    return echo;
}

// Sends one command and collects its answer, which must echo what p_echo says; false when
// the link could not be opened or the exchange failed.
bool collect_answer(const std::string& p_command, zel_req_id_t p_req_id, time_t p_ms_timeout,
                    const zel_echo_rule_t& p_echo, std::string& p_answer) {
    zel_config_env& env = zel_config_env::instance();
    socket_handle& link = env.zel_service;
    if (!link.checkinit_ZELService_connection()) {
        return false;
    }
    answer_rule_t rule;
    rule.m_first_line_completes = p_req_id != ZEL_LIST_DEV;
    rule.m_limit_ms = p_req_id == ZEL_LIST_DEV ? zel_listing_limit_ms : 0;
    rule.m_echo = p_echo;
    rule.m_echo.m_network = &env.network_keys();
    std::string command_word;
    return link.ZEL_cmd_WR(p_command, p_answer, command_word, p_ms_timeout, rule);
}

// Sends one command and judges its answer, which must echo what p_echo says.
Status exchange_command(const std::string& p_command, zel_req_id_t p_req_id, time_t p_ms_timeout,
                        const zel_echo_rule_t& p_echo) {
    std::string answer;
    if (!collect_answer(p_command, p_req_id, p_ms_timeout, p_echo, answer)) {
        return FAIL;
    }
    return handle_zel_response(answer, p_req_id);
}

std::string read_command(const std::string& p_mac_adress, uint8_t p_slot, uint32_t p_page,
                         uint32_t p_offset, uint32_t p_nb_read) {
    return memory_command(p_mac_adress, zel_memory_read_mode, p_slot, p_page, p_offset) + "," +
           std::to_string(p_nb_read);
}

// True when every value of a parsed memory-read answer, after its last ";", is at most 255:
// the parser keeps the low 8 bits of a larger one, which would then pass for a byte.
bool values_are_bytes(const std::string& p_answer) {
    unsigned value = 0;
    for (std::size_t pos = p_answer.rfind(';') + 1; pos < p_answer.size(); ++pos) {
        const char c = p_answer[pos];
        if (c < '0' || c > '9') {
            value = 0;
            continue;
        }
        value = value * 10u + static_cast<unsigned>(c - '0');
        if (value > UINT8_MAX) {
            return false;
        }
    }
    return true;
}

// Set once by a program that must never write device memory.
bool G_memory_writes_refused = false;

}  // namespace

Status sent_zel_comand(std::string p_zel_command_arg, zel_req_id_t p_req_id, time_t p_ms_timeout) {
    return exchange_command(p_zel_command_arg, p_req_id, p_ms_timeout, zel_echo_rule_t());
}

Status handle_zel_response(std::string p_zel_response, zel_req_id_t p_req_id) {
    if (zel_has_failed_word(p_zel_response) || is_empty_message(p_zel_response)) {
        printf_error_message(
            color_text("Get response:" + service_text_in_errors(p_zel_response), RED));
        return FAIL;
    }
    // A parser's own failure shows only in the registry fields it leaves unset.
    zel_config_env::instance().parse_response(p_zel_response, p_req_id);
    return SUCCESS;
}

bool is_empty_message(const std::string& p_zel_response) {
    for (char c : p_zel_response) {
        if (c != '\0' && c != '\t' && c != '\n' && c != '\r' && c != ' ') {
            return false;
        }
    }
    return true;
}

Status req_device_discover() {
    return sent_zel_comand(zel_list_dev_word, ZEL_LIST_DEV, zel_list_timeout_ms);
}

// The information answer and the memory-read answer echo what they answer: the device,
// and for a read the location; a write acknowledgement names the device, if any.
Status req_get_info_ext(std::string p_mac_adress) {
    return exchange_command(std::string(zel_info_ext_word) + " " + p_mac_adress, ZEL_INFO_EXT,
                            zel_cmd_timeout_ms, echo_of(ZEL_ECHO_DEVICE, p_mac_adress));
}

Status read_zel_comand(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page, uint32_t p_offset,
                       uint32_t p_nb_read, zel_req_id_t p_req_id) {
    return exchange_command(read_command(p_mac_adress, p_slot, p_page, p_offset, p_nb_read),
                            p_req_id, zel_cmd_timeout_ms,
                            echo_of(ZEL_ECHO_LOCATION, p_mac_adress, p_slot, p_page, p_offset));
}

Status read_name_field(const std::string& p_mac_adress, uint32_t p_page, std::string& p_name,
                       bool p_whole_field) {
    p_name.clear();
    std::string answer;
    // The link takes only an answer line that echoes this device and location.
    if (!collect_answer(
            read_command(p_mac_adress, zel_label_slot, p_page, 0, zel_name_field_length), ZEL_READ,
            zel_cmd_timeout_ms, echo_of(ZEL_ECHO_LOCATION, p_mac_adress, zel_label_slot, p_page, 0),
            answer)) {
        return FAIL;
    }
    std::string mac;
    uint8_t slot = 0, page = 0, offset = 0;
    std::vector<uint8_t> values;
    if (zel_config_env::instance().parse_read_mem(answer, mac, slot, page, offset, values) ==
            FAIL ||
        values.size() != zel_name_field_length || !values_are_bytes(answer)) {
        return FAIL;
    }
    // The text ends at its first zero byte; a whole field keeps what follows it too, up to
    // its last byte that is not zero.
    std::size_t end = 0;
    while (end < values.size() && (values[end] != 0 || p_whole_field)) {
        ++end;
    }
    while (p_whole_field && end > 0 && values[end - 1] == 0) {
        --end;
    }
    p_name.assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(end));
    return SUCCESS;
}

void refuse_memory_writes() {
    G_memory_writes_refused = true;
}

Status write_zel_comand(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page,
                        uint32_t p_offset, std::string p_str_name) {
    if (G_memory_writes_refused) {
        return FAIL;
    }
    return exchange_command(
        memory_command(p_mac_adress, zel_memory_write_mode, p_slot, p_page, p_offset) + ";" +
            name_data_list(p_str_name),
        ZEL_WRITE, zel_cmd_timeout_ms, echo_of(ZEL_ECHO_DEVICE_IF_NAMED, p_mac_adress));
}

Status write_clear_name_page(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page) {
    if (G_memory_writes_refused) {
        return FAIL;
    }
    std::string zeros;
    for (std::size_t k = 0; k + 1 < zel_name_field_length; ++k) {
        zeros += "0,";
    }
    zeros += "0";
    return exchange_command(
        memory_command(p_mac_adress, zel_memory_write_mode, p_slot, p_page, 0) + ";" + zeros,
        ZEL_WRITE, zel_cmd_timeout_ms, echo_of(ZEL_ECHO_DEVICE_IF_NAMED, p_mac_adress));
}

std::string name_data_list(const std::string& p_str_name) {
    const std::size_t length = strnlen(p_str_name.c_str(), zel_name_field_length);
    std::string list;
    for (std::size_t k = 0; k < length; ++k) {
        list += std::to_string(static_cast<int>(static_cast<signed char>(p_str_name[k]))) + ",";
    }
    // A full 32-byte name has no ending zero: its list ends with ",".
    if (length < zel_name_field_length) {
        list += "0";
    }
    return list;
}
