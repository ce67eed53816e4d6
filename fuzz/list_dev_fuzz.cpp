// The device listing answer on any bytes. A failed or foreign answer lists nothing; an
// identifier never holds a line end or the "," that separates identifiers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "basic_type/zel_protocol.h"
#include "device_registry/device_registry.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    start_answer_run();
    zel_config_env& env = zel_config_env::instance();
    const std::string answer = as_text(p_data, p_size);
    const Status status = env.parse_list_dev(answer);
    if (answer.find(zel_answer_head(zel_list_dev_word)) == std::string::npos ||
        zel_has_failed_word(answer)) {
        FUZZ_CHECK(status == FAIL);
        FUZZ_CHECK(env.found_net_device.empty());
    }
    for (const std::string& identifier : env.found_net_device) {
        FUZZ_CHECK(identifier.find_first_of("\r\n,") == std::string::npos);
    }
    return 0;
}
