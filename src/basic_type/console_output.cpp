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

// The live count now on the screen, if any: every message wipes it first, so that a
// message never lands in the middle of a count ("Cmd failed" during an erase).
progress_counter* G_shown_counter = nullptr;

void wipe_shown_counter() {
    if (G_shown_counter != nullptr) {
        G_shown_counter->clear();
    }
}

// Where printf_str, printf_str_color and the live counter write.
platform::console_stream_t G_message_stream = platform::CONSOLE_OUT;

}  // namespace

void messages_to_standard_error() {
    G_message_stream = platform::CONSOLE_ERR;
}

std::string visible_service_text(const std::string& p_text) {
    std::string shown;
    for (std::size_t pos = 0; pos < p_text.size();) {
        const std::size_t line_end = p_text.find("\r\n", pos);
        const std::size_t end = line_end == std::string::npos ? p_text.size() : line_end;
        shown += visible_controls(p_text.substr(pos, end - pos));
        if (line_end == std::string::npos) {
            break;
        }
        shown += "\r\n";
        pos = line_end + 2;
    }
    return shown;
}

std::string service_text_in_errors(const std::string& p_text) {
    return platform::console_is_terminal(platform::CONSOLE_ERR) ? visible_service_text(p_text)
                                                                : p_text;
}

std::string service_text_in_messages(const std::string& p_text) {
    return platform::console_is_terminal(G_message_stream) ? visible_service_text(p_text) : p_text;
}

uint16_t color_attribute(color_code_t p_color) {
    const unsigned idx = static_cast<unsigned>(p_color) - 1u;
    return idx < 5u ? G_color_attributes[idx] : platform::DEFAULT_ATTRIBUTE;
}

void printf_str_color(std::string p_text, color_code_t p_color) {
    wipe_shown_counter();
    platform::console_write(G_message_stream, p_text, color_attribute(p_color));
}

void printf_error_message(std::string p_text) {
    wipe_shown_counter();
    platform::console_write(platform::CONSOLE_ERR, p_text, color_attribute(RED));
}

void printf_str(const std::string& p_text) {
    wipe_shown_counter();
    platform::console_write(G_message_stream, p_text, platform::DEFAULT_ATTRIBUTE);
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

progress_counter::progress_counter(std::size_t p_total)
    : progress_counter(p_total, platform::console_is_terminal(G_message_stream)) {}

progress_counter::progress_counter(std::size_t p_total, bool p_live)
    : m_live(p_live), m_total(p_total) {}

progress_counter::~progress_counter() {
    if (G_shown_counter == this) {
        G_shown_counter = nullptr;
    }
}

void progress_counter::show(std::size_t p_done) {
    m_done = p_done;
    if (m_live) {
        const std::string done = std::to_string(p_done);
        const std::string total = std::to_string(m_total);
        overwrite(m_label.empty() ? "  " + done + "/" + total : m_label + done + " of " + total);
        G_shown_counter = this;
    }
}

void progress_counter::clear() {
    if (G_shown_counter == this) {
        G_shown_counter = nullptr;
    }
    if (m_live && !m_shown.empty()) {
        overwrite(std::string());
    }
}

void progress_counter::overwrite(const std::string& p_text) {
    // Back to where the count starts, the new count, blanks over what is left of the old
    // one, and back again to the end of the new count.
    const std::size_t width = p_text.size();
    const std::size_t old_width = m_shown.size();
    std::string out(old_width, '\b');
    out += p_text;
    if (width < old_width) {
        out += std::string(old_width - width, ' ') + std::string(old_width - width, '\b');
    }
    m_shown = p_text;
    platform::console_write(G_message_stream, out, color_attribute(CYAN));
}
