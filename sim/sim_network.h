// The simulated network: the devices the service knows, each with its identity and the
// location of its label area, and the memory of one device. A device's memory is 1024
// pages of 64 bytes in slot 0. Pages never written read as the device's factory image:
// page 1 holds the label page index P at offset 14, page P holds the start offset S at
// offset 18, and the label area (192 pages from P + S) starts with a few factory presets.
// Only written pages take memory, so a network of a thousand devices stays small.
#ifndef SIM_SIM_NETWORK_H_
#define SIM_SIM_NETWORK_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "basic_type/label_area.h"

// The memory of a simulated device; its label area is laid out as basic_type/label_area.h
// says.
const uint32_t SIM_PAGE_SIZE = 64;
const uint32_t SIM_PAGE_COUNT = 1024;
// Presets a device carries from the factory; the rest of its label area is empty.
const uint32_t SIM_FACTORY_PRESETS = 4;

// One preset entry of a captured label area: its number (1 to 64) and its three name
// fields (label, Dante device, channel), at most 32 bytes each, as the device held them.
struct sim_entry_t {
    uint32_t m_number = 0;
    std::string m_fields[3];
};

// One device on the simulated network.
struct sim_device_t {
    std::string m_name;  // its alias, matched by the tool against the label file
    std::string m_mac;   // its identifier, as the listing writes it
    int m_mir = 0;
    int m_pir = 0;
    int m_fir = 0;
    uint32_t m_cspr_page = 0;     // P, 1 to 255
    uint32_t m_start_offset = 0;  // S, 1 to 255
    bool m_listed = true;         // false: answers, but the listing leaves it out
    // The information answer after "MAC;name;" as captured; empty: made up from mir, pir
    // and fir.
    std::string m_info_fields;
    // The label area holds m_entries and nothing else, not the factory presets.
    bool m_captured_area = false;
    std::vector<sim_entry_t> m_entries;
};

struct sim_network_t {
    std::string m_name;
    std::vector<sim_device_t> m_devices;
};

// First page of the device's label area (P + S).
uint32_t label_area_base(const sim_device_t& p_device);

// Bounds of a network description, generous for the capture of a venue of 100,000 devices
// (a line per device and one per label entry; a capture's line is well under 1 KiB) and
// small enough that a wrong file (a device node, a disk image) is refused before it fills
// the memory. The file is read line by line, never whole.
const std::size_t SIM_NETWORK_MAX_BYTES = std::size_t(64) << 20;  // 64 MiB
const std::size_t SIM_NETWORK_MAX_LINE = std::size_t(16) << 10;   // 16 KiB, without its line end

// A size in the words of the help and the messages: "64 MiB", "16 KiB", "100 bytes".
std::string sim_size_text(uint64_t p_bytes);

// Reads a network description: one device a line, "name MAC mir pir fir P S" followed by
// any of "unlisted" (the listing leaves it out), info="..." (the information answer after
// "MAC;name;") and "area" (its label area holds only the entry lines that follow it, each
// "NN label=\"...\" device=\"...\" channel=\"...\"" as the dump writes them), and an
// optional line "network NAME"; "#" starts a comment. Names may be quoted texts (see
// quoted_cp850). p_source names the text in error messages ("file:line: what is wrong"); a
// text larger than SIM_NETWORK_MAX_BYTES or a line longer than SIM_NETWORK_MAX_LINE is
// refused at the line that crosses the bound. On failure p_network is left unchanged.
bool parse_network_text(const std::string& p_text, const std::string& p_source,
                        sim_network_t& p_network, std::string& p_error);

// The same for a file, read in bounded memory; a directory or a file that cannot be read
// is refused too.
bool load_network_file(const std::string& p_path, sim_network_t& p_network, std::string& p_error);

// The built-in network, in the description format (shown by --help).
const char* default_network_text();
sim_network_t default_network();

// The memory of one device.
class sim_memory {
  public:
    typedef std::array<uint8_t, SIM_PAGE_SIZE> page_t;

    sim_memory(uint32_t p_cspr_page, uint32_t p_start_offset);

    // Copies p_count bytes from p_offset of the page; the caller keeps within the page.
    void read(uint32_t p_page, uint32_t p_offset, uint32_t p_count, uint8_t* p_out) const;
    void write(uint32_t p_page, uint32_t p_offset, const uint8_t* p_data, uint32_t p_count);
    page_t page(uint32_t p_page) const;
    std::size_t written_pages() const { return m_pages.size(); }

  private:
    void factory_page(uint32_t p_page, page_t& p_out) const;

    uint32_t m_cspr_page;
    uint32_t m_start_offset;
    std::unordered_map<uint32_t, page_t> m_pages;  // written pages only
};

// The label area of a device as readable lines: the device, then one line per preset
// entry that holds a name, names converted from code page 850 to UTF-8, then the number of
// empty entries. Every line ends in "\n".
std::string label_area_dump(const sim_device_t& p_device, const sim_memory& p_memory);

#endif  // SIM_SIM_NETWORK_H_
