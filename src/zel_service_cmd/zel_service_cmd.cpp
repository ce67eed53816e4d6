#include "zel_service_cmd/zel_service_cmd.h"

#include "basic_type/command_line.h"
#include "basic_type/label_area.h"
#include "basic_type/service_address.h"
#include "device_registry/device_registry.h"

namespace {

// A byte as a write carries it: its value as a signed 8-bit number ("-23" for 0xE9).
std::string signed_decimal(char p_byte) {
    return std::to_string(static_cast<int>(static_cast<signed char>(p_byte)));
}

std::string memory_location(uint8_t p_slot, uint32_t p_page, uint32_t p_offset) {
    return std::to_string(p_slot) + "," + std::to_string(p_page) + "," + std::to_string(p_offset);
}

std::string memory_command(const std::string& p_mac_adress, const char* p_mode, uint8_t p_slot,
                           uint32_t p_page, uint32_t p_offset) {
    return std::string(zel_tbox_mem_word) + " " + p_mac_adress + p_mode +
           memory_location(p_slot, p_page, p_offset);
}

std::string read_command(const std::string& p_mac_adress, uint8_t p_slot, uint32_t p_page,
                         uint32_t p_offset, uint32_t p_nb_read) {
    return memory_command(p_mac_adress, zel_memory_read_mode, p_slot, p_page, p_offset) + "," +
           std::to_string(p_nb_read);
}

// What an answer of this request must echo: the device it names, and for a memory read the
// location; late answers are told by the identifiers of p_network.
zel_echo_rule_t echo_of(zel_req_id_t p_req_id, const std::string& p_mac_adress,
                        const zel_network_keys_t& p_network, uint8_t p_slot = 0,
                        uint32_t p_page = 0, uint32_t p_offset = 0) {
    zel_echo_rule_t echo;
    echo.m_echo = zel_request(p_req_id).m_echo;
    echo.m_device = p_mac_adress;
    echo.m_slot = p_slot;
    echo.m_page = p_page;
    echo.m_offset = p_offset;
    echo.m_network = &p_network;
    return echo;
}

socket_handle& registry_link() {
    return zel_config_env::instance().zel_service;
}

// Sends one command on p_link and collects its answer as its request's row says, within
// p_ms_timeout: how it ended.
command_end_t collect_answer(socket_handle& p_link, const std::string& p_command,
                             zel_req_id_t p_req_id, time_t p_ms_timeout,
                             const zel_echo_rule_t& p_echo, std::string& p_answer) {
    if (!p_link.checkinit_ZELService_connection()) {
        return p_link.last_end();
    }
    const zel_request_t& request = zel_request(p_req_id);
    answer_rule_t rule;
    rule.m_first_line_completes = request.m_first_line_completes;
    rule.m_limit_ms = request.m_limit_ms;
    rule.m_echo = p_echo;
    std::string command_word;
    p_link.ZEL_cmd_WR(p_command, p_answer, command_word, p_ms_timeout, rule);
    return p_link.last_end();
}

// Sends one command of the registry's run and judges its answer.
Status exchange_command(const std::string& p_command, zel_req_id_t p_req_id, time_t p_ms_timeout,
                        const zel_echo_rule_t& p_echo) {
    std::string answer;
    if (collect_answer(registry_link(), p_command, p_req_id, p_ms_timeout, p_echo, answer) !=
        COMMAND_ANSWERED) {
        return FAIL;
    }
    return handle_zel_response(answer, p_req_id);
}

const zel_network_keys_t& registry_network() {
    return zel_config_env::instance().network_keys();
}

// Set once by a program that must never write device memory.
bool G_memory_writes_refused = false;

}  // namespace

Status sent_zel_comand(std::string p_zel_command_arg, zel_req_id_t p_req_id, time_t p_ms_timeout) {
    // The echo of what the command names is checked by the commands below; a bare line can
    // only be judged as a listing line is.
    zel_echo_rule_t any_line;
    any_line.m_network = &registry_network();
    return exchange_command(p_zel_command_arg, p_req_id, p_ms_timeout, any_line);
}

Status handle_zel_response(std::string p_zel_response, zel_req_id_t p_req_id) {
    if (zel_has_failed_word(p_zel_response) || is_empty_message(p_zel_response)) {
        // color_text's markers are empty: the head and the answer are one red text.
        printf_error_message(color_text("Get response:", RED) + service_text(p_zel_response));
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
    return sent_zel_comand(zel_list_dev_word, ZEL_LIST_DEV, zel_request(ZEL_LIST_DEV).m_timeout_ms);
}

Status req_get_info_ext(std::string p_mac_adress) {
    return exchange_command(std::string(zel_info_ext_word) + " " + p_mac_adress, ZEL_INFO_EXT,
                            zel_request(ZEL_INFO_EXT).m_timeout_ms,
                            echo_of(ZEL_INFO_EXT, p_mac_adress, registry_network()));
}

Status read_zel_comand(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page, uint32_t p_offset,
                       uint32_t p_nb_read, zel_req_id_t p_req_id) {
    return exchange_command(
        read_command(p_mac_adress, p_slot, p_page, p_offset, p_nb_read), p_req_id,
        zel_request(p_req_id).m_timeout_ms,
        echo_of(p_req_id, p_mac_adress, registry_network(), p_slot, p_page, p_offset));
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
        ZEL_WRITE, zel_request(ZEL_WRITE).m_timeout_ms,
        echo_of(ZEL_WRITE, p_mac_adress, registry_network()));
}

Status write_clear_name_page(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page) {
    if (G_memory_writes_refused) {
        return FAIL;
    }
    std::string zeros;
    for (std::size_t k = 0; k + 1 < label_name_field_length; ++k) {
        zeros += "0,";
    }
    zeros += "0";
    return exchange_command(
        memory_command(p_mac_adress, zel_memory_write_mode, p_slot, p_page, 0) + ";" + zeros,
        ZEL_WRITE, zel_request(ZEL_WRITE).m_timeout_ms,
        echo_of(ZEL_WRITE, p_mac_adress, registry_network()));
}

std::string name_data_list(const std::string& p_str_name) {
    const std::string bytes = name_field_bytes(p_str_name);
    std::string list;
    for (const char byte : bytes) {
        // Each byte of the name is followed by ","; its ending zero, if any, is not.
        list += signed_decimal(byte) + (byte != '\0' ? "," : "");
    }
    return list;
}

bool use_chosen_service_port(const std::string& p_program, const std::string* p_option,
                             socket_handle& p_link, bool p_json) {
    service_port_t port;
    console_message_t refusal;
    if (!choose_service_port(p_option, port, refusal)) {
        tell_usage_error(p_program + ": " + refusal + "\r\n", p_json);
        return false;
    }
    const std::string notice = service_port_notice(port);
    if (!notice.empty()) {
        printf_note(notice + "\r\n");
    }
    p_link.set_service_port(port.m_port);
    return true;
}

bool service_never_reached(const socket_handle& p_link, std::string& p_why) {
    if (p_link.ever_reached() || p_link.open_failure().empty()) {
        return false;
    }
    p_why = p_link.open_failure();
    return true;
}

command_end_t list_network(socket_handle& p_link, std::string& p_network_name,
                           std::vector<std::string>& p_identifiers, std::string& p_refusal) {
    const zel_network_keys_t none;
    zel_echo_rule_t any_line;
    any_line.m_network = &none;
    std::string answer;
    const command_end_t end =
        collect_answer(p_link, zel_list_dev_word, ZEL_LIST_DEV,
                       zel_request(ZEL_LIST_DEV).m_timeout_ms, any_line, answer);
    if (end == COMMAND_REFUSED) {
        p_refusal = answer;  // the refusal's line
    }
    if (end != COMMAND_ANSWERED) {
        return end;
    }
    return parse_listing(answer, p_network_name, p_identifiers) == SUCCESS ? COMMAND_ANSWERED
                                                                           : COMMAND_UNREADABLE;
}

command_end_t ask_information(socket_handle& p_link, const std::string& p_mac_adress,
                              const zel_network_keys_t& p_network, net_device_info_t& p_info) {
    std::string answer;
    const command_end_t end =
        collect_answer(p_link, std::string(zel_info_ext_word) + " " + p_mac_adress, ZEL_INFO_EXT,
                       zel_request(ZEL_INFO_EXT).m_timeout_ms,
                       echo_of(ZEL_INFO_EXT, p_mac_adress, p_network), answer);
    if (end != COMMAND_ANSWERED) {
        return end;
    }
    return parse_information(answer, p_info) == SUCCESS ? COMMAND_ANSWERED : COMMAND_UNREADABLE;
}

namespace {

// Reads p_count values at p_page, p_offset of the label slot: the answer, echoing the device
// and location, in p_answer.
command_end_t read_memory_answer(socket_handle& p_link, const std::string& p_mac_adress,
                                 const zel_network_keys_t& p_network, uint32_t p_page,
                                 uint32_t p_offset, uint32_t p_count, std::string& p_answer) {
    // The link takes only an answer line that echoes this device and location.
    return collect_answer(p_link, read_command(p_mac_adress, label_slot, p_page, p_offset, p_count),
                          ZEL_READ, zel_request(ZEL_READ).m_timeout_ms,
                          echo_of(ZEL_READ, p_mac_adress, p_network, label_slot, p_page, p_offset),
                          p_answer);
}

}  // namespace

command_end_t read_memory_bytes(socket_handle& p_link, const std::string& p_mac_adress,
                                const zel_network_keys_t& p_network, uint32_t p_page,
                                uint32_t p_offset, uint32_t p_count,
                                std::vector<uint8_t>& p_bytes) {
    p_bytes.clear();
    std::string answer;
    const command_end_t end =
        read_memory_answer(p_link, p_mac_adress, p_network, p_page, p_offset, p_count, answer);
    if (end != COMMAND_ANSWERED) {
        return end;
    }
    std::string mac;
    uint8_t slot = 0, page = 0, offset = 0;
    std::vector<int> values;
    if (parse_memory_answer(answer, mac, slot, page, offset, values) == FAIL ||
        values.size() != p_count) {
        return COMMAND_UNREADABLE;
    }
    for (const int value : values) {
        // A byte of a name field over 255 must not pass as its low 8 bits.
        if (value < 0 || value > UINT8_MAX) {
            p_bytes.clear();
            return COMMAND_UNREADABLE;
        }
        p_bytes.push_back(static_cast<uint8_t>(value));
    }
    return COMMAND_ANSWERED;
}

command_end_t read_location_byte(socket_handle& p_link, const std::string& p_mac_adress,
                                 const zel_network_keys_t& p_network, uint32_t p_page,
                                 uint32_t p_offset, int& p_byte) {
    std::string answer;
    const command_end_t end =
        read_memory_answer(p_link, p_mac_adress, p_network, p_page, p_offset, 1, answer);
    if (end != COMMAND_ANSWERED) {
        return end;
    }
    std::string mac;
    std::size_t count = 0;
    return parse_location_byte(answer, mac, p_byte, count) == SUCCESS ? COMMAND_ANSWERED
                                                                      : COMMAND_UNREADABLE;
}

command_end_t write_memory_bytes(socket_handle& p_link, const std::string& p_mac_adress,
                                 const zel_network_keys_t& p_network, uint32_t p_page,
                                 uint32_t p_offset, const std::string& p_bytes) {
    if (G_memory_writes_refused) {
        return COMMAND_NOT_SENT;
    }
    std::string data;
    for (const char byte : p_bytes) {
        data += (data.empty() ? "" : ",") + signed_decimal(byte);
    }
    std::string answer;
    return collect_answer(
        p_link,
        memory_command(p_mac_adress, zel_memory_write_mode, label_slot, p_page, p_offset) + ";" +
            data,
        ZEL_WRITE, zel_request(ZEL_WRITE).m_timeout_ms, echo_of(ZEL_WRITE, p_mac_adress, p_network),
        answer);
}
