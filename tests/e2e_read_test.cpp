// read_brimel_label against the simulated service: the backup of the demo network, the round
// trip through write_brimel_label, --verify, devices it cannot read, its JSON, a service that
// fails it, and the output file on every file system. Every run proves from the service's
// command log that the program only read.
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "e2e_support.h"

namespace {

const std::string G_stage = std::string(WBL_EXAMPLES_DIR) + "/stage_labels.ini";
const std::string G_reading_rm6x5 = "Reading KDX-RM6X5's labels...";

// The backup with the "dddd-dd-dd dd:dd +dddd" (or "-dddd") that ends its first line as
// "YYYY-MM-DD HH:MM +hhmm" (no std::regex: GCC 12 warns inside its headers under the
// sanitizers).
std::string undated(std::string p_backup) {
    const std::string shape = "dddd-dd-dd dd:dd +dddd";
    const size_t at = p_backup.find("\r\n") - shape.size();  // past the end when too short
    for (size_t i = 0; at < p_backup.size() && i < shape.size(); ++i) {
        const char c = p_backup[at + i];
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(c))
                            : c != shape[i] && !(shape[i] == '+' && c == '-'))
            return p_backup;
    }
    const std::string hidden = "YYYY-MM-DD HH:MM +hhmm";
    return at < p_backup.size() ? p_backup.replace(at, shape.size(), hidden) : p_backup;
}

// The text with the reason of a failed connection to port 7000 (in the system's words, which
// differ from one system to another) as "<reason>".
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
    EXPECT_EQ(backup.m_stderr, G_greeting + "Reading the labels of 4 devices... OK\r\n");
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

// A verify compares whole name fields: bytes after a name's end are a difference. A label the
// writer cut after a blank comes back from a backup with that blank, which an "X" after it
// keeps through the writer's trim and cut.
TEST_F(ReadBack, AVerifyProvesOnlyWhatItCanAndNamesTheOneFieldChangedSince) {
    const std::string file = write_temp_file(
        "verify.ini", "[KDX-RM6X5]\nStage left, monitor wedges, mix 1 and 2 = b@c\nD = e@f\n");
    const std::string head = "KDX-RM6X5 (00:1D:C1:0A:00:01) ";
    const std::string holds = "Verify: 0 entries differ on 0 of 1 device; 1 holds the file.\r\n";
    update(file);
    platform::process_result_t res = run_read_tool({"--verify", file});
    EXPECT_EQ(res.m_stdout, holds);
    EXPECT_EQ(
        run_read_tool({"--verify", file, "--json"}).m_stdout,
        R"({"schema": 1, )" + G_json_service + R"("file": ")" + json_path(file) +
            R"(", "refused_lines": [], "targets": )"
            R"([{"name": "KDX-RM6X5", "mac": "00:1D:C1:0A:00:01", "state": "same", "differences": []}], )"
            R"("totals": {"devices": 1, "differing": 0, "entries": 0, "same": 1, "not_found": 0, )"
            R"("not_compatible": 0, "ambiguous": 0, "not_read": 0, "failed": 0, "stopped": 0, )"
            R"("changed": 0, "not_contacted": 0, "left": 0}})"
            "\n");
    EXPECT_EQ(res.m_stderr, opening(file) + "Warning in: " + file +
                                " at line 2\r\nStage left, monitor wedges, mix 1 and 2 is larger "
                                "than 32 characters,  the excess will be ignored\r\n" +
                                G_greeting + G_reading_rm6x5 + " OK\r\n");
    EXPECT_EQ(res.m_exit_status, 0);
    const std::string backup = temp_path("verify-backup.ini");
    res = run_read_tool({"-o", backup, "--force", "KDX-RM6X5"});
    EXPECT_EQ(res.m_stderr,
              G_greeting + G_reading_rm6x5 +
                  " OK\r\nWarning: KDX-RM6X5's entry 1 ends in blanks its line keeps with an \"X\" "
                  "after them, which the writer cuts off (it warns that the name is longer than 32 "
                  "characters).\r\n");
    EXPECT_NE(file_text(backup).find("\r\nStage left, monitor wedges, mix X = b@c\r\n"),
              std::string::npos);
    res = run_read_tool({"--verify", backup});
    EXPECT_EQ(res.m_stdout, holds);
    EXPECT_EQ(res.m_exit_status, 0);
    // Only a target of the file can be aimed at, before the service is asked anything.
    m_sim.clear_command_log();
    res = run_read_tool({"--verify", file, "--device", "NEW-DEVICE1"});
    EXPECT_EQ(
        res.m_stderr.substr(res.m_stderr.find("read_brimel_label:")),
        "read_brimel_label: --device NEW-DEVICE1 is no target of " + file + " (see --help)\r\n");
    EXPECT_EQ(res.m_exit_status, 2);
    EXPECT_EQ(m_sim.command_log(), texts_t());
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
                                "\"e\\x00X\", device \"f\"\r\nVerify: 1 entry differs on 1 of 1 "
                                "device; 0 hold the file.\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    // What a verify cannot prove is said in one line each, and the status is 1 (2 when its
    // file cannot be read).
    const std::string refused = write_temp_file("refused.ini", "[KDX-RM6X5]\nA@ = b@c\n");
    res = run_read_tool({"--verify", refused});
    EXPECT_NE(
        res.m_stderr.find("Warning: line 2 of " + refused + " was refused: no preset moves.\r\n"),
        std::string::npos);
    EXPECT_EQ(res.m_exit_status, 1);
    const std::string empty = write_temp_file("empty.ini", "; nothing\n");
    res = run_read_tool({"--verify", empty});
    EXPECT_EQ(res.m_stderr,
              opening(empty) + empty + " names no target device: nothing is verified.\r\n");
    EXPECT_EQ(res.m_exit_status, 1);
    EXPECT_EQ(run_read_tool({"--verify", temp_path("missing.ini")}).m_exit_status, 2);
}

// What a backup could not do is named on standard error and at its top: status 2. A name
// typed in the wrong letter case gets a hint.
TEST_F(ReadBack, NamedDevicesNotFoundOrNotCompatibleAreNamedAndTheStatusIsTwo) {
    const std::string warnings =
        "Warning: kdx-rm6x-243 was not found on the network.\r\nDid you mean KDX-RM6x-243? Device "
        "names are case-sensitive.\r\nWarning: ZUPx3-Radio (00:1D:C1:0B:00:01) is not a "
        "KALDEN-RM6X compatible device.\r\n";
    // NEW-DEVICE1 answers as NEW-DEVICE2.
    m_sim.add_fault(
        fault_of("kind=INFO_EXT,nth=3:reply=INFO_EXT=00:1D:C1:0A:00:03;NEW-DEVICE2;1;0;5;2;"
                 "4;8;8;1;0;"));
    platform::process_result_t res =
        run_read_tool({"kdx-rm6x-243", "ZUPx3-Radio", "KDX-RM6X5", "NEW-DEVICE2"});
    std::string backup =
        "; Backup by read_brimel_label 1.0 of the network \"Stage-Net\", YYYY-MM-DD HH:MM +hhmm\r\n"
        "; Not in this backup: kdx-rm6x-243 was not found on the network\r\n"
        "; Not in this backup: ZUPx3-Radio (00:1D:C1:0B:00:01) is not a compatible device\r\n"
        "; Not in this backup: NEW-DEVICE2 names more than one device, or its device answers as "
        "more\r\n\r\n"
        "; device KDX-RM6X5, MAC 00:1D:C1:0A:00:01\r\n[KDX-RM6X5]\r\n";
    for (const char* n : {"01", "02", "03", "04"}) {
        backup += "Factory " + std::string(n) + " = Ch " + n + "@FACTORY\r\n";
    }
    EXPECT_EQ(undated(res.m_stdout), backup);
    EXPECT_EQ(res.m_stderr, G_greeting + warnings +
                                "Warning: NEW-DEVICE2 is the name of more than one device on the "
                                "network: 00:1D:C1:0A:00:03 and 00:1D:C1:0A:00:04. It is not "
                                "read.\r\n" +
                                G_reading_rm6x5 + " OK\r\n");
    EXPECT_EQ(res.m_exit_status, 2);
}

// Each trouble of the service is said in its own words, in every job.
// A Ctrl-C, once the service is asked, stops the job after the command in flight: nothing
// is written, an existing file is kept.
TEST(ReadBackFaults, ServiceTroubles) {
    const std::string down =
        "ZEL-Service not reached at 127.0.0.1:7000 (<reason>): "
        "start the device-management service, or zel_service_sim to rehearse.\r\nZEL-Service was "
        "not reached: nothing was read.\r\n";
    const std::string capture = temp_path("none.txt");
    const std::string kept = write_temp_file("held.ini", "kept\n");
    const std::string desk = write_temp_file("desk.ini", "[Desk]\nA = b@c\n");
    const std::string no_answer =
        "Warning: 02:00:00:00:00:01 gave no information answer: it is not read.\r\n";
    const std::string error = R"({"schema": 1, "error": {"kind": ")";
    struct row_t {
        std::string m_fault;  // empty: no service at all
        texts_t m_args;
        std::string m_out;
        std::string m_err;
        std::size_t m_commands;  // the commands the service received
        int m_status = 2;
        std::string m_stop_after = "";  // Ctrl-C 300 ms after standard error shows it
    };
    // clang-format off
    const row_t rows[] = {
        {"", {}, "", down, 0},
        {"", {"--capture", capture}, "", down + "No capture written: " + capture + " is left as it was.\r\n", 0},
        {"", {"--list", "--json"}, error + R"(service not reached", "message": "ZEL-Service was not reached: nothing was read."}})" "\n", down, 0},
        {"kind=TBOX_MEM_R,nth=294:delay=400", {"-o", kept, "--force"}, "", G_greeting + "Reading Desk's labels... OK\r\nReading Quiet's "
         "labels... STOPPED\r\nStopped by Ctrl-C. Read: Desk. Not read: Quiet.\r\nNo backup written: " + kept + " is left as it was.\r\n",
         3 + 294, 2, "Reading Quiet's"},
        {"kind=TBOX_MEM_R,nth=1:delay=400", {"--capture", capture}, "", G_greeting + "Reading the labels of 2 devices... STOPPED\r\nStopped by "
         "Ctrl-C. Read: none. Not read: Desk, Quiet.\r\nNo capture written: " + capture + " is left as it was.\r\n", 3 + 1, 2, "Connected."},
        {"kind=INFO_EXT,nth=2:delay=400", {"--verify", desk, "--json"}, error + R"(stopped", "message": "Stopped by Ctrl-C while the devices )"
         R"(were listed or asked for their information: nothing was read."}})" "\n", opening(desk) + G_greeting + "Stopped by Ctrl-C while "
         "the devices were listed or asked for their information: nothing was read.\r\n", 3, 2, "Connected."},
        {"kind=LIST_DEV:reply=LIST_DEV=FAILED\x01", {"--list", "--json"}, error + R"(listing refused", "message": "ZEL-Service )"
         R"(refused to list the devices: LIST_DEV=FAILED\u0001"}})" "\n", G_greeting + "ZEL-Service refused to list the devices: "
         "LIST_DEV=FAILED\x01\r\n", 1},
        {"kind=LIST_DEV:failed", {"--capture", capture}, "", G_greeting + "ZEL-Service refused to list the devices: LIST_DEV=FAILED\r\n"
         "No capture written: " + capture + " is left as it was.\r\n", 1},
        {"kind=LIST_DEV:reply=LIST_DEV=Hall", {"--capture", capture}, "", G_greeting + "No device listed on the network: nothing to "
         "capture.\r\nNo capture written: " + capture + " is left as it was.\r\n", 1},
        {"kind=TBOX_MEM_R,nth=2:values=0", {"Desk"}, "; Backup by read_brimel_label 1.0 of the network \"Hall\", YYYY-MM-DD HH:MM +hhmm\r\n"
         "; Not in this backup: Desk (02:00:00:00:00:01)'s label area (page index 10, start offset 0) would cover its own location "
         "bytes\r\n\r\n", G_greeting + "Reading Desk's labels... FAILED\r\nDesk's label area (page index 10, start offset 0) would "
         "cover its own location bytes: it is not read.\r\n", 5},
        {"kind=INFO_EXT,nth=1:failed", {"Quiet"}, "; Backup by read_brimel_label 1.0 of the network \"Hall\", YYYY-MM-DD HH:MM +hhmm\r\n\r\n"
         "; device Quiet, MAC 02:00:00:00:00:02\r\n[Quiet]\r\nFactory 01 = Ch 01@FACTORY\r\nFactory 02 = Ch 02@FACTORY\r\nFactory 03 = "
         "Ch 03@FACTORY\r\nFactory 04 = Ch 04@FACTORY\r\n", G_greeting + "Reading Quiet's labels... OK\r\n", 3 + 194, 0},
        {"kind=INFO_EXT,nth=1:failed", {"Nobody", "-o", kept, "--force"}, "", G_greeting + no_answer + "Warning: Nobody was not found: a "
         "listed device gave no information answer.\r\nNo KALDEN-RM6X device to read.\r\nNo backup written: " + kept + " is left as it "
         "was.\r\n", 3},
        {"kind=INFO_EXT,nth=1:failed", {"--list"}, "Network \"Hall\": 2 devices listed\r\n"
         "-      02:00:00:00:00:01  no information answer\r\nQuiet  02:00:00:00:00:02  mir 5  pir 2  fir 3  compatible\r\n", G_greeting, 3, 0},
        {"kind=INFO_EXT,nth=1:gone", {"--list"}, "Network \"Hall\": 2 devices listed\r\n-  02:00:00:00:00:01  no information "
         "answer\r\n-  02:00:00:00:00:02  no information answer\r\n", G_greeting + "Warning: ZEL-Service cannot be reached any more: "
         "the devices not asked yet are taken as not found.\r\n", 2},
        {"kind=INFO_EXT,nth=1:reply=INFO_EXT=02:00:00:00:00:01;" + std::string(33, 'L') + ";1;0;5;2;3;8;8;1;0;", {"--list"},
         "Network \"Hall\": 2 devices listed\r\n" + std::string(33, 'L') + "  02:00:00:00:00:01  mir 5  pir 2  fir 3  "
         "compatible\r\nQuiet" + std::string(29, ' ') + "02:00:00:00:00:02  mir 5  pir 2  fir 3  compatible\r\n", G_greeting, 3, 0},
        {"kind=INFO_EXT,nth=1:failed", {"--verify", desk, "--json"}, R"({"schema": 1, )" + G_json_service + R"("file": ")" + json_path(desk) + R"(", )"
         R"("refused_lines": [], "targets": [{"name": "Desk", "mac": null, "state": "no information answer", "differences": []}], )"
         R"("totals": {"devices": 1, "differing": 0, "entries": 0, "same": 0, "not_found": 1, "not_compatible": 0, "ambiguous": 0, )"
         R"("not_read": 0, "failed": 0, "stopped": 0, "changed": 0, "not_contacted": 0, "left": 0}})" "\n",
         opening(desk) + G_greeting +
         no_answer + "Warning: Desk was not found: a listed device gave no information answer.\r\nVerify: 0 entries differ on 0 of 1 "
         "device; 0 hold the file; 1 not found.\r\n", 3},
    };
    // clang-format on
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_err);
        // Each row starts from the kept file and no capture, also after a row whose Ctrl-C
        // could not be sent (Wine), which then wrote both.
        write_temp_file("held.ini", "kept\n");
        std::filesystem::remove(std::filesystem::u8path(capture));
        // Without a service, port 7000 stays free: none other gets the commands.
        zel_service_sim sim(
            network_of("network Hall\nDesk 02:00:00:00:00:01 5 2 3 10 4\n"
                       "Quiet 02:00:00:00:00:02 5 2 3 10 4\n"));
        if (!r.m_fault.empty()) {
            sim.add_fault(fault_of(r.m_fault));
        }
        ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
        if (r.m_fault.empty()) {
            sim.stop();
        }
        platform::process_options_t options;
        options.m_interrupt_after = r.m_stop_after;
        options.m_interrupt_after_error = true;
        options.m_interrupt_delays_ms.assign(r.m_stop_after.empty() ? 0 : 1, 300);
        texts_t argv = {G_read_tool};
        argv.insert(argv.end(), r.m_args.begin(), r.m_args.end());
        const platform::process_result_t res = platform::run_process(argv, "", 60000, options);
        if (!r.m_stop_after.empty() && res.m_interrupts_sent == 0) {
            continue;  // no console control event can be sent here (Wine, no console)
        }
        EXPECT_EQ(undated(res.m_stdout), r.m_out);
        EXPECT_EQ(reason_hidden(res.m_stderr), r.m_err);
        EXPECT_EQ(res.m_exit_status, r.m_status);
        EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>(r.m_fault.empty() ? 0 : 1, 1));
        EXPECT_EQ(sim.command_log().size(), r.m_commands);
        EXPECT_EQ(file_text(kept), "kept\n");
    }
}

// A device that fails to read leaves the others read: the backup of what was read is
// written where no file is, the device named at its top, the status 2. A file that is there
// is kept, --force or not.
TEST(ReadBackFaults, ADeviceThatFailsIsNamedAndTheOthersAreBackedUp) {
    const std::string out = temp_path("kept.ini");
    const std::string stray = write_temp_file("kept.ini.part", "someone else's\n");
    zel_service_sim sim;
    // The 50th read of each run: a run reads KDX-RM6X5 up to it, then NEW-DEVICE2 (194 reads).
    sim.add_fault(fault_of("kind=TBOX_MEM_R,nth=50:failed"));
    sim.add_fault(fault_of("kind=TBOX_MEM_R,nth=294:failed"));
    ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
    const std::string failed =
        " FAILED\r\nKDX-RM6X5's labels could not be read (page 61: refused by the service), check "
        "device connection.\r\n";
    platform::process_result_t res = run_read_tool({"-o", out, "KDX-RM6X5", "NEW-DEVICE2"});
    EXPECT_EQ(res.m_stdout, "Backup written to " + out + "\r\n");
    EXPECT_EQ(res.m_stderr, G_greeting + "Reading the labels of 2 devices..." + failed);
    EXPECT_EQ(res.m_exit_status, 2);
    const std::string backup = undated(file_text(out));
    EXPECT_EQ(
        backup.substr(0, backup.find("\r\n[NEW-DEVICE2]")),
        "; Backup by read_brimel_label 1.0 of the network \"Stage-Net\", YYYY-MM-DD HH:MM +hhmm\r\n"
        "; Not in this backup: KDX-RM6X5 (00:1D:C1:0A:00:01) could not be read (page 61)\r\n"
        "\r\n; device NEW-DEVICE2, MAC 00:1D:C1:0A:00:04");
    write_temp_file("kept.ini", "kept\n");
    res = run_read_tool({"-o", out, "--force", "KDX-RM6X5", "NEW-DEVICE2"});
    EXPECT_EQ(res.m_stderr.substr(res.m_stderr.find(" FAILED")),
              failed + "No backup written: " + out + " is left as it was.\r\n");
    EXPECT_EQ(res.m_exit_status, 2);
    EXPECT_EQ(file_text(out), "kept\n");
    EXPECT_EQ(file_text(stray), "someone else's\n");  // a file it did not make is left alone
    EXPECT_EQ(sim.fault_fired_counts(), (std::vector<uint64_t>{1, 1}));
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
}

// However the file is put in place without replacing (a link; a rename that does not
// replace where links are refused, as on FAT; else the target made where nothing is and
// written), a new name gets the backup with nothing beside it, and a file that appears
// while the devices are read stays. The file system refuses what a preloaded shim makes it.
// Ctrl-C, Ctrl-\ or a termination request while the devices are read leaves nothing beside
// the target. A file replaced with --force keeps its permission bits, under a name as long as
// the file system takes.
TEST_F(ReadBack, AFileIsPutInPlaceOnEveryFileSystemAndAStopLeavesNoTemporaryFile) {
    if (std::string(WBL_REFUSE_LINKS).empty()) {
        GTEST_SKIP() << "no POSIX shell here";  // or no shim built
    }
    const std::string shim =
        "export ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 LD_PRELOAD=";
    // Into b.ini in a new folder, then into late.ini, which appears while the devices are
    // read: the second run's status and messages, the folder's files and the start of each.
    const std::string runs =
        "rm -rf \"$1\" \"$1.out\"; mkdir \"$1\"; \"$0\" -o \"$1/b.ini\" KDX-RM6X5 >/dev/null || "
        "exit; \"$0\" -o \"$1/late.ini\" KDX-RM6X5 >\"$1.out\" 2>&1 & until grep -qs Reading "
        "\"$1.out\"; do sleep 0.01; done; echo late >\"$1/late.ini\"; wait $!; echo $?; cat "
        "\"$1.out\"; ls -A \"$1\"; head -c 9 \"$1/b.ini\"; cat \"$1/late.ini\"";
    const std::string way_folder = temp_path("way");
    m_sim.set_latency_ms(2);
    for (const std::string& way :
         {std::string(), shim + WBL_REFUSE_LINKS + ";", shim + WBL_REFUSE_RENAMES + ";"}) {
        SCOPED_TRACE(way);
        EXPECT_EQ(
            platform::run_process({"/bin/sh", "-c", way + runs, G_read_tool, way_folder}, "", 60000)
                .m_stdout,
            "2\n" + G_greeting + G_reading_rm6x5 + " OK\r\nUnable to write file: \r\n" +
                way_folder +
                "/late.ini\r\nit appeared while the devices were read: give --force to "
                "replace it\r\nFailed, exit now\r\nb.ini\nlate.ini\n; Backup late\n");
    }
    const std::string folder = temp_path("stopped");
    std::filesystem::create_directory(std::filesystem::u8path(folder));
    for (const char* signal : {"INT", "TERM", "QUIT"}) {
        const platform::process_result_t res = platform::run_process(
            {"/bin/sh", "-c",
             "rm -f \"$1.out\"; (until grep -qs Reading \"$1.out\"; do sleep 0.01; done; [ \"$(ls "
             "-A \"$1\")\" = .wbl-$$-1.part ] && echo beside; kill -$2 $$) & exec \"$0\" -o "
             "\"$1/s.ini\" KDX-RM6X5 2>\"$1.out\"",
             G_read_tool, folder, signal},
            "", 60000);
        EXPECT_EQ(res.m_stdout, "beside\n") << signal;  // the temporary file, of this process
        EXPECT_EQ(res.m_exit_status, std::string(signal) == "INT" ? 2 : -1) << signal;
    }
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::u8path(folder)));
    const std::string longest = write_temp_file(std::string(250, 'n') + ".ini", "old\n");
    for (const auto bits : {std::filesystem::perms(0600), std::filesystem::perms(0777)}) {
        std::filesystem::permissions(longest, bits);
        EXPECT_EQ(run_read_tool({"-o", longest, "--force", "KDX-RM6X5"}).m_exit_status, 0);
        EXPECT_EQ(std::filesystem::status(longest).permissions(), bits);
        EXPECT_EQ(file_text(longest).substr(0, 9), "; Backup ");
    }
}

// Standard output that cannot take what a job prints (a full disk) fails the job: a backup,
// the verdicts of a verify, the plan of a sync.
TEST_F(ReadBack, OutputThatCannotBePrintedFailsTheJob) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const std::string full = "Unable to write to standard output: No space left on device\r\n";
    for (const texts_t& run :
         {texts_t{G_read_tool, "KDX-RM6X5"}, texts_t{G_read_tool, "--verify", G_stage},
          texts_t{G_read_tool, "--verify", G_stage, "--json"},
          texts_t{G_sync_tool, "--dry-run", G_stage}}) {
        texts_t argv = {"/bin/sh", "-c", "exec \"$@\" >/dev/full", "sh"};
        argv.insert(argv.end(), run.begin(), run.end());
        const platform::process_result_t res = platform::run_process(argv, "", 60000);
        EXPECT_EQ(
            res.m_stderr.substr(res.m_stderr.size() - std::min(res.m_stderr.size(), full.size())),
            full)
            << run[1];
        EXPECT_EQ(res.m_exit_status, 2) << run[1];
    }
}

// A device that gives no information answer is null in the JSON of --list and named in a
// capture, whose status is then 2; a name no label file can give is left out of a backup,
// which still replaces its file.
// For scripts, the network and what a verify found are JSON alone on standard output,
// strings escaped from the code page text as UTF-8.
TEST(ReadBackFaults, OddDevicesInEachJobAndJsonForScripts) {
    zel_service_sim sim(
        network_of("network \"Hall \\\"1\\\"\"\n"
                   "\"Desk 1\" 02:00:00:00:00:01 5 2 3 10 4\n"
                   "Quiet 02:00:00:00:00:02 5 2 3 10 4\n"
                   "Radio 02:00:00:00:00:03 7 1 1 10 4\n"));
    // Quiet answers neither the listing's question nor the captures' (the fifth, the eighth).
    sim.add_fault(fault_of("kind=INFO_EXT,nth=2:silent"));
    sim.add_fault(fault_of("kind=INFO_EXT,nth=5:silent"));
    sim.add_fault(fault_of("kind=INFO_EXT,nth=8:silent"));  // the same in the second capture
    ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
    // clang-format off
    EXPECT_EQ(run_read_tool({"--list", "--json"}).m_stdout,
        R"({"schema": 1, )" + G_json_service + R"("network": "Hall \"1\"", "devices": [{"name": "Desk 1", "mac": "02:00:00:00:00:01", )"
        R"("mir": 5, "pir": 2, "fir": 3, "compatible": true, "answered": true}, {"name": null, )"
        R"("mac": "02:00:00:00:00:02", "mir": null, "pir": null, "fir": null, "compatible": false, )"
        R"("answered": false}, {"name": "Radio", "mac": "02:00:00:00:00:03", "mir": 7, "pir": 1, )"
        R"("fir": 1, "compatible": false, "answered": true}]})" "\n");
    // clang-format on
    const std::string capture = temp_path("odd.txt");
    std::filesystem::remove(capture);
    platform::process_result_t res = run_read_tool({"--capture", capture});
    EXPECT_NE(res.m_stderr.find("Warning: 02:00:00:00:00:02 gave no information answer: it is "
                                "not read.\r\n"),
              std::string::npos);
    EXPECT_EQ(res.m_exit_status, 2);
    EXPECT_NE(file_text(capture).find("# \"02:00:00:00:00:02\": no information answer\n"),
              std::string::npos);
    write_temp_file("odd.txt", "kept\n");  // an existing file is kept, --force or not
    res = run_read_tool({"--capture", capture, "--force"});
    EXPECT_EQ(res.m_stderr.substr(res.m_stderr.find("No capture")),
              "No capture written: " + capture + " is left as it was.\r\n");
    EXPECT_EQ(file_text(capture), "kept\n");
    const std::string refreshed = write_temp_file("hall-backup.ini", "old\n");
    res = run_read_tool({"-o", refreshed, "--force"});
    EXPECT_EQ(res.m_stderr, G_greeting +
                                "Warning: Desk 1 (02:00:00:00:00:01) has a name no label file can "
                                "give: it is not read.\r\nReading Quiet's labels... OK\r\n");
    EXPECT_EQ(res.m_stdout, "Backup written to " + refreshed + "\r\n");
    EXPECT_EQ(res.m_exit_status, 2);
    // The section makes the record of its last name first.
    std::string file = write_temp_file(
        "hall.ini",
        "[Quiet, Radio, Ghost]\nFactory 01 = Ch 01@FACTORY\nFactory 02 = Ch 02@FACTORY\n"
        "Factory 03 = \xC3\xA9@FACTORY\nFactory 04 = Ch 04@FACTORY\n");
    std::replace(file.begin(), file.end(), '\\', '/');  // a path JSON shows as it is
    // clang-format off
    EXPECT_EQ(run_read_tool({"--verify", file, "--json"}).m_stdout,
        R"({"schema": 1, )" + G_json_service + R"("file": ")" + file + R"(", "refused_lines": [], "targets": [{"name": "Ghost", "mac": null, )"
        R"("state": "not found", "differences": []}, {"name": "Quiet", "mac": "02:00:00:00:00:02", )"
        R"("state": "differs", "differences": [{"entry": 3, "kind": "changed", "expected": )"
        R"({"label": "Factory 03", "device": "FACTORY", "channel": ")" "\xC3\xA9" R"("}, "found": )"
        R"({"label": "Factory 03", "device": "FACTORY", "channel": "Ch 03"}}]}, {"name": "Radio", )"
        R"("mac": "02:00:00:00:00:03", "state": "not compatible", "differences": []}], "totals": {"devices": 3, "differing": 1, )"
        R"("entries": 1, "same": 0, "not_found": 1, "not_compatible": 1, "ambiguous": 0, "not_read": 0, "failed": 0, "stopped": 0, )"
        R"("changed": 0, "not_contacted": 0, "left": 0}})" "\n");
    // clang-format on
    // A job that cannot be done is one JSON object too.
    const std::string error = R"({"schema": 1, "error": {"kind": ")";
    EXPECT_EQ(run_read_tool({"--json", "--verify", "no such.ini"}).m_stdout,
              error + R"(file", "message": "no such.ini could not be read: nothing is verified."}})"
                      "\n");
    EXPECT_EQ(run_read_tool({"--list", "--json", "--bogus"}).m_stdout,
              error +
                  "usage\", \"message\": \"read_brimel_label: unknown option --bogus (see "
                  "--help)\"}}\n");
    EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>({1, 1, 1}));
    EXPECT_EQ(non_reads(sim), texts_t());
}

}  // namespace
