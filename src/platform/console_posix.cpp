#include "platform/console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

std::FILE* stream_file(console_stream_t p_stream) {
    return p_stream == CONSOLE_ERR ? stderr : stdout;
}

// Whether each stream is a terminal and whether it gets colour, decided once at the first
// use: neither the streams nor the environment change while the program runs.
struct terminal_flags_t {
    bool m_is_terminal[2];
    bool m_colour[2];

    terminal_flags_t() {
        m_is_terminal[CONSOLE_OUT] = isatty(STDOUT_FILENO) == 1;
        m_is_terminal[CONSOLE_ERR] = isatty(STDERR_FILENO) == 1;
        const bool allowed = ansi_colour_allowed(std::getenv("NO_COLOR"), std::getenv("TERM"));
        m_colour[CONSOLE_OUT] = allowed && m_is_terminal[CONSOLE_OUT];
        m_colour[CONSOLE_ERR] = allowed && m_is_terminal[CONSOLE_ERR];
    }
};

// The system's words for the first write to standard output that failed; empty while none did.
std::string G_output_failure;

const terminal_flags_t& terminal_flags() {
    static const terminal_flags_t flags;
    return flags;
}

// SGR sequence of a console attribute; 15 and anything unknown give the terminal's default.
const char* sgr_of(uint16_t p_attribute) {
    switch (p_attribute) {
        case 12:
            return "\x1b[91m";
        case 10:
            return "\x1b[92m";
        case 14:
            return "\x1b[93m";
        case 11:
            return "\x1b[96m";
        case 13:
            return "\x1b[95m";
        default:
            return "\x1b[0m";
    }
}

}  // namespace

bool ansi_colour_allowed(const char* p_no_color, const char* p_term) {
    // An empty NO_COLOR is the same as an unset one: only a value asks for no colour.
    if (p_no_color != nullptr && p_no_color[0] != '\0') {
        return false;
    }
    return p_term == nullptr || std::strcmp(p_term, "dumb") != 0;
}

void console_write(console_stream_t p_stream, const std::string& p_text, uint16_t p_attribute) {
    std::FILE* out = stream_file(p_stream);
    // Keep the order of the two streams on a terminal: what was written to the other
    // one goes out first.
    std::fflush(p_stream == CONSOLE_ERR ? stdout : stderr);
    const bool colour = terminal_flags().m_colour[p_stream];
    if (colour) {
        std::fputs(sgr_of(p_attribute), out);
    }
    errno = 0;
    bool written = std::fwrite(p_text.data(), 1, p_text.size(), out) == p_text.size();
    if (colour) {
        std::fputs(sgr_of(DEFAULT_ATTRIBUTE), out);
    }
    written = std::fflush(out) == 0 && written;
    if (!written && p_stream == CONSOLE_OUT && G_output_failure.empty()) {
        G_output_failure = std::strerror(errno != 0 ? errno : EIO);
    }
}

bool console_output_intact(std::string& p_reason) {
    p_reason = G_output_failure;
    return G_output_failure.empty();
}

bool console_is_terminal(console_stream_t p_stream) {
    return terminal_flags().m_is_terminal[p_stream];
}

bool console_uses_utf8() {
    return true;
}

}  // namespace platform
