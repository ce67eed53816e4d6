#include <gtest/gtest.h>

#include "basic_type/basic_type.h"
#include "test_support.h"

namespace {

struct word_case_t {
    const char* m_word;
    bool m_help;
    bool m_find;
    bool m_agree;
    bool m_disagree;
};

TEST(CommandWords, EachWordBelongsToItsListOnlyAnyLetterCase) {
    const word_case_t cases[] = {
        {"h", true, false, false, false},           {"-H", true, false, false, false},
        {"HELP", true, false, false, false},        {"Help", true, false, false, false},
        {"-help", true, false, false, false},       {"-HELP", true, false, false, false},
        {"-F", false, true, false, false},          {"FIND", false, true, false, false},
        {"f", false, true, false, false},           {"-find", false, true, false, false},
        {"Y", false, false, true, false},           {"YES", false, false, true, false},
        {"Ok", false, false, true, false},          {"o", false, false, true, false},
        {"N", false, false, false, true},           {"Quit", false, false, false, true},
        {"UNDO", false, false, false, true},        {"Exit", false, false, false, true},
        {"cancel", false, false, false, true},      {"abort", false, false, false, true},
        {"q", false, false, false, true},           {"no", false, false, false, true},
        {"he", false, false, false, false},         {" help", false, false, false, false},
        {"help ", false, false, false, false},      {"--help", false, false, false, false},
        {"", false, false, false, false},           {"y ", false, false, false, false},
        {"yes please", false, false, false, false}, {"\xC3\xBF", false, false, false, false},
    };
    for (const word_case_t& c : cases) {
        SCOPED_TRACE(c.m_word);
        EXPECT_EQ(is_help_cmd(c.m_word), c.m_help);
        EXPECT_EQ(is_find_all_rm6x_cmd(c.m_word), c.m_find);
        EXPECT_EQ(is_agree_cmd(c.m_word), c.m_agree);
        EXPECT_EQ(is_disagree_cmd(c.m_word), c.m_disagree);
    }
}

TEST(CommandWords, ZeroByteEndsTheComparedWord) {
    // Compared as C strings: "h" followed by a zero byte is still the help word.
    EXPECT_TRUE(is_help_cmd(std::string("h\0x", 3)));
    EXPECT_FALSE(is_cmd({}, "h"));
}

TEST(CommandWords, FoldsOnlyAsciiCapitals) {
    std::string text = "AZaz09-\xC3\x89@[";
    to_small_letter(text);
    EXPECT_EQ(text, "azaz09-\xC3\x89@[");
}

TEST(UserAnswer, ValidityAndConfirmation) {
    struct answer_case_t {
        const char* m_answer;
        bool m_valid;
        bool m_confirm;
    };
    const answer_case_t cases[] = {
        {"y", true, true},     {"YES", true, true},   {"Ok", true, true},
        {"o", true, true},     {"N", true, false},    {"Quit", true, false},
        {"UNDO", true, false}, {"Exit", true, false}, {"maybe", false, false},
        {"12", false, false},  {"", false, false},    {"yes please", false, false},
        {"y ", false, false},  {"\ty", false, false}, {"y\r\n", false, false},
    };
    for (const answer_case_t& c : cases) {
        SCOPED_TRACE(c.m_answer);
        std::string answer = c.m_answer;
        bool confirm = !c.m_confirm;  // must be overwritten
        EXPECT_EQ(valid_user_ans(answer, confirm), c.m_valid);
        EXPECT_EQ(confirm, c.m_confirm);
        EXPECT_EQ(answer, c.m_answer);
    }
}

TEST(ConsoleOutput, ColourAttributes) {
    EXPECT_EQ(color_attribute(RESET), 15);
    EXPECT_EQ(color_attribute(RED), 12);
    EXPECT_EQ(color_attribute(GREEN), 10);
    EXPECT_EQ(color_attribute(YELLOW), 14);
    EXPECT_EQ(color_attribute(CYAN), 11);
    EXPECT_EQ(color_attribute(MAGENTA), 13);
    EXPECT_EQ(color_attribute(static_cast<color_code_t>(9)), 15);
    EXPECT_EQ(color_attribute(static_cast<color_code_t>(-1)), 15);
}

TEST(ConsoleOutput, ColorTextAddsNothing) {
    EXPECT_EQ(color_text("abc", RED), "abc");
    EXPECT_EQ(color_text("abc", static_cast<color_code_t>(9)), "abc");
    EXPECT_EQ(color_text("", GREEN), "");
}

TEST(ConsoleOutput, RedirectedStreamsGetTheTextByteForByte) {
    const captured_t got = capture_output([] {
        printf_str_color("green\r\n", GREEN);
        printf_error_message("red\r\n");
        printf_str_color("", CYAN);
        printf_str("plain");
    });
    EXPECT_EQ(got.m_out, "green\r\nplain");
    EXPECT_EQ(got.m_err, "red\r\n");
}

TEST(ProgressCounter, OverwritesItselfAndLeavesNothingBehind) {
    const captured_t live = capture_output([] {
        progress_counter counter(192, true);
        counter.show(1);
        counter.show(2);
        counter.show(10);
        counter.clear();
        counter.clear();
    });
    const std::string back7(7, '\b');
    const std::string back8(8, '\b');
    EXPECT_EQ(live.m_out, "  1/192" + back7 + "  2/192" + back7 + "  10/192" + back8 +
                              std::string(8, ' ') + back8);
    EXPECT_EQ(live.m_err, "");
    // Shorter counts blank out what is left of a longer one.
    const captured_t shorter = capture_output([] {
        progress_counter counter(9, true);
        counter.show(10);
        counter.show(9);
    });
    EXPECT_EQ(shorter.m_out, "  10/9" + std::string(6, '\b') + "  9/9 \b");
    // Redirected output (as here) never holds a count.
    const captured_t redirected = capture_output([] {
        progress_counter counter(192);
        counter.show(1);
        counter.clear();
    });
    EXPECT_EQ(redirected.m_out, "");
}

TEST(ConsoleOutput, ExitFailureSuffix) {
    EXPECT_EQ(str_exit_failure, "\r\nFailed, exit now\r\n");
    EXPECT_EQ(str_exit_failure.size(), 20u);
}

TEST(UserManual, ExactTextWithProgramPath) {
    const std::string lines[] = {
        "C:\\bin\\tool.exe User's manual:",
        "The program purpose to write the KALDEN RM6X labelsthe program input expect at least "
        "one input file path *.ini as an argument for instance:",
        "C:\\bin\\tool.exe load_kalden_default_device.ini",
        "File must be written in this way:",
        "A section in bracket: [device_1, ..., device_n] that specify the devices which are "
        "going to be writtenA list of the preset to be written, for instance:",
        "",
        "",
        "",
        "[NEW-DEVICE1, NEW-DEVICE2];specify the devices which are going to be written",
        "a label =  a dante channel name@a-dante-device-name;a label preset to write in "
        "NEW-DEVICE1 /  NEW-DEVICE2;",
        "another label =  other channel name 2@adevice;another label preset to write in "
        "NEW-DEVICE1 /  NEW-DEVICE2;",
        "[ KDX-RM6x-243  , KDX-RM6X5];new device list to be written",
        "Radio Varnia = RadioVarnia-ch1@ZUPx3-Radio",
        "",
        "Radio Varnia2 = RadioVarnia-ch2@ZUPx3-Radio",
        "Radio Varnia3 = RadioVarnia-ch3@ZUPx3-Radio",
        "Radio Varnia4 = RadioVarnia-ch4@ZUPx3-Radio",
        "Varnia Musique = VarniaMusiqueQ1@ZUPx3-Radio",
        "Varnia Musique2 = VarniaMusiqueQ2@ZUPx3-Radio",
        "",
        "",
        "Varnia Musique3= VarniaMusiqueQ3@ZUPx3-Radio",
        "Varnia Musique4=  VarniaMusiqueQ4@ZUPx3-Radio",
        ";ASCII characters are accepted for LABEL and CHANNEL (including symbol with diacritical "
        "-accentuation, diaeresis / umlaut, etc.- sign) however '=' character and '@' isn't a "
        "possible sign in the label name and escapes characters sequence",
        ";Only letters, numbers and  dash/minus sign are valid char for a dante DEVICE name,  "
        "SPACE IS NOT A VALID CHARACTER.",
    };
    std::string expected;
    for (const std::string& line : lines) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(label_user_manual_text("C:\\bin\\tool.exe"), expected);
    const captured_t got = capture_output([] { write_label_user_manual("C:\\bin\\tool.exe"); });
    EXPECT_EQ(got.m_out, expected);
    EXPECT_EQ(got.m_err, "");
}

TEST(UserManual, EmptyProgramPathKeepsTheBlank) {
    const std::string text = label_user_manual_text("");
    EXPECT_EQ(text.substr(0, 17), " User's manual:\r\n");
    EXPECT_NE(text.find("\r\n load_kalden_default_device.ini\r\n"), std::string::npos);
}

TEST(DecimalParser, AcceptsOnlyWholeDecimalInts) {
    struct number_case_t {
        const char* m_text;
        bool m_ok;
        int m_value;
    };
    const number_case_t cases[] = {
        {"0", true, 0},
        {"5", true, 5},
        {"-1", true, -1},
        {"+7", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"12a", false, 0},
        {" 12", false, 0},
        {"12 ", false, 0},
        {"0x10", false, 0},
        {"1.5", false, 0},
    };
    for (const number_case_t& c : cases) {
        SCOPED_TRACE(c.m_text);
        int value = 4242;
        EXPECT_EQ(parse_decimal_int(c.m_text, value), c.m_ok);
        EXPECT_EQ(value, c.m_ok ? c.m_value : 4242);
    }
}

}  // namespace
