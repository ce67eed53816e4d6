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

// Sends one command and judges its answer, which must echo what p_echo says.
Status exchange_command(const std::string& p_command, zel_req_id_t p_req_id, time_t p_ms_timeout,
                        const zel_echo_rule_t& p_echo) {
    socket_handle& link = zel_config_env::instance().zel_service;
    if (!link.checkinit_ZELService_connection()) {
        return FAIL;
    }
    answer_rule_t rule;
    rule.m_first_line_completes = p_req_id != ZEL_LIST_DEV;
    rule.m_echo = p_echo;
    std::string answer;
    std::string command_word;
    if (!link.ZEL_cmd_WR(p_command, answer, command_word, p_ms_timeout, rule)) {
        return FAIL;
    }
    return handle_zel_response(answer, p_req_id);
}

}  // namespace

Status sent_zel_comand(std::string p_zel_command_arg, zel_req_id_t p_req_id, time_t p_ms_timeout) {
    return exchange_command(p_zel_command_arg, p_req_id, p_ms_timeout, zel_echo_rule_t());
}

Status handle_zel_response(std::string p_zel_response, zel_req_id_t p_req_id) {
    if (zel_has_failed_field(p_zel_response) || is_empty_message(p_zel_response)) {
        printf_error_message(color_text("Get response:" + p_zel_response, RED));
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
    return exchange_command(
        memory_command(p_mac_adress, zel_memory_read_mode, p_slot, p_page, p_offset) + "," +
            std::to_string(p_nb_read),
        p_req_id, zel_cmd_timeout_ms,
        echo_of(ZEL_ECHO_LOCATION, p_mac_adress, p_slot, p_page, p_offset));
}

Status write_zel_comand(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page,
                        uint32_t p_offset, std::string p_str_name) {
    return exchange_command(
        memory_command(p_mac_adress, zel_memory_write_mode, p_slot, p_page, p_offset) + ";" +
            name_data_list(p_str_name),
        ZEL_WRITE, zel_cmd_timeout_ms, echo_of(ZEL_ECHO_DEVICE_IF_NAMED, p_mac_adress));
}

Status write_clear_name_page(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page) {
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
