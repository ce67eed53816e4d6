// The rules that judge an answer line, on any bytes: the word FAILED, the identity of a
// device, and the verdict on a line (answer, refusal, late). The first bytes choose a device
// text, a location and a letter case; the rest is free text around them.
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

// A device text the protocol can carry: no field or line separators, no blank, no FAILED in
// any letter case (the identity checks below flip the case of its letters).
std::string device_text(const std::string& p_raw) {
    std::string device;
    for (char c : p_raw) {
        if (c != ';' && c != ',' && c != '=' && c != '\r' && c != '\n' && c != ' ' && c != '\t') {
            device.push_back(c);
        }
    }
    std::string upper = device;
    for (char& c : upper) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const bool usable = !device.empty() && upper.find(zel_failed_word) == std::string::npos;
    return usable ? device : "00:1D:C1:0A:00:01";
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

    // Any line, any kind: a refusal needs the word, and a listing takes every other line.
    const zel_network_keys_t network = {zel_device_key(device), "OTHER-DEVICE"};
    zel_echo_rule_t rule;
    rule.m_device = device;
    rule.m_page = page;
    rule.m_offset = offset;
    rule.m_network = &network;
    for (zel_echo_t echo :
         {ZEL_ECHO_NONE, ZEL_ECHO_DEVICE, ZEL_ECHO_LOCATION, ZEL_ECHO_DEVICE_IF_NAMED}) {
        rule.m_echo = echo;
        const zel_line_verdict_t verdict = zel_judge_line(tail, rule);
        FUZZ_CHECK(verdict != ZEL_LINE_REFUSAL || zel_has_failed_word(tail));
        FUZZ_CHECK(echo != ZEL_ECHO_NONE || zel_has_failed_word(tail) ||
                   verdict == ZEL_LINE_ANSWER);
        // What echoes the location echoes the device.
        if (echo == ZEL_ECHO_LOCATION && verdict == ZEL_LINE_ANSWER) {
            zel_echo_rule_t device_only = rule;
            device_only.m_echo = ZEL_ECHO_DEVICE;
            FUZZ_CHECK(zel_judge_line(tail, device_only) == ZEL_LINE_ANSWER);
        }
    }
    if (zel_has_failed_word(tail)) {
        FUZZ_CHECK(tail.find(zel_failed_word) != std::string::npos);
        FUZZ_CHECK(zel_has_failed_word(tail + "\r\n" + rest));
    }
    // The word appended to any line refuses; inside a name it does not.
    FUZZ_CHECK(zel_has_failed_word(tail + "\r\nX= FAILED: busy"));
    FUZZ_CHECK(!zel_has_failed_word("INFO_EXT=" + device + ";RACK-FAILED;FAILED-OVER;\r\n"));

    // One identity: letter case and outer blanks never change a device.
    const std::string spelled = " " + flipped_case(device, mask) + "\t";
    FUZZ_CHECK(zel_device_key(spelled) == zel_device_key(device));
    FUZZ_CHECK(zel_same_device(spelled, device));

    // The answer to a read of this device and location echoes it however it is spelled,
    // with leading zeros; another page or offset does not.
    rule.m_echo = ZEL_ECHO_LOCATION;
    const std::string zeros(mask % 3, '0');
    const std::string head =
        "TBOX_MEM=" + spelled + ";0," + zeros + std::to_string(page) + "," + std::to_string(offset);
    const std::string values = zel_has_failed_word(tail) ? "5\r\n" : tail;
    FUZZ_CHECK(zel_judge_line(head + ";" + values, rule) == ZEL_LINE_ANSWER);
    FUZZ_CHECK(zel_judge_line(head + "1;" + values, rule) == ZEL_LINE_LATE);
    // A write acknowledgement is late only when it names another device of the network.
    rule.m_echo = ZEL_ECHO_DEVICE_IF_NAMED;
    if (zel_device_key(device) != "OTHER-DEVICE") {
        FUZZ_CHECK(zel_judge_line("TBOX_MEM= other-device ;" + tail, rule) == ZEL_LINE_LATE);
    }
    FUZZ_CHECK(zel_judge_line("TBOX_MEM=" + spelled + ";" + values, rule) == ZEL_LINE_ANSWER);
    rule.m_page = page + 1;
    rule.m_echo = ZEL_ECHO_LOCATION;
    FUZZ_CHECK(zel_judge_line(head + ";" + values, rule) == ZEL_LINE_LATE);
    return 0;
}
