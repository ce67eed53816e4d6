#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "basic_type/zel_protocol.h"
#include "device_registry/device_registry.h"
#include "file_parser/file_parser.h"

namespace {

// The tool writes its messages through the stdio streams stdout and stderr, one flush
// per message. libFuzzer took its own copy of the stderr stream pointer before this runs
// and the sanitizers write to descriptor 2, so pointing the two stream variables at
// /dev/null quiets the tool alone and keeps the fuzzer's progress and reports.
void silence_tool_output() {
    std::FILE* null_stream = std::fopen("/dev/null", "w");
    if (null_stream != nullptr) {
        stdout = null_stream;
        stderr = null_stream;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silence_tool_output();
    return 0;
}

void fuzz_check_failed(const char* p_what, const char* p_file, int p_line) {
    const std::string message = std::string("property violated: ") + p_what + " at " + p_file +
                                ":" + std::to_string(p_line) + "\n";
    // Straight to descriptor 2: the stderr stream is silenced.
    const ssize_t ignored = ::write(2, message.data(), message.size());
    (void)ignored;
    __builtin_trap();
}

std::string as_text(const uint8_t* p_data, std::size_t p_size) {
    return std::string(reinterpret_cast<const char*>(p_data), p_size);
}

void start_fuzz_run() {
    zel_config_env::instance().start_run("fuzz.ini");
    current_section_devices().clear();
}

void start_answer_run() {
    start_fuzz_run();
    zel_config_env& env = zel_config_env::instance();
    env.add_device("KDX-RM6X5").set_zel_device_mac_adr("00:1D:C1:0A:00:01");
    env.add_device("NEW-DEVICE1").set_zel_device_mac_adr("00:1D:C1:0A:00:02");
    env.add_device("KDX-RM6x-243");
}

std::vector<std::string> device_records() {
    std::vector<std::string> records;
    for (const brimel_config_rm6x_device& device : zel_config_env::instance().device_list) {
        records.push_back(device.m_device_name + "|" + device.m_zel_device_mac_adr + "|" +
                          std::to_string(device.m_cspr_page) + "|" +
                          std::to_string(device.m_device_start_from_CSPR_offset) + "|" +
                          std::to_string(device.m_mir) + "|" + std::to_string(device.m_pir) + "|" +
                          std::to_string(device.m_fir) + "|" +
                          std::to_string(device.preset_to_write.size()));
    }
    return records;
}

std::size_t changed_records(const std::vector<std::string>& p_before,
                            const std::vector<std::string>& p_after) {
    FUZZ_CHECK(p_before.size() == p_after.size());
    std::size_t changed = 0;
    for (std::size_t k = 0; k < p_before.size(); ++k) {
        changed += p_before[k] != p_after[k] ? 1 : 0;
    }
    return changed;
}

void check_record_parser(const uint8_t* p_data, std::size_t p_size,
                         Status (zel_config_env::*p_parser)(std::string),
                         const std::string& p_head) {
    start_answer_run();
    const std::string answer = as_text(p_data, p_size);
    const std::vector<std::string> before = device_records();
    const Status status = (zel_config_env::instance().*p_parser)(answer);
    const std::size_t changed = changed_records(before, device_records());
    if (answer.find(p_head) == std::string::npos || zel_has_failed_word(answer)) {
        FUZZ_CHECK(status == FAIL);
    }
    FUZZ_CHECK(changed <= (status == SUCCESS ? 1u : 0u));
}
