// The text commands spoken with the device-management service: device listing, device
// information, and reads and writes of device memory. Each forms its command line, sends
// it through the registry's service link, judges the answer and hands an accepted answer
// to its parser, which fills the registry.
#ifndef SRC_ZEL_SERVICE_CMD_ZEL_SERVICE_CMD_H_
#define SRC_ZEL_SERVICE_CMD_ZEL_SERVICE_CMD_H_

#include <cstdint>
#include <ctime>
#include <string>

#include "basic_type/basic_type.h"
#include "basic_type/zel_protocol.h"

// SUCCESS when the service answered the command with at least one line of it and without
// "FAILED"; what the parser found is seen in the registry.
Status sent_zel_comand(std::string p_zel_command_arg, zel_req_id_t p_req_id, time_t p_ms_timeout);
Status handle_zel_response(std::string p_zel_response, zel_req_id_t p_req_id);

// True when the text holds nothing but zero bytes, TAB, LF, CR and spaces.
bool is_empty_message(const std::string& p_zel_response);

Status req_device_discover();
Status req_get_info_ext(std::string p_mac_adress);
Status read_zel_comand(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page, uint32_t p_offset,
                       uint32_t p_nb_read, zel_req_id_t p_req_id);
// Reads the name field of a page of the label area: 32 bytes at offset 0 of slot
// zel_label_slot. SUCCESS, with p_name holding the bytes up to the first zero (with
// p_whole_field, up to the last byte that is not zero), when the answer echoes the device and
// location and holds exactly 32 values, each 0 to 255; FAIL otherwise, p_name then empty.
Status read_name_field(const std::string& p_mac_adress, uint32_t p_page, std::string& p_name,
                       bool p_whole_field = false);

// From this call on, every memory write of the process fails before its command line is
// formed: a program that only reads makes it first, so that no write leaves it whatever
// its code does.
void refuse_memory_writes();

Status write_zel_comand(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page,
                        uint32_t p_offset, std::string p_str_name);
Status write_clear_name_page(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page);

// The data list of a name write: its bytes up to the first zero, at most 32, as signed
// decimals each followed by ","; a "0" ends a name shorter than 32 bytes.
std::string name_data_list(const std::string& p_str_name);

#endif  // SRC_ZEL_SERVICE_CMD_ZEL_SERVICE_CMD_H_
