// The tool run with help words and files: the manual, the order of the runs, what cannot be
// opened, what the shell hands over, and the exit status. The accepted files here name no
// target device.
#include <cctype>
#include <filesystem>
#include <sstream>

#include "e2e_support.h"

namespace {

typedef e2e_test CommandLine;

const std::string no_target = "; no target device\n";

// One row per rule of the command line, run in the temporary folder so that a file may be
// named "-dash.ini". A usage error is said before anything is opened or connected; a rejected
// file never reaches the service; a help word does not reset the status. The line ends are
// as written: no "\r\r\n" from a stream in text mode (Windows).
TEST_F(CommandLine, HelpWordsOptionsFilesAndTheirStatus) {
    const std::string good = write_temp_file("good.ini", no_target);
    const std::string missing = temp_path("missing.ini");
    const std::string bad = write_temp_file("bad.ini", "[A B]\n");
    const std::string dir = std::filesystem::u8path(good).parent_path().u8string();
    write_temp_file("-dash.ini", no_target);
    const std::string manual = manual_for(G_tool);
    struct row_t {
        texts_t m_args;
        std::string m_out;
        std::string m_err;
        int m_status;
    };
    // clang-format off
    const row_t rows[] = {
        {{}, manual, "", 0},
        {{"h", "-HELP"}, launch() + manual + manual, "", 0},
        {{missing, good}, launch() + opening(missing) + opening(good) + G_greeting + "Done\r\n",
         open_failure(missing) + "No matching KALDEN-RM6X devices.\r\n", 1},  // the worst file's status, not the last one's
        {{bad, "help"}, launch() + opening(bad) + manual,
         "Error in: " + bad + " at line 1\r\nUnvalid character:   in A Bdevice section\r\n", 1},
        {{""}, launch() + opening(""), open_failure(""), 1},
        {{dir}, launch() + opening(dir), open_failure(dir), 1},
        {{good, "--dry-run"}, "", "write_brimel_label: unknown option --dry-run (see --help)\r\n", 2},
        {{"-find"}, "", "write_brimel_label: unknown option -find (see --help)\r\n", 2},
        {{"--version", "--HELP"}, launch() + "write_brimel_label 1.0\r\n" + manual, "", 0},
        {{"--", "--version"}, launch() + opening("--version"), open_failure("--version"), 1},
        {{"-dash.ini"}, launch() + opening("-dash.ini") + G_greeting + "Done\r\n", "No matching KALDEN-RM6X devices.\r\n", 0},
    };
    // clang-format on
    const std::filesystem::path started_in = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::u8path(dir));
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_out.substr(0, 60) + r.m_err.substr(0, 60));
        const platform::process_result_t res = run_tool(r.m_args);
        EXPECT_EQ(res.m_stdout, r.m_out);
        EXPECT_EQ(res.m_stderr, r.m_err);
        EXPECT_EQ(res.m_exit_status, r.m_status);
    }
    std::filesystem::current_path(started_in);
}

// Every program takes the service's port from ZEL_SERVICE_PORT; the reader's and the
// simulator's --port wins over it. A text that is no port is refused before anything is
// connected or read; a port other than 7000 is said once, and the service on 7000 then gets
// nothing; with 7000 a program runs exactly as without the variable.
TEST_F(CommandLine, EveryProgramTakesThePortOfZelServicePort) {
    zel_service_sim other;
    ASSERT_TRUE(other.start(0));
    const std::string port = std::to_string(other.port());
    const std::string good = write_temp_file("good.ini", no_target);
    const std::string nobody_file = write_temp_file("nobody.ini", "[Nobody]\nA = 1@Dev\n");
    const std::string no = " needs a port number from 1 to 65535, not ";
    const std::string variable = "ZEL_SERVICE_PORT", there = variable + "=" + port;
    const std::string using_there = "Using ZEL-Service at 127.0.0.1:" + port + " (";
    const std::string written_run = launch() + opening(good) + G_greeting + "Done\r\n";
    const std::string no_match = "No matching KALDEN-RM6X devices.\r\n";
    const std::string nobody = G_greeting +
                               "Warning: Nobody was not found on the network.\r\n"
                               "No KALDEN-RM6X device to read.\r\n";
    enum service_t { NONE, AT_7000, OTHER };
    struct row_t {
        std::string m_program;
        texts_t m_args;
        std::string m_variable;  // "NAME=VALUE"
        std::string m_out;
        std::string m_err;
        int m_status;
        service_t m_reached;
    };
    // clang-format off
    const row_t rows[] = {
        {G_tool, {good}, there, written_run, using_there + variable + ").\r\n" + no_match, 0, OTHER},
        {G_tool, {good}, variable + "=7000", written_run, no_match, 0, AT_7000},
        {G_tool, {good}, variable + "=12a", "", "write_brimel_label: " + variable + no + "\"12a\"\r\n", 2, NONE},
        {G_tool, {"--help"}, variable + "=+7001", launch() + manual_for(G_tool), "", 0, NONE},
        {G_read_tool, {"Nobody"}, there, "", using_there + variable + ").\r\n" + nobody, 2, OTHER},
        {G_read_tool, {"Nobody", "--port", port}, variable + "=-1", "", using_there + "--port).\r\n" + nobody, 2, OTHER},
        {G_read_tool, {"--list", "--json"}, variable + "=0", R"({"schema": 1, "error": {"kind": "usage", "message": )"
         R"("read_brimel_label: ZEL_SERVICE_PORT needs a port number from 1 to 65535, not \"0\""}})" "\n",
         "read_brimel_label: " + variable + no + "\"0\"\r\n", 2, NONE},
        {G_sync_tool, {"--dry-run", "--port", port, nobody_file}, variable + "=-1", opening(nobody_file) + G_greeting + "Plan: 0 fields "
         "to write on 0 of 1 device; 0 already hold the file; 1 not found.\r\n", using_there + "--port).\r\nWarning: Nobody was not "
         "found on the network.\r\n", 2, OTHER},
        {G_sync_tool, {"--port=x", "--json", good}, there, R"({"schema": 1, "error": {"kind": "usage", "message": )"
         R"("sync_brimel_label: --port needs a port number from 1 to 65535, not \"x\""}})" "\n",
         "sync_brimel_label: --port" + no + "\"x\"\r\n", 2, NONE},
        {G_read_tool, {"--connections", "17"}, there, "", "read_brimel_label: --connections needs a count from 1 to 16, not "
         "\"17\"\r\n", 2, NONE},
        {G_sync_tool, {"--json", good}, "ZEL_SERVICE_CONNECTIONS=0", R"({"schema": 1, "error": {"kind": "usage", "message": )"
         R"("sync_brimel_label: ZEL_SERVICE_CONNECTIONS needs a count from 1 to 16, not \"0\""}})" "\n", "sync_brimel_label: "
         "ZEL_SERVICE_CONNECTIONS needs a count from 1 to 16, not \"0\"\r\n", 2, NONE},
        {G_sim_tool, {}, variable + "=65536", "", "zel_service_sim: " + variable + no + "\"65536\"\n", 2, NONE},
    };
    // clang-format on
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_program + " " + r.m_variable);
        const std::size_t at_7000 = m_sim.command_log().size(),
                          at_other = other.command_log().size();
        const platform::process_result_t res = run_tool(r.m_args, "", r.m_program, {r.m_variable});
        EXPECT_EQ(res.m_stdout, r.m_out);
        EXPECT_EQ(res.m_stderr, r.m_err);
        EXPECT_EQ(res.m_exit_status, r.m_status);
        EXPECT_EQ(m_sim.command_log().size() > at_7000, r.m_reached == AT_7000);
        EXPECT_EQ(other.command_log().size() > at_other, r.m_reached == OTHER);
    }
}

// In a rehearsal (ZEL_REHEARSAL=1) every program sends nothing to a service whose greeting
// does not say it is simulated, says so and ends with status 2; the simulator says it is one.
TEST(Rehearsal, AServiceThatIsNotSimulatedGetsNoCommand) {
    const std::string file = write_temp_file("rehearsal.ini", "[KDX-RM6X5]\nA = b@c\n");
    const std::string refused =
        "ZEL-Service not reached at 127.0.0.1:PORT (its greeting does not say it is simulated, and "
        "ZEL_REHEARSAL asks for a rehearsal: no command is sent): start the device-management "
        "service, or zel_service_sim to rehearse.\r\n";
    // clang-format off
    const std::tuple<std::string, texts_t, std::string> rows[] = {
        // program, arguments, the end of standard error
        {G_tool, {file}, "ZEL-Service connection failed!\r\n" + refused + "Warning: those devices were not found on the "
         "network:\r\n\tdevice 1: KDX-RM6X5\r\n\r\nNo matching KALDEN-RM6X devices.\r\n"},
        {G_read_tool, {"--list"}, refused + "ZEL-Service was not reached: nothing was read.\r\n"},
        {G_sync_tool, {"--dry-run", file}, refused + "ZEL-Service was not reached: nothing was written.\r\n"},
    };
    // clang-format on
    for (const auto& [program, args, err] : rows) {
        SCOPED_TRACE(program);
        std::string received = "not connected";
        std::string port;
        platform::process_result_t res;
        {
            scripted_service show([&](platform::socket_t p_sock, int) {
                send_text(p_sock, test_greeting);
                received = receive_command(p_sock, 2000);  // "" once the program hangs up
            });
            port = std::to_string(show.port());
            res = run_tool(args, "", program, {"ZEL_SERVICE_PORT=" + port, "ZEL_REHEARSAL=1"});
        }  // the service has ended: what it received is known
        std::string shown = res.m_stderr;
        for (std::size_t at; (at = shown.find(port)) != std::string::npos;) {
            shown.replace(at, port.size(), "PORT");
        }
        EXPECT_EQ(shown.substr(shown.find(").\r\n") + 4), err);
        EXPECT_EQ(res.m_exit_status, 2);
        EXPECT_EQ(received, "");
    }
}

// The programs other than the writer share one convention: --version, -h and --help, and
// a usage error in one line pointing to --help, with status 2.
TEST(ProgramConvention, VersionHelpWordsAndAUsageError) {
    const std::string read_manual = file_text(std::string(WBL_TEST_DATA_DIR) + "/read_manual.txt");
    const std::string sync_manual = file_text(std::string(WBL_TEST_DATA_DIR) + "/sync_manual.txt");
    const std::string sim_help = file_text(std::string(WBL_TEST_DATA_DIR) + "/sim_help.txt");
    // clang-format off
    const std::tuple<std::string, std::string, std::string, std::string, int> rows[] = {
        // program, argument, standard output, standard error, status
        {G_read_tool, "--version", "read_brimel_label 1.0\r\n", "", 0},
        {G_read_tool, "-h", read_manual, "", 0},
        {G_read_tool, "--help", read_manual, "", 0},
        {G_read_tool, "--bogus", "", "read_brimel_label: unknown option --bogus (see --help)\r\n", 2},
        {G_sync_tool, "--version", "sync_brimel_label 1.0\r\n", "", 0},
        {G_sync_tool, "--help", sync_manual, "", 0},
        {G_sync_tool, "--", "", "sync_brimel_label: no label file given (see --help)\r\n", 2},
        {G_sync_tool, "-h --help", "", "sync_brimel_label: --help is given twice (see --help)\r\n", 2},
        {G_sync_tool, "--yes --dry-run f.ini", "", "sync_brimel_label: --yes and --dry-run cannot go together (see --help)\r\n", 2},
        {G_sim_tool, "--version", "zel_service_sim 1.0\n", "", 0},
        {G_sim_tool, "--help", sim_help, "", 0},
        {G_sim_tool, "--bogus", "", "zel_service_sim: unknown option --bogus (see --help)\n", 2},
    };
    // clang-format on
    for (const auto& [program, argument, out, err, status] : rows) {
        SCOPED_TRACE(program + " " + argument);
        texts_t args;  // the words of the argument
        std::istringstream words(argument);
        for (std::string word; words >> word;) {
            args.push_back(word);
        }
        const platform::process_result_t res = run_tool(args, "", program);
        EXPECT_EQ(res.m_stdout, out);
        EXPECT_EQ(res.m_stderr, err);
        EXPECT_EQ(res.m_exit_status, status);
    }
}

// On a terminal a path shows its control bytes in caret notation, and a byte that is no UTF-8
// as a character, in every program: it cannot drive or wipe the operator's screen.
TEST(ProgramConvention, APathCannotDriveTheTerminal) {
    if (!platform::can_use_terminal()) {
        GTEST_SKIP() << "no terminal here";
    }
    const std::string path = temp_path("esc\x1B]0;pwn\x07\x1B[2J\x9B.ini");
    platform::process_options_t terminal;
    terminal.m_terminal = true;
    terminal.m_environment = {"NO_COLOR=1"};
    for (const texts_t& run : {texts_t{G_tool, path}, texts_t{G_read_tool, "--verify", path},
                               texts_t{G_sync_tool, path}}) {
        const std::string shown = platform::run_process(run, "", 60000, terminal).m_stdout;
        EXPECT_NE(shown.find("esc^[]0;pwn^G^[[2J\xC3\xB8.ini"), std::string::npos) << shown;
        EXPECT_EQ(shown.find_first_of("\x1B\x07\x9B"), std::string::npos) << shown;
    }
}

// True when p_word stands in the manual page p_page as a word of a command line, as its
// reader sees it (without the roff escapes of fonts, "\fB", and of "-", "\-"): no letter,
// digit or "-" touches it.
bool page_has_word(std::string p_page, const std::string& p_word) {
    for (std::size_t at; (at = p_page.find('\\')) != std::string::npos;)
        p_page.erase(at, p_page.compare(at, 2, "\\f") == 0 ? 3 : 1);
    const auto touches = [&](std::size_t p_at) {  // npos, before the page, touches nothing
        return p_at < p_page.size() &&
               (std::isalnum(static_cast<unsigned char>(p_page[p_at])) || p_page[p_at] == '-');
    };
    for (std::size_t at = p_page.find(p_word); at != std::string::npos;
         at = p_page.find(p_word, at + 1))
        if (!touches(at - 1) && !touches(at + p_word.size()))
            return true;
    return false;
}

// Every option of every program, and the variables it reads, are in its manual page, in
// lines of at most 80 characters (the --help texts are the golden files above).
TEST(ProgramConvention, EveryOptionIsInTheManualPageInLinesOf80) {
    // clang-format off
    const std::pair<std::string, texts_t> rows[] = {
        {"write_brimel_label.1", {"h", "-h", "help", "-help", "--help", "--version", "--", "ZEL_SERVICE_PORT", "NO_COLOR"}},
        {"read_brimel_label.1",
         {"--list", "--json", "-o", "--output", "--force", "--verify", "--capture", "--port", "-h", "--help",
          "--version", "--", "ZEL_SERVICE_PORT", "NO_COLOR"}},
        {"sync_brimel_label.1",
         {"--yes", "--dry-run", "--json", "--port", "-h", "--help", "--version", "--", "ZEL_SERVICE_PORT", "NO_COLOR"}},
        {"zel_service_sim.1",
         {"--port", "--network", "--latency", "--log", "--dump-file", "--fault", "--no-greeting",
          "--slow-greeting", "--help", "-h", "--version", "ZEL_SERVICE_PORT", "NO_COLOR"}},
    };
    // clang-format on
    for (const auto& [name, options] : rows) {
        const std::string page = file_text(std::string(WBL_MAN_DIR) + "/" + name);
        for (const std::string& option : options) {
            EXPECT_TRUE(page_has_word(page, option)) << name << " lacks " << option;
        }
        std::istringstream page_lines(page);
        for (std::string line; std::getline(page_lines, line);) {
            EXPECT_LE(line.size(), 80u) << name << ": " << line;
        }
    }
}

}  // namespace
