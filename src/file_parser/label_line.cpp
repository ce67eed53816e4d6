#include "file_parser/file_parser.h"

#include <unordered_map>

#include "device_registry/device_registry.h"

namespace {

// Where the shift of a device of a refused line goes once its next preset is known.
struct waiting_shift_t {
    std::size_t m_line;   // in G_refused_lines
    std::size_t m_shift;  // in that line's shifts
};

// The refused lines whose sections named a device so far, and its shifts that wait for its
// next preset.
struct device_refusals_t {
    std::size_t m_count = 0;
    std::vector<waiting_shift_t> m_waiting;
};

std::vector<refused_line_t> G_refused_lines;
// Only the devices of a refused line's section have an entry: a file that refuses no line
// pays one test per label line.
std::unordered_map<std::string, device_refusals_t> G_refusals;

// A refused label line of the current section: each of its devices counts it, and its shift
// waits for the device's next preset.
void note_refused_line(const std::string& p_line) {
    refused_line_t refused;
    refused.m_number = zel_config_env::instance().current_line_number;
    std::size_t first_useful = 0;
    // Blanks and TABs alone name no preset: nothing after them moves.
    const bool names_a_preset = find_first_usefull_char(p_line, first_useful) == SUCCESS;
    for (const std::string& name : current_section_devices()) {
        if (!names_a_preset) {
            break;
        }
        device_refusals_t& device = G_refusals[name];
        ++device.m_count;
        // A name given twice in the section counts twice, and waits once.
        if (device.m_waiting.empty() || device.m_waiting.back().m_line != G_refused_lines.size()) {
            device.m_waiting.push_back(
                waiting_shift_t{G_refused_lines.size(), refused.m_shifts.size()});
            refused.m_shifts.push_back(device_shift_t{name, 0});
        }
    }
    G_refused_lines.push_back(refused);
}

// The file gave p_device a preset: the shifts that waited for it are the refused lines so far.
void note_preset_given(const std::string& p_device) {
    const auto found = G_refusals.find(p_device);
    if (found == G_refusals.end()) {
        return;
    }
    for (const waiting_shift_t& waiting : found->second.m_waiting) {
        G_refused_lines[waiting.m_line].m_shifts[waiting.m_shift].m_shift = found->second.m_count;
    }
    found->second.m_waiting.clear();
}

void report_refused_char(const std::string& p_what, char p_char, const std::string& p_line) {
    note_refused_line(p_line);
    printf_error_message(line_location("Error in: "));
    printf_error_message("Invalid formated " + p_what +
                         ", invalid charaters: " + label_file_text(std::string(1, p_char)) +
                         " in: \r\n" + label_file_text(p_line) + "\r\n");
}

// Reads a label or a channel name from pos up to p_end, which is consumed, as are a
// zero byte, LF, CR and ";". A control byte, DEL or p_refused refuses the line.
std::string scan_name_field(const std::string& p_line, std::size_t& pos, bool& p_got, char p_end,
                            char p_refused, const std::string& p_what) {
    const std::size_t start = pos;
    std::size_t end = start;
    p_got = false;
    for (; end < p_line.size(); ++end) {
        const char c = p_line[end];
        if (c == p_end || c == '\0' || c == '\n' || c == '\r' || c == ';') {
            break;
        }
        // DEL never comes from a file (the conversion drops it); refused for any other caller.
        if (is_unauthorized_control_char(c) || c == 0x7F || c == p_refused) {
            pos = end;  // left on the refused character
            report_refused_char(p_what, c, p_line);
            return std::string();
        }
    }
    pos = end < p_line.size() ? end + 1 : end;  // past the character that ended the field
    p_got = end > start;
    return p_line.substr(start, end - start);
}

}  // namespace

std::string parse_label(const std::string& p_line, std::size_t& pos, bool& p_got_label_device) {
    return scan_name_field(p_line, pos, p_got_label_device, '=', '@', "label");
}

std::string parse_channel(const std::string& p_line, std::size_t& pos, bool& p_got_channel_device) {
    return scan_name_field(p_line, pos, p_got_channel_device, '@', '=', "channel name");
}

std::string parse_device(const std::string& p_line, std::size_t& pos, bool& p_got_device_name) {
    std::string ret_device_name;
    p_got_device_name = false;
    bool space_after_field = false;
    while (pos < p_line.size()) {
        const char c = p_line[pos];
        if (c == '\0' || c == '\n' || c == '\r' || c == ';') {
            break;
        }
        if (c == ' ' || c == '\t') {
            if (p_got_device_name) {
                space_after_field = true;
            }
            ++pos;
            continue;
        }
        if (!is_autorized_char_in_device_name(c)) {
            report_refused_char("line", c, p_line);
            p_got_device_name = false;
            return std::string();
        }
        if (space_after_field) {
            note_refused_line(p_line);
            printf_error_message(line_location("Error in: "));
            printf_error_message("Invalid formated device name, got more than one device name." +
                                 label_file_text(p_line) + "\r\n");
            p_got_device_name = false;
            return std::string();
        }
        ret_device_name.push_back(c);
        p_got_device_name = true;
        ++pos;
    }
    return ret_device_name;
}

// The line scans have refused every character a label, a channel or a device cannot hold,
// and give no empty text: the three checks only trim and cut, and never fail here.
Status interpret_parameter(std::string p_label, std::string p_device_id, std::string p_channel_id,
                           std::vector<std::string>& current_device_names) {
    format_device_name(p_device_id);
    format_channel_id(p_label);
    format_channel_id(p_channel_id);
    zel_config_env& env = zel_config_env::instance();
    const std::vector<std::string>& names = current_device_names;
    for (std::size_t first = 0; first < names.size();) {
        // A name repeated in a row gets the preset as often, in one look-up.
        std::size_t end = first + 1;
        while (end < names.size() && names[end] == names[first]) {
            ++end;
        }
        brimel_config_rm6x_device* device = env.find_device_by_name(names[first]);
        if (device == nullptr) {
            device = &env.add_device(names[first]);
        }
        device->add_preset_labels(end - first, p_label, p_device_id, p_channel_id);
        note_preset_given(names[first]);
        first = end;
    }
    return SUCCESS;
}

const std::vector<refused_line_t>& refused_label_lines() {
    return G_refused_lines;
}

std::vector<uint32_t> refused_line_numbers() {
    std::vector<uint32_t> numbers;
    for (const refused_line_t& line : G_refused_lines) {
        numbers.push_back(line.m_number);
    }
    return numbers;
}

void forget_refused_lines() {
    G_refused_lines.clear();
    G_refusals.clear();
}

Status format_channel_id(std::string& p_channel) {
    p_channel = cut_to_name_length(useful_part(p_channel), "Warning in: ");
    return SUCCESS;
}
