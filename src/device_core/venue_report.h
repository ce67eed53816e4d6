// What the programs that read a venue (sync_brimel_label, read_brimel_label --verify) say of
// it, in one set of words: the head of the reading line, each difference in an entry, and
// the totals of a label file's targets, for the totals line and for the JSON.
#ifndef SRC_DEVICE_CORE_VENUE_REPORT_H_
#define SRC_DEVICE_CORE_VENUE_REPORT_H_

#include <cstddef>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "basic_type/json_text.h"
#include "device_core/label_compare.h"
#include "device_core/label_reading.h"
#include "file_parser/file_parser.h"

// "Reading KDX-RM6X5's labels..." for one device, "Reading the labels of 20 devices..."
// for more.
console_message_t reading_head(const std::vector<std::string>& p_names);

// How a line that read devices ends: stopped by a Ctrl-C, failed when any read failed or its
// area was refused, OK otherwise.
line_outcome_t reading_outcome(const std::vector<area_read_t>& p_reads);

// "KDX-RM6X5 (00:1D:C1:0A:00:01) differs from what stage.ini would write:" and a line end.
console_message_t differs_head(const std::string& p_name, const std::string& p_mac,
                               const std::string& p_file);
// One line per difference, the entry's three fields (label, channel, device) each quoted,
// every byte a label file cannot carry written as \xHH.
console_message_t difference_lines(const std::vector<entry_difference_t>& p_differences);

// Only the targets p_names name (--device), in the file's order; every target when p_names is
// empty. A name is compared as a device section's, letter case included.
std::vector<label_file_target_t> named_targets(const std::vector<label_file_target_t>& p_targets,
                                               const std::vector<std::string>& p_names);
// The first of p_names that none of the targets of the files has; empty when each has one.
std::string name_of_no_target(const std::vector<std::vector<label_file_target_t>>& p_files,
                              const std::vector<std::string>& p_names);

// The targets of a label file, counted.
struct venue_totals_t {
    std::size_t m_devices = 0;      // the targets looked at
    std::size_t m_differing = 0;    // read, and not holding the file
    std::size_t m_differences = 0;  // their fields (sync) or entries (verify) that differ
    std::size_t m_same = 0;         // read, holding the file
    std::size_t m_not_found = 0;
    std::size_t m_not_compatible = 0;
    std::size_t m_ambiguous = 0;
    std::size_t m_not_read = 0;
    // After the writes of a sync: the devices whose writes failed, were stopped, were not
    // made (their plan changed since its read; the service went away before them).
    std::size_t m_failed = 0;
    std::size_t m_stopped = 0;
    std::size_t m_changed = 0;
    std::size_t m_not_contacted = 0;
    // An undo's fields that hold neither the bytes written nor those they held: left.
    std::size_t m_left = 0;
};

// The totals line: p_head, ": ", p_what (e.g. "3 fields to write"), " on 3 of 20 devices; 17 ",
// what the devices that need nothing do (p_same_one for one, e.g. "already holds the file",
// p_same_more for more), then each count of the targets that could not be worked on that is
// not 0 ("; 1 not found; 2 not read"), and ".".
console_message_t totals_line(const console_message_t& p_head, const std::string& p_what,
                              const venue_totals_t& p_totals, const std::string& p_same_one,
                              const std::string& p_same_more);

// "3 fields", "1 entry": a count and its noun.
std::string counted(std::size_t p_count, const char* p_one, const char* p_more);

// The totals for a script: devices, differing, p_unit (the count of differences), same, and
// the counts of each trouble.
std::string totals_json(const venue_totals_t& p_totals, const char* p_unit);

#endif  // SRC_DEVICE_CORE_VENUE_REPORT_H_
