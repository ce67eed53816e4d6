// The memory read answer on any bytes. It touches no device record; a failed or foreign
// answer fails, and the values are never more than the separators allow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "basic_type/zel_protocol.h"
#include "device_registry/device_registry.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    start_answer_run();
    zel_config_env& env = zel_config_env::instance();
    const std::string answer = as_text(p_data, p_size);
    const std::vector<std::string> before = device_records();
    std::string mac;
    uint8_t slot = 0;
    uint8_t page = 0;
    uint8_t offset = 0;
    std::vector<uint8_t> values;
    const Status status = env.parse_read_mem(answer, mac, slot, page, offset, values);
    FUZZ_CHECK(changed_records(before, device_records()) == 0);
    if (answer.find(zel_answer_head(zel_tbox_mem_word)) == std::string::npos ||
        zel_has_failed_word(answer)) {
        FUZZ_CHECK(status == FAIL);
    }
    // Each value ends at a "," or at the "\r" of the line.
    const std::size_t separators =
        static_cast<std::size_t>(std::count(answer.begin(), answer.end(), ',') +
                                 std::count(answer.begin(), answer.end(), '\r'));
    FUZZ_CHECK(values.size() <= separators);
    return 0;
}
