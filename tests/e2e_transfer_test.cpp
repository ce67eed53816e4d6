// The tool against the simulated service: the dialogue byte for byte, the command lines the
// service received, what ends up in device memory, and the exit status.
#include "e2e_support.h"

namespace {

const std::string zeros32 = "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0";
const std::string unvalid_2 = "Unvalid answer (remains 2 try)\r\n";
const std::string unvalid_1 = "Unvalid answer (remains 1 try)\r\n";
const std::string lobby_not_found =
    "Warning: those devices were not found on the network:\r\n\tdevice 1: Lobby\r\n\r\n";

class Transfer : public e2e_test {
  protected:
    platform::process_result_t run(const std::string& p_content, const std::string& p_answers) {
        m_file = write_temp_file("transfer.ini", p_content);
        return run_tool({m_file}, p_answers);
    }
    std::string head() const { return launch() + opening(m_file) + G_greeting; }

    std::string m_file;
};

const std::string three_presets =
    "[KDX-RM6X5]\r\n"
    "Radio Varnia = RadioVarnia-ch1@ZUPx3-Radio\r\n"
    "Caf\xC3\xA9 = Lobby Mix@FOH-Console\r\n"
    "Talkback = TB-1@Intercom-1\r\n"
    "[Lobby]\r\n";

TEST_F(Transfer, AcceptedUpdateErasesTheLabelAreaThenWritesThePresets) {
    const platform::process_result_t res = run(three_presets, "y\n");
    EXPECT_EQ(res.m_stdout, head() + confirm_screen(device_line(1, G_rm6x5)) +
                                "Write labels:\r\n\r\n" + written(G_rm6x5) + "Done\r\n");
    EXPECT_EQ(res.m_stderr, lobby_not_found);
    EXPECT_EQ(res.m_exit_status, 0);
    const std::string mac = G_rm6x5.m_mac;
    texts_t expected = G_listing_and_information;
    expected.push_back("TBOX_MEM " + mac + ";R;0,1,14,1");
    expected.push_back("TBOX_MEM " + mac + ";R;0,10,18,1");
    for (int page = 14; page <= 205; ++page) {
        expected.push_back("TBOX_MEM " + mac + ";W;0," + std::to_string(page) + ",0;" + zeros32);
    }
    // clang-format off
    const char* const writes[] = {  // the three name fields of each preset, pages 14 to 22
        "14,0;82,97,100,105,111,32,86,97,114,110,105,97,0", "15,0;90,85,80,120,51,45,82,97,100,105,111,0",
        "16,0;82,97,100,105,111,86,97,114,110,105,97,45,99,104,49,0", "17,0;67,97,102,-126,0",
        "18,0;70,79,72,45,67,111,110,115,111,108,101,0", "19,0;76,111,98,98,121,32,77,105,120,0",
        "20,0;84,97,108,107,98,97,99,107,0", "21,0;73,110,116,101,114,99,111,109,45,49,0", "22,0;84,66,45,49,0",
    };
    // clang-format on
    for (const char* write : writes) {
        expected.push_back("TBOX_MEM " + mac + ";W;0," + write);
    }
    EXPECT_EQ(m_sim.command_log(), expected);
    texts_t area = {"Radio Varnia|ZUPx3-Radio|RadioVarnia-ch1", "Caf\x82|FOH-Console|Lobby Mix",
                    "Talkback|Intercom-1|TB-1"};
    area.resize(64, "||");
    EXPECT_EQ(label_area(m_sim, G_rm6x5), area);
    EXPECT_EQ(m_sim.violations(), texts_t());
}

TEST_F(Transfer, AnswersAtThePrompt) {
    struct answer_case_t {
        std::string m_answers;
        int m_screens;        // how often the confirmation screen is shown
        std::string m_after;  // after the last screen
        std::string m_err;    // after the warning about Lobby
        int m_status;
        std::string m_first;  // first preset entry of KDX-RM6X5 afterwards
    };
    const std::string factory = "Factory 01|FACTORY|Ch 01";
    const std::string refused = "Update labels canceled\r\nDone\r\n";
    const std::string accepted = "Write labels:\r\n\r\n" + written(G_rm6x5) + "Done\r\n";
    const answer_case_t cases[] = {
        {"  \r\n\n UNDO\r\n", 1, refused, "", 0, factory},
        {"maybe 12 x\n", 3, "Done\r\n", unvalid_2 + unvalid_1 + "Update label canceled\r\n", 1,
         factory},
        {"maybe\r\n12\r\nyes please\r\n", 3, accepted, unvalid_2 + unvalid_1, 0, "A|c|b"},
        {std::string(5000, 'y') + " y\n", 2, accepted, unvalid_2, 0, "A|c|b"},  // 4 KiB at most
    };
    for (const answer_case_t& c : cases) {
        SCOPED_TRACE(c.m_answers);
        m_sim.clear_command_log();
        const platform::process_result_t res = run("[KDX-RM6X5]\nA = b@c\n[Lobby]\n", c.m_answers);
        std::string screens;
        for (int k = 0; k < c.m_screens; ++k) {
            screens += confirm_screen(device_line(1, G_rm6x5));
        }
        EXPECT_EQ(res.m_stdout, head() + screens + c.m_after);
        EXPECT_EQ(res.m_stderr, lobby_not_found + c.m_err);
        EXPECT_EQ(res.m_exit_status, c.m_status);
        EXPECT_EQ(label_area(m_sim, G_rm6x5, 1), texts_t({c.m_first}));
        EXPECT_EQ(m_sim.command_log().size(), c.m_first == factory ? 9u : 9u + 2 + 192 + 3);
    }
}

// A section makes the record of its last device at once, the others at their first label
// line: the last device is the first target.
TEST_F(Transfer, TargetsSortedIntoThreeGroupsEachNumberedFromOne) {
    const platform::process_result_t res =
        run("[Ghost-1, ZUPx3-Radio, MON-Rack, Ghost-2, kdx-rm6x5, Stage-Mics, NEW-DEVICE1, "
            "KDX-RM6x-243]\nL = c@d\n",
            "y\n");
    EXPECT_EQ(res.m_stderr,
              "Warning: those devices were not found on the network:\r\n\tdevice 1: "
              "Ghost-1\r\n\tdevice 2: Ghost-2\r\n\tdevice 3: kdx-rm6x5\r\n\r\n"
              "Warning: those devices were found but are not KALDEM-RM6X compatible devices: "
              "\r\n\tdevice 1: ZUPx3-Radio (00:1D:C1:0B:00:01) \r\n\tdevice 2: MON-Rack "
              "(00:1D:C1:0C:00:02) \r\n\tdevice 3: Stage-Mics (00:1D:C1:0C:00:03) \r\n");
    EXPECT_EQ(res.m_stdout,
              head() + confirm_screen(device_line(1, G_rm6x243) + device_line(2, G_new1)) +
                  "Write labels:\r\n\r\n" + written(G_rm6x243) + written(G_new1) + "Done\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(label_area(m_sim, G_new1, 1), texts_t({"L|d|c"}));
    EXPECT_EQ(label_area(m_sim, G_rm6x243, 1), texts_t({"L|d|c"}));
    EXPECT_EQ(m_sim.command_log().size(), 9u + 2 * (2 + 192 + 3));  // those two alone
}

TEST(Ambiguity, TargetsThatCannotBeToldApartAreNeverWritten) {
    zel_service_sim sim(
        network_of("KDX-RM6X5 00:1D:C1:0A:00:01 5 2 3 10 4\n"
                   "KDX-RM6X5 00:1D:C1:0A:00:09 5 2 3 10 4\n"
                   "STAGE-A 00:1d:c1:0a:00:05 5 2 3 10 4\n"
                   "STAGE-B 00:1D:C1:0A:00:05 5 2 3 10 4\n"
                   "NEW-DEVICE1 00:1D:C1:0A:00:03 5 2 4 2 30\n"));
    ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
    const std::string file =
        write_temp_file("ambiguous.ini", "[KDX-RM6X5, STAGE-A, NEW-DEVICE1]\nL = c@d\n");
    const platform::process_result_t res = run_tool({file}, "y\n");
    EXPECT_EQ(res.m_stderr,
              "Warning: KDX-RM6X5 is the name of more than one device on the network: "
              "00:1D:C1:0A:00:01 and 00:1D:C1:0A:00:09. It is not written.\r\nWarning: the device "
              "00:1d:c1:0a:00:05 answers as STAGE-A and STAGE-B: STAGE-A is not written.\r\n");
    EXPECT_EQ(res.m_stdout, launch() + opening(file) + G_greeting +
                                confirm_screen(device_line(1, G_new1)) + "Write labels:\r\n\r\n" +
                                written(G_new1) + "Done\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(sim.command_log().size(), 6u + 2 + 192 + 3);  // only NEW-DEVICE1 was written
}

TEST_F(Transfer, SixtyFivePresetsWriteTheFirstSixtyFourAndFullNamesHaveNoEndingZero) {
    std::string file =
        "[KDX-RM6X5]\n" + std::string(32, 'L') + " = " + std::string(40, 'c') + "@d\n";
    texts_t area = {std::string(32, 'L') + "|d|" + std::string(32, 'c')};
    for (int k = 2; k <= 65; ++k) {
        const std::string n = std::to_string(k);
        file += "Label " + n + " = ch" + n + "@dev-" + n + "\n";
        area.push_back("Label " + n + "|dev-" + n + "|ch" + n);
    }
    area.pop_back();
    const platform::process_result_t res = run(file, "y\n");
    EXPECT_EQ(res.m_stderr,
              "Warning in: " + m_file + " at line 2\r\n" + std::string(40, 'c') +
                  " is larger than 32 characters,  the excess will be ignored\r\n"
                  "KDX-RM6X5's labels number is greater than 64 Labels 1 to 64 will be written, "
                  "further labels will be ignored\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(label_area(m_sim, G_rm6x5), area);
    const texts_t log = m_sim.command_log();
    ASSERT_EQ(log.size(), 9u + 2 + 192 + 192);
    std::string full_label = "TBOX_MEM 00:1D:C1:0A:00:01;W;0,14,0;";
    for (int k = 0; k < 32; ++k) {
        full_label += "76,";
    }
    EXPECT_EQ(log[9 + 2 + 192], full_label);
    EXPECT_EQ(m_sim.violations(), texts_t());
}

// The second file's label line above its first section goes nowhere; its device, without
// presets, is only erased. The first file's refused label line is named again before the
// prompt, and fails the run although every device is written.
TEST_F(Transfer, TwoFilesShareOneConnection) {
    const std::string first = write_temp_file("first.ini", "[KDX-RM6X5]\nB@x = b@FOH\nA = b@c\n");
    const std::string second = write_temp_file("second.ini", "D = e@f\n[NEW-DEVICE1]\n");
    const platform::process_result_t res = run_tool({first, second}, "y\ny\n");
    EXPECT_EQ(res.m_stdout,
              launch() + opening(first) + G_greeting + confirm_screen(device_line(1, G_rm6x5)) +
                  "Write labels:\r\n\r\n" + written(G_rm6x5) + "Done\r\n" + opening(second) +
                  confirm_screen(device_line(1, G_new1)) + "Write labels:\r\n\r\n" +
                  "Erase NEW-DEVICE1's old labels... OK\r\nNEW-DEVICE1's labels erased "
                  "successfully\r\nDone\r\n");
    EXPECT_EQ(res.m_stderr,
              "Error in: " + first +
                  " at line 2\r\nInvalid formated label, invalid charaters: @ in: \r\nB@x = "
                  "b@FOH\r\nWarning: line 2 of " +
                  first +
                  " was refused: the presets after it land 1 entry earlier than the file "
                  "numbers them.\r\nWarning: no labels was set for NEW-DEVICE1. All of its "
                  "current stored labels will be erased.\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    EXPECT_EQ(m_sim.connection_count(), 1u);
    EXPECT_EQ(label_area(m_sim, G_rm6x5, 2), texts_t({"A|c|b", "||"}));
    EXPECT_EQ(label_area(m_sim, G_new1), texts_t(64, "||"));
}

}  // namespace
