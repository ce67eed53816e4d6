// The grammar of the service's answers, read into values: the device listing (the network's
// name and the identifiers it lists), the information answer of one device (with the rule
// that tells a compatible device), and a memory-read answer (the location it echoes and the
// values read). Nothing here keeps state; the registry's parsers and the programs that read
// without it both use these.
#ifndef SRC_ZEL_SERVICE_CMD_SERVICE_ANSWERS_H_
#define SRC_ZEL_SERVICE_CMD_SERVICE_ANSWERS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"

// A device of the supported family and model: named, mir 5, pir 2.
bool is_compatible_device(const std::string& p_name, int p_mir, int p_pir);

// What one information answer reported about a device of the network.
struct net_device_info_t {
    std::string m_mac;
    std::string m_alias;
    int m_mir = -1;
    int m_pir = -1;
    int m_fir = -1;
    std::string m_fields;  // the answer after "MAC;alias;" as it came, without its line end

    bool is_compatible() const { return is_compatible_device(m_alias, m_mir, m_pir); }
};

// A listing answer: every line is "LIST_DEV=", a network part up to the first ";", then
// identifiers separated by ","; each line's identifiers are appended to p_identifiers (an
// empty one between two commas too). p_network_name, when empty, takes the network part of
// the first line. FAIL without "LIST_DEV=" or with the word FAILED; nothing appended then.
Status parse_listing(const std::string& p_answer, std::string& p_network_name,
                     std::vector<std::string>& p_identifiers);

// An information answer: "INFO_EXT=" and eleven ";"-ended fields, mac;alias;hcf;mac_prog;
// mir;pir;fir;input_n;output_n;core_n;ext_core, fields 3 to 11 read like std::stoi. FAIL,
// p_info unchanged, without the head, with the word FAILED, with a field missing or one
// that is no number.
Status parse_information(const std::string& p_answer, net_device_info_t& p_info);

// A memory-read answer: "TBOX_MEM=" MAC ";" slot "," page "," offset ";" values. The
// location numbers are read like atoi, their low 8 bits kept; the values as read_value_list
// reads them, appended to p_values. FAIL without the head, with the word FAILED or a
// missing delimiter (the outputs found before it stay written), or with a character among
// the values that does not belong there (the values are still given).
Status parse_memory_answer(const std::string& p_answer, std::string& p_mac, uint8_t& p_slot,
                           uint8_t& p_page, uint8_t& p_offset, std::vector<int>& p_values);

// A value of a memory-read answer as a byte: its low 8 bits, an empty value 0.
uint8_t memory_value_byte(int p_value);

// A location byte (the label page index, or the start offset) from a memory-read answer, by
// the one rule every program reads it with: the answer parses cleanly (parse_memory_answer)
// with exactly one value, kept as memory_value_byte. p_mac receives the device the answer
// names and p_count the number of values it holds. FAIL otherwise, p_byte then unchanged.
Status parse_location_byte(const std::string& p_answer, std::string& p_mac, int& p_byte,
                           std::size_t& p_count);

#endif  // SRC_ZEL_SERVICE_CMD_SERVICE_ANSWERS_H_
