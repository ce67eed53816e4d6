// The cost of reading one device's label area back (2 location reads, 192 name-field reads)
// with read_brimel_label's own code against the simulated service, next to a minimal raw
// client that sends the same 194 command lines one after another and waits for each answer
// line: the limit of a sequential protocol. Both at 0 ms and at 5 ms of latency per command.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/socket.h"
#include "read_brimel_label/read_brimel_label.h"
#include "sim/zel_service_sim.h"

namespace {

const std::string G_mac = "00:1D:C1:0A:00:01";  // KDX-RM6X5 of the built-in network
const std::size_t G_commands = 194;

brimel_config_rm6x_device& target_device() {
    zel_config_env& env = zel_config_env::instance();
    env.start_run("bench");
    brimel_config_rm6x_device& device = env.add_device("KDX-RM6X5");
    device.set_zel_device_mac_adr(G_mac);
    device.m_mir = 5;
    device.m_pir = 2;
    return device;
}

bool read_device(brimel_config_rm6x_device& p_device) {
    label_entries_t entries;
    uint32_t failed_page = 0;
    return read_label_area(p_device, entries, failed_page) == SUCCESS;
}

// Points the registry's link at the simulator; false when it cannot connect.
bool connect_link(const zel_service_sim& p_sim) {
    socket_handle& link = zel_config_env::instance().zel_service;
    link.close_ZELService_connection();
    link.set_service_port(p_sim.port());
    return link.checkinit_ZELService_connection();
}

void set_rate(benchmark::State& p_state) {
    p_state.counters["commands/s"] = benchmark::Counter(
        static_cast<double>(G_commands * p_state.iterations()), benchmark::Counter::kIsRate);
}

void BM_ToolDeviceRead(benchmark::State& p_state) {
    zel_service_sim sim;
    sim.set_latency_ms(static_cast<int>(p_state.range(0)));
    if (!sim.start(0) || !connect_link(sim)) {
        p_state.SkipWithError("no connection to the simulator");
        return;
    }
    brimel_config_rm6x_device& device = target_device();
    for (auto _ : p_state) {
        if (!read_device(device)) {
            p_state.SkipWithError("the read failed");
            break;
        }
    }
    set_rate(p_state);
    zel_config_env::instance().zel_service.close_ZELService_connection();
}

// The 194 command lines of one read, as the service received them.
std::vector<std::string> read_commands() {
    zel_service_sim sim;
    sim.start(0);
    connect_link(sim);
    read_device(target_device());
    zel_config_env::instance().zel_service.close_ZELService_connection();
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

void BM_RawClientDeviceRead(benchmark::State& p_state) {
    // Sent as the link sends them: each command alone, without a line end.
    const std::vector<std::string> commands = read_commands();
    if (commands.size() != G_commands) {
        p_state.SkipWithError("a read is not 194 commands");
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
    set_rate(p_state);
    platform::socket_close(sock);
}

BENCHMARK(BM_ToolDeviceRead)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawClientDeviceRead)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
