// Runs a program as a child process with a given standard input and collects its
// standard output, standard error and exit status. Used by the end-to-end tests and
// the benchmarks, never by the tool itself: it is built into a library of its own,
// process_runner, that only they link.
#ifndef SRC_PLATFORM_PROCESS_H_
#define SRC_PLATFORM_PROCESS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct process_result_t {
    bool m_started = false;     // the program could be started
    bool m_timed_out = false;   // killed after the time limit
    int m_exit_status = -1;     // exit status, -1 when it did not exit normally
    long m_peak_memory_kb = 0;  // largest resident set of the child, 0 where unknown
    std::string m_stdout;
    std::string m_stderr;
};

// Runs p_argv[0] with the arguments p_argv[1..]. p_stdin_text is written to its standard
// input, which is then closed (an empty text gives end of input at once). The child is
// killed after p_timeout_ms.
process_result_t run_process(const std::vector<std::string>& p_argv,
                             const std::string& p_stdin_text, int64_t p_timeout_ms);

}  // namespace platform

#endif  // SRC_PLATFORM_PROCESS_H_
