// A plain loopback client of the simulated service for its tests, and a fixture that runs
// the service on a free port.
#ifndef TESTS_SIM_CLIENT_H_
#define TESTS_SIM_CLIENT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/socket.h"
#include "sim/zel_service_sim.h"

class sim_client {
  public:
    explicit sim_client(uint16_t p_port);
    ~sim_client();

    sim_client(const sim_client&) = delete;
    sim_client& operator=(const sim_client&) = delete;

    bool connected() const { return m_sock != platform::INVALID_SOCKET_HANDLE; }
    bool send(const std::string& p_text);
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

// The built-in network (unless a test starts its own service) on a free port.
class sim_fixture : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_sim.start(0)); }

    // A client whose greeting has been read and checked.
    std::unique_ptr<sim_client> greeted_client();

    zel_service_sim m_sim;
};

// MACs of the built-in network.
extern const std::string G_rm6x5_mac;       // KDX-RM6X5, P 10, S 4: label area 14-205
extern const std::string G_stage_mics_mac;  // Stage-Mics, not a label device

#endif  // TESTS_SIM_CLIENT_H_
