// A venue's worth of work: the tool, as an operator runs it, writes 50 devices of 64
// presets each into the simulated service with no added latency. Reports the wall time,
// the commands per second and the tool's peak memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "process/process.h"
#include "sim/zel_service_sim.h"

namespace {

const int G_devices = 50;
const int G_presets = 64;

std::string mac_of(int p_index) {
    char text[18];
    std::snprintf(text, sizeof(text), "02:00:00:00:%02X:%02X", (p_index >> 8) & 0xFF,
                  p_index & 0xFF);
    return text;
}

sim_network_t network() {
    std::string text = "network Venue\n";
    for (int k = 1; k <= G_devices; ++k) {
        text += "Rack-" + std::to_string(k) + " " + mac_of(k) + " 5 2 1 10 4\n";
    }
    sim_network_t result;
    std::string error;
    parse_network_text(text, "bench", result, error);
    return result;
}

std::string label_file() {
    const std::string path = "load_bench_labels.ini";
    std::ofstream file(path, std::ios::binary);
    file << "[";
    for (int k = 1; k <= G_devices; ++k) {
        file << (k > 1 ? ", " : "") << "Rack-" << k;
    }
    file << "]\r\n";
    for (int p = 1; p <= G_presets; ++p) {
        file << "Caf\xC3\xA9 label " << p << " = Channel " << p << "@Stage-Box-" << p << "\r\n";
    }
    return path;
}

void BM_FiftyDevicesOfSixtyFourPresets(benchmark::State& p_state) {
    const std::string file = label_file();
    long peak_kb = 0;
    std::size_t commands = 0;
    for (auto _ : p_state) {
        p_state.PauseTiming();
        zel_service_sim sim(network());
        if (!sim.start(7000)) {
            p_state.SkipWithError("port 7000 is taken");
            break;
        }
        p_state.ResumeTiming();
        const platform::process_result_t res =
            platform::run_process({WBL_TOOL_PATH, file}, "y\n", 600000);
        p_state.PauseTiming();
        if (res.m_exit_status != 0) {
            p_state.SkipWithError("the transfer failed");
            break;
        }
        peak_kb = std::max(peak_kb, res.m_peak_memory_kb);
        commands += sim.command_log().size();
        sim.stop();
        p_state.ResumeTiming();
    }
    p_state.counters["commands/s"] =
        benchmark::Counter(static_cast<double>(commands), benchmark::Counter::kIsRate);
    p_state.counters["peak_MB"] = static_cast<double>(peak_kb) / 1024.0;
    std::remove(file.c_str());
}

BENCHMARK(BM_FiftyDevicesOfSixtyFourPresets)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
