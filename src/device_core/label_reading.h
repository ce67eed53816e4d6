// Reading a device's label area by its MAC, without the writer's registry: its two location
// bytes, then one read per name field, every value checked to be a byte; and the name fields
// as values (a name ends at its first zero byte, as the label file's parser cuts it).
#ifndef SRC_DEVICE_CORE_LABEL_READING_H_
#define SRC_DEVICE_CORE_LABEL_READING_H_

#include <cstdint>
#include <string>

#include "basic_type/basic_type.h"
#include "basic_type/label_area.h"
#include "basic_type/zel_protocol.h"

// The two bytes that locate a label area: P (page 1, offset 14) and S (page P, offset 18).
struct label_location_t {
    int m_page_index = -1;
    int m_start_offset = -1;
    bool is_safe() const { return label_area_is_safe(m_page_index, m_start_offset); }
};

// Reads P, then S. FAIL at the first read that fails, p_failed_page then naming its page
// (1, or P), and, once a Ctrl-C was caught (platform::interrupted), before reading S;
// p_location holds what was read until then.
Status read_label_location(const std::string& p_mac, const zel_network_keys_t& p_network,
                           label_location_t& p_location, uint32_t& p_failed_page);

// Reads the 192 name fields of a safe area, one read each, into 64 entries, each field whole
// (its 32 bytes, zeros included). FAIL at the first read that fails, p_failed_page then
// naming it, and, once a Ctrl-C was caught (platform::interrupted), before the next read,
// p_failed_page then naming the page not read. The count, when given, is told the number of
// fields read.
Status read_label_area(const std::string& p_mac, const zel_network_keys_t& p_network,
                       const label_location_t& p_location, label_entries_t& p_entries,
                       uint32_t& p_failed_page, progress_counter* p_progress = nullptr);

// A name field up to its last byte that is not zero.
std::string field_bytes(const std::string& p_field);
// The entries as C text shows them (up_to_zero of each field).
label_entries_t entry_texts(const label_entries_t& p_entries);

// True when the three name fields of the entry are empty.
bool is_empty_entry(const label_preset_t& p_entry);

#endif  // SRC_DEVICE_CORE_LABEL_READING_H_
