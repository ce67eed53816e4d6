// The tool against a misbehaving service: one case per fault, each with the messages, the
// exit status, an end within the deadlines (the run is killed after a bound otherwise),
// and the guard rails: nothing written outside any label area, no device written after
// its erase failed.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "platform/process.h"
#include "sim/zel_service_sim.h"
#include "test_support.h"

namespace {

typedef std::vector<std::string> texts_t;

const std::string tool = WBL_TOOL_PATH;
const std::string greeting = "Welcome to Quentara ZEL-Service\r\n\r\nZEL-Service Connected.\r\n";
const std::string prompt = "Please confirm you want to update the labels: yes(y), no(n): \r\n";
const std::string no_answer = "Cmd failed (No respons)!\r\n";

// KDX-RM6X5 (00:1D:C1:0A:00:01) comes first: the section makes the record of its last
// name at once. Both take two presets.
const std::string two_devices = "[NEW-DEVICE1, KDX-RM6X5]\nA = b@c\nD = e@f\n";
const std::string confirm_two =
    "Ready to update label in those devices:\r\n\tdevice 1: KDX-RM6X5 (00:1D:C1:0A:00:01) "
    "\r\n\tdevice 2: NEW-DEVICE1 (00:1D:C1:0A:00:03) \r\n" +
    prompt + "Write labels:\r\n\r\n";

std::string written(const std::string& p_name) {
    return "Erase " + p_name + "'s old labels... OK\r\nRunning transfer of " + p_name +
           "'s new labels... OK\r\n" + p_name + "'s labels written successfully\r\n";
}

std::string failed(const std::string& p_name) {
    return p_name + "'s labels writting process failed, check device connection.\r\n";
}

const std::string erase_rm6x5 = "Erase KDX-RM6X5's old labels...";
const std::string erase_failed = " FAILED\r\n" + failed("KDX-RM6X5");

bool is_erase(const std::string& p_command) {
    std::string zeros = ";0";
    for (int k = 1; k < 32; ++k) {
        zeros += ",0";
    }
    return p_command.find(";W;") != std::string::npos && p_command.size() > zeros.size() &&
           p_command.compare(p_command.size() - zeros.size(), zeros.size(), zeros) == 0;
}

// Devices whose erase did not run to its 192nd page and yet received a name write.
texts_t written_after_failed_erase(const texts_t& p_log) {
    std::map<std::string, int> erased;
    std::map<std::string, bool> named;
    for (const std::string& command : p_log) {
        if (command.compare(0, 9, "TBOX_MEM ") != 0 || command.find(";W;") == std::string::npos) {
            continue;
        }
        const std::string mac = command.substr(9, command.find(';') - 9);
        if (is_erase(command) && !named[mac]) {
            ++erased[mac];
        } else {
            named[mac] = true;
        }
    }
    texts_t offenders;
    for (const auto& entry : named) {
        if (entry.second && erased[entry.first] < 192) {
            offenders.push_back(entry.first);
        }
    }
    return offenders;
}

// The first two name fields of the device's first preset, "label|device".
std::string first_preset(const zel_service_sim& p_sim, const std::string& p_mac, uint32_t p_base) {
    std::string text;
    for (uint32_t k = 0; k < 2; ++k) {
        const std::vector<uint8_t> page = p_sim.read_page(p_mac, p_base + k);
        std::string name;
        for (std::size_t b = 0; b < 32 && b < page.size() && page[b] != 0; ++b) {
            name.push_back(static_cast<char>(page[b]));
        }
        text += (k ? "|" : "") + name;
    }
    return text;
}

struct fault_case_t {
    const char* m_name;
    texts_t m_faults;
    bool m_greeting;
    int m_greeting_pieces;
    int m_latency_ms;
    std::string m_stdout;  // after the "Opening file" line
    std::string m_stderr;
    int m_exit_status;
    std::string m_rm6x5_first;  // first preset of KDX-RM6X5 afterwards
    std::string m_new1_first;   // and of NEW-DEVICE1
};

class Faults : public testing::Test {
  protected:
    platform::process_result_t run_tool(const std::string& p_file) {
        const platform::process_result_t res = platform::run_process({tool, p_file}, "y\n", 60000);
        EXPECT_TRUE(res.m_started);
        EXPECT_FALSE(res.m_timed_out) << "the run did not end within its deadlines";
        return res;
    }
};

TEST_F(Faults, TableOfServiceFaults) {
    const std::string factory = "Factory 01|FACTORY";
    const fault_case_t cases[] = {
        {"plain run",
         {},
         true,
         1,
         0,
         greeting + confirm_two + written("KDX-RM6X5") + written("NEW-DEVICE1") + "Done\r\n",
         "",
         0,
         "A|c",
         "A|c"},
        {"no greeting",
         {},
         false,
         1,
         0,
         confirm_two + written("KDX-RM6X5") + written("NEW-DEVICE1") + "Done\r\n",
         "",
         0,
         "A|c",
         "A|c"},
        {"greeting in slow pieces",
         {},
         true,
         4,
         0,
         greeting + confirm_two + written("KDX-RM6X5") + written("NEW-DEVICE1") + "Done\r\n",
         "",
         0,
         "A|c",
         "A|c"},
        {"latency of 5 ms on every command",
         {},
         true,
         1,
         5,
         greeting + confirm_two + written("KDX-RM6X5") + written("NEW-DEVICE1") + "Done\r\n",
         "",
         0,
         "A|c",
         "A|c"},
        {"connection closed during the listing",
         {"kind=LIST_DEV:close"},
         true,
         1,
         0,
         greeting + "Done\r\n",
         no_answer + "Warning: those devices were not found on the network:\r\n\tdevice 1: "
                     "KDX-RM6X5\r\n\tdevice 2: NEW-DEVICE1\r\n\r\nNo matching KALDEN-RM6X "
                     "devices.\r\n",
         1,
         factory,
         factory},
        {"connection closed during the information requests",
         {"kind=INFO_EXT,nth=1:close"},
         true,
         1,
         0,
         greeting + greeting +
             "Ready to update label in those devices:\r\n\tdevice 1: NEW-DEVICE1 "
             "(00:1D:C1:0A:00:03) \r\n" +
             prompt + "Write labels:\r\n\r\n" + written("NEW-DEVICE1") + "Done\r\n",
         no_answer + "Warning: those devices were not found on the network:\r\n\tdevice 1: "
                     "KDX-RM6X5\r\n\r\n",
         0,
         factory,
         "A|c"},
        {"connection closed during an erase",
         {"kind=TBOX_MEM_W,nth=50:close"},
         true,
         1,
         0,
         greeting + confirm_two + erase_rm6x5 + greeting + written("NEW-DEVICE1") + "Done\r\n",
         no_answer + erase_failed,
         1,
         "|",
         "A|c"},
        {"connection closed during a write",
         {"kind=TBOX_MEM_W,nth=195:close"},
         true,
         1,
         0,
         greeting + confirm_two + erase_rm6x5 +
             " OK\r\nRunning transfer of KDX-RM6X5's new labels..." + greeting +
             written("NEW-DEVICE1") + "Done\r\n",
         no_answer + failed("KDX-RM6X5"),
         1,
         "A|c",
         "A|c"},
        {"FAILED at the first read",
         {"kind=TBOX_MEM_R,nth=1:failed"},
         true,
         1,
         0,
         greeting + confirm_two + erase_rm6x5 + written("NEW-DEVICE1") + "Done\r\n",
         erase_failed,
         1,
         factory,
         "A|c"},
        {"FAILED at the 100th erase",
         {"kind=TBOX_MEM_W,nth=100:failed"},
         true,
         1,
         0,
         greeting + confirm_two + erase_rm6x5 + written("NEW-DEVICE1") + "Done\r\n",
         erase_failed,
         1,
         "|",
         "A|c"},
        {"FAILED at a write",
         {"kind=TBOX_MEM_W,nth=194:failed"},
         true,
         1,
         0,
         greeting + confirm_two + erase_rm6x5 +
             " OK\r\nRunning transfer of KDX-RM6X5's new labels..." + written("NEW-DEVICE1") +
             "Done\r\n",
         failed("KDX-RM6X5"),
         1,
         "A|",
         "A|c"},
        {"no answer in time, the late answer comes during the next command",
         {"kind=TBOX_MEM_R,nth=1:delay=700"},
         true,
         1,
         0,
         greeting + confirm_two + erase_rm6x5 + written("NEW-DEVICE1") + "Done\r\n",
         no_answer + erase_failed,
         1,
         factory,
         "A|c"},
        {"an answer line split over two segments",
         {"kind=TBOX_MEM_W,nth=10:split=100", "kind=INFO_EXT,nth=2:split=50"},
         true,
         1,
         0,
         greeting + confirm_two + written("KDX-RM6X5") + written("NEW-DEVICE1") + "Done\r\n",
         "",
         0,
         "A|c",
         "A|c"},
        {"a garbage line before every answer",
         {"kind=INFO_EXT:garbage", "kind=TBOX_MEM_R:garbage", "kind=TBOX_MEM_W,nth=3:garbage"},
         true,
         1,
         0,
         greeting + confirm_two + written("KDX-RM6X5") + written("NEW-DEVICE1") + "Done\r\n",
         "",
         0,
         "A|c",
         "A|c"},
        {"a page-index answer with two values",
         {"kind=TBOX_MEM_R,nth=1:values=10,11"},
         true,
         1,
         0,
         greeting + confirm_two + "incorrect size2\r\n" + erase_rm6x5 + written("NEW-DEVICE1") +
             "Done\r\n",
         "READ_CSPR_IDX_FAILED\r\n" + erase_failed,
         1,
         factory,
         "A|c"},
        {"a start-offset answer with a non-digit",
         {"kind=TBOX_MEM_R,nth=2:values=4x"},
         true,
         1,
         0,
         greeting + confirm_two + erase_rm6x5 + written("NEW-DEVICE1") + "Done\r\n",
         "read device_preset_offset failed\r\n" + erase_failed,
         1,
         factory,
         "A|c"},
    };
    const std::string file = write_temp_file("faults.ini", two_devices);
    for (const fault_case_t& c : cases) {
        SCOPED_TRACE(c.m_name);
        zel_service_sim sim;
        for (const std::string& text : c.m_faults) {
            sim_fault_t fault;
            std::string error;
            ASSERT_TRUE(parse_fault(text, fault, error)) << error;
            sim.add_fault(fault);
        }
        sim.set_greeting(c.m_greeting, c.m_greeting_pieces, 300);
        sim.set_latency_ms(c.m_latency_ms);
        ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
        const platform::process_result_t res = run_tool(file);
        EXPECT_EQ(res.m_stdout,
                  "Launch " + tool + "\r\nOpening file: " + file + "\r\n" + c.m_stdout);
        EXPECT_EQ(res.m_stderr, c.m_stderr);
        EXPECT_EQ(res.m_exit_status, c.m_exit_status);
        EXPECT_EQ(first_preset(sim, "00:1D:C1:0A:00:01", 14), c.m_rm6x5_first);
        EXPECT_EQ(first_preset(sim, "00:1D:C1:0A:00:03", 32), c.m_new1_first);
        EXPECT_EQ(sim.violations(), texts_t());
        EXPECT_EQ(written_after_failed_erase(sim.command_log()), texts_t());
        sim.stop();
    }
}

TEST_F(Faults, ServiceDown) {
    const std::string file = write_temp_file("down.ini", two_devices);
    const platform::process_result_t res = run_tool(file);
    EXPECT_EQ(res.m_stdout, "Launch " + tool + "\r\nOpening file: " + file + "\r\nDone\r\n");
    EXPECT_EQ(res.m_stderr,
              "ZEL-Service connection failed!\r\nWarning: those devices were not found on the "
              "network:\r\n\tdevice 1: KDX-RM6X5\r\n\tdevice 2: NEW-DEVICE1\r\n\r\nNo matching "
              "KALDEN-RM6X devices.\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
}

std::string mac_of(int p_index) {
    char text[18];
    std::snprintf(text, sizeof(text), "02:00:00:00:%02X:%02X", (p_index >> 8) & 0xFF,
                  p_index & 0xFF);
    return text;
}

// A network of p_count devices named Dev-1 ... with P = 10, S = 4; the first
// p_compatible are of the supported family and model.
sim_network_t generated_network(int p_count, int p_compatible) {
    std::string text = "network Big-Net\n";
    for (int k = 1; k <= p_count; ++k) {
        text += "Dev-" + std::to_string(k) + " " + mac_of(k) +
                (k <= p_compatible ? " 5 2 1 10 4\n" : " 3 1 1 10 4\n");
    }
    sim_network_t network;
    std::string error;
    EXPECT_TRUE(parse_network_text(text, "generated", network, error)) << error;
    return network;
}

TEST_F(Faults, ListingOfAThousandDevices) {
    zel_service_sim sim(generated_network(1000, 1000));
    ASSERT_TRUE(sim.start(7000));
    const std::string file = write_temp_file("thousand.ini", "[Dev-1000]\nL = c@d\n");
    const platform::process_result_t res = run_tool(file);
    EXPECT_EQ(res.m_stderr, "");
    EXPECT_EQ(res.m_exit_status, 0);
    const texts_t log = sim.command_log();
    ASSERT_EQ(log.size(), 1u + 1000u + 2u + 192u + 3u);
    EXPECT_EQ(log[1000], "INFO_EXT " + mac_of(1000));
    EXPECT_EQ(first_preset(sim, mac_of(1000), 14), "L|d");
    EXPECT_EQ(sim.violations(), texts_t());
}

TEST_F(Faults, FiftyDevicesOfSixtyFourPresets) {
    zel_service_sim sim(generated_network(60, 50));
    ASSERT_TRUE(sim.start(7000));
    std::string file = "[";
    for (int k = 1; k <= 50; ++k) {
        file += (k > 1 ? ", Dev-" : "Dev-") + std::to_string(k);
    }
    file += "]\n";
    for (int p = 1; p <= 64; ++p) {
        file += "Label " + std::to_string(p) + " = Channel " + std::to_string(p) + "@Rack-" +
                std::to_string(p) + "\n";
    }
    const platform::process_result_t res = run_tool(write_temp_file("fifty.ini", file));
    EXPECT_EQ(res.m_stderr, "");
    EXPECT_EQ(res.m_exit_status, 0);
    EXPECT_EQ(sim.command_log().size(), 1u + 60u + 50u * 386u);
    for (int k = 1; k <= 50; ++k) {
        EXPECT_EQ(first_preset(sim, mac_of(k), 14), "Label 1|Rack-1") << k;
        EXPECT_EQ(first_preset(sim, mac_of(k), 14 + 3 * 63), "Label 64|Rack-64") << k;
    }
    EXPECT_EQ(sim.violations(), texts_t());
}

}  // namespace
