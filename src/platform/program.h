// What a program takes from its process and sets up in it at start, the one start every
// program shares: its standard streams and signals, its arguments, its environment, and
// the files it opens by the path it was given.
#ifndef SRC_PLATFORM_PROGRAM_H_
#define SRC_PLATFORM_PROGRAM_H_

#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// The start every program shares, its main's one line: prepares the process, then runs
// p_body on the program's arguments (its name first) and returns its result as the exit
// status.
// - A standard input, output or error the program was started without is opened on the
//   null device, so that no socket or file the program opens later takes its place (the
//   prompt would read the service, the console text would be sent to it). A write to a
//   closed connection or pipe fails instead of killing the program.
// - The arguments are UTF-8. Windows takes them from the wide command line: the argv of
//   main holds them in the ANSI code page, which lacks most scripts (a Cyrillic or CJK name
//   would come as "?"). Elsewhere argv as it is.
int run_program(int p_argc, char** p_argv, int (*p_body)(const std::vector<std::string>&));

// Opens a file by its UTF-8 path for binary reading (Windows: through the wide-character
// API, so that any name opens); nullptr when it cannot be opened or is a directory.
std::FILE* open_file_for_reading(const std::string& p_path);

// True when the UTF-8 path names an existing entry that is no directory (Windows: through
// the wide-character API).
bool names_a_file(const std::string& p_path);

// The value of the environment variable p_name, in UTF-8 (Windows: through the wide API,
// as the arguments). False when the variable is not set; an empty value is a value.
bool environment_value(const char* p_name, std::string& p_value);

}  // namespace platform

#endif  // SRC_PLATFORM_PROGRAM_H_
