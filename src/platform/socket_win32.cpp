#include "platform/socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/clock.h"
#include "platform/wide_text_win32.h"

namespace platform {
namespace {

SOCKET as_socket(socket_t p_sock) {
    return static_cast<SOCKET>(p_sock);
}

socket_t as_handle(SOCKET p_sock) {
    return p_sock == INVALID_SOCKET ? INVALID_SOCKET_HANDLE : static_cast<socket_t>(p_sock);
}

bool fill_address(const std::string& p_ip, uint16_t p_port, sockaddr_in& p_addr) {
    p_addr = sockaddr_in();
    p_addr.sin_family = AF_INET;
    p_addr.sin_port = htons(p_port);
    return inet_pton(AF_INET, p_ip.c_str(), &p_addr.sin_addr) == 1;
}

// Commands and answers are short lines exchanged one at a time: send each at once.
void set_no_delay(SOCKET p_sock) {
    BOOL one = TRUE;
    setsockopt(p_sock, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof(one));
}

SOCKET new_tcp_socket() {
    // Not inherited by child processes (the tests start the tool while a simulated
    // service listens in the same process).
    return WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
}

bool is_listening(SOCKET p_sock) {
    BOOL listening = FALSE;
    int len = sizeof(listening);
    return getsockopt(p_sock, SOL_SOCKET, SO_ACCEPTCONN, reinterpret_cast<char*>(&listening),
                      &len) == 0 &&
           listening;
}

// Windows wakes neither a select nor an accept blocked on a listening socket when it is shut
// down; a connection to it does. The caller closes the listener without accepting it.
void wake_listener(SOCKET p_listener) {
    sockaddr_in addr;
    int len = sizeof(addr);
    if (getsockname(p_listener, reinterpret_cast<sockaddr*>(&addr), &len) == SOCKET_ERROR) {
        return;
    }
    if (addr.sin_addr.s_addr == htonl(INADDR_ANY)) {
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    const SOCKET waker = new_tcp_socket();
    if (waker != INVALID_SOCKET) {
        connect(waker, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr));
        closesocket(waker);
    }
}

std::string error_text(int p_error) {
    return system_error_text(static_cast<unsigned long>(p_error));
}

void set_error_text(std::string* p_error_text, const std::string& p_text) {
    if (p_error_text != nullptr) {
        *p_error_text = p_text;
    }
}

// Closes the socket of a failed attempt and returns INVALID_SOCKET_HANDLE. The error code
// is saved before the close, which may change it, and its text handed to the caller.
socket_t give_up(SOCKET p_sock, std::string* p_error_text) {
    const int error = WSAGetLastError();
    closesocket(p_sock);
    set_error_text(p_error_text, error_text(error));
    return INVALID_SOCKET_HANDLE;
}

// A new socket and the address p_ip:p_port for it; INVALID_SOCKET when either cannot be
// had, with the cause in p_error_text when given.
SOCKET socket_for(const std::string& p_ip, uint16_t p_port, sockaddr_in& p_addr,
                  std::string* p_error_text) {
    if (!net_startup()) {
        set_error_text(p_error_text, "Winsock did not start");
        return INVALID_SOCKET;
    }
    if (!fill_address(p_ip, p_port, p_addr)) {
        set_error_text(p_error_text, "not an IPv4 address: " + p_ip);
        return INVALID_SOCKET;
    }
    const SOCKET sock = new_tcp_socket();
    if (sock == INVALID_SOCKET) {
        set_error_text(p_error_text, error_text(WSAGetLastError()));
    }
    return sock;
}

}  // namespace

bool net_startup() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

socket_t tcp_connect(const std::string& p_ip, uint16_t p_port, std::string* p_error_text) {
    sockaddr_in addr;
    const SOCKET sock = socket_for(p_ip, p_port, addr, p_error_text);
    if (sock == INVALID_SOCKET) {
        return INVALID_SOCKET_HANDLE;
    }
    if (connect(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == SOCKET_ERROR) {
        return give_up(sock, p_error_text);
    }
    set_no_delay(sock);
    return as_handle(sock);
}

socket_t tcp_listen(const std::string& p_ip, uint16_t p_port, uint16_t& p_bound_port,
                    std::string* p_error_text) {
    sockaddr_in addr;
    const SOCKET sock = socket_for(p_ip, p_port, addr, p_error_text);
    if (sock == INVALID_SOCKET) {
        return INVALID_SOCKET_HANDLE;
    }
    // A second listener on a port in use must fail, as it does on POSIX.
    BOOL one = TRUE;
    setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one),
               sizeof(one));
    int len = sizeof(addr);
    if (bind(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == SOCKET_ERROR ||
        listen(sock, listen_backlog) == SOCKET_ERROR ||
        getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len) == SOCKET_ERROR) {
        return give_up(sock, p_error_text);
    }
    p_bound_port = ntohs(addr.sin_port);
    return as_handle(sock);
}

socket_t tcp_accept(socket_t p_listener) {
    const SOCKET sock = accept(as_socket(p_listener), nullptr, nullptr);
    if (sock != INVALID_SOCKET) {
        set_no_delay(sock);
    }
    return as_handle(sock);
}

wait_result_t socket_wait_readable(socket_t p_sock, int64_t p_timeout_ms) {
    if (p_sock == INVALID_SOCKET_HANDLE) {
        return WAIT_RESULT_ERROR;
    }
    const int64_t wait = p_timeout_ms > 0 ? p_timeout_ms : 0;
    fd_set read_set;
    FD_ZERO(&read_set);
    FD_SET(as_socket(p_sock), &read_set);
    timeval timeout;
    timeout.tv_sec = static_cast<long>(wait / 1000);
    timeout.tv_usec = static_cast<long>((wait % 1000) * 1000);
    const int rc = select(0, &read_set, nullptr, nullptr, &timeout);
    if (rc == SOCKET_ERROR) {
        return WAIT_RESULT_ERROR;
    }
    return rc > 0 && FD_ISSET(as_socket(p_sock), &read_set) ? WAIT_RESULT_READY
                                                            : WAIT_RESULT_TIMEOUT;
}

long socket_recv(socket_t p_sock, char* p_buf, std::size_t p_len) {
    const int len = p_len > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(p_len);
    const int got = recv(as_socket(p_sock), p_buf, len, 0);
    return got == SOCKET_ERROR ? -1 : got;
}

bool socket_send_all(socket_t p_sock, const char* p_data, std::size_t p_len) {
    while (p_len > 0) {
        const int len = p_len > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(p_len);
        const int sent = send(as_socket(p_sock), p_data, len, 0);
        if (sent == SOCKET_ERROR || sent == 0) {
            return false;
        }
        p_data += sent;
        p_len -= static_cast<std::size_t>(sent);
    }
    return true;
}

void socket_close(socket_t p_sock) {
    if (p_sock != INVALID_SOCKET_HANDLE) {
        closesocket(as_socket(p_sock));
    }
}

void socket_shutdown(socket_t p_sock) {
    if (p_sock == INVALID_SOCKET_HANDLE) {
        return;
    }
    if (is_listening(as_socket(p_sock))) {
        wake_listener(as_socket(p_sock));
    } else {
        shutdown(as_socket(p_sock), SD_BOTH);
    }
}

}  // namespace platform
