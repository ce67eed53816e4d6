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

// The page a fault holds back is in flight when the Ctrl-C comes: the stage stops after it.
TEST_F(Process, CtrlCDuringTheEraseFinishesThePageAndTellsWhatEachDeviceHolds) {
    m_sim.add_fault(fault_of("kind=TBOX_MEM_W,nth=31:delay=400"));
    const std::string file = write_temp_file("stop.ini", two_devices);
    const platform::process_result_t res = run_interrupted(file, {250});
    if (res.m_interrupts_sent == 0) {
        GTEST_SKIP() << G_no_interrupt;
    }
    EXPECT_EQ(res.m_stdout, launch() + opening(file) + G_greeting +
                                confirm_screen(device_line(1, G_rm6x5) + device_line(2, G_new1)) +
                                "Write labels:\r\n\r\n" + erase_rm6x5 + "Done\r\n");
    EXPECT_EQ(res.m_stderr,
              " STOPPED\r\nUpdate stopped by Ctrl-C:\r\n\tKDX-RM6X5: erase stopped at page 31 of "
              "192: entries 1 to 10 erased, entry 11 partly erased, entries 12 to 64 unchanged\r\n"
              "\tNEW-DEVICE1: not started: its labels are unchanged\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    EXPECT_EQ(commands_starting(m_sim, rm6x5_memory_writes), 31u);
    EXPECT_EQ(commands_starting(m_sim, "TBOX_MEM 00:1D:C1:0A:00:03"), 0u);
}

// The label files after the stopped one are not run.
TEST_F(Process, CtrlCDuringTheTransferTellsWhichLabelsWereWrittenAndRunsNoFurtherFile) {
    m_sim.add_fault(fault_of("kind=TBOX_MEM_W,nth=206:delay=400"));  // its 14th page
    std::string labels = "[KDX-RM6X5]\n";
    for (int k = 0; k < 10; ++k) {
        labels += "L" + std::to_string(k) + " = c@d\n";
    }
    const std::string file = write_temp_file("stop.ini", labels);
    const std::string next = write_temp_file("next.ini", "[NEW-DEVICE1]\nA = b@c\n");
    platform::process_options_t options;
    options.m_interrupt_after = "Running transfer of KDX-RM6X5's new labels...";
    options.m_interrupt_delays_ms = {250};
    const platform::process_result_t res =
        platform::run_process({G_tool, file, "help", next}, "y\ny\n", 60000, options);
    if (res.m_interrupts_sent == 0) {
        GTEST_SKIP() << G_no_interrupt;
    }
    EXPECT_EQ(
        res.m_stderr,
        " STOPPED\r\nUpdate stopped by Ctrl-C:\r\n\tKDX-RM6X5: transfer stopped at page 14 of "
        "30: entries 1 to 4 written, entry 5 partly written, entries 6 to 64 empty\r\n"
        "Stopped by Ctrl-C; these label files were not run: " +
            next + "\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    EXPECT_EQ(commands_starting(m_sim, "LIST_DEV"), 1u);
    EXPECT_EQ(commands_starting(m_sim, rm6x5_memory_writes), 192u + 14);
}

TEST_F(Process, CtrlCWhileTheDevicesAreAskedEndsTheRunWithNothingWritten) {
    // The first request is answered late, but in time: the Ctrl-C comes while it is in flight.
    m_sim.add_fault(fault_of("kind=INFO_EXT,nth=1:delay=400"));
    const std::string file = write_temp_file("stop.ini", two_devices);
    const platform::process_result_t res = run_interrupted(file, {250}, "ZEL-Service Connected.");
    if (res.m_interrupts_sent == 0) {
        GTEST_SKIP() << G_no_interrupt;
    }
    EXPECT_EQ(res.m_stdout, launch() + opening(file) + G_greeting + "Done\r\n");
    EXPECT_EQ(res.m_stderr,
              "Update stopped by Ctrl-C while the devices were asked for their information: "
              "nothing was written.\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    EXPECT_EQ(m_sim.command_log(),
              texts_t(G_listing_and_information.begin(), G_listing_and_information.begin() + 2));
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
// nowhere, and the service gets only the protocol's commands, whatever program runs.
TEST_F(Process, ClosedStandardStreamsAreNeverTheServiceLink) {
    if (!platform::can_close_standard_streams()) {
        GTEST_SKIP() << "the Windows runner cannot start a program without a standard stream";
    }
    const std::string file = write_temp_file("closed.ini", "[KDX-RM6X5]\nA = b@c\n");
    const texts_t verify = {G_read_tool, "--verify", file};
    const std::size_t read = 9 + 194;  // listing, information, location and name fields
    // clang-format off
    const std::tuple<texts_t, bool, bool, bool, std::size_t> runs[] = {
        // program and arguments, input, output, error closed, commands the service received
        {{G_tool, file}, true, false, false, 9},
        {{G_tool, file}, false, true, false, 9 + 2 + 192 + 3},  // listing, location, erase, write
        {{G_tool, file}, false, true, true, 9 + 2 + 192 + 3},
        {{G_read_tool, "KDX-RM6X5"}, false, true, false, read},
        {{G_read_tool, "KDX-RM6X5"}, false, false, true, read},
        {verify, false, true, true, read},
    };
    // clang-format on
    for (const auto& [argv, no_input, no_output, no_error, commands] : runs) {
        SCOPED_TRACE(argv[0] + (no_output ? " without output" : "") +
                     (no_error ? " without error" : ""));
        m_sim.clear_command_log();
        platform::process_options_t options;
        options.m_close_stdin = no_input;
        options.m_close_stdout = no_output;
        options.m_close_stderr = no_error;
        const platform::process_result_t res = platform::run_process(argv, "y\n", 60000, options);
        EXPECT_EQ(res.m_exit_status, no_input ? 1 : 0);
        const texts_t log = m_sim.command_log();
        EXPECT_EQ(log.size(), commands);
        EXPECT_EQ(texts_t(log.begin(), log.begin() + std::min<std::size_t>(log.size(), 9)),
                  texts_t(G_listing_and_information.begin(),
                          G_listing_and_information.begin() + std::min<std::size_t>(commands, 9)));
    }
}

}  // namespace
