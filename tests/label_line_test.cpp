#include <gtest/gtest.h>

#include "file_parser/file_parser.h"
#include "test_support.h"
#include "write_brimel_label/write_brimel_label.h"

namespace {

typedef std::vector<std::string> texts_t;

const std::string too_long = " is larger than 32 characters,  the excess will be ignored\r\n";

std::string refused(const std::string& p_what, const std::string& p_char, const std::string& p_line,
                    int p_line_no = 2) {
    return error_at(p_line_no) + "Invalid formated " + p_what + ", invalid charaters: " + p_char +
           " in: \r\n" + p_line + "\r\n";
}

struct label_case_t {
    const char* m_name;
    std::string m_line;  // read after the section "[Stage]"
    std::string m_err;
    texts_t m_presets;  // of Stage, as label|device|channel
};

TEST(LabelLine, TableOfLabelLines) {
    const std::string label40 = std::string(40, 'L');
    const std::string device33 = std::string(33, 'd');
    const label_case_t cases[] = {
        {"plain",
         "Radio Varnia = RadioVarnia-ch1@ZUPx3-Radio",
         "",
         {"Radio Varnia|ZUPx3-Radio|RadioVarnia-ch1"}},
        {"no blank before =",
         "Varnia Musique3= VarniaMusiqueQ3@ZUPx3-Radio",
         "",
         {"Varnia Musique3|ZUPx3-Radio|VarniaMusiqueQ3"}},
        {"two blanks after =",
         "Varnia Musique4=  VarniaMusiqueQ4@ZUPx3-Radio",
         "",
         {"Varnia Musique4|ZUPx3-Radio|VarniaMusiqueQ4"}},
        {"blanks kept inside",
         "a label =  a dante channel name@a-dante-device-name",
         "",
         {"a label|a-dante-device-name|a dante channel name"}},
        {"one-character label", "A = ch1@dev", "", {"A|dev|ch1"}},
        {"comment after the device", "A = ch1@dev;note", "", {"A|dev|ch1"}},
        {"blanks around the device", "Label = ch1@  dev  ", "", {"Label|dev|ch1"}},
        {"tab before the device", "Label = ch1@\tdev", "", {"Label|dev|ch1"}},
        {"label only", "Label", "", {}},
        {"no @", "Label = ch1", "", {}},
        {"no device", "Label = ch1@", "", {}},
        {"blank device", "Label = ch1@   ", "", {}},
        {"no label", "= ch1@dev", "", {}},
        {"= in the channel", "a = b = c@d", refused("channel name", "=", "a = b = c@d"), {}},
        {"@ in the label", "My@Label = ch1@dev", refused("label", "@", "My@Label = ch1@dev"), {}},
        {"tab in the label", "La\tbel = ch1@dev", refused("label", "\t", "La\tbel = ch1@dev"), {}},
        {"control byte in the channel",
         "L = c\x01h@dev",
         refused("channel name", "\x01", "L = c\x01h@dev"),
         {}},
        {"DEL in the label is dropped by the conversion",
         "L\x7F = ch@dev",
         "Warning text contains unsupported character! In t.ini at line 2position 1 CHARACTER "
         "CODE: 127\r\n",
         {"L|dev|ch"}},
        {"second device word",
         "Label = ch1@dev one",
         error_at(2) + "Invalid formated device name, got more than one device name.Label = "
                       "ch1@dev one\r\n",
         {}},
        {"underscore in the device",
         "Label = ch1@dev_1",
         refused("line", "_", "Label = ch1@dev_1"),
         {}},
        {"accented device refused, shown in the console's encoding",
         "Label = ch1@d\xC3\xA9v",
         refused("line", as_shown("\xC3\xA9", "\x82"),
                 "Label = ch1@d" + as_shown("\xC3\xA9", "\x82") + "v"),
         {}},
        {"accented label and channel kept",
         "Caf\xC3\xA9 = \xC3\xBC"
         "ber@dev",
         "",
         {"Caf\x82|dev|\x81"
          "ber"}},
        {"label of 40 characters",
         label40 + " = ch@dev",
         "Warning in: t.ini at line 2\r\n" + label40 + too_long,
         {std::string(32, 'L') + "|dev|ch"}},
        {"channel of 40 characters",
         "L = " + label40 + "@dev",
         "Warning in: t.ini at line 2\r\n" + label40 + too_long,
         {"L|dev|" + std::string(32, 'L')}},
        {"device of 33 characters",
         "L = ch@" + device33,
         "Warning In: t.ini at line 2\r\n" + device33 + too_long,
         {"L|" + std::string(32, 'd') + "|ch"}},
        {"label of only spaces", "   = ch@dev", "", {"   |dev|ch"}},
        {"punctuation and brackets in label", "L(1)! = ch#1@dev", "", {"L(1)!|dev|ch#1"}},
        {"zero byte ends the label",
         std::string("L\0x = ch@dev", 12),
         refused("channel name", "=", std::string("L\0x = ch@dev", 12)),
         {}},
    };
    for (const label_case_t& c : cases) {
        SCOPED_TRACE(c.m_name);
        const parse_run_t run = parse_lines({"[Stage]", c.m_line});
        EXPECT_EQ(run.m_last_status, SUCCESS);
        EXPECT_EQ(run.m_output.m_err, c.m_err);
        EXPECT_EQ(run.m_output.m_out, "");
        EXPECT_EQ(presets_of("Stage"), c.m_presets);
    }
}

TEST(LabelLine, RefusedLineDoesNotStopTheFile) {
    const parse_run_t run = parse_lines({"[Stage]", "My@Label = a@b", "Good = c@d"});
    EXPECT_EQ(run.m_last_status, SUCCESS);
    EXPECT_EQ(presets_of("Stage"), texts_t({"Good|d|c"}));
}

TEST(LabelLine, LabelsBeforeTheFirstSectionRecordNothing) {
    const parse_run_t run = parse_lines({"A = b@c", "[Stage]", "D = e@f"});
    EXPECT_EQ(run.m_last_status, SUCCESS);
    EXPECT_EQ(run.m_output.m_err, "");
    EXPECT_EQ(record_names(), texts_t({"Stage"}));
    EXPECT_EQ(presets_of("Stage"), texts_t({"D|f|e"}));
}

TEST(LabelLine, EveryCurrentDeviceGetsThePreset) {
    // Only B has a record after the section; the label line creates A after it.
    const parse_run_t run = parse_lines({"[A,B]", "L = c@d"});
    EXPECT_EQ(record_names(), texts_t({"B", "A"}));
    EXPECT_EQ(presets_of("A"), texts_t({"L|d|c"}));
    EXPECT_EQ(presets_of("B"), texts_t({"L|d|c"}));
}

TEST(LabelLine, DeviceNamedTwiceGetsThePresetTwice) {
    parse_lines({"[A,A]", "L = c@d"});
    EXPECT_EQ(presets_of("A"), texts_t({"L|d|c", "L|d|c"}));
    EXPECT_EQ(record_names(), texts_t({"A"}));
}

TEST(LabelLine, NamesDifferingInCaseAreTwoDevices) {
    parse_lines({"[KDX-RM6x5]", "L1 = c@d", "[KDX-RM6X5]", "L2 = c@d"});
    EXPECT_EQ(record_names(), texts_t({"KDX-RM6x5", "KDX-RM6X5"}));
    EXPECT_EQ(presets_of("KDX-RM6x5"), texts_t({"L1|d|c"}));
    EXPECT_EQ(presets_of("KDX-RM6X5"), texts_t({"L2|d|c"}));
}

TEST(LabelLine, PresetsKeepFileOrderAcrossSections) {
    parse_lines({"[A]", "L1 = c@d", "[B]", "L2 = c@d", "[A]", "L3 = c@d"});
    EXPECT_EQ(record_names(), texts_t({"A", "B"}));
    EXPECT_EQ(presets_of("A"), texts_t({"L1|d|c", "L3|d|c"}));
}

TEST(InterpretParameter, EmptyTextOrBadDeviceFailsTheRun) {
    struct parameter_case_t {
        const char* m_label;
        const char* m_device;
        const char* m_channel;
        std::string m_err;
    };
    const parameter_case_t cases[] = {
        {"", "dev", "ch", error_at(1) + "Invalid parameters\r\n"},
        {"L", "", "ch", error_at(1) + "Invalid parameters\r\n"},
        {"L", "dev", "", error_at(1) + "Invalid parameters\r\n"},
        {"L", "de v", "ch",
         error_at(1) +
             "Unvalid character:   in de vdevice section\r\nformat device name "
             "error\r\n" +
             error_at(1) + "Invalid parameters\r\n"},
        {"L\tx", "dev", "ch",
         "Unvalid character: \t in L\tx (label section)\r\nformat label error\r\n" + error_at(1) +
             "Invalid parameters\r\n"},
        {"L", "dev", "c=h",
         "Unvalid character: = in c=h (label section)\r\nformat channel id error\r\n" +
             error_at(1) + "Invalid parameters\r\n"},
    };
    for (const parameter_case_t& c : cases) {
        SCOPED_TRACE(c.m_err);
        reset_registry();
        std::vector<std::string> names;
        Status status = SUCCESS;
        const captured_t got = capture_output(
            [&] { status = interpret_parameter(c.m_label, c.m_device, c.m_channel, names); });
        EXPECT_EQ(status, FAIL);
        EXPECT_EQ(got.m_err, c.m_err);
    }
}

TEST(ChannelName, FormatTrimsAndChecks) {
    struct channel_case_t {
        std::string m_in;
        Status m_status;
        std::string m_out;
    };
    const channel_case_t cases[] = {
        {"  ab  ", SUCCESS, "ab"}, {"a b", SUCCESS, "a b"},
        {"   ", SUCCESS, "   "},   {"\tab\r\n", SUCCESS, "ab"},
        {"[x]", SUCCESS, "[x]"},   {"a;b", FAIL, "a;b"},
        {"a@b", FAIL, "a@b"},      {"a\x7F", FAIL, "a\x7F"},
        {"", SUCCESS, ""},         {std::string("a\0b", 3), SUCCESS, std::string("a\0b", 3)},
    };
    for (const channel_case_t& c : cases) {
        std::string text = c.m_in;
        capture_output([&] { EXPECT_EQ(format_channel_id(text), c.m_status) << c.m_in; });
        EXPECT_EQ(text, c.m_out);
    }
}

TEST(ChannelName, CharacterClass) {
    for (int c = 0; c < 256; ++c) {
        const bool expected =
            c == 0 || (c >= 0x20 && c != 0x7F && c != ';' && c != '=' && c != '@');
        EXPECT_EQ(is_autorized_char_in_channel_name(static_cast<char>(c)), expected) << c;
    }
}

}  // namespace
