// Label lines: label, channel and Dante device read, checked, trimmed and added as a preset
// to every device of the current section.
#include "device_registry/device_registry.h"
#include "file_parser/file_parser.h"
#include "unit_support.h"

namespace {

const std::string too_long = " is larger than 32 characters,  the excess will be ignored\r\n";

std::string refused(const std::string& p_what, const std::string& p_char,
                    const std::string& p_line) {
    return error_at(2) + "Invalid formated " + p_what + ", invalid charaters: " + p_char +
           " in: \r\n" + p_line + "\r\n";
}

TEST(LabelLine, TableOfLabelLines) {
    const std::string l40(40, 'L');
    const std::string d33(33, 'd');
    const std::string e_acute = as_shown("\xC3\xA9", "\x82");
    const std::string nul_line("L\0x = ch@dev", 12);
    // clang-format off
    const std::tuple<std::string, std::string, std::string, texts_t> cases[] = {
        // name, line, messages, presets of Stage
        {"plain", "Radio Varnia = RadioVarnia-ch1@ZUPx3-Radio", "",
         {"Radio Varnia|ZUPx3-Radio|RadioVarnia-ch1"}},
        {"blanks kept inside", "a label =  a dante channel name@a-dante-device-name", "",
         {"a label|a-dante-device-name|a dante channel name"}},
        {"one-character label, comment after", "A = ch1@dev;note", "", {"A|dev|ch1"}},
        {"blanks and tab around the device", "Label = ch1@ \t dev  ", "", {"Label|dev|ch1"}},
        {"label only", "Label", "", {}},
        {"no @", "Label = ch1", "", {}},
        {"no device", "Label = ch1@   ", "", {}},
        {"no label", "= ch1@dev", "", {}},
        {"= in the channel", "a = b = c@d", refused("channel name", "=", "a = b = c@d"), {}},
        {"@ in the label", "My@Label = ch1@dev", refused("label", "@", "My@Label = ch1@dev"), {}},
        {"tab in the label", "La\tbel = ch1@dev", refused("label", "\t", "La\tbel = ch1@dev"), {}},
        {"control byte in the channel", "L = c\x01h@dev",
         refused("channel name", "\x01", "L = c\x01h@dev"), {}},
        {"last control byte", "L\x1F = ch@dev", refused("label", "\x1F", "L\x1F = ch@dev"), {}},
        {"DEL is dropped by the conversion", "L\x7F = ch@dev",
         "Warning text contains unsupported character! In t.ini at line 2position 1 CHARACTER "
         "CODE: 127\r\n", {"L|dev|ch"}},
        {"second device word", "Label = ch1@dev one", error_at(2) +
         "Invalid formated device name, got more than one device name.Label = ch1@dev one\r\n", {}},
        {"underscore in the device", "L = c@dev_1", refused("line", "_", "L = c@dev_1"), {}},
        {"accented device refused, shown in the console's encoding", "L = c@d\xC3\xA9v",
         refused("line", e_acute, "L = c@d" + e_acute + "v"), {}},
        {"accented label and channel kept", "Caf\xC3\xA9 = \xC3\xBC" "ber@dev", "",
         {"Caf\x82|dev|\x81" "ber"}},
        {"label of 40 characters", l40 + " = ch@dev", "Warning in: t.ini at line 2\r\n" + l40 + too_long,
         {std::string(32, 'L') + "|dev|ch"}},
        {"channel of 40 characters", "L = " + l40 + "@dev",
         "Warning in: t.ini at line 2\r\n" + l40 + too_long, {"L|dev|" + std::string(32, 'L')}},
        {"device of 33 characters", "L = ch@" + d33,
         "Warning In: t.ini at line 2\r\n" + d33 + too_long, {"L|" + std::string(32, 'd') + "|ch"}},
        {"label of only spaces", "   = ch@dev", "", {"   |dev|ch"}},
        {"zero byte ends the label", nul_line, refused("channel name", "=", nul_line), {}},
        {"CR ends the label", "L\r = ch@dev", refused("channel name", "=", "L\r = ch@dev"), {}},
        {"zero byte ends the device", std::string("L = ch@dev\0x", 12), "", {"L|dev|ch"}},
    };
    // clang-format on
    for (const auto& [name, line, expected_err, presets] : cases) {
        SCOPED_TRACE(name);
        const parse_run_t run = parse_lines({"[Stage]", line});
        EXPECT_EQ(run.m_last_status, SUCCESS);
        EXPECT_EQ(run.m_output.m_err, expected_err);
        EXPECT_EQ(run.m_output.m_out, "");
        EXPECT_EQ(presets_of("Stage"), presets);
    }
}

TEST(LabelLine, PresetsGoToEveryCurrentDeviceInFileOrder) {
    // clang-format off
    const std::tuple<std::string, texts_t, texts_t, texts_t> cases[] = {
        // name, lines, records, presets of A
        {"a refused line does not stop the file", {"[A]", "My@L = a@b", "G = c@d"}, {"A"}, {"G|d|c"}},
        {"labels before the first section go nowhere", {"X = b@c", "[A]", "D = e@f"}, {"A"}, {"D|f|e"}},
        {"a line creates the records the section did not", {"[A,B]", "L = c@d"}, {"B", "A"}, {"L|d|c"}},
        {"a device named twice gets the preset twice", {"[A,A]", "L = c@d"}, {"A"}, {"L|d|c", "L|d|c"}},
        {"names differing in case are two devices", {"[a]", "L1 = c@d", "[A]", "L2 = c@d"},
         {"a", "A"}, {"L2|d|c"}},
        {"file order across sections", {"[A]", "L1 = c@d", "[B]", "L2 = c@d", "[A]", "L3 = c@d"},
         {"A", "B"}, {"L1|d|c", "L3|d|c"}},
    };
    // clang-format on
    for (const auto& [name, lines, records, presets_of_a] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(parse_lines(lines).m_last_status, SUCCESS);
        EXPECT_EQ(record_names(), records);
        EXPECT_EQ(presets_of("A"), presets_of_a);
    }
    EXPECT_EQ(presets_of("B"), texts_t({"L2|d|c"}));
    // A device keeps the 64 presets it can take and counts the others.
    texts_t lines = {"[A,A,A]"};
    for (int k = 0; k < 30; ++k) {
        lines.push_back("L" + std::to_string(k) + " = c@d");
    }
    parse_lines(lines);
    const brimel_config_rm6x_device& a = zel_config_env::instance().device_list[0];
    EXPECT_EQ(a.preset_to_write.size(), 64u);
    EXPECT_EQ(a.preset_to_write[63].label, "L21");
    EXPECT_EQ(a.m_presets_given, 90u);
}

// A refused line tells how far the presets the file gives each device of its section after it
// move: one entry per refused line before them in sections naming the device.
TEST(LabelLine, ARefusedLineTellsHowFarThePresetsAfterItMove) {
    const std::string line = "Warning: line ";
    const std::string lands = " of t.ini was refused: the presets after it land ";
    const std::string numbers = " than the file numbers them";
    // clang-format off
    const std::pair<texts_t, std::string> cases[] = {
        // lines, the warnings
        {{"[A]", "a@ = b@c", "L = c@d", "[B]", "b@ = c@d", "L = c@d"},
         line + "2" + lands + "1 entry earlier" + numbers + ".\r\n" + line + "5" + lands + "1 entry earlier" + numbers + ".\r\n"},
        {{"x@ = b@c", "[A]", "L = c@d"}, line + "1 of t.ini was refused: no preset moves.\r\n"},
        {{"[A]", "\t", "L = c@d"}, line + "2 of t.ini was refused: no preset moves.\r\n"},
        {{"[A]", "L = c@d", "a@ = b@c", "[B]", "L = c@d", "[A]", "L = c@d"}, line + "3" + lands + "1 entry earlier" + numbers + ".\r\n"},
        {{"[A,B,C,A]", "a@ = b@c", "[A]", "b@ = c@d", "[B,A]", "L = c@d"}, line + "2" + lands + "3 entries earlier" + numbers +
         " in A, 1 entry earlier in B; no preset moves in C.\r\n" + line + "4" + lands + "3 entries earlier" + numbers + ".\r\n"},
    };
    // clang-format on
    for (const auto& [lines, warnings] : cases) {
        parse_lines(lines);
        std::string said;
        for (const refused_line_t& refused : refused_label_lines()) {
            said += refused_line_warning("t.ini", refused).shown(false);
        }
        EXPECT_EQ(said, warnings);
    }
}

}  // namespace
