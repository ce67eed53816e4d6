#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/clock.h"
#include "process/process_os.h"

namespace platform {
namespace {

// A standard stream from a file, or left closed.
void attach(const std::string& p_path, int p_flags, int p_standard_fd, bool p_closed) {
    close(p_standard_fd);
    if (!p_closed) {
        const int fd = open(p_path.c_str(), p_flags);
        if (fd != p_standard_fd) {
            dup2(fd, p_standard_fd);
            close(fd);
        }
    }
}

}  // namespace

bool can_close_standard_streams() {
    return true;
}

std::string temporary_file(const char* p_what) {
    std::string path = std::string("/tmp/wbl_process_") + p_what + "_XXXXXX";
    close(mkstemp(&path[0]));
    return path;
}

bool start_child(const std::vector<std::string>& p_argv, const child_files_t& p_files,
                 const process_options_t& p_options, child_t& p_child) {
    const pid_t pid = fork();
    if (pid == 0) {
        attach(p_files.m_in, O_RDONLY, STDIN_FILENO, p_options.m_close_stdin);
        attach(p_files.m_out, O_WRONLY | O_TRUNC, STDOUT_FILENO, p_options.m_close_stdout);
        attach(p_files.m_err, O_WRONLY | O_TRUNC, STDERR_FILENO, p_options.m_close_stderr);
        std::vector<char*> args;
        for (const std::string& arg : p_argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    p_child.m_id = pid;
    return pid > 0;
}

bool child_ended(child_t& p_child, process_result_t& p_res) {
    int status = 0;
    rusage usage = {};
    if (wait4(static_cast<pid_t>(p_child.m_id), &status, WNOHANG, &usage) == 0) {
        sleep_ms(2);
        return false;
    }
    p_res.m_peak_memory_kb = usage.ru_maxrss;  // kilobytes on Linux
    p_res.m_exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

void kill_child(child_t& p_child) {
    kill(static_cast<pid_t>(p_child.m_id), SIGKILL);
}

bool interrupt_child(child_t& p_child) {
    return kill(static_cast<pid_t>(p_child.m_id), SIGINT) == 0;
}

}  // namespace platform
