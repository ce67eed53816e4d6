// sync_brimel_label against the simulated service: what it says and asks, the writes the
// service received, what the device holds afterwards, and the exit status.
#include <filesystem>

#include "e2e_support.h"

namespace {

const std::string G_reading = "Reading KDX-RM6X5's labels... OK\r\n";
const std::string G_rm6x5_is = "KDX-RM6X5 (00:1D:C1:0A:00:01)";
const std::string G_writing = "Writing KDX-RM6X5's labels...";
const std::string G_write = "TBOX_MEM 00:1D:C1:0A:00:01;W;0,";

// ",0" p_count times: the zeros after a name in its field.
std::string zeros(std::size_t p_count) {
    return std::string(",0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0")
        .substr(0, 2 * p_count);
}

std::string factory_line(int p_entry) {
    const std::string n = "0" + std::to_string(p_entry);
    return "Factory " + n + " = Ch " + n + "@FACTORY\n";
}

// The four factory entries of KDX-RM6X5; two labels changed, one of them shorter, and the
// last preset removed; one label changed.
const std::string G_factory =
    "[KDX-RM6X5]\n" + factory_line(1) + factory_line(2) + factory_line(3) + factory_line(4);
const std::string G_few =
    "[KDX-RM6X5]\n" + factory_line(1) + "Vox 2 = Ch 02@FACTORY\nFac = Ch 03@FACTORY\n";
const std::string G_one = "[KDX-RM6X5]\n" + factory_line(1) + "Vox 2 = Ch 02@FACTORY\n" +
                          factory_line(3) + factory_line(4);
// The plans of G_few and G_one in the reader's words.
std::string differs(const std::string& p_file) {
    return G_rm6x5_is + " differs from what " + p_file + " would write:\r\n";
}
const std::string G_vox_2 =
    "\tentry 2: expected label \"Vox 2\", channel \"Ch 02\", device \"FACTORY\"; found label "
    "\"Factory 02\", channel \"Ch 02\", device \"FACTORY\"\r\n";
const std::string G_few_lines =
    G_vox_2 +
    "\tentry 3: expected label \"Fac\", channel \"Ch 03\", device \"FACTORY\"; found label "
    "\"Factory 03\", channel \"Ch 03\", device \"FACTORY\"\r\n\tentry 4 would be erased: label "
    "\"Factory 04\", channel \"Ch 04\", device \"FACTORY\"\r\n";
const std::string G_plan_one =
    "Plan: 1 field to write on 1 of 1 device; 0 already hold the file.\r\n";
const std::string G_one_confirm = confirm_screen("\tdevice 1: " + G_rm6x5_is + ": 1 field\r\n");
const texts_t G_factory_area = {"Factory 01|FACTORY|Ch 01", "Factory 02|FACTORY|Ch 02",
                                "Factory 03|FACTORY|Ch 03", "Factory 04|FACTORY|Ch 04"};
const texts_t G_few_area = {G_factory_area[0], "Vox 2|FACTORY|Ch 02", "Fac|FACTORY|Ch 03", "||"};

// 65 presets, and the 64 entries they leave: every field of the area changes.
std::string sixty_five_presets(texts_t& p_area) {
    std::string file = "[KDX-RM6X5]\n";
    for (int k = 1; k <= 65; ++k) {
        const std::string n = std::to_string(k);
        file += "L " + n + " = C " + n + "@D-" + n + "\n";
        if (k <= 64) {
            p_area.push_back("L " + n + "|D-" + n + "|C " + n);
        }
    }
    return file;
}

typedef e2e_test Sync;

struct sync_row_t {
    std::string m_name;
    std::string m_file;
    texts_t m_options;
    std::string m_answers;
    std::string m_fault;  // empty: none
    std::string m_out;    // empty: not looked at
    std::string m_err;
    int m_status;
    std::size_t m_commands;  // the commands the service received
    texts_t m_written;       // the write commands; empty: not looked at
    texts_t m_area;          // the first entries of KDX-RM6X5 afterwards
    texts_t m_environment = {};
    int m_clients = 1;  // the clients the service serves at once
};

// The totals of a file for a script: the counts of devices, differing, fields, same, not
// found, not compatible, ambiguous, not read, failed, stopped, changed, not contacted, left.
std::string totals(const std::vector<int>& p_counts) {
    const char* const names[] = {"devices",   "differing",      "fields",    "same",
                                 "not_found", "not_compatible", "ambiguous", "not_read",
                                 "failed",    "stopped",        "changed",   "not_contacted",
                                 "left"};
    std::string text;
    for (std::size_t k = 0; k < p_counts.size(); ++k) {
        text += (k == 0 ? "{\"" : ", \"") + std::string(names[k]) +
                "\": " + std::to_string(p_counts[k]);
    }
    return text + "}";
}

TEST_F(Sync, WritesOnlyTheFieldsThatDifferAndReadsEachBack) {
    const std::string file = temp_path("sync.ini");
    const std::string missing = temp_path("missing.ini");
    const std::string kept = write_temp_file("kept-undo.txt", "kept\n");
    const std::string unneeded = temp_path("unneeded-undo.txt");
    const std::string json_file = json_path(file);
    std::string json_missing = json_file;
    json_missing.replace(json_missing.size() - 8, 4, "missing");
    const std::string json_head =
        "{\"schema\": 1, " + G_json_service + "\"dry_run\": false, \"files\": [{\"file\": \"";
    const std::string json_rm6x5 =
        "{\"name\": \"KDX-RM6X5\", \"mac\": \"00:1D:C1:0A:00:01\", \"state\": \"";
    const std::string none = "\"refused\": [], \"failure\": null}";
    const std::string head = opening(file) + G_greeting;
    const std::string not_found =
        "Plan: 0 fields to write on 0 of 1 device; 0 already hold the file; 1 not found.\r\n";
    const std::size_t listed_and_read = 9 + 194;
    texts_t full_area;
    const std::string sixty_five = sixty_five_presets(full_area);
    const std::string all_four =
        "[NEW-DEVICE2, KDX-RM6x-243, NEW-DEVICE1, KDX-RM6X5]" + G_one.substr(11);
    // clang-format off
    const sync_row_t rows[] = {
        {"unchanged, for a script", G_factory, {"--yes", "--json"}, "", "", json_head + json_file + "\", \"state\": \"read\", "
         "\"refused_lines\": [], \"devices\": [" + json_rm6x5 + "same\", \"fields\": [], " + none + "], \"totals\": " +
         totals({1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}) + ", \"done\": null}]}\n", head + G_reading + "Plan: 0 fields to write on 0 of 1 "
         "device; 1 already holds the file.\r\n", 0, listed_and_read, {}, G_factory_area},
        {"two labels changed, one shorter, a preset removed", G_few, {}, "y\n", "", head + G_reading + differs(file) + G_few_lines +
         "Plan: 5 fields to write on 1 of 1 device; 0 already hold the file.\r\n" + confirm_screen("\tdevice 1: " + G_rm6x5_is +
         ": 5 fields\r\n") + "Write labels:\r\n\r\n" + G_writing + " OK\r\nDone: 5 fields written and read back on 1 of 1 device; 0 "
         "held them already.\r\n", "", 0, listed_and_read + 10, {G_write + "17,0;86,111,120,32,50" + zeros(27), G_write +
         "20,0;70,97,99" + zeros(29), G_write + "23,0;0" + zeros(31), G_write + "24,0;0" + zeros(31), G_write + "25,0;0" + zeros(31)},
         G_few_area},
        {"65 presets, in a dry run", sixty_five, {"--dry-run"}, "", "", "", "KDX-RM6X5's labels number is greater than 64 "
         "Labels 1 to 64 will be written, further labels will be ignored\r\n", 1, listed_and_read, {}, G_factory_area},
        {"a file naming no target, after one that cannot be opened", "; nothing\n", {"--", "-missing.ini"}, "", "",
         opening("-missing.ini") + opening(file), open_failure("-missing.ini", "--help") + file + " names no target device: "
         "nothing to sync.\r\n", 2, 0, {}, G_factory_area},
        {"two refused label lines, for a script", "[KDX-RM6X5]\nA@ = b@c\nB@ = b@c\n", {"--json"}, "", "", "{\"schema\": 1, "
         "\"service\": null, \"connections\": 0, \"dry_run\": false, \"files\": [{\"file\": \"" + json_file + "\", \"state\": \"refused\", "
         "\"refused_lines\": [2, 3], \"devices\": [], \"totals\": null, \"done\": null}]}\n", opening(file) + "Error in: " + file +
         " at line 2\r\nInvalid formated label, invalid charaters: @ in: \r\nA@ = b@c\r\nError in: " + file + " at line 3\r\nInvalid "
         "formated label, invalid charaters: @ in: \r\nB@ = b@c\r\n" + file + " is not synced: its lines 2 and 3 were refused, "
         "nothing is written.\r\n", 2, 0, {}, G_factory_area},
        {"a usage error, for a script, its control byte kept", G_factory, {"--json", "--bo\x01gus"}, "", "", R"({"schema": 1, "error": )"
         R"j({"kind": "usage", "message": "sync_brimel_label: unknown option --bo\u0001gus (see --help)"}})j" "\n", "sync_brimel_label: "
         "unknown option --bo\x01gus (see --help)\r\n", 2, 0, {}, G_factory_area},
        {"an undo record that could not be written", G_one, {"--yes", "--save-undo", kept}, "", "", "", "Unable to write file: \r\n" + kept +
         "\r\nit exists already: give --force to replace it\r\nFailed, exit now\r\n", 2, 0, {}, G_factory_area},
        {"an undo record asked of a sync that writes nothing", G_factory, {"--yes", "--save-undo", unneeded}, "", "", head + G_reading +
         "Plan: 0 fields to write on 0 of 1 device; 1 already holds the file.\r\nNo undo record written: nothing was written, " +
         unneeded + " is left as it was.\r\n", "", 0, listed_and_read, {}, G_factory_area},
        {"the service gone for good while the devices are asked", G_factory, {"--yes"}, "", "kind=INFO_EXT,nth=1:gone", head +
         not_found, "Warning: ZEL-Service cannot be reached any more: the devices not asked yet are taken as not found.\r\nWarning: "
         "KDX-RM6X5 was not found: a listed device gave no information answer.\r\n", 2, 2, {}, G_factory_area},
        {"a name but for letter case", "[kdx-rm6x5]" + G_one.substr(11), {"--dry-run"}, "", "", head + not_found, "Warning: kdx-rm6x5 "
         "was not found on the network.\r\nDid you mean KDX-RM6X5? Device names are case-sensitive.\r\n", 2, 9, {}, G_factory_area},
        {"a listing cut off, for a script", G_factory, {"--yes", "--json"}, "", "kind=LIST_DEV:close", json_head + json_file +
         "\", \"state\": \"no network\", \"refused_lines\": [], \"devices\": [], \"totals\": null, \"done\": null}]}\n", head +
         "ZEL-Service did not list the devices (no answer): nothing was written.\r\n", 2, 1, {}, G_factory_area},
        {"an area over its location bytes, for a script", G_factory, {"--yes", "--json"}, "", "kind=TBOX_MEM_R,nth=2:values=0",
         json_head + json_file + "\", \"state\": \"read\", \"refused_lines\": [], \"devices\": [" + json_rm6x5 + "not read\", "
         "\"fields\": [], " + none + "], \"totals\": " + totals({1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}) + ", \"done\": null}]}\n", head +
         "Reading KDX-RM6X5's labels... FAILED\r\nKDX-RM6X5's label area (page index 10, start offset 0) would cover its own location "
         "bytes: nothing is written to it.\r\nPlan: 0 fields to write on 0 of 1 device; 0 already hold the file; 1 not read.\r\n", 2,
         9 + 2, {}, G_factory_area},
        {"a field that cannot be read", G_factory, {"--yes"}, "", "kind=TBOX_MEM_R,nth=50:failed", head + "Reading KDX-RM6X5's "
         "labels...Plan: 0 fields to write on 0 of 1 device; 0 already hold the file; 1 not read.\r\n", " FAILED\r\nKDX-RM6X5's labels "
         "could not be read (page 61: refused by the service): nothing is written to it.\r\n", 2, 9 + 50, {}, G_factory_area},
        {"a target ambiguous, another differing, in a dry run for a script", "[NEW-DEVICE2, KDX-RM6X5]" + G_one.substr(11),
         {"--dry-run", "--json"}, "", "kind=INFO_EXT,nth=3:reply=INFO_EXT=00:1D:C1:0A:00:03;KDX-RM6X5;1;0;5;2;4;8;8;1;0;",
         "{\"schema\": 1, " + G_json_service + "\"dry_run\": true, \"files\": [{\"file\": \"" + json_file + "\", \"state\": \"read\", "
         "\"refused_lines\": [], \"devices\": [{\"name\": \"KDX-RM6X5\", \"mac\": null, \"state\": \"ambiguous\", \"fields\": "
         "[], " + none + ", {\"name\": \"NEW-DEVICE2\", \"mac\": \"00:1D:C1:0A:00:04\", \"state\": \"differs\", "
         "\"fields\": [{\"entry\": 2, \"field\": \"label\", \"old\": \"Factory 02\", \"new\": \"Vox 2\", \"now\": \"old\"}], " +
         none + "], \"totals\": " + totals({2, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}) + ", \"done\": null}]}\n", head + "Warning: "
         "KDX-RM6X5 is the name of more than one device on the network: 00:1D:C1:0A:00:01 and 00:1D:C1:0A:00:03. It is not synced.\r\n"
         "Reading NEW-DEVICE2's labels... OK\r\nNEW-DEVICE2 (00:1D:C1:0A:00:04) differs from what " + file + " would write:\r\n" +
         G_vox_2 + "Plan: 1 field to write on 1 of 2 devices; 0 already hold the file; 1 ambiguous.\r\n", 2, listed_and_read, {},
         G_factory_area},
        {"a failed write, targets not found or not compatible, for a script", "[KDX-RM6X5, ZUPx3-Radio, Lobby]" +
         G_few.substr(11), {"--yes", "--json", missing}, "", "kind=TBOX_MEM_W,nth=2:failed", json_head + json_missing +
         "\", \"state\": \"not read\", \"refused_lines\": [], \"devices\": [], \"totals\": null, \"done\": null}, {\"file\": \"" +
         json_file + "\", \"state\": \"read\", \"refused_lines\": [], \"devices\": [{\"name\": \"Lobby\", \"mac\": null, \"state\": "
         "\"not found\", \"fields\": [], " + none + ", " + json_rm6x5 + "failed\", \"fields\": [{\"entry\": 2, \"field\": \"label\", "
         "\"old\": \"Factory 02\", \"new\": \"Vox 2\", \"now\": \"new\"}, {\"entry\": 3, \"field\": \"label\", \"old\": "
         "\"Factory 03\", \"new\": \"Fac\", \"now\": \"old\"}, {\"entry\": 4, \"field\": \"label\", \"old\": \"Factory 04\", "
         "\"new\": \"\", \"now\": \"old\"}, {\"entry\": 4, \"field\": \"device\", \"old\": \"FACTORY\", \"new\": \"\", \"now\": "
         "\"old\"}, {\"entry\": 4, \"field\": \"channel\", \"old\": \"Ch 04\", \"new\": \"\", \"now\": \"old\"}], \"refused\": [], "
         "\"failure\": {\"command\": \"write\", \"entry\": 3, \"field\": \"label\"}}, {\"name\": \"ZUPx3-Radio\", \"mac\": "
         "\"00:1D:C1:0B:00:01\", \"state\": \"not compatible\", \"fields\": [], " + none + "], \"totals\": " +
         totals({3, 1, 5, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0}) + ", \"done\": " + totals({3, 1, 1, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0}) + "}]}\n",
         opening(missing) + open_failure(missing, "--help") + head + "Warning: Lobby was not found on the network.\r\nWarning: ZUPx3-Radio "
         "(00:1D:C1:0B:00:01) is not a KALDEN-RM6X compatible device.\r\n" + G_reading + differs(file) + G_few_lines + "Plan for " +
         file + ": 5 fields to write on 1 of 3 devices; 0 already hold the file; 1 not found; 1 not compatible.\r\n" + G_writing +
         " FAILED\r\nKDX-RM6X5: the write of entry 3's label failed; read again, it holds its old bytes.\r\nKDX-RM6X5's label area "
         "now: entry 2: the file's labels, read back; entries 3 to 4: the old labels. No field is erased: each holds its old or "
         "its new bytes.\r\nDone for " + file + ": 1 field written and read back on 1 of 3 devices; 0 held them already; 1 not "
         "found; 1 not compatible; 1 failed.\r\n", 2, listed_and_read + 4, {}, {G_factory_area[0], G_few_area[1], G_factory_area[2],
         G_factory_area[3]}},
        {"one device of a venue", all_four, {"--yes", "--device", "NEW-DEVICE1"}, "", "", head + "Reading NEW-DEVICE1's labels... "
         "OK\r\nNEW-DEVICE1 (00:1D:C1:0A:00:03) differs from what " + file + " would write:\r\n" + G_vox_2 + G_plan_one +
         "Writing NEW-DEVICE1's labels... OK\r\nDone: 1 field written and read back on 1 of 1 device; 0 held them already.\r\n", "",
         0, listed_and_read + 2, {"TBOX_MEM 00:1D:C1:0A:00:03;W;0,35,0;86,111,120,32,50" + zeros(27)}, G_factory_area},
        {"a device no file targets", all_four, {"--yes", "--device", "Nobody"}, "", "", opening(file), "sync_brimel_label: --device "
         "Nobody is no target of the label files (see --help)\r\n", 2, 0, {}, G_factory_area},
        {"a connection closed while its device is read, on 8 connections", "[NEW-DEVICE1, KDX-RM6X5]" + G_one.substr(11),
         {"--dry-run", "--connections", "8"}, "", "kind=TBOX_MEM_R,mac=00:1D:C1:0A:00:01,nth=50:close", head + "Reading the labels "
         "of 2 devices... OK\r\n" + differs(file) + G_vox_2 + "NEW-DEVICE1 (00:1D:C1:0A:00:03) differs from what " + file + " would "
         "write:\r\n" + G_vox_2 + "Plan: 2 fields to write on 2 of 2 devices; 0 already hold the file.\r\n", "", 1, listed_and_read +
         194 + 50, {}, G_factory_area, {}, 8},
        {"a field another client changed while the prompt waited", G_one, {}, "y\n", "kind=TBOX_MEM_R,nth=195:change=17,Other", head +
         G_reading + differs(file) + G_vox_2 + G_plan_one + confirm_screen("\tdevice 1: " + G_rm6x5_is + ": 1 field\r\n") + "Write "
         "labels:\r\n\r\n" + G_writing + G_rm6x5_is + " changed since it was read: nothing is written to it. Its plan now:\r\n" +
         differs(file) + "\tentry 2: expected label \"Vox 2\", channel \"Ch 02\", device \"FACTORY\"; found label \"Other\", channel "
         "\"Ch 02\", device \"FACTORY\"\r\nDone: 0 fields written and read back on 0 of 1 device; 0 held them already; 1 changed since "
         "read.\r\n", " FAILED\r\n", 1, 2 * listed_and_read - 9, {}, {G_factory_area[0], "Other|FACTORY|Ch 02"},
         {"SYNC_FRESH_READ_MS=0"}},
    };
    // clang-format on
    m_sim.stop();
    for (const sync_row_t& r : rows) {
        SCOPED_TRACE(r.m_name);
        write_temp_file("sync.ini", r.m_file);
        zel_service_sim sim;
        if (!r.m_fault.empty()) {
            sim.add_fault(fault_of(r.m_fault));
        }
        sim.set_clients(r.m_clients);
        ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
        texts_t args = r.m_options;
        args.push_back(file);
        const platform::process_result_t res =
            run_tool(args, r.m_answers, G_sync_tool, r.m_environment);
        if (!r.m_out.empty()) {
            EXPECT_EQ(res.m_stdout, r.m_out);
        }
        EXPECT_EQ(res.m_stderr, r.m_err);
        EXPECT_EQ(res.m_exit_status, r.m_status);
        EXPECT_EQ(sim.command_log().size(), r.m_commands);
        if (!r.m_written.empty()) {
            EXPECT_EQ(non_reads(sim), r.m_written);
        }
        EXPECT_EQ(label_area(sim, G_rm6x5, static_cast<uint32_t>(r.m_area.size())), r.m_area);
        EXPECT_EQ(sim.violations(), texts_t());
        EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>(r.m_fault.empty() ? 0 : 1, 1));
        sim.stop();
    }
    EXPECT_EQ(file_text(kept), "kept\n");
    ASSERT_TRUE(m_sim.start(7000));  // for the fixture
}

// sync reads a label area by the writer's rules and leaves what the writer leaves, for every
// label file of the tests: the same dump after each from the same network, one whose areas
// hold odd bytes, and one whose page index answer is 299 (page 43 by its low 8 bits).
TEST(SyncAsTheWriter, EveryLabelFileLeavesTheAreasTheWriterLeaves) {
    const std::string data = WBL_TEST_DATA_DIR, examples = WBL_EXAMPLES_DIR;
    texts_t full_area;
    const std::string used =
        "network Used\nKDX-RM6X5 00:1D:C1:0A:00:01 5 2 3 10 4 area\n"
        "  02 label=\"Vox\\x01\" device=\";=@\" channel=\" lead\"\n"
        "  05 label=\"\\xFF\\xE9\" device=\"D\" channel=\"\"\n"
        "NEW-DEVICE1 00:1D:C1:0A:00:03 5 2 4 2 30\n";
    const std::string at_43 =
        "network Far\nKDX-RM6X5 00:1D:C1:0A:00:01 5 2 3 43 4\nNEW-DEVICE1 00:1D:C1:0A:00:03 5 2 4 "
        "2 30\n";
    struct row_t {
        std::string m_file;     // its text
        std::string m_network;  // empty: the built-in one
        std::string m_fault;    // in both runs; empty: none
    };
    // clang-format off
    const row_t rows[] = {
        {file_text(examples + "/stage_labels.ini"), "", ""},
        {file_text(data + "/full_devices.ini"), used, ""},
        {file_text(data + "/demo_backup.ini"), used, ""},
        {sixty_five_presets(full_area), "", ""},
        {"[KDX-RM6X5, NEW-DEVICE1]\nStage left, monitor wedges, mix X = a@b\nCaf\xC3\xA9 =  x  @ D \n", used, ""},
        {"[NEW-DEVICE1]\n[KDX-RM6X5]\n", used, ""},
        {G_few, at_43, "kind=TBOX_MEM_R,nth=1:values=299"},
    };
    // clang-format on
    const std::string file = temp_path("same.ini");
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_file.substr(0, 40));
        write_temp_file("same.ini", r.m_file);
        std::string dumps[2];
        for (int k = 0; k < 2; ++k) {
            zel_service_sim sim(r.m_network.empty() ? default_network() : network_of(r.m_network));
            if (!r.m_fault.empty()) {
                sim.add_fault(fault_of(r.m_fault));
            }
            ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
            const platform::process_result_t res =
                k == 0 ? run_tool({file}, "y\n") : run_tool({"--yes", file}, "", G_sync_tool);
            EXPECT_EQ(res.m_stderr.find("could not be read"), std::string::npos) << res.m_stderr;
            EXPECT_EQ(sim.violations(), texts_t());
            EXPECT_EQ(sim.fault_fired_counts(),
                      std::vector<uint64_t>(r.m_fault.empty() ? 0 : 1, 1));
            dumps[k] = sim.dump();
        }
        EXPECT_EQ(dumps[1], dumps[0]);
    }
}

// What a sync wrote is put back exactly by its undo record, whatever bytes the fields held
// (gaps, control bytes, ";", leading blanks, a full field ending in a blank, code page bytes),
// and nothing else is touched: the dump after the sync and the undo is the dump before.
TEST(SyncUndo, PutsBackEveryByteItWroteAndNothingElse) {
    const std::string used =
        "network Used\nKDX-RM6X5 00:1D:C1:0A:00:01 5 2 3 10 4 area\n"
        "  01 label=\"Stage left, monitor wedges, mix \" device=\"D\" channel=\" lead\"\n"
        "  03 label=\"Vox\\x01;\" device=\"\\xFF\\x82\" channel=\"\"\n"
        "  05 label=\"\\x00tail\" device=\"A\" channel=\"B\"\n"
        "NEW-DEVICE1 00:1D:C1:0A:00:03 5 2 4 2 30 area\n  02 label=\"x\" device=\"y\" "
        "channel=\"z\"\n";
    const std::string file = write_temp_file(
        "undo.ini", "[KDX-RM6X5, NEW-DEVICE1]\nOne = c1@d1\nTwo = c2@d2\nThree = c3@d3\n");
    const std::string record = temp_path("undo.txt");
    std::filesystem::remove(std::filesystem::u8path(record));
    zel_service_sim sim(network_of(used));
    ASSERT_TRUE(sim.start(7000)) << "port 7000 is taken";
    const std::string before = sim.dump();
    EXPECT_EQ(run_tool({"--yes", "--save-undo", record, file}, "", G_sync_tool).m_exit_status, 0);
    EXPECT_NE(sim.dump(), before);
    const platform::process_result_t undo = run_tool({"--yes", "--undo", record}, "", G_sync_tool);
    EXPECT_EQ(undo.m_exit_status, 0);
    EXPECT_NE(undo.m_stdout.find("Done: 21 fields written and read back on 2 of 2 devices"),
              std::string::npos)
        << undo.m_stdout;
    EXPECT_EQ(sim.dump(), before);
    // A field holding neither its bytes is kept, and counted once however often its device
    // is read (here again before its writes).
    ASSERT_EQ(
        run_tool({"--yes", "--force", "--save-undo", record, file}, "", G_sync_tool).m_exit_status,
        0);
    std::string edited = file_text(record);
    edited.replace(edited.find("\"One\""), 5, "\"Uno\"");
    write_temp_file("undo.txt", edited);
    const platform::process_result_t kept =
        run_tool({"--yes", "--undo", record}, "", G_sync_tool, {"SYNC_FRESH_READ_MS=0"});
    EXPECT_EQ(kept.m_exit_status, 1);
    EXPECT_NE(
        kept.m_stderr.find("Warning: NEW-DEVICE1's entry 1's label holds 'One', neither the bytes "
                           "written nor those it held before: it is left as it is.\r\n"),
        std::string::npos)
        << kept.m_stderr;
    EXPECT_EQ(
        kept.m_stdout.substr(kept.m_stdout.rfind("Done")),
        "Done: 20 fields written and read back on 2 of 2 devices; 0 held them already; 1 kept "
        "(holding other bytes).\r\n");
    // A record's bytes go back only into the device they came from, known by its MAC.
    for (std::size_t at = edited.find("0A:00:01"); at != std::string::npos;
         at = edited.find("0A:00:01", at)) {
        edited.replace(at, 8, "0A:00:09");
    }
    write_temp_file("undo.txt", edited);
    const std::string undone = sim.dump();
    const platform::process_result_t other = run_tool({"--yes", "--undo", record}, "", G_sync_tool);
    EXPECT_EQ(other.m_exit_status, 2);
    EXPECT_NE(
        other.m_stderr.find("Warning: KDX-RM6X5 is 00:1D:C1:0A:00:01 now, not the device of "
                            "the undo record (00:1D:C1:0A:00:09): nothing is undone on it.\r\n"),
        std::string::npos)
        << other.m_stderr;
    EXPECT_EQ(sim.dump(), undone);
    EXPECT_EQ(sim.violations(), texts_t());
}

// A Ctrl-C stops the sync after the command in flight: during the writes, what was written
// is not read back and the devices after it are not written; during the reads, nothing is
// written. The label files after it are not synced.
TEST_F(Sync, CtrlCStopsAfterTheCommandInFlight) {
    const std::string few =
        write_temp_file("few.ini", "[NEW-DEVICE1, KDX-RM6X5]" + G_few.substr(11));
    const std::string next = write_temp_file("next.ini", G_factory);
    const std::string not_run =
        "Stopped by Ctrl-C; these label files were not synced: " + next + "\r\n";
    struct row_t {
        texts_t m_options;
        std::string m_fault;  // the command held back 400 ms, within its time-out
        std::string m_trigger;
        std::string m_out;  // checked when not empty
        std::string m_err;
        std::size_t m_commands;
        texts_t m_rm6x5;
    };
    // clang-format off
    const row_t rows[] = {
        {{"--yes"}, "kind=TBOX_MEM_W,nth=2", "Writing 10 fields on 2 devices...", "", " STOPPED\r\nKDX-RM6X5's label area now: "
         "entries 2 to 3: the file's labels, not read back; entry 4: the old labels. No field is erased: each holds its old or its new "
         "bytes.\r\nNEW-DEVICE1: stopped by Ctrl-C before its first write: its label area is unchanged.\r\n" + not_run,
         9 + 2 * 194 + 2, {G_factory_area[0], G_few_area[1], G_few_area[2], G_factory_area[3]}},
        {{"--yes", "--json"}, "kind=TBOX_MEM_R,nth=100", "Reading the labels of 2 devices...", R"({"schema": 1, )" + G_json_service +
         R"("dry_run": false, "files": [{"file": ")" + json_path(few) + R"(", "state": "read", "refused_lines": [], "devices": )"
         R"([{"name": "KDX-RM6X5", "mac": "00:1D:C1:0A:00:01", "state": "stopped", "fields": [], "refused": [], "failure": null}, )"
         R"({"name": "NEW-DEVICE1", "mac": "00:1D:C1:0A:00:03", "state": "stopped", "fields": [], "refused": [], "failure": null}], )"
         R"("totals": {"devices": 2, "differing": 0, "fields": 0, "same": 0, "not_found": 0, "not_compatible": 0, "ambiguous": 0, )"
         R"("not_read": 0, "failed": 0, "stopped": 2, "changed": 0, "not_contacted": 0, "left": 0}, "done": null}, {"file": ")" +
         json_path(next) + R"(", "state": "not run", "refused_lines": [], "devices": [], "totals": null, "done": null}]})" "\n",
         opening(few) + opening(next) + G_greeting + "Reading the labels of 2 devices... STOPPED\r\nPlan for " + few + ": 0 fields to "
         "write on 0 of 2 devices; 0 already hold the file; 2 stopped.\r\nThe sync of " + few + " was stopped by Ctrl-C before anything "
         "was written.\r\n" + not_run, 9 + 100, G_factory_area},
    };
    // clang-format on
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_fault);
        zel_service_sim sim;
        sim.add_fault(fault_of(r.m_fault + ":delay=400"));
        texts_t args = {G_sync_tool};
        args.insert(args.end(), r.m_options.begin(), r.m_options.end());
        args.insert(args.end(), {few, next});
        m_sim.stop();
        ASSERT_TRUE(sim.start(7000));
        platform::process_options_t options;
        options.m_interrupt_after = r.m_trigger;
        options.m_interrupt_after_error =
            !r.m_out.empty();  // JSON: the progress is on standard error
        options.m_interrupt_delays_ms = {300};
        const platform::process_result_t res = platform::run_process(args, "", 60000, options);
        if (res.m_interrupts_sent == 0) {
            GTEST_SKIP() << "no console control event can be sent here (Wine, no console)";
        }
        if (!r.m_out.empty()) {
            EXPECT_EQ(res.m_stdout, r.m_out);
        }
        EXPECT_EQ(res.m_stderr, r.m_err);
        EXPECT_EQ(res.m_exit_status, 1);
        EXPECT_EQ(sim.command_log().size(), r.m_commands);
        EXPECT_EQ(label_area(sim, G_rm6x5, 4), r.m_rm6x5);
        EXPECT_EQ(label_area(sim, G_new1, 4), G_factory_area);
        sim.stop();
    }
    ASSERT_TRUE(m_sim.start(7000));  // for the fixture
}

}  // namespace
