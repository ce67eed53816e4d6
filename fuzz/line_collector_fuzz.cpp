// The answer line collector fed in arbitrary pieces. Input: a header byte, the chunk
// sizes, then the data.
//   header bits 0-3: number of chunk sizes that follow, minus one;
//   header bits 4-6: the data is fed 2^(n mod 7) times in a row, so that lines and
//                    streams can pass the collector's 64 KiB line bound and its
//                    compaction threshold;
//   header bit 7:    chunk sizes count in units of 64 bytes rather than bytes.
// The chunk sizes are used in turn, a zero size being an empty append. After each append
// every complete line is taken. The lines taken must be the stream's lines in order, each
// with its one "\r\n" at the end, the same as when the stream comes in one piece; only a
// line over the bound may stop the taking.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "zel_socket_handler/zel_socket_handler.h"

namespace {

struct feed_t {
    std::vector<std::size_t> m_chunks;
    std::string m_stream;
};

feed_t read_feed(const uint8_t* p_data, std::size_t p_size) {
    feed_t feed;
    if (p_size == 0) {
        return feed;
    }
    const uint8_t header = p_data[0];
    const std::size_t size_count = std::min<std::size_t>((header & 0x0F) + 1u, p_size - 1);
    const std::size_t unit = (header & 0x80) != 0 ? 64 : 1;
    bool any_bytes = false;
    for (std::size_t k = 0; k < size_count; ++k) {
        feed.m_chunks.push_back(p_data[1 + k] * unit);
        any_bytes = any_bytes || p_data[1 + k] != 0;
    }
    if (!any_bytes) {
        feed.m_chunks.push_back(1);  // else the feeding would never end
    }
    const std::string data = as_text(p_data + 1 + size_count, p_size - 1 - size_count);
    const unsigned repeats = 1u << (((header >> 4) & 0x07) % 7);
    for (unsigned k = 0; k < repeats; ++k) {
        feed.m_stream += data;
    }
    return feed;
}

void take_lines(line_collector& p_collector, std::vector<std::string>& p_lines) {
    std::string line;
    while (p_collector.take_line(line)) {
        p_lines.push_back(line);
    }
}

void check_lines(const std::vector<std::string>& p_lines, const line_collector& p_collector,
                 const std::string& p_stream) {
    std::size_t taken = 0;
    for (const std::string& line : p_lines) {
        FUZZ_CHECK(line.size() >= 2 && line.find("\r\n") == line.size() - 2);
        FUZZ_CHECK(line.size() - 2 <= line_collector::max_line_length);
        FUZZ_CHECK(p_stream.compare(taken, line.size(), line) == 0);
        taken += line.size();
    }
    // What is still pending holds no complete line, unless it starts with one over the
    // bound, which the collector then reports.
    const std::size_t next_end = p_stream.find("\r\n", taken);
    const std::size_t pending_line_end = next_end == std::string::npos ? p_stream.size() : next_end;
    const bool over_bound = pending_line_end - taken > line_collector::max_line_length;
    FUZZ_CHECK(next_end == std::string::npos || over_bound);
    FUZZ_CHECK(p_collector.overflowed() == over_bound);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p_data, std::size_t p_size) {
    const feed_t feed = read_feed(p_data, p_size);
    if (feed.m_chunks.empty()) {
        return 0;
    }
    line_collector in_pieces;
    std::vector<std::string> lines_in_pieces;
    std::size_t fed = 0;
    for (std::size_t k = 0; fed < feed.m_stream.size(); ++k) {
        const std::size_t chunk =
            std::min(feed.m_chunks[k % feed.m_chunks.size()], feed.m_stream.size() - fed);
        in_pieces.append(feed.m_stream.data() + fed, chunk);
        fed += chunk;
        take_lines(in_pieces, lines_in_pieces);
    }
    check_lines(lines_in_pieces, in_pieces, feed.m_stream);

    line_collector in_one;
    std::vector<std::string> lines_in_one;
    in_one.append(feed.m_stream.data(), feed.m_stream.size());
    take_lines(in_one, lines_in_one);
    FUZZ_CHECK(lines_in_one == lines_in_pieces);
    FUZZ_CHECK(in_one.overflowed() == in_pieces.overflowed());

    in_pieces.clear();
    std::string line;
    FUZZ_CHECK(!in_pieces.take_line(line) && !in_pieces.overflowed());
    return 0;
}
