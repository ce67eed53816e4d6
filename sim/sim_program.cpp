#include "sim/sim_program.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include "basic_type/basic_type.h"
#include "basic_type/command_line.h"
#include "basic_type/numbers.h"
#include "basic_type/service_address.h"
#include "platform/clock.h"
#include "platform/interrupt.h"
#include "project_version.h"
#include "sim/zel_service_sim.h"

namespace {

const int G_max_ms = 600000;  // longest pause an option may ask for: ten minutes

bool parse_bounded(const std::string& p_text, int p_min, int p_max, int& p_value) {
    int value = 0;
    if (!read_int_strict(p_text, value) || value < p_min || value > p_max) {
        return false;
    }
    p_value = value;
    return true;
}

bool set_port(const std::string& p_value, sim_command_line_t& p_options, std::string& p_error) {
    int port = 0;
    if (!parse_bounded(p_value, 0, 65535, port)) {
        p_error = "--port needs a number from 0 to 65535, not \"" + p_value + "\"";
        return false;
    }
    p_options.m_port = static_cast<uint16_t>(port);
    p_options.m_port_given = true;
    return true;
}

bool set_latency(const std::string& p_value, sim_command_line_t& p_options, std::string& p_error) {
    if (!parse_bounded(p_value, 0, G_max_ms, p_options.m_latency_ms)) {
        p_error = "--latency needs milliseconds from 0 to 600000, not \"" + p_value + "\"";
        return false;
    }
    return true;
}

// More clients at once than this would only share the same devices.
const int G_max_clients = 64;

bool set_clients(const std::string& p_value, sim_command_line_t& p_options, std::string& p_error) {
    if (!parse_bounded(p_value, 1, G_max_clients, p_options.m_clients)) {
        p_error = "--clients needs a number from 1 to " + std::to_string(G_max_clients) +
                  ", not \"" + p_value + "\"";
        return false;
    }
    return true;
}

bool set_network(const std::string& p_value, sim_command_line_t& p_options, std::string&) {
    p_options.m_network_path = p_value;
    return true;
}

bool set_log(const std::string& p_value, sim_command_line_t& p_options, std::string&) {
    p_options.m_log_path = p_value;
    return true;
}

bool set_dump_file(const std::string& p_value, sim_command_line_t& p_options, std::string&) {
    p_options.m_dump_path = p_value;
    return true;
}

bool add_fault(const std::string& p_value, sim_command_line_t& p_options, std::string& p_error) {
    sim_fault_t fault;
    if (!parse_fault(p_value, fault, p_error)) {
        p_error = "--fault \"" + p_value + "\": " + p_error;
        return false;
    }
    p_options.m_faults.push_back(fault);
    return true;
}

// "N,M": N pieces (1 to the greeting's length), M milliseconds apart.
bool set_slow_greeting(const std::string& p_value, sim_command_line_t& p_options,
                       std::string& p_error) {
    const std::size_t comma = p_value.find(',');
    // The greeting's length with the longest network name the options can give is not known
    // here: the bound is the built-in greeting's.
    const int length = static_cast<int>(sim_greeting().size());
    if (comma == std::string::npos ||
        !parse_bounded(p_value.substr(0, comma), 1, length, p_options.m_greeting_pieces) ||
        !parse_bounded(p_value.substr(comma + 1), 0, G_max_ms, p_options.m_greeting_pause_ms)) {
        p_error = "--slow-greeting needs PIECES,MS with 1 to " + std::to_string(length) +
                  " pieces, not \"" + p_value + "\"";
        return false;
    }
    return true;
}

struct option_t {
    option_rule_t m_spec;
    bool (*m_set)(const std::string&, sim_command_line_t&, std::string&);
};

const option_t G_options_with_value[] = {
    {{"--port", option_port_value}, set_port},
    {{"--network", option_file_value}, set_network},
    {{"--latency", "milliseconds"}, set_latency},
    {{"--clients", "a number"}, set_clients},
    {{"--log", option_file_value}, set_log},
    {{"--dump-file", option_file_value}, set_dump_file},
    {{"--fault", "a fault", true}, add_fault},
    {{"--slow-greeting", "PIECES,MS"}, set_slow_greeting},
};
const option_rule_t G_help = {"--help", nullptr, false, "-h"};
const option_rule_t G_version = {"--version"};
const option_rule_t G_no_greeting = {"--no-greeting"};

std::vector<option_rule_t> option_table() {
    std::vector<option_rule_t> table = {G_help, G_version, G_no_greeting};
    for (const option_t& option : G_options_with_value) {
        table.push_back(option.m_spec);
    }
    return table;
}

std::string indented(const std::string& p_text) {
    std::string out = "    ";
    for (const char c : p_text) {
        out += c;
        if (c == '\n') {
            out += "    ";
        }
    }
    return out.substr(0, out.size() - 4);
}

// A usage error is one line whatever the arguments hold: their control bytes show as "?".
std::string one_line(std::string p_text) {
    for (char& c : p_text) {
        c = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    }
    return p_text;
}

// The lines of p_text ("\n" each), each a text of p_origin: names of the network in the dump
// and the violations are the service's, an error quotes a path or a network file's line; the
// terminal shows their control bytes.
console_message_t shown_lines(const std::string& p_text, text_origin_t p_origin = SERVICE_TEXT) {
    console_message_t shown;
    for (std::size_t at = 0; at < p_text.size();) {
        const std::size_t end = std::min(p_text.find('\n', at), p_text.size());
        shown += console_message_t(p_origin, p_text.substr(at, end - at)) +
                 (end < p_text.size() ? "\n" : "");
        at = end + 1;
    }
    return shown;
}

void print_error(const std::string& p_text) {
    printf_error_message("zel_service_sim: " + shown_lines(p_text, GIVEN_TEXT) + "\n");
}

// The port to listen on: --port's (0: one the system picks, which the listening line
// names), or else ZEL_SERVICE_PORT's, or else 7000; a port other than 7000 is said once.
// False after the error line when the variable holds no port.
bool choose_port(const sim_command_line_t& p_options, uint16_t& p_port) {
    service_port_t port;
    port.m_port = p_options.m_port;
    port.m_source = zel_service_port_option;
    console_message_t refusal;
    if (!p_options.m_port_given && !choose_service_port(nullptr, port, refusal)) {
        printf_error_message("zel_service_sim: " + refusal + "\n");
        return false;
    }
    const std::string notice = port.m_port != 0 ? service_port_notice(port) : "";
    if (!notice.empty()) {
        printf_note(notice + "\n");
    }
    p_port = port.m_port;
    return true;
}

// Serves until Ctrl-C or a termination request.
int serve_until_stopped(zel_service_sim& p_sim, uint16_t p_port) {
    platform::install_stop_handler();
    std::string why;
    if (!p_sim.start(p_port, &why)) {
        print_error("cannot listen on 127.0.0.1:" + std::to_string(p_port) + " (" + why + ")");
        return 1;
    }
    printf_str("zel_service_sim: listening on 127.0.0.1:" + std::to_string(p_sim.port()) + "\n");
    while (!platform::stop_requested()) {
        platform::sleep_ms(100);
    }
    p_sim.stop();
    return 0;
}

}  // namespace

bool parse_sim_command_line(const std::vector<std::string>& p_args, sim_command_line_t& p_options,
                            std::string& p_error) {
    command_line_t line;
    if (!parse_command_line(option_table(), {}, p_args, line, p_error)) {
        return false;
    }
    if (!line.m_operands.empty()) {
        p_error = "unexpected word " + line.m_operands[0];
        return false;
    }
    p_options.m_help = line.has(G_help.m_name);
    p_options.m_version = line.has(G_version.m_name);
    p_options.m_greeting = !line.has(G_no_greeting.m_name);
    for (const std::pair<std::string, std::string>& given : line.m_options) {
        for (const option_t& option : G_options_with_value) {
            if (given.first == option.m_spec.m_name &&
                !option.m_set(given.second, p_options, p_error)) {
                return false;
            }
        }
    }
    return true;
}

std::string sim_usage_text() {
    const std::string bounds_of_network = "most " + sim_size_text(SIM_NETWORK_MAX_BYTES) +
                                          ", lines of at most " +
                                          sim_size_text(SIM_NETWORK_MAX_LINE) + "\n";
    const std::string bound_of_log = sim_size_text(SIM_LOG_FILE_MAX_BYTES);
    return "zel_service_sim version " + std::string(G_project_version) +
           "\n"
           "\n"
           "Usage: zel_service_sim [options]\n"
           "\n"
           "A simulated device-management service for write_brimel_label. It listens on\n"
           "127.0.0.1, greets each client with \"Welcome to Quentara ZEL-Service\" and\n"
           "\" (simulated by zel_service_sim: no real device is written)\", naming the\n"
           "network file it was given, and answers LIST_DEV, INFO_EXT and TBOX_MEM for a\n"
           "simulated network of devices, one client after another (or --clients at\n"
           "once). SIM_DUMP answers the label areas of all devices, one \"SIM_DUMP=\" line\n"
           "each, ending with \"SIM_DUMP=END\". Any other command word is answered\n"
           "\"<word>=FAILED\". Stop it with Ctrl-C: it then writes the same dump.\n"
           "\n"
           "Options:\n"
           "  --port N             TCP port (default: ZEL_SERVICE_PORT's, or else 7000; 0\n"
           "                       picks a free one). The port in use is printed at start.\n"
           "  --network FILE       the network description (default: the built-in one), at\n"
           "                       " +
           bounds_of_network +
           "  --latency MS         pause before every answer (default 0)\n"
           "  --clients N          serve up to N clients at once (default 1: one after\n"
           "                       another); a device answers one command at a time\n"
           "  --log FILE           write every command received to FILE, one a line, up to\n"
           "                       " +
           bound_of_log +
           " of them; then one line says that logging stopped\n"
           "  --dump-file FILE     write the dump at stop to FILE, not standard output\n"
           "  --fault FAULT        make a fault (repeatable; see below)\n"
           "  --no-greeting        greet nobody\n"
           "  --slow-greeting N,M  send the greeting in N pieces, M ms apart\n"
           "  --help, -h           show this text\n"
           "  --version            show the program's name and version\n"
           "\n"
           "A FAULT is SELECTOR:ACTION; the first fault that hits a command applies.\n"
           "  SELECTOR  cmd=N         the N-th command since start (from 1, all clients)\n"
           "            kind=K        every command of kind K: LIST_DEV, INFO_EXT,\n"
           "                          TBOX_MEM_R (memory read), TBOX_MEM_W (memory write)\n"
           "            kind=K,nth=N  only the N-th command of kind K\n"
           "            kind=K,mac=M  only the commands of kind K that name the device M\n"
           "                          (with nth=N: its own N-th, whatever other clients do)\n"
           "  ACTION    failed        answer \"<word>=FAILED\"; the command is not carried out\n"
           "            silent        carry the command out, answer nothing\n"
           "            delay=MS      answer MS ms later than usual\n"
           "            split=MS      send the answer in two pieces, MS ms apart\n"
           "            close         close the connection instead (not carried out)\n"
           "            gone          close the connection and listen no more: every later\n"
           "                          client is refused (not carried out)\n"
           "            garbage       send the line \"GARBAGE 1234\" first, then the answer\n"
           "            values=TEXT   answer a memory read with TEXT as its values\n"
           "                          (\"5,7\" for two values, \"5x\" for a bad one)\n"
           "            reply=TEXT    send the line TEXT instead (not carried out)\n"
           "            change=PAGE,TEXT  first put TEXT (at most 32 bytes, zeros after it)\n"
           "                          in the name field at PAGE of the device a memory\n"
           "                          command names, as another client would, then answer\n"
           "  Examples: --fault 'kind=TBOX_MEM_W,nth=3:failed' --fault 'cmd=12:delay=700'\n"
           "            --fault 'kind=INFO_EXT:close'\n"
           "\n"
           "Network file: one device a line, \"name MAC mir pir fir P S\", then any of\n"
           "\"unlisted\" (the device answers but LIST_DEV leaves it out), info=\"...\" (its\n"
           "information answer after \"MAC;name;\") and \"area\" (its label area holds only\n"
           "the entry lines that follow, written as the dump writes them:\n"
           "  01 label=\"...\" device=\"...\" channel=\"...\"); a line \"network NAME\" names\n"
           "the network; \"#\" starts a comment; a name may be a quoted text (\\\" \\\\ \\xHH).\n"
           "P (page 1, offset 14) and S (page P, offset 18), each 0 to 255, put the label\n"
           "area at pages P+S to P+S+191. The simulator records a violation for every write\n"
           "outside that area (or past byte 31 of a name page) and for every memory access\n"
           "to an unlisted device; at stop it lists them on standard error after the dump.\n"
           "The built-in network:\n"
           "\n" +
           indented(default_network_text()) +
           "\n"
           "Environment:\n"
           "  ZEL_SERVICE_PORT     the port when --port is not given, 1 to 65535\n"
           "  NO_COLOR             when not empty, messages are written without colour\n"
           "\n"
           "Exit status: 0 after Ctrl-C or a termination request, --help or --version, 1\n"
           "when the port cannot be had or the dump cannot be written, 2 for a wrong\n"
           "option, network file or ZEL_SERVICE_PORT, 3 after Ctrl-C or a termination\n"
           "request when violations were recorded.\n";
}

std::string sim_version_text() {
    return "zel_service_sim " + std::string(G_project_version) + "\n";
}

bool set_up_sim(const sim_command_line_t& p_options, zel_service_sim& p_sim, std::string& p_error) {
    p_sim.set_command_log_limit(0);  // nobody looks at it here: only the log file keeps commands
    if (!p_options.m_log_path.empty() && !p_sim.open_log_file(p_options.m_log_path)) {
        p_error = p_options.m_log_path + ": cannot open the log file";
        return false;
    }
    p_sim.set_latency_ms(p_options.m_latency_ms);
    p_sim.set_clients(p_options.m_clients);
    p_sim.set_network_source(p_options.m_network_path);
    p_sim.set_greeting(p_options.m_greeting, p_options.m_greeting_pieces,
                       p_options.m_greeting_pause_ms);
    for (const sim_fault_t& fault : p_options.m_faults) {
        p_sim.add_fault(fault);
    }
    return true;
}

sim_stop_report_t sim_stop_report(const std::vector<std::string>& p_described, uint64_t p_count) {
    sim_stop_report_t report;
    if (p_count == 0) {
        return report;
    }
    report.m_text = "zel_service_sim: " + std::to_string(p_count) + " violation(s) recorded:\n";
    for (const std::string& violation : p_described) {
        report.m_text += "  " + violation + "\n";
    }
    if (p_count > p_described.size()) {
        report.m_text +=
            "  and " + std::to_string(p_count - p_described.size()) + " more, not described\n";
    }
    report.m_status = SIM_STATUS_VIOLATIONS;
    return report;
}

int zel_service_sim_main(const std::vector<std::string>& p_args) {
    const std::vector<std::string> args(p_args.begin() + (p_args.empty() ? 0 : 1), p_args.end());
    sim_command_line_t options;
    std::string error;
    if (!parse_sim_command_line(args, options, error)) {
        printf_error_message(usage_line("zel_service_sim", one_line(error), "\n"));
        return 2;
    }
    if (options.m_help) {
        printf_str(sim_usage_text());
        return 0;
    }
    if (options.m_version) {
        printf_str(sim_version_text());
        return 0;
    }
    uint16_t port = 0;
    if (!choose_port(options, port)) {
        return 2;
    }
    sim_network_t network = default_network();
    if (!options.m_network_path.empty() &&
        !load_network_file(options.m_network_path, network, error)) {
        print_error(error);
        return 2;
    }
    std::ofstream dump_file;
    if (!options.m_dump_path.empty()) {
        dump_file.open(options.m_dump_path, std::ios::binary | std::ios::trunc);
        if (!dump_file.is_open()) {
            print_error(options.m_dump_path + ": cannot open the dump file");
            return 2;
        }
    }
    zel_service_sim sim(std::move(network));
    if (!set_up_sim(options, sim, error)) {
        print_error(error);
        return 2;
    }
    const int status = serve_until_stopped(sim, port);
    if (status != 0) {
        return status;
    }
    if (!dump_file.is_open()) {
        sim.dump([](const std::string& p_part) { printf_str(shown_lines(p_part)); });
    } else {
        sim.dump([&dump_file](const std::string& p_part) { dump_file << p_part; });
        dump_file.flush();
        if (!dump_file.good()) {
            print_error(options.m_dump_path + ": cannot write the dump");
            return 1;
        }
    }
    const sim_stop_report_t report = sim_stop_report(sim.violations(), sim.violation_count());
    if (!report.m_text.empty()) {
        printf_error_message(shown_lines(report.m_text));
    }
    return report.m_status;
}
