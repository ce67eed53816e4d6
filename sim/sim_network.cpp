#include "sim/sim_network.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <utility>

#include "basic_type/basic_type.h"
#include "basic_type/numbers.h"
#include "platform/program.h"

namespace {

// Compatible label devices with their label areas in different places, a device of another
// family (found but refused by the tool), and Dante devices without label memory for
// labels (they show in the listing like any other).
const char* const G_default_network =
    "network Stage-Net\n"
    "# name         MAC                mir pir fir  P   S\n"
    "KDX-RM6X5      00:1D:C1:0A:00:01  5   2   3    10  4\n"
    "KDX-RM6x-243   00:1D:C1:0A:00:02  5   2   3    20  6\n"
    "NEW-DEVICE1    00:1D:C1:0A:00:03  5   2   4    2   30\n"
    "NEW-DEVICE2    00:1D:C1:0A:00:04  5   2   4    64  1\n"
    "ZUPx3-Radio    00:1D:C1:0B:00:01  7   1   1    10  4\n"
    "FOH-Console    00:1D:C1:0C:00:01  3   1   0    10  4\n"
    "MON-Rack       00:1D:C1:0C:00:02  5   3   1    10  4\n"
    "Stage-Mics     00:1D:C1:0C:00:03  2   5   2    10  4\n";

// The words of a description line, up to a "#" comment: blank-separated, a quoted text
// ("...", or key="...") one word whatever it holds, kept as written. False when a quote is
// not closed.
bool split_words(const std::string& p_line, std::vector<std::string>& p_words) {
    std::string word;
    bool in_word = false;
    bool quoted = false;
    for (std::size_t i = 0; i < p_line.size(); ++i) {
        const char c = p_line[i];
        if (!quoted && (c == '#' || c == ' ' || c == '\t' || c == '\r')) {
            if (in_word) {
                p_words.push_back(word);
                word.clear();
                in_word = false;
            }
            if (c == '#') {
                break;
            }
            continue;
        }
        in_word = true;
        word += c;
        if (quoted && c == '\\' && i + 1 < p_line.size()) {
            word += p_line[++i];
        } else if (c == '"') {
            quoted = !quoted;
        }
    }
    if (in_word) {
        p_words.push_back(word);
    }
    return !quoted;
}

// A name as written in the description: a plain word, or a quoted text (see quoted_cp850).
bool name_of(const std::string& p_word, std::string& p_name) {
    if (!p_word.empty() && p_word[0] == '"') {
        return unquote_cp850(p_word, p_name);
    }
    p_name = p_word;
    return true;
}

// The value of a key="..." word, when the word has that key.
bool keyed_value(const std::string& p_word, const char* p_key, std::string& p_value,
                 bool& p_malformed) {
    const std::string key = std::string(p_key) + "=";
    if (p_word.compare(0, key.size(), key) != 0) {
        return false;
    }
    p_malformed = !unquote_cp850(p_word.substr(key.size()), p_value);
    return true;
}

// A location byte. 0 is allowed: a capture must load whatever the devices held, even a
// label area that would cover a location byte (the tool refuses such a device).
bool parse_location_byte(const std::string& p_text, uint32_t& p_value) {
    int value = 0;
    if (!read_int_strict(p_text, value) || value < 0 || value > 255) {
        return false;
    }
    p_value = static_cast<uint32_t>(value);
    return true;
}

bool parse_device_options(const std::vector<std::string>& p_words, sim_device_t& p_device,
                          std::string& p_error) {
    for (std::size_t k = 7; k < p_words.size(); ++k) {
        bool malformed = false;
        if (p_words[k] == "unlisted") {
            p_device.m_listed = false;
        } else if (p_words[k] == "area") {
            p_device.m_captured_area = true;
        } else if (!keyed_value(p_words[k], "info", p_device.m_info_fields, malformed) ||
                   malformed || p_device.m_info_fields.find("\r\n") != std::string::npos) {
            p_error =
                "after P and S only \"unlisted\", \"area\" and info=\"...\" (without CR LF) can "
                "follow, found " +
                p_words[k];
            return false;
        }
    }
    return true;
}

// Reads one device line into p_device; p_error says what is wrong otherwise.
bool parse_device_words(const std::vector<std::string>& p_words, sim_device_t& p_device,
                        std::string& p_error) {
    if (p_words.size() < 7) {
        p_error = "expected \"name MAC mir pir fir P S\" and options, found " +
                  std::to_string(p_words.size()) + " words";
        return false;
    }
    // A lone CR or LF is text of an answer line, which only CR LF ends.
    if (!name_of(p_words[0], p_device.m_name) || p_device.m_name.find(';') != std::string::npos ||
        p_device.m_name.find("\r\n") != std::string::npos) {
        p_error = "a device name cannot hold ';' or CR LF: " + p_words[0];
        return false;
    }
    if (!name_of(p_words[1], p_device.m_mac) ||
        p_device.m_mac.find_first_of(";,=") != std::string::npos ||
        p_device.m_mac.find("\r\n") != std::string::npos) {
        p_error = "an identifier cannot hold ';', ',', '=' or CR LF: " + p_words[1];
        return false;
    }
    if (!read_int_strict(p_words[2], p_device.m_mir) ||
        !read_int_strict(p_words[3], p_device.m_pir) ||
        !read_int_strict(p_words[4], p_device.m_fir)) {
        p_error = "mir, pir and fir must be decimal integers";
        return false;
    }
    if (!parse_location_byte(p_words[5], p_device.m_cspr_page) ||
        !parse_location_byte(p_words[6], p_device.m_start_offset)) {
        p_error = "P and S must be numbers from 0 to 255";
        return false;
    }
    return parse_device_options(p_words, p_device, p_error);
}

// An entry line "NN label=\"...\" device=\"...\" channel=\"...\"" of the device before it.
bool parse_entry_words(const std::vector<std::string>& p_words, sim_device_t& p_device,
                       std::string& p_error) {
    int number = 0;
    if (!p_device.m_captured_area) {
        p_error = "an entry line belongs after a device line marked \"area\"";
        return false;
    }
    if (!read_int_strict(p_words[0], number) || number < 1 ||
        number > static_cast<int>(label_preset_count)) {
        p_error = "entries are numbered from 01 to 64, found " + p_words[0];
        return false;
    }
    sim_entry_t entry;
    entry.m_number = static_cast<uint32_t>(number);
    const char* const keys[3] = {"label", "device", "channel"};
    for (int k = 0; k < 3; ++k) {
        bool malformed = false;
        if (!keyed_value(p_words[k + 1], keys[k], entry.m_fields[k], malformed) || malformed ||
            entry.m_fields[k].size() > label_name_field_length) {
            p_error = std::string("expected ") + keys[k] +
                      "=\"...\" with at most 32 bytes, found " + p_words[k + 1];
            return false;
        }
    }
    for (const sim_entry_t& earlier : p_device.m_entries) {
        if (earlier.m_number == entry.m_number) {
            p_error = "entry " + p_words[0] + " is given twice";
            return false;
        }
    }
    p_device.m_entries.push_back(entry);
    return true;
}

bool is_entry_line(const std::vector<std::string>& p_words) {
    return p_words.size() == 4 && p_words[1].compare(0, 6, "label=") == 0;
}

// A description as it is read, line after line.
struct network_builder_t {
    network_builder_t() { m_network.m_name = "Stage-Net"; }

    sim_network_t m_network;
    std::set<std::string> m_macs;
    int m_line_number = 0;
};

// What is wrong with one line of the description; empty when it was taken.
std::string parse_line(const std::string& p_line, network_builder_t& p_builder) {
    sim_network_t& network = p_builder.m_network;
    std::vector<std::string> words;
    std::string what;
    if (!split_words(p_line, words)) {
        what = "a quoted text is not closed";
    } else if (words.empty()) {
        return what;
    } else if (words.size() == 2 && words[0] == "network") {
        if (!name_of(words[1], network.m_name) || network.m_name.find(';') != std::string::npos ||
            network.m_name.find("\r\n") != std::string::npos) {
            what = "a network name cannot hold ';' or CR LF";
        }
    } else if (is_entry_line(words)) {
        if (network.m_devices.empty()) {
            what = "an entry line belongs after a device line marked \"area\"";
        } else {
            parse_entry_words(words, network.m_devices.back(), what);
        }
    } else {
        sim_device_t device;
        if (parse_device_words(words, device, what) &&
            !p_builder.m_macs.insert(device.m_mac).second) {
            what = "MAC " + device.m_mac + " is already used by another device";
        }
        network.m_devices.push_back(device);
    }
    return what;
}

std::string bound_in_words(std::size_t p_bytes) {
    return sim_size_text(p_bytes) + " (" + std::to_string(p_bytes) + " bytes)";
}

// One line without a byte-order mark; see take_line.
bool take_line_text(network_builder_t& p_builder, const std::string& p_line, bool p_too_long,
                    std::size_t p_bytes, const std::string& p_source, std::string& p_error) {
    std::string what;
    if (p_too_long) {
        what = "the line is longer than " + bound_in_words(SIM_NETWORK_MAX_LINE);
    } else if (p_bytes > SIM_NETWORK_MAX_BYTES) {
        what = "the description is larger than " + bound_in_words(SIM_NETWORK_MAX_BYTES);
    } else {
        what = parse_line(p_line, p_builder);
    }
    if (what.empty()) {
        return true;
    }
    p_error = p_source + ":" + std::to_string(p_builder.m_line_number) + ": " + what;
    return false;
}

// Takes the next line, p_bytes the size of the description up to its end; false with
// p_error "source:line: what" when the line is refused. A line over the bound comes
// without its text (p_too_long).
bool take_line(network_builder_t& p_builder, const std::string& p_line, bool p_too_long,
               std::size_t p_bytes, const std::string& p_source, std::string& p_error) {
    ++p_builder.m_line_number;
    // A UTF-8 byte-order mark at the start, as an editor may save it, is no text.
    const std::string bom = "\xEF\xBB\xBF";
    if (p_builder.m_line_number == 1 && p_line.compare(0, bom.size(), bom) == 0) {
        return take_line_text(p_builder, p_line.substr(bom.size()), p_too_long, p_bytes, p_source,
                              p_error);
    }
    return take_line_text(p_builder, p_line, p_too_long, p_bytes, p_source, p_error);
}

enum line_state_t { LINE_TAKEN, LINE_TOO_LONG, LINE_NONE };

// A file read a block at a time.
struct file_lines_t {
    std::FILE* m_file = nullptr;
    std::vector<char> m_block = std::vector<char>(std::size_t(64) << 10);
    std::size_t m_next = 0;   // first byte of m_block not taken yet
    std::size_t m_end = 0;    // end of what m_block holds
    std::size_t m_bytes = 0;  // taken so far, line ends included
};

// The next line without its line end. A line longer than SIM_NETWORK_MAX_LINE is left
// there, unread: LINE_TOO_LONG.
line_state_t next_line(file_lines_t& p_in, std::string& p_line) {
    p_line.clear();
    for (bool any = false;; any = true) {
        if (p_in.m_next == p_in.m_end) {
            p_in.m_next = 0;
            p_in.m_end = std::fread(p_in.m_block.data(), 1, p_in.m_block.size(), p_in.m_file);
            if (p_in.m_end == 0) {
                return any ? LINE_TAKEN : LINE_NONE;
            }
        }
        const char* const begin = p_in.m_block.data() + p_in.m_next;
        const char* const end = p_in.m_block.data() + p_in.m_end;
        const char* const line_feed = std::find(begin, end, '\n');
        if (p_line.size() + static_cast<std::size_t>(line_feed - begin) > SIM_NETWORK_MAX_LINE) {
            return LINE_TOO_LONG;
        }
        p_line.append(begin, line_feed);
        const std::size_t taken = static_cast<std::size_t>(line_feed - begin) + (line_feed != end);
        p_in.m_next += taken;
        p_in.m_bytes += taken;
        if (line_feed != end) {
            return LINE_TAKEN;
        }
    }
}

}  // namespace

std::string sim_size_text(uint64_t p_bytes) {
    const char* const units[] = {" bytes", " KiB", " MiB"};
    int unit = 0;
    while (unit < 2 && p_bytes % 1024 == 0 && p_bytes >= 1024) {
        p_bytes /= 1024;
        ++unit;
    }
    return std::to_string(p_bytes) + units[unit];
}

uint32_t label_area_base(const sim_device_t& p_device) {
    return label_area_base(p_device.m_cspr_page, p_device.m_start_offset);
}

bool parse_network_text(const std::string& p_text, const std::string& p_source,
                        sim_network_t& p_network, std::string& p_error) {
    network_builder_t builder;
    for (std::size_t start = 0; start < p_text.size();) {
        const std::size_t line_feed = std::min(p_text.find('\n', start), p_text.size());
        const std::size_t length = line_feed - start;
        const bool too_long = length > SIM_NETWORK_MAX_LINE;
        const std::string line = p_text.substr(start, too_long ? 0 : length);
        start = std::min(line_feed + 1, p_text.size());
        if (!take_line(builder, line, too_long, start, p_source, p_error)) {
            return false;
        }
    }
    p_network = std::move(builder.m_network);
    return true;
}

bool load_network_file(const std::string& p_path, sim_network_t& p_network, std::string& p_error) {
    std::error_code ignored;  // a path that cannot be looked at is no directory: open says why
    if (std::filesystem::is_directory(std::filesystem::u8path(p_path), ignored)) {
        p_error = p_path + ": a directory, not a network file";
        return false;
    }
    file_lines_t in;
    in.m_file = platform::open_file_for_reading(p_path);
    if (in.m_file == nullptr) {
        p_error = p_path + ": cannot open the network file";
        return false;
    }
    network_builder_t builder;
    std::string line;
    bool taken = true;
    for (line_state_t state; taken && (state = next_line(in, line)) != LINE_NONE;) {
        taken = take_line(builder, line, state == LINE_TOO_LONG, in.m_bytes, p_path, p_error);
    }
    const bool read = std::ferror(in.m_file) == 0;
    std::fclose(in.m_file);
    if (taken && !read) {
        p_error = p_path + ": cannot read the network file";
    }
    if (!taken || !read) {
        return false;
    }
    p_network = std::move(builder.m_network);
    return true;
}

const char* default_network_text() {
    return G_default_network;
}

sim_network_t default_network() {
    sim_network_t network;
    std::string ignored;
    parse_network_text(G_default_network, "built-in network", network, ignored);
    return network;
}
