#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

std::atomic<unsigned> G_temporary_count(0);

output_result_t system_error(std::string& p_reason) {
    p_reason = std::strerror(errno);
    return OUTPUT_SYSTEM_ERROR;
}

// The folder of a path: what comes before its last "/", "." without one.
std::string folder_of(const std::string& p_path) {
    const std::size_t slash = p_path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : p_path.substr(0, slash);
}

// What is at the target now: OUTPUT_OK for nothing or a regular file that may be replaced.
output_result_t target_state(const std::string& p_path, bool p_replace, std::string& p_reason) {
    struct stat info = {};
    if (lstat(p_path.c_str(), &info) != 0) {
        return errno == ENOENT ? OUTPUT_OK : system_error(p_reason);
    }
    if (!S_ISREG(info.st_mode)) {
        return OUTPUT_NOT_REGULAR;
    }
    return p_replace ? OUTPUT_OK : OUTPUT_EXISTS;
}

bool write_all(int p_fd, const std::string& p_text) {
    std::size_t done = 0;
    while (done < p_text.size()) {
        const ssize_t wrote = write(p_fd, p_text.data() + done, p_text.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// Renames the complete temporary file onto the target, never over a file without p_replace.
output_result_t put_in_place(const output_file_t& p_file, std::string& p_reason) {
    const output_result_t state = target_state(p_file.m_path, p_file.m_replace, p_reason);
    if (state != OUTPUT_OK) {
        return state;
    }
    if (p_file.m_replace) {
        return rename(p_file.m_temporary.c_str(), p_file.m_path.c_str()) == 0
                   ? OUTPUT_OK
                   : system_error(p_reason);
    }
    // A hard link is made only where no file is: one that appeared meanwhile stays.
    if (link(p_file.m_temporary.c_str(), p_file.m_path.c_str()) != 0) {
        return errno == EEXIST ? OUTPUT_EXISTS : system_error(p_reason);
    }
    unlink(p_file.m_temporary.c_str());
    return OUTPUT_OK;
}

}  // namespace

output_result_t output_file_open(const std::string& p_path, bool p_replace, output_file_t& p_file,
                                 std::string& p_reason) {
    p_file = output_file_t();
    p_file.m_path = p_path;
    p_file.m_replace = p_replace;
    struct stat folder = {};
    if (stat(folder_of(p_path).c_str(), &folder) != 0) {
        return system_error(p_reason);
    }
    if (!S_ISDIR(folder.st_mode)) {
        errno = ENOTDIR;
        return system_error(p_reason);
    }
    const output_result_t state = target_state(p_path, p_replace, p_reason);
    if (state != OUTPUT_OK) {
        return state;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = p_path + "." + std::to_string(getpid()) + "-" +
                                      std::to_string(++G_temporary_count) + ".part";
        const int fd =
            open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            p_file.m_temporary = temporary;
            p_file.m_handle = fd;
            return OUTPUT_OK;
        }
        if (errno != EEXIST) {
            return system_error(p_reason);
        }
    }
    return system_error(p_reason);
}

output_result_t output_file_commit(output_file_t& p_file, const std::string& p_text,
                                   std::string& p_reason) {
    const int fd = static_cast<int>(p_file.m_handle);
    p_file.m_handle = -1;
    output_result_t result = OUTPUT_OK;
    if (!write_all(fd, p_text) || fsync(fd) != 0) {
        result = system_error(p_reason);
    }
    if (close(fd) != 0 && result == OUTPUT_OK) {
        result = system_error(p_reason);
    }
    if (result == OUTPUT_OK) {
        result = put_in_place(p_file, p_reason);
    }
    if (result == OUTPUT_OK) {
        p_file.m_temporary.clear();  // it is the target now
    }
    output_file_discard(p_file);
    return result;
}

void output_file_discard(output_file_t& p_file) {
    if (p_file.m_handle >= 0) {
        close(static_cast<int>(p_file.m_handle));
        p_file.m_handle = -1;
    }
    if (!p_file.m_temporary.empty()) {
        unlink(p_file.m_temporary.c_str());
        p_file.m_temporary.clear();
    }
}

bool write_standard_output(const std::string& p_text, std::string& p_reason) {
    errno = 0;
    const bool ok = std::fwrite(p_text.data(), 1, p_text.size(), stdout) == p_text.size() &&
                    std::fflush(stdout) == 0;
    if (!ok) {
        p_reason = std::strerror(errno != 0 ? errno : EIO);
    }
    return ok;
}

}  // namespace platform
