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

TEST(LabelFileReader, LineEndsByteOrderMarkAndLongLines) {
    const auto x = [](std::size_t p_count) { return std::string(p_count, 'x'); };
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
        // A line longer than the parser takes is cut just past the limit.
        {"5000 bytes", x(5000) + "\r\nnext", {x(5000), "next"}},
        {"5001 bytes", x(5001) + "\nnext", {x(5001), "next"}},
        {"5001 bytes and CR LF", x(5001) + "\r\nnext", {x(5001), "next"}},
        {"5002 bytes", x(5002) + "\r\nnext", {x(5001), "next"}},
        {"4999 bytes and two CR", x(4999) + "\r\r\nnext", {x(4999) + "\r", "next"}},
    };
    // clang-format on
    for (const auto& [name, content, lines] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(read_all(content), lines);
    }
    // A line longer than a read chunk ends once it is too long: a file without any line end
    // is not read to its end.
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
