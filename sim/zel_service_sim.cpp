#include "sim/zel_service_sim.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "basic_type/zel_protocol.h"
#include "platform/clock.h"

std::string sim_greeting(const std::string& p_network_source) {
    const std::string network =
        p_network_source.empty() ? std::string() : ", network from " + p_network_source;
    return std::string(zel_greeting_text) + zel_simulated_mark + "zel_service_sim" + network +
           ": no real device is written)" + zel_line_end;
}

namespace {

const char* const G_listen_address = "127.0.0.1";
// How often a blocked wait looks at the stop flag, should a wake-up be missed.
const int64_t G_stop_poll_ms = 500;
// Commands are short lines; a receive of this size takes any of them whole.
const std::size_t G_receive_size = 8192;
const char* const G_garbage_line = "GARBAGE 1234\r\n";
// How long to poll for the next command before blocking; see wait_for_command.
const std::chrono::microseconds G_spin_time(500);

// Waits until the client sends (or closes). A client usually sends its next command within
// microseconds of the previous answer, so the socket is polled without sleeping for a
// short while first: waking a thread on an idle CPU costs tens of microseconds on a
// virtual machine, more than the rest of the exchange together.
platform::wait_result_t wait_for_command(platform::socket_t p_client) {
    const std::chrono::steady_clock::time_point spin_end =
        std::chrono::steady_clock::now() + G_spin_time;
    do {
        const platform::wait_result_t ready = platform::socket_wait_readable(p_client, 0);
        if (ready != platform::WAIT_RESULT_TIMEOUT) {
            return ready;
        }
    } while (std::chrono::steady_clock::now() < spin_end);
    return platform::socket_wait_readable(p_client, G_stop_poll_ms);
}

}  // namespace

zel_service_sim::zel_service_sim() : zel_service_sim(default_network()) {}

zel_service_sim::zel_service_sim(sim_network_t p_network) : m_engine(std::move(p_network)) {}

zel_service_sim::~zel_service_sim() {
    stop();
}

bool zel_service_sim::start(uint16_t p_port, std::string* p_error_text) {
    std::string ignored;
    std::string& why = p_error_text != nullptr ? *p_error_text : ignored;
    if (m_running) {
        why = "the service already runs";
        return false;
    }
    if (!platform::net_startup()) {
        why = "the socket library did not start";
        return false;
    }
    uint16_t bound = 0;
    const platform::socket_t listener = platform::tcp_listen(G_listen_address, p_port, bound, &why);
    if (listener == platform::INVALID_SOCKET_HANDLE) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_listener = listener;
        m_port = bound;
        m_stopping = false;
    }
    m_running = true;
    m_thread = std::thread(&zel_service_sim::serve, this);
    return true;
}

bool zel_service_sim::gone() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_listener == platform::INVALID_SOCKET_HANDLE;
}

uint16_t zel_service_sim::port() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_port;
}

void zel_service_sim::stop() {
    if (!m_running) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        platform::socket_shutdown(m_listener);
        for (const platform::socket_t client : m_clients) {
            platform::socket_shutdown(client);
        }
    }
    m_wake.notify_all();
    m_client_ended.notify_all();
    m_thread.join();
    platform::socket_close(m_listener);
    m_listener = platform::INVALID_SOCKET_HANDLE;
    m_running = false;
}

void zel_service_sim::serve() {
    while (!m_stopping) {
        if (gone()) {
            pause_ms(G_stop_poll_ms);  // nobody is served any more, until the stop
            continue;
        }
        const platform::wait_result_t ready =
            platform::socket_wait_readable(m_listener, G_stop_poll_ms);
        if (ready == platform::WAIT_RESULT_TIMEOUT || m_stopping) {
            continue;
        }
        const platform::socket_t client = ready == platform::WAIT_RESULT_READY
                                              ? platform::tcp_accept(m_listener)
                                              : platform::INVALID_SOCKET_HANDLE;
        if (client == platform::INVALID_SOCKET_HANDLE) {
            pause_ms(10);  // a failing listener must not spin
            continue;
        }
        int clients = 1;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_clients.push_back(client);
            ++m_connections;
            clients = m_max_clients;
        }
        if (clients == 1) {
            serve_and_close(client);  // one after another: the next waits to be accepted
            continue;
        }
        std::unique_lock<std::mutex> lock(m_mutex);
        m_client_threads.emplace_back(&zel_service_sim::serve_and_close, this, client);
        // The next client is accepted once one of those served has ended. wait_for, not
        // wait: wait needs the C++ runtime of GCC 12, every other program that of GCC 11.
        const auto one_served_ended = [this] {
            return m_stopping || static_cast<int>(m_clients.size()) < m_max_clients;
        };
        while (!m_client_ended.wait_for(lock, std::chrono::seconds(1), one_served_ended)) {
        }
    }
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        threads.swap(m_client_threads);
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
}

void zel_service_sim::serve_and_close(platform::socket_t p_client) {
    if (!m_stopping) {
        serve_client(p_client);
    }
    {
        // Taken out before the close, so that stop() never shuts down a reused handle.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_clients.erase(std::find(m_clients.begin(), m_clients.end(), p_client));
    }
    platform::socket_close(p_client);
    m_client_ended.notify_all();
}

std::mutex& zel_service_sim::device_lock(std::string_view p_line) {
    // The device is what follows the command word, up to ";" (a memory command's MAC).
    const std::size_t blank = p_line.find(' ');
    const std::string_view rest =
        blank == std::string_view::npos ? std::string_view() : p_line.substr(blank + 1);
    const std::string device(rest.substr(0, rest.find(';')));
    std::lock_guard<std::mutex> lock(m_mutex);
    std::unique_ptr<std::mutex>& found = m_device_locks[device];
    if (!found) {
        found = std::make_unique<std::mutex>();
    }
    return *found;
}

void zel_service_sim::serve_client(platform::socket_t p_client) {
    if (!send_greeting(p_client)) {
        return;
    }
    std::vector<char> buffer(G_receive_size);
    sim_reply_t reply;
    while (!m_stopping) {
        const platform::wait_result_t ready = wait_for_command(p_client);
        if (ready == platform::WAIT_RESULT_TIMEOUT) {
            continue;
        }
        const long got = ready == platform::WAIT_RESULT_READY
                             ? platform::socket_recv(p_client, buffer.data(), buffer.size())
                             : -1;
        if (got <= 0 ||
            !serve_chunk(p_client, std::string_view(buffer.data(), static_cast<std::size_t>(got)),
                         reply)) {
            return;
        }
    }
}

bool zel_service_sim::send_greeting(platform::socket_t p_client) {
    bool send = true;
    int pieces = 1;
    int pause = 0;
    std::string greeting;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        send = m_greeting;
        pieces = m_greeting_pieces;
        pause = m_greeting_pause_ms;
        greeting = m_greeting_text;
    }
    if (!send) {
        return true;
    }
    const std::string_view text(greeting);
    const std::size_t count = pieces < 1 ? 1 : std::min<std::size_t>(pieces, text.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t begin = text.size() * i / count;
        const std::size_t end = text.size() * (i + 1) / count;
        if ((i > 0 && !pause_ms(pause)) ||
            !platform::socket_send_all(p_client, text.data() + begin, end - begin)) {
            return false;
        }
    }
    return true;
}

// A chunk is one command as the tool sends it; a person typing into a terminal sends
// lines, so every line of the chunk is a command of its own and blank lines are skipped.
bool zel_service_sim::serve_chunk(platform::socket_t p_client, std::string_view p_chunk,
                                  sim_reply_t& p_reply) {
    while (!p_chunk.empty()) {
        const std::size_t line_feed = p_chunk.find('\n');
        std::string_view line = p_chunk.substr(0, line_feed);
        p_chunk.remove_prefix(line_feed == std::string_view::npos ? p_chunk.size() : line_feed + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty() && !answer(p_client, line, p_reply)) {
            return false;
        }
    }
    return true;
}

// Handles one command and sends its answer as its fault, if any, says; false when the
// connection is to end.
bool zel_service_sim::answer(platform::socket_t p_client, std::string_view p_line,
                             sim_reply_t& p_reply) {
    // One command at a time for a device, its latency included, whatever client sent it.
    std::lock_guard<std::mutex> device(device_lock(p_line));
    int latency = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_engine.handle(p_line, p_reply);
        latency = m_latency_ms;
    }
    const int extra = p_reply.m_action == FAULT_DELAY ? p_reply.m_ms : 0;
    if (p_reply.m_action == FAULT_GONE) {
        // New clients are refused from now on: the listening socket is closed.
        std::lock_guard<std::mutex> lock(m_mutex);
        platform::socket_close(m_listener);
        m_listener = platform::INVALID_SOCKET_HANDLE;
        return false;
    }
    if (p_reply.m_action == FAULT_CLOSE || !pause_ms(latency + extra)) {
        return false;
    }
    const std::string& text = p_reply.m_text;
    switch (p_reply.m_action) {
        case FAULT_SILENT:
            return true;
        case FAULT_GARBAGE:
            p_reply.m_text.insert(0, G_garbage_line);
            break;
        case FAULT_SPLIT: {
            const std::size_t half = text.size() / 2;
            return platform::socket_send_all(p_client, text.data(), half) &&
                   pause_ms(p_reply.m_ms) &&
                   platform::socket_send_all(p_client, text.data() + half, text.size() - half);
        }
        default:
            break;
    }
    return platform::socket_send_all(p_client, text.data(), text.size());
}

// Waits p_ms milliseconds, or less when the service stops; false once it stops.
bool zel_service_sim::pause_ms(int64_t p_ms) {
    if (p_ms > 0) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::milliseconds(p_ms),
                        [this] { return m_stopping.load(); });
    }
    return !m_stopping;
}

void zel_service_sim::set_latency_ms(int p_ms) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_latency_ms = p_ms;
}

void zel_service_sim::set_clients(int p_clients) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_max_clients = p_clients < 1 ? 1 : p_clients;
}

void zel_service_sim::set_greeting(bool p_send, int p_pieces, int p_pause_ms) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_greeting = p_send;
    m_greeting_pieces = p_pieces;
    m_greeting_pause_ms = p_pause_ms;
}

void zel_service_sim::set_network_source(const std::string& p_source) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_greeting_text = sim_greeting(p_source);
}

void zel_service_sim::add_fault(const sim_fault_t& p_fault) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_engine.add_fault(p_fault);
}

void zel_service_sim::clear_faults() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_engine.clear_faults();
}

bool zel_service_sim::open_log_file(const std::string& p_path, uint64_t p_max_bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_engine.open_log_file(p_path, p_max_bytes);
}

void zel_service_sim::set_command_log_limit(std::size_t p_commands) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_engine.set_command_log_limit(p_commands);
}

std::vector<std::string> zel_service_sim::command_log() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_engine.command_log();
}

void zel_service_sim::clear_command_log() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_engine.clear_command_log();
}

std::vector<std::string> zel_service_sim::violations() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_engine.violations();
}

uint64_t zel_service_sim::violation_count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_engine.violation_count();
}

std::vector<uint64_t> zel_service_sim::fault_fired_counts() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_engine.fault_fired_counts();
}

std::vector<uint8_t> zel_service_sim::read_page(const std::string& p_mac, uint32_t p_page) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_engine.read_page(p_mac, p_page);
}

std::string zel_service_sim::dump() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_engine.dump();
}

void zel_service_sim::dump(const std::function<void(const std::string&)>& p_write) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_engine.dump(p_write);
}

uint64_t zel_service_sim::connection_count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connections;
}
