// Shared by the fuzz targets: a property check that stops the fuzzer, the tool's
// messages kept out of the fuzzer's output, and the registry set up as a run starts.
#ifndef FUZZ_FUZZ_SUPPORT_H_
#define FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device_registry/device_registry.h"

// Stops the fuzzer, naming the property, when p_holds is false. A macro for the text of
// the property and its place.
#define FUZZ_CHECK(p_holds) \
    ((p_holds) ? static_cast<void>(0) : fuzz_check_failed(#p_holds, __FILE__, __LINE__))

[[noreturn]] void fuzz_check_failed(const char* p_what, const char* p_file, int p_line);

std::string as_text(const uint8_t* p_data, std::size_t p_size);

// Empties the registry and the current section devices, as a transfer run starts.
void start_fuzz_run();

// A run past its reading: the target devices KDX-RM6X5 (00:1D:C1:0A:00:01) and
// NEW-DEVICE1 (00:1D:C1:0A:00:02) found on the network, KDX-RM6x-243 not found.
void start_answer_run();

// One text per target device record with all its fields, for comparing two moments.
std::vector<std::string> device_records();

// Number of records that differ between two device_records() of the same run.
std::size_t changed_records(const std::vector<std::string>& p_before,
                            const std::vector<std::string>& p_after);

// One answer parser that fills a device record, on any bytes, after start_answer_run():
// an answer without p_head or with a "FAILED" field fails, a failed answer changes no
// record and an accepted one at most one.
void check_record_parser(const uint8_t* p_data, std::size_t p_size,
                         Status (zel_config_env::*p_parser)(std::string),
                         const std::string& p_head);

#endif  // FUZZ_FUZZ_SUPPORT_H_
