// Any answer to any kind of request: the first byte picks the request kind (its low three
// bits, which cover every kind and one value past them), the rest is the answer. An
// answer with a "FAILED" field always fails; a write needs nothing more.
#include <cstddef>
#include <cstdint>
#include <string>

#include "basic_type/zel_protocol.h"
#include "device_registry/device_registry.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    if (p_size == 0) {
        return 0;
    }
    start_answer_run();
    const zel_req_id_t request = static_cast<zel_req_id_t>(p_data[0] & 0x07);
    const std::string answer = as_text(p_data + 1, p_size - 1);
    const Status status = zel_config_env::instance().parse_response(answer, request);
    if (zel_has_failed_word(answer)) {
        FUZZ_CHECK(status == FAIL);
    } else if (request == ZEL_WRITE || request == ZEL_LIST_NET) {
        FUZZ_CHECK(status == SUCCESS);
    } else if (static_cast<int>(request) == 7) {
        FUZZ_CHECK(status == FAIL);
    }
    return 0;
}
