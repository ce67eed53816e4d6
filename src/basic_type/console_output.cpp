#include "basic_type/basic_type.h"

#include <algorithm>

#include "platform/clock.h"
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

// "40 s", "3 min 5 s".
std::string duration_words(int64_t p_seconds) {
    if (p_seconds < 60) {
        return std::to_string(p_seconds) + " s";
    }
    return std::to_string(p_seconds / 60) + " min " + std::to_string(p_seconds % 60) + " s";
}

// Where printf_str, printf_str_color and the live counter write.
platform::console_stream_t G_message_stream = platform::CONSOLE_OUT;

// A message held back while a progress line is open, to follow its outcome.
struct held_message_t {
    platform::console_stream_t m_stream;
    console_message_t m_message;
    uint16_t m_attribute;
};
// Holding while a progress line that keeps messages out of it is open.
bool G_holding = false;
std::vector<held_message_t> G_held;

// Every message goes out here: at once, or after the open progress line's outcome.
void write_message(platform::console_stream_t p_stream, const console_message_t& p_message,
                   uint16_t p_attribute) {
    if (G_holding) {
        G_held.push_back(held_message_t{p_stream, p_message, p_attribute});
        return;
    }
    wipe_shown_counter();
    platform::console_write(p_stream, p_message.shown_on(p_stream), p_attribute);
}

// Stops holding and writes what was held, in order.
void release_held_messages() {
    G_holding = false;
    std::vector<held_message_t> held;
    held.swap(G_held);
    for (const held_message_t& message : held) {
        write_message(message.m_stream, message.m_message, message.m_attribute);
    }
}

// Control bytes (0x00-0x1F, 0x7F) in caret notation: ESC is "^[", TAB "^I", DEL "^?".
std::string visible_controls(const std::string& p_text) {
    std::string shown;
    shown.reserve(p_text.size());
    for (const char c : p_text) {
        if (c == '\x7F') {
            shown += "^?";
        } else if (c >= 0 && c < 0x20) {
            shown += '^';
            shown += static_cast<char>(c + 0x40);
        } else {
            shown += c;
        }
    }
    return shown;
}

// A service text on a terminal: its control bytes visible but for its CR LF line ends.
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

// Typed UTF-8 text in the console's character set.
std::string typed_in_console_set(const std::string& p_utf8_text) {
    if (platform::console_uses_utf8()) {
        return p_utf8_text;
    }
    std::vector<unsupported_char_t> lacked;
    const std::string text = utf8_to_cp850(p_utf8_text, lacked);
    // Something must show where the message names a character: the code page lacks it.
    return text.empty() && !p_utf8_text.empty() ? "?" : text;
}

// The terminal rule for a text whose bytes may be anything (a path, a typed text): its
// control bytes visible and, where the console is UTF-8, no byte that is not UTF-8 raw.
std::string terminal_safe(const std::string& p_text) {
    const std::string visible = visible_controls(p_text);
    return platform::console_uses_utf8() ? utf8_or_cp850(visible) : visible;
}

// One text of a message as a stream that is a terminal (p_terminal) or not shows it.
std::string shown_text(text_origin_t p_origin, const std::string& p_text, bool p_terminal) {
    const bool utf8 = platform::console_uses_utf8();
    switch (p_origin) {
        case SERVICE_TEXT: {
            const std::string text = p_terminal ? visible_service_text(p_text) : p_text;
            // Its bytes are the devices' code page: shown as their characters, not raw.
            return p_terminal && utf8 ? cp850_to_utf8(text) : text;
        }
        case LABEL_FILE_TEXT: {
            const std::string text = p_terminal ? visible_controls(p_text) : p_text;
            return utf8 ? cp850_to_utf8(text) : text;
        }
        case TYPED_TEXT: {
            const std::string text = typed_in_console_set(p_text);
            return p_terminal ? terminal_safe(text) : text;
        }
        case GIVEN_TEXT:
            return p_terminal ? terminal_safe(p_text) : p_text;
        case PROGRAM_TEXT:
            break;
    }
    return p_text;
}

}  // namespace

console_message_t::console_message_t(text_origin_t p_origin, const std::string& p_text)
    : m_parts{part_t{p_origin, p_text}} {}

console_message_t& console_message_t::operator+=(const console_message_t& p_more) {
    m_parts.insert(m_parts.end(), p_more.m_parts.begin(), p_more.m_parts.end());
    return *this;
}

bool console_message_t::empty() const {
    for (const part_t& part : m_parts) {
        if (!part.m_text.empty()) {
            return false;
        }
    }
    return true;
}

std::string console_message_t::shown(bool p_terminal) const {
    std::string text;
    for (const part_t& part : m_parts) {
        text += shown_text(part.m_origin, part.m_text, p_terminal);
    }
    return text;
}

std::string console_message_t::shown_on(platform::console_stream_t p_stream) const {
    return shown(platform::console_is_terminal(p_stream));
}

console_message_t service_text(const std::string& p_text) {
    return console_message_t(SERVICE_TEXT, p_text);
}

console_message_t label_file_text(const std::string& p_cp850_text) {
    return console_message_t(LABEL_FILE_TEXT, p_cp850_text);
}

console_message_t typed_text(const std::string& p_utf8_text) {
    return console_message_t(TYPED_TEXT, p_utf8_text);
}

console_message_t given_text(const std::string& p_text) {
    return console_message_t(GIVEN_TEXT, p_text);
}

console_message_t operator+(console_message_t p_message, const std::string& p_words) {
    return p_message += console_message_t(PROGRAM_TEXT, p_words);
}

console_message_t operator+(const std::string& p_words, const console_message_t& p_message) {
    return console_message_t(PROGRAM_TEXT, p_words) += p_message;
}

console_message_t operator+(console_message_t p_first, const console_message_t& p_second) {
    return p_first += p_second;
}

void messages_to_standard_error() {
    G_message_stream = platform::CONSOLE_ERR;
}

std::string standard_output_failed(const std::string& p_reason) {
    return "Unable to write to standard output: " + p_reason + "\r\n";
}

job_status_t checked_output_status(job_status_t p_status) {
    std::string reason;
    if (platform::console_output_intact(reason)) {
        return p_status;
    }
    printf_error_message(standard_output_failed(reason));
    return JOB_FAILED;
}

uint16_t color_attribute(color_code_t p_color) {
    const unsigned idx = static_cast<unsigned>(p_color) - 1u;
    return idx < 5u ? G_color_attributes[idx] : platform::DEFAULT_ATTRIBUTE;
}

void printf_str_color(std::string p_text, color_code_t p_color) {
    printf_str_color(console_message_t(PROGRAM_TEXT, p_text), p_color);
}

void printf_str_color(const console_message_t& p_message, color_code_t p_color) {
    write_message(G_message_stream, p_message, color_attribute(p_color));
}

void printf_result_color(const std::string& p_text, color_code_t p_color) {
    printf_result_color(console_message_t(PROGRAM_TEXT, p_text), p_color);
}

void printf_result_color(const console_message_t& p_message, color_code_t p_color) {
    write_message(platform::CONSOLE_OUT, p_message, color_attribute(p_color));
}

void printf_error_message(std::string p_text) {
    printf_error_message(console_message_t(PROGRAM_TEXT, p_text));
}

void printf_error_message(const console_message_t& p_message) {
    write_message(platform::CONSOLE_ERR, p_message, color_attribute(RED));
}

void printf_str(const std::string& p_text) {
    printf_str(console_message_t(PROGRAM_TEXT, p_text));
}

void printf_str(const console_message_t& p_message) {
    write_message(G_message_stream, p_message, platform::DEFAULT_ATTRIBUTE);
}

void printf_note(const std::string& p_text) {
    write_message(platform::CONSOLE_ERR, console_message_t(PROGRAM_TEXT, p_text),
                  platform::DEFAULT_ATTRIBUTE);
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
    const std::string done = std::to_string(p_done);
    const std::string total = std::to_string(m_total);
    show_text(p_done,
              m_label.empty() ? "  " + done + "/" + total : m_label + done + " of " + total);
}

void progress_counter::show_text(std::size_t p_done, const std::string& p_text) {
    m_done = p_done;
    if (m_live) {
        overwrite(p_text);
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

void progress_counter::draw_on_standard_error(const std::string& p_head) {
    m_live = platform::console_is_terminal(platform::CONSOLE_ERR);
    m_whole_line = true;
    m_head = p_head;
}

void progress_counter::overwrite(const std::string& p_text) {
    if (m_whole_line) {
        // From the line's start: the head, the count, blanks over anything longer that stood
        // there (a head the pipe brought late), then back to the count's end.
        m_widest = std::max(m_widest, m_head.size() + p_text.size());
        const std::size_t pad = 2 * m_widest - m_head.size() - p_text.size();
        m_shown = p_text;
        platform::console_write(
            platform::CONSOLE_ERR,
            "\r" + m_head + p_text + std::string(pad, ' ') + "\r" + m_head + p_text,
            color_attribute(CYAN));
        return;
    }
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

progress_line::progress_line(const console_message_t& p_head, std::size_t p_total,
                             bool p_messages_inside)
    : m_counter(p_total), m_started_ms(platform::monotonic_ms()) {
    printf_str_color(p_head, CYAN);
    if (!p_messages_inside && !platform::console_is_terminal(G_message_stream)) {
        m_counter.draw_on_standard_error(p_head.shown(true));
    }
    // A line opened inside another's holding keeps to it.
    m_holds = !p_messages_inside && !G_holding;
    G_holding = G_holding || m_holds;
}

progress_line::~progress_line() {
    end(LINE_UNFINISHED);
}

void progress_line::show_device(std::size_t p_device, std::size_t p_pages,
                                std::size_t p_pages_total) {
    if (m_counter.total() == 1) {
        // One device: the line names it, and counts its pages alone.
        m_counter.show_text(1,
                            "  " + std::to_string(p_pages) + "/" + std::to_string(p_pages_total));
        return;
    }
    std::string text = " device " + std::to_string(p_device) + " of " +
                       std::to_string(m_counter.total()) + " (" + std::to_string(p_pages) + "/" +
                       std::to_string(p_pages_total) + ")";
    // The devices done, and the part of this one, took the time so far: the rest takes alike.
    const double done = static_cast<double>(p_device - 1) +
                        static_cast<double>(p_pages) / static_cast<double>(p_pages_total);
    if (p_device > 1) {
        const double elapsed = static_cast<double>(platform::monotonic_ms() - m_started_ms);
        const double left_s =
            elapsed * (static_cast<double>(m_counter.total()) - done) / done / 1000.0;
        text += ", about " + duration_words(static_cast<int64_t>(left_s + 0.5)) + " left";
    }
    m_counter.show_text(p_device, text);
}

void progress_line::show_side_by_side(std::size_t p_done, std::size_t p_links, double p_share) {
    std::string text = " " + std::to_string(p_done) + " of " + std::to_string(m_counter.total()) +
                       " devices done, " + std::to_string(p_links) +
                       (p_links == 1 ? " connection" : " connections");
    if (p_share > 0) {
        const double elapsed = static_cast<double>(platform::monotonic_ms() - m_started_ms);
        const double left_s = elapsed * (1 - p_share) / p_share / 1000.0;
        text += ", about " + duration_words(static_cast<int64_t>(left_s + 0.5)) + " left";
    }
    m_counter.show_text(p_done, text);
}

void progress_line::end(line_outcome_t p_outcome) {
    if (!m_open) {
        return;
    }
    m_open = false;
    m_counter.clear();
    const bool holding = G_holding;
    G_holding = false;  // the outcome itself goes out now
    if (p_outcome == LINE_OK) {
        printf_str_color(" OK\r\n", GREEN);
    } else if (p_outcome != LINE_UNFINISHED) {
        printf_error_message(p_outcome == LINE_FAILED ? " FAILED\r\n" : " STOPPED\r\n");
    }
    G_holding = holding;
    if (m_holds) {
        release_held_messages();
    }
}
