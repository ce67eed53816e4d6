// Console output of the tool. The units above this layer speak in Windows console
// attributes (12 bright red, 10 bright green, 14 bright yellow, 11 bright cyan,
// 13 bright magenta, 15 bright white); this layer shows them as the platform can.
// Text is always written byte for byte as given: no line end is added or translated.
#ifndef SRC_PLATFORM_CONSOLE_H_
#define SRC_PLATFORM_CONSOLE_H_

#include <cstdint>
#include <string>

namespace platform {

enum console_stream_t { CONSOLE_OUT = 0, CONSOLE_ERR = 1 };

// The attribute every coloured write sets back afterwards.
const uint16_t DEFAULT_ATTRIBUTE = 15;

// Writes p_text to the stream in p_attribute, then sets the attribute back to 15,
// and flushes so that standard output and standard error keep their order on a console.
// Where the stream is not a console (a file, a pipe) the text goes out uncoloured.
void console_write(console_stream_t p_stream, const std::string& p_text, uint16_t p_attribute);

// False, with the system's words for the first failure, once a write of console_write to
// standard output did not all get there (a full disk, a closed pipe); true while every one did.
bool console_output_intact(std::string& p_reason);

// True when the stream is an interactive console or terminal.
bool console_is_terminal(console_stream_t p_stream);

#ifndef _WIN32
// Where colour is ANSI sequences (every platform but Windows): whether the environment
// allows it, given the values of NO_COLOR and TERM (null when unset). A non-empty NO_COLOR
// turns colour off, and so does the dumb terminal.
bool ansi_colour_allowed(const char* p_no_color, const char* p_term);
#endif

// True where the console shows UTF-8 (everywhere but Windows), so that text of the
// label file is shown converted back from the 8-bit code page.
bool console_uses_utf8();

}  // namespace platform

#endif  // SRC_PLATFORM_CONSOLE_H_
