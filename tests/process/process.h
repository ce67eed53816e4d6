// Runs a program as a child process with a given standard input and collects its
// standard output, standard error and exit status. Used by the end-to-end tests and
// the benchmarks, never by the tool itself: it is built into a library of its own,
// process_runner, that only they link.
#ifndef TESTS_PROCESS_PROCESS_H_
#define TESTS_PROCESS_PROCESS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct process_result_t {
    bool m_started = false;     // the program could be started
    bool m_timed_out = false;   // killed after the time limit
    int m_interrupts_sent = 0;  // interrupts the platform took for delivery
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

// What else is done to the child.
struct process_options_t {
    // Start it with its standard input or output closed (see can_close_standard_streams).
    bool m_close_stdin = false;
    bool m_close_stdout = false;
    bool m_close_stderr = false;
    // Once its standard output holds this text, an interrupt is sent after each delay,
    // counted from that moment: SIGINT on POSIX; on Windows CTRL_BREAK to the child, which
    // then runs in a process group of its own (best effort: an emulator may not deliver it).
    std::string m_interrupt_after;
    bool m_interrupt_after_error = false;  // the text is looked for in standard error instead
    std::vector<int64_t> m_interrupt_delays_ms;
    // Variables set in the child's environment, "NAME=VALUE" each ("NAME=" sets it empty),
    // over those it inherits.
    std::vector<std::string> m_environment;
    // Its standard input, output and error on one terminal (a pseudo terminal that translates
    // nothing), whose text is the result's m_stdout: nothing is typed on it, the standard
    // input text is not used; see can_use_terminal.
    bool m_terminal = false;
};

process_result_t run_process(const std::vector<std::string>& p_argv,
                             const std::string& p_stdin_text, int64_t p_timeout_ms,
                             const process_options_t& p_options);

// False where the child cannot be started with a closed standard stream (Windows).
bool can_close_standard_streams();

// False where the child cannot be given a terminal (Windows).
bool can_use_terminal();

}  // namespace platform

#endif  // TESTS_PROCESS_PROCESS_H_
