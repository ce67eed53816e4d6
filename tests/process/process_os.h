// What the process runner asks of each platform: temporary files for a child's standard
// streams, and a child started, waited for a moment, killed and interrupted.
#ifndef TESTS_PROCESS_PROCESS_OS_H_
#define TESTS_PROCESS_PROCESS_OS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "process/process.h"

namespace platform {

struct child_files_t {
    std::string m_in;
    std::string m_out;
    std::string m_err;
};

struct child_t {
    std::intptr_t m_id = 0;      // process id
    std::intptr_t m_handle = 0;  // process handle where the platform has one
    int m_terminal = -1;         // the terminal's side the runner reads (POSIX), or -1
    int m_terminal_copy = -1;    // where what it reads goes: the output file
};

// A new empty file for one stream of a child; p_what names it.
std::string temporary_file(const char* p_what);

// Starts the child on its stream files (or with a stream closed, as p_options say).
bool start_child(const std::vector<std::string>& p_argv, const child_files_t& p_files,
                 const process_options_t& p_options, child_t& p_child);

// Waits a couple of milliseconds for the child to end (copying what its terminal shows into
// its output file meanwhile); true once it has, with its exit status (-1 when it did not exit
// normally) and peak memory in p_res.
bool child_ended(child_t& p_child, process_result_t& p_res);

void kill_child(child_t& p_child);
// SIGINT on POSIX; CTRL_BREAK to the child's process group on Windows. True when sent.
bool interrupt_child(child_t& p_child);

}  // namespace platform

#endif  // TESTS_PROCESS_PROCESS_OS_H_
