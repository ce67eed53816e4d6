// The conversion of label-file text from UTF-8 to code page 850 and back.
#include <fstream>
#include <map>
#include <sstream>

#include "unit_support.h"

namespace {

// The code page reference table, code -> UTF-8 bytes; each line of it reads
// "0x82<TAB>U+00E9<TAB>C3 A9<TAB>name".
std::map<unsigned, std::string> load_reference() {
    std::ifstream file(std::string(WBL_TEST_DATA_DIR) + "/cp850.tsv");
    std::map<unsigned, std::string> rows;
    std::string line;
    std::getline(file, line);  // heading
    while (std::getline(file, line)) {
        std::istringstream fields(line.substr(0, line.rfind('\t')));
        std::string code, code_point, byte;
        fields >> code >> code_point;
        std::string& utf8 = rows[std::stoul(code, nullptr, 16)];
        while (fields >> byte) {
            utf8.push_back(static_cast<char>(std::stoul(byte, nullptr, 16)));
        }
    }
    return rows;
}

// The conversion of p_text, with the warnings it printed in p_warnings.
std::string convert(const std::string& p_text, std::string& p_warnings) {
    std::string result;
    std::vector<unsupported_char_t> dropped;
    const captured_t got =
        capture_output([&] { result = UTF8ToANSI(p_text, "labels.ini", 12, dropped); });
    p_warnings = got.m_out + got.m_err;
    return result;
}

std::string warning(std::size_t p_position, int p_code) {
    return "Warning text contains unsupported character! In labels.ini at line 12position " +
           std::to_string(p_position) + " CHARACTER CODE: " + std::to_string(p_code) + "\r\n";
}

class CodePage : public testing::Test {
  protected:
    void SetUp() override { reset_registry("labels.ini", 12); }
};

TEST_F(CodePage, EveryCodeOfTheReferenceConvertsBothWaysAndAsciiStays) {
    const std::map<unsigned, std::string> rows = load_reference();
    ASSERT_EQ(rows.size(), 128u);
    std::string warnings;
    for (const auto& [code, utf8] : rows) {
        // The no-break space (0xFF) has no entry: one warning, both bytes dropped.
        const std::string expected = code == 0xFF ? "" : std::string(1, static_cast<char>(code));
        EXPECT_EQ(convert("a" + utf8 + "b", warnings), "a" + expected + "b") << code;
        EXPECT_EQ(warnings, code == 0xFF ? warning(1, -62) : "") << code;
        EXPECT_EQ(convert(utf8, warnings), expected) << code;  // a sequence ending the text
        EXPECT_EQ(cp850_to_utf8(std::string(1, static_cast<char>(code))), utf8) << code;
    }
    std::string ascii;
    for (int c = 0; c < 0x7F; ++c) {
        ascii.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(convert(ascii, warnings), ascii);
    EXPECT_EQ(warnings, "");
    EXPECT_EQ(cp850_to_utf8(ascii), ascii);
}

TEST_F(CodePage, UnsupportedCharactersAreDroppedWhole) {
    // clang-format off
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {"euro then z", "\xE2\x82\xACz", "z", warning(0, -30)},
        {"latin-1 e acute then x", "\xE9x", "x", warning(0, -23)},
        {"no-break space", "a\xC2\xA0z", "az", warning(1, -62)},
        {"4-byte emoji", "x\xF0\x9F\x98\x80y", "xy", warning(1, -16)},
        {"DF leads two bytes", "\xDF\xBFz", "z", warning(0, -33)},
        {"E0 leads three bytes", "\xE0\xA0\x80z", "z", warning(0, -32)},
        {"F4 still leads four bytes", "\xF4\x8F\xBF\xBFz", "z", warning(0, -12)},
        {"two-byte sequence cut by the end", "ab\xC3", "ab", warning(2, -61)},
        {"four-byte sequence cut by the end", "\xF0\x9F\x98", "", warning(0, -16)},
        {"lone continuation byte", "a\x80z", "az", warning(1, -128)},
        {"C0 and C1 are never lead bytes", "\xC0\xC1z", "z", warning(0, -64) + warning(1, -63)},
        {"F5 leads nothing: its continuation bytes go one by one", "\xF5\x80\x80\x80z", "z",
         warning(0, -11) + warning(1, -128) + warning(2, -128) + warning(3, -128)},
        {"FF leads nothing", "\xFF\x80z", "z", warning(0, -1) + warning(1, -128)},
        {"lead byte without its continuation", "\xC3N\xC3\xA9", "N\x82", warning(0, -61)},
        {"three-byte lead before ascii", "\xE2\x96N", "N", warning(0, -30) + warning(1, -106)},
        {"byte-order mark inside a line", "a\xEF\xBB\xBFz", "az", warning(1, -17)},
    };
    // clang-format on
    for (const auto& [name, input, output, expected] : cases) {
        SCOPED_TRACE(name);
        std::string warnings;
        EXPECT_EQ(convert(input, warnings), output);
        EXPECT_EQ(warnings, expected);
    }
}

// A capture quotes any bytes as UTF-8 text of the code page, quote, backslash and control
// bytes escaped, and gives them back.
TEST_F(CodePage, QuotedTextGivesItsBytesBack) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        // bytes, quoted
        {"Desk 1", "\"Desk 1\""}, {"a\"b\\c", "\"a\\\"b\\\\c\""}, {"#\r\n", "\"#\\x0D\\x0A\""},
        {std::string("\0\x1B\x7F", 3), "\"\\x00\\x1B\\x7F\""}, {"Caf\x82\xFF", "\"Caf\xC3\xA9\xC2\xA0\""},
        {"", "\"\""},
    };
    // clang-format on
    for (const auto& [bytes, quoted] : cases) {
        EXPECT_EQ(quoted_cp850(bytes), quoted);
        std::string back = "unchanged";
        EXPECT_TRUE(unquote_cp850(quoted, back)) << quoted;
        EXPECT_EQ(back, bytes);
    }
    std::string lower;
    EXPECT_TRUE(unquote_cp850("\"\\xaf\\xAF\\x09\"", lower));
    EXPECT_EQ(lower, "\xAF\xAF\t");
    for (const char* text :
         {"abc", "\"abc", "\"a\\\"", "\"\\x4\"", "\"\\xG0\"", "\"\\q\"", "\"\x7F\""}) {
        std::string bytes = "unchanged";
        EXPECT_FALSE(unquote_cp850(text, bytes)) << text;
        EXPECT_EQ(bytes, "unchanged");
    }
}

// A message shows each of its texts by where it came from: the program's words as they are,
// any other text by the one terminal rule on a terminal and exact when redirected;
// label-file text in the console's character set.
TEST_F(CodePage, AMessageShowsEachTextByItsOrigin) {
    const std::string controls("\x1B[2J\t\x7F\x1F\0 ~", 10);
    const std::string service = "Hall\x1B[2J\r\nA\rB\nC\r\n\r";
    struct row_t {
        console_message_t m_message;
        std::string m_redirected;
        std::string m_terminal;
    };
    // clang-format off
    const row_t rows[] = {
        {console_message_t(PROGRAM_TEXT, controls), controls, controls},
        // The service's CR LF line ends are kept; a lone CR or LF shows.
        {service_text(service), service, "Hall^[[2J\r\nA^MB^JC\r\n^M"},
        // Code page bytes of the service show as their characters, never raw (0x9B is a control
        // sequence on 8-bit terminals); so do bytes of a path that are no UTF-8, or a C1 control.
        {service_text("Caf\x82\x9B"), "Caf\x82\x9B", as_shown("Caf\xC3\xA9\xC3\xB8", "Caf\x82\x9B")},
        {given_text("p\x1B\x9B\xC3\xA9\xC2\x9B"), "p\x1B\x9B\xC3\xA9\xC2\x9B",
         as_shown("p^[\xC3\xB8\xC3\xA9\xE2\x94\xAC\xC3\xB8", "p^[\x9B\xC3\xA9\xC2\x9B")},
        {label_file_text(controls), controls, "^[[2J^I^?^_^@ ~"},
        {label_file_text("Caf\x82 \xB0"), as_shown("Caf\xC3\xA9 \xE2\x96\x91", "Caf\x82 \xB0"),
         as_shown("Caf\xC3\xA9 \xE2\x96\x91", "Caf\x82 \xB0")},
        {typed_text("Caf\xC3\xA9\x1B"), as_shown("Caf\xC3\xA9\x1B", "Caf\x82\x1B"), as_shown("Caf\xC3\xA9^[", "Caf\x82^[")},
        // A character the console's code page lacks still shows where a message names it.
        {typed_text("\xE2\x82\xAC"), as_shown("\xE2\x82\xAC", "?"), as_shown("\xE2\x82\xAC", "?")},
        {"[" + service_text("\x1B\r\n") + "|" + label_file_text("\r\n") + "]", "[\x1B\r\n|\r\n]", "[^[\r\n|^M^J]"},
    };
    // clang-format on
    for (const row_t& r : rows) {
        EXPECT_EQ(r.m_message.shown(false), r.m_redirected) << r.m_terminal;
        EXPECT_EQ(r.m_message.shown(true), r.m_terminal);
    }
    EXPECT_EQ(service_text(controls).shown_on(platform::CONSOLE_ERR), controls);  // redirected here
}

}  // namespace
