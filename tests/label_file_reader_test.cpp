#include <gtest/gtest.h>

#include "file_parser/file_parser.h"
#include "test_support.h"
#include "write_brimel_label/write_brimel_label.h"

namespace {

typedef std::vector<std::string> lines_t;

lines_t read_all(const std::string& p_content) {
    const std::string path = write_temp_file("reader.ini", p_content);
    label_file_reader reader;
    EXPECT_TRUE(reader.open(path));
    lines_t lines;
    std::string line;
    while (reader.next_line(line)) {
        lines.push_back(line);
    }
    EXPECT_FALSE(reader.read_failed());
    reader.close();
    return lines;
}

TEST(LabelFileReader, LineEnds) {
    struct reader_case_t {
        const char* m_name;
        std::string m_content;
        lines_t m_lines;
    };
    const reader_case_t cases[] = {
        {"empty file", "", {}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"last line without end", "a\nb", {"a", "b"}},
        {"empty lines", "\n\r\n\n", {"", "", ""}},
        {"lone CR stays", "a\rb\n", {"a\rb"}},
        {"CR at the very end stays", "a\r", {"a\r"}},
        {"two CR before LF lose one", "a\r\r\n", {"a\r"}},
        {"zero bytes kept",
         std::string("a\0b\n\0", 5),
         {std::string("a\0b", 3), std::string(1, '\0')}},
        {"byte-order mark at the start skipped", "\xEF\xBB\xBF[A]\n", {"[A]"}},
        {"byte-order mark alone", "\xEF\xBB\xBF", {}},
        {"byte-order mark on line 2 kept", "x\n\xEF\xBB\xBFy", {"x", "\xEF\xBB\xBFy"}},
        {"lone byte-order mark start", "\xEF\xBBz", {"\xEF\xBBz"}},
    };
    for (const reader_case_t& c : cases) {
        SCOPED_TRACE(c.m_name);
        EXPECT_EQ(read_all(c.m_content), c.m_lines);
    }
}

TEST(LabelFileReader, LongLinesAreCutJustPastTheLimit) {
    const std::size_t kept = label_file_reader::max_kept_line;
    struct long_case_t {
        std::size_t m_length;
        const char* m_end;
        std::size_t m_expected;
    };
    const long_case_t cases[] = {
        {5000, "\r\n", 5000}, {5000, "\n", 5000},     {5001, "\r\n", 5001},   {5001, "\n", 5001},
        {5002, "\r\n", kept}, {10000000, "\n", kept}, {4999, "\r\r\n", 5000},
    };
    for (const long_case_t& c : cases) {
        SCOPED_TRACE(c.m_length);
        const lines_t lines = read_all(std::string(c.m_length, 'x') + c.m_end + "next\n");
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].size(), c.m_expected);
        EXPECT_EQ(lines[1], "next");
    }
}

TEST(LabelFileReader, LineAcrossReadChunks) {
    std::string content;
    for (int k = 0; k < 20000; ++k) {
        content += "line " + std::to_string(k) + "\r\n";
    }
    const lines_t lines = read_all(content);
    ASSERT_EQ(lines.size(), 20000u);
    EXPECT_EQ(lines[12345], "line 12345");
    EXPECT_EQ(lines.back(), "line 19999");
}

TEST(LabelFileReader, OpenRefusesWhatIsNoFile) {
    label_file_reader reader;
    EXPECT_FALSE(reader.open(""));
    EXPECT_FALSE(reader.open(temp_path("missing.ini")));
    write_temp_file("present.ini", "x");
    EXPECT_FALSE(reader.open(temp_path("")));  // the directory itself
}

// The service is unreachable in these tests: every target device is reported missing.
std::string service_unreachable(const std::vector<std::string>& p_targets) {
    std::string text = "ZEL-Service connection failed!\r\n";
    if (!p_targets.empty()) {
        text += "Warning: those devices were not found on the network:\r\n";
        for (std::size_t k = 0; k < p_targets.size(); ++k) {
            text += "\tdevice " + std::to_string(k + 1) + ": " + p_targets[k] + "\r\n";
        }
        text += "\r\n";
    }
    return text + "No matching KALDEN-RM6X devices.\r\n";
}

class TransferRun : public testing::Test {
  protected:
    void SetUp() override {
        zel_config_env::instance().zel_service.set_service_port(unused_port());
    }
    void TearDown() override {
        zel_config_env::instance().zel_service.set_service_port(socket_handle::default_port);
    }

    captured_t run(const std::string& p_path, Status p_expected) {
        return capture_output(
            [&] { EXPECT_EQ(read_and_transfer_label_configuration(p_path), p_expected); });
    }
};

TEST_F(TransferRun, RejectedLineStopsReading) {
    std::string content = "[A]\n";
    for (int k = 2; k <= 20; ++k) {
        content += k == 5 ? "[B C]\n" : "L" + std::to_string(k) + " = c@d\n";
    }
    const std::string path = write_temp_file("stop.ini", content);
    const captured_t got = run(path, FAIL);
    EXPECT_EQ(got.m_err,
              "Error in: " + path + " at line 5\r\nUnvalid character:   in B Cdevice section\r\n");
    EXPECT_EQ(zel_config_env::instance().current_line_number, 5u);
    EXPECT_EQ(presets_of("A").size(), 3u);  // lines 2 to 4 only
}

TEST_F(TransferRun, LineNumbersCountEveryLine) {
    const std::string path = write_temp_file("numbers.ini", "\r\n; c\r\n[A]\r\nL\x7F = c@d\r\n");
    const captured_t got = run(path, FAIL);
    EXPECT_EQ(got.m_err, "Warning text contains unsupported character! In " + path +
                             " at line 4position 1 CHARACTER CODE: 127\r\n" +
                             service_unreachable({"A"}));
    EXPECT_EQ(got.m_out, "Opening file: " + path + "\r\nDone\r\n");
    EXPECT_EQ(presets_of("A"), std::vector<std::string>({"L|d|c"}));
}

TEST_F(TransferRun, EachRunStartsWithoutSectionDevices) {
    const std::string first = write_temp_file("first.ini", "[A]\nL1 = c@d\n");
    const std::string second = write_temp_file("second.ini", "L2 = c@d\n[B]\nL3 = c@d\n");
    run(first, FAIL);
    const captured_t got = run(second, FAIL);
    EXPECT_EQ(got.m_err, service_unreachable({"B"}));
    EXPECT_EQ(record_names(), std::vector<std::string>({"B"}));
    EXPECT_EQ(presets_of("B"), std::vector<std::string>({"L3|d|c"}));
}

TEST_F(TransferRun, FileWithoutTargetsSucceedsWhateverTheService) {
    const std::string path = write_temp_file("empty.ini", "");
    const captured_t got = run(path, SUCCESS);
    EXPECT_EQ(got.m_err, service_unreachable({}));
    EXPECT_EQ(got.m_out, "Opening file: " + path + "\r\nDone\r\n");
}

TEST_F(TransferRun, TooLongLineIsRefusedWithoutHoldingIt) {
    const std::string path = write_temp_file("long.ini", "[A]\n" + std::string(5001, 'x') + "\r\n");
    const captured_t got = run(path, FAIL);
    EXPECT_EQ(got.m_err, "Error in: " + path +
                             " at line 2\r\nInvalid formated line, exceed "
                             "authorized line lenght (5000 characters)\r\n");
}

}  // namespace
