// The cost of one device update (2 location reads, 192 erasures, 192 writes for 64
// presets) made by the tool's own code against the simulated service, next to a minimal
// raw client that sends the same 386 command lines one after another and waits for each
// answer line: the limit of a sequential protocol. Both at 0 ms and at 5 ms of latency
// per command. Also the time from connect to the first command when the greeting is
// prompt.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "sim/zel_service_sim.h"
#include "write_brimel_label/write_brimel_label.h"

namespace {

const std::string G_mac = "00:1D:C1:0A:00:01";  // KDX-RM6X5 of the built-in network

brimel_config_rm6x_device& target_device() {
    zel_config_env& env = zel_config_env::instance();
    env.start_run("bench.ini");
    brimel_config_rm6x_device& device = env.add_device("KDX-RM6X5");
    device.set_zel_device_mac_adr(G_mac);
    device.m_mir = 5;
    device.m_pir = 2;
    for (int k = 0; k < 64; ++k) {
        const std::string n = std::to_string(k);
        device.add_preset_label("Caf\x82 label " + n, "Stage-Rack-" + n, "Channel " + n);
    }
    return device;
}

bool update(brimel_config_rm6x_device& p_device) {
    p_device.m_cspr_page = -1;
    p_device.m_device_start_from_CSPR_offset = -1;
    return p_device.set_cspr_page() == SUCCESS &&
           p_device.set_device_start_from_cspr_offset() == SUCCESS &&
           p_device.intialize_device_label_in_device() == SUCCESS &&
           p_device.write_preset_label_in_device() == SUCCESS;
}

void BM_ToolDeviceUpdate(benchmark::State& p_state) {
    zel_service_sim sim;
    sim.set_latency_ms(static_cast<int>(p_state.range(0)));
    if (!sim.start(0)) {
        p_state.SkipWithError("the simulator could not listen");
        return;
    }
    socket_handle& link = zel_config_env::instance().zel_service;
    link.close_ZELService_connection();
    link.set_service_port(sim.port());
    brimel_config_rm6x_device& device = target_device();
    if (!link.checkinit_ZELService_connection()) {
        p_state.SkipWithError("no connection");
        return;
    }
    for (auto _ : p_state) {
        if (!update(device)) {
            p_state.SkipWithError("the update failed");
            break;
        }
    }
    p_state.counters["commands/s"] = benchmark::Counter(
        386.0 * static_cast<double>(p_state.iterations()), benchmark::Counter::kIsRate);
    link.close_ZELService_connection();
}

// The 386 command lines of one update, as the service received them from the tool.
std::vector<std::string> update_commands() {
    zel_service_sim sim;
    sim.start(0);
    socket_handle& link = zel_config_env::instance().zel_service;
    link.close_ZELService_connection();
    link.set_service_port(sim.port());
    brimel_config_rm6x_device& device = target_device();
    link.checkinit_ZELService_connection();
    update(device);
    link.close_ZELService_connection();
    return sim.command_log();
}

bool read_line(platform::socket_t p_sock, char* p_buffer, std::size_t p_size) {
    std::size_t have = 0;
    while (have < 2 || p_buffer[have - 2] != '\r' || p_buffer[have - 1] != '\n') {
        const long got = platform::socket_recv(p_sock, p_buffer + have, p_size - have);
        if (got <= 0) {
            return false;
        }
        have += static_cast<std::size_t>(got);
    }
    return true;
}

void BM_RawClientDeviceUpdate(benchmark::State& p_state) {
    const std::vector<std::string> commands = update_commands();
    if (commands.size() != 386) {
        p_state.SkipWithError("an update is not 386 commands");
        return;
    }
    zel_service_sim sim;
    sim.set_latency_ms(static_cast<int>(p_state.range(0)));
    sim.start(0);
    const platform::socket_t sock = platform::tcp_connect("127.0.0.1", sim.port());
    char buffer[4096];
    if (!read_line(sock, buffer, sizeof(buffer))) {
        p_state.SkipWithError("no greeting");
        return;
    }
    for (auto _ : p_state) {
        for (const std::string& command : commands) {
            if (!platform::socket_send_all(sock, command.data(), command.size()) ||
                !read_line(sock, buffer, sizeof(buffer))) {
                p_state.SkipWithError("the exchange failed");
                break;
            }
        }
    }
    p_state.counters["commands/s"] = benchmark::Counter(
        386.0 * static_cast<double>(p_state.iterations()), benchmark::Counter::kIsRate);
    platform::socket_close(sock);
}

// From connect to the moment the link is ready for its first command.
void BM_ConnectToFirstCommand(benchmark::State& p_state) {
    zel_service_sim sim;
    sim.start(0);
    for (auto _ : p_state) {
        socket_handle link;
        link.set_service_port(sim.port());
        if (!link.checkinit_ZELService_connection()) {
            p_state.SkipWithError("no connection");
            break;
        }
        link.close_ZELService_connection();
    }
}

BENCHMARK(BM_ToolDeviceUpdate)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawClientDeviceUpdate)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConnectToFirstCommand)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
