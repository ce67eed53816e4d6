// The tool as a process under what an operator or a shell does to it: Ctrl-C during the
// device stage, and standard streams closed before it starts (the simulator's too).
#include <memory>
#include <thread>

#include "platform/clock.h"

#include "e2e_support.h"

namespace {

typedef e2e_test Process;

const std::string two_devices = "[NEW-DEVICE1, KDX-RM6X5]\nA = b@c\n";
const std::string erase_rm6x5 = "Erase KDX-RM6X5's old labels...";
const char* const G_no_interrupt = "no console control event can be sent here (Wine, no console)";

// The tool on p_args, confirmed, interrupted after each delay from when p_trigger shows.
platform::process_result_t run_interrupted(const texts_t& p_args,
                                           const std::vector<int64_t>& p_delays_ms,
                                           const std::string& p_trigger = erase_rm6x5) {
    platform::process_options_t options;
    options.m_interrupt_after = p_trigger;
    options.m_interrupt_delays_ms = p_delays_ms;
    texts_t argv = {G_tool};
    argv.insert(argv.end(), p_args.begin(), p_args.end());
    const platform::process_result_t res = platform::run_process(argv, "y\ny\n", 60000, options);
    // A run that never showed the trigger must fail, not skip as if on Wine.
    EXPECT_NE(res.m_stdout.find(p_trigger), std::string::npos) << res.m_stdout;
    return res;
}

// A fault holds a command back: the Ctrl-C comes while it is in flight, and the run stops
// after it, whatever comes next (a page, a device, the prompt, the next file): the label
// files after the stopped one are not run. Even during the last command the status is 1.
TEST_F(Process, CtrlCStopsAfterTheCommandInFlightAndTellsWhatEachDeviceHolds) {
    const std::string two = write_temp_file("two.ini", two_devices);
    const std::string ten = write_temp_file("ten.ini",
                                            "[KDX-RM6X5]\nL0=c@d\nL1=c@d\nL2=c@d\nL3=c@d\n"
                                            "L4=c@d\nL5=c@d\nL6=c@d\nL7=c@d\nL8=c@d\nL9=c@d\n");
    const std::string next = write_temp_file("next.ini", "[NEW-DEVICE1]\nA = b@c\n");
    const std::string not_run =
        "Stopped by Ctrl-C; these label files were not run: " + next + "\r\n";
    const std::string last_command =
        "Update stopped by Ctrl-C during its last command: nothing was left to stop.\r\n";
    const std::string nothing_written =
        "Update stopped by Ctrl-C while the devices were asked "
        "for their information: nothing was written.\r\n";
    struct row_t {
        std::string m_fault;  // holds the command back 400 ms, or for its 500 ms time-out
        texts_t m_args;
        std::string m_trigger;
        std::string m_err;
        std::size_t m_commands;  // the commands the service received
    };
    // clang-format off
    const row_t rows[] = {
        {"kind=TBOX_MEM_W,nth=31:delay=400", {two}, erase_rm6x5,
         " STOPPED\r\nUpdate stopped by Ctrl-C:\r\n\tKDX-RM6X5: erase stopped at page 31 of 192: entries "
         "1 to 10 erased, entry 11 partly erased, entries 12 to 64 unchanged\r\n\tNEW-DEVICE1: not "
         "started: its labels are unchanged\r\n", 9 + 2 + 31},
        {"kind=TBOX_MEM_W,nth=206:delay=400", {ten, "--version", "--", next},
         "Running transfer of KDX-RM6X5's new labels...",
         " STOPPED\r\nUpdate stopped by Ctrl-C:\r\n\tKDX-RM6X5: transfer stopped at page 14 of 30: entries "
         "1 to 4 written, entry 5 partly written, entries 6 to 64 empty\r\n" + not_run, 9 + 2 + 192 + 14},
        {"kind=TBOX_MEM_W,nth=192:delay=400", {two}, erase_rm6x5,  // the erase ends: the area is empty
         " STOPPED\r\nUpdate stopped by Ctrl-C:\r\n\tKDX-RM6X5: transfer stopped at page 0 of 3: entries "
         "1 to 64 empty\r\n\tNEW-DEVICE1: not started: its labels are unchanged\r\n", 9 + 2 + 192},
        {"kind=INFO_EXT,nth=8:delay=400", {two, next}, "ZEL-Service Connected.", nothing_written + not_run, 9},
        {"kind=TBOX_MEM_W,nth=390:delay=400", {two, next}, "Running transfer of NEW-DEVICE1's new labels...", last_command + not_run,
         9 + 2 * (2 + 192 + 3)},
        {"kind=TBOX_MEM_W,nth=390:silent", {two}, "Running transfer of NEW-DEVICE1's new labels...",
         "Cmd failed (No respons)!\r\nNEW-DEVICE1's labels writting process failed, check device "
         "connection.\r\nNEW-DEVICE1's label area: entry 1 partly written, entries 2 to 64 empty.\r\n" +
         last_command, 9 + 2 * (2 + 192 + 3)},
        {"kind=LIST_DEV,nth=2:delay=400", {next, two}, "Done\r\n", nothing_written, 9 + 2 + 192 + 3 + 1},
    };
    // clang-format on
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_fault);
        zel_service_sim sim;
        sim.add_fault(fault_of(r.m_fault));
        m_sim.stop();
        ASSERT_TRUE(sim.start(7000));
        const platform::process_result_t res = run_interrupted(r.m_args, {300}, r.m_trigger);
        if (res.m_interrupts_sent == 0) {
            GTEST_SKIP() << G_no_interrupt;
        }
        EXPECT_EQ(res.m_stderr, r.m_err);
        EXPECT_EQ(res.m_stdout.substr(res.m_stdout.size() - 6), "Done\r\n");
        EXPECT_EQ(res.m_exit_status, 1);
        EXPECT_EQ(sim.command_log().size(), r.m_commands);
        sim.stop();
    }
    ASSERT_TRUE(m_sim.start(7000));  // for the fixture
}

TEST_F(Process, ASecondCtrlCEndsTheToolAtOnce) {
    m_sim.add_fault(fault_of("kind=TBOX_MEM_W,nth=1:delay=2000"));  // the page in flight waits
    const platform::process_result_t res =
        run_interrupted({write_temp_file("stop.ini", two_devices)}, {0, 100});
    if (res.m_interrupts_sent == 0) {
        GTEST_SKIP() << G_no_interrupt;
    }
    EXPECT_EQ(res.m_interrupts_sent, 2);
    EXPECT_EQ(res.m_stdout.find("Done"), std::string::npos);
    EXPECT_EQ(res.m_exit_status, -1);
    EXPECT_EQ(m_sim.fault_fired_counts(), std::vector<uint64_t>{1});
}

// On a terminal, whose input never ends, a Ctrl-C breaks off the prompt's wait for the
// operator: the run stops with nothing written.
TEST_F(Process, CtrlCAtThePromptBreaksOffTheWait) {
    if (!platform::can_use_terminal()) {
        GTEST_SKIP() << "no terminal here";
    }
    platform::process_options_t options;
    options.m_terminal = true;
    options.m_environment = {"NO_COLOR=1"};
    options.m_interrupt_after = "yes(y), no(n): ";
    options.m_interrupt_delays_ms = {300};
    const platform::process_result_t res = platform::run_process(
        {G_tool, write_temp_file("prompt.ini", two_devices)}, "", 20000, options);
    EXPECT_NE(res.m_stdout.find("Update stopped by Ctrl-C at the prompt: nothing was written.\r\n"),
              std::string::npos)
        << res.m_stdout;
    EXPECT_EQ(res.m_exit_status, 1);
    EXPECT_EQ(m_sim.command_log().size(), 9u);
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
        {{G_sync_tool, file}, false, true, true, read + 24},  // 12 fields written and read back
        {{G_tool, file}, true, false, false, 9},
        {{G_tool, file}, false, true, true, 9 + 2 + 192 + 3},  // listing, location, erase, write
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
    // The simulator, without any standard stream, answers its client with protocol lines only,
    // and nothing it prints on its way out reaches the client.
    m_sim.stop();
    platform::process_options_t options;
    options.m_close_stdin = options.m_close_stdout = options.m_close_stderr = true;
    options.m_interrupt_after = "";  // counted from its start
    options.m_interrupt_delays_ms = {2000};
    platform::process_result_t sim;
    std::thread service([&] { sim = platform::run_process({G_sim_tool}, "", 60000, options); });
    std::unique_ptr<sim_client> client;
    for (int attempt = 0; attempt < 100 && !(client && client->connected()); ++attempt) {
        platform::sleep_ms(10);
        client.reset(new sim_client(7000));
    }
    EXPECT_EQ(client->read_until("\r\n"), sim_greeting());
    EXPECT_EQ(client->exchange("LIST_DEV\r\n"), G_listing);
    EXPECT_EQ(client->read_until("never"), "");  // until the simulator stops and closes
    service.join();
    EXPECT_EQ(sim.m_exit_status, 0);
    EXPECT_EQ(sim.m_interrupts_sent, 1);
    ASSERT_TRUE(m_sim.start(7000));  // for the fixture
}

}  // namespace
