// The operating system's side of an output file, for output_file.cpp alone: one
// implementation per platform, each call one request to the system. output_file.cpp holds
// every rule (what may be replaced, the temporary names, the order of the steps); a call here
// only does what it is asked and, refused, gives the system's words in p_reason.
//
// A file made by create_new goes should the program end before it is kept: Windows deletes
// it when its handle closes (the process's end closes it too), POSIX unlinks it in the
// handler of Ctrl-C and termination, from its creation until release().
#ifndef SRC_PLATFORM_OUTPUT_FILE_OS_H_
#define SRC_PLATFORM_OUTPUT_FILE_OS_H_

#include <string>

namespace platform {

struct open_file_t;  // the system's handle of a file being written, per platform

namespace output_os {

enum found_t { FOUND_NOTHING, FOUND_REGULAR_FILE, FOUND_OTHER, FOUND_UNKNOWN };

// What is at p_path, never through a link (a link is FOUND_OTHER). FOUND_UNKNOWN, with
// p_reason, when the system cannot tell (a folder of the path missing, no permission).
found_t found_at(const std::string& p_path, std::string& p_reason);

enum outcome_t {
    DONE,
    NAME_TAKEN,   // something is at the name already
    REFUSED,      // p_reason says why
    UNSUPPORTED,  // the file system cannot do it this way
};

// Creates p_path for writing, only where nothing is (a link included), and opens it as
// p_file. The file goes at an abrupt end of the program, as said above.
outcome_t create_new(const std::string& p_path, open_file_t*& p_file, std::string& p_reason);

// Writes all of p_text; then makes what was written reach the disk.
bool write_whole(open_file_t& p_file, const std::string& p_text, std::string& p_reason);
bool sync_to_disk(open_file_t& p_file, std::string& p_reason);

// Closes p_file and frees it (p_file is then nullptr). Without p_keep the file may go with its
// handle (Windows); with it, it stays.
bool close_file(open_file_t*& p_file, bool p_keep, std::string& p_reason);

// Renames p_from onto p_to. With p_replace a file at p_to is replaced; without it only
// nothing is, and a file there is NAME_TAKEN. UNSUPPORTED where the file system can neither
// rename nor link without replacing.
outcome_t move_file(const std::string& p_from, const std::string& p_to, bool p_replace,
                    std::string& p_reason);

// Gives p_file the permission bits of the regular file at p_from, when one is there; nothing
// otherwise, nor where the file system refuses them (FAT) or has none to give (Windows).
void keep_permissions_of(open_file_t& p_file, const std::string& p_from);

// The folder part of p_path, up to and with its last separator; empty for a bare name.
std::string folder_of(const std::string& p_path);

// Removes p_path; a file already gone is no error.
void remove_file(const std::string& p_path);

// From now on p_path stays at an abrupt end (POSIX; Windows keeps a file at close).
void release(const std::string& p_path);

// This process's number, for names of its own.
std::string process_number();

// Before a write to standard output, and the system's words for why one failed.
void clear_last_error();
std::string last_error();

}  // namespace output_os
}  // namespace platform

#endif  // SRC_PLATFORM_OUTPUT_FILE_OS_H_
