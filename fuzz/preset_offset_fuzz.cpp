// The label start offset answer on any bytes. Only an accepted answer may change a device
// record, and then only that of the device with the answer's MAC address: nothing is ever
// erased or written at an offset taken from an answer that did not parse cleanly.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "write_brimel_label/write_brimel_label.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    start_answer_run();
    zel_config_env& env = zel_config_env::instance();
    const std::string answer = as_text(p_data, p_size);
    const std::vector<std::string> before = device_records();
    const Status status = env.parse_device_preset_offset(answer);
    const std::size_t changed = changed_records(before, device_records());
    if (answer.find("TBOX_MEM=") == std::string::npos || has_failed_marker(answer)) {
        FUZZ_CHECK(status == FAIL);
    }
    FUZZ_CHECK(changed <= (status == SUCCESS ? 1u : 0u));
    return 0;
}
