// Reading a label file: the transfer run that reads one file line by line, the line
// classifier with its device sections, the label lines, and the checks and trimming of
// device names, labels and channel names; the target devices a file named, as values, for
// the programs that compare them with the devices.
#ifndef SRC_FILE_PARSER_FILE_PARSER_H_
#define SRC_FILE_PARSER_FILE_PARSER_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"

// ---- Transfer run -----------------------------------------------------------------------

// The reading part of a transfer run: starts the run, then reads and parses the file line by
// line into the registry's target devices, with every message of the run. FAIL when the file
// cannot be opened or read, or a line is rejected; nothing is sent to the service. A file that
// cannot be opened is told with how the program is asked for help, p_help_words ("-h or
// help" for the writer).
Status read_label_file(const std::string& p_file_name, const std::string& p_help_words);

// A target device of the label file just read, and the presets its lines gave it (the first
// 64), in code page 850.
struct label_file_target_t {
    std::string m_name;
    label_entries_t m_presets;
    std::size_t m_presets_given = 0;  // the label lines that named it, kept or not
};

// The target devices of the label file read last, in the order the file named them.
std::vector<label_file_target_t> label_file_targets();

// Reads a label file line by line in bounded memory. A line comes without its LF or
// CR LF; a line longer than the parser accepts is cut to max_kept_line bytes, which is
// still too long for it. A UTF-8 byte-order mark at the start of the file is skipped.
class label_file_reader {
  public:
    static constexpr std::size_t max_line_length = 5000;
    static constexpr std::size_t max_kept_line = max_line_length + 1;

    label_file_reader() = default;
    ~label_file_reader() { close(); }
    label_file_reader(const label_file_reader&) = delete;
    label_file_reader& operator=(const label_file_reader&) = delete;

    // False when the path (UTF-8) cannot be opened as a file (missing, unreadable, a
    // directory).
    bool open(const std::string& p_path);

    // False at the end of the file; a last line without a line end is still returned.
    bool next_line(std::string& p_line);

    // True when reading stopped on an error rather than at the end of the file.
    bool read_failed() const { return m_read_failed; }

    void close();

  private:
    bool fill();

    std::FILE* m_file = nullptr;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_at_start = true;
    bool m_read_failed = false;
};

// ---- Lines and device sections ------------------------------------------------------------

// Converts, cuts the comment from and classifies one line: a device section replaces the
// current device list, a label line adds its preset to every current device.
Status parse_line(std::string& p_line);

// The devices of the last device section, in the order written; emptied at the start of
// every transfer run.
std::vector<std::string>& current_section_devices();

// What a refused label line does to a device of its section: the next preset the file gives
// the device after the line lands m_shift entries earlier than the file numbers it, one per
// refused line before that preset in sections naming the device (twice for a section that
// names it twice); 0 when no later line gives the device a preset.
struct device_shift_t {
    std::string m_device;
    std::size_t m_shift = 0;
};

// A label line refused and skipped while the file was read, and its shift on each device of
// its section, once each in section order. None for a line before any section, nor for one of
// blanks and TABs alone, which names no preset and moves none.
struct refused_line_t {
    uint32_t m_number = 0;
    std::vector<device_shift_t> m_shifts;
};

// The label lines refused while the file was read, in file order, each shift known once the
// file is read whole; forget_refused_lines empties them at the start of every transfer run.
const std::vector<refused_line_t>& refused_label_lines();
std::vector<uint32_t> refused_line_numbers();
void forget_refused_lines();

// Names a refused label line of p_file again with what it does to the presets after it: the
// shift when every device of its section has the same, each device's otherwise, and "no
// preset moves" where none does.
console_message_t refused_line_warning(const std::string& p_file, const refused_line_t& p_line);

// True, after the refused-character messages, when a character between the brackets of
// the section line p_line (as read) was left out by the conversion: the names would no
// longer be the ones written ("KDX–RM6X5" must not become "KDXRM6X5").
bool section_lost_a_character(const std::string& p_line,
                              const std::vector<unsupported_char_t>& p_dropped);

// The text between the first "[" at or after p_pos and the first "]" after it.
std::string get_section(const std::string& p_line, std::size_t& p_pos, bool& valid_section);

// Checks the names of a section and makes them the current device list.
Status interpret_section(std::string p_section, std::vector<std::string>& current_device_names);

// Checks one device name, trims its blanks and cuts it to 32 characters.
Status format_device_name(std::string& p_name);

// Index of the first / last character that is not a blank (TAB, LF, CR, space).
Status find_first_usefull_char(const std::string& p_strin, std::size_t& ret_idx);
Status find_last_usefull_char(const std::string& p_strin, std::size_t& ret_idx);

bool is_autorized_char_in_device_name(char p_inchar);

// ---- Label lines --------------------------------------------------------------------------

inline bool is_unauthorized_control_char(char p_inchar) {
    return p_inchar >= 0x01 && p_inchar <= 0x1F;
}

std::string parse_label(const std::string& p_line, std::size_t& pos, bool& p_got_label_device);
std::string parse_channel(const std::string& p_line, std::size_t& pos, bool& p_got_channel_device);
std::string parse_device(const std::string& p_line, std::size_t& pos, bool& p_got_device_name);

// Trims and cuts the three texts of a label line (the line scans have refused every
// character they cannot hold) and adds the preset to every current device.
Status interpret_parameter(std::string p_label, std::string p_device_id, std::string p_channel_id,
                           std::vector<std::string>& current_device_names);

// Trims the blanks of a label or channel text and cuts it to 32 characters.
Status format_channel_id(std::string& p_channel);

// ---- Helpers shared by sections and label lines ----------------------------------------

// The text without its outer blanks (the whole text when it is made only of blanks).
std::string useful_part(const std::string& p_text);

// ---- Messages -----------------------------------------------------------------------------

// p_head + current file + " at line " + current line + "\r\n".
console_message_t line_location(const std::string& p_head);

// A name of more than 32 characters is cut to 32 after a warning headed p_warning_head.
std::string cut_to_name_length(std::string p_text, const std::string& p_warning_head);

#endif  // SRC_FILE_PARSER_FILE_PARSER_H_
