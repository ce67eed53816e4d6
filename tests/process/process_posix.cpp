#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
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

// The name of a "NAME=VALUE" entry, with its "=".
std::string name_of(const std::string& p_entry) {
    return p_entry.substr(0, p_entry.find('=') + 1);
}

// The environment of this process with p_set over it, made before the child is forked: a
// child of a process with threads may only call what is safe in a signal handler.
std::vector<std::string> child_environment(const std::vector<std::string>& p_set) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string inherited = *entry;
        bool replaced = false;
        for (const std::string& set : p_set) {
            replaced = replaced || name_of(set) == name_of(inherited);
        }
        if (!replaced) {
            entries.push_back(inherited);
        }
    }
    entries.insert(entries.end(), p_set.begin(), p_set.end());
    return entries;
}

std::vector<char*> pointers_to(const std::vector<std::string>& p_texts) {
    std::vector<char*> pointers;
    for (const std::string& text : p_texts) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// A pseudo terminal that passes the text through as written (no "\n" made "\r\n"): its
// master side, the name of its other side in p_name; -1 when none can be had.
int open_terminal(std::string& p_name) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    const char* name =
        master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 ? ptsname(master) : nullptr;
    const int other = name != nullptr ? open(name, O_RDWR | O_NOCTTY) : -1;
    termios mode = {};
    if (other < 0 || tcgetattr(other, &mode) != 0) {
        close(master);
        return -1;
    }
    cfmakeraw(&mode);
    tcsetattr(other, TCSANOW, &mode);
    close(other);
    p_name = name;
    fcntl(master, F_SETFL, O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    return master;
}

// Copies what the terminal holds now into the output file.
void copy_terminal(const child_t& p_child) {
    char buffer[4096];
    long got = 0;
    while (p_child.m_terminal >= 0 &&
           (got = read(p_child.m_terminal, buffer, sizeof(buffer))) > 0) {
        if (write(p_child.m_terminal_copy, buffer, static_cast<std::size_t>(got)) != got) {
            return;
        }
    }
}

}  // namespace

bool can_use_terminal() {
    return true;
}

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
    const std::vector<std::string> environment = child_environment(p_options.m_environment);
    std::vector<char*> args = pointers_to(p_argv);
    std::vector<char*> variables = pointers_to(environment);
    std::string terminal;
    if (p_options.m_terminal) {
        p_child.m_terminal = open_terminal(terminal);
        p_child.m_terminal_copy = open(p_files.m_out.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        attach(p_files.m_in, O_RDONLY, STDIN_FILENO, p_options.m_close_stdin);
        attach(p_files.m_out, O_WRONLY | O_TRUNC, STDOUT_FILENO, p_options.m_close_stdout);
        attach(p_files.m_err, O_WRONLY | O_TRUNC, STDERR_FILENO, p_options.m_close_stderr);
        if (!terminal.empty()) {
            // A session of its own, whose controlling terminal this is.
            setsid();
            attach(terminal, O_RDWR, STDIN_FILENO, false);
            dup2(STDIN_FILENO, STDOUT_FILENO);
            dup2(STDIN_FILENO, STDERR_FILENO);
        }
        execve(args[0], args.data(), variables.data());
        _exit(127);
    }
    p_child.m_id = pid;
    return pid > 0 && (!p_options.m_terminal || p_child.m_terminal >= 0);
}

bool child_ended(child_t& p_child, process_result_t& p_res) {
    int status = 0;
    rusage usage = {};
    copy_terminal(p_child);
    if (wait4(static_cast<pid_t>(p_child.m_id), &status, WNOHANG, &usage) == 0) {
        sleep_ms(2);
        return false;
    }
    copy_terminal(p_child);
    for (int* fd : {&p_child.m_terminal, &p_child.m_terminal_copy}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
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
