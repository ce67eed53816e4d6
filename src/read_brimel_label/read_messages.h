// The texts read_brimel_label shows, each built in one place: the command line, warnings
// about the devices, the progress of a read, the backup's head, the --verify report, and
// the output-file messages.
#ifndef SRC_READ_BRIMEL_LABEL_READ_MESSAGES_H_
#define SRC_READ_BRIMEL_LABEL_READ_MESSAGES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device_core/backup_text.h"
#include "device_core/label_compare.h"
#include "device_core/label_reading.h"
#include "platform/output_file.h"

namespace read_msg {

// "read_brimel_label", the first word of the program's error lines and its manual's name.
extern const char* const program;

console_message_t network_line(const std::string& p_name, std::size_t p_listed);
std::string identifiers(int p_mir, int p_pir, int p_fir);
std::string version();

console_message_t not_nameable(const std::string& p_name, const std::string& p_mac);
console_message_t no_answer(const std::string& p_mac);
extern const char* const no_device;
// After a Ctrl-C: the devices the job read, and those it was to read and did not.
console_message_t stopped(const std::vector<std::string>& p_read,
                          const std::vector<std::string>& p_not_read);
// Why the device's area was not read: its failed read, or its area over its location bytes.
console_message_t read_failed_at(const std::string& p_name, const area_read_t& p_read);
console_message_t area_unsafe(const std::string& p_name, const label_location_t& p_location);
console_message_t entry_warning(const std::string& p_name, const entry_note_t& p_note);

// What a backup or a capture leaves out, as its line on standard error says it and as the
// comment at the top of the file says it.
std::string left_out_no_answer(const std::string& p_mac);
std::string left_out_not_found(const std::string& p_name, bool p_unanswered);
std::string left_out_not_compatible(const std::string& p_name, const std::string& p_mac);
std::string left_out_not_nameable(const std::string& p_name, const std::string& p_mac);
std::string left_out_ambiguous(const std::string& p_name);
std::string left_out_unread(const std::string& p_name, const std::string& p_mac, uint32_t p_page);
std::string left_out_unsafe(const std::string& p_name, const std::string& p_mac,
                            const label_location_t& p_location);
std::string backup_head(const std::string& p_date, const std::string& p_network,
                        const std::vector<std::string>& p_left_out);

console_message_t file_not_read(const std::string& p_file);
console_message_t no_target(const std::string& p_file);
// The words of the usage error for a --device name that p_file does not target.
std::string no_such_target(const std::string& p_name, const std::string& p_file);

console_message_t backup_written(const std::string& p_file);
console_message_t backup_not_written(const std::string& p_file);
extern const char* const nothing_listed;
console_message_t capture_written(const std::string& p_file);
console_message_t capture_not_written(const std::string& p_file);

}  // namespace read_msg

#endif  // SRC_READ_BRIMEL_LABEL_READ_MESSAGES_H_
