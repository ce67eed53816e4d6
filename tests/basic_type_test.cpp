// Command words, the operator's answers, console output and numbers.
#include "basic_type/json_text.h"
#include "unit_support.h"

namespace {

TEST(CommandWords, EachWordBelongsToItsListOnlyInAnyLetterCase) {
    const std::pair<std::string, texts_t> lists[] = {
        {"help", {"h", "-H", "HELP", "-help", "-HELP"}},
        {"find", {"-F", "FIND", "f", "-find"}},
        {"agree", {"Y", "YES", "Ok", "o"}},
        {"disagree", {"N", "no", "Quit", "q", "UNDO", "Exit", "cancel", "abort"}},
        {"none", {"he", " help", "help ", "--help", "", "y ", "yes please", "\xC3\xBF", "Z"}},
    };
    for (const auto& list : lists) {
        for (const std::string& word : list.second) {
            SCOPED_TRACE(word);
            EXPECT_EQ(is_help_cmd(word), list.first == "help");
            EXPECT_EQ(is_find_all_rm6x_cmd(word), list.first == "find");
            EXPECT_EQ(is_agree_cmd(word), list.first == "agree");
            EXPECT_EQ(is_disagree_cmd(word), list.first == "disagree");
        }
    }
    // Compared as C strings: "h" followed by a zero byte is still the help word.
    EXPECT_TRUE(is_help_cmd(std::string("h\0x", 3)));
    std::string text = "@AZ[`az{09-\xC3\x89";
    to_small_letter(text);
    EXPECT_EQ(text, "@az[`az{09-\xC3\x89");
}

TEST(ConsoleOutput, RedirectedStreamsGetTheTextByteForByte) {
    const captured_t got = capture_output([] {
        printf_str_color("green\r\n", GREEN);
        printf_error_message("red\r\n");
        printf_str_color("", CYAN);
        printf_str(color_text("plain", RED));
    });
    EXPECT_EQ(got.m_out, "green\r\nplain");
    EXPECT_EQ(got.m_err, "red\r\n");
}

#ifndef _WIN32
// Where colour is ANSI sequences, an empty NO_COLOR leaves it on; any value turns it off.
TEST(ConsoleOutput, NoColorTurnsAnsiColourOffOnlyWithAValue) {
    EXPECT_TRUE(platform::ansi_colour_allowed("", "xterm"));
    EXPECT_FALSE(platform::ansi_colour_allowed("0", "xterm"));
}
#endif

TEST(ProgressCounter, OverwritesItselfOnATerminalOnly) {
    const captured_t live = capture_output([] {
        progress_counter counter(192, true);
        counter.show(1);
        counter.show(10);
        counter.clear();
        counter.clear();
        progress_counter shorter(9, true);
        shorter.show(10);
        shorter.show(9);
    });
    const std::string back7(7, '\b');
    const std::string back8(8, '\b');
    EXPECT_EQ(live.m_out, "  1/192" + back7 + "  10/192" + back8 + std::string(8, ' ') + back8 +
                              "  10/9" + std::string(6, '\b') + "  9/9 \b");
    // Any message wipes the count first.
    const captured_t message = capture_output([] {
        progress_counter counter(192, true);
        counter.show(5);
        printf_error_message("Cmd failed (No respons)!\r\n");
        printf_str("x");
        counter.show(6);
    });
    EXPECT_EQ(message.m_out, "  5/192" + back7 + std::string(7, ' ') + back7 + "x  6/192");
    const captured_t labelled = capture_output([] {
        progress_counter counter(8, true);
        counter.set_label("Asking: ");
        counter.show(3);
    });
    EXPECT_EQ(labelled.m_out, "Asking: 3 of 8");
    EXPECT_EQ(message.m_err, "Cmd failed (No respons)!\r\n");
    // Redirected output (as here) never holds a count.
    EXPECT_EQ(capture_output([] { progress_counter(192).show(1); }).m_out, "");
}

TEST(DecimalParser, AcceptsOnlyWholeDecimalInts) {
    const texts_t read = {"0", "9", "-1", "2147483647", "-2147483648"};
    const texts_t refused = {"2147483648", "-2147483649", "", "-", "12a", " 12", "/", ":"};
    for (const std::string& text : read) {
        int value = 4242;
        EXPECT_TRUE(parse_decimal_int(text, value)) << text;
        EXPECT_EQ(std::to_string(value), text);
    }
    for (const std::string& text : refused) {
        int value = 4242;
        EXPECT_FALSE(parse_decimal_int(text, value)) << text;
        EXPECT_EQ(value, 4242) << text;
    }
    int plus = 0;
    EXPECT_TRUE(parse_decimal_int("+7", plus));
    EXPECT_EQ(plus, 7);
}

TEST(JsonText, StringsAreEscapedByTheJsonRulesAndValuesComposed) {
    // clang-format off
    const std::pair<std::string, std::string> strings[] = {
        // UTF-8 text, JSON string
        {"plain", "\"plain\""}, {"a\"b\\c", "\"a\\\"b\\\\c\""}, {"\n\r\t", "\"\\n\\r\\t\""},
        {std::string("\0\x01\x1F\x7F", 4), "\"\\u0000\\u0001\\u001F\x7F\""}, {"Caf\xC3\xA9", "\"Caf\xC3\xA9\""},
    };
    // clang-format on
    for (const auto& [text, json] : strings) {
        EXPECT_EQ(json_string(text), json);
    }
    EXPECT_EQ(json_cp850_string("Caf\x82\xFF"), "\"Caf\xC3\xA9\xC2\xA0\"");
    EXPECT_EQ(json_object({{"a", json_number(-5)},
                           {"b\"", json_array({json_bool(true), json_null})},
                           {"c", json_array({})}}),
              "{\"a\": -5, \"b\\\"\": [true, null], \"c\": []}");
    EXPECT_EQ(json_object({}), "{}");
    EXPECT_EQ(json_bool(false), "false");
}

}  // namespace
