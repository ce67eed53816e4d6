// The cost of reading one device's label area back (2 location reads, 192 name-field reads)
// with the device core's reads against the simulated service, next to a minimal raw
// client that sends the same 194 command lines one after another and waits for each answer
// line: the limit of a sequential protocol. Both at 0 ms and at 5 ms of latency per command.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "device_core/label_reading.h"

namespace {

const std::size_t G_commands = 194;

// The read of one device as read_brimel_label makes it: its location, then its area.
bool read_device() {
    const zel_network_keys_t network = {G_bench_mac};
    return read_device_area(zel_config_env::instance().zel_service, network, {G_bench_mac, {}})
               .m_state == AREA_READ;
}

void BM_ToolDeviceRead(benchmark::State& p_state) {
    zel_service_sim sim;
    sim.set_latency_ms(static_cast<int>(p_state.range(0)));
    if (!sim.start(0) || !connect_link(sim)) {
        p_state.SkipWithError("no connection to the simulator");
        return;
    }
    for (auto _ : p_state) {
        if (!read_device()) {
            p_state.SkipWithError("the read failed");
            break;
        }
    }
    set_command_rate(p_state, G_commands);
    zel_config_env::instance().zel_service.close_ZELService_connection();
}

// The 194 command lines of one read, as the service received them.
std::vector<std::string> read_commands() {
    zel_service_sim sim;
    sim.start(0);
    connect_link(sim);
    read_device();
    zel_config_env::instance().zel_service.close_ZELService_connection();
    return sim.command_log();
}

void BM_RawClientDeviceRead(benchmark::State& p_state) {
    const std::vector<std::string> commands = read_commands();
    if (commands.size() != G_commands) {
        p_state.SkipWithError("a read is not 194 commands");
        return;
    }
    run_raw_client(p_state, commands);
}

BENCHMARK(BM_ToolDeviceRead)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawClientDeviceRead)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
