// The rules that judge an answer line, on any bytes: the "FAILED" field rule and the echo of
// the device and location asked. The first bytes choose a device text, a location and a
// letter case; the rest is free text around them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "basic_type/zel_protocol.h"
#include "fuzz/fuzz_support.h"

namespace {

std::string flipped_case(const std::string& p_text, uint8_t p_mask) {
    std::string text = p_text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (((p_mask >> (i % 8)) & 1) != 0 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            text[i] = static_cast<char>(c ^ 0x20);
        }
    }
    return text;
}

// A device text the protocol can carry: no field or line separators.
std::string device_text(const std::string& p_raw) {
    std::string device;
    for (char c : p_raw) {
        if (c != ';' && c != ',' && c != '=' && c != '\r' && c != '\n') {
            device.push_back(c);
        }
    }
    return device.empty() || device == zel_failed_word ? "00:1D:C1:0A:00:01" : device;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    if (p_size < 6) {
        return 0;
    }
    const uint8_t mask = p_data[0];
    const uint32_t page = p_data[1];
    const uint32_t offset = p_data[2];
    const std::size_t device_length = p_data[3] % 24;
    const std::string rest = as_text(p_data + 4, p_size - 4);
    const std::string device = device_text(rest.substr(0, device_length));
    const std::string tail = rest.substr(std::min(device_length, rest.size()));

    // Any line: the rules never read past it, and a "FAILED" field needs the word.
    zel_echo_rule_t rule;
    rule.m_device = device;
    rule.m_page = page;
    rule.m_offset = offset;
    for (zel_echo_t echo :
         {ZEL_ECHO_NONE, ZEL_ECHO_DEVICE, ZEL_ECHO_LOCATION, ZEL_ECHO_DEVICE_IF_NAMED}) {
        rule.m_echo = echo;
        const bool echoes = zel_line_echoes(tail, rule);
        // What echoes the location echoes the device.
        if (echo == ZEL_ECHO_LOCATION && echoes) {
            zel_echo_rule_t device_only = rule;
            device_only.m_echo = ZEL_ECHO_DEVICE;
            FUZZ_CHECK(zel_line_echoes(tail, device_only));
        }
        zel_failure_of_another_device(tail, rule);
    }
    if (zel_has_failed_field(tail)) {
        FUZZ_CHECK(tail.find(zel_failed_word) != std::string::npos);
        FUZZ_CHECK(zel_has_failed_field(tail + "\r\n" + rest));
    }
    // A "FAILED" field appended to any line is one; inside a name it is not.
    FUZZ_CHECK(zel_has_failed_field(tail + "\r\nX=FAILED"));
    FUZZ_CHECK(!zel_has_failed_field("INFO_EXT=" + device + ";RACK-FAILED;FAILED-OVER;\r\n"));

    // The answer to a read of this device and location echoes it in any letter case and
    // with leading zeros; another page or offset does not.
    rule.m_echo = ZEL_ECHO_LOCATION;
    const std::string zeros(mask % 3, '0');
    const std::string head = "TBOX_MEM=" + flipped_case(device, mask) + ";0," + zeros +
                             std::to_string(page) + "," + std::to_string(offset);
    FUZZ_CHECK(zel_line_echoes(head + ";" + tail, rule));
    FUZZ_CHECK(!zel_line_echoes(head + "1;" + tail, rule));
    rule.m_page = page + 1;
    FUZZ_CHECK(!zel_line_echoes(head + ";" + tail, rule));
    return 0;
}
