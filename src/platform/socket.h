// TCP sockets on the loopback interface: the client side used by the service link and
// the server side used by the simulated service. Every call blocks at most as long as
// its time-out says; EINTR is retried here, and no caller sees errno or WSA codes. A
// failed connect or listen can tell why in the operating system's words, for diagnostics.
#ifndef SRC_PLATFORM_SOCKET_H_
#define SRC_PLATFORM_SOCKET_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

typedef std::intptr_t socket_t;
const socket_t INVALID_SOCKET_HANDLE = -1;

// Starts the socket library once per process (Winsock 2.2 on Windows; on POSIX it makes
// a write to a closed connection fail instead of killing the process). Later calls
// return the first result.
bool net_startup();

// Connects to p_ip:p_port. On failure the socket of the attempt is closed,
// INVALID_SOCKET_HANDLE is returned and p_error_text, when given, receives the cause in
// the operating system's words ("Connection refused"); it is left alone on success.
socket_t tcp_connect(const std::string& p_ip, uint16_t p_port, std::string* p_error_text = nullptr);

// Listens on p_ip:p_port (0 picks a free port). On success p_bound_port receives the
// port actually bound; on failure INVALID_SOCKET_HANDLE is returned and p_error_text,
// when given, receives the cause as tcp_connect gives it ("Address already in use").
socket_t tcp_listen(const std::string& p_ip, uint16_t p_port, uint16_t& p_bound_port,
                    std::string* p_error_text = nullptr);

// Connections a listening socket holds before they are accepted: the simulated service
// serves one client at a time, and a few more may wait.
const int listen_backlog = 16;

// Accepts one pending connection, INVALID_SOCKET_HANDLE on failure.
socket_t tcp_accept(socket_t p_listener);

enum wait_result_t { WAIT_RESULT_READY = 1, WAIT_RESULT_TIMEOUT = 0, WAIT_RESULT_ERROR = -1 };

// Waits until p_sock can be read (data, or the peer closed) or p_timeout_ms has passed.
wait_result_t socket_wait_readable(socket_t p_sock, int64_t p_timeout_ms);

// One receive of at most p_len bytes: the byte count, 0 when the peer closed the
// connection, -1 on an error.
long socket_recv(socket_t p_sock, char* p_buf, std::size_t p_len);

// Sends all p_len bytes; false when the connection failed on the way.
bool socket_send_all(socket_t p_sock, const char* p_data, std::size_t p_len);

// Closes the socket; INVALID_SOCKET_HANDLE is ignored.
void socket_close(socket_t p_sock);

// Wakes a thread blocked in socket_wait_readable or tcp_accept on this socket by
// shutting it down for reading and writing; the socket must still be closed. A listening
// socket may have a connection pending afterwards (Windows wakes its waiters by
// connecting): close it without accepting. Windows may leave a wait on a connected socket
// asleep until its time-out, so waiters look at their stop flag in bounded slices.
void socket_shutdown(socket_t p_sock);

}  // namespace platform

#endif  // SRC_PLATFORM_SOCKET_H_
