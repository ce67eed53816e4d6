// The zel_service_sim program: its command line, its help text, and the run that serves
// until Ctrl-C or a termination request and then writes the dump of the label areas.
#ifndef SIM_SIM_PROGRAM_H_
#define SIM_SIM_PROGRAM_H_

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_fault.h"
#include "sim/zel_service_sim.h"

struct sim_command_line_t {
    bool m_help = false;
    bool m_version = false;
    uint16_t m_port = 7000;
    bool m_port_given = false;   // --port wins over ZEL_SERVICE_PORT
    std::string m_network_path;  // empty: the built-in network
    int m_latency_ms = 0;
    int m_clients = 1;
    std::string m_log_path;
    std::string m_dump_path;  // empty: standard output
    std::vector<sim_fault_t> m_faults;
    bool m_greeting = true;
    int m_greeting_pieces = 1;
    int m_greeting_pause_ms = 0;
};

// Reads the arguments after the program name. On failure p_error says which argument is
// wrong and why.
bool parse_sim_command_line(const std::vector<std::string>& p_args, sim_command_line_t& p_options,
                            std::string& p_error);

// Sets the service up as the options say: its log file, latency, greeting and faults; it
// keeps no command in memory, where nobody looks at them. False, with p_error, when the log
// file cannot be opened.
bool set_up_sim(const sim_command_line_t& p_options, zel_service_sim& p_sim, std::string& p_error);

std::string sim_usage_text();
std::string sim_version_text();  // "zel_service_sim VERSION\n"

// What the program says at stop, after the dump, about the p_count violations the service
// recorded (a count line, then one indented line for each of p_described and one for those
// left undescribed; nothing without any), and its exit status: SIM_STATUS_VIOLATIONS with
// any, 0 without.
const int SIM_STATUS_VIOLATIONS = 3;
struct sim_stop_report_t {
    std::string m_text;
    int m_status = 0;
};
sim_stop_report_t sim_stop_report(const std::vector<std::string>& p_described, uint64_t p_count);

// Exit status: 0 after a clean stop, --help or --version, 1 when the port cannot be had or
// the dump cannot be written, 2 for a wrong command line (one line on standard error),
// network file or ZEL_SERVICE_PORT, 3 after a clean stop when the service recorded
// violations.
int zel_service_sim_main(const std::vector<std::string>& p_args);

#endif  // SIM_SIM_PROGRAM_H_
