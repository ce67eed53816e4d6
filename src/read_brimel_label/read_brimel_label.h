// Reading the labels back: the second program, read_brimel_label, on the tool's library.
// It owns the read of a device's label area into its 64 preset entries, the label-file
// text of a backup (with the checks that an entry comes back unchanged when the backup is
// loaded again), the comparison of a label file's presets with what a device holds, and
// the program itself: its options, the backup to standard output or to a file, --verify
// and its manual. It only ever reads: the program refuses memory writes before anything
// else (refuse_memory_writes), and its code calls no function that writes.
#ifndef SRC_READ_BRIMEL_LABEL_READ_BRIMEL_LABEL_H_
#define SRC_READ_BRIMEL_LABEL_READ_BRIMEL_LABEL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "write_brimel_label/write_brimel_label.h"

// The entries of a label area in order, each as the device holds it: code page 850 text up
// to the first zero byte of its three name fields (label, Dante device, channel).
typedef std::vector<label_preset_t> label_entries_t;

// ---- Reading a device -------------------------------------------------------------------

// Reads the device's location bytes, then its 192 name fields, one read each, into
// p_entries (64 entries). FAIL at the first read that fails, p_failed_page then naming the
// page it asked for (1 or P for a location byte), or when the area would cover its own
// location bytes (label_area_is_safe), p_failed_page then 0. A progress counter, when
// given, is told the number of name fields read.
Status read_label_area(brimel_config_rm6x_device& p_device, label_entries_t& p_entries,
                       uint32_t& p_failed_page, progress_counter* p_progress = nullptr);

// The same, between a progress line with its live counter and its outcome, " OK" or
// " FAILED" and what failed. With p_whole_fields an entry keeps each field whole, bytes
// after its first zero included (up to its last byte that is not zero).
Status read_device_labels(brimel_config_rm6x_device& p_device, label_entries_t& p_entries,
                          bool p_whole_fields = false);

// True when the three name fields of the entry are empty.
bool is_empty_entry(const label_preset_t& p_entry);

// ---- The backup text --------------------------------------------------------------------

// Why an entry cannot be carried back in a label line unchanged, or nullptr when it can:
// an empty field, a control byte, ";", "=" or "@", outer blanks, a Dante device name that
// is not letters, digits and "-", a character the label file cannot carry, or a line that
// would read as a device section.
const char* entry_not_restorable(const label_preset_t& p_entry);

// The text of an entry as a comment shows it: UTF-8, every byte a label file cannot carry
// (a control byte, the no-break space) written as \xHH.
std::string visible_text(const std::string& p_cp850_text);

// A device as the backup holds it: a comment naming it and its MAC, its section, then one
// "label = channel@device" line per non-empty entry, in entry order, in UTF-8. An entry
// that cannot be restored unchanged, and every non-empty entry after an empty or commented
// one (restoring would move it), is written as a comment and warned about.
std::string device_backup_text(const std::string& p_name, const std::string& p_mac,
                               const label_entries_t& p_entries);

// True when the name can head a device section of a label file as it is.
bool is_section_name(const std::string& p_name);

// ---- Comparing with a label file --------------------------------------------------------

// One line per entry in which the device differs from what an update with p_presets leaves
// (the presets from the first entry on, every other entry empty): both contents, or an
// entry that would be added or erased. Empty when they match.
std::string entry_differences(const label_entries_t& p_presets, const label_entries_t& p_entries);

// ---- A capture of the network -----------------------------------------------------------

// Lists the network and asks every listed device for its information, as the update does.
void find_network_devices(zel_config_env& p_env);

// Reads the whole network, only reading, into a description the simulator loads
// (zel_service_sim --network): the network's name, then every listed device in listing
// order with its information as answered and, for each compatible device, its location
// bytes and its label area entry by entry, every name field whole. FAIL when nothing was
// listed or a device could not be read.
Status capture_network(std::string& p_text);

// ---- The program ------------------------------------------------------------------------

struct read_options_t {
    bool m_help = false;
    std::vector<std::string> m_devices;  // names given, in order; none: every compatible one
    std::string m_output;                // -o FILE; empty: standard output
    bool m_force = false;                // --force: -o may replace an existing FILE
    std::string m_verify;                // --verify FILE
    std::string m_capture;               // --capture FILE
};

// Reads the command line; FAIL, after its message, when it cannot be carried out.
Status parse_read_options(int argc, char** argv, read_options_t& p_options);

// The manual, with p_program as the command name; CR LF line ends.
std::string read_user_manual_text(const std::string& p_program);

// The program: back up, verify or show the manual. 0 on success, 1 on any failure.
int read_brimel_label_main(int argc, char** argv);

#endif  // SRC_READ_BRIMEL_LABEL_READ_BRIMEL_LABEL_H_
