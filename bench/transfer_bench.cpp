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
#include "bench_support.h"

namespace {

const std::size_t G_commands = 386;

brimel_config_rm6x_device& target_device() {
    brimel_config_rm6x_device& device = bench_target_device("bench.ini");
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
    brimel_config_rm6x_device& device = target_device();
    if (!connect_link(sim)) {
        p_state.SkipWithError("no connection");
        return;
    }
    for (auto _ : p_state) {
        if (!update(device)) {
            p_state.SkipWithError("the update failed");
            break;
        }
    }
    set_command_rate(p_state, G_commands);
    zel_config_env::instance().zel_service.close_ZELService_connection();
}

// The 386 command lines of one update, as the service received them from the tool.
std::vector<std::string> update_commands() {
    zel_service_sim sim;
    sim.start(0);
    connect_link(sim);
    update(target_device());
    zel_config_env::instance().zel_service.close_ZELService_connection();
    return sim.command_log();
}

void BM_RawClientDeviceUpdate(benchmark::State& p_state) {
    const std::vector<std::string> commands = update_commands();
    if (commands.size() != G_commands) {
        p_state.SkipWithError("an update is not 386 commands");
        return;
    }
    run_raw_client(p_state, commands);
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
