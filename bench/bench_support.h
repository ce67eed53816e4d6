// What the benchmarks of the link share: the target device of the built-in network, the
// registry's link pointed at a simulator, and a minimal raw client that sends command lines
// one after another and waits for each answer line.
#ifndef BENCH_BENCH_SUPPORT_H_
#define BENCH_BENCH_SUPPORT_H_

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "device_registry/device_registry.h"
#include "platform/socket.h"
#include "sim/zel_service_sim.h"

// KDX-RM6X5 of the built-in network (label area pages 14-205), as a compatible target of a
// fresh run named p_run_name.
extern const std::string G_bench_mac;
brimel_config_rm6x_device& bench_target_device(const std::string& p_run_name);

// Points the registry's link at the simulator; false when it cannot connect.
bool connect_link(const zel_service_sim& p_sim);

// Reads until the received text ends in CR LF; false when the connection ends first.
bool read_answer(platform::socket_t p_sock, char* p_buffer, std::size_t p_size);

// A raw connection to p_sim past its greeting; INVALID_SOCKET_HANDLE when there is none.
platform::socket_t connect_raw_client(const zel_service_sim& p_sim);

// Sets the "commands/s" counter for p_per_iteration commands in each iteration.
void set_command_rate(benchmark::State& p_state, std::size_t p_per_iteration);

// Each iteration sends p_commands, as the link sends them (each alone, without a line end),
// to a simulator with the latency of range(0), waiting for each answer.
void run_raw_client(benchmark::State& p_state, const std::vector<std::string>& p_commands);

#endif  // BENCH_BENCH_SUPPORT_H_
