// Reading a device's label area by its MAC, without the writer's registry, on a link of the
// caller's: its two location bytes (by the writer's rule), then one read per name field, every
// value checked to be a byte; and the name fields as values (a name ends at its first zero
// byte, as the label file's parser cuts it).
#ifndef SRC_DEVICE_CORE_LABEL_READING_H_
#define SRC_DEVICE_CORE_LABEL_READING_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "basic_type/label_area.h"
#include "basic_type/zel_protocol.h"
#include "device_core/service_connections.h"
#include "zel_socket_handler/zel_socket_handler.h"

// The two bytes that locate a label area: P (page 1, offset 14) and S (page P, offset 18).
struct label_location_t {
    int m_page_index = -1;
    int m_start_offset = -1;
    bool is_safe() const { return label_area_is_safe(m_page_index, m_start_offset); }
};

// What reading a device's label area came to: read whole; its area over its location bytes
// (the area is not read); a read that failed; or stopped by a Ctrl-C before its next command.
enum area_state_t { AREA_READ, AREA_UNSAFE, AREA_NOT_READ, AREA_STOPPED };

struct area_read_t {
    area_state_t m_state = AREA_NOT_READ;
    label_location_t m_location;  // what was read of it
    label_entries_t m_entries;    // read: the 64 entries, each field whole (its 32 bytes)
    uint32_t m_failed_page = 0;   // not read: the page of the read that failed
    command_end_t m_why = COMMAND_ANSWERED;  // not read: how that read ended
};

// Told the number of name fields read so far, after each.
typedef std::function<void(std::size_t)> fields_read_t;

// What to read of a device: its location, then the name fields given by their place in the
// area (0 to 191, three an entry), or, when none is given, all 192.
struct area_request_t {
    std::string m_mac;
    std::vector<uint32_t> m_fields;
};

// Reads P, then S, then, for a safe area, the name fields asked for, one read each, into 64
// entries (a field not asked for stays empty). Once a Ctrl-C was caught
// (platform::interrupted) no further command is sent.
area_read_t read_device_area(socket_handle& p_link, const zel_network_keys_t& p_network,
                             const area_request_t& p_request,
                             const fields_read_t& p_progress = fields_read_t());

// The same for several devices, a venue: one after another on the first link, or side by side
// on the connections the operator allowed, each device wholly on one; the reads come back in
// the order asked either way. A device whose connection was lost is read again from its
// start (see service_connections::run). The line, when given, shows how far the reads are
// and how long is left.
std::vector<area_read_t> read_device_areas(service_connections& p_links,
                                           const zel_network_keys_t& p_network,
                                           const std::vector<area_request_t>& p_requests,
                                           progress_line* p_line = nullptr);

// Requests for whole areas of these devices.
std::vector<area_request_t> whole_areas(const std::vector<std::string>& p_macs);

// A name field up to its last byte that is not zero.
std::string field_bytes(const std::string& p_field);
// The entries as C text shows them (up_to_zero of each field).
label_entries_t entry_texts(const label_entries_t& p_entries);

// True when the three name fields of the entry are empty.
bool is_empty_entry(const label_preset_t& p_entry);

#endif  // SRC_DEVICE_CORE_LABEL_READING_H_
