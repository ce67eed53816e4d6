// Where a job of read_brimel_label writes its text: standard output, or a file checked and
// made beside its target before any device is read, and put in place only once the text is
// complete. A job that could not read every device never replaces a file. Every failure is
// told, with the system's reason.
#ifndef SRC_READ_BRIMEL_LABEL_READ_OUTPUT_H_
#define SRC_READ_BRIMEL_LABEL_READ_OUTPUT_H_

#include <string>

#include "basic_type/basic_type.h"
#include "platform/output_file.h"

struct read_output_t {
    bool m_to_file = false;
    platform::output_file_t m_file;
};

// "-" (or nothing) is standard output, which the program keeps for the text alone. A file is
// checked and its temporary file made now; false after the message when it cannot be.
bool open_read_output(const std::string& p_path, bool p_replace, read_output_t& p_output);

// Writes the text; p_written says where, for a file. A text without every device it was to
// hold (p_whole false) goes into a file only where none is: an existing one is kept, --force
// or not, and p_kept says so. False after the message when the text was not written whole.
bool finish_read_output(read_output_t& p_output, const std::string& p_text, bool p_whole,
                        console_message_t (*p_written)(const std::string&),
                        console_message_t (*p_kept)(const std::string&));

// Gives up a job's file before its text: the target stays as it was, p_not_written says so.
void abandon_read_output(read_output_t& p_output,
                         console_message_t (*p_not_written)(const std::string&));

#endif  // SRC_READ_BRIMEL_LABEL_READ_OUTPUT_H_
