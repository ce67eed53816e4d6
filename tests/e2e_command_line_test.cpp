// The tool run with help words and files: the manual, the order of the runs, what cannot be
// opened, what the shell hands over, and the exit status. The accepted files here name no
// target device.
#include <cctype>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "e2e_support.h"

namespace {

typedef e2e_test CommandLine;

const std::string no_target = "; no target device\n";

std::string open_failure(const std::string& p_path) {
    return "Unable to open file: \r\n" + p_path +
           "\r\nif you need some help re-run the program and type -h or help\r\nFailed, exit "
           "now\r\n";
}

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
    const std::string dir = std::filesystem::u8path(good).parent_path().u8string();
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
        {G_tool, {good}, variable + "= 7001", "", "write_brimel_label: " + variable + no + "\" 7001\"\r\n", 2, NONE},
        {G_tool, {"--help"}, variable + "=+7001", launch() + manual_for(G_tool), "", 0, NONE},
        {G_read_tool, {"Nobody"}, there, "", using_there + variable + ").\r\n" + nobody, 2, OTHER},
        {G_read_tool, {"Nobody", "--port", port}, variable + "=-1", "", using_there + "--port).\r\n" + nobody, 2, OTHER},
        {G_read_tool, {"Nobody", "--port=0"}, there, "", "read_brimel_label: --port" + no + "\"0\"\r\n", 2, NONE},
        {G_read_tool, {"Nobody"}, variable + "=", "", "read_brimel_label: " + variable + no + "\"\"\r\n", 2, NONE},
        {G_sync_tool, {"--dry-run", "--port", port, nobody_file}, variable + "=-1", opening(nobody_file) + G_greeting, using_there + "--port).\r\nWarning: Nobody was not found on the network.\r\n", 2, OTHER},
        {G_sync_tool, {"--port=x", good}, there, "", "sync_brimel_label: --port" + no + "\"x\"\r\n", 2, NONE},
        {G_sim_tool, {}, variable + "=65536", "", "zel_service_sim: " + variable + no + "\"65536\"\n", 2, NONE},
        {G_sim_tool, {"--port", "0", "--network", dir}, variable + "=0", "", "zel_service_sim: " + dir + ": a directory, not a network file\n", 2, NONE},
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
        {G_sync_tool, "--bogus", "", "sync_brimel_label: unknown option --bogus (see --help)\r\n", 2},
        {G_sync_tool, "--", "", "sync_brimel_label: no label file given (see --help)\r\n", 2},
        {G_sim_tool, "--version", "zel_service_sim 1.0\n", "", 0},
        {G_sim_tool, "-h", sim_help, "", 0},
        {G_sim_tool, "--help", sim_help, "", 0},
        {G_sim_tool, "--bogus", "", "zel_service_sim: unknown option \"--bogus\" (see --help)\n", 2},
    };
    // clang-format on
    for (const auto& [program, argument, out, err, status] : rows) {
        SCOPED_TRACE(program + " " + argument);
        const platform::process_result_t res = run_tool({argument}, "", program);
        EXPECT_EQ(res.m_stdout, out);
        EXPECT_EQ(res.m_stderr, err);
        EXPECT_EQ(res.m_exit_status, status);
    }
}

// True when p_word stands in p_text as a word of a command line: no letter, digit or "-"
// touches it.
bool has_word(const std::string& p_text, const std::string& p_word) {
    const auto part_of_word = [](char p_c) {
        return std::isalnum(static_cast<unsigned char>(p_c)) || p_c == '-';
    };
    for (std::size_t at = p_text.find(p_word); at != std::string::npos;
         at = p_text.find(p_word, at + 1)) {
        const std::size_t end = at + p_word.size();
        if ((at == 0 || !part_of_word(p_text[at - 1])) &&
            (end == p_text.size() || !part_of_word(p_text[end]))) {
            return true;
        }
    }
    return false;
}

// A manual page as its reader sees the words: without the roff escapes of "-" and fonts.
std::string page_words(std::string p_page) {
    for (const char* escape : {"\\fB", "\\fI", "\\fR", "\\fP", "\\"}) {
        for (std::size_t at = p_page.find(escape); at != std::string::npos;
             at = p_page.find(escape, at)) {
            p_page.erase(at, std::strlen(escape));
        }
    }
    return p_page;
}

// Every option of every program, and the variables it reads, are in its --help and its
// manual page, in lines of at most 80 characters. The writer's built-in manual is the
// specified text: the writer's options are looked for in its manual page alone.
TEST(ProgramConvention, EveryOptionIsInTheHelpAndTheManualPageInLinesOf80) {
    struct row_t {
        std::string m_program;
        std::string m_page;
        bool m_help_lists_options;
        texts_t m_options;
    };
    // clang-format off
    const row_t rows[] = {
        {G_tool, "write_brimel_label.1", false,
         {"h", "-h", "help", "-help", "--help", "--version", "--", "ZEL_SERVICE_PORT", "NO_COLOR"}},
        {G_read_tool, "read_brimel_label.1", true,
         {"--list", "--json", "-o", "--output", "--force", "--verify", "--capture", "--port", "-h", "--help",
          "--version", "--", "ZEL_SERVICE_PORT", "NO_COLOR"}},
        {G_sync_tool, "sync_brimel_label.1", true,
         {"--yes", "--dry-run", "--json", "--port", "-h", "--help", "--version", "--", "ZEL_SERVICE_PORT", "NO_COLOR"}},
        {G_sim_tool, "zel_service_sim.1", true,
         {"--port", "--network", "--latency", "--log", "--dump-file", "--fault", "--no-greeting",
          "--slow-greeting", "--help", "-h", "--version", "ZEL_SERVICE_PORT", "NO_COLOR"}},
    };
    // clang-format on
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_page);
        // Lines of the --help text that lists the options, with their line ends, and of the page.
        std::istringstream help(
            r.m_help_lists_options ? run_tool({"--help"}, "", r.m_program).m_stdout : "");
        const std::string page = file_text(std::string(WBL_MAN_DIR) + "/" + r.m_page);
        for (const std::string& option : r.m_options) {
            EXPECT_TRUE(!r.m_help_lists_options || has_word(help.str(), option))
                << "--help lacks " << option;
            EXPECT_TRUE(has_word(page_words(page), option)) << "the page lacks " << option;
        }
        std::istringstream page_lines(page);
        for (std::string line; std::getline(help, line);) {
            EXPECT_LE(line.find_last_not_of('\r') + 1, 80u) << "--help: " << line;
        }
        for (std::string line; std::getline(page_lines, line);) {
            EXPECT_LE(line.size(), 80u) << line;
        }
    }
}

}  // namespace
