// Reading speed of the line parser: a generated label file of 100,000 label lines under a
// few device sections, ASCII and accented, fed line by line as a transfer run does.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "device_registry/device_registry.h"
#include "file_parser/file_parser.h"

namespace {

std::vector<std::string> generated_file(bool p_accented) {
    std::vector<std::string> lines;
    const std::size_t label_lines = 100000;
    const std::size_t sections = 8;
    for (std::size_t s = 0; s < sections; ++s) {
        lines.push_back("[ Stage-Rack-" + std::to_string(s) + " , Monitor-" + std::to_string(s) +
                        "]  ; section " + std::to_string(s));
        for (std::size_t k = 0; k < label_lines / sections; ++k) {
            const std::string n = std::to_string(k);
            lines.push_back(p_accented ? "Caf\xC3\xA9 Cr\xC3\xA8me " + n +
                                             " = \xC3\x9C"
                                             "bersicht-" +
                                             n + "@FOH-Console"
                                       : "Radio Varnia " + n + " = RadioVarnia-ch" + n +
                                             "@ZUPx3-Radio ; preset");
        }
    }
    return lines;
}

void run_file(benchmark::State& p_state, bool p_accented) {
    const std::vector<std::string> lines = generated_file(p_accented);
    std::size_t bytes = 0;
    for (const std::string& line : lines) {
        bytes += line.size() + 2;
    }
    zel_config_env& env = zel_config_env::instance();
    for (auto _ : p_state) {
        env.start_run("bench.ini");
        current_section_devices().clear();
        for (std::string& line : const_cast<std::vector<std::string>&>(lines)) {
            ++env.current_line_number;
            if (parse_line(line) != SUCCESS) {
                p_state.SkipWithError("a generated line was refused");
                return;
            }
        }
        benchmark::DoNotOptimize(env.device_list.data());
    }
    const double presets = 2.0 * 100000;  // each label line goes to the two section devices
    p_state.SetBytesProcessed(static_cast<int64_t>(bytes) * p_state.iterations());
    p_state.counters["presets/s"] =
        benchmark::Counter(presets * p_state.iterations(), benchmark::Counter::kIsRate);
}

void BM_ParseLineAscii(benchmark::State& p_state) {
    run_file(p_state, false);
}
void BM_ParseLineAccented(benchmark::State& p_state) {
    run_file(p_state, true);
}

BENCHMARK(BM_ParseLineAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseLineAccented)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
