#include "platform/output_file_os.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

struct open_file_t {
    int m_fd;
};

namespace output_os {
namespace {

bool refused(std::string& p_reason) {
    p_reason = std::strerror(errno);
    return false;
}

outcome_t outcome_of_errno(std::string& p_reason) {
    const outcome_t outcome = errno == EEXIST ? NAME_TAKEN : REFUSED;
    refused(p_reason);
    return outcome;
}

// The errors of a file system or kernel that cannot do a link or a rename without replacing
// (FAT and exFAT refuse links with EPERM; an older kernel knows no RENAME_NOREPLACE).
bool unsupported(int p_error) {
    return p_error == EPERM || p_error == EINVAL || p_error == ENOSYS || p_error == EOPNOTSUPP ||
           p_error == ENOTSUP;
}

int rename_without_replacing(const char* p_from, const char* p_to) {
#ifdef RENAME_NOREPLACE
    return renameat2(AT_FDCWD, p_from, AT_FDCWD, p_to, RENAME_NOREPLACE);
#else
    errno = ENOSYS;  // a system without it: the caller writes the target in place
    return -1;
#endif
}

}  // namespace

found_t found_at(const std::string& p_path, std::string& p_reason) {
    struct stat info = {};
    if (lstat(p_path.c_str(), &info) == 0) {
        return S_ISREG(info.st_mode) ? FOUND_REGULAR_FILE : FOUND_OTHER;
    }
    if (errno == ENOENT) {
        return FOUND_NOTHING;
    }
    refused(p_reason);
    return FOUND_UNKNOWN;
}

outcome_t create_new(const std::string& p_path, open_file_t*& p_file, std::string& p_reason) {
    const int fd = open(p_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return outcome_of_errno(p_reason);
    }
    p_file = new open_file_t{fd};
    return DONE;
}

bool write_whole(open_file_t& p_file, const std::string& p_text, std::string& p_reason) {
    std::size_t done = 0;
    while (done < p_text.size()) {
        const ssize_t wrote = write(p_file.m_fd, p_text.data() + done, p_text.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            errno = wrote == 0 ? EIO : errno;
            return refused(p_reason);
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool sync_to_disk(open_file_t& p_file, std::string& p_reason) {
    return fsync(p_file.m_fd) == 0 || refused(p_reason);
}

bool close_file(open_file_t*& p_file, std::string& p_reason) {
    const int fd = p_file->m_fd;
    delete p_file;
    p_file = nullptr;
    return close(fd) == 0 || refused(p_reason);
}

outcome_t move_file(const std::string& p_from, const std::string& p_to, bool p_replace,
                    std::string& p_reason) {
    if (p_replace) {
        return rename(p_from.c_str(), p_to.c_str()) == 0 ? DONE : outcome_of_errno(p_reason);
    }
    // A hard link is made only where nothing is: a file that appeared meanwhile stays. Where
    // the file system has no links (FAT, exFAT), the kernel's rename without replacing does
    // the same.
    if (link(p_from.c_str(), p_to.c_str()) == 0) {
        unlink(p_from.c_str());
        return DONE;
    }
    if (!unsupported(errno)) {
        return outcome_of_errno(p_reason);
    }
    if (rename_without_replacing(p_from.c_str(), p_to.c_str()) == 0) {
        return DONE;
    }
    return unsupported(errno) ? UNSUPPORTED : outcome_of_errno(p_reason);
}

void remove_file(const std::string& p_path) {
    unlink(p_path.c_str());
}

std::string process_number() {
    return std::to_string(getpid());
}

void clear_last_error() {
    errno = 0;
}

std::string last_error() {
    return std::strerror(errno != 0 ? errno : EIO);
}

}  // namespace output_os
}  // namespace platform
