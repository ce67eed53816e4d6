#include "sim_support.h"

#include "platform/clock.h"

namespace {

const int64_t G_safety_ms = 5000;

bool ends_with(const std::string& p_text, const std::string& p_end) {
    return p_text.size() >= p_end.size() &&
           p_text.compare(p_text.size() - p_end.size(), p_end.size(), p_end) == 0;
}

}  // namespace

std::string sim_client::read_until(const std::string& p_end) {
    std::string text;
    char buffer[4096];
    while (!ends_with(text, p_end) &&
           platform::socket_wait_readable(m_sock, G_safety_ms) == platform::WAIT_RESULT_READY) {
        const long got = platform::socket_recv(m_sock, buffer, sizeof(buffer));
        if (got <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

std::string sim_client::exchange(const std::string& p_command) {
    EXPECT_TRUE(send(p_command));
    return read_until("\r\n");
}

bool sim_client::closed_by_service() {
    char byte;
    return platform::socket_wait_readable(m_sock, G_safety_ms) == platform::WAIT_RESULT_READY &&
           platform::socket_recv(m_sock, &byte, 1) == 0;
}

std::unique_ptr<sim_client> sim_fixture::greeted_client(const zel_service_sim& p_sim) {
    std::unique_ptr<sim_client> client(new sim_client(p_sim.port()));
    EXPECT_TRUE(client->connected());
    EXPECT_EQ(client->read_until("\r\n"), sim_greeting());
    return client;
}

zel_service_sim& sim_fixture::start_own(const std::string& p_network_text) {
    m_own.reset(new zel_service_sim(network_of(p_network_text)));
    EXPECT_TRUE(m_own->start(0));
    return *m_own;
}

sim_network_t network_of(const std::string& p_text) {
    sim_network_t network;
    std::string error;
    EXPECT_TRUE(parse_network_text(p_text, "test", network, error)) << error;
    return network;
}

sim_fault_t fault_of(const std::string& p_text) {
    sim_fault_t fault;
    std::string error;
    EXPECT_TRUE(parse_fault(p_text, fault, error)) << p_text << ": " << error;
    return fault;
}
