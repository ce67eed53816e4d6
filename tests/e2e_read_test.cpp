// read_brimel_label against the simulated service: the backup of the demo network, the round
// trip through write_brimel_label, --verify, devices it cannot read, and a service that fails
// it. Every run proves from the service's command log that the program only read.
#include <filesystem>
#include <thread>

#include "platform/clock.h"

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

// The backup of the demo network after the demo update is the golden file; a capture of the
// network, replayed by a second simulator, gives the same bytes to a backup and to a refused
// update of the example.
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
    EXPECT_EQ(undated(replayed_backup.m_stdout), undated(backup.m_stdout));
    EXPECT_EQ(undated(backup.m_stdout),
              file_text(std::string(WBL_TEST_DATA_DIR) + "/demo_backup.ini"));
    EXPECT_EQ(backup.m_stderr, G_greeting + G_reading_rm6x5 +
                                   " OK\r\nReading KDX-RM6x-243's labels... OK\r\nReading "
                                   "NEW-DEVICE1's labels... OK\r\nReading NEW-DEVICE2's labels... "
                                   "OK\r\n");
    EXPECT_EQ(backup.m_exit_status, 0);
    EXPECT_EQ(replayed_backup.m_stderr, backup.m_stderr);
    EXPECT_EQ(replayed_refused.m_stdout + replayed_refused.m_stderr,
              refused.m_stdout + refused.m_stderr);
    EXPECT_EQ(replay.command_log().size(), 1u + 8 + 4 * 194 + 9);
    replay.stop();
    ASSERT_TRUE(m_sim.start(7000));  // for the fixture's own check
}

// Paths reach the programs as given, Cyrillic and accented ones too: on Windows through the
// wide command line and the wide file API.
TEST(ReadBackRoundTrip, ABackupLoadedAgainLeavesEveryDeviceAsItWas) {
    // Four devices of 64 presets, accented labels, names of 32 bytes in code page 850;
    // NEW-DEVICE1 is named in both sections, 128 times.
    const std::string full = file_text(std::string(WBL_TEST_DATA_DIR) + "/full_devices.ini");
    const std::string generated =
        write_temp_file("\xD0\xA1\xD1\x86\xD0\xB5\xD0\xBD\xD0\xB0 \xC3\xA9.ini", full);
    for (const std::string& file : {G_stage, generated}) {
        SCOPED_TRACE(file);
        const std::string backup =
            temp_path("\xD0\xA0\xD0\xB5\xD0\xB7\xD0\xB5\xD1\x80\xD0\xB2 \xC3\xA8.ini");
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

// A verify compares whole name fields: bytes after a name's end are a difference.
TEST_F(ReadBack, AVerifyProvesOnlyWhatItCanAndNamesTheOneFieldChangedSince) {
    const std::string file = write_temp_file("verify.ini", "[KDX-RM6X5]\nA = b@c\nD = e@f\n");
    const std::string head =
        opening(file) + G_greeting + G_reading_rm6x5 + " OK\r\nKDX-RM6X5 (00:1D:C1:0A:00:01) ";
    update(file);
    platform::process_result_t res = run_read_tool({"--verify", file});
    EXPECT_EQ(res.m_stdout, head + "holds exactly what " + file + " would write (2 presets).\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    {
        // Entry 2's channel field (page 14 + 3 + 2) holds "e", a zero and "X" now.
        sim_client client(7000);
        client.read_until("\r\n");
        EXPECT_EQ(client.exchange("TBOX_MEM 00:1D:C1:0A:00:01;W;0,19,2;88\r\n"),
                  "TBOX_MEM=00:1D:C1:0A:00:01;OK\r\n");
    }
    m_sim.clear_command_log();
    res = run_read_tool({"--verify", file});
    EXPECT_EQ(res.m_stdout, head + "differs from what " + file +
                                " would write:\r\n\tentry 2: expected label \"D\", " +
                                "channel \"e\", device \"f\"; found label \"D\", channel "
                                "\"e\\x00X\", device \"f\"\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    // What a verify cannot prove is said in one line each, and the status is 1 (2 when its
    // file cannot be read).
    const std::string refused = write_temp_file("refused.ini", "[KDX-RM6X5]\nA@ = b@c\n");
    res = run_read_tool({"--verify", refused});
    EXPECT_NE(res.m_stderr.find("Warning: line 2 of " + refused +
                                " was refused: the presets after it land 1 entry earlier than "
                                "the file numbers them.\r\n"),
              std::string::npos);
    EXPECT_EQ(res.m_exit_status, 1);
    const std::string empty = write_temp_file("empty.ini", "; nothing\n");
    res = run_read_tool({"--verify", empty});
    EXPECT_EQ(res.m_stderr, empty + " names no target device: nothing is verified.\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    EXPECT_EQ(run_read_tool({"--verify", temp_path("missing.ini")}).m_exit_status, 2);
}

// What a backup could not do is named on standard error and at its top: status 2.
TEST_F(ReadBack, NamedDevicesNotFoundOrNotCompatibleAreNamedAndTheStatusIsTwo) {
    const std::string warnings =
        "Warning: Lobby-RM6X was not found on the network.\r\nWarning: ZUPx3-Radio "
        "(00:1D:C1:0B:00:01) is not a KALDEN-RM6X compatible device.\r\n";
    platform::process_result_t res = run_read_tool({"Lobby-RM6X", "ZUPx3-Radio", "KDX-RM6X5"});
    std::string backup =
        "; Backup by read_brimel_label 1.0 of the network \"Stage-Net\", YYYY-MM-DD HH:MM\r\n"
        "; Not in this backup: Lobby-RM6X was not found on the network\r\n"
        "; Not in this backup: ZUPx3-Radio (00:1D:C1:0B:00:01) is not a compatible device\r\n\r\n"
        "; device KDX-RM6X5, MAC 00:1D:C1:0A:00:01\r\n[KDX-RM6X5]\r\n";
    for (const char* n : {"01", "02", "03", "04"}) {
        backup += "Factory " + std::string(n) + " = Ch " + n + "@FACTORY\r\n";
    }
    EXPECT_EQ(undated(res.m_stdout), backup);
    EXPECT_EQ(res.m_stderr, G_greeting + warnings + G_reading_rm6x5 + " OK\r\n");
    EXPECT_EQ(res.m_exit_status, 2);
    res = run_read_tool({"Lobby-RM6X", "ZUPx3-Radio"});
    EXPECT_EQ(res.m_stdout, "");
    EXPECT_EQ(res.m_stderr, G_greeting + warnings + "No KALDEN-RM6X device to read.\r\n");
    EXPECT_EQ(res.m_exit_status, 2);
}

// A device that gives no information answer is named in a capture and in a full backup,
// whose status is then 2; a name no label file can give is left out of a backup.
TEST(ReadBackFaults, DevicesACaptureOrABackupLeavesOut) {
    zel_service_sim sim(
        network_of("\"Desk 1\" 02:00:00:00:00:01 5 2 3 10 4\n"
                   "Quiet 02:00:00:00:00:02 5 2 3 10 4\n"));
    sim.add_fault(fault_of("kind=INFO_EXT,nth=2:silent"));
    ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
    const std::string capture = temp_path("odd.txt");
    std::filesystem::remove(capture);
    platform::process_result_t res = run_read_tool({"--capture", capture});
    EXPECT_NE(res.m_stderr.find("Warning: 02:00:00:00:00:02 gave no information answer: it is "
                                "not read.\r\n"),
              std::string::npos);
    EXPECT_EQ(res.m_exit_status, 2);
    EXPECT_NE(file_text(capture).find("# \"02:00:00:00:00:02\": no information answer\n"),
              std::string::npos);
    EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>{1});
    res = run_read_tool({});
    EXPECT_EQ(res.m_stderr, G_greeting +
                                "Warning: Desk 1 (02:00:00:00:00:01) has a name no label file can "
                                "give: it is not read.\r\nReading Quiet's labels... OK\r\n");
    EXPECT_EQ(res.m_exit_status, 2);
    EXPECT_EQ(non_reads(sim), texts_t());
}

TEST(ReadBackFaults, ServiceDown) {
    // No service listens on port 7000 (the port is free): none other gets the commands.
    ASSERT_TRUE(zel_service_sim().start(7000)) << "port 7000 is taken";
    const std::string down = G_service_down + "No KALDEN-RM6X device to read.\r\n";
    const platform::process_result_t res = run_read_tool({});
    EXPECT_EQ(res.m_stdout, "");
    EXPECT_EQ(reason_hidden(res.m_stderr), down);
    EXPECT_EQ(res.m_exit_status, 2);
    const std::string capture = temp_path("none.txt");
    const platform::process_result_t captured = run_read_tool({"--capture", capture});
    EXPECT_EQ(reason_hidden(captured.m_stderr),
              down + "No capture written: " + capture + " is left as it was.\r\n");
    EXPECT_EQ(captured.m_exit_status, 2);
}

// A device that fails to read leaves the others read: the backup of what was read is
// written, the device named at its top, the status 2.
TEST(ReadBackFaults, ADeviceThatFailsIsNamedAndTheOthersAreBackedUp) {
    const std::string out = write_temp_file("kept.ini", "kept\n");
    const std::string stray = write_temp_file("kept.ini.part", "someone else's\n");
    zel_service_sim sim;
    sim.add_fault(fault_of("kind=TBOX_MEM_R,nth=50:failed"));
    ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
    const platform::process_result_t res =
        run_read_tool({"-o", out, "--force", "KDX-RM6X5", "NEW-DEVICE2"});
    EXPECT_EQ(res.m_stdout, G_greeting + G_reading_rm6x5 +
                                "Reading NEW-DEVICE2's labels... OK\r\n" + "Backup written to " +
                                out + "\r\n");
    EXPECT_EQ(res.m_stderr,
              " FAILED\r\nKDX-RM6X5's labels could not be read (page 61), check "
              "device connection.\r\n");
    EXPECT_EQ(res.m_exit_status, 2);
    const std::string backup = undated(file_text(out));
    EXPECT_EQ(backup.substr(0, backup.find("\r\n[NEW-DEVICE2]")),
              "; Backup by read_brimel_label 1.0 of the network \"Stage-Net\", YYYY-MM-DD HH:MM\r\n"
              "; Not in this backup: KDX-RM6X5 (00:1D:C1:0A:00:01) could not be read (page 61)\r\n"
              "\r\n; device NEW-DEVICE2, MAC 00:1D:C1:0A:00:04");
    EXPECT_EQ(file_text(stray), "someone else's\n");  // a file it did not make is left alone
    EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>{1});
    EXPECT_EQ(non_reads(sim), texts_t());
}

// The output file is checked before any read, and put in place only over a regular file,
// never over one that appeared meanwhile without --force.
TEST_F(ReadBack, TheOutputFileIsCheckedFirstAndReplacesOnlyWhatItMay) {
    const std::string kept = write_temp_file("there.ini", "kept\n");
    const std::string missing_folder = temp_path("no-such-folder/backup.ini");
    const std::string head = "Unable to write file: \r\n";
    const std::string tail = "\r\nFailed, exit now\r\n";
    // clang-format off
    const std::pair<texts_t, std::string> refused[] = {
        // arguments, the reason given ("": the system's words, which differ by platform)
        {{"-o", kept}, kept + "\r\nit exists already: give --force to replace it"},
        {{"-o", missing_folder, "--force"}, ""},
        {{"--capture", temp_path(""), "--force"}, temp_path("") + "\r\nit is not a regular file: only a regular file is ever replaced"},
    };
    // clang-format on
    for (const auto& [args, reason] : refused) {
        const platform::process_result_t res = run_read_tool(args);
        if (reason.empty()) {
            const std::string start = head + missing_folder + "\r\n";
            EXPECT_EQ(res.m_stderr.substr(0, start.size()), start);
            EXPECT_GT(res.m_stderr.size(), start.size() + tail.size() + 5);
            EXPECT_EQ(res.m_stderr.substr(res.m_stderr.size() - tail.size()), tail);
        } else {
            EXPECT_EQ(res.m_stderr, head + reason + tail);
        }
        EXPECT_EQ(res.m_exit_status, 2);
    }
    EXPECT_EQ(m_sim.command_log(), texts_t());  // refused before any read
    EXPECT_EQ(file_text(kept), "kept\n");
    // A file that appears while the devices are read is not replaced.
    const std::string late = temp_path("late.ini");
    std::filesystem::remove(std::filesystem::u8path(late));
    m_sim.set_latency_ms(2);
    std::thread appear([&] {
        while (m_sim.command_log().size() < 20) {
            platform::sleep_ms(5);
        }
        write_temp_file("late.ini", "late\n");
    });
    const platform::process_result_t res = run_read_tool({"-o", late, "KDX-RM6X5"});
    appear.join();
    EXPECT_EQ(res.m_stderr, head + late +
                                "\r\nit appeared while the devices were read: give --force "
                                "to replace it" +
                                tail);
    EXPECT_EQ(res.m_exit_status, 2);
    EXPECT_EQ(file_text(late), "late\n");
}

// Standard output that cannot take the backup (a full disk) fails the job.
TEST_F(ReadBack, ABackupThatCannotBePrintedFails) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const platform::process_result_t res = platform::run_process(
        {"/bin/sh", "-c", "exec \"$0\" KDX-RM6X5 >/dev/full", G_read_tool}, "", 60000);
    EXPECT_EQ(res.m_stderr,
              G_greeting + G_reading_rm6x5 +
                  " OK\r\nUnable to write to standard output: No space left on device\r\n");
    EXPECT_EQ(res.m_exit_status, 2);
}

// The JSON of p_args parsed by Python's json module, one "path=value" line per field.
texts_t json_fields(const texts_t& p_args) {
    const platform::process_result_t res = run_read_tool(p_args);
    const std::string json = write_temp_file("out.json", res.m_stdout);
    const char* const flatten =
        "import json, sys\n"
        "def walk(path, value):\n"
        "    if isinstance(value, dict):\n"
        "        for key, item in value.items(): walk(path + '.' + key, item)\n"
        "    elif isinstance(value, list):\n"
        "        for k, item in enumerate(value): walk(path + '.' + str(k), item)\n"
        "    else: print(path[1:] + '=' + str(value))\n"
        "walk('', json.load(open(sys.argv[1], encoding='utf-8')))\n";
    const platform::process_result_t parsed =
        platform::run_process({"/usr/bin/python3", "-c", flatten, json}, "", 60000);
    EXPECT_EQ(parsed.m_stderr, "");
    texts_t lines;
    for (std::size_t at = 0, end; (end = parsed.m_stdout.find('\n', at)) != std::string::npos;
         at = end + 1) {
        lines.push_back(parsed.m_stdout.substr(at, end - at));
    }
    return lines;
}

// For scripts: the network and what a verify found, as JSON alone on standard output,
// strings escaped from the code page text as UTF-8.
TEST(ReadBackScripts, ListAndVerifyAsJson) {
    // The Windows runner starts Windows programs only.
    if (!platform::can_close_standard_streams() || !std::filesystem::exists("/usr/bin/python3")) {
        GTEST_SKIP() << "no Python here to read the JSON";
    }
    zel_service_sim sim(
        network_of("network \"Hall \\\"1\\\"\"\n"
                   "\"Caf\xC3\xA9\" 02:00:00:00:00:01 5 2 3 10 4\n"
                   "Quiet 02:00:00:00:00:02 5 2 3 10 4\n"
                   "Radio 02:00:00:00:00:03 7 1 1 10 4\n"));
    sim.add_fault(fault_of("kind=INFO_EXT,nth=2:silent"));
    ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
    // clang-format off
    EXPECT_EQ(json_fields({"--list", "--json"}), texts_t({
        "network=Hall \"1\"",
        "devices.0.name=Caf\xC3\xA9", "devices.0.mac=02:00:00:00:00:01", "devices.0.mir=5",
        "devices.0.pir=2", "devices.0.fir=3", "devices.0.compatible=True", "devices.0.answered=True",
        "devices.1.name=None", "devices.1.mac=02:00:00:00:00:02", "devices.1.mir=None",
        "devices.1.pir=None", "devices.1.fir=None", "devices.1.compatible=False", "devices.1.answered=False",
        "devices.2.name=Radio", "devices.2.mac=02:00:00:00:00:03", "devices.2.mir=7",
        "devices.2.pir=1", "devices.2.fir=1", "devices.2.compatible=False", "devices.2.answered=True"}));
    // The section makes the record of its last name first.
    const std::string file = write_temp_file(
        "hall.ini", "[Quiet, Radio, Ghost]\nFactory 01 = Ch 01@FACTORY\nFactory 02 = Ch 02@FACTORY\n"
                    "Factory 03 = \xC3\xA9@FACTORY\nFactory 04 = Ch 04@FACTORY\n");
    EXPECT_EQ(json_fields({"--verify", file, "--json"}), texts_t({
        "file=" + file,
        "targets.0.name=Ghost", "targets.0.mac=None", "targets.0.state=not found",
        "targets.1.name=Quiet", "targets.1.mac=02:00:00:00:00:02", "targets.1.state=differs",
        "targets.1.differences.0.entry=3", "targets.1.differences.0.kind=changed",
        "targets.1.differences.0.expected.label=Factory 03", "targets.1.differences.0.expected.device=FACTORY",
        "targets.1.differences.0.expected.channel=\xC3\xA9", "targets.1.differences.0.found.label=Factory 03",
        "targets.1.differences.0.found.device=FACTORY", "targets.1.differences.0.found.channel=Ch 03",
        "targets.2.name=Radio", "targets.2.mac=02:00:00:00:00:03", "targets.2.state=not compatible"}));
    // clang-format on
    EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>{1});
}

}  // namespace
