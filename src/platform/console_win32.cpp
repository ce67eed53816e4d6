#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

// The messages carry their own "\r\n": both streams are switched to binary mode so that
// text mode does not turn them into "\r\r\n", on the console and in a redirected file.
// Standard input stays in text mode: an answer typed as "y\r\n" is read as "y". Whether
// each stream is a console is decided here once too: it does not change while the program
// runs, and only a console takes colour.
struct console_setup_t {
    HANDLE m_handle[2];
    bool m_is_console[2];

    console_setup_t() {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
        m_handle[CONSOLE_OUT] = GetStdHandle(STD_OUTPUT_HANDLE);
        m_handle[CONSOLE_ERR] = GetStdHandle(STD_ERROR_HANDLE);
        for (int stream = CONSOLE_OUT; stream <= CONSOLE_ERR; ++stream) {
            DWORD mode = 0;
            m_is_console[stream] = GetConsoleMode(m_handle[stream], &mode) != 0;
        }
    }
};

const console_setup_t& console_setup() {
    static const console_setup_t setup;
    return setup;
}

// The system's words for the first write to standard output that failed; empty while none did.
std::string G_output_failure;

// Taken during start-up so that the switch to binary mode comes before any write, also
// one that does not pass through console_write.
const console_setup_t& G_console_setup = console_setup();

}  // namespace

void console_write(console_stream_t p_stream, const std::string& p_text, uint16_t p_attribute) {
    // The stream's own handle: with one stream redirected, the other is still coloured.
    const console_setup_t& setup = console_setup();
    const HANDLE console = setup.m_handle[p_stream];
    const bool colour = setup.m_is_console[p_stream];
    std::FILE* out = p_stream == CONSOLE_ERR ? stderr : stdout;
    std::fflush(p_stream == CONSOLE_ERR ? stdout : stderr);
    if (colour) {
        SetConsoleTextAttribute(console, p_attribute);
    }
    errno = 0;
    bool written = std::fwrite(p_text.data(), 1, p_text.size(), out) == p_text.size();
    written = std::fflush(out) == 0 && written;
    if (colour) {
        SetConsoleTextAttribute(console, DEFAULT_ATTRIBUTE);
    }
    if (!written && p_stream == CONSOLE_OUT && G_output_failure.empty()) {
        G_output_failure = std::strerror(errno != 0 ? errno : EIO);
    }
}

bool console_output_intact(std::string& p_reason) {
    p_reason = G_output_failure;
    return G_output_failure.empty();
}

bool console_is_terminal(console_stream_t p_stream) {
    return console_setup().m_is_console[p_stream];
}

bool console_uses_utf8() {
    return false;
}

}  // namespace platform
