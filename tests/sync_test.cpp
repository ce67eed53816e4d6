// The sync of one device against the simulated service in-process, made to fail at each of
// its writes and read-backs, and the texts and JSON that tell what a label area holds after.
#include "sim_support.h"
#include "sync_brimel_label/sync_brimel_label.h"
#include "sync_brimel_label/sync_messages.h"

using namespace sync_job;

namespace {

// The 192 name fields of KDX-RM6X5's label area (pages 14 to 205), 32 bytes each.
std::string area_bytes(const zel_service_sim& p_sim) {
    std::string area;
    for (uint32_t page = 14; page < 14 + 192; ++page) {
        const std::vector<uint8_t> bytes = p_sim.read_page(G_rm6x5_mac, page);
        area.append(bytes.begin(), bytes.begin() + 32);
    }
    return area;
}

// Against the four factory entries of KDX-RM6X5: entry 2's label, entry 3's device and channel
// and the three fields of a fifth entry differ; or all 192 fields.
label_entries_t six_changes() {
    return {{"Factory 01", "FACTORY", "Ch 01"},
            {"Vox 2", "FACTORY", "Ch 02"},
            {"Factory 03", "FOH", "Mix 3"},
            {"Factory 04", "FACTORY", "Ch 04"},
            {"New", "Dev", "Ch 5"}};
}
label_entries_t full_rewrite() {
    label_entries_t presets;
    for (int k = 1; k <= 64; ++k) {
        presets.push_back({"Label " + std::to_string(k), "Dev-" + std::to_string(k), "Ch"});
    }
    return presets;
}

// Every position of a sync of six fields, and a sample of a full rewrite, made to fail or
// fall silent: after each, every field of the area holds its old or its new 32 bytes, the
// sync says which, and nothing else of the area changed.
TEST(SyncDevice, WhateverFailsEveryFieldHoldsItsOldOrItsNewBytesAndTheSyncSaysWhich) {
    struct sweep_t {
        label_entries_t m_presets;
        std::size_t m_changes;
        std::vector<uint64_t> m_positions;  // of the writes, and of the read-backs after them
    };
    const sweep_t sweeps[] = {{six_changes(), 6, {1, 2, 3, 4, 5, 6}},
                              {full_rewrite(), 192, {1, 100, 192}}};
    socket_handle link;
    link.keep_quiet();
    const zel_network_keys_t network = {G_rm6x5_mac};
    for (const sweep_t& sweep : sweeps) {
        for (const std::string fault : {"W,nth=", "R,nth=194+"}) {  // a read-back follows 194 reads
            for (const uint64_t position : sweep.m_positions) {
                for (const std::string action : {":failed", ":silent"}) {
                    const bool write = fault[0] == 'W';
                    SCOPED_TRACE(fault + std::to_string(position) + action);
                    zel_service_sim sim;
                    sim.add_fault(fault_of("kind=TBOX_MEM_" + fault.substr(0, 6) +
                                           std::to_string(position + (write ? 0 : 194)) + action));
                    ASSERT_TRUE(sim.start(0));
                    link.close_ZELService_connection();
                    link.set_service_port(sim.port());
                    const area_read_t read = read_device_area(link, network, {G_rm6x5_mac, {}});
                    ASSERT_EQ(read.m_state, AREA_READ);
                    plan_t plan = plan_of(read, sweep.m_presets);
                    const std::string before = area_bytes(sim);
                    const writes_result_t result = apply_plan(link, network, G_rm6x5_mac, plan);
                    ASSERT_EQ(plan.m_changes.size(), sweep.m_changes);
                    EXPECT_EQ(result.m_end, write ? WRITE_FAILED : READ_BACK_FAILED);
                    EXPECT_EQ(result.m_at, position - 1);
                    EXPECT_EQ(sim.fault_fired_counts(), std::vector<uint64_t>{1});
                    // Read back before the failure, written or not after it; the failed
                    // write read again.
                    std::string expected = before;  // with each planned field as it is now
                    const std::string area = area_bytes(sim);
                    for (std::size_t k = 0; k < plan.m_changes.size(); ++k) {
                        const field_change_t& change = plan.m_changes[k];
                        const field_state_t state = k + 1 < position ? FIELD_NEW
                                                    : !write         ? FIELD_WRITTEN
                                                    : k + 1 > position || action == ":failed"
                                                        ? FIELD_OLD
                                                        : FIELD_NEW;
                        const std::size_t at = 32 * (3 * (change.m_entry - 1) + change.m_field);
                        EXPECT_EQ(change.m_now, state) << k;
                        EXPECT_EQ(area.substr(at, 32),
                                  state == FIELD_OLD ? change.m_old : change.m_new)
                            << k;
                        expected.replace(at, 32, area.substr(at, 32));
                    }
                    EXPECT_EQ(area, expected);
                }
            }
        }
    }
}

field_change_t field(std::size_t p_entry, uint32_t p_field, field_state_t p_now) {
    return field_change_t{p_entry, p_field, "", "", p_now};
}

// The failed command, then what each field to write holds, entries grouped by it.
TEST(SyncMessages, AFailureIsToldWithWhatEachFieldHoldsNow) {
    const std::vector<field_change_t> partly = {field(1, 0, FIELD_NEW), field(2, 0, FIELD_NEW),
                                                field(2, 2, FIELD_NEW), field(3, 0, FIELD_NEW),
                                                field(3, 1, FIELD_OLD), field(3, 2, FIELD_OLD),
                                                field(5, 0, FIELD_OLD), field(6, 1, FIELD_OLD)};
    const std::string kept = " No field is erased: each holds its old or its new bytes.\r\n";
    const std::string partly_area =
        "K's label area now: entries 1 to 2 and entry 3's label: the file's labels, read back; "
        "entry 3's device, entry 3's channel and entries 5 to 6: the old labels." +
        kept;
    const std::vector<field_change_t> unread = {field(1, 0, FIELD_NEW), field(2, 1, FIELD_WRITTEN),
                                                field(4, 1, FIELD_WRITTEN)};
    struct row_t {
        std::vector<field_change_t> m_changes;
        std::size_t m_at;
        writes_end_t m_end;
        std::string m_text;
    };
    // clang-format off
    const row_t rows[] = {
        {partly, 4, WRITE_FAILED, "K: the write of entry 3's device failed; read again, it holds its old bytes.\r\n" + partly_area},
        {{field(3, 0, FIELD_NEW)}, 0, WRITE_FAILED,
         "K: the write of entry 3's label failed; read again, it holds its new bytes.\r\nK's label area now: entry 3: "
         "the file's labels, read back." + kept},
        {{field(3, 0, FIELD_UNKNOWN), field(3, 1, FIELD_OLD)}, 0, WRITE_FAILED,
         "K: the write of entry 3's label failed; it could not be read again: it holds its old or its new bytes.\r\n"
         "K's label area now: entry 3's label: the old or the file's labels; entry 3's device: the old labels." + kept},
        {unread, 1, READ_BACK_FAILED,
         "K: the read-back of entry 2's device failed; its write was acknowledged.\r\nK's label area now: entry 1: "
         "the file's labels, read back; entry 2 and entry 4: the file's labels, not read back." + kept},
        {{field(1, 2, FIELD_OLD)}, 0, READ_BACK_DIFFERS,
         "K: the read-back of entry 1's channel found its old bytes: the write did not take.\r\nK's label area "
         "now: entry 1: the old labels." + kept},
        {{field(3, 0, FIELD_OTHER)}, 0, WRITE_FAILED,
         "K: the write of entry 3's label failed; read again, it holds other bytes.\r\nK's label area now: entry 3: "
         "other bytes.\r\n"},
        {{field(1, 2, FIELD_OTHER)}, 0, READ_BACK_DIFFERS,
         "K: the read-back of entry 1's channel found other bytes than the ones written.\r\nK's label area now: "
         "entry 1: other bytes.\r\n"},
    };
    // clang-format on
    for (const row_t& r : rows) {
        EXPECT_EQ((sync_msg::failure("K", r.m_changes[r.m_at], r.m_end) +
                   sync_msg::area_now("K", r.m_changes))
                      .shown(false),
                  r.m_text);
    }
}

// An undo's plan: the fields to put back, one line per entry.
TEST(SyncMessages, AnUndoPlanGroupsItsFieldsByEntry) {
    const std::vector<field_change_t> changes = {{1, 0, "a", "b", FIELD_OLD},
                                                 {2, 1, "c", "d", FIELD_OLD},
                                                 {2, 2, "e", "", FIELD_OLD},
                                                 {5, 0, "g", "h", FIELD_OLD},
                                                 {5, 1, "i", "j", FIELD_OLD}};
    EXPECT_EQ(
        sync_msg::undo_plan("K", "M", changes).shown(false),
        "K (M): 5 fields to put back:\r\n\tentry 1: label 'a' -> 'b'\r\n\tentry 2: device "
        "'c' -> 'd', channel 'e' -> ''\r\n\tentry 5: label 'g' -> 'h', device 'i' -> 'j'\r\n");
}

// One refused line or several, as the operator reads them.
TEST(SyncMessages, RefusedLinesAreNamedInOneSentence) {
    EXPECT_EQ(sync_msg::refused_lines("f.ini", {7}).shown(false),
              "f.ini is not synced: its line 7 was refused, nothing is written.\r\n");
    EXPECT_EQ(sync_msg::refused_lines("f.ini", {2, 3, 9}).shown(false),
              "f.ini is not synced: its lines 2, 3 and 9 were refused, nothing is written.\r\n");
}

// A record is taken whole, every byte as written, or refused at its first line that is no
// field a sync wrote.
TEST(SyncUndo, ARecordIsTakenWholeOrRefusedAtItsFirstBadLine) {
    const std::string mac = "\"00:1D:C1:0A:00:01\"";
    const std::string field = "\"K\" " + mac + " 3 channel \"Ch 03\" \"Mix\"\n";
    const std::string shape = "a field is \"NAME\" \"MAC\" ENTRY FIELD \"HELD\" \"WRITTEN\"";
    const std::string entry = "the entry is a number from 1 to 64";
    struct row_t {
        const char* m_what;
        std::string m_text;
        std::string m_why;  // empty: taken
    };
    // clang-format off
    const row_t rows[] = {
        {"comments, a blank line and CR LF around two fields", "; head\r\n\r\n" + field + "\"K\" " + mac +
         " 64 label \"\\x01;\" \"\"\r\n", ""},
        {"five words", "; head\n\"K\" " + mac + " 3 channel \"a\"\n", "line 2: " + shape},
        {"a quote not closed", "\"K\" " + mac + " 3 channel \"a\" \"b\n", "line 1: " + shape},
        {"a name not quoted", "K " + mac + " 3 channel \"a\" \"b\"\n", "line 1: the device's name and MAC are quoted texts"},
        {"entry 0", "\"K\" " + mac + " 0 label \"a\" \"b\"\n", "line 1: " + entry},
        {"entry 65", "\"K\" " + mac + " 65 label \"a\" \"b\"\n", "line 1: " + entry},
        {"entry 3x", "\"K\" " + mac + " 3x label \"a\" \"b\"\n", "line 1: " + entry},
        {"another field", "\"K\" " + mac + " 3 colour \"a\" \"b\"\n", "line 1: the field is label, device or channel"},
        {"33 bytes written", "\"K\" " + mac + " 3 label \"a\" \"" + std::string(33, 'b') + "\"\n",
         "line 1: the bytes held and written are quoted texts of at most 32 bytes"},
        {"a field twice", "; head\n" + field + field, "line 3: this field is given twice"},
    };
    // clang-format on
    for (const row_t& r : rows) {
        std::vector<undo_field_t> fields;
        std::string why;
        EXPECT_EQ(read_undo_record(r.m_text, fields, why), r.m_why.empty()) << r.m_what;
        EXPECT_EQ(why, r.m_why) << r.m_what;
        EXPECT_EQ(fields.size(), r.m_why.empty() ? 2u : 0u) << r.m_what;
    }
    std::vector<undo_field_t> fields;
    std::string why;
    ASSERT_TRUE(read_undo_record(rows[0].m_text, fields, why));
    const std::string zeros(32, '\0');
    EXPECT_EQ(fields[0].m_name + " " + fields[0].m_mac, "K 00:1D:C1:0A:00:01");
    EXPECT_EQ(fields[0].m_entry * 10 + fields[0].m_field, 32u);  // entry 3, channel
    EXPECT_EQ(fields[0].m_old, "Ch 03" + zeros.substr(5));
    EXPECT_EQ(fields[0].m_new, "Mix" + zeros.substr(3));
    EXPECT_EQ(fields[1].m_entry * 10 + fields[1].m_field, 640u);  // entry 64, label
    EXPECT_EQ(fields[1].m_old, "\x01;" + zeros.substr(2));
    EXPECT_EQ(fields[1].m_new, zeros);
}

}  // namespace
