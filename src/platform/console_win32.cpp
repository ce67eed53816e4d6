#include "platform/console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace platform {
namespace {

// The messages carry their own "\r\n": both streams are switched to binary mode so that
// text mode does not turn them into "\r\r\n", on the console and in a redirected file.
// Standard input stays in text mode: an answer typed as "y\r\n" is read as "y".
struct console_setup_t {
    HANDLE m_out;
    HANDLE m_err;

    console_setup_t() {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
        m_out = GetStdHandle(STD_OUTPUT_HANDLE);
        m_err = GetStdHandle(STD_ERROR_HANDLE);
    }
};

const console_setup_t& console_setup() {
    static const console_setup_t setup;
    return setup;
}

// Taken during start-up so that the switch to binary mode comes before any write, also
// one that does not pass through console_write.
const console_setup_t& G_console_setup = console_setup();

HANDLE console_handle(console_stream_t p_stream) {
    const console_setup_t& setup = console_setup();
    return p_stream == CONSOLE_ERR ? setup.m_err : setup.m_out;
}

}  // namespace

void console_write(console_stream_t p_stream, const std::string& p_text, uint16_t p_attribute) {
    // The stream's own handle: with one stream redirected, the other is still coloured.
    const HANDLE console = console_handle(p_stream);
    std::FILE* out = p_stream == CONSOLE_ERR ? stderr : stdout;
    std::fflush(p_stream == CONSOLE_ERR ? stdout : stderr);
    // The result is not looked at: where the stream is no console the call fails and the
    // text goes out uncoloured.
    SetConsoleTextAttribute(console, p_attribute);
    std::fwrite(p_text.data(), 1, p_text.size(), out);
    std::fflush(out);
    SetConsoleTextAttribute(console, DEFAULT_ATTRIBUTE);
}

bool console_is_terminal(console_stream_t p_stream) {
    DWORD mode = 0;
    return GetConsoleMode(console_handle(p_stream), &mode) != 0;
}

bool console_uses_utf8() {
    return false;
}

}  // namespace platform
