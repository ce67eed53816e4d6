#include "platform/program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {
namespace {

void prepare_process() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // open takes the lowest free descriptor, which is fd itself: the lower ones are open.
        const int null_fd = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null_fd >= 0 && null_fd != fd) {
            dup2(null_fd, fd);
            close(null_fd);
        }
    }
    signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> program_arguments(int p_argc, char** p_argv) {
    std::vector<std::string> args;
    for (int k = 0; k < p_argc; ++k) {
        args.push_back(p_argv[k] != nullptr ? p_argv[k] : "");
    }
    return args;
}

}  // namespace

int run_program(int p_argc, char** p_argv, int (*p_body)(const std::vector<std::string>&)) {
    prepare_process();
    return p_body(program_arguments(p_argc, p_argv));
}

std::FILE* open_file_for_reading(const std::string& p_path) {
    std::FILE* file = std::fopen(p_path.c_str(), "rb");
    struct stat info = {};
    // A directory opens for reading here, but has no lines.
    if (file != nullptr && (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode))) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool names_a_file(const std::string& p_path) {
    struct stat info = {};
    return stat(p_path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool environment_value(const char* p_name, std::string& p_value) {
    const char* value = std::getenv(p_name);
    if (value == nullptr) {
        return false;
    }
    p_value = value;
    return true;
}

}  // namespace platform
