#include "file_parser/file_parser.h"

#include <algorithm>
#include <cstring>

#include "basic_type/label_area.h"
#include "device_registry/device_registry.h"
#include "platform/program.h"

namespace {

const std::size_t G_read_chunk = 64 * 1024;

console_message_t open_failure_message(const std::string& p_file_name,
                                       const std::string& p_help_words) {
    return "Unable to open file: \r\n" + given_text(p_file_name) +
           "\r\nif you need some help re-run the program and type " + p_help_words +
           str_exit_failure;
}

}  // namespace

bool label_file_reader::open(const std::string& p_path) {
    close();
    m_file = platform::open_file_for_reading(p_path);
    m_buffer.resize(G_read_chunk);
    m_begin = m_end = 0;
    m_at_start = true;
    m_read_failed = false;
    return m_file != nullptr;
}

bool label_file_reader::fill() {
    if (m_file == nullptr || std::feof(m_file) || std::ferror(m_file)) {
        return false;
    }
    m_begin = 0;
    m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
    if (std::ferror(m_file)) {
        m_read_failed = true;
    }
    if (m_at_start) {
        m_at_start = false;
        if (m_end >= 3 && std::memcmp(m_buffer.data(), "\xEF\xBB\xBF", 3) == 0) {
            m_begin = 3;
        }
    }
    return m_begin < m_end;
}

bool label_file_reader::next_line(std::string& p_line) {
    p_line.clear();
    // One byte more than is kept, for the CR of a CR LF.
    const std::size_t room = max_kept_line + 1;
    bool got_bytes = false;
    bool ended_by_lf = false;
    bool overflow = false;
    // A line longer than the parser takes ends once it has one byte too many: reading on
    // to its line end could take forever (a file like /dev/zero has none).
    while (!ended_by_lf && !overflow && (m_begin < m_end || fill())) {
        got_bytes = true;
        const char* start = m_buffer.data() + m_begin;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', m_end - m_begin));
        const std::size_t length = lf == nullptr ? m_end - m_begin : lf - start;
        const std::size_t kept = std::min(length, room - p_line.size());
        p_line.append(start, kept);
        overflow = overflow || kept < length;
        m_begin += lf == nullptr ? length : length + 1;
        ended_by_lf = lf != nullptr;
    }
    if (!got_bytes) {
        return false;
    }
    if (ended_by_lf && !overflow && !p_line.empty() && p_line.back() == '\r') {
        p_line.pop_back();
    }
    if (p_line.size() > max_kept_line) {
        p_line.resize(max_kept_line);
    }
    return true;
}

void label_file_reader::close() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_buffer.clear();
    m_buffer.shrink_to_fit();
}

std::vector<label_file_target_t> label_file_targets() {
    const std::vector<brimel_config_rm6x_device>& devices = zel_config_env::instance().device_list;
    std::vector<label_file_target_t> targets;
    targets.reserve(devices.size());
    for (const brimel_config_rm6x_device& device : devices) {
        targets.push_back(label_file_target_t{device.m_device_name, device.preset_to_write,
                                              device.m_presets_given});
    }
    return targets;
}

Status read_label_file(const std::string& p_file_name, const std::string& p_help_words) {
    zel_config_env& env = zel_config_env::instance();
    env.start_run(p_file_name);
    // Labels at the top of a file never go to devices named only in an earlier file.
    current_section_devices().clear();
    forget_refused_lines();
    printf_str(color_text("Opening file: ", GREEN) + given_text(p_file_name) + "\r\n");

    label_file_reader reader;
    if (!reader.open(p_file_name)) {
        printf_error_message(open_failure_message(p_file_name, p_help_words));
        return FAIL;
    }
    Status ret_status = SUCCESS;
    std::string fileline;
    while (reader.next_line(fileline)) {
        ++env.current_line_number;
        ret_status = parse_line(fileline);
        if (ret_status == FAIL) {
            break;
        }
    }
    const bool read_failed = reader.read_failed();
    reader.close();
    if (ret_status == SUCCESS && read_failed) {
        printf_error_message(line_location("Error in: "));
        printf_error_message("Unable to read file: \r\n" + given_text(p_file_name) +
                             str_exit_failure);
        ret_status = FAIL;
    }
    return ret_status;
}
