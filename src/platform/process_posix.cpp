#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

[[noreturn]] void exec_child(const std::vector<std::string>& p_argv, const pipe_pair_t& p_in,
                             const pipe_pair_t& p_out, const pipe_pair_t& p_err) {
    dup2(p_in.m_read, STDIN_FILENO);
    dup2(p_out.m_write, STDOUT_FILENO);
    dup2(p_err.m_write, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : p_argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

// Feeds the child's standard input and drains its two outputs until both close or the
// deadline passes. Returns false on time-out.
bool pump(int& p_in, int& p_out, int& p_err, const std::string& p_input, process_result_t& p_res,
          int64_t p_deadline) {
    std::size_t written = 0;
    if (p_input.empty()) {
        close_fd(p_in);
    }
    char buf[65536];
    while (p_out >= 0 || p_err >= 0) {
        pollfd fds[3] = {{p_out, POLLIN, 0}, {p_err, POLLIN, 0}, {p_in, POLLOUT, 0}};
        const int64_t left = p_deadline - monotonic_ms();
        if (left <= 0) {
            return false;
        }
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
    process_result_t res;
    signal(SIGPIPE, SIG_IGN);
    pipe_pair_t in, out, err;
    if (p_argv.empty() || !make_pipe(in) || !make_pipe(out) || !make_pipe(err)) {
        return res;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        exec_child(p_argv, in, out, err);
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
    if (!pump(in.m_write, out.m_read, err.m_read, p_stdin_text, res, deadline)) {
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
