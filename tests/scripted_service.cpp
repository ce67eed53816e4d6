#include "scripted_service.h"

scripted_service::scripted_service(std::function<void(platform::socket_t, int)> p_script,
                                   int p_connections) {
    platform::net_startup();
    m_listener = platform::tcp_listen("127.0.0.1", 0, m_port);
    m_thread = std::thread([this, p_script, p_connections] {
        for (int k = 0; k < p_connections; ++k) {
            if (platform::socket_wait_readable(m_listener, 20000) != platform::WAIT_RESULT_READY) {
                return;
            }
            const platform::socket_t client = platform::tcp_accept(m_listener);
            if (client == platform::INVALID_SOCKET_HANDLE) {
                return;
            }
            p_script(client, k);
            platform::socket_close(client);
        }
    });
}

scripted_service::~scripted_service() {
    m_thread.join();
    platform::socket_close(m_listener);
}

void send_text(platform::socket_t p_sock, const std::string& p_text) {
    platform::socket_send_all(p_sock, p_text.data(), p_text.size());
}

std::string receive_command(platform::socket_t p_sock, int64_t p_timeout_ms) {
    if (platform::socket_wait_readable(p_sock, p_timeout_ms) != platform::WAIT_RESULT_READY) {
        return "";
    }
    char buf[65536];
    const long got = platform::socket_recv(p_sock, buf, sizeof(buf));
    return got > 0 ? std::string(buf, static_cast<std::size_t>(got)) : std::string();
}
