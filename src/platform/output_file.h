// A file a program writes whole, put in place only once it is complete: the target is
// checked and a temporary file is made beside it before any work, the text goes into that
// file, and only then is it renamed onto the target. Nothing is ever written through a
// link, nothing but a regular file is ever replaced, and the only file ever deleted is the
// temporary file this process made, which also goes when Ctrl-C or a termination request
// ends the program. Every refusal carries the operating system's reason. Standard output,
// written with checks, belongs here too.
#ifndef SRC_PLATFORM_OUTPUT_FILE_H_
#define SRC_PLATFORM_OUTPUT_FILE_H_

#include <string>

namespace platform {

// Why a target cannot be written.
enum output_result_t {
    OUTPUT_OK,
    OUTPUT_EXISTS,       // a file is there, and replacing it was not allowed
    OUTPUT_NOT_REGULAR,  // a folder, a device, a link or the like is there
    OUTPUT_SYSTEM_ERROR  // the operating system refused; the reason says why
};

struct open_file_t;  // the system's handle, inside the platform layer

// One output file on its way: the owner of its temporary file and of the handle open on it.
// It is never copied (a copy would close and delete twice); its end removes the temporary
// file when it was not put in place.
class output_file_t {
  public:
    output_file_t() = default;
    ~output_file_t();
    output_file_t(const output_file_t&) = delete;
    output_file_t& operator=(const output_file_t&) = delete;

    // Once per output file: checks the target (a regular file, which only p_replace allows,
    // or nothing) and creates a temporary file beside it, exclusively and never through a
    // link. p_reason holds the system's words for OUTPUT_SYSTEM_ERROR.
    output_result_t open(const std::string& p_path, bool p_replace, std::string& p_reason);

    // From now on an existing file is never replaced, whatever open allowed.
    void never_replace() { m_replace = false; }

    // After an open that gave OUTPUT_OK: writes p_text into the temporary file, makes it
    // reach the disk and renames it onto the target: without replacing only when no file
    // appeared there meanwhile (OUTPUT_EXISTS otherwise), with it only over a regular file.
    // When any step failed the temporary file is removed and the target left as it was.
    output_result_t commit(const std::string& p_text, std::string& p_reason);

    // Removes the temporary file, if it is still there; the target is left as it was.
    void discard();

    const std::string& path() const { return m_path; }  // the target, UTF-8

  private:
    void drop_temporary();
    output_result_t put_in_place(const std::string& p_text, std::string& p_reason);
    output_result_t write_in_place(const std::string& p_text, std::string& p_reason);

    std::string m_path;
    std::string m_temporary;  // the file this process made; empty once renamed or removed
    bool m_replace = false;   // an existing regular file may be replaced
    open_file_t* m_file = nullptr;
};

// Writes p_text to standard output and flushes it: false, with p_reason, when it did not
// all get there (a full disk, a closed pipe).
bool write_standard_output(const std::string& p_text, std::string& p_reason);

}  // namespace platform

#endif  // SRC_PLATFORM_OUTPUT_FILE_H_
