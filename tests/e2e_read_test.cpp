// read_brimel_label against the simulated service: the backup of the demo network, the round
// trip through write_brimel_label, --verify, devices it cannot read, and a service that fails
// it. Every run proves from the service's command log that the program only read.
#include <filesystem>

#include "e2e_support.h"

namespace {

const std::string G_stage = std::string(WBL_EXAMPLES_DIR) + "/stage_labels.ini";
const std::string G_reading_rm6x5 = "Reading KDX-RM6X5's labels...";

class ReadBack : public e2e_test {
  protected:
    void update(const std::string& p_file) {
        EXPECT_EQ(run_tool({p_file}, "y\n").m_exit_status, 0);
        m_sim.clear_command_log();
    }
    void TearDown() override {
        EXPECT_EQ(non_reads(m_sim), texts_t());
        e2e_test::TearDown();
    }
};

TEST_F(ReadBack, BackupOfTheDemoNetworkAfterTheDemoUpdateIsTheGoldenFile) {
    update(G_stage);
    const std::string golden = file_text(std::string(WBL_TEST_DATA_DIR) + "/demo_backup.ini");
    platform::process_result_t res = run_read_tool({});
    EXPECT_EQ(res.m_stdout, golden);
    EXPECT_EQ(res.m_stderr,
              G_greeting + G_reading_rm6x5 +
                  " OK\r\nReading KDX-RM6x-243's labels... OK\r\n"
                  "Reading NEW-DEVICE1's labels... OK\r\nReading NEW-DEVICE2's labels... OK\r\n");
}

// A capture of the network after the demo update, replayed by a second simulator: a backup
// and a refused update of the example give the same bytes against both.
TEST_F(ReadBack, ACaptureReplaysTheNetworkForBothPrograms) {
    update(G_stage);
    const std::string capture = temp_path("venue.txt");
    std::filesystem::remove(capture);
    EXPECT_EQ(run_read_tool({"--capture", capture}).m_exit_status, 0);
    const platform::process_result_t backup = run_read_tool({});
    const platform::process_result_t refused = run_tool({G_stage}, "n\n");
    m_sim.stop();
    sim_network_t network;
    std::string error;
    ASSERT_TRUE(load_network_file(capture, network, error)) << error;
    zel_service_sim replay(network);
    ASSERT_TRUE(replay.start(7000));
    const platform::process_result_t replayed_backup = run_read_tool({});
    const platform::process_result_t replayed_refused = run_tool({G_stage}, "n\n");
    EXPECT_EQ(replayed_backup.m_stdout, backup.m_stdout);
    EXPECT_EQ(backup.m_stdout, file_text(std::string(WBL_TEST_DATA_DIR) + "/demo_backup.ini"));
    EXPECT_EQ(replayed_backup.m_stderr, backup.m_stderr);
    EXPECT_EQ(replayed_refused.m_stdout + replayed_refused.m_stderr,
              refused.m_stdout + refused.m_stderr);
    EXPECT_EQ(replay.command_log().size(), 1u + 8 + 4 * 194 + 9);
    replay.stop();
    ASSERT_TRUE(m_sim.start(7000));  // for the fixture's own check
}

// Four devices of 64 presets, accented labels, names of 32 bytes in code page 850;
// NEW-DEVICE1 is named in both sections, 128 times.
std::string generated_file() {
    std::string text;
    for (const std::string section :
         {"[KDX-RM6X5, NEW-DEVICE1]", "[KDX-RM6x-243, NEW-DEVICE2, NEW-DEVICE1]"}) {
        text += section + "\n";
        for (int k = 0; k < 64; ++k) {
            const std::string n = std::to_string(section.size()) + "-" + std::to_string(k);
            const std::size_t fill =
                32 - 9 - n.size();  // "Crème Ch-" and "Dante-Ch-" are 9 characters
            std::string label = "Cr\xC3\xA8me Ch-" + n,
                        device = "Dante-Ch-" + n + std::string(fill, 'Z');
            for (std::size_t c = 0; c < fill; ++c) {
                label += "\xC3\xA9";
            }
            text += label + " = " + label + "@" + device + "\n";
        }
    }
    return text;
}

TEST(ReadBackRoundTrip, ABackupLoadedAgainLeavesEveryDeviceAsItWas) {
    for (const std::string& file : {G_stage, write_temp_file("generated.ini", generated_file())}) {
        SCOPED_TRACE(file);
        const std::string backup = temp_path("round_trip.ini");
        std::string before;
        {
            zel_service_sim sim;
            ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
            EXPECT_EQ(run_tool({file}, "y\n").m_exit_status, 0);
            sim.clear_command_log();
            EXPECT_EQ(run_read_tool({"-o", backup, "--force"}).m_exit_status, 0);
            EXPECT_EQ(run_read_tool({"--verify", file}).m_exit_status, 0);
            EXPECT_EQ(non_reads(sim), texts_t());
            before = sim.dump();
        }
        zel_service_sim fresh;
        ASSERT_TRUE(fresh.start(7000)) << "port 7000 is taken";
        EXPECT_NE(fresh.dump(), before);
        EXPECT_EQ(run_tool({backup}, "y\n").m_exit_status, 0);
        EXPECT_EQ(fresh.dump(), before);
    }
}

TEST_F(ReadBack, VerifyPassesAfterAnUpdateAndNamesTheOneEntryChangedSince) {
    const std::string file = write_temp_file("verify.ini", "[KDX-RM6X5]\nA = b@c\nD = e@f\n");
    const std::string head =
        opening(file) + G_greeting + G_reading_rm6x5 + " OK\r\nKDX-RM6X5 (00:1D:C1:0A:00:01) ";
    update(file);
    platform::process_result_t res = run_read_tool({"--verify", file});
    EXPECT_EQ(res.m_stdout, head + "holds exactly what " + file + " would write (2 presets).\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    {
        // Entry 2's channel field (page 14 + 3 + 2) changed behind the tool's back.
        sim_client client(7000);
        client.read_until("\r\n");
        EXPECT_EQ(client.exchange("TBOX_MEM 00:1D:C1:0A:00:01;W;0,19,0;88,0\r\n"),
                  "TBOX_MEM=00:1D:C1:0A:00:01;OK\r\n");
    }
    m_sim.clear_command_log();
    res = run_read_tool({"--verify", file});
    EXPECT_EQ(
        res.m_stdout,
        head + "differs from what " + file + " would write:\r\n\tentry 2: expected label \"D\", " +
            "channel \"e\", device \"f\"; found label \"D\", channel \"X\", device \"f\"\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
}

TEST_F(ReadBack, NamedDevicesNotFoundOrNotCompatibleAreWarnedAboutAndTheManual) {
    const std::string warnings =
        "Warning: Lobby-RM6X was not found on the network.\r\nWarning: ZUPx3-Radio "
        "(00:1D:C1:0B:00:01) is not a KALDEN-RM6X compatible device.\r\n";
    platform::process_result_t res = run_read_tool({"Lobby-RM6X", "ZUPx3-Radio", "KDX-RM6X5"});
    std::string backup = "; device KDX-RM6X5, MAC 00:1D:C1:0A:00:01\r\n[KDX-RM6X5]\r\n";
    for (const char* n : {"01", "02", "03", "04"}) {
        backup += "Factory " + std::string(n) + " = Ch " + n + "@FACTORY\r\n";
    }
    EXPECT_EQ(res.m_stdout, backup);
    EXPECT_EQ(res.m_stderr, G_greeting + warnings + G_reading_rm6x5 + " OK\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    res = run_read_tool({"Lobby-RM6X", "ZUPx3-Radio"});
    EXPECT_EQ(res.m_stderr, G_greeting + warnings + "No KALDEN-RM6X device to read.\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    for (const char* help : {"h", "-h", "help", "--help"}) {
        res = run_read_tool({help});
        EXPECT_EQ(res.m_stdout, manual_for(G_read_tool, "read_manual.txt"));
        EXPECT_EQ(res.m_exit_status, 0);
    }
}

// A device that gives no information answer is left out of a capture; a name no label file
// can give is left out of a backup.
TEST(ReadBackFaults, DevicesACaptureOrABackupLeavesOut) {
    sim_network_t network;
    std::string error;
    ASSERT_TRUE(
        parse_network_text("\"Desk 1\" 02:00:00:00:00:01 5 2 3 10 4\n"
                           "Quiet 02:00:00:00:00:02 5 2 3 10 4\n",
                           "odd", network, error));
    zel_service_sim sim(network);
    sim.add_fault(fault_of("kind=INFO_EXT,nth=2:silent"));
    ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
    const std::string capture = temp_path("odd.txt");
    std::filesystem::remove(capture);
    platform::process_result_t res = run_read_tool({"--capture", capture});
    EXPECT_NE(res.m_stderr.find("Warning: 02:00:00:00:00:02 gave no information answer: it is "
                                "left out of the capture.\r\n"),
              std::string::npos);
    EXPECT_NE(file_text(capture).find("\"Desk 1\" 02:00:00:00:00:01 5 2 3 10 4 info="),
              std::string::npos);
    EXPECT_EQ(file_text(capture).find("  05 "), std::string::npos);  // empty entries left out
    EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>{1});
    res = run_read_tool({});
    EXPECT_NE(res.m_stderr.find("Warning: Desk 1 (02:00:00:00:00:01) has a name no label file "
                                "can give: it is not read.\r\n"),
              std::string::npos);
    EXPECT_EQ(run_read_tool({"--verify", write_temp_file("ghost.ini", "[Ghost]\nA = b@c\n")})
                  .m_exit_status,
              1);
    EXPECT_EQ(non_reads(sim), texts_t());
}

TEST(ReadBackFaults, ServiceDown) {
    // No service listens on port 7000 (the port is free): none other gets the commands.
    ASSERT_TRUE(zel_service_sim().start(7000)) << "port 7000 is taken";
    const platform::process_result_t res = run_read_tool({});
    EXPECT_EQ(res.m_stdout, "");
    EXPECT_EQ(res.m_stderr, "ZEL-Service connection failed!\r\nNo KALDEN-RM6X device to read.\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
}

TEST(ReadBackFaults, AReadFailingInTheMiddleOfTheAreaLeavesTheOutputFileUntouched) {
    const std::string out = write_temp_file("kept.ini", "kept\n");
    // Refused before any connection: no service runs, and none is missed.
    platform::process_result_t res = run_read_tool({"-o", out});
    EXPECT_EQ(res.m_stderr, "Unable to write file: \r\n" + out +
                                "\r\nit exists already: give --force to replace it\r\n"
                                "Failed, exit now\r\n");
    std::string not_bytes = "299";  // 32 values, the first never taken as its low 8 bits
    for (int k = 0; k < 31; ++k) {
        not_bytes += ",65";
    }
    const std::pair<std::string, int> faults[] = {
        {"kind=TBOX_MEM_R,nth=50:failed", 61}, {"kind=TBOX_MEM_R,nth=3:values=" + not_bytes, 14}};
    for (const auto& [fault, page] : faults) {
        SCOPED_TRACE(fault);
        zel_service_sim sim;
        sim.add_fault(fault_of(fault));
        ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
        res = run_read_tool({"-o", out, "--force"});
        EXPECT_EQ(res.m_stdout, G_greeting + G_reading_rm6x5);
        EXPECT_EQ(res.m_stderr, " FAILED\r\nKDX-RM6X5's labels could not be read (page " +
                                    std::to_string(page) +
                                    "), check device connection.\r\nNo backup written: " + out +
                                    " is left as it was.\r\n");
        EXPECT_EQ(res.m_exit_status, 1);
        EXPECT_EQ(file_text(out), "kept\n");
        EXPECT_FALSE(std::filesystem::exists(out + ".part"));
        EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>{1});
        EXPECT_EQ(non_reads(sim), texts_t());
    }
}

}  // namespace
