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
// The words of the usage error for a --device name no label file targets.
std::string no_such_target(const std::string& p_name);
// An undo record that cannot be read, or is no record.
console_message_t record_not_read(const std::string& p_file, const std::string& p_why);

// Why the device's area was not read: its failed read, or its area over its location bytes.
console_message_t read_failed_at(const std::string& p_name, const area_read_t& p_read);
console_message_t area_unsafe(const std::string& p_name, const label_location_t& p_location);

// An undo's plan for a device: its head and one line per entry, each field with the bytes it
// holds and the bytes it gets back.
console_message_t undo_plan(const std::string& p_name, const std::string& p_mac,
                            const std::vector<sync_job::field_change_t>& p_changes);
// A field an undo leaves: it holds neither the bytes written nor the bytes it held.
console_message_t refused_field(const std::string& p_name, const sync_job::field_change_t& p_field);
// The device that answers under a recorded name is not the one the undo record names.
console_message_t other_device(const std::string& p_name, const std::string& p_mac,
                               const std::string& p_recorded_mac);

// The totals line of a file's plan (naming the file when the run has several, p_name_file),
// and of what its writes did.
console_message_t plan_totals(const sync_job::file_sync_t& p_file, bool p_name_file, bool p_undo);
console_message_t done_totals(const sync_job::file_sync_t& p_file, bool p_name_file);
console_message_t confirmation_line(std::size_t p_number, const std::string& p_name,
                                    const std::string& p_mac, std::size_t p_fields);

// "Writing KDX-RM6X5's labels..." for one device, "Writing 3 fields on 3 devices..." for more.
console_message_t writing(const std::vector<sync_job::device_sync_t*>& p_devices);
// The command that failed and what its field holds.
console_message_t failure(const std::string& p_name, const sync_job::field_change_t& p_change,
                          sync_job::writes_end_t p_end);
// What each field to write holds now, entries grouped by it.
console_message_t area_now(const std::string& p_name,
                           const std::vector<sync_job::field_change_t>& p_changes);
// A device read again before its writes whose plan changed: named, and its new plan follows.
console_message_t changed_since(const std::string& p_name, const std::string& p_mac);
console_message_t not_contacted(const std::string& p_name);
console_message_t stopped_before(const std::string& p_name);
console_message_t stopped_before_writes(const std::string& p_file);
// The command that undoes what the run wrote, with the port when it is not 7000; the line that
// says it; and why no record was written.
std::string undo_command(const std::string& p_record, uint16_t p_port);
console_message_t undo_hint(const std::string& p_record, uint16_t p_port);
console_message_t no_undo_record(const std::string& p_record);

// The name of a field of an entry, 0 to 2, as messages and the JSON say it.
const char* field_name(uint32_t p_field);

}  // namespace sync_msg

#endif  // SRC_SYNC_BRIMEL_LABEL_SYNC_MESSAGES_H_
