// The simulated service over a plain socket: answers byte for byte, device memory, the
// command log, the guard rails, the dump and the life of connections.
#include "sim/sim_program.h"
#include "sim_support.h"

namespace {

const std::string M = G_rm6x5_mac;

typedef sim_fixture SimProtocol;

TEST_F(SimProtocol, AnswersEveryCommandExactly) {
    const std::string read = "TBOX_MEM " + M + ";R;0,";
    const std::string write = "TBOX_MEM " + M + ";W;0,";
    const std::string values = "TBOX_MEM=" + M + ";0,";
    const std::string ok = "TBOX_MEM=" + M + ";OK\r\n";
    const std::string failed = "TBOX_MEM=FAILED\r\n";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        // command, answer
        {"LIST_DEV", G_listing},
        {"INFO_EXT " + M, "INFO_EXT=" + M + ";KDX-RM6X5;1;0;5;2;3;8;8;1;0;\r\n"},
        {read + "1,14,1", values + "1,14;10\r\n"},   // P
        {read + "10,18,1", values + "10,18;4\r\n"},  // S
        // Factory preset 1 ("Factory 01") at page 14; preset 5 is empty.
        {read + "14,0,11", values + "14,0;70,97,99,116,111,114,121,32,48,49,0\r\n"},
        {write + "14,0;65,66,0", ok},
        {write + "20,5;-23,-128,127,0", ok},
        {read + "20,0,11", values + "20,0;70,97,99,116,111,233,128,127,0,51,0\r\n"},
        {write + "30,0;1,2,", ok},  // a full 32-byte name comes without its zero: "," ends it
        {read + "30,0,3", values + "30,0;1,2,0\r\n"},
        {write + "14,0;,", failed},
        {"INFO_EXT 00:00:00:00:00:00", "INFO_EXT=FAILED\r\n"},
        {"TBOX_MEM 00:00:00:00:00:00;R;0,1,14,1", failed},
        {"TBOX_MEM " + M + ";R;1,1,14,1", failed},  // only slot 0
        {read + "1024,0,1", failed},                // 1024 pages
        {read + "1,64,1", failed},                  // 64 bytes a page
        {read + "1,60,5", failed},                  // past the page
        {read + "1,63,1", values + "1,63;0\r\n"},    // the last byte of a page
        {read + "1:,14,1", failed},                 // digits only
        {read + "1,14", failed},                    // no count
        {read + "-1,14,1", failed},                 // no sign
        {"TBOX_MEM " + M + ";X;0,1,14,1", failed},  // neither read nor write
        {write + "14,0;128", failed},               // data bytes are -128..127
        {write + "14,0;1,,2", failed},
        {write + "14,62;1,2,3", failed},            // past the page
        {write + "14,65;1", failed},                // no offset past the page
        {read + "4294967297,14,1", failed},         // ten digits never wrap round
        {"HELLO world", "HELLO=FAILED\r\n"},
    };
    // clang-format on
    std::unique_ptr<sim_client> client = greeted_client();
    for (const auto& c : cases) {
        EXPECT_EQ(client->exchange(c.first), c.second) << c.first;
    }
    // Only the valid writes changed the memory.
    const std::vector<uint8_t> label = m_sim.read_page(M, 14);
    ASSERT_EQ(label.size(), 64u);
    EXPECT_EQ(std::string(label.begin(), label.end()),
              std::string("AB\0tory 01", 10) + std::string(54, '\0'));
    EXPECT_TRUE(m_sim.violations().empty());
    EXPECT_TRUE(m_sim.read_page(M, 1024).empty());
    EXPECT_TRUE(m_sim.read_page("00:00:00:00:00:00", 1).empty());
}

// The log file keeps the first commands up to its bound (here the first three), then one
// line says that logging stopped.
TEST_F(SimProtocol, EveryLineIsACommandOfClientsServedOneAfterAnother) {
    zel_service_sim second;
    EXPECT_FALSE(second.start(m_sim.port()));  // the port is taken
    std::string why;
    EXPECT_FALSE(m_sim.start(0, &why));
    EXPECT_EQ(why, "the service already runs");
    const std::string log_path = temp_path("sim_commands.log");
    ASSERT_TRUE(m_sim.open_log_file(log_path, 40));
    const std::string info = "INFO_EXT=" + G_stage_mics_mac + ";Stage-Mics;1;0;2;5;2;8;8;1;0;\r\n";
    std::unique_ptr<sim_client> first = greeted_client();
    ASSERT_TRUE(first->send("LIST_DEV\r\n\r\nINFO_EXT " + G_stage_mics_mac + "\nFOO"));
    EXPECT_EQ(first->read_until("FOO=FAILED\r\n"), G_listing + info + "FOO=FAILED\r\n");
    first.reset();
    EXPECT_EQ(greeted_client()->exchange("INFO_EXT x"), "INFO_EXT=FAILED\r\n");
    const texts_t log = {"LIST_DEV", "INFO_EXT " + G_stage_mics_mac, "FOO", "INFO_EXT x"};
    EXPECT_EQ(m_sim.command_log(), log);
    EXPECT_EQ(file_text(log_path),
              "LIST_DEV\nINFO_EXT " + G_stage_mics_mac +
                  "\nFOO\nzel_service_sim: later commands are not logged (the log is "
                  "full at 40 bytes)\n");
}

// A client flooding the service cannot grow it without end: the memory keeps the last
// commands only (none when told so), and violations past the first 1000 are only counted.
TEST_F(SimProtocol, WhatTheServiceKeepsOfAFloodIsBounded) {
    m_sim.set_command_log_limit(2);
    std::unique_ptr<sim_client> client = greeted_client();
    const std::string write = "TBOX_MEM " + M + ";W;0,";
    for (int k = 0; k < 1001; ++k) {
        client->exchange(write + std::to_string(k % 10) + ",0;7");
    }
    EXPECT_EQ(m_sim.command_log(), texts_t({write + "9,0;7", write + "0,0;7"}));
    m_sim.set_command_log_limit(0);
    client->exchange("END");
    EXPECT_EQ(m_sim.command_log(), texts_t());
    EXPECT_EQ(m_sim.violations().back(),
              "write outside the label area of KDX-RM6X5 (" + M +
                  "): page 9 offset 0 count 1; the area is pages 14-205, bytes 0-31");
    const sim_stop_report_t report = sim_stop_report(m_sim.violations(), m_sim.violation_count());
    EXPECT_EQ(report.m_text.substr(0, 45) + report.m_text.substr(report.m_text.size() - 28),
              "zel_service_sim: 1001 violation(s) recorded:\n  and 1 more, not described\n");
    EXPECT_EQ(report.m_status, 3);
}

TEST_F(SimProtocol, GuardRailsRecordWritesOutsideTheAreaAndAccessToUnlistedDevices) {
    zel_service_sim& sim = start_own(
        "Desk 02:00:00:00:00:01 5 2 0 10 4\nHidden 02:00:00:00:00:09 5 2 0 3 5 unlisted\n");
    const std::string desk = "TBOX_MEM 02:00:00:00:00:01;";
    const std::string area = "; the area is pages 14-205, bytes 0-31";
    const std::string outside = "write outside the label area of Desk (02:00:00:00:00:01): ";
    std::string ones = "1";
    for (int i = 1; i < 32; ++i) {
        ones += ",1";
    }
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        // command, violation recorded ("" for none)
        {desk + "R;0,1,14,1", ""},
        {desk + "W;0,14,31;0", ""},
        {desk + "W;0,205,0;" + ones, ""},
        {desk + "W;0,13,0;7", outside + "page 13 offset 0 count 1" + area},
        {desk + "W;0,206,0;7", outside + "page 206 offset 0 count 1" + area},
        {desk + "W;0,14,30;1,2,3", outside + "page 14 offset 30 count 3" + area},
        {"TBOX_MEM 02:00:00:00:00:09;R;0,1,14,1",
         "read from unlisted device Hidden (02:00:00:00:00:09): page 1 offset 14 count 1"},
    };
    // clang-format on
    std::unique_ptr<sim_client> client = greeted_client(sim);
    texts_t expected;
    for (const auto& c : cases) {
        EXPECT_NE(client->exchange(c.first).find(";"), std::string::npos) << c.first;
        if (!c.second.empty()) {
            expected.push_back(c.second);
        }
        EXPECT_EQ(sim.violations(), expected) << c.first;
    }
    EXPECT_EQ(sim.read_page("02:00:00:00:00:01", 13)[0], 7);  // recorded, and still written
}

// A capture: a byte-order mark, quoted names (a blank, a "#", a lone CR), the information
// answer and the label area as the devices held them (the factory presets gone, a name field
// holding bytes after its zero); SIM_DUMP shows the area in UTF-8.
TEST_F(SimProtocol, ACapturedNetworkAnswersAsCaptured) {
    zel_service_sim& sim = start_own(
        "\xEF\xBB\xBFnetwork \"Hall #B\"\n"
        "\"Desk\\x0D1\" 00:1d:c1:0a:00:01 5 2 3 10 4 area info=\" 5;2 ;x\\x0D;\"\n"
        "  02 label=\"Caf\xC3\xA9\\\"s\" device=\"A\\x00B\" channel=\"\\\\\"\n");
    std::unique_ptr<sim_client> client = greeted_client(sim);
    const std::string read = "TBOX_MEM 00:1d:c1:0a:00:01;R;0,";
    EXPECT_EQ(client->exchange("LIST_DEV"), "LIST_DEV=Hall #B;00:1d:c1:0a:00:01\r\n");
    EXPECT_EQ(client->exchange("INFO_EXT 00:1d:c1:0a:00:01"),
              "INFO_EXT=00:1d:c1:0a:00:01;Desk\r1; 5;2 ;x\r;\r\n");
    EXPECT_EQ(client->exchange(read + "14,0,2"), "TBOX_MEM=00:1d:c1:0a:00:01;0,14,0;0,0\r\n");
    EXPECT_EQ(client->exchange(read + "17,0,6"),
              "TBOX_MEM=00:1d:c1:0a:00:01;0,17,0;67,97,102,130,34,115\r\n");
    EXPECT_EQ(client->exchange(read + "18,0,4"), "TBOX_MEM=00:1d:c1:0a:00:01;0,18,0;65,0,66,0\r\n");
    ASSERT_TRUE(client->send("SIM_DUMP"));
    EXPECT_EQ(client->read_until("SIM_DUMP=END\r\n"),
              "SIM_DUMP=Network Hall #B, 1 devices\r\n"
              "SIM_DUMP=Device Desk\r1 00:1d:c1:0a:00:01 P=10 S=4 pages 14-205\r\n"
              "SIM_DUMP=  02 label=\"Caf\xC3\xA9\\\"s\" device=\"A\" channel=\"\\\\\"\r\n"
              "SIM_DUMP=  63 of 64 entries empty\r\nSIM_DUMP=END\r\n");
}

}  // namespace
