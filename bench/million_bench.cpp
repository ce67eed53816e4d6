// A label file naming 1,000,000 devices, none of them on the network (the simulator's
// built-in one): read_brimel_label --verify and sync_brimel_label each read the whole file,
// list the network and look every name up. Reports each run's wall time and the program's
// peak memory: both grow with the file alone, the time in a straight line.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "process/process.h"
#include "sim/zel_service_sim.h"

namespace {

const int G_devices = 1000000;
// Names per device section: the sections stay below the longest line a label file may hold.
const int G_names_per_section = 250;
const char G_file[] = "million_bench_labels.ini";

// Sections of 250 device names, each followed by one label line for all of them.
void write_label_file() {
    std::ofstream file(G_file, std::ios::binary | std::ios::trunc);
    char name[16];
    for (int first = 0; first < G_devices; first += G_names_per_section) {
        file << "[";
        for (int k = first; k < std::min(first + G_names_per_section, G_devices); ++k) {
            std::snprintf(name, sizeof(name), "Dev-%07d", k);
            file << (k > first ? ", " : "") << name;
        }
        file << "]\r\nLabel = Channel 1@Stage-Box\r\n";
    }
}

// Runs p_argv against the built-in network on port 7000, once per iteration; the status must
// be p_status (every name is a target not found).
void run_against_network(benchmark::State& p_state, const std::vector<std::string>& p_argv,
                         int p_status) {
    write_label_file();
    long peak_kb = 0;
    for (auto _ : p_state) {
        p_state.PauseTiming();
        zel_service_sim sim;
        if (!sim.start(7000)) {
            p_state.SkipWithError("port 7000 is taken");
            break;
        }
        p_state.ResumeTiming();
        const platform::process_result_t res = platform::run_process(p_argv, "", 600000);
        p_state.PauseTiming();
        sim.stop();
        if (res.m_exit_status != p_status) {
            p_state.SkipWithError("the run ended with another status");
            break;
        }
        peak_kb = std::max(peak_kb, res.m_peak_memory_kb);
        p_state.ResumeTiming();
    }
    p_state.counters["peak_MB"] = static_cast<double>(peak_kb) / 1024.0;
    std::remove(G_file);
}

void BM_VerifyOfAMillionDevices(benchmark::State& p_state) {
    run_against_network(p_state, {WBL_READ_TOOL_PATH, "--verify", G_file}, 1);
}

void BM_SyncOfAMillionDevices(benchmark::State& p_state) {
    run_against_network(p_state, {WBL_SYNC_TOOL_PATH, G_file}, 2);
}

BENCHMARK(BM_VerifyOfAMillionDevices)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_SyncOfAMillionDevices)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
