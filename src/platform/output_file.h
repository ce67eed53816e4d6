// A file a program writes whole, put in place only once it is complete: the target is
// checked and a temporary file is made beside it before any work, the text goes into that
// file, and only then is it renamed onto the target. Nothing is ever written through a
// link, nothing but a regular file is ever replaced, and the only file ever deleted is the
// temporary file this process made. Every refusal carries the operating system's reason.
// Standard output, written with checks, belongs here too.
#ifndef SRC_PLATFORM_OUTPUT_FILE_H_
#define SRC_PLATFORM_OUTPUT_FILE_H_

#include <cstdint>
#include <string>

namespace platform {

// Why a target cannot be written.
enum output_result_t {
    OUTPUT_OK,
    OUTPUT_EXISTS,       // a file is there, and replacing it was not allowed
    OUTPUT_NOT_REGULAR,  // a folder, a device, a link or the like is there
    OUTPUT_SYSTEM_ERROR  // the operating system refused; the reason says why
};

struct output_file_t {
    std::string m_path;       // the target, UTF-8
    std::string m_temporary;  // the file this process made; empty once renamed or removed
    bool m_replace = false;   // an existing regular file may be replaced
    std::intptr_t m_handle = -1;
};

// Checks the target (its folder exists; the target is a regular file, which only
// p_replace allows, or nothing) and creates a temporary file beside it, exclusively and
// never through a link. p_reason holds the system's words for OUTPUT_SYSTEM_ERROR.
output_result_t output_file_open(const std::string& p_path, bool p_replace, output_file_t& p_file,
                                 std::string& p_reason);

// Writes p_text into the temporary file, makes it reach the disk and renames it onto the
// target: without p_replace only when no file appeared there meanwhile (OUTPUT_EXISTS
// otherwise), with it only over a regular file. When any step failed the temporary file is
// removed and the target left as it was.
output_result_t output_file_commit(output_file_t& p_file, const std::string& p_text,
                                   std::string& p_reason);

// Removes the temporary file, if it is still there; the target is left as it was.
void output_file_discard(output_file_t& p_file);

// Writes p_text to standard output and flushes it: false, with p_reason, when it did not
// all get there (a full disk, a closed pipe).
bool write_standard_output(const std::string& p_text, std::string& p_reason);

}  // namespace platform

#endif  // SRC_PLATFORM_OUTPUT_FILE_H_
