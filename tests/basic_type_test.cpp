// Command words, the operator's answers, console output, numbers and the service's port.
#include <tuple>

#include "basic_type/command_line.h"
#include "basic_type/json_text.h"
#include "basic_type/service_address.h"
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

#ifndef _WIN32
// Where colour is ANSI sequences, an empty NO_COLOR leaves it on; any value turns it off.
TEST(ConsoleOutput, NoColorTurnsAnsiColourOffOnlyWithAValue) {
    EXPECT_TRUE(platform::ansi_colour_allowed("", "xterm"));
    EXPECT_FALSE(platform::ansi_colour_allowed("0", "xterm"));
    EXPECT_TRUE(platform::ansi_colour_allowed(nullptr, nullptr));
    EXPECT_FALSE(platform::ansi_colour_allowed(nullptr, "dumb"));  // nor on the dumb terminal
}
#endif

TEST(ProgressCounter, OverwritesItselfOnATerminalOnlyAndAnyMessageWipesIt) {
    const captured_t live = capture_output([] {
        progress_counter counter(192, true);
        counter.show(9);
        counter.show(10);
        printf_error_message("Cmd failed (No respons)!\r\n");
        printf_str("x");
        counter.set_label("Asking: ");
        counter.show(3);
        counter.clear();
        counter.clear();
        {
            progress_counter gone(5, true);
            gone.show(1);
        }  // gone while shown: the next message has no count to wipe
        printf_str("y");
    });
    EXPECT_EQ(live.m_out, "  9/192" + std::string(7, '\b') + "  10/192" + std::string(8, '\b') +
                              std::string(8, ' ') + std::string(8, '\b') + "xAsking: 3 of 192" +
                              std::string(16, '\b') + std::string(16, ' ') + std::string(16, '\b') +
                              "  1/5y");
    EXPECT_EQ(live.m_err, "Cmd failed (No respons)!\r\n");
    // Redirected output (as here) never holds a count.
    EXPECT_EQ(capture_output([] { progress_counter(192).show(1); }).m_out, "");
    // A message written while a line is open follows its outcome; inside the writer's lines it
    // comes where it is written.
    const captured_t held = capture_output([] {
        progress_line line(console_message_t(PROGRAM_TEXT, "Reading..."), 192);
        printf_str("held ");
        line.end(LINE_OK);
        progress_line writer(console_message_t(PROGRAM_TEXT, "Erase..."), 192, true);
        printf_str("inside");
        writer.end(LINE_OK);
    });
    EXPECT_EQ(held.m_out, "Reading... OK\r\nheld Erase...inside OK\r\n");
}

// Each number reader by its rule; "-" where the reader refuses the text (the value is then
// left as it was).
TEST(Numbers, EachReaderByItsRule) {
    // clang-format off
    const std::tuple<std::string, std::string, std::string, int> rows[] = {
        // text, strict, like stoi, like atoi keeping the low 8 bits
        {"5", "5", "5", 5}, {"007", "7", "7", 7}, {"+7", "7", "7", 7}, {"-1", "-1", "-1", 255},
        {" \t5", "-", "5", 5}, {"5x", "-", "5", 5}, {"2 ", "-", "2", 2}, {"300", "300", "300", 44},
        {"2147483647", "2147483647", "2147483647", 255}, {"-2147483648", "-2147483648", "-2147483648", 0},
        {"2147483648", "-", "-", 0}, {"-2147483649", "-", "-", 255}, {"4294967340", "-", "-", 44},
        {"", "-", "-", 0}, {"-", "-", "-", 0}, {"x5", "-", "-", 0}, {"+-1", "-", "-", 0}, {":", "-", "-", 0},
    };
    // clang-format on
    for (const auto& [text, strict, stoi, low_byte] : rows) {
        int strict_value = 4242, stoi_value = 4242;
        const bool strict_read = read_int_strict(text, strict_value);
        const bool stoi_read = read_int_like_stoi(text, stoi_value);
        EXPECT_EQ(strict_read ? std::to_string(strict_value) : "-", strict) << text;
        EXPECT_EQ(stoi_read ? std::to_string(stoi_value) : "-", stoi) << text;
        EXPECT_EQ(strict_value == 4242 && stoi_value == 4242, !strict_read && !stoi_read) << text;
        EXPECT_EQ(read_low_byte_like_atoi(text), low_byte) << text;
    }
    // The values of a memory-read answer: empty, past the int range, no line end, junk.
    std::vector<int> values;
    EXPECT_TRUE(read_value_list("x;5,,99999999999,300\r\n", 2, values));
    EXPECT_EQ(values, std::vector<int>({5, value_list_empty, value_list_overflow, 300}));
    values.clear();
    EXPECT_FALSE(read_value_list("1,2x,3", 0, values));
    EXPECT_EQ(values, std::vector<int>({1, 2}));
}

// The service's port: --port's text wins over ZEL_SERVICE_PORT's, which wins over 7000; only
// digits make a port, 1 to 65535. A port other than 7000 is said with where it came from.
TEST(ServicePort, TheOptionWinsOverTheVariableAndOnlyDigitsMakeAPort) {
    const std::string no = "ZEL_SERVICE_PORT needs a port number from 1 to 65535, not ";
    struct row_t {
        const char* m_option;    // nullptr: not given
        const char* m_variable;  // nullptr: not set
        std::string m_chosen;    // the port and its notice, or the refusal
    };
    // clang-format off
    const row_t rows[] = {
        {nullptr, nullptr, "7000 "}, {nullptr, "7000", "7000 "}, {nullptr, "007000", "7000 "},
        {nullptr, "7001", "7001 Using ZEL-Service at 127.0.0.1:7001 (ZEL_SERVICE_PORT)."},
        {nullptr, "1", "1 Using ZEL-Service at 127.0.0.1:1 (ZEL_SERVICE_PORT)."},
        {nullptr, "65535", "65535 Using ZEL-Service at 127.0.0.1:65535 (ZEL_SERVICE_PORT)."},
        {"7002", "x", "7002 Using ZEL-Service at 127.0.0.1:7002 (--port)."},
        {"7000", "7001", "7000 "},
        {"x", "7001", "--port needs a port number from 1 to 65535, not \"x\""},
        {nullptr, "", no + "\"\""}, {nullptr, "0", no + "\"0\""}, {nullptr, "65536", no + "\"65536\""},
        {nullptr, "4294967297", no + "\"4294967297\""}, {nullptr, "12a", no + "\"12a\""},
        {nullptr, " 7001", no + "\" 7001\""}, {nullptr, "7001 ", no + "\"7001 \""},
        {nullptr, "+7001", no + "\"+7001\""}, {nullptr, "-1", no + "\"-1\""},
    };
    // clang-format on
    for (const row_t& r : rows) {
        const std::string option = r.m_option != nullptr ? r.m_option : "";
        const std::string variable = r.m_variable != nullptr ? r.m_variable : "";
        service_port_t port;
        port.m_port = 4242;  // a refusal leaves it
        console_message_t refusal;
        const bool chosen =
            choose_service_port(r.m_option != nullptr ? &option : nullptr,
                                r.m_variable != nullptr ? &variable : nullptr, port, refusal);
        EXPECT_EQ(chosen ? std::to_string(port.m_port) + " " + service_port_notice(port)
                         : refusal.shown(false),
                  r.m_chosen)
            << option << "|" << variable;
        EXPECT_EQ(port.m_port == 4242, !chosen);
    }
}

// The connections a reading program may open: --connections wins over
// ZEL_SERVICE_CONNECTIONS, which wins over 1; only digits make a count, 1 to 16.
TEST(ServicePort, TheConnectionsAreACountFrom1To16) {
    const std::string no = "ZEL_SERVICE_CONNECTIONS needs a count from 1 to 16, not ";
    // clang-format off
    const std::tuple<const char*, const char*, std::string> rows[] = {
        // the option (nullptr: not given), the variable (nullptr: not set), the count or the refusal
        {nullptr, nullptr, "1"}, {nullptr, "16", "16"}, {nullptr, "08", "8"}, {"2", "x", "2"},
        {"x", "4", "--connections needs a count from 1 to 16, not \"x\""},
        {nullptr, "0", no + "\"0\""}, {nullptr, "17", no + "\"17\""}, {nullptr, "", no + "\"\""},
        {nullptr, "+4", no + "\"+4\""},
    };
    // clang-format on
    for (const auto& [option, variable, chosen] : rows) {
        const std::string option_text = option != nullptr ? option : "";
        const std::string variable_text = variable != nullptr ? variable : "";
        std::size_t count = 99;  // a refusal leaves it
        console_message_t refusal;
        const bool taken = choose_service_connections(
            option != nullptr ? &option_text : nullptr,
            variable != nullptr ? &variable_text : nullptr, count, refusal);
        EXPECT_EQ(taken ? std::to_string(count) : refusal.shown(false), chosen)
            << option_text << "|" << variable_text;
        EXPECT_EQ(count == 99, !taken);
    }
}

// The command line of the programs other than the writer: options in any order, as
// "--name value" or "--name=value", an option word never another's value, once-only options,
// options that cannot go together, and a value that is the first operand.
TEST(CommandLine, OneTableDrivenRuleForEveryProgram) {
    const std::vector<option_rule_t> table = {
        {"--yes"},
        {"--dry-run"},
        {"--help", nullptr, false, "-h"},
        {"--port", option_port_value},
        {"-o", option_file_value, false, "--output"},
        {"--device", option_device_value, true},
        {"--verify", option_file_value, false, nullptr, true}};
    const std::vector<option_conflict_t> conflicts = {{"--yes", "--dry-run"}};
    // clang-format off
    const std::pair<texts_t, std::string> rows[] = {
        // arguments, what they gave ("name=value" each, then the operands after "|"), or why not
        {{"--yes", "F", "-h", "--port=7001", "G"}, "--yes= --help= --port=7001 | F G"},
        {{"--port", "7001", "--output", "-", "--", "--yes"}, "--port=7001 -o=- | --yes"},
        {{"--device", "A", "--device=B", "F"}, "--device=A --device=B | F"},
        {{"--verify", "--yes", "F", "G"}, "--verify=F --yes= | G"},
        {{"F", "--verify=G"}, "--verify=G | F"},
        {{"--port=-1"}, "--port=-1 |"},
        {{"--yes", "--yes", "F"}, "--yes is given twice"},
        {{"-o", "a", "--output=b"}, "-o is given twice"},
        {{"--dry-run", "F", "--yes"}, "--yes and --dry-run cannot go together"},
        {{"--port", "--yes"}, "--port needs a port number"},
        {{"--port="}, "--port needs a port number"},
        {{"--verify"}, "--verify needs a file name"},
        {{"--device"}, "--device needs a device name"},
        {{"--yes=1"}, "--yes takes no value"},
        {{"-x"}, "unknown option -x"},
    };
    // clang-format on
    for (const auto& [args, given] : rows) {
        command_line_t line;
        std::string what;
        std::string got;
        if (parse_command_line(table, conflicts, args, line, what)) {
            for (const auto& [name, value] : line.m_options) {
                got += name + "=" + value + " ";
            }
            got += "|";
            for (const std::string& operand : line.m_operands) {
                got += " " + operand;
            }
        } else {
            got = what;
        }
        EXPECT_EQ(got, given);
    }
}

TEST(JsonText, StringsAreEscapedByTheJsonRules) {
    // clang-format off
    const std::pair<std::string, std::string> strings[] = {
        // UTF-8 text, JSON string
        {"plain", "\"plain\""}, {"a\"b\\c", "\"a\\\"b\\\\c\""}, {"\n\r\t", "\"\\n\\r\\t\""},
        {std::string("\0\x01\x1F\x7F", 4), "\"\\u0000\\u0001\\u001F\x7F\""}, {"Caf\xC3\xA9", "\"Caf\xC3\xA9\""},
        // each byte of no well-formed sequence is U+FFFD: Latin-1, cut short, overlong, surrogate, past U+10FFFF
        {"a\xE9" "b\xE2\x82", "\"a\uFFFDb\uFFFD\uFFFD\""}, {"\xC0\xAF\xED\xA0\x80\xE0\x9F", "\"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\""},
        {"\xF4\x90\x80\x80\xF0\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80",
         "\"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\xF4\x8F\xBF\xBF\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\""},
    };
    // clang-format on
    for (const auto& [text, json] : strings) {
        EXPECT_EQ(json_string(text), json);
    }
    EXPECT_EQ(json_cp850_string("Caf\x82\xFF"), "\"Caf\xC3\xA9\xC2\xA0\"");
}

}  // namespace
