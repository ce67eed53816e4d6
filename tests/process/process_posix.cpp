#include "process/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/clock.h"

namespace platform {
namespace {

struct pipe_pair_t {
    int m_read = -1;
    int m_write = -1;
};

bool make_pipe(pipe_pair_t& p_pipe) {
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    p_pipe.m_read = fds[0];
    p_pipe.m_write = fds[1];
    return true;
}

void close_fd(int& p_fd) {
    if (p_fd >= 0) {
        close(p_fd);
        p_fd = -1;
    }
}

// A standard stream left closed: the pipe ends are closed on exec anyway.
void attach(int p_pipe_end, int p_standard_fd, bool p_closed) {
    if (p_closed) {
        close(p_standard_fd);
    } else {
        dup2(p_pipe_end, p_standard_fd);
    }
}

[[noreturn]] void exec_child(const std::vector<std::string>& p_argv, const pipe_pair_t& p_in,
                             const pipe_pair_t& p_out, const pipe_pair_t& p_err,
                             const process_options_t& p_options) {
    attach(p_in.m_read, STDIN_FILENO, p_options.m_close_stdin);
    attach(p_out.m_write, STDOUT_FILENO, p_options.m_close_stdout);
    attach(p_err.m_write, STDERR_FILENO, p_options.m_close_stderr);
    std::vector<char*> args;
    for (const std::string& arg : p_argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// The interrupts still to send to the child, once its output holds the trigger text.
struct interrupter_t {
    pid_t m_pid = -1;
    const process_options_t* m_options = nullptr;
    int64_t m_triggered_at = -1;  // when the trigger text was seen; -1: not yet
    std::size_t m_next = 0;       // index of the next delay

    bool pending() const { return m_next < m_options->m_interrupt_delays_ms.size(); }

    // Sends what is due; returns when the next one is (p_limit when none is).
    int64_t send_due(const std::string& p_output, int64_t p_limit, process_result_t& p_res) {
        if (!pending()) {
            return p_limit;
        }
        if (m_triggered_at < 0) {
            if (p_output.find(m_options->m_interrupt_after) == std::string::npos) {
                return p_limit;
            }
            m_triggered_at = monotonic_ms();
        }
        while (pending() &&
               m_triggered_at + m_options->m_interrupt_delays_ms[m_next] <= monotonic_ms()) {
            ++m_next;
            if (kill(m_pid, SIGINT) == 0) {
                ++p_res.m_interrupts_sent;
            }
        }
        if (!pending()) {
            return p_limit;
        }
        return std::min(p_limit, m_triggered_at + m_options->m_interrupt_delays_ms[m_next]);
    }
};

// Feeds the child's standard input and drains its two outputs until both close or the
// deadline passes, sending the interrupts as they fall due. Returns false on time-out.
bool pump(int& p_in, int& p_out, int& p_err, const std::string& p_input, process_result_t& p_res,
          int64_t p_deadline, interrupter_t& p_interrupter) {
    std::size_t written = 0;
    if (p_input.empty()) {
        close_fd(p_in);
    }
    char buf[65536];
    while (p_out >= 0 || p_err >= 0) {
        pollfd fds[3] = {{p_out, POLLIN, 0}, {p_err, POLLIN, 0}, {p_in, POLLOUT, 0}};
        if (monotonic_ms() >= p_deadline) {
            return false;
        }
        const int64_t next = p_interrupter.send_due(p_res.m_stdout, p_deadline, p_res);
        const int64_t left = std::max<int64_t>(0, next - monotonic_ms());
        const int rc = poll(fds, 3, left > INT_MAX ? INT_MAX : static_cast<int>(left));
        if (rc < 0 && errno != EINTR) {
            return false;
        }
        int* targets[2] = {&p_out, &p_err};
        std::string* sinks[2] = {&p_res.m_stdout, &p_res.m_stderr};
        for (int k = 0; k < 2; ++k) {
            if (*targets[k] >= 0 && (fds[k].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                const ssize_t got = read(*targets[k], buf, sizeof(buf));
                if (got > 0) {
                    sinks[k]->append(buf, static_cast<std::size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    close_fd(*targets[k]);
                }
            }
        }
        if (p_in >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t put = write(p_in, p_input.data() + written, p_input.size() - written);
            if (put > 0) {
                written += static_cast<std::size_t>(put);
            }
            if (put < 0 || written == p_input.size()) {
                close_fd(p_in);
            }
        }
    }
    return true;
}

}  // namespace

process_result_t run_process(const std::vector<std::string>& p_argv,
                             const std::string& p_stdin_text, int64_t p_timeout_ms) {
    return run_process(p_argv, p_stdin_text, p_timeout_ms, process_options_t());
}

bool can_close_standard_streams() {
    return true;
}

process_result_t run_process(const std::vector<std::string>& p_argv,
                             const std::string& p_stdin_text, int64_t p_timeout_ms,
                             const process_options_t& p_options) {
    process_result_t res;
    signal(SIGPIPE, SIG_IGN);
    pipe_pair_t in, out, err;
    if (p_argv.empty() || !make_pipe(in) || !make_pipe(out) || !make_pipe(err)) {
        return res;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        exec_child(p_argv, in, out, err, p_options);
    }
    close_fd(in.m_read);
    close_fd(out.m_write);
    close_fd(err.m_write);
    if (pid < 0) {
        close_fd(in.m_write);
        close_fd(out.m_read);
        close_fd(err.m_read);
        return res;
    }
    res.m_started = true;
    const int64_t deadline = monotonic_ms() + p_timeout_ms;
    interrupter_t interrupter;
    interrupter.m_pid = pid;
    interrupter.m_options = &p_options;
    if (!pump(in.m_write, out.m_read, err.m_read, p_stdin_text, res, deadline, interrupter)) {
        res.m_timed_out = true;
        kill(pid, SIGKILL);
    }
    close_fd(in.m_write);
    close_fd(out.m_read);
    close_fd(err.m_read);
    int status = 0;
    rusage usage = {};
    while (wait4(pid, &status, 0, &usage) == -1 && errno == EINTR) {
    }
    res.m_peak_memory_kb = usage.ru_maxrss;  // kilobytes on Linux
    if (WIFEXITED(status)) {
        res.m_exit_status = WEXITSTATUS(status);
    }
    return res;
}

}  // namespace platform
