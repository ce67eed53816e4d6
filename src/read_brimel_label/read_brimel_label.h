// The read_brimel_label program: its command line, the devices it reads and the messages
// it shows, the backup it prints or writes to a file, --verify and --capture. What it reads
// and the texts it builds come from the device core; this folder holds the program alone.
// It only ever reads: it refuses memory writes before anything else (refuse_memory_writes),
// and its code calls no function that writes.
#ifndef SRC_READ_BRIMEL_LABEL_READ_BRIMEL_LABEL_H_
#define SRC_READ_BRIMEL_LABEL_READ_BRIMEL_LABEL_H_

#include <string>
#include <vector>

#include "basic_type/basic_type.h"

struct read_options_t {
    bool m_help = false;
    std::vector<std::string> m_devices;  // names given, in order; none: every compatible one
    std::string m_output;                // -o FILE; empty: standard output
    bool m_force = false;                // --force: -o may replace an existing FILE
    std::string m_verify;                // --verify FILE
    std::string m_capture;               // --capture FILE
};

// Reads the arguments after the program's name; FAIL, after its message, when they cannot
// be carried out.
Status parse_read_options(const std::vector<std::string>& p_args, read_options_t& p_options);

// The manual, with p_program as the command name; CR LF line ends.
std::string read_user_manual_text(const std::string& p_program);

// The program, on its arguments (the program's name first): back up, verify, capture or show
// the manual. 0 on success, 1 on any failure.
int read_brimel_label_main(const std::vector<std::string>& p_args);

#endif  // SRC_READ_BRIMEL_LABEL_READ_BRIMEL_LABEL_H_
