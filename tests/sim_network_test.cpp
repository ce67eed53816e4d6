// The simulated network, the factory image of a device's memory, and the command line of
// the zel_service_sim program.
#include <gtest/gtest.h>

#include <set>

#include "platform/process.h"
#include "sim/sim_network.h"
#include "sim/sim_program.h"
#include "test_support.h"

namespace {

TEST(SimNetwork, BuiltInNetworkHasEveryKindOfDevice) {
    std::string seen;
    std::set<uint32_t> label_device_bases;
    for (const sim_device_t& device : default_network().m_devices) {
        seen += device.m_name + " " + std::to_string(device.m_mir) + "/" +
                std::to_string(device.m_pir) + (device.m_listed ? ", " : " unlisted, ");
        if (device.m_mir == 5 && device.m_pir == 2) {
            label_device_bases.insert(label_area_base(device));
        }
    }
    EXPECT_EQ(seen,
              "KDX-RM6X5 5/2, KDX-RM6x-243 5/2, NEW-DEVICE1 5/2, NEW-DEVICE2 5/2, ZUPx3-Radio 7/1, "
              "FOH-Console 3/1, MON-Rack 5/3, Stage-Mics 2/5, ");
    EXPECT_EQ(label_device_bases.size(), 4u);  // every label area somewhere else
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
    std::string seen = network.m_name + ":";
    for (const sim_device_t& d : network.m_devices) {
        seen += " " + d.m_name + " " + d.m_mac + " " + std::to_string(d.m_mir) + "/" +
                std::to_string(d.m_pir) + "/" + std::to_string(d.m_fir) + " from page " +
                std::to_string(label_area_base(d)) + (d.m_listed ? "," : " unlisted,");
    }
    EXPECT_EQ(seen,
              "Hall-B: Desk 02:00:00:00:00:01 5/2/-1 from page 8, "
              "Hidden 02:00:00:00:00:aa 1/2/3 from page 510 unlisted,");
}

TEST(SimNetwork, RefusesABadLineWithFileAndLine) {
    const std::string mac_form = "not a MAC address like 00:1D:C1:0A:00:01: ";
    const std::string location = "P and S must be numbers from 1 to 255";
    const std::pair<std::string, std::string> cases[] = {
        {"Desk 02:00:00:00:00:02 5 2 0 3",
         "expected \"name MAC mir pir fir P S [unlisted]\", found 6 words"},
        {"Desk 02:00:00:00:00:02 5 2 0 3 5 hidden",
         "the eighth word can only be \"unlisted\", found hidden"},
        {"Desk 02-00-00-00-00-02 5 2 0 3 5", mac_form + "02-00-00-00-00-02"},
        {"Desk 02:00:00:00:00:0G 5 2 0 3 5", mac_form + "02:00:00:00:00:0G"},
        {"Desk 02:00:00:00:00:02 five 2 0 3 5", "mir, pir and fir must be decimal integers"},
        {"Desk 02:00:00:00:00:02 5 2 0 0 5", location},
        {"Desk 02:00:00:00:00:02 5 2 0 3 256", location},
        {"De;sk 02:00:00:00:00:02 5 2 0 3 5", "a device name cannot hold ';': De;sk"},
        {"network A;B", "a network name cannot hold ';' or ','"},
        {"Other 02:00:00:00:00:01 5 2 0 3 5",
         "MAC 02:00:00:00:00:01 is already used by another device"},
    };
    for (const auto& c : cases) {
        sim_network_t network;
        network.m_name = "unchanged";
        std::string error;
        const std::string text = "Desk 02:00:00:00:00:01 5 2 0 3 5\n" + c.first;
        EXPECT_FALSE(parse_network_text(text, "net.txt", network, error)) << c.first;
        EXPECT_EQ(error, "net.txt:2: " + c.second);
        EXPECT_EQ(network.m_name, "unchanged");
    }
    sim_network_t network;
    std::string error;
    EXPECT_FALSE(load_network_file(temp_path("no-such-net.txt"), network, error));
    EXPECT_EQ(error, temp_path("no-such-net.txt") + ": cannot open the network file");
}

// The factory contents themselves are read over the wire in the protocol tests.
TEST(SimMemory, FactoryImageCostsNothingUntilWritten) {
    sim_memory memory(10, 4);
    const sim_memory::page_t location = memory.page(1);
    EXPECT_EQ(std::count(location.begin(), location.end(), 0), 63);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(memory.page(23).data())), "Factory 04");
    EXPECT_EQ(memory.written_pages(), 0u);
    const uint8_t data[2] = {0x41, 0};
    memory.write(15, 0, data, 2);
    memory.write(15, 2, data, 1);
    EXPECT_EQ(memory.written_pages(), 1u);
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
    EXPECT_EQ(options.m_network_path + options.m_log_path + options.m_dump_path, "n.txtl.txtd.txt");
    EXPECT_EQ(
        std::vector<int>({options.m_port, options.m_latency_ms, options.m_greeting,
                          options.m_greeting_pieces, options.m_greeting_pause_ms, options.m_help}),
        std::vector<int>({0, 5, false, 4, 300, false}));
    ASSERT_EQ(options.m_faults.size(), 2u);
    EXPECT_EQ(options.m_faults[0].m_command, 12u);
    EXPECT_EQ(options.m_faults[1].m_action, FAULT_CLOSE);
    sim_command_line_t defaults;
    ASSERT_TRUE(parse_sim_command_line({"-h"}, defaults, error));
    EXPECT_TRUE(defaults.m_help);
    EXPECT_EQ(defaults.m_port, 7000);
}

TEST(SimCommandLine, RefusesWrongArgumentsAndSaysWhich) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
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
    for (const auto& c : cases) {
        sim_command_line_t options;
        std::string error;
        EXPECT_FALSE(parse_sim_command_line(c.first, options, error)) << c.first[0];
        EXPECT_EQ(error, c.second);
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
