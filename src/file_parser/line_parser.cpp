#include "file_parser/file_parser.h"

#include <algorithm>
#include <unordered_map>

#include "basic_type/label_area.h"
#include "device_registry/device_registry.h"

namespace {

bool is_blank(char p_c) {
    return p_c == '\t' || p_c == '\n' || p_c == '\r' || p_c == ' ';
}

// The devices of a refused line's section that one shift moves.
struct shift_group_t {
    std::size_t m_shift;
    std::vector<std::string> m_devices;
};

std::string entries_earlier(std::size_t p_shift) {
    return std::to_string(p_shift) + (p_shift == 1 ? " entry" : " entries") + " earlier";
}

// The devices of a refused line by their shift, the groups in the order of their first device;
// the devices no preset of which moves go to p_unmoved.
std::vector<shift_group_t> shift_groups(const refused_line_t& p_line,
                                        std::vector<std::string>& p_unmoved) {
    std::vector<shift_group_t> groups;
    std::unordered_map<std::size_t, std::size_t> group_of_shift;
    for (const device_shift_t& device : p_line.m_shifts) {
        if (device.m_shift == 0) {
            p_unmoved.push_back(device.m_device);
            continue;
        }
        const auto group = group_of_shift.emplace(device.m_shift, groups.size());
        if (group.second) {
            groups.push_back(shift_group_t{device.m_shift, {}});
        }
        groups[group.first->second].m_devices.push_back(device.m_device);
    }
    return groups;
}

// "A", "A and B", "A, B and C": names of the label file.
console_message_t device_names(const std::vector<std::string>& p_names) {
    console_message_t text;
    for (std::size_t k = 0; k < p_names.size(); ++k) {
        text += (k == 0                    ? ""
                 : k + 1 == p_names.size() ? " and "
                                           : ", ") +
                label_file_text(p_names[k]);
    }
    return text;
}

}  // namespace

std::string useful_part(const std::string& p_text) {
    std::size_t first = 0;
    std::size_t last = 0;
    if (find_first_usefull_char(p_text, first) == FAIL ||
        find_last_usefull_char(p_text, last) == FAIL) {
        return p_text;
    }
    return p_text.substr(first, last - first + 1);
}

console_message_t line_location(const std::string& p_head) {
    const zel_config_env& env = zel_config_env::instance();
    return p_head + given_text(env.current_file) + " at line " +
           std::to_string(env.current_line_number) + "\r\n";
}

std::string cut_to_name_length(std::string p_text, const std::string& p_warning_head) {
    if (p_text.size() > label_name_field_length) {
        printf_error_message(line_location(p_warning_head));
        printf_error_message(label_file_text(p_text) + " is larger than " +
                             std::to_string(label_name_field_length) +
                             " characters,  the excess will be ignored\r\n");
        p_text.resize(label_name_field_length);
    }
    return p_text;
}

bool section_lost_a_character(const std::string& p_line,
                              const std::vector<unsupported_char_t>& p_dropped) {
    // Brackets and commas are ASCII: the conversion keeps them, so the section lies between
    // the same brackets of the line as typed.
    const std::size_t open = p_line.find('[');
    const std::size_t close = p_line.find(']', open + 1);
    for (const unsupported_char_t& lost : p_dropped) {
        if (lost.m_position <= open || lost.m_position >= close) {
            continue;
        }
        const std::size_t comma_before = p_line.rfind(',', lost.m_position);
        const std::size_t field_begin =
            comma_before != std::string::npos && comma_before > open ? comma_before + 1 : open + 1;
        const std::size_t comma = p_line.find(',', lost.m_position);
        const std::size_t field_end = comma < close ? comma : close;
        printf_error_message(line_location("Error in: "));
        printf_error_message(
            "Unvalid character: " + typed_text(p_line.substr(lost.m_position, lost.m_length)) +
            " in " + typed_text(p_line.substr(field_begin, field_end - field_begin)) +
            "device section\r\n");
        return true;
    }
    return false;
}

std::vector<std::string>& current_section_devices() {
    static std::vector<std::string> current_device_names;
    return current_device_names;
}

console_message_t refused_line_warning(const std::string& p_file, const refused_line_t& p_line) {
    std::vector<std::string> unmoved;
    const std::vector<shift_group_t> groups = shift_groups(p_line, unmoved);
    console_message_t text = "Warning: line " + std::to_string(p_line.m_number) + " of " +
                             given_text(p_file) + " was refused: ";
    if (groups.empty()) {
        return text + "no preset moves.\r\n";
    }
    text = text + ("the presets after it land " + entries_earlier(groups[0].m_shift) +
                   " than the file numbers them");
    if (groups.size() == 1 && unmoved.empty()) {
        return text + ".\r\n";
    }
    text += " in " + device_names(groups[0].m_devices);
    for (std::size_t k = 1; k < groups.size(); ++k) {
        text +=
            ", " + entries_earlier(groups[k].m_shift) + " in " + device_names(groups[k].m_devices);
    }
    if (!unmoved.empty()) {
        text += "; no preset moves in " + device_names(unmoved);
    }
    return text + ".\r\n";
}

Status parse_line(std::string& p_line) {
    if (p_line.size() > label_file_reader::max_line_length) {
        printf_error_message(line_location("Error in: "));
        printf_error_message("Invalid formated line, exceed authorized line lenght (" +
                             std::to_string(label_file_reader::max_line_length) +
                             " characters)\r\n");
        return FAIL;
    }
    std::vector<unsupported_char_t> dropped;
    const zel_config_env& env = zel_config_env::instance();
    std::string l_line = UTF8ToANSI(p_line, env.current_file, env.current_line_number, dropped);
    const std::size_t comment = l_line.find(';');
    if (comment != std::string::npos) {
        l_line.resize(comment);
    }
    std::size_t pos = 0;
    bool got_section_device = false;
    const std::string section_device = get_section(l_line, pos, got_section_device);
    if (got_section_device) {
        if (section_lost_a_character(p_line, dropped)) {
            return FAIL;
        }
        return interpret_section(section_device, current_section_devices());
    }
    bool got_label_device = false;
    bool got_channel_id = false;
    bool got_device_id = false;
    const std::string label_device = parse_label(l_line, pos, got_label_device);
    if (!got_label_device) {
        return SUCCESS;
    }
    const std::string channel_id = parse_channel(l_line, pos, got_channel_id);
    if (!got_channel_id) {
        return SUCCESS;
    }
    const std::string device_id = parse_device(l_line, pos, got_device_id);
    if (!got_device_id) {
        return SUCCESS;
    }
    return interpret_parameter(label_device, device_id, channel_id, current_section_devices());
}

std::string get_section(const std::string& p_line, std::size_t& p_pos, bool& valid_section) {
    if (p_pos >= p_line.size()) {
        return std::string();
    }
    const std::size_t open = p_line.find('[', p_pos);
    const std::size_t close = open == std::string::npos ? open : p_line.find(']', open + 1);
    if (close == std::string::npos || close == open + 1) {
        valid_section = false;
        return std::string();
    }
    valid_section = true;
    // A "]" that ends the line leaves p_pos on it, not past the end: nothing reads on.
    p_pos = close + 1 < p_line.size() ? close + 1 : p_line.size() - 1;
    return p_line.substr(open + 1, close - open - 1);
}

Status interpret_section(std::string p_section, std::vector<std::string>& current_device_names) {
    std::size_t begin = 0;
    bool first_field = true;
    for (;;) {
        const std::size_t comma = p_section.find(',', begin);
        const std::size_t end = comma == std::string::npos ? p_section.size() : comma;
        std::string name = p_section.substr(begin, end - begin);
        if (name.empty()) {
            printf_error_message(line_location("Error in: "));
            printf_error_message("Invalid formated device section, empty device name in: \r\n[" +
                                 label_file_text(p_section) + "]\r\n");
            return FAIL;
        }
        if (format_device_name(name) == FAIL) {
            return FAIL;
        }
        // The list is replaced only once the section's first name is known to be good.
        if (first_field) {
            current_device_names.clear();
            first_field = false;
        }
        current_device_names.push_back(name);
        if (comma == std::string::npos) {
            break;
        }
        begin = comma + 1;
    }
    // Only the last name gets a record here; the others get theirs from the next label line.
    zel_config_env& env = zel_config_env::instance();
    if (env.find_device_by_name(current_device_names.back()) == nullptr) {
        env.add_device(current_device_names.back());
    }
    return SUCCESS;
}

Status format_device_name(std::string& p_name) {
    if (p_name.empty()) {
        return FAIL;
    }
    const std::string sub_str = useful_part(p_name);
    const auto refused =
        std::find_if_not(sub_str.begin(), sub_str.end(), is_autorized_char_in_device_name);
    if (refused != sub_str.end()) {
        printf_error_message(line_location("Error in: "));
        printf_error_message("Unvalid character: " + label_file_text(std::string(1, *refused)) +
                             " in " + label_file_text(up_to_zero(p_name)) + "device section\r\n");
        return FAIL;
    }
    // "In" with a capital I here, "in" for labels: each message is kept as it has always read.
    p_name = cut_to_name_length(sub_str, "Warning In: ");
    return SUCCESS;
}

Status find_first_usefull_char(const std::string& p_strin, std::size_t& ret_idx) {
    for (std::size_t i = 0; i < p_strin.size(); ++i) {
        if (!is_blank(p_strin[i])) {
            ret_idx = i;
            return SUCCESS;
        }
    }
    return FAIL;
}

Status find_last_usefull_char(const std::string& p_strin, std::size_t& ret_idx) {
    for (std::size_t i = p_strin.size(); i > 0; --i) {
        if (!is_blank(p_strin[i - 1])) {
            ret_idx = i - 1;
            return SUCCESS;
        }
    }
    return FAIL;
}

// A zero byte is accepted: a name ends there when it is shown or sent, as C text would.
bool is_autorized_char_in_device_name(char p_inchar) {
    return (p_inchar >= 'A' && p_inchar <= 'Z') || (p_inchar >= 'a' && p_inchar <= 'z') ||
           (p_inchar >= '0' && p_inchar <= '9') || p_inchar == '-' || p_inchar == '\0';
}
