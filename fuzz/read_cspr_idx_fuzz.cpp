// The label page index answer on any bytes. Only an accepted answer may change a device
// record, and then only that of the device with the answer's MAC address: a page index is
// never kept from an answer that did not parse cleanly.
#include <cstddef>
#include <cstdint>

#include "basic_type/zel_protocol.h"
#include "device_registry/device_registry.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    check_record_parser(p_data, p_size, &zel_config_env::parse_read_cspr_idx,
                        zel_answer_head(zel_tbox_mem_word));
    return 0;
}
