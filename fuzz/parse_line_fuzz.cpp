// The line parser on any bytes: the input is one label file, cut into lines as the file
// reader cuts them and parsed in order into a fresh registry. Reading goes on past a
// rejected line (a transfer run stops there) so that more states are reached. Then every
// stored name and text must be one the label file rules allow.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device_registry/device_registry.h"
#include "file_parser/file_parser.h"
#include "fuzz/fuzz_support.h"

namespace {

const std::size_t G_max_name_length = 32;

// Lines as label_file_reader returns them: cut at LF, without the CR of a CR LF.
std::vector<std::string> split_lines(const std::string& p_text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < p_text.size()) {
        std::size_t end = p_text.find('\n', begin);
        const bool ended = end != std::string::npos;
        end = ended ? end : p_text.size();
        std::string line = p_text.substr(begin, end - begin);
        if (ended && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        begin = end + 1;
    }
    return lines;
}

// A device name: 1 to 32 bytes of A-Z, a-z, 0-9, "-" and the zero byte.
bool is_device_name(const std::string& p_name) {
    if (p_name.empty() || p_name.size() > G_max_name_length) {
        return false;
    }
    for (const char c : p_name) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '\0';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

// A label or a channel name: 1 to 32 bytes, no control byte, DEL, ";", "=" or "@".
bool is_label_text(const std::string& p_text) {
    if (p_text.empty() || p_text.size() > G_max_name_length) {
        return false;
    }
    for (const char c : p_text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == ';' || c == '=' || c == '@') {
            return false;
        }
    }
    return true;
}

void check_registry() {
    for (const std::string& name : current_section_devices()) {
        FUZZ_CHECK(is_device_name(name));
    }
    for (const brimel_config_rm6x_device& device : zel_config_env::instance().device_list) {
        FUZZ_CHECK(is_device_name(device.m_device_name));
        for (const s_label_preset& preset : device.preset_to_write) {
            FUZZ_CHECK(is_label_text(preset.label));
            FUZZ_CHECK(is_label_text(preset.channel_id));
            FUZZ_CHECK(is_device_name(preset.device_id));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    start_fuzz_run();
    zel_config_env& env = zel_config_env::instance();
    for (std::string& line : split_lines(as_text(p_data, p_size))) {
        ++env.current_line_number;
        parse_line(line);
    }
    check_registry();
    return 0;
}
