// The text commands spoken with the device-management service: device listing, device
// information, and reads and writes of device memory. Each forms its command line, sends
// it through the registry's service link, judges the answer by its request's row of the
// protocol table, and hands an accepted answer to its parser, which fills the registry.
// Programs that keep no registry get the same commands as values, on a link of their own:
// the listing, one device's information, and bytes of its memory, read or written.
#ifndef SRC_ZEL_SERVICE_CMD_ZEL_SERVICE_CMD_H_
#define SRC_ZEL_SERVICE_CMD_ZEL_SERVICE_CMD_H_

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "basic_type/zel_protocol.h"
#include "zel_service_cmd/service_answers.h"
#include "zel_socket_handler/zel_socket_handler.h"

// SUCCESS when the service answered the command with at least one line of it and without
// a refusal; what the parser found is seen in the registry.
Status sent_zel_comand(std::string p_zel_command_arg, zel_req_id_t p_req_id, time_t p_ms_timeout);
Status handle_zel_response(std::string p_zel_response, zel_req_id_t p_req_id);

// True when the text holds nothing but zero bytes, TAB, LF, CR and spaces.
bool is_empty_message(const std::string& p_zel_response);

Status req_device_discover();
Status req_get_info_ext(std::string p_mac_adress);
Status read_zel_comand(std::string p_mac_adress, uint8_t p_slot, uint32_t p_page, uint32_t p_offset,
                       uint32_t p_nb_read, zel_req_id_t p_req_id);

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

// Points p_link at the port the operator chose, before anything is connected: p_option, the
// text given to --port (nullptr when none), wins over ZEL_SERVICE_PORT, which wins over 7000.
// A port other than 7000 is said once on standard error. False, after one line on standard
// error that starts with p_program's name and says why (for a script, p_json, also as the
// JSON error object on standard output), when the text chosen is no port: the link is left
// as it was, and the program ends with its usage status.
bool use_chosen_service_port(const std::string& p_program, const std::string* p_option,
                             socket_handle& p_link, bool p_json = false);

// ---- The same commands as values, on the link they are given, without the registry --------
// Each returns how it ended (command_end_t); the link prints nothing when it is quiet.

// The service was never reached on p_link: a command tried to open it and none ever could.
// p_why then receives why the last attempt failed, in the system's words; untouched otherwise.
bool service_never_reached(const socket_handle& p_link, std::string& p_why);

// Lists the network: the network's name and the identifiers, in the listing's order. When the
// service refused, p_refusal holds its answer.
command_end_t list_network(socket_handle& p_link, std::string& p_network_name,
                           std::vector<std::string>& p_identifiers, std::string& p_refusal);

// Asks one listed device for its information; the answer must echo it. p_network holds the
// network's identifiers (zel_device_key), so that a late answer of another one is dropped.
command_end_t ask_information(socket_handle& p_link, const std::string& p_mac_adress,
                              const zel_network_keys_t& p_network, net_device_info_t& p_info);

// Reads p_count bytes at p_page, p_offset of the label slot. Answered, with p_bytes holding
// them, when the answer echoes the device and location and holds exactly p_count values, each
// 0 to 255 and written with digits; p_bytes is empty otherwise.
command_end_t read_memory_bytes(socket_handle& p_link, const std::string& p_mac_adress,
                                const zel_network_keys_t& p_network, uint32_t p_page,
                                uint32_t p_offset, uint32_t p_count, std::vector<uint8_t>& p_bytes);

// Reads one location byte at p_page, p_offset of the label slot by the rule the writer's
// registry reads it with (parse_location_byte): p_byte 0 to 255, unchanged on a failure.
command_end_t read_location_byte(socket_handle& p_link, const std::string& p_mac_adress,
                                 const zel_network_keys_t& p_network, uint32_t p_page,
                                 uint32_t p_offset, int& p_byte);

// Writes p_bytes (at most a name field's 32) at p_page, p_offset of the label slot in one
// command, each byte as a signed decimal, as a name is written. Answered when the service
// acknowledged it; not sent once refuse_memory_writes() was called.
command_end_t write_memory_bytes(socket_handle& p_link, const std::string& p_mac_adress,
                                 const zel_network_keys_t& p_network, uint32_t p_page,
                                 uint32_t p_offset, const std::string& p_bytes);

#endif  // SRC_ZEL_SERVICE_CMD_ZEL_SERVICE_CMD_H_
