// The simulated network, the factory image of a device's memory, and the command line of
// the zel_service_sim program.
#include <gtest/gtest.h>

#include "platform/process.h"
#include "sim/sim_network.h"
#include "sim/sim_program.h"
#include "test_support.h"

namespace {

TEST(SimNetwork, BuiltInNetworkHasEveryKindOfDevice) {
    struct device_case_t {
        const char* m_name;
        bool m_compatible;  // mir 5 and pir 2
    };
    const device_case_t cases[] = {
        {"KDX-RM6X5", true},   {"KDX-RM6x-243", true}, {"NEW-DEVICE1", true},
        {"NEW-DEVICE2", true}, {"ZUPx3-Radio", false}, {"FOH-Console", false},
        {"MON-Rack", false},   {"Stage-Mics", false},
    };
    const sim_network_t network = default_network();
    ASSERT_EQ(network.m_devices.size(), sizeof(cases) / sizeof(cases[0]));
    std::vector<uint32_t> compatible_bases;
    for (std::size_t i = 0; i < network.m_devices.size(); ++i) {
        const sim_device_t& device = network.m_devices[i];
        EXPECT_EQ(device.m_name, cases[i].m_name);
        EXPECT_EQ(device.m_mir == 5 && device.m_pir == 2, cases[i].m_compatible) << device.m_name;
        EXPECT_TRUE(device.m_listed);
        if (cases[i].m_compatible) {
            compatible_bases.push_back(label_area_base(device));
        }
    }
    EXPECT_EQ(network.m_devices[4].m_mir, 7);  // found, but of another family
    EXPECT_EQ(network.m_devices[4].m_pir, 1);
    std::sort(compatible_bases.begin(), compatible_bases.end());
    EXPECT_EQ(std::unique(compatible_bases.begin(), compatible_bases.end()),
              compatible_bases.end());
}

TEST(SimNetwork, ReadsDevicesCommentsAndTheNetworkName) {
    sim_network_t network;
    std::string error;
    ASSERT_TRUE(
        parse_network_text("# racks\r\nnetwork Hall-B\r\n\r\n"
                           "  Desk  02:00:00:00:00:01 5 2 -1 3 5  # the desk\r\n"
                           "Hidden 02:00:00:00:00:aa 1 2 3 255 255 unlisted\r\n",
                           "n.txt", network, error))
        << error;
    EXPECT_EQ(network.m_name, "Hall-B");
    ASSERT_EQ(network.m_devices.size(), 2u);
    const sim_device_t& desk = network.m_devices[0];
    EXPECT_EQ(desk.m_name + " " + desk.m_mac, "Desk 02:00:00:00:00:01");
    EXPECT_EQ(std::vector<int>({desk.m_mir, desk.m_pir, desk.m_fir}), std::vector<int>({5, 2, -1}));
    EXPECT_EQ(label_area_base(desk), 8u);
    EXPECT_TRUE(desk.m_listed);
    EXPECT_FALSE(network.m_devices[1].m_listed);
    EXPECT_EQ(label_area_base(network.m_devices[1]), 510u);
}

TEST(SimNetwork, RefusesABadLineWithFileAndLine) {
    struct bad_case_t {
        const char* m_line;
        const char* m_error;
    };
    const bad_case_t cases[] = {
        {"Desk 02:00:00:00:00:02 5 2 0 3", "found 6 words"},
        {"Desk 02:00:00:00:00:02 5 2 0 3 5 hidden",
         "the eighth word can only be \"unlisted\", found hidden"},
        {"Desk 02-00-00-00-00-02 5 2 0 3 5",
         "not a MAC address like 00:1D:C1:0A:00:01: "
         "02-00-00-00-00-02"},
        {"Desk 02:00:00:00:00:0G 5 2 0 3 5", "not a MAC address"},
        {"Desk 02:00:00:00:00:02 five 2 0 3 5", "mir, pir and fir must be decimal integers"},
        {"Desk 02:00:00:00:00:02 5 2 0 0 5", "P and S must be numbers from 1 to 255"},
        {"Desk 02:00:00:00:00:02 5 2 0 3 256", "P and S must be numbers from 1 to 255"},
        {"De;sk 02:00:00:00:00:02 5 2 0 3 5", "a device name cannot hold ';': De;sk"},
        {"network A;B", "a network name cannot hold ';' or ','"},
        {"Other 02:00:00:00:00:01 5 2 0 3 5",
         "MAC 02:00:00:00:00:01 is already used by another device"},
    };
    for (const bad_case_t& c : cases) {
        sim_network_t network;
        network.m_name = "unchanged";
        std::string error;
        const std::string text = "Desk 02:00:00:00:00:01 5 2 0 3 5\n" + std::string(c.m_line);
        EXPECT_FALSE(parse_network_text(text, "net.txt", network, error)) << c.m_line;
        EXPECT_EQ(error.rfind("net.txt:2: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.m_error), std::string::npos) << error;
        EXPECT_EQ(network.m_name, "unchanged");
    }
    sim_network_t network;
    std::string error;
    EXPECT_FALSE(load_network_file(temp_path("no-such-net.txt"), network, error));
    EXPECT_EQ(error, temp_path("no-such-net.txt") + ": cannot open the network file");
}

TEST(SimMemory, FactoryImageCostsNothingUntilWritten) {
    sim_memory memory(10, 4);
    const sim_memory::page_t location = memory.page(1);
    const sim_memory::page_t start = memory.page(10);
    EXPECT_EQ(location[14], 10);
    EXPECT_EQ(start[18], 4);
    EXPECT_EQ(std::count(location.begin(), location.end(), 0), 63);
    const std::string names[] = {"Factory 01", "FACTORY", "Ch 01", "Factory 04",
                                 "FACTORY",    "Ch 04",   ""};
    const uint32_t pages[] = {14, 15, 16, 23, 24, 25, 26};
    for (std::size_t i = 0; i < 7; ++i) {
        const sim_memory::page_t page = memory.page(pages[i]);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(page.data())), names[i]) << pages[i];
    }
    EXPECT_EQ(memory.written_pages(), 0u);
    const uint8_t data[2] = {0x41, 0};
    memory.write(15, 0, data, 2);
    EXPECT_EQ(memory.written_pages(), 1u);
    EXPECT_EQ(memory.page(15)[0], 0x41);
    EXPECT_EQ(memory.page(15)[2], 'C');  // the rest of the factory page stays
}

TEST(SimCommandLine, ReadsEveryOption) {
    sim_command_line_t options;
    std::string error;
    ASSERT_TRUE(parse_sim_command_line(
        {"--port", "0", "--network", "n.txt", "--latency", "5", "--log", "l.txt", "--dump-file",
         "d.txt", "--fault", "cmd=12:delay=700", "--fault", "kind=INFO_EXT:close", "--no-greeting",
         "--slow-greeting", "4,300"},
        options, error))
        << error;
    EXPECT_EQ(options.m_port, 0);
    EXPECT_EQ(options.m_network_path + options.m_log_path + options.m_dump_path, "n.txtl.txtd.txt");
    EXPECT_EQ(options.m_latency_ms, 5);
    ASSERT_EQ(options.m_faults.size(), 2u);
    EXPECT_EQ(options.m_faults[0].m_command, 12u);
    EXPECT_EQ(options.m_faults[1].m_action, FAULT_CLOSE);
    EXPECT_FALSE(options.m_greeting);
    EXPECT_EQ(options.m_greeting_pieces, 4);
    EXPECT_EQ(options.m_greeting_pause_ms, 300);
    EXPECT_FALSE(options.m_help);
    sim_command_line_t defaults;
    ASSERT_TRUE(parse_sim_command_line({"-h"}, defaults, error));
    EXPECT_TRUE(defaults.m_help);
    EXPECT_EQ(defaults.m_port, 7000);
}

TEST(SimCommandLine, RefusesWrongArgumentsAndSaysWhich) {
    struct bad_case_t {
        std::vector<std::string> m_args;
        const char* m_error;
    };
    const bad_case_t cases[] = {
        {{"--colour"}, "unknown option \"--colour\""},
        {{"--port"}, "--port needs a value"},
        {{"--port", "65536"}, "--port needs a number from 0 to 65535, not \"65536\""},
        {{"--latency", "-1"}, "--latency needs milliseconds from 0 to 600000, not \"-1\""},
        {{"--slow-greeting", "4"},
         "--slow-greeting needs PIECES,MS with 1 to 33 pieces, not \"4\""},
        {{"--slow-greeting", "0,10"},
         "--slow-greeting needs PIECES,MS with 1 to 33 pieces, not \"0,10\""},
        {{"--fault", "cmd=1"},
         "--fault \"cmd=1\": a fault is SELECTOR:ACTION, e.g. kind=TBOX_MEM_W,nth=3:failed"},
    };
    for (const bad_case_t& c : cases) {
        sim_command_line_t options;
        std::string error;
        EXPECT_FALSE(parse_sim_command_line(c.m_args, options, error)) << c.m_args[0];
        EXPECT_EQ(error, c.m_error);
    }
}

TEST(SimProgram, HelpAndBadNetworkFile) {
    const std::string program = SIM_PROGRAM_PATH;
    const platform::process_result_t help = platform::run_process({program, "--help"}, "", 20000);
    EXPECT_EQ(help.m_exit_status, 0);
    EXPECT_EQ(help.m_stdout, sim_usage_text());
    const std::string net = write_temp_file("bad-net.txt", "# one bad line\nDesk 1 2 3\n");
    const platform::process_result_t bad =
        platform::run_process({program, "--port", "0", "--network", net}, "", 20000);
    EXPECT_EQ(bad.m_exit_status, 2);
    EXPECT_EQ(bad.m_stdout, "");
    EXPECT_EQ(bad.m_stderr, "zel_service_sim: " + net +
                                ":2: expected \"name MAC mir pir fir P S [unlisted]\", found 4 "
                                "words\n");
}

}  // namespace
