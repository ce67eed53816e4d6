// A scripted peer for the service link: listens on an ephemeral loopback port and runs a
// script for each connection it accepts, on its own thread.
#ifndef TESTS_SCRIPTED_SERVICE_H_
#define TESTS_SCRIPTED_SERVICE_H_

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "platform/socket.h"

class scripted_service {
  public:
    // p_script runs once per accepted connection, with its 0-based number; the connection
    // is closed when the script returns.
    explicit scripted_service(std::function<void(platform::socket_t, int)> p_script,
                              int p_connections = 1);
    ~scripted_service();
    scripted_service(const scripted_service&) = delete;
    scripted_service& operator=(const scripted_service&) = delete;

    uint16_t port() const { return m_port; }

  private:
    platform::socket_t m_listener = platform::INVALID_SOCKET_HANDLE;
    uint16_t m_port = 0;
    std::thread m_thread;
};

// Sends the text as it is.
void send_text(platform::socket_t p_sock, const std::string& p_text);

// Waits up to p_timeout_ms for one command and returns it ("" when none came or the
// peer closed).
std::string receive_command(platform::socket_t p_sock, int64_t p_timeout_ms = 5000);

const char* const test_greeting = "Welcome to Quentara ZEL-Service\r\n";

#endif  // TESTS_SCRIPTED_SERVICE_H_
