// Exchange rate of the simulated service: a raw loopback client sends label-page writes one
// after another, each waiting for its "TBOX_MEM=...;OK" line, against a service in the same
// process with no added latency. The simulator must stay far faster than anything a
// benchmark of the tool measures through it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"

namespace {

// The writes the tool makes for one device: a label page with a 20-character name, as
// signed decimal bytes, over the 192 pages of the label area.
std::vector<std::string> label_writes() {
    std::vector<std::string> commands;
    for (uint32_t page = 14; page < 14 + 192; ++page) {
        std::string line = "TBOX_MEM " + G_bench_mac + ";W;0," + std::to_string(page) + ",0;";
        for (int i = 0; i < 20; ++i) {
            line += std::to_string(i % 2 == 0 ? 65 + i : -23) + ",";
        }
        commands.push_back(line + "0");
    }
    return commands;
}

void BM_SimLabelWriteExchange(benchmark::State& p_state) {
    zel_service_sim sim;
    if (!sim.start(0)) {
        p_state.SkipWithError("the simulator could not listen");
        return;
    }
    const platform::socket_t sock = connect_raw_client(sim);
    if (sock == platform::INVALID_SOCKET_HANDLE) {
        p_state.SkipWithError("no greeting");
        return;
    }
    char buffer[4096];
    const std::vector<std::string> commands = label_writes();
    std::size_t next = 0;
    for (auto _ : p_state) {
        const std::string& command = commands[next];
        next = (next + 1) % commands.size();
        if (!platform::socket_send_all(sock, command.data(), command.size()) ||
            !read_answer(sock, buffer, sizeof(buffer))) {
            p_state.SkipWithError("the exchange failed");
            break;
        }
    }
    p_state.counters["exchanges/s"] =
        benchmark::Counter(static_cast<double>(p_state.iterations()), benchmark::Counter::kIsRate);
    platform::socket_close(sock);
    sim.stop();
}
BENCHMARK(BM_SimLabelWriteExchange)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
