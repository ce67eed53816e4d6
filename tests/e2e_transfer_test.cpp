// The executable against the simulated service on port 7000: the dialogue byte for byte,
// the exact command lines the service received, what ends up in device memory, and the
// exit status.
#include <gtest/gtest.h>

#include "platform/process.h"
#include "sim/zel_service_sim.h"
#include "test_support.h"

namespace {

typedef std::vector<std::string> texts_t;

const std::string tool = WBL_TOOL_PATH;

struct target_t {
    const char* m_name;
    const char* m_mac;
    uint32_t m_base;  // P + S in the built-in network
};
const target_t rm6x5 = {"KDX-RM6X5", "00:1D:C1:0A:00:01", 14};
const target_t rm6x243 = {"KDX-RM6x-243", "00:1D:C1:0A:00:02", 26};
const target_t new1 = {"NEW-DEVICE1", "00:1D:C1:0A:00:03", 32};

const std::string greeting = "Welcome to Quentara ZEL-Service\r\n\r\nZEL-Service Connected.\r\n";
const std::string prompt = "Please confirm you want to update the labels: yes(y), no(n): \r\n";

std::string device_line(int p_number, const target_t& p_target) {
    return "\tdevice " + std::to_string(p_number) + ": " + p_target.m_name + " (" + p_target.m_mac +
           ") \r\n";
}

std::string confirm_screen(const std::string& p_devices) {
    return "Ready to update label in those devices:\r\n" + p_devices + prompt;
}

std::string written(const target_t& p_target) {
    const std::string name = p_target.m_name;
    return "Erase " + name + "'s old labels... OK\r\nRunning transfer of " + name +
           "'s new labels... OK\r\n" + name + "'s labels written successfully\r\n";
}

// The data list of a name as the service receives it.
std::string data_list(const std::string& p_name) {
    std::string list;
    for (std::size_t k = 0; k < p_name.size() && k < 32; ++k) {
        list += std::to_string(static_cast<int>(static_cast<signed char>(p_name[k]))) + ",";
    }
    return p_name.size() < 32 ? list + "0" : list;
}

std::string erase_line(const target_t& p_target, uint32_t p_page) {
    std::string zeros = "0";
    for (int k = 1; k < 32; ++k) {
        zeros += ",0";
    }
    return "TBOX_MEM " + std::string(p_target.m_mac) + ";W;0," + std::to_string(p_page) + ",0;" +
           zeros;
}

// The commands of one device update: two location reads, 192 erasures, 3 writes a preset.
texts_t update_commands(const target_t& p_target, uint32_t p_page_index,
                        const std::vector<texts_t>& p_presets) {
    const std::string mac = p_target.m_mac;
    texts_t lines = {"TBOX_MEM " + mac + ";R;0,1,14,1",
                     "TBOX_MEM " + mac + ";R;0," + std::to_string(p_page_index) + ",18,1"};
    for (uint32_t page = 0; page < 192; ++page) {
        lines.push_back(erase_line(p_target, p_target.m_base + page));
    }
    for (std::size_t i = 0; i < p_presets.size(); ++i) {
        for (std::size_t k = 0; k < 3; ++k) {
            lines.push_back("TBOX_MEM " + mac + ";W;0," +
                            std::to_string(p_target.m_base + 3 * i + k) + ",0;" +
                            data_list(p_presets[i][k]));
        }
    }
    return lines;
}

texts_t listing_and_information() {
    texts_t lines = {"LIST_DEV"};
    for (const char* mac :
         {"00:1D:C1:0A:00:01", "00:1D:C1:0A:00:02", "00:1D:C1:0A:00:03", "00:1D:C1:0A:00:04",
          "00:1D:C1:0B:00:01", "00:1D:C1:0C:00:01", "00:1D:C1:0C:00:02", "00:1D:C1:0C:00:03"}) {
        lines.push_back("INFO_EXT " + std::string(mac));
    }
    return lines;
}

texts_t concat(texts_t p_first, const texts_t& p_second) {
    p_first.insert(p_first.end(), p_second.begin(), p_second.end());
    return p_first;
}

class Transfer : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_sim.start(7000)) << "port 7000 is taken"; }
    void TearDown() override { m_sim.stop(); }

    platform::process_result_t run(const std::string& p_content, const std::string& p_answers) {
        m_file = write_temp_file("transfer.ini", p_content);
        return run_files({m_file}, p_answers);
    }

    platform::process_result_t run_files(const texts_t& p_files, const std::string& p_answers) {
        texts_t argv = {tool};
        argv.insert(argv.end(), p_files.begin(), p_files.end());
        platform::process_result_t res = platform::run_process(argv, p_answers, 120000);
        EXPECT_TRUE(res.m_started);
        EXPECT_FALSE(res.m_timed_out);
        return res;
    }

    std::string head() const {
        return "Launch " + tool + "\r\nOpening file: " + m_file + "\r\n" + greeting;
    }

    // Name fields of the label area, "label|device|channel" per preset entry.
    texts_t label_area(const target_t& p_target) const {
        texts_t entries;
        for (uint32_t i = 0; i < 64; ++i) {
            std::string entry;
            for (uint32_t k = 0; k < 3; ++k) {
                const std::vector<uint8_t> page =
                    m_sim.read_page(p_target.m_mac, p_target.m_base + 3 * i + k);
                std::string name;
                for (std::size_t b = 0; b < 32 && b < page.size() && page[b] != 0; ++b) {
                    name.push_back(static_cast<char>(page[b]));
                }
                entry += (k ? "|" : "") + name;
            }
            entries.push_back(entry);
        }
        return entries;
    }

    static texts_t area_with(const texts_t& p_presets) {
        texts_t area = p_presets;
        area.resize(64, "||");
        return area;
    }

    zel_service_sim m_sim;
    std::string m_file;
};

const std::string three_presets =
    "[KDX-RM6X5]\r\n"
    "Radio Varnia = RadioVarnia-ch1@ZUPx3-Radio\r\n"
    "Caf\xC3\xA9 = Lobby Mix@FOH-Console\r\n"
    "Talkback = TB-1@Intercom-1\r\n"
    "[Lobby]\r\n";

TEST_F(Transfer, AcceptedUpdateWritesExactlyTheLabelArea) {
    const platform::process_result_t res = run(three_presets, "y\n");
    EXPECT_EQ(res.m_stdout, head() + confirm_screen(device_line(1, rm6x5)) +
                                "Write labels:\r\n\r\n" + written(rm6x5) + "Done\r\n");
    EXPECT_EQ(res.m_stderr,
              "Warning: those devices were not found on the network:\r\n\tdevice 1: Lobby\r\n\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    const std::vector<texts_t> presets = {{"Radio Varnia", "ZUPx3-Radio", "RadioVarnia-ch1"},
                                          {"Caf\x82", "FOH-Console", "Lobby Mix"},
                                          {"Talkback", "Intercom-1", "TB-1"}};
    EXPECT_EQ(m_sim.command_log(),
              concat(listing_and_information(), update_commands(rm6x5, 10, presets)));
    EXPECT_EQ(m_sim.command_log()[11 + 192],
              "TBOX_MEM 00:1D:C1:0A:00:01;W;0,14,0;82,97,100,105,111,32,86,97,114,110,105,97,0");
    EXPECT_EQ(m_sim.command_log()[11 + 192 + 3],
              "TBOX_MEM 00:1D:C1:0A:00:01;W;0,17,0;67,97,102,-126,0");
    EXPECT_EQ(label_area(rm6x5),
              area_with({"Radio Varnia|ZUPx3-Radio|RadioVarnia-ch1",
                         "Caf\x82|FOH-Console|Lobby Mix", "Talkback|Intercom-1|TB-1"}));
    EXPECT_EQ(m_sim.violations(), texts_t());
}

TEST_F(Transfer, RefusalWritesNothingAndSucceeds) {
    for (const char* answer : {"n\n", "N\n", "quit\n", "  \n\n UNDO\n"}) {
        SCOPED_TRACE(answer);
        m_sim.clear_command_log();
        const platform::process_result_t res = run(three_presets, answer);
        EXPECT_EQ(res.m_stdout, head() + confirm_screen(device_line(1, rm6x5)) +
                                    "Update labels canceled\r\nDone\r\n");
        EXPECT_EQ(res.m_exit_status, 0);
        EXPECT_EQ(m_sim.command_log(), listing_and_information());
    }
    EXPECT_EQ(label_area(rm6x5)[0], "Factory 01|FACTORY|Ch 01");
}

TEST_F(Transfer, ThreeInvalidAnswersCancelAndFail) {
    for (const char* answers : {"maybe 12 x\n", ""}) {
        SCOPED_TRACE(answers);
        m_sim.clear_command_log();
        const platform::process_result_t res = run(three_presets, answers);
        const std::string screen = confirm_screen(device_line(1, rm6x5));
        EXPECT_EQ(res.m_stdout, head() + screen + screen + screen + "Done\r\n");
        EXPECT_EQ(res.m_stderr,
                  "Warning: those devices were not found on the network:\r\n\tdevice 1: "
                  "Lobby\r\n\r\nUnvalid answer (remains 2 try)\r\nUnvalid answer (remains 1 "
                  "try)\r\nUpdate label canceled\r\n");
        EXPECT_EQ(res.m_exit_status, 1);
        EXPECT_EQ(m_sim.command_log(), listing_and_information());
    }
}

TEST_F(Transfer, ThirdAnswerMayAccept) {
    const platform::process_result_t res = run("[KDX-RM6X5]\nA = b@c\n", "maybe\n12\nyes please\n");
    const std::string screen = confirm_screen(device_line(1, rm6x5));
    EXPECT_EQ(res.m_stdout, head() + screen + screen + screen + "Write labels:\r\n\r\n" +
                                written(rm6x5) + "Done\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(label_area(rm6x5)[0], "A|c|b");
}

// Answers typed on a Windows console, or piped from a file written there, end in "\r\n".
TEST_F(Transfer, AnswersEndingInCrLfAreRead) {
    const std::string screen = confirm_screen(device_line(1, rm6x5));
    const platform::process_result_t refused = run("[KDX-RM6X5]\nA = b@c\n", "n\r\n");
    EXPECT_EQ(refused.m_stdout, head() + screen + "Update labels canceled\r\nDone\r\n");
    EXPECT_EQ(refused.m_exit_status, 0);

    const platform::process_result_t res = run("[KDX-RM6X5]\nA = b@c\n", "maybe\r\ny\r\n");
    EXPECT_EQ(res.m_stdout,
              head() + screen + screen + "Write labels:\r\n\r\n" + written(rm6x5) + "Done\r\n");
    EXPECT_EQ(res.m_stderr, "Unvalid answer (remains 2 try)\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(label_area(rm6x5)[0], "A|c|b");
}

// A section makes the record of its last device at once, the others at their first label
// line: the last device is the first target.
TEST_F(Transfer, GroupsAreNumberedEachFromOne) {
    const platform::process_result_t res = run(
        "[Ghost-1, ZUPx3-Radio, Ghost-2, kdx-rm6x5, NEW-DEVICE1, KDX-RM6x-243]\nL = c@d\n", "y\n");
    EXPECT_EQ(res.m_stderr,
              "Warning: those devices were not found on the network:\r\n\tdevice 1: "
              "Ghost-1\r\n\tdevice 2: Ghost-2\r\n\tdevice 3: kdx-rm6x5\r\n\r\n"
              "Warning: those devices were found but are not KALDEM-RM6X compatible devices: "
              "\r\n\tdevice 1: ZUPx3-Radio (00:1D:C1:0B:00:01) \r\n");
    EXPECT_EQ(res.m_stdout,
              head() + confirm_screen(device_line(1, rm6x243) + device_line(2, new1)) +
                  "Write labels:\r\n\r\n" + written(rm6x243) + written(new1) + "Done\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(label_area(new1)[0], "L|d|c");
    EXPECT_EQ(label_area(rm6x243)[0], "L|d|c");
    EXPECT_EQ(label_area(rm6x5)[0], "Factory 01|FACTORY|Ch 01");
    EXPECT_EQ(m_sim.violations(), texts_t());
}

TEST_F(Transfer, DeviceWithoutPresetsIsOnlyErased) {
    const platform::process_result_t res = run("[KDX-RM6X5]\n", "y\n");
    EXPECT_EQ(res.m_stderr,
              "Warning: no labels was set for KDX-RM6X5. All of its current stored labels will "
              "be erased.\r\n");
    EXPECT_EQ(res.m_stdout, head() + confirm_screen(device_line(1, rm6x5)) +
                                "Write labels:\r\n\r\nErase KDX-RM6X5's old labels... "
                                "OK\r\nKDX-RM6X5's labels erased successfully\r\nDone\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(m_sim.command_log(),
              concat(listing_and_information(), update_commands(rm6x5, 10, {})));
    EXPECT_EQ(label_area(rm6x5), area_with({}));
}

TEST_F(Transfer, SixtyFivePresetsWriteTheFirstSixtyFour) {
    std::string file = "[KDX-RM6X5]\n";
    std::vector<texts_t> presets;
    texts_t area;
    for (int k = 1; k <= 65; ++k) {
        const std::string n = std::to_string(k);
        file += "Label " + n + " = ch" + n + "@dev-" + n + "\n";
        if (k <= 64) {
            presets.push_back({"Label " + n, "dev-" + n, "ch" + n});
            area.push_back("Label " + n + "|dev-" + n + "|ch" + n);
        }
    }
    const platform::process_result_t res = run(file, "y\n");
    EXPECT_EQ(res.m_stderr,
              "KDX-RM6X5's labels number is greater than 64 Labels 1 to 64 will be written, "
              "further labels will be ignored\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(m_sim.command_log(),
              concat(listing_and_information(), update_commands(rm6x5, 10, presets)));
    EXPECT_EQ(label_area(rm6x5), area);
    EXPECT_EQ(m_sim.violations(), texts_t());
}

TEST_F(Transfer, NameFieldsOfThirtyTwoBytesHaveNoEndingZero) {
    const std::string label32(32, 'L');
    const platform::process_result_t res =
        run("[KDX-RM6X5]\n" + label32 + " = " + std::string(40, 'c') + "@d\n", "y\n");
    EXPECT_EQ(res.m_exit_status, 0);
    const std::string last = m_sim.command_log().back();
    EXPECT_EQ(last, "TBOX_MEM 00:1D:C1:0A:00:01;W;0,16,0;" + data_list(std::string(32, 'c')));
    EXPECT_EQ(last.back(), ',');
    const std::vector<uint8_t> page = m_sim.read_page(rm6x5.m_mac, 14);
    EXPECT_EQ(std::string(page.begin(), page.begin() + 32), label32);
    EXPECT_EQ(page[32], 0);
}

TEST_F(Transfer, FileWithoutTargetsListsAndSucceeds) {
    const platform::process_result_t res = run("; nothing to write\n", "");
    EXPECT_EQ(res.m_stdout, head() + "Done\r\n");
    EXPECT_EQ(res.m_stderr, "No matching KALDEN-RM6X devices.\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(m_sim.command_log(), listing_and_information());
}

TEST_F(Transfer, TwoFilesShareOneConnection) {
    const std::string first = write_temp_file("first.ini", "[KDX-RM6X5]\nA = b@c\n");
    const std::string second = write_temp_file("second.ini", "D = e@f\n[NEW-DEVICE1]\nG = h@i\n");
    const platform::process_result_t res = run_files({first, second}, "y\ny\n");
    EXPECT_EQ(res.m_stdout, "Launch " + tool + "\r\nOpening file: " + first + "\r\n" + greeting +
                                confirm_screen(device_line(1, rm6x5)) + "Write labels:\r\n\r\n" +
                                written(rm6x5) + "Done\r\nOpening file: " + second + "\r\n" +
                                confirm_screen(device_line(1, new1)) + "Write labels:\r\n\r\n" +
                                written(new1) + "Done\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(m_sim.connection_count(), 1u);
    // The label line above the second file's section went nowhere.
    EXPECT_EQ(label_area(rm6x5), area_with({"A|c|b"}));
    EXPECT_EQ(label_area(new1), area_with({"G|i|h"}));
}

TEST_F(Transfer, RejectedFileNeverContactsTheService) {
    const platform::process_result_t res = run("[KDX-RM6X5]\n[A B]\n", "y\n");
    EXPECT_EQ(res.m_exit_status, 1);
    EXPECT_EQ(res.m_stdout, "Launch " + tool + "\r\nOpening file: " + m_file + "\r\n");
    EXPECT_EQ(m_sim.connection_count(), 0u);
}

}  // namespace
