// What the simulated service does with one command line, apart from any socket: it counts
// and logs the command, looks for a fault that hits it, carries it out on the device
// memories and forms the answer. It also keeps the guard rails: every write outside a
// device's label area and every memory access to a device the listing leaves out is
// recorded as a readable violation. Not thread-safe: the server guards it with its mutex.
#ifndef SIM_SIM_ENGINE_H_
#define SIM_SIM_ENGINE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_fault.h"
#include "sim/sim_network.h"

// What the service keeps of what it saw, so that a client flooding it cannot grow it
// without end: a log file takes SIM_LOG_FILE_MAX_BYTES of commands and then one line saying
// that logging stopped; the memory keeps the last SIM_COMMAND_LOG_KEPT commands for the
// tests that look at them (the program keeps none) and describes the first
// SIM_VIOLATIONS_KEPT violations (the later ones are only counted).
const uint64_t SIM_LOG_FILE_MAX_BYTES = uint64_t(64) << 20;  // 64 MiB
const std::size_t SIM_COMMAND_LOG_KEPT = 100000;
const std::size_t SIM_VIOLATIONS_KEPT = 1000;

// What to send for one command.
struct sim_reply_t {
    std::string m_text;  // the answer lines with their CR LF; may be empty
    sim_fault_action_t m_action = FAULT_NONE;
    int m_ms = 0;  // pause of a delay or split fault
};

class sim_engine {
  public:
    explicit sim_engine(sim_network_t p_network);

    sim_engine(const sim_engine&) = delete;
    sim_engine& operator=(const sim_engine&) = delete;

    // Handles one command line, given without its line end, and fills p_reply. The
    // reply's text keeps its capacity from one command to the next.
    void handle(std::string_view p_line, sim_reply_t& p_reply);

    // Also writes every command received to this file, one a line, up to p_max_bytes of
    // them; false when it cannot be opened.
    bool open_log_file(const std::string& p_path, uint64_t p_max_bytes = SIM_LOG_FILE_MAX_BYTES);
    // How many of the last commands command_log keeps; 0 keeps none.
    void set_command_log_limit(std::size_t p_commands);

    void add_fault(const sim_fault_t& p_fault) {
        m_faults.push_back(p_fault);
        m_fired.push_back(0);
    }
    void clear_faults() {
        m_faults.clear();
        m_fired.clear();
    }
    // How many commands each fault hit, in the order the faults were added: a test proves
    // with it that the fault it is about really happened.
    const std::vector<uint64_t>& fault_fired_counts() const { return m_fired; }

    std::vector<std::string> command_log() const {
        return std::vector<std::string>(m_log.begin(), m_log.end());
    }
    void clear_command_log() { m_log.clear(); }
    const std::vector<std::string>& violations() const { return m_violations; }  // described
    uint64_t violation_count() const { return m_violation_count; }               // all of them

    // The 64 bytes of the page; empty for an unknown device or a page beyond the memory.
    std::vector<uint8_t> read_page(const std::string& p_mac, uint32_t p_page) const;

    // The network name and every device's label area (label_area_dump), "\n" line ends.
    std::string dump() const;
    // The same, handed over a device at a time: a network of many devices is never held
    // whole as text.
    void dump(const std::function<void(const std::string&)>& p_write) const;

  private:
    struct device_slot_t {
        sim_device_t m_device;
        sim_memory m_memory;
        std::string m_info_answer;  // the whole INFO_EXT answer line
    };

    device_slot_t* find_device(std::string_view p_mac);
    const device_slot_t* find_device(std::string_view p_mac) const;
    // The first fault that hits this command, counted as fired; nullptr when none.
    const sim_fault_t* take_fault(sim_command_kind_t p_kind, std::string_view p_line);
    void execute(std::string_view p_line, sim_command_kind_t p_kind, std::string& p_answer);
    // Puts p_text into the name field at p_page of the device p_line's memory command names.
    void change_field(std::string_view p_line, uint32_t p_page, const std::string& p_text);
    void answer_info(std::string_view p_arguments, std::string& p_answer) const;
    void answer_memory(std::string_view p_arguments, std::string& p_answer);
    void answer_dump(std::string& p_answer) const;
    void check_access(const device_slot_t& p_slot, bool p_write, uint32_t p_page, uint32_t p_offset,
                      uint32_t p_count);
    void log_command(std::string_view p_line);
    void record_violation(std::string p_text);

    std::string m_network_name;
    std::vector<device_slot_t> m_devices;
    std::map<std::string, std::size_t, std::less<>> m_by_mac;  // MAC text -> m_devices index
    std::string m_listing;  // the LIST_DEV answer, which never changes
    std::vector<sim_fault_t> m_faults;
    std::vector<uint64_t> m_fired;  // per fault of m_faults
    uint64_t m_command_count = 0;
    uint64_t m_kind_counts[KIND_COUNT] = {};
    // The commands of each kind that named a device of the network, by the device as they
    // named it.
    std::map<std::string, std::array<uint64_t, KIND_COUNT>, std::less<>> m_device_counts;
    std::deque<std::string> m_log;
    std::size_t m_log_limit = SIM_COMMAND_LOG_KEPT;
    std::ofstream m_log_file;
    uint64_t m_log_file_bytes = 0;
    uint64_t m_log_file_max_bytes = 0;
    std::vector<std::string> m_violations;
    uint64_t m_violation_count = 0;
};

// The kind of a command line, as faults select it.
sim_command_kind_t classify_command(std::string_view p_line);

#endif  // SIM_SIM_ENGINE_H_
