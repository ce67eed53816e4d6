// The simulated device-management service as a TCP server: it listens on 127.0.0.1, greets
// each client, answers its commands one at a time, and serves one client after another on
// its own thread until stopped, or up to a number of clients at once, each on a thread of
// its own; a client's error never ends it. A device answers one command at a time: commands
// for different devices go on side by side, those for one device from two clients wait for
// each other, each with its latency. Tests run it in their
// own process and look at what it received, the violations it saw and the device memory.
// Every member may be called from any thread; the shared state sits behind one mutex.
#ifndef SIM_ZEL_SERVICE_SIM_H_
#define SIM_ZEL_SERVICE_SIM_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "sim/sim_engine.h"

// What every client sees first: the service's words, then that it is simulated, and on which
// network when it was given one ("network from venue.txt"), so that nobody takes a rehearsal
// for the show.
std::string sim_greeting(const std::string& p_network_source = std::string());

class zel_service_sim {
  public:
    zel_service_sim();  // the built-in network
    explicit zel_service_sim(sim_network_t p_network);
    ~zel_service_sim();  // stops

    zel_service_sim(const zel_service_sim&) = delete;
    zel_service_sim& operator=(const zel_service_sim&) = delete;

    // Listens on 127.0.0.1:p_port (0: any free port) and serves on its own thread. False
    // when the port is taken or the service already runs; p_error_text, when given, then
    // says why (the operating system's words when listening failed).
    bool start(uint16_t p_port, std::string* p_error_text = nullptr);
    uint16_t port() const;
    // Wakes the serving thread, ends the connection in progress and waits for the thread.
    void stop();

    // Settings; they apply from the next command or connection on.
    void set_latency_ms(int p_ms);  // pause before every answer
    // How many clients are served at once (1, the default: one after another).
    void set_clients(int p_clients);
    // Whether clients are greeted, and in how many pieces with what pause between them.
    void set_greeting(bool p_send, int p_pieces, int p_pause_ms);
    // The greeting names where its network came from (a file, a capture).
    void set_network_source(const std::string& p_source);
    void add_fault(const sim_fault_t& p_fault);
    void clear_faults();
    // See sim_engine::open_log_file and set_command_log_limit.
    bool open_log_file(const std::string& p_path, uint64_t p_max_bytes = SIM_LOG_FILE_MAX_BYTES);
    void set_command_log_limit(std::size_t p_commands);

    // The last command lines received (SIM_COMMAND_LOG_KEPT unless set otherwise), without
    // their line ends, in order.
    std::vector<std::string> command_log() const;
    void clear_command_log();
    std::vector<std::string> violations() const;       // the first SIM_VIOLATIONS_KEPT
    uint64_t violation_count() const;                  // all of them
    std::vector<uint64_t> fault_fired_counts() const;  // see sim_engine
    // 64 bytes; empty for an unknown MAC or a page beyond the memory.
    std::vector<uint8_t> read_page(const std::string& p_mac, uint32_t p_page) const;
    std::string dump() const;
    void dump(const std::function<void(const std::string&)>& p_write) const;  // see sim_engine
    uint64_t connection_count() const;  // clients accepted so far

  private:
    void serve();
    // Serves one client to its end, then closes it.
    void serve_and_close(platform::socket_t p_client);
    void serve_client(platform::socket_t p_client);
    // The lock of the device a command names ("" for none), made on first use.
    std::mutex& device_lock(std::string_view p_line);
    bool send_greeting(platform::socket_t p_client);
    bool serve_chunk(platform::socket_t p_client, std::string_view p_chunk, sim_reply_t& p_reply);
    bool answer(platform::socket_t p_client, std::string_view p_line, sim_reply_t& p_reply);
    bool pause_ms(int64_t p_ms);
    // A gone fault closed the listening socket.
    bool gone() const;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;  // cuts pauses short at stop
    sim_engine m_engine;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    bool m_running = false;
    platform::socket_t m_listener = platform::INVALID_SOCKET_HANDLE;
    std::vector<platform::socket_t> m_clients;  // those being served
    std::vector<std::thread> m_client_threads;  // with several clients at once
    std::condition_variable m_client_ended;
    int m_max_clients = 1;
    std::map<std::string, std::unique_ptr<std::mutex>, std::less<>> m_device_locks;
    uint16_t m_port = 0;
    int m_latency_ms = 0;
    bool m_greeting = true;
    int m_greeting_pieces = 1;
    int m_greeting_pause_ms = 0;
    std::string m_greeting_text = sim_greeting();
    uint64_t m_connections = 0;
};

#endif  // SIM_ZEL_SERVICE_SIM_H_
