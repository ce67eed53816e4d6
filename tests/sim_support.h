// What the tests of the simulated service share: a plain loopback client, and a fixture that runs
// the service on a free port.
#ifndef TESTS_SIM_SUPPORT_H_
#define TESTS_SIM_SUPPORT_H_

#include <cstdint>
#include <memory>
#include <string>

#include "platform/socket.h"
#include "sim/zel_service_sim.h"
#include "unit_support.h"

class sim_client {
  public:
    explicit sim_client(uint16_t p_port) : m_sock(platform::tcp_connect("127.0.0.1", p_port)) {}
    ~sim_client() { platform::socket_close(m_sock); }

    sim_client(const sim_client&) = delete;
    sim_client& operator=(const sim_client&) = delete;

    bool connected() const { return m_sock != platform::INVALID_SOCKET_HANDLE; }
    bool send(const std::string& p_text) {
        return platform::socket_send_all(m_sock, p_text.data(), p_text.size());
    }
    // What arrives until the text received ends with p_end, the service closes the
    // connection or nothing comes for 5 s (a safety net, never what a test asserts).
    std::string read_until(const std::string& p_end);
    // Sends the command and returns its answer up to and including the first CR LF.
    std::string exchange(const std::string& p_command);
    // True when the service closed the connection before sending anything more.
    bool closed_by_service();

  private:
    platform::socket_t m_sock;
};

// The built-in network on a free port, and on request a second service on a network of the
// test's own.
class sim_fixture : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_sim.start(0)); }

    // A client of p_sim whose greeting has been read and checked.
    std::unique_ptr<sim_client> greeted_client(const zel_service_sim& p_sim);
    std::unique_ptr<sim_client> greeted_client() { return greeted_client(m_sim); }
    // Starts m_own on the network the text describes.
    zel_service_sim& start_own(const std::string& p_network_text);

    zel_service_sim m_sim;
    std::unique_ptr<zel_service_sim> m_own;
};

sim_fault_t fault_of(const std::string& p_text);
// The network the text describes (a failed test when it is refused).
sim_network_t network_of(const std::string& p_text);

// MACs of the built-in network. Inline, so that each file that includes this header has
// them initialised before its own globals made from them (a plain extern constant of
// another file may still be empty then, and is on MinGW).
inline const std::string G_rm6x5_mac = "00:1D:C1:0A:00:01";  // KDX-RM6X5, P 10, S 4: area 14-205
inline const std::string G_stage_mics_mac = "00:1D:C1:0C:00:03";  // Stage-Mics, no label device
inline const std::string G_listing =
    "LIST_DEV=Stage-Net;00:1D:C1:0A:00:01,00:1D:C1:0A:00:02,00:1D:C1:0A:00:03,"
    "00:1D:C1:0A:00:04,00:1D:C1:0B:00:01,00:1D:C1:0C:00:01,00:1D:C1:0C:00:02,"
    "00:1D:C1:0C:00:03\r\n";

#endif  // TESTS_SIM_SUPPORT_H_
