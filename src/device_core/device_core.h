// What every program that reads devices without the writer's registry shares: a view of the
// network (the listing and each device's information answer, as values), the identity rules
// that tell which device a name means, the reads of a device's label area (its two location
// bytes, then its name fields), and the texts built from what was read: the backup as a
// label file, the comparison with a label file, and the capture the simulator replays. It
// prints nothing but a live count it is given: it returns what it found, and the programs
// tell the operator.
#ifndef SRC_DEVICE_CORE_DEVICE_CORE_H_
#define SRC_DEVICE_CORE_DEVICE_CORE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "basic_type/basic_type.h"
#include "basic_type/label_area.h"
#include "basic_type/zel_protocol.h"
#include "zel_service_cmd/service_answers.h"

// ---- The network ----------------------------------------------------------------------------

// One identifier of the listing and what its information request gave.
struct network_device_t {
    std::string m_identifier;  // as listed, and sent back as it is
    bool m_answered = false;
    net_device_info_t m_info;  // when answered
};

// Which devices answered under which names: a name is meant for one device only when one
// device answers under it, and that device under no other name.
class device_identities {
  public:
    void add(const net_device_info_t& p_info);
    // The identifiers of the distinct devices that answered under p_name, first one first.
    std::vector<std::string> macs_of(const std::string& p_name) const;
    // The names the device answered under, first one first.
    std::vector<std::string> names_of(const std::string& p_mac) const;

  private:
    std::unordered_map<std::string, std::vector<std::string>> m_macs_of_name;
    std::unordered_map<std::string, std::vector<std::string>> m_names_of_key;
};

struct network_view_t {
    bool m_listed = false;  // the listing was answered
    std::string m_name;     // the network part of its first line
    // Each distinct listed identifier, in listing order.
    std::vector<network_device_t> m_devices;
    // The identifiers listed or reported (zel_device_key): what tells a late answer.
    zel_network_keys_t m_keys;
    device_identities m_identities;
    // Name -> the first answered device of that name, in m_devices.
    std::unordered_map<std::string, std::size_t> m_first_of_name;
    // The service could not be reached any more: the devices after the last answered one
    // were not asked.
    bool m_link_lost = false;
};

// Lists the network and asks each distinct listed identifier for its information, every one
// of them (a silent device costs its time-out and hides nothing after it). The count, when
// given, is told how many were asked. FAIL when the listing failed or the link was lost.
Status look_at_network(network_view_t& p_view, progress_counter* p_progress = nullptr);

// How a name of a label file or of the command line finds its device in the view.
enum name_state_t { NAME_FOUND, NAME_NOT_FOUND, NAME_NOT_COMPATIBLE, NAME_AMBIGUOUS };
struct name_lookup_t {
    name_state_t m_state = NAME_NOT_FOUND;
    const net_device_info_t* m_device = nullptr;  // found or not compatible
    // Ambiguous: the devices answering under the name, or the names of its one device.
    std::vector<std::string> m_macs;
    std::vector<std::string> m_names;
};
name_lookup_t look_up_name(const network_view_t& p_view, const std::string& p_name);

// The warning about an ambiguous name: the devices answering under it (when more than one),
// or the names its one device answers under; it ends "It is not <p_not_done>." The texts
// of the service show their control bytes as standard error needs.
std::string ambiguity_warning(const std::string& p_name, const std::vector<std::string>& p_macs,
                              const std::vector<std::string>& p_names, const char* p_not_done);

// ---- Reading a label area ---------------------------------------------------------------

// The two bytes that locate a label area: P (page 1, offset 14) and S (page P, offset 18).
struct label_location_t {
    int m_page_index = -1;
    int m_start_offset = -1;
    bool is_safe() const { return label_area_is_safe(m_page_index, m_start_offset); }
};

// Reads P, then S. FAIL at the first read that fails, p_failed_page then naming its page
// (1, or P); p_location holds what was read until then.
Status read_label_location(const std::string& p_mac, const zel_network_keys_t& p_network,
                           label_location_t& p_location, uint32_t& p_failed_page);

// Reads the 192 name fields of a safe area, one read each, into 64 entries, each field whole
// (its 32 bytes, zeros included). FAIL at the first read that fails, p_failed_page then
// naming it. The count, when given, is told the number of fields read.
Status read_label_area(const std::string& p_mac, const zel_network_keys_t& p_network,
                       const label_location_t& p_location, label_entries_t& p_entries,
                       uint32_t& p_failed_page, progress_counter* p_progress = nullptr);

// A name field as C text shows it: up to its first zero byte.
std::string field_text(const std::string& p_field);
// The 32 bytes a name leaves in its field after an update: its bytes up to its first zero,
// at most 32, then zeros.
std::string field_image(const std::string& p_name);
// A name field up to its last byte that is not zero.
std::string field_bytes(const std::string& p_field);
// The entries as C text shows them (field_text of each field).
label_entries_t entry_texts(const label_entries_t& p_entries);

// True when the three name fields of the entry are empty.
bool is_empty_entry(const label_preset_t& p_entry);

// ---- The backup text ------------------------------------------------------------------

// Why an entry cannot be carried back in a label line unchanged, or nullptr when it can:
// an empty field, a control byte, ";", "=" or "@", outer blanks, a Dante device name that
// is not letters, digits and "-", a character the label file cannot carry, or a line that
// would read as a device section.
const char* entry_not_restorable(const label_preset_t& p_entry);

// The text of an entry as a comment shows it: UTF-8, every byte a label file cannot carry
// (a control byte, the no-break space) written as \xHH.
std::string visible_text(const std::string& p_cp850_text);

// An entry a backup writes as a comment, and why.
struct entry_note_t {
    std::size_t m_number;  // 1 to 64
    const char* m_reason;
};

// A device as the backup holds it, from its entries read whole: a comment naming it and its
// MAC, its section, then one "label = channel@device" line per non-empty entry, in entry
// order, in UTF-8. An entry that cannot be restored unchanged, and every non-empty entry
// after an empty or commented one (restoring would move it), is written as a comment and
// listed in p_notes; so is an entry holding bytes after the end of a name (a restore
// clears them), shown whole in a comment after its line.
std::string device_backup_text(const std::string& p_name, const std::string& p_mac,
                               const label_entries_t& p_fields, std::vector<entry_note_t>& p_notes);

// True when the name can head a device section of a label file as it is.
bool is_section_name(const std::string& p_name);

// Why an entry is written as a comment, as the comment and the warning say it.
extern const char* const reason_empty_field;
extern const char* const reason_control_byte;
extern const char* const reason_delimiter;
extern const char* const reason_blanks;
extern const char* const reason_device_name;
extern const char* const reason_not_carried;
extern const char* const reason_section;
extern const char* const reason_moved;
extern const char* const reason_trailing_bytes;

// ---- Comparing with a label file --------------------------------------------------------

enum difference_kind_t { ENTRY_CHANGED, ENTRY_ADDED, ENTRY_ERASED };
struct entry_difference_t {
    std::size_t m_number;  // 1 to 64
    difference_kind_t m_kind;
    label_preset_t m_expected;  // what an update would leave
    label_preset_t m_found;
};

// Each entry whose three fields, read whole, differ from what an update with p_presets
// leaves (field_image of each name, the presets from the first entry on, every other entry
// erased to zeros). The fields of a difference are shown up to their last byte that is not
// zero. Empty when every field matches.
std::vector<entry_difference_t> entry_differences(const label_entries_t& p_presets,
                                                  const label_entries_t& p_fields);

// ---- A capture of the network -----------------------------------------------------------

// What a capture holds of a compatible device: its location bytes, and its entries read
// whole when the area could be read (an area over its location bytes is not).
struct captured_area_t {
    label_location_t m_location;
    label_entries_t m_entries;  // empty: the area was not read
};

// The head of a capture: a comment with the program's version, and the network's name.
std::string capture_head(const network_view_t& p_view, const char* p_version);
// One answered device in the simulator's network description: its line, then, for a
// compatible device (p_area given), its location bytes and one line per non-empty entry.
std::string captured_device_text(const network_device_t& p_device, const captured_area_t* p_area);
// The line a capture holds for a listed device that gave no information answer, and for a
// compatible device whose label area could not be read.
std::string uncaptured_device_text(const network_device_t& p_device);
std::string unread_device_text(const network_device_t& p_device);

#endif  // SRC_DEVICE_CORE_DEVICE_CORE_H_
