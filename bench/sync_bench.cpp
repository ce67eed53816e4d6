// The sync of one 64-preset device by sync_brimel_label's code against the simulated service,
// next to what the same job took before it: the writer's update (2 location reads, 192
// erasures, 192 writes) and the reader's verify (194 reads). The device (a) holds the file
// already, (b) differs from it by 3 labels, or (c) differs in every field; each iteration
// brings it from one of two label files to the other, so that every iteration has the same
// work. Both at 0 ms and at 5 ms of latency per command: the first argument is the case (0,
// 1, 2), the second the latency.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "device_core/label_compare.h"
#include "device_core/label_reading.h"
#include "sync_brimel_label/sync_brimel_label.h"

namespace {

// 64 presets; p_case 1 changes the labels of entries 10, 20 and 30, p_case 2 every field.
label_entries_t presets(int p_case, bool p_changed) {
    label_entries_t entries;
    for (int k = 1; k <= 64; ++k) {
        const std::string n = std::to_string(k);
        const bool label_changed =
            p_changed && (p_case == 2 || (p_case == 1 && k % 10 == 0 && k <= 30));
        const bool all_changed = p_changed && p_case == 2;
        entries.push_back({(label_changed ? "Vox " : "Caf\x82 label ") + n,
                           (all_changed ? "Rack-" : "Stage-Rack-") + n,
                           (all_changed ? "Ch " : "Channel ") + n});
    }
    return entries;
}

const zel_network_keys_t G_network = {G_bench_mac};

// The sync of the device to p_presets; false when it did not end written and read back.
bool sync_device(const label_entries_t& p_presets) {
    socket_handle& link = zel_config_env::instance().zel_service;
    const area_read_t read = read_device_area(link, G_network, {G_bench_mac, {}});
    sync_job::plan_t plan = sync_job::plan_of(read, p_presets);
    return read.m_state == AREA_READ &&
           sync_job::apply_plan(link, G_network, G_bench_mac, plan).m_end ==
               sync_job::WRITES_COMPLETE;
}

// The writer's update of the device to p_presets, then the reader's verify of it.
bool update_and_verify(brimel_config_rm6x_device& p_device, const label_entries_t& p_presets) {
    p_device.preset_to_write = p_presets;
    p_device.m_cspr_page = -1;
    p_device.m_device_start_from_CSPR_offset = -1;
    if (p_device.set_cspr_page() == FAIL || p_device.set_device_start_from_cspr_offset() == FAIL ||
        p_device.intialize_device_label_in_device() == FAIL ||
        p_device.write_preset_label_in_device() == FAIL) {
        return false;
    }
    const area_read_t read =
        read_device_area(zel_config_env::instance().zel_service, G_network, {G_bench_mac, {}});
    return read.m_state == AREA_READ && entry_differences(p_presets, read.m_entries).empty();
}

// Runs p_job to one file, then the other, one per iteration, on a device that holds the first.
template <typename job_t>
void run_job(benchmark::State& p_state, job_t p_job) {
    zel_service_sim sim;
    if (!sim.start(0)) {
        p_state.SkipWithError("the simulator could not listen");
        return;
    }
    if (!connect_link(sim)) {
        p_state.SkipWithError("no connection");
        return;
    }
    const label_entries_t files[2] = {presets(static_cast<int>(p_state.range(0)), false),
                                      presets(static_cast<int>(p_state.range(0)), true)};
    if (!sync_device(files[0])) {
        p_state.SkipWithError("the device could not be set up");
        return;
    }
    sim.set_latency_ms(static_cast<int>(p_state.range(1)));
    std::size_t next = 1;
    for (auto _ : p_state) {
        if (!p_job(files[next])) {
            p_state.SkipWithError("the job failed");
            break;
        }
        next = 1 - next;
    }
    zel_config_env::instance().zel_service.close_ZELService_connection();
}

void BM_Sync(benchmark::State& p_state) {
    run_job(p_state, sync_device);
}

void BM_UpdateAndVerify(benchmark::State& p_state) {
    brimel_config_rm6x_device& device = bench_target_device("bench.ini");
    run_job(p_state,
            [&](const label_entries_t& p_presets) { return update_and_verify(device, p_presets); });
}

void cases(benchmark::internal::Benchmark* p_benchmark) {
    for (const int64_t latency : {0, 5}) {
        for (const int64_t which : {0, 1, 2}) {
            p_benchmark->Args({which, latency});
        }
    }
    p_benchmark->ArgNames({"case", "latency"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_Sync)->Apply(cases);
BENCHMARK(BM_UpdateAndVerify)->Apply(cases);

}  // namespace

BENCHMARK_MAIN();
