// What the unit tests share: output capture, temporary files, a fresh registry, the line
// parser fed line by line, and a scripted peer for the service link on a loopback port.
#ifndef TESTS_UNIT_SUPPORT_H_
#define TESTS_UNIT_SUPPORT_H_

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "basic_type/basic_type.h"
#include "platform/console.h"
#include "platform/socket.h"

typedef std::vector<std::string> texts_t;

struct captured_t {
    std::string m_out;
    std::string m_err;
};

// Runs p_action and returns what it wrote to standard output and standard error.
captured_t capture_output(const std::function<void()>& p_action);

// A path in a per-process temporary folder; write_temp_file also writes the file.
std::string temp_path(const std::string& p_name);
std::string write_temp_file(const std::string& p_name, const std::string& p_content);
// The whole content of a file; empty when it cannot be read.
std::string file_text(const std::string& p_path);

// Empties the registry and the current section devices as a new run does; messages then
// name p_file and line p_line.
void reset_registry(const std::string& p_file = "t.ini", uint32_t p_line = 1);

struct parse_run_t {
    Status m_last_status = SUCCESS;
    captured_t m_output;
};

// A fresh run of "t.ini" fed p_lines as lines 1, 2, ..., stopping at the first rejected
// line as a transfer run does.
parse_run_t parse_lines(const texts_t& p_lines);

// "Error in: t.ini at line n\r\n"
std::string error_at(int p_line);

// The presets of the record of that name as "label|device|channel"; {"<none>"} without one.
texts_t presets_of(const std::string& p_device);
texts_t record_names();

// Label-file text as the console shows it: UTF-8 where the console is UTF-8, the code page
// 850 bytes elsewhere (Windows).
std::string as_shown(const std::string& p_utf8, const std::string& p_cp850);

// A loopback port on which nothing listens.
uint16_t unused_port();

// A peer for the service link: listens on a free loopback port and runs p_script on its own
// thread for each connection it accepts (numbered from 0); the connection closes when the
// script returns.
class scripted_service {
  public:
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

void send_text(platform::socket_t p_sock, const std::string& p_text);

// One receive within p_timeout_ms: the command the link sent, "" when none came.
std::string receive_command(platform::socket_t p_sock, int64_t p_timeout_ms = 5000);

const char* const test_greeting = "Welcome to Quentara ZEL-Service\r\n";

#endif  // TESTS_UNIT_SUPPORT_H_
