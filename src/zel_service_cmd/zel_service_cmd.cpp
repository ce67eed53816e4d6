#include "zel_service_cmd/zel_service_cmd.h"

#include <cstring>

#include "write_brimel_label/write_brimel_label.h"

namespace {

const std::size_t G_name_field_length = 32;

std::string memory_location(uint8_t p_slot, uint32_t p_page, uint32_t p_offset) {
    return std::to_string(p_slot) + "," + std::to_string(p_page) + "," + std::to_string(p_offset);
}

std::string memory_command(const std::string& p_mac_adress, const char* p_mode, uint8_t p_slot,
                           uint32_t p_page, uint32_t p_offset) {
    return "TBOX_MEM " + p_mac_adress + p_mode + memory_location(p_slot, p_page, p_offset);
}

// Sends one command and judges its answer; p_answer_head, when not empty, is the identity
// the answer must echo.
Status exchange_command(const std::string& p_command, zel_req_id_t p_req_id, time_t p_ms_timeout,
                        const std::string& p_answer_head) {
    socket_handle& link = zel_config_env::instance().zel_service;
    if (!link.checkinit_ZELService_connection()) {
        return FAIL;
    }
    answer_rule_t rule;
    rule.m_first_line_completes = p_req_id != ZEL_LIST_DEV;
    rule.m_head = p_answer_head;
    std::string answer;
    std::string command_word;
    if (!link.ZEL_cmd_WR(p_command, answer, command_word, p_ms_timeout, rule)) {
        return FAIL;
    }
    return handle_zel_response(answer, p_req_id);
}

}  // namespace

Status sent_zel_comand(std::string p_zel_command_arg, zel_req_id_t p_req_id, time_t p_ms_timeout) {
    return exchange_command(p_zel_command_arg, p_req_id, p_ms_timeout, std::string());
}

Status handle_zel_response(std::string p_zel_response, zel_req_id_t p_req_id) {
    if (p_zel_response.find("=FAILED") != std::string::npos || is_empty_message(p_zel_response)) {
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
    return sent_zel_comand("LIST_DEV", ZEL_LIST_DEV, zel_list_timeout_ms);
}

// The information answer and the memory-read answer echo what they answer: the device,
// and for a read the location.
Status req_get_info_ext(std::string p_mac_adress) {
    return exchange_command("INFO_EXT " + p_mac_adress, ZEL_INFO_EXT, zel_cmd_timeout_ms,
                            "INFO_EXT=" + p_mac_adress + ";");
}

Status read_zel_comand(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page, uint32_t p_offset,
                       uint32_t p_nb_read, zel_req_id_t p_req_id) {
    return exchange_command(
        memory_command(p_mac_adress, ";R;", p_slot, p_page, p_offset) + "," +
            std::to_string(p_nb_read),
        p_req_id, zel_cmd_timeout_ms,
        "TBOX_MEM=" + p_mac_adress + ";" + memory_location(p_slot, p_page, p_offset) + ";");
}

Status write_zel_comand(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page,
                        uint32_t p_offset, std::string p_str_name) {
    return sent_zel_comand(memory_command(p_mac_adress, ";W;", p_slot, p_page, p_offset) + ";" +
                               name_data_list(p_str_name),
                           ZEL_WRITE, zel_cmd_timeout_ms);
}

Status write_clear_name_page(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page) {
    std::string zeros;
    for (std::size_t k = 0; k + 1 < G_name_field_length; ++k) {
        zeros += "0,";
    }
    zeros += "0";
    return sent_zel_comand(memory_command(p_mac_adress, ";W;", p_slot, p_page, 0) + ";" + zeros,
                           ZEL_WRITE, zel_cmd_timeout_ms);
}

std::string name_data_list(const std::string& p_str_name) {
    const std::size_t length = strnlen(p_str_name.c_str(), G_name_field_length);
    std::string list;
    for (std::size_t k = 0; k < length; ++k) {
        list += std::to_string(static_cast<int>(static_cast<signed char>(p_str_name[k]))) + ",";
    }
    if (length < G_name_field_length) {
        list += "0";
    }
    return list;
}
