#include "device_core/output_text.h"

namespace {

const std::string G_nl = "\r\n";

}  // namespace

console_message_t output_refused(const std::string& p_file, platform::output_result_t p_result,
                                 const std::string& p_reason, bool p_after_reading) {
    std::string why = p_reason;
    if (p_result == platform::OUTPUT_EXISTS) {
        why = std::string(p_after_reading ? "it appeared while the devices were read"
                                          : "it exists already") +
              ": give --force to replace it";
    } else if (p_result == platform::OUTPUT_NOT_REGULAR) {
        why = "it is not a regular file: only a regular file is ever replaced";
    }
    return "Unable to write file: " + G_nl + given_text(p_file) + G_nl + why + str_exit_failure;
}
