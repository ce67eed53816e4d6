#include "sim/sim_network.h"

#include <fstream>
#include <set>
#include <sstream>

#include "basic_type/numbers.h"

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

std::vector<std::string> split_words(const std::string& p_line) {
    std::vector<std::string> words;
    std::istringstream in(p_line);
    std::string word;
    while (in >> word) {
        words.push_back(word);
    }
    return words;
}

bool is_hex_digit(char p_c) {
    return (p_c >= '0' && p_c <= '9') || (p_c >= 'A' && p_c <= 'F') || (p_c >= 'a' && p_c <= 'f');
}

// Six pairs of hex digits separated by ":", as the listing writes identifiers.
bool is_mac_text(const std::string& p_text) {
    if (p_text.size() != 17) {
        return false;
    }
    for (std::size_t i = 0; i < p_text.size(); ++i) {
        const bool separator_place = i % 3 == 2;
        if (separator_place ? p_text[i] != ':' : !is_hex_digit(p_text[i])) {
            return false;
        }
    }
    return true;
}

// A location byte; 0 is refused because the label area would then cover a location byte.
bool parse_location_byte(const std::string& p_text, uint32_t& p_value) {
    int value = 0;
    if (!parse_decimal_int(p_text, value) || value < 1 || value > 255) {
        return false;
    }
    p_value = static_cast<uint32_t>(value);
    return true;
}

// Reads one device line into p_device; p_error says what is wrong otherwise.
bool parse_device_words(const std::vector<std::string>& p_words, sim_device_t& p_device,
                        std::string& p_error) {
    if (p_words.size() != 7 && p_words.size() != 8) {
        p_error = "expected \"name MAC mir pir fir P S [unlisted]\", found " +
                  std::to_string(p_words.size()) + " words";
        return false;
    }
    p_device.m_name = p_words[0];
    p_device.m_mac = p_words[1];
    if (p_device.m_name.find(';') != std::string::npos) {
        p_error = "a device name cannot hold ';': " + p_device.m_name;
        return false;
    }
    if (!is_mac_text(p_device.m_mac)) {
        p_error = "not a MAC address like 00:1D:C1:0A:00:01: " + p_device.m_mac;
        return false;
    }
    if (!parse_decimal_int(p_words[2], p_device.m_mir) ||
        !parse_decimal_int(p_words[3], p_device.m_pir) ||
        !parse_decimal_int(p_words[4], p_device.m_fir)) {
        p_error = "mir, pir and fir must be decimal integers";
        return false;
    }
    if (!parse_location_byte(p_words[5], p_device.m_cspr_page) ||
        !parse_location_byte(p_words[6], p_device.m_start_offset)) {
        p_error = "P and S must be numbers from 1 to 255";
        return false;
    }
    p_device.m_listed = p_words.size() == 7;
    if (p_words.size() == 8 && p_words[7] != "unlisted") {
        p_error = "the eighth word can only be \"unlisted\", found " + p_words[7];
        return false;
    }
    return true;
}

}  // namespace

uint32_t label_area_base(const sim_device_t& p_device) {
    return p_device.m_cspr_page + p_device.m_start_offset;
}

bool parse_network_text(const std::string& p_text, const std::string& p_source,
                        sim_network_t& p_network, std::string& p_error) {
    sim_network_t network;
    network.m_name = "Stage-Net";
    std::set<std::string> macs;
    std::istringstream in(p_text);
    std::string line;
    for (int line_number = 1; std::getline(in, line); ++line_number) {
        const std::vector<std::string> words = split_words(line.substr(0, line.find('#')));
        const std::string where = p_source + ":" + std::to_string(line_number) + ": ";
        if (words.empty()) {
            continue;
        }
        if (words.size() == 2 && words[0] == "network") {
            if (words[1].find_first_of(";,") != std::string::npos) {
                p_error = where + "a network name cannot hold ';' or ','";
                return false;
            }
            network.m_name = words[1];
            continue;
        }
        sim_device_t device;
        std::string what;
        if (!parse_device_words(words, device, what)) {
            p_error = where + what;
            return false;
        }
        if (!macs.insert(device.m_mac).second) {
            p_error = where + "MAC " + device.m_mac + " is already used by another device";
            return false;
        }
        network.m_devices.push_back(device);
    }
    p_network = network;
    return true;
}

bool load_network_file(const std::string& p_path, sim_network_t& p_network, std::string& p_error) {
    std::ifstream file(p_path, std::ios::binary);
    if (!file.is_open()) {
        p_error = p_path + ": cannot open the network file";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parse_network_text(text.str(), p_path, p_network, p_error);
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
