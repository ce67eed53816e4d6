// The texts sync_brimel_label shows, each built in one place: the command line, a file not
// synced, the read and the plan of each device, the confirmation's device lines, the writes
// and what a device's label area holds after a failure or a stop.
#ifndef SRC_SYNC_BRIMEL_LABEL_SYNC_MESSAGES_H_
#define SRC_SYNC_BRIMEL_LABEL_SYNC_MESSAGES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sync_brimel_label/sync_brimel_label.h"

namespace sync_msg {

// "sync_brimel_label", the first word of the program's error lines and its manual's name.
extern const char* const program;

std::string version();

console_message_t refused_lines(const std::string& p_file, const std::vector<uint32_t>& p_lines);
console_message_t no_target(const std::string& p_file);
console_message_t files_not_run(const std::vector<std::string>& p_files);

console_message_t reading(const std::string& p_name);
// Why the device's area was not read: its failed read, or its area over its location bytes.
console_message_t read_failed_at(const std::string& p_name, const area_read_t& p_read);
console_message_t area_unsafe(const std::string& p_name, const label_location_t& p_location);

console_message_t same(const std::string& p_name, const std::string& p_mac,
                       const std::string& p_file, std::size_t p_presets);
// The head of a device's plan and one line per differing entry, each differing field with its
// old and its new text.
console_message_t plan(const std::string& p_name, const std::string& p_mac,
                       const std::vector<sync_job::field_change_t>& p_changes);
console_message_t confirmation_line(std::size_t p_number, const std::string& p_name,
                                    const std::string& p_mac, std::size_t p_fields);

console_message_t writing(const std::string& p_name);
console_message_t written(const std::string& p_name, const std::string& p_mac,
                          std::size_t p_fields);
// The command that failed and what its field holds.
console_message_t failure(const std::string& p_name, const sync_job::field_change_t& p_change,
                          sync_job::writes_end_t p_end);
// What each field to write holds now, entries grouped by it.
console_message_t area_now(const std::string& p_name,
                           const std::vector<sync_job::field_change_t>& p_changes);
console_message_t stopped_before(const std::string& p_name);
console_message_t stopped_before_writes(const std::string& p_file);

// The name of a field of an entry, 0 to 2, as messages and the JSON say it.
const char* field_name(uint32_t p_field);

}  // namespace sync_msg

#endif  // SRC_SYNC_BRIMEL_LABEL_SYNC_MESSAGES_H_
