#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/console.h"

namespace platform {
namespace {

// The messages carry their own "\r\n": both streams are switched to binary mode so that
// text mode does not turn them into "\r\r\n", on the console and in a redirected file.
struct console_setup_t {
    HANDLE G_hConsole;

    console_setup_t() {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
        G_hConsole = GetStdHandle(STD_OUTPUT_HANDLE);
    }
};

const console_setup_t& console_setup() {
    static const console_setup_t setup;
    return setup;
}

// Taken during start-up so that no write can come before the switch to binary mode.
const console_setup_t& G_console_setup = console_setup();

}  // namespace

void console_write(console_stream_t p_stream, const std::string& p_text, uint16_t p_attribute) {
    const HANDLE console = console_setup().G_hConsole;
    std::FILE* out = p_stream == CONSOLE_ERR ? stderr : stdout;
    std::fflush(p_stream == CONSOLE_ERR ? stdout : stderr);
    // The result is not looked at: where the output is no console the call fails and the
    // text goes out uncoloured.
    SetConsoleTextAttribute(console, p_attribute);
    std::fwrite(p_text.data(), 1, p_text.size(), out);
    std::fflush(out);
    SetConsoleTextAttribute(console, DEFAULT_ATTRIBUTE);
}

bool console_is_terminal(console_stream_t p_stream) {
    console_setup();
    DWORD mode = 0;
    const HANDLE handle =
        GetStdHandle(p_stream == CONSOLE_ERR ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    return GetConsoleMode(handle, &mode) != 0;
}

bool console_uses_utf8() {
    return false;
}

}  // namespace platform
