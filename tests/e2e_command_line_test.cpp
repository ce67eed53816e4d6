// The executable run with files and arguments: standard output, standard error and the
// exit status, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "basic_type/basic_type.h"
#include "platform/process.h"
#include "sim/zel_service_sim.h"
#include "test_support.h"

namespace {

// Accepted files run their device stage against the simulated service; the files here
// name no target device.
class CommandLine : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_sim.start(7000)) << "port 7000 is taken"; }
    void TearDown() override { m_sim.stop(); }

    zel_service_sim m_sim;
};

typedef CommandLine BadInput;

const std::string greeting = "Welcome to Quentara ZEL-Service\r\n\r\nZEL-Service Connected.\r\n";
const std::string no_target = "; no target device\n";

const std::string tool = WBL_TOOL_PATH;

platform::process_result_t run_tool(const std::vector<std::string>& p_args) {
    std::vector<std::string> argv = {tool};
    argv.insert(argv.end(), p_args.begin(), p_args.end());
    platform::process_result_t res = platform::run_process(argv, "", 120000);
    EXPECT_TRUE(res.m_started);
    EXPECT_FALSE(res.m_timed_out);
    return res;
}

std::string launch() {
    return "Launch " + tool + "\r\n";
}

std::string opening(const std::string& p_path) {
    return "Opening file: " + p_path + "\r\n";
}

std::string open_failure(const std::string& p_path) {
    return "Unable to open file: \r\n" + p_path +
           "\r\nif you need some help re-run the program and type -h or help\r\nFailed, exit "
           "now\r\n";
}

TEST_F(CommandLine, NoArgumentPrintsTheManualOnly) {
    const platform::process_result_t res = run_tool({});
    EXPECT_EQ(res.m_stdout, label_user_manual_text(tool));
    EXPECT_EQ(res.m_stderr, "");
    EXPECT_EQ(res.m_exit_status, 0);
}

TEST_F(CommandLine, HelpWordsPrintTheManualAfterTheLaunchLine) {
    for (const char* word : {"h", "-H", "help", "-HELP", "Help"}) {
        SCOPED_TRACE(word);
        const platform::process_result_t res = run_tool({word});
        EXPECT_EQ(res.m_stdout, launch() + label_user_manual_text(tool));
        EXPECT_EQ(res.m_stderr, "");
        EXPECT_EQ(res.m_exit_status, 0);
    }
}

TEST_F(CommandLine, FilesRunInOrderAndTheLastOneGivesTheStatus) {
    const std::string good = write_temp_file("good.ini", no_target);
    const std::string missing = temp_path("missing.ini");
    const platform::process_result_t res = run_tool({missing, good});
    EXPECT_EQ(res.m_stdout, launch() + opening(missing) + opening(good) + greeting + "Done\r\n");
    EXPECT_EQ(res.m_stderr, open_failure(missing) + "No matching KALDEN-RM6X devices.\r\n");
    EXPECT_EQ(res.m_exit_status, 0);

    const platform::process_result_t reverse = run_tool({good, missing});
    EXPECT_EQ(reverse.m_exit_status, 1);
}

TEST_F(CommandLine, HelpWordDoesNotResetTheStatus) {
    const std::string bad = write_temp_file("bad.ini", "[A B]\n");
    const platform::process_result_t res = run_tool({bad, "help"});
    EXPECT_EQ(res.m_stdout, launch() + opening(bad) + label_user_manual_text(tool));
    EXPECT_EQ(res.m_stderr,
              "Error in: " + bad + " at line 1\r\nUnvalid character:   in A Bdevice section\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
}

TEST_F(CommandLine, WhatCannotBeOpenedFails) {
    const std::string dir = std::filesystem::path(temp_path("x")).parent_path().string();
    for (const std::string& path :
         {std::string("-find"), std::string(""), dir, temp_path("name with blanks.ini")}) {
        SCOPED_TRACE(path);
        const platform::process_result_t res = run_tool({path});
        EXPECT_EQ(res.m_stdout, launch() + opening(path));
        EXPECT_EQ(res.m_stderr, open_failure(path));
        EXPECT_EQ(res.m_exit_status, 1);
    }
}

// Line feeds not preceded by a carriage return.
std::size_t lone_line_feeds(const std::string& p_text) {
    std::size_t count = 0;
    for (std::size_t k = 0; k < p_text.size(); ++k) {
        count += p_text[k] == '\n' && (k == 0 || p_text[k - 1] != '\r') ? 1 : 0;
    }
    return count;
}

// The messages carry their own "\r\n". Standard output and error in text mode (the default
// on Windows) would turn each into "\r\r\n" in a file or a pipe: both streams must hold
// every line end as written.
TEST_F(CommandLine, RedirectedOutputHoldsEachLineEndAsWritten) {
    const std::string path = write_temp_file("line_ends.ini", "[A]\r\nL = c@d\n[A B]\n");
    const platform::process_result_t res = run_tool({path, "help"});
    for (const std::string* text : {&res.m_stdout, &res.m_stderr}) {
        EXPECT_NE(text->find("\r\n"), std::string::npos) << *text;
        EXPECT_EQ(text->find("\r\r\n"), std::string::npos) << *text;
        EXPECT_EQ(lone_line_feeds(*text), 0u) << *text;
    }
    EXPECT_EQ(res.m_stderr,
              "Error in: " + path + " at line 3\r\nUnvalid character:   in A Bdevice section\r\n");
}

// Every argument reaches the tool as one word, byte for byte: on Windows the runner joins
// them into one command line that the tool's C runtime splits again.
TEST_F(CommandLine, ArgumentsReachTheToolAsGiven) {
    const std::vector<std::string> args = {"with \"quotes\" inside", "ends in a backslash\\",
                                           "two\\\\\"quoted after backslashes", "tab\there",
                                           "C:\\no such dir\\x y\\"};
    const platform::process_result_t res = run_tool(args);
    std::string out = launch();
    std::string err;
    for (const std::string& arg : args) {
        out += opening(arg);
        err += open_failure(arg);
    }
    EXPECT_EQ(res.m_stdout, out);
    EXPECT_EQ(res.m_stderr, err);
    EXPECT_EQ(res.m_exit_status, 1);
}

TEST_F(CommandLine, PathWithBlanksIsOnePath) {
    const std::string path = write_temp_file("with blanks.ini", no_target);
    const platform::process_result_t res = run_tool({path});
    EXPECT_EQ(res.m_stdout, launch() + opening(path) + greeting + "Done\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
}

TEST_F(CommandLine, ExampleWithErrorsStopsAtTheBadSection) {
    const std::string path = std::string(WBL_EXAMPLES_DIR) + "/errors.ini";
    const platform::process_result_t res = run_tool({path});
    const std::string at = "Error in: " + path + " at line ";
    EXPECT_EQ(res.m_stdout, launch() + opening(path));
    EXPECT_EQ(res.m_stderr,
              at +
                  "5\r\nInvalid formated label, invalid charaters: @ in: \r\nMy@Label = "
                  "ch2@dev-1\r\n"
                  "Warning text contains unsupported character! In " +
                  path + " at line 6position 5 CHARACTER CODE: -30\r\n" + at +
                  "7\r\nInvalid formated device name, got more than one device name.Two words "
                  "= ch4@dev one\r\n" +
                  at + "8\r\nUnvalid character:   in  Bad Namedevice section\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
}

TEST_F(BadInput, BinaryDataGivesADefinedResult) {
    std::string junk;
    unsigned state = 12345;
    for (int k = 0; k < 200000; ++k) {
        state = state * 1103515245u + 12345u;
        junk.push_back(static_cast<char>(state >> 16));
    }
    const std::string path = write_temp_file("junk.bin", "[A]\n" + junk);
    const platform::process_result_t res = run_tool({path});
    EXPECT_TRUE(res.m_exit_status == 0 || res.m_exit_status == 1) << res.m_exit_status;
    EXPECT_EQ(res.m_stdout.substr(0, launch().size()), launch());
}

TEST_F(BadInput, TenMillionByteLineIsRefused) {
    const std::string path =
        write_temp_file("huge_line.ini", "[A]\n" + std::string(10000000, 'a') + "\nL = c@d\n");
    const platform::process_result_t res = run_tool({path});
    EXPECT_EQ(res.m_stderr, "Error in: " + path +
                                " at line 2\r\nInvalid formated line, exceed authorized line "
                                "lenght (5000 characters)\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
}

TEST_F(BadInput, HundredMegabyteFileIsReadToTheEnd) {
    const std::string path = temp_path("big.ini");
    {
        std::string block;
        for (int k = 0; k < 1000; ++k) {
            block += "Label number " + std::to_string(k) + " = Channel " + std::to_string(k) +
                     "@Device-" + std::to_string(k % 7) + "\r\n";
        }
        std::ofstream file(path, std::ios::binary);
        file << "[A]\r\n";
        std::size_t written = 0;
        while (written < 100u * 1024 * 1024) {
            file << block;
            written += block.size();
        }
        file << "[B C]\r\n";  // the last line is refused: everything before it was read
    }
    const platform::process_result_t res = run_tool({path});
    EXPECT_NE(res.m_stderr.find("Unvalid character:   in B Cdevice section\r\n"),
              std::string::npos);
    EXPECT_EQ(res.m_stderr.find("Unvalid", 0), res.m_stderr.rfind("Unvalid"));
    EXPECT_EQ(res.m_exit_status, 1);
    std::filesystem::remove(path);
}

TEST_F(BadInput, UnreadableFileFails) {
    const std::string path = write_temp_file("locked.ini", "[A]\n");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    if (std::ifstream(path).is_open()) {
        // Root reads any file; Windows turns these permissions into a read-only flag only.
        GTEST_SKIP() << "the file stays readable: permissions are not enforced for this user "
                        "or on this system";
    }
    const platform::process_result_t res = run_tool({path});
    EXPECT_EQ(res.m_stderr, open_failure(path));
    EXPECT_EQ(res.m_exit_status, 1);
}

}  // namespace
