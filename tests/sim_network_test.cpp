// The simulated network and its description, the factory image of a device's memory, and
// the command line of the zel_service_sim program.
#include <filesystem>
#include <tuple>

#include "platform/clock.h"
#include "process/process.h"
#include "sim/sim_program.h"
#include "sim_support.h"

namespace {

TEST(SimNetwork, RefusesABadLineWithFileAndLine) {
    const std::string options =
        "after P and S only \"unlisted\", \"area\" and info=\"...\" (without CR LF) can follow, "
        "found ";
    const std::string entry = "Desk 02:00:00:00:00:02 5 2 0 3 5 area\n";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        // line 2 (and on) of the description, what is wrong
        {"Desk 02:00:00:00:00:02 5 2 0 3", "expected \"name MAC mir pir fir P S\" and options, found 6 words"},
        {"Desk 02:00:00:00:00:02 5 2 0 3 5 hidden", options + "hidden"},
        {"Desk 02:00:00:00:00:02 5 2 0 3 5 info=\"1;", "a quoted text is not closed"},
        {"Desk 02;00 5 2 0 3 5", "an identifier cannot hold ';', ',', '=' or CR LF: 02;00"},
        {"Desk \"02:00\\x0D\\x0A\" 5 2 0 3 5", "an identifier cannot hold ';', ',', '=' or CR LF: \"02:00\\x0D\\x0A\""},
        {"Desk 02:00:00:00:00:02 5 2 0 3 5 info=\"1\\x0D\\x0A\"", options + "info=\"1\\x0D\\x0A\""},
        {"Desk 02:00:00:00:00:02 five 2 0 3 5", "mir, pir and fir must be decimal integers"},
        {"Desk 02:00:00:00:00:02 5 2 0 3 256", "P and S must be numbers from 0 to 255"},
        {"network A;B", "a network name cannot hold ';' or CR LF"},
        {"Other 02:00:00:00:00:01 5 2 0 3 5", "MAC 02:00:00:00:00:01 is already used by another device"},
        {"  01 label=\"a\" device=\"b\" channel=\"c\"", "an entry line belongs after a device line marked \"area\""},
        {entry + "  65 label=\"a\" device=\"b\" channel=\"c\"", "entries are numbered from 01 to 64, found 65"},
        {entry + "  02 label=\"a\" device=\"b\" channel=\"c\"\n  2 label=\"a\" device=\"b\" channel=\"c\"", "entry 2 is given twice"},
        {"#" + std::string(16384, 'x'), "the line is longer than 16 KiB (16384 bytes)"},
        {entry + "  01 label=\"" + std::string(33, 'a') + "\" device=\"b\" channel=\"c\"",
         "expected label=\"...\" with at most 32 bytes, found label=\"" + std::string(33, 'a') + "\""},
        {entry + "  01 label=\"a\" device=b channel=\"c\"", "expected device=\"...\" with at most 32 bytes, found device=b"},
    };
    // clang-format on
    for (const auto& c : cases) {
        sim_network_t network;
        network.m_name = "unchanged";
        std::string error;
        const std::string text = "Desk 02:00:00:00:00:01 5 2 0 3 5\n" + c.first;
        EXPECT_FALSE(parse_network_text(text, "net.txt", network, error)) << c.first;
        const auto last_line = 2 + std::count(c.first.begin(), c.first.end(), '\n');
        EXPECT_EQ(error, "net.txt:" + std::to_string(last_line) + ": " + c.second);
        EXPECT_EQ(network.m_name, "unchanged");
    }
}

// Comment lines of 16 KiB and their line ends, the last one shorter, up to p_size bytes.
void fill_to(std::string& p_text, std::size_t p_size) {
    while (p_text.size() < p_size) {
        p_text += "#" + std::string(std::min<std::size_t>(p_size - p_text.size(), 16385) - 2, 'x');
        p_text += "\n";
    }
}

// A network file is read line by line within its bounds: 64 MiB with a line of 16 KiB and a
// device line across the reader's 64 KiB blocks are taken, one byte more is refused at the
// line that crosses the bound.
TEST(SimNetwork, AFileWithinItsBoundsIsTakenWholeAndNothingBeyond) {
    std::string text;
    fill_to(text, 65526);
    text += "Desk 02:00:00:00:00:01 5 2 0 3 5\n";
    fill_to(text, 64 << 20);
    const std::string path = write_temp_file("bounded-net.txt", text);
    sim_network_t network;
    std::string error;
    ASSERT_TRUE(load_network_file(path, network, error)) << error;
    EXPECT_EQ(network.m_devices.size(), 1u);
    write_temp_file("bounded-net.txt", text + "#");
    EXPECT_FALSE(load_network_file(path, network, error));
    EXPECT_EQ(error, path + ":4098: the description is larger than 64 MiB (67108864 bytes)");
    std::filesystem::remove(path);
}

TEST(SimCommandLine, ReadsEveryOptionOrSaysWhichIsWrong) {
    sim_command_line_t options;
    std::string error;
    ASSERT_TRUE(parse_sim_command_line(
        {"--port", "0", "--network", "n.txt", "--latency", "5", "--log", "l.txt", "--dump-file",
         "d.txt", "--fault", "cmd=12:delay=700", "--fault", "kind=INFO_EXT:close", "--no-greeting",
         "--slow-greeting", "1,300", "-h"},
        options, error))
        << error;
    EXPECT_EQ(options.m_network_path + options.m_log_path + options.m_dump_path, "n.txtl.txtd.txt");
    EXPECT_EQ(
        std::vector<int>({options.m_port, options.m_latency_ms, options.m_greeting,
                          options.m_greeting_pieces, options.m_greeting_pause_ms, options.m_help}),
        std::vector<int>({0, 5, false, 1, 300, true}));
    ASSERT_EQ(options.m_faults.size(), 2u);
    EXPECT_EQ(options.m_faults[1].m_action, FAULT_CLOSE);
    // clang-format off
    const std::pair<texts_t, std::string> cases[] = {
        {{"--port", "65536"}, "--port needs a number from 0 to 65535, not \"65536\""},
        {{"--port", "0", "--log"}, "--log needs a file name"},
        {{"--latency", "1", "--latency=2"}, "--latency is given twice"},
        {{"--latency", "600001"}, "--latency needs milliseconds from 0 to 600000, not \"600001\""},
        {{"--slow-greeting", "0,10"}, "--slow-greeting needs PIECES,MS with 1 to 91 pieces, not \"0,10\""},
        {{"--fault", "cmd=1"}, "--fault \"cmd=1\": a fault is SELECTOR:ACTION, e.g. kind=TBOX_MEM_W,nth=3:failed"},
    };
    // clang-format on
    for (const auto& c : cases) {
        sim_command_line_t refused;
        EXPECT_FALSE(parse_sim_command_line(c.first, refused, error)) << c.first[0];
        EXPECT_EQ(error, c.second);
    }
}

// The program's service: set up from the options, it keeps no command in memory.
TEST(SimProgram, TheOptionsSetTheServiceUp) {
    const std::string log = temp_path("program.log");
    sim_command_line_t options;
    std::string error;
    ASSERT_TRUE(parse_sim_command_line(
        {"--no-greeting", "--latency", "100", "--log", log, "--fault", "cmd=1:failed"}, options,
        error));
    zel_service_sim sim;
    ASSERT_TRUE(set_up_sim(options, sim, error)) << error;
    ASSERT_TRUE(sim.start(0));
    const int64_t start = platform::monotonic_ms();
    EXPECT_EQ(sim_client(sim.port()).exchange("LIST_DEV"), "LIST_DEV=FAILED\r\n");
    EXPECT_GE(platform::monotonic_ms() - start, 100);
    EXPECT_EQ(file_text(log), "LIST_DEV\n");
    EXPECT_EQ(sim.command_log(), texts_t());
}

// The program as a person runs it: a run on the port ZEL_SERVICE_PORT names, which it says,
// stopped with Ctrl-C and leaving its dump, and every refusal one line on standard error (a
// usage error pointing to --help, status 2).
TEST(SimProgram, ARunStoppedWithCtrlCAndTheCommandLineConvention) {
    platform::process_options_t stop;
    stop.m_interrupt_after = "listening on";
    stop.m_interrupt_delays_ms = {100};
    const std::string port = std::to_string(unused_port());
    stop.m_environment = {"ZEL_SERVICE_PORT=" + port};
    const std::string dump = temp_path("sim_dump.txt");
    const platform::process_result_t run =
        platform::run_process({SIM_PROGRAM_PATH, "--dump-file", dump}, "", 20000, stop);
    const std::string listening = "zel_service_sim: listening on 127.0.0.1:" + port + "\n";
    EXPECT_EQ(run.m_stdout.substr(0, listening.size()), listening);
    EXPECT_EQ(run.m_stderr, "Using ZEL-Service at 127.0.0.1:" + port + " (ZEL_SERVICE_PORT).\n");
    if (run.m_interrupts_sent > 0) {  // none under Wine, which has no console
        EXPECT_EQ(run.m_exit_status, 0);
        EXPECT_EQ(file_text(dump).substr(0, 29), "Network Stage-Net, 8 devices\n");
    }
    const std::string net = write_temp_file("bad-net.txt", "# one bad line\nDesk 1 2 3\n");
    const std::string dir = std::filesystem::path(net).parent_path().string();
    const std::string me = "zel_service_sim: ", help = " (see --help)\n";
    const std::string sim = SIM_PROGRAM_PATH;
    // clang-format off
    const std::tuple<texts_t, int, std::string, std::string> cases[] = {
        // command line, exit status, standard output, standard error
        {{sim, "--port", "1\n2"}, 2, "", me + "--port needs a number from 0 to 65535, not \"1?2\"" + help},
        {{sim, "--network", net}, 2, "", me + net + ":2: expected \"name MAC mir pir fir P S\" and options, found 4 words\n"},
        {{sim, "--network", dir}, 2, "", me + dir + ": a directory, not a network file\n"},
        {{sim, "--log", dir}, 2, "", me + dir + ": cannot open the log file\n"},
        {{sim, "--dump-file", dir}, 2, "", me + dir + ": cannot open the dump file\n"},
    };
    // clang-format on
    for (const auto& [args, status, out, err] : cases) {
        const platform::process_result_t res = platform::run_process(args, "", 20000);
        EXPECT_EQ(std::tie(res.m_exit_status, res.m_stdout, res.m_stderr),
                  std::tie(status, out, err));
    }
}

}  // namespace
