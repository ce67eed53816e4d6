// The conversion from UTF-8 to code page 850 on any bytes. Its output is never longer
// than its input and converts back to the input without the characters it dropped; and
// any code page text but DEL and the no-break space (which it drops) survives the trip
// to UTF-8 and back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "fuzz/fuzz_support.h"

namespace {

// The UTF-8 text without the dropped characters, which must be in order, apart and
// inside the text.
std::string without_dropped(const std::string& p_text,
                            const std::vector<unsupported_char_t>& p_dropped, std::size_t p_first) {
    std::string kept;
    std::size_t next = 0;
    for (std::size_t k = p_first; k < p_dropped.size(); ++k) {
        const unsupported_char_t& item = p_dropped[k];
        FUZZ_CHECK(item.m_position >= next);
        FUZZ_CHECK(item.m_length >= 1 && item.m_length <= 4);
        FUZZ_CHECK(item.m_position + item.m_length <= p_text.size());
        kept.append(p_text, next, item.m_position - next);
        next = item.m_position + item.m_length;
    }
    kept.append(p_text, next, std::string::npos);
    return kept;
}

void check_utf8_input(const std::string& p_text) {
    // An entry already in the list stays: the conversion appends.
    std::vector<unsupported_char_t> dropped{unsupported_char_t{7, 3}};
    const std::string cp850 = utf8_to_cp850(p_text, dropped);
    FUZZ_CHECK(dropped[0].m_position == 7 && dropped[0].m_length == 3);
    FUZZ_CHECK(cp850.size() <= p_text.size());
    FUZZ_CHECK(cp850_to_utf8(cp850) == without_dropped(p_text, dropped, 1));
    std::vector<unsupported_char_t> reported;
    FUZZ_CHECK(UTF8ToANSI(p_text, "fuzz.ini", 1, reported) == cp850);
}

void check_cp850_input(const std::string& p_cp850) {
    std::string expected;
    std::size_t unsupported = 0;
    for (const char c : p_cp850) {
        const bool is_unsupported = c == '\x7F' || c == '\xFF';
        unsupported += is_unsupported ? 1 : 0;
        if (!is_unsupported) {
            expected.push_back(c);
        }
    }
    std::vector<unsupported_char_t> dropped;
    FUZZ_CHECK(utf8_to_cp850(cp850_to_utf8(p_cp850), dropped) == expected);
    FUZZ_CHECK(dropped.size() == unsupported);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    const std::string text = as_text(p_data, p_size);
    check_utf8_input(text);
    check_cp850_input(text);
    return 0;
}
