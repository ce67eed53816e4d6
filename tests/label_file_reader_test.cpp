// Reading a label file line by line.
#include "file_parser/file_parser.h"
#include "unit_support.h"

namespace {

texts_t read_all(const std::string& p_content) {
    const std::string path = write_temp_file("reader.ini", p_content);
    label_file_reader reader;
    EXPECT_TRUE(reader.open(path));
    texts_t lines;
    for (std::string line; reader.next_line(line);) {
        lines.push_back(line);
    }
    EXPECT_FALSE(reader.read_failed());
    reader.close();
    return lines;
}

TEST(LabelFileReader, LineEndsAndByteOrderMark) {
    // clang-format off
    const std::tuple<std::string, std::string, texts_t> cases[] = {
        // name, file content, lines the parser gets
        {"empty file", "", {}},
        {"LF, CR LF, a last line without end", "a\nb\r\nc", {"a", "b", "c"}},
        {"empty lines", "\n\r\n\n", {"", "", ""}},
        {"lone CR stays", "a\rb\n", {"a\rb"}},
        {"CR at the very end stays", "a\r", {"a\r"}},
        {"two CR before LF lose one", "a\r\r\n", {"a\r"}},
        {"zero bytes kept", std::string("a\0b\n\0", 5), {std::string("a\0b", 3), std::string(1, '\0')}},
        {"byte-order mark at the start skipped", "\xEF\xBB\xBF[A]\n", {"[A]"}},
        {"byte-order mark alone", "\xEF\xBB\xBF", {}},
        {"byte-order mark on line 2 kept", "x\n\xEF\xBB\xBFy", {"x", "\xEF\xBB\xBFy"}},
        {"a start like a byte-order mark", "\xEF\xBBz", {"\xEF\xBBz"}},
    };
    // clang-format on
    for (const auto& [name, content, lines] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(read_all(content), lines);
    }
}

TEST(LabelFileReader, LongLinesAreCutJustPastTheLimit) {
    // clang-format off
    const std::pair<std::string, std::size_t> cases[] = {
        // line with its end, length the parser gets
        {std::string(5000, 'x') + "\r\n", 5000}, {std::string(5001, 'x') + "\n", 5001},
        {std::string(5001, 'x') + "\r\n", 5001}, {std::string(5002, 'x') + "\r\n", 5001},
        {std::string(4999, 'x') + "\r\r\n", 5000},
        // longer than a read chunk: the line ends once it is too long
        {std::string(200000, 'x') + "\n", 5001},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.size());
        const texts_t lines = read_all(c.first + "next\n");
        EXPECT_EQ(lines.front().size(), c.second);
        EXPECT_EQ(lines.back(), "next");
    }
    // A file without any line end is not read to its end.
    label_file_reader reader;
    std::string line;
    if (reader.open("/dev/zero")) {
        EXPECT_TRUE(reader.next_line(line));
        EXPECT_EQ(line, std::string(5001, '\0'));
    }
}

TEST(LabelFileReader, LinesAcrossReadChunks) {
    std::string content;
    for (int k = 0; k < 20000; ++k) {
        content += "line " + std::to_string(k) + "\r\n";
    }
    const texts_t lines = read_all(content);
    ASSERT_EQ(lines.size(), 20000u);
    EXPECT_EQ(lines[12345], "line 12345");
    EXPECT_EQ(lines.back(), "line 19999");
}

}  // namespace
