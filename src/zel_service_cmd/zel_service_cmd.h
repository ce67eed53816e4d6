// The text commands spoken with the device-management service: device listing, device
// information, and reads and writes of device memory. Each forms its command line, sends
// it through the registry's service link, judges the answer by its request's row of the
// protocol table, and hands an accepted answer to its parser, which fills the registry.
// Programs that keep no registry get the same commands as values: the listing, one
// device's information, and bytes of its memory, read or written.
#ifndef SRC_ZEL_SERVICE_CMD_ZEL_SERVICE_CMD_H_
#define SRC_ZEL_SERVICE_CMD_ZEL_SERVICE_CMD_H_

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "basic_type/zel_protocol.h"
#include "zel_service_cmd/service_answers.h"

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

// Points the service link at the port the operator chose, before anything is connected:
// p_option, the text given to --port (nullptr when none), wins over ZEL_SERVICE_PORT, which
// wins over 7000. A port other than 7000 is said once on standard error. False, after one
// line on standard error that starts with p_program's name and says why, when the text
// chosen is no port: the link is left as it was, and the program ends with its usage status.
bool use_chosen_service_port(const std::string& p_program, const std::string* p_option = nullptr);

// ---- The same commands as values, without the registry ----------------------------------

// The link to the service is gone: the last command could not open it again.
bool service_link_lost();

// The service was never reached in this process: a command tried to open the link and none
// ever could. p_why then receives why the last attempt failed, in the system's words;
// untouched otherwise.
bool service_never_reached(std::string& p_why);

// Lists the network: the network's name and the identifiers, in the listing's order. FAIL
// when the service could not be asked, or refused: p_refusal then holds its answer (the link
// has told why it could not be asked).
Status list_network(std::string& p_network_name, std::vector<std::string>& p_identifiers,
                    std::string& p_refusal);

// Asks one listed device for its information; the answer must echo it. p_network holds the
// network's identifiers (zel_device_key), so that a late answer of another one is dropped.
Status ask_information(const std::string& p_mac_adress, const zel_network_keys_t& p_network,
                       net_device_info_t& p_info);

// Reads p_count bytes at p_page, p_offset of the label slot. SUCCESS, with p_bytes holding
// them, when the answer echoes the device and location and holds exactly p_count values,
// each 0 to 255 and written with digits; FAIL otherwise, p_bytes then empty.
Status read_memory_bytes(const std::string& p_mac_adress, const zel_network_keys_t& p_network,
                         uint32_t p_page, uint32_t p_offset, uint32_t p_count,
                         std::vector<uint8_t>& p_bytes);

// Writes p_bytes (at most a name field's 32) at p_page, p_offset of the label slot in one
// command, each byte as a signed decimal, as a name is written. SUCCESS when the service
// acknowledged it; FAIL when it refused or did not answer, and before anything is formed or
// sent once refuse_memory_writes() was called.
Status write_memory_bytes(const std::string& p_mac_adress, const zel_network_keys_t& p_network,
                          uint32_t p_page, uint32_t p_offset, const std::string& p_bytes);

#endif  // SRC_ZEL_SERVICE_CMD_ZEL_SERVICE_CMD_H_
