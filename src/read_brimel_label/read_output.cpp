#include "read_brimel_label/read_output.h"

#include "basic_type/basic_type.h"
#include "device_core/output_text.h"
#include "read_brimel_label/read_messages.h"

bool open_read_output(const std::string& p_path, bool p_replace, read_output_t& p_output) {
    p_output.m_to_file = false;
    if (p_path.empty() || p_path == "-") {
        return true;
    }
    p_output.m_to_file = true;
    std::string reason;
    const platform::output_result_t result = p_output.m_file.open(p_path, p_replace, reason);
    if (result != platform::OUTPUT_OK) {
        printf_error_message(output_refused(p_path, result, reason, false));
        return false;
    }
    return true;
}

bool finish_read_output(read_output_t& p_output, const std::string& p_text, bool p_whole,
                        console_message_t (*p_written)(const std::string&),
                        console_message_t (*p_kept)(const std::string&)) {
    std::string reason;
    if (!p_output.m_to_file) {
        if (!platform::write_standard_output(p_text, reason)) {
            printf_error_message(standard_output_failed(reason));
            return false;
        }
        return true;
    }
    const std::string& path = p_output.m_file.path();
    if (!p_whole) {
        p_output.m_file.never_replace();
    }
    const platform::output_result_t result = p_output.m_file.commit(p_text, reason);
    if (result == platform::OUTPUT_EXISTS && !p_whole) {
        printf_error_message(p_kept(path));
        return false;
    }
    if (result != platform::OUTPUT_OK) {
        printf_error_message(output_refused(path, result, reason, true));
        return false;
    }
    printf_result_color(p_written(path), GREEN);
    return true;
}

void abandon_read_output(read_output_t& p_output,
                         console_message_t (*p_not_written)(const std::string&)) {
    if (p_output.m_to_file) {
        p_output.m_file.discard();
        printf_error_message(p_not_written(p_output.m_file.path()));
    }
}
