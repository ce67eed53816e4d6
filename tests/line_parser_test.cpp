// Lines of the label file: their length, device sections and device names.
#include "file_parser/file_parser.h"
#include "unit_support.h"

namespace {

const std::string too_long = " is larger than 32 characters,  the excess will be ignored\r\n";

std::string unvalid(int p_line, const std::string& p_char, const std::string& p_name) {
    return error_at(p_line) + "Unvalid character: " + p_char + " in " + p_name +
           "device section\r\n";
}

std::string empty_field(int p_line, const std::string& p_section) {
    return error_at(p_line) + "Invalid formated device section, empty device name in: \r\n[" +
           p_section + "]\r\n";
}

std::string warning_at(int p_line, int p_position, int p_code) {
    return "Warning text contains unsupported character! In t.ini at line " +
           std::to_string(p_line) + "position " + std::to_string(p_position) +
           " CHARACTER CODE: " + std::to_string(p_code) + "\r\n";
}

TEST(DeviceSection, TableOfSections) {
    const std::string name33(33, 'N');
    const std::string name32(32, 'N');
    const std::string e_acute = as_shown("\xC3\xA9", "\x82");
    // clang-format off
    const std::tuple<std::string, texts_t, Status, std::string, texts_t, texts_t> cases[] = {
        // name, lines, result, messages, current device list, records
        {"one name", {"[KDX-RM6X5]"}, SUCCESS, "", {"KDX-RM6X5"}, {"KDX-RM6X5"}},
        {"blanks trimmed, case kept, a record for the last name only",
         {"[ KDX-RM6x-243  , KDX-RM6X5]"}, SUCCESS, "", {"KDX-RM6x-243", "KDX-RM6X5"}, {"KDX-RM6X5"}},
        {"every name character, blanks around", {"[AZaz09-, \tB\r ]"}, SUCCESS, "", {"AZaz09-", "B"}, {"B"}},
        {"blank inside a name", {"[A B]"}, FAIL, unvalid(1, " ", "A B"), {}, {}},
        {"only a blank", {"[ ]"}, FAIL, unvalid(1, " ", " "), {}, {}},
        {"empty brackets are no section", {"[]"}, SUCCESS, "", {}, {}},
        {"nor are they with a bracket after them", {"[]A]"}, SUCCESS, "", {}, {}},
        {"comment cuts the line", {"[A,B];[C]", "; [D]", "     "}, SUCCESS, "", {"A", "B"}, {"B"}},
        {"text around the brackets", {"Label [2] = ch1@dev"}, SUCCESS, "", {"2"}, {"2"}},
        {"second section replaces the list", {"[A,B,C]", "[D]"}, SUCCESS, "", {"D"}, {"C", "D"}},
        {"same name twice", {"[A,A]"}, SUCCESS, "", {"A", "A"}, {"A"}},
        {"a zero byte is a name character", {std::string("[A\0]", 4)}, SUCCESS, "", {std::string("A\0", 2)},
         {std::string("A\0", 2)}},
        {"same last name in two sections: one record", {"[A]", "[B,A]"}, SUCCESS, "", {"B", "A"}, {"A"}},
        {"brackets not nested", {"[[A]"}, FAIL, unvalid(1, "[", "[A"), {}, {}},
        {"extra closing bracket", {"[A]]"}, SUCCESS, "", {"A"}, {"A"}},
        {"accented letter refused, shown in the console's encoding", {"[Caf\xC3\xA9]"}, FAIL,
         unvalid(1, e_acute, "Caf" + e_acute), {}, {}},
        {"refused second name stops, the list kept", {"[A]", "[B,C D]"}, FAIL,
         unvalid(2, " ", "C D"), {"B"}, {"A"}},
        {"33 characters cut to 32", {"[" + name33 + "]"}, SUCCESS,
         "Warning In: t.ini at line 1\r\n" + name33 + too_long, {name32}, {name32}},
        {"a character lost in the conversion changes the name", {"[A, KDX\xE2\x80\x93RM6X5]"}, FAIL,
         warning_at(1, 7, -30) + unvalid(1, as_shown("\xE2\x80\x93", "?"), as_shown(" KDX\xE2\x80\x93RM6X5", " KDXRM6X5")),
         {}, {}},
        {"a character lost in the first name", {"[B\xE2\x80\x93" "C,A]"}, FAIL,
         warning_at(1, 2, -30) + unvalid(1, as_shown("\xE2\x80\x93", "?"), as_shown("B\xE2\x80\x93" "C", "BC")), {}, {}},
        {"a character lost in the comment changes nothing", {"[A]; \xE2\x80\x93"}, SUCCESS, warning_at(1, 5, -30),
         {"A"}, {"A"}},
        {"empty field in the middle", {"[A,,B]"}, FAIL, empty_field(1, "A,,B"), {"A"}, {}},
        {"empty first field", {"[X]", "[,A]"}, FAIL, empty_field(2, ",A"), {"X"}, {"X"}},
        {"empty last field", {"[A,]"}, FAIL, empty_field(1, "A,"), {"A"}, {}},
    };
    // clang-format on
    for (const auto& [name, lines, expected_status, expected_err, current, records] : cases) {
        SCOPED_TRACE(name);
        const parse_run_t run = parse_lines(lines);
        EXPECT_EQ(run.m_last_status, expected_status);
        EXPECT_EQ(run.m_output.m_err, expected_err);
        EXPECT_EQ(run.m_output.m_out, "");
        EXPECT_EQ(current_section_devices(), current);
        EXPECT_EQ(record_names(), records);
    }
    // Each neighbour of the name characters is refused on its own.
    for (const char* section : {"[@]", "[Z[]", "[`a]", "[z{]", "[/]", "[9:]", "[_]", "[.]"}) {
        EXPECT_EQ(parse_lines({section}).m_last_status, FAIL) << section;
    }
}

TEST(LineLength, LimitIs5000BytesAsRead) {
    const std::string limit =
        "Invalid formated line, exceed authorized line lenght (5000 characters)\r\n";
    std::string accented;  // 5002 bytes as read, 2501 once converted
    for (int k = 0; k < 2501; ++k) {
        accented += "\xC3\xA9";
    }
    const std::pair<std::string, std::string> cases[] = {
        // line, messages
        {std::string(5000, ' '), ""},
        {";" + std::string(4999, 'c'), ""},
        {std::string(5001, ' '), error_at(1) + limit},
        {";" + std::string(5000, 'c'), error_at(1) + limit},
        {accented, error_at(1) + limit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.size());
        const parse_run_t run = parse_lines({c.first});
        EXPECT_EQ(run.m_last_status, c.second.empty() ? SUCCESS : FAIL);
        EXPECT_EQ(run.m_output.m_err, c.second);
    }
}

}  // namespace
