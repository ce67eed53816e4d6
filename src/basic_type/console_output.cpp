#include "basic_type/basic_type.h"
#include "platform/console.h"

const std::string reset_color = "";
const std::string red_foreground = "";
const std::string green_foreground = "";
const std::string yellow_foreground = "";
const std::string cyan_foreground = "";
const std::string magenta_foreground = "";

const std::string str_exit_failure = "\r\nFailed, exit now\r\n";

namespace {

const uint16_t G_color_attributes[5] = {12, 10, 14, 11, 13};  // RED..MAGENTA

}  // namespace

uint16_t color_attribute(color_code_t p_color) {
    const unsigned idx = static_cast<unsigned>(p_color) - 1u;
    return idx < 5u ? G_color_attributes[idx] : platform::DEFAULT_ATTRIBUTE;
}

void printf_str_color(std::string p_text, color_code_t p_color) {
    platform::console_write(platform::CONSOLE_OUT, p_text, color_attribute(p_color));
}

void printf_error_message(std::string p_text) {
    platform::console_write(platform::CONSOLE_ERR, p_text, color_attribute(RED));
}

void printf_str(const std::string& p_text) {
    platform::console_write(platform::CONSOLE_OUT, p_text, platform::DEFAULT_ATTRIBUTE);
}

std::string color_text(std::string p_text, color_code_t p_color) {
    const std::string* marker = nullptr;
    switch (p_color) {
        case RESET:
            marker = &reset_color;
            break;
        case RED:
            marker = &red_foreground;
            break;
        case GREEN:
            marker = &green_foreground;
            break;
        case YELLOW:
            marker = &yellow_foreground;
            break;
        case CYAN:
            marker = &cyan_foreground;
            break;
        case MAGENTA:
            marker = &magenta_foreground;
            break;
    }
    return marker == nullptr ? p_text + reset_color : *marker + p_text + reset_color;
}
