// What the end-to-end tests share: the tool run as a process, the simulated service on port
// 7000 with its built-in network, the fixed texts of the dialogue, and a look at what the
// simulated devices hold.
#ifndef TESTS_E2E_SUPPORT_H_
#define TESTS_E2E_SUPPORT_H_

#include <cstdint>
#include <string>

#include "process/process.h"
#include "sim_support.h"

extern const std::string G_tool;       // the write_brimel_label executable
extern const std::string G_read_tool;  // the read_brimel_label executable
extern const std::string G_sync_tool;  // the sync_brimel_label executable
extern const std::string G_sim_tool;   // the zel_service_sim executable

// A label device of the built-in network: name, MAC and first page of its label area.
struct sim_target_t {
    const char* m_name;
    const char* m_mac;
    uint32_t m_base;
};
extern const sim_target_t G_rm6x5;    // KDX-RM6X5, P 10, S 4
extern const sim_target_t G_rm6x243;  // KDX-RM6x-243, P 20, S 6
extern const sim_target_t G_new1;     // NEW-DEVICE1, P 2, S 30

extern const std::string G_greeting;      // the greeting and "ZEL-Service Connected."
extern const std::string G_json_service;  // the greeting as a JSON member, and ", "
// The 9 commands of the device stage up to the prompt: the listing and the information of
// the 8 devices of the built-in network.
extern const texts_t G_listing_and_information;

// Runs the tool (or p_program) with these arguments, standard input and variables
// ("NAME=VALUE") set in its environment; fails the test when it cannot start or does not
// end within a minute.
platform::process_result_t run_tool(const texts_t& p_args, const std::string& p_stdin = "",
                                    const std::string& p_program = G_tool,
                                    const texts_t& p_environment = {});
inline platform::process_result_t run_read_tool(const texts_t& p_args) {
    return run_tool(p_args, "", G_read_tool);
}

std::string launch();                            // "Launch <tool>\r\n"
std::string opening(const std::string& p_path);  // "Opening file: <path>\r\n"
// A label file that cannot be opened, and the help word ("--help" for the programs but the writer).
std::string open_failure(const std::string& p_path, const std::string& p_help = "help");
std::string json_path(std::string p_path);  // a path as a JSON string holds it: "\" doubled
std::string device_line(int p_number, const sim_target_t& p_target);
std::string confirm_screen(const std::string& p_device_lines);  // header, devices, prompt
std::string written(const sim_target_t& p_target);  // the three lines of a written device
// The writer's manual (its golden file is written for C:\bin\tool.exe) for this program path.
std::string manual_for(const std::string& p_program);

// The text with the system's reason for a service not reached on port 7000 written
// "<reason>", each time: its words differ from one system to another.
std::string reason_hidden(std::string p_text);

// The name fields of the first p_count preset entries: "label|device|channel" each, every
// field whole, up to its last byte that is not zero.
texts_t label_area(const zel_service_sim& p_sim, const sim_target_t& p_target,
                   uint32_t p_count = 64);

// The commands of the log other than the listing, information requests and memory reads.
texts_t non_reads(const zel_service_sim& p_sim);

// The built-in network served on port 7000 for each test.
class e2e_test : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_sim.start(7000)) << "port 7000 is taken"; }
    void TearDown() override { m_sim.stop(); }

    zel_service_sim m_sim;
};

#endif  // TESTS_E2E_SUPPORT_H_
