// The tool as a process under what an operator or a shell does to it: Ctrl-C during the
// device stage, and standard streams closed before it starts.
#include "e2e_support.h"

namespace {

typedef e2e_test Process;

const std::string two_devices = "[NEW-DEVICE1, KDX-RM6X5]\nA = b@c\n";
const std::string erase_rm6x5 = "Erase KDX-RM6X5's old labels...";
const std::string rm6x5_memory_writes = "TBOX_MEM 00:1D:C1:0A:00:01;W;";

const char* const G_no_interrupt = "no console control event can be sent here (Wine, no console)";

std::size_t commands_starting(const zel_service_sim& p_sim, const std::string& p_head) {
    std::size_t count = 0;
    for (const std::string& command : p_sim.command_log()) {
        count += command.compare(0, p_head.size(), p_head) == 0 ? 1 : 0;
    }
    return count;
}

// The tool on p_file, confirmed, interrupted after each delay from when p_trigger shows.
platform::process_result_t run_interrupted(const std::string& p_file,
                                           const std::vector<int64_t>& p_delays_ms,
                                           const std::string& p_trigger = erase_rm6x5) {
    platform::process_options_t options;
    options.m_interrupt_after = p_trigger;
    options.m_interrupt_delays_ms = p_delays_ms;
    const platform::process_result_t res =
        platform::run_process({G_tool, p_file}, "y\n", 60000, options);
    // A run that never showed the trigger must fail, not skip as if on Wine.
    EXPECT_NE(res.m_stdout.find(p_trigger), std::string::npos) << res.m_stdout;
    return res;
}

TEST_F(Process, CtrlCDuringTheEraseFinishesThePageAndTellsWhatEachDeviceHolds) {
    m_sim.set_latency_ms(20);  // the erase takes seconds
    const std::string file = write_temp_file("stop.ini", two_devices);
    const platform::process_result_t res = run_interrupted(file, {300});
    if (res.m_interrupts_sent == 0) {
        GTEST_SKIP() << G_no_interrupt;
    }
    // Which page the Ctrl-C reaches depends on timing: the report must name the last one sent.
    const std::string erased = std::to_string(commands_starting(m_sim, rm6x5_memory_writes));
    EXPECT_EQ(res.m_stdout, launch() + opening(file) + G_greeting +
                                confirm_screen(device_line(1, G_rm6x5) + device_line(2, G_new1)) +
                                "Write labels:\r\n\r\n" + erase_rm6x5 + "Done\r\n");
    EXPECT_EQ(res.m_stderr,
              " STOPPED\r\nUpdate stopped by Ctrl-C:\r\n\tKDX-RM6X5: erase stopped at page " +
                  erased +
                  " of 192: its old labels are lost\r\n\tNEW-DEVICE1: not "
                  "started: its labels are unchanged\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    EXPECT_EQ(commands_starting(m_sim, "TBOX_MEM 00:1D:C1:0A:00:03"), 0u);
}

TEST_F(Process, CtrlCDuringTheTransferTellsWhichLabelsWereWritten) {
    m_sim.set_latency_ms(20);
    std::string file = "[KDX-RM6X5]\n";
    for (int k = 0; k < 10; ++k) {
        file += "L" + std::to_string(k) + " = c@d\n";
    }
    const platform::process_result_t res = run_interrupted(
        write_temp_file("stop.ini", file), {300}, "Running transfer of KDX-RM6X5's new labels...");
    if (res.m_interrupts_sent == 0) {
        GTEST_SKIP() << G_no_interrupt;
    }
    // The name writes after the 192 erasures; whole presets of three pages each.
    const std::size_t pages = commands_starting(m_sim, rm6x5_memory_writes) - 192;
    const std::string labels =
        pages < 3 ? "no label written, the area is empty"
                  : "labels 1 to " + std::to_string(pages / 3) + " written, the others empty";
    EXPECT_EQ(res.m_stderr,
              " STOPPED\r\nUpdate stopped by Ctrl-C:\r\n\tKDX-RM6X5: transfer stopped at page " +
                  std::to_string(pages) + " of 30: " + labels + "\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
}

TEST_F(Process, ASecondCtrlCEndsTheToolAtOnce) {
    m_sim.add_fault(fault_of("kind=TBOX_MEM_W,nth=1:delay=2000"));  // the page in flight waits
    const std::string file = write_temp_file("stop.ini", two_devices);
    const platform::process_result_t res = run_interrupted(file, {0, 100});
    if (res.m_interrupts_sent == 0) {
        GTEST_SKIP() << G_no_interrupt;
    }
    EXPECT_EQ(res.m_interrupts_sent, 2);
    EXPECT_EQ(res.m_stdout.find("Done"), std::string::npos);
    EXPECT_EQ(res.m_exit_status, -1);
    EXPECT_EQ(m_sim.fault_fired_counts(), std::vector<uint64_t>{1});
}

// A closed stream is the null device: the prompt reads end of input, the console text goes
// nowhere, and the service gets only the protocol's commands.
TEST_F(Process, ClosedStandardStreamsAreNeverTheServiceLink) {
    if (!platform::can_close_standard_streams()) {
        GTEST_SKIP() << "the Windows runner cannot start a program without a standard stream";
    }
    const std::string file = write_temp_file("closed.ini", "[KDX-RM6X5]\nA = b@c\n");
    platform::process_options_t no_input;
    no_input.m_close_stdin = true;
    const platform::process_result_t asked =
        platform::run_process({G_tool, file}, "", 60000, no_input);
    EXPECT_EQ(asked.m_stderr,
              "Unvalid answer (remains 2 try)\r\nUnvalid answer (remains 1 try)\r\n"
              "Update label canceled\r\n");
    EXPECT_EQ(asked.m_exit_status, 1);
    EXPECT_EQ(m_sim.command_log(), G_listing_and_information);
    m_sim.clear_command_log();
    platform::process_options_t no_output;
    no_output.m_close_stdout = true;
    const platform::process_result_t written =
        platform::run_process({G_tool, file}, "y\n", 60000, no_output);
    EXPECT_EQ(written.m_stderr, "");
    EXPECT_EQ(written.m_exit_status, 0);
    EXPECT_EQ(m_sim.command_log().size(), 9u + 2 + 192 + 3);  // listing, location, erase, write
}

}  // namespace
