// The texts read_brimel_label shows and writes, each built in one place: warnings about the
// devices, the progress of a read, the backup's comments, the --verify report and the
// command-line and output-file messages.
#ifndef SRC_READ_BRIMEL_LABEL_READ_MESSAGES_H_
#define SRC_READ_BRIMEL_LABEL_READ_MESSAGES_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "write_brimel_label/write_brimel_label.h"

namespace read_msg {

std::string not_found(const std::string& p_name);
std::string not_compatible(const std::string& p_name, const std::string& p_mac);
std::string not_nameable(const std::string& p_name, const std::string& p_mac);
extern const char* const no_device;
std::string reading(const std::string& p_name);
extern const char* const read_ok;
extern const char* const read_failed;
std::string read_failed_at(const std::string& p_name, uint32_t p_page);
std::string area_unsafe(const std::string& p_name, int p_page_index, int p_start_offset);

std::string backup_head(const std::string& p_name, const std::string& p_mac);
std::string entry_comment(std::size_t p_number, const char* p_reason,
                          const label_preset_t& p_entry);
std::string entry_warning(const std::string& p_name, std::size_t p_number, const char* p_reason);
extern const char* const reason_empty_field;
extern const char* const reason_control_byte;
extern const char* const reason_delimiter;
extern const char* const reason_blanks;
extern const char* const reason_device_name;
extern const char* const reason_not_carried;
extern const char* const reason_section;
extern const char* const reason_moved;

std::string matches(const std::string& p_name, const std::string& p_mac, const std::string& p_file,
                    std::size_t p_presets);
std::string differs(const std::string& p_name, const std::string& p_mac, const std::string& p_file);
std::string entry_changed(std::size_t p_number, const label_preset_t& p_expected,
                          const label_preset_t& p_found);
std::string entry_added(std::size_t p_number, const label_preset_t& p_expected);
std::string entry_erased(std::size_t p_number, const label_preset_t& p_found);

std::string bad_command_line(const std::string& p_what);
std::string output_exists(const std::string& p_file);
std::string output_failed(const std::string& p_file);
std::string backup_written(const std::string& p_file);
std::string backup_not_written(const std::string& p_file);
extern const char* const nothing_listed;
std::string not_captured(const std::string& p_mac);
std::string capture_head(const char* p_version);
std::string capture_written(const std::string& p_file);
std::string capture_not_written(const std::string& p_file);

}  // namespace read_msg

#endif  // SRC_READ_BRIMEL_LABEL_READ_MESSAGES_H_
