// The device information answer on any bytes. A failed answer changes no device record;
// an accepted one changes at most the record of the device it names.
#include <cstddef>
#include <cstdint>

#include "basic_type/zel_protocol.h"
#include "device_registry/device_registry.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    check_record_parser(p_data, p_size, &zel_config_env::parse_info_ext,
                        zel_answer_head(zel_info_ext_word));
    return 0;
}
