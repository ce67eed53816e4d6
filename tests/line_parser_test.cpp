#include <gtest/gtest.h>

#include "file_parser/file_parser.h"
#include "test_support.h"
#include "write_brimel_label/write_brimel_label.h"

namespace {

typedef std::vector<std::string> names_t;

const std::string too_long = " is larger than 32 characters,  the excess will be ignored\r\n";

struct section_case_t {
    const char* m_name;
    names_t m_lines;
    Status m_status;
    std::string m_err;
    names_t m_current;  // current device list afterwards
    names_t m_records;  // records in device_list afterwards
};

TEST(DeviceSection, TableOfSections) {
    const std::string name33(33, 'N');
    const std::string name32(32, 'N');
    const section_case_t cases[] = {
        {"one name", {"[KDX-RM6X5]"}, SUCCESS, "", {"KDX-RM6X5"}, {"KDX-RM6X5"}},
        {"blanks trimmed, case kept, record for the last name only",
         {"[ KDX-RM6x-243  , KDX-RM6X5]"},
         SUCCESS,
         "",
         {"KDX-RM6x-243", "KDX-RM6X5"},
         {"KDX-RM6X5"}},
        {"one character and blanks", {"[A ]"}, SUCCESS, "", {"A"}, {"A"}},
        {"names around blanks", {"[A , B]"}, SUCCESS, "", {"A", "B"}, {"B"}},
        {"tabs are blanks too", {"[\tA\t,\tB ]"}, SUCCESS, "", {"A", "B"}, {"B"}},
        {"blank inside a name",
         {"[A B]"},
         FAIL,
         error_at(1) + "Unvalid character:   in A Bdevice section\r\n",
         {},
         {}},
        {"only a blank",
         {"[ ]"},
         FAIL,
         error_at(1) + "Unvalid character:   in  device section\r\n",
         {},
         {}},
        {"empty brackets are no section", {"[]"}, SUCCESS, "", {}, {}},
        {"comment cuts the line", {"[A,B];[C]"}, SUCCESS, "", {"A", "B"}, {"B"}},
        {"comment line", {"[A]", "; [B]"}, SUCCESS, "", {"A"}, {"A"}},
        {"line of spaces", {"[A]", "     "}, SUCCESS, "", {"A"}, {"A"}},
        {"text around the brackets", {"Label [2] = ch1@dev"}, SUCCESS, "", {"2"}, {"2"}},
        {"second section replaces the list", {"[A,B,C]", "[D]"}, SUCCESS, "", {"D"}, {"C", "D"}},
        {"same name twice", {"[A,A]"}, SUCCESS, "", {"A", "A"}, {"A"}},
        {"same last name in two sections gives one record",
         {"[A]", "[B,A]"},
         SUCCESS,
         "",
         {"B", "A"},
         {"A"}},
        {"brackets not nested",
         {"[[A]"},
         FAIL,
         error_at(1) + "Unvalid character: [ in [Adevice section\r\n",
         {},
         {}},
        {"extra closing bracket", {"[A]]"}, SUCCESS, "", {"A"}, {"A"}},
        {"underscore refused",
         {"[dev_1]"},
         FAIL,
         error_at(1) + "Unvalid character: _ in dev_1device section\r\n",
         {},
         {}},
        {"accented letter refused, shown in the console's encoding",
         {"[Caf\xC3\xA9]"},
         FAIL,
         error_at(1) + "Unvalid character: " + as_shown("\xC3\xA9", "\x82") + " in Caf" +
             as_shown("\xC3\xA9", "\x82") + "device section\r\n",
         {},
         {}},
        {"refused second name stops",
         {"[A]", "[B,C D]"},
         FAIL,
         error_at(2) + "Unvalid character:   in C Ddevice section\r\n",
         {"B"},
         {"A"}},
        {"33 characters cut to 32",
         {"[" + name33 + "]"},
         SUCCESS,
         "Warning In: t.ini at line 1\r\n" + name33 + too_long,
         {name32},
         {name32}},
        {"empty field in the middle",
         {"[A,,B]"},
         FAIL,
         error_at(1) + "Invalid formated device section, empty device name in: \r\n[A,,B]\r\n",
         {"A"},
         {}},
        {"empty first field",
         {"[X]", "[,A]"},
         FAIL,
         error_at(2) + "Invalid formated device section, empty device name in: \r\n[,A]\r\n",
         {"X"},
         {"X"}},
        {"empty last field",
         {"[A,]"},
         FAIL,
         error_at(1) + "Invalid formated device section, empty device name in: \r\n[A,]\r\n",
         {"A"},
         {}},
    };
    for (const section_case_t& c : cases) {
        SCOPED_TRACE(c.m_name);
        const parse_run_t run = parse_lines(c.m_lines);
        EXPECT_EQ(run.m_last_status, c.m_status);
        EXPECT_EQ(run.m_output.m_err, c.m_err);
        EXPECT_EQ(run.m_output.m_out, "");
        EXPECT_EQ(current_section_devices(), c.m_current);
        EXPECT_EQ(record_names(), c.m_records);
    }
}

TEST(LineLength, LimitIs5000BytesAsRead) {
    const std::string limit_msg =
        "Invalid formated line, exceed authorized line lenght (5000 characters)\r\n";
    struct length_case_t {
        std::string m_line;
        Status m_status;
        std::string m_err;
    };
    const length_case_t cases[] = {
        {std::string(5000, ' '), SUCCESS, ""},
        {";" + std::string(4999, 'c'), SUCCESS, ""},
        {std::string(5001, ' '), FAIL, error_at(1) + limit_msg},
        {";" + std::string(5000, 'c'), FAIL, error_at(1) + limit_msg},
        // 2500 two-byte characters are 5000 bytes as read and 2500 once converted.
        {[] {
             std::string s;
             for (int k = 0; k < 2501; ++k)
                 s += "\xC3\xA9";
             return s;
         }(),
         FAIL, error_at(1) + limit_msg},
    };
    for (const length_case_t& c : cases) {
        SCOPED_TRACE(c.m_line.size());
        const parse_run_t run = parse_lines({c.m_line});
        EXPECT_EQ(run.m_last_status, c.m_status);
        EXPECT_EQ(run.m_output.m_err, c.m_err);
    }
}

TEST(SectionScan, GetSectionPositions) {
    struct get_section_case_t {
        const char* m_line;
        std::size_t m_pos_in;
        bool m_valid;
        std::string m_text;
        std::size_t m_pos_out;
    };
    const get_section_case_t cases[] = {
        {"x[A]", 0, true, "A", 3},       {"[A] y", 0, true, "A", 3}, {"[]", 0, false, "", 0},
        {"no bracket", 0, false, "", 0}, {"[A", 0, false, "", 0},    {"]A[", 0, false, "", 0},
        {"[[A]", 0, true, "[A", 3},      {"[A]]", 0, true, "A", 3},  {"[A][B]", 3, true, "B", 5},
        {"[A]", 5, false, "", 5},
    };
    for (const get_section_case_t& c : cases) {
        SCOPED_TRACE(c.m_line);
        std::size_t pos = c.m_pos_in;
        bool valid = c.m_pos_in >= std::string(c.m_line).size() ? false : !c.m_valid;
        EXPECT_EQ(get_section(c.m_line, pos, valid), c.m_text);
        EXPECT_EQ(valid, c.m_valid);
        EXPECT_EQ(pos, c.m_pos_out);
    }
}

TEST(SectionScan, BlankSearches) {
    std::size_t idx = 99;
    EXPECT_EQ(find_last_usefull_char("A  ", idx), SUCCESS);
    EXPECT_EQ(idx, 0u);
    idx = 99;
    EXPECT_EQ(find_last_usefull_char("   ", idx), FAIL);
    EXPECT_EQ(find_last_usefull_char("", idx), FAIL);
    EXPECT_EQ(find_first_usefull_char(" \t\r\n", idx), FAIL);
    EXPECT_EQ(idx, 99u);
    EXPECT_EQ(find_first_usefull_char(" \t\r\nx ", idx), SUCCESS);
    EXPECT_EQ(idx, 4u);
    // Vertical tab, form feed and zero are not blanks.
    EXPECT_EQ(find_first_usefull_char(std::string("\v\f\0", 3), idx), SUCCESS);
    EXPECT_EQ(idx, 0u);
    EXPECT_EQ(find_last_usefull_char(std::string("a\0 ", 3), idx), SUCCESS);
    EXPECT_EQ(idx, 1u);
}

TEST(SectionScan, GetDelimiter) {
    std::size_t pos = 0;
    EXPECT_TRUE(get_delimiter("INFO_EXT=12", "=", pos));
    EXPECT_EQ(pos, 9u);
    pos = 0;
    EXPECT_FALSE(get_delimiter("INFO_EXT=12", ";", pos));
    EXPECT_EQ(pos, 0u);
    pos = 3;
    EXPECT_TRUE(get_delimiter("a;b;c", ";", pos));
    EXPECT_EQ(pos, 4u);
    pos = 40;
    EXPECT_FALSE(get_delimiter("a;b", ";", pos));
    EXPECT_EQ(pos, 40u);
}

TEST(DeviceName, CharacterClass) {
    for (int c = 0; c < 256; ++c) {
        const bool expected = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              (c >= '0' && c <= '9') || c == '-' || c == 0;
        EXPECT_EQ(is_autorized_char_in_device_name(static_cast<char>(c)), expected) << c;
    }
}

TEST(DeviceName, FormatKeepsTheNameOnFailure) {
    reset_registry();
    std::string name = " A B ";
    const captured_t got = capture_output([&] { EXPECT_EQ(format_device_name(name), FAIL); });
    EXPECT_EQ(name, " A B ");
    EXPECT_EQ(got.m_err, error_at(1) + "Unvalid character:   in  A B device section\r\n");
    std::string empty;
    EXPECT_EQ(format_device_name(empty), FAIL);
}

}  // namespace
