#include "platform/output_file_os.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace platform {

struct open_file_t {
    int m_fd;
};

namespace output_os {
namespace {

// The signals that end a program by default when a person or the system stops it.
const int G_ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
// The permission bits a replaced file passes on (not set-user-ID and the like).
const mode_t G_permission_bits = 0777;

// The file a signal that ends the program unlinks first: a copy of its path made before the
// handler may need it, lock-free so that the handler may read it.
std::atomic<char*> G_guarded(nullptr);

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

// Only async-signal-safe calls: unlinks the guarded file, then gives the signal its default
// action again and raises it, which ends the program as if no handler had been there.
void on_ending_signal(int p_signal) {
    const char* path = G_guarded.load();
    if (path != nullptr) {
        unlink(path);
    }
    struct sigaction default_action = {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(p_signal, &default_action, nullptr);
    raise(p_signal);
}

// One file at a time is guarded (a program writes one). The handler takes only signals left
// at their default action: one the program handles itself stays in its charge, and one it
// ignores does not end it. Once set, the handler stays: with nothing guarded it ends the
// program as the default would.
void guard(const std::string& p_path) {
    char* copy = new char[p_path.size() + 1];
    std::memcpy(copy, p_path.c_str(), p_path.size() + 1);
    char* none = nullptr;
    if (!G_guarded.compare_exchange_strong(none, copy)) {
        delete[] copy;
        return;
    }
    for (const int signal_number : G_ending_signals) {
        struct sigaction now = {};
        if (sigaction(signal_number, nullptr, &now) == 0 && now.sa_handler == SIG_DFL) {
            struct sigaction action = {};
            action.sa_handler = on_ending_signal;
            sigemptyset(&action.sa_mask);
            sigaction(signal_number, &action, nullptr);
        }
    }
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
    // Guarded only once made: a name that was taken is never another's file unlinked.
    guard(p_path);
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

bool close_file(open_file_t*& p_file, bool, std::string& p_reason) {
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

void keep_permissions_of(open_file_t& p_file, const std::string& p_from) {
    struct stat info = {};
    if (lstat(p_from.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        fchmod(p_file.m_fd, info.st_mode & G_permission_bits);
    }
}

std::string folder_of(const std::string& p_path) {
    const std::size_t slash = p_path.rfind('/');
    return slash == std::string::npos ? std::string() : p_path.substr(0, slash + 1);
}

void remove_file(const std::string& p_path) {
    unlink(p_path.c_str());
}

void release(const std::string& p_path) {
    char* guarded = G_guarded.load();
    if (guarded != nullptr && p_path == guarded &&
        G_guarded.compare_exchange_strong(guarded, nullptr)) {
        delete[] guarded;
    }
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
