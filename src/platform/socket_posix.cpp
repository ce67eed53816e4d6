#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/clock.h"

namespace platform {
namespace {

bool fill_address(const std::string& p_ip, uint16_t p_port, sockaddr_in& p_addr) {
    p_addr = sockaddr_in();
    p_addr.sin_family = AF_INET;
    p_addr.sin_port = htons(p_port);
    return inet_pton(AF_INET, p_ip.c_str(), &p_addr.sin_addr) == 1;
}

// Commands and answers are short lines exchanged one at a time: send each at once.
void set_no_delay(int p_fd) {
    int one = 1;
    setsockopt(p_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
}

int as_fd(socket_t p_sock) {
    return static_cast<int>(p_sock);
}

// A socket is never handed to a child process (the tests start the tool while a
// simulated service listens in the same process).
int new_tcp_socket() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd >= 0) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    return fd;
}

#ifdef MSG_NOSIGNAL
const int G_send_flags = MSG_NOSIGNAL;
#else
const int G_send_flags = 0;  // SIGPIPE is ignored by net_startup
#endif

// strerror_r comes in two forms: the GNU one returns the text, the POSIX one fills the
// buffer and returns a status. These pick the text from either; one of them is unused.
[[maybe_unused]] const char* strerror_text(const char* p_result, const char*) {
    return p_result;
}
[[maybe_unused]] const char* strerror_text(int, const char* p_buffer) {
    return p_buffer;
}

// The operating system's words for an error number.
std::string error_text(int p_error) {
    char buffer[256] = "";
    const std::string text = strerror_text(strerror_r(p_error, buffer, sizeof(buffer)), buffer);
    return text.empty() ? "error " + std::to_string(p_error) : text;
}

void set_error_text(std::string* p_error_text, const std::string& p_text) {
    if (p_error_text != nullptr) {
        *p_error_text = p_text;
    }
}

// Closes the socket of a failed attempt and returns INVALID_SOCKET_HANDLE. errno is saved
// before the close, which may change it, and its text handed to the caller.
socket_t give_up(int p_fd, std::string* p_error_text) {
    const int error = errno;
    close(p_fd);
    set_error_text(p_error_text, error_text(error));
    return INVALID_SOCKET_HANDLE;
}

// A new socket and the address p_ip:p_port for it; -1 when either cannot be had, with the
// cause in p_error_text when given.
int socket_for(const std::string& p_ip, uint16_t p_port, sockaddr_in& p_addr,
               std::string* p_error_text) {
    if (!fill_address(p_ip, p_port, p_addr)) {
        set_error_text(p_error_text, "not an IPv4 address: " + p_ip);
        return -1;
    }
    const int fd = new_tcp_socket();
    if (fd < 0) {
        set_error_text(p_error_text, error_text(errno));
    }
    return fd;
}

}  // namespace

bool net_startup() {
    static const bool started = signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    return started;
}

socket_t tcp_connect(const std::string& p_ip, uint16_t p_port, std::string* p_error_text) {
    sockaddr_in addr;
    const int fd = socket_for(p_ip, p_port, addr, p_error_text);
    if (fd < 0) {
        return INVALID_SOCKET_HANDLE;
    }
    int rc;
    do {
        rc = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr));
    } while (rc == -1 && errno == EINTR);
    if (rc == -1) {
        return give_up(fd, p_error_text);
    }
    set_no_delay(fd);
    return fd;
}

socket_t tcp_listen(const std::string& p_ip, uint16_t p_port, uint16_t& p_bound_port,
                    std::string* p_error_text) {
    sockaddr_in addr;
    const int fd = socket_for(p_ip, p_port, addr, p_error_text);
    if (fd < 0) {
        return INVALID_SOCKET_HANDLE;
    }
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    socklen_t len = sizeof(addr);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == -1 ||
        listen(fd, listen_backlog) == -1 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == -1) {
        return give_up(fd, p_error_text);
    }
    p_bound_port = ntohs(addr.sin_port);
    return fd;
}

socket_t tcp_accept(socket_t p_listener) {
    int fd;
    do {
        fd = accept(as_fd(p_listener), nullptr, nullptr);
    } while (fd == -1 && errno == EINTR);
    if (fd < 0) {
        return INVALID_SOCKET_HANDLE;
    }
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    set_no_delay(fd);
    return fd;
}

wait_result_t socket_wait_readable(socket_t p_sock, int64_t p_timeout_ms) {
    if (p_sock == INVALID_SOCKET_HANDLE) {
        return WAIT_RESULT_ERROR;
    }
    const int64_t deadline = monotonic_ms() + (p_timeout_ms > 0 ? p_timeout_ms : 0);
    for (;;) {
        pollfd entry = {as_fd(p_sock), POLLIN, 0};
        const int64_t left = deadline - monotonic_ms();
        const int wait = left <= 0 ? 0 : (left > INT_MAX ? INT_MAX : static_cast<int>(left));
        const int rc = poll(&entry, 1, wait);
        if (rc > 0) {
            return (entry.revents & POLLNVAL) != 0 ? WAIT_RESULT_ERROR : WAIT_RESULT_READY;
        }
        if (rc == 0) {
            return WAIT_RESULT_TIMEOUT;
        }
        if (errno != EINTR) {
            return WAIT_RESULT_ERROR;
        }
    }
}

long socket_recv(socket_t p_sock, char* p_buf, std::size_t p_len) {
    ssize_t got;
    do {
        got = recv(as_fd(p_sock), p_buf, p_len, 0);
    } while (got == -1 && errno == EINTR);
    return got < 0 ? -1 : static_cast<long>(got);
}

bool socket_send_all(socket_t p_sock, const char* p_data, std::size_t p_len) {
    while (p_len > 0) {
        const ssize_t sent = send(as_fd(p_sock), p_data, p_len, G_send_flags);
        if (sent == -1 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        p_data += sent;
        p_len -= static_cast<std::size_t>(sent);
    }
    return true;
}

void socket_close(socket_t p_sock) {
    if (p_sock != INVALID_SOCKET_HANDLE) {
        close(as_fd(p_sock));
    }
}

void socket_shutdown(socket_t p_sock) {
    if (p_sock != INVALID_SOCKET_HANDLE) {
        shutdown(as_fd(p_sock), SHUT_RDWR);
    }
}

}  // namespace platform
