// The text rules of a backup: an entry that a label file carries back unchanged becomes a
// label line; any other, and every entry after an empty or commented one, a comment with a
// warning. And the lines of --verify for each kind of difference.
#include "device_core/backup_text.h"
#include "device_core/label_compare.h"
#include "device_core/network_capture.h"
#include "unit_support.h"

namespace {

// The three name fields of an entry as a device holds them: 32 bytes each, p_tail after the
// label's end.
label_preset_t device_fields(const std::string& p_label, const std::string& p_device,
                             const std::string& p_channel, const std::string& p_tail = "") {
    const auto field = [](std::string p_text) {
        p_text.resize(32, '\0');
        return p_text;
    };
    std::string label = field(p_label);
    label.replace(p_label.size() + 1, p_tail.size(), p_tail);
    return label_preset_t{label, field(p_device), field(p_channel)};
}

TEST(BackupText, WhatCannotBeCarriedBackBecomesACommentWithAWarning) {
    struct row_t {
        label_entries_t m_entries;  // label, Dante device, channel each
        std::string m_line;         // after the device's head
        std::string m_mac = "M";
        std::string m_shown_mac = "M";
    };
    // clang-format off
    const row_t rows[] = {
        {{{"Radio Varnia", "ZUPx3-Radio", "RadioVarnia-ch1"}}, "Radio Varnia = RadioVarnia-ch1@ZUPx3-Radio"},
        {{{"Caf\x82 \x9A", "D-1", "Ch 1"}}, "Caf\xC3\xA9 \xC3\x9C = Ch 1@D-1"},
        {{{"A;1", "c", "b"}}, "; entry 1 holds \";\", \"=\" or \"@\": label \"A;1\", channel \"b\", device \"c\""},
        {{{"A", "c", "b=2"}}, "; entry 1 holds \";\", \"=\" or \"@\": label \"A\", channel \"b=2\", device \"c\""},
        {{{"A@", "c", "b"}}, "; entry 1 holds \";\", \"=\" or \"@\": label \"A@\", channel \"b\", device \"c\""},
        {{{"A\tB", "c", "b"}}, "; entry 1 holds a control byte: label \"A\\x09B\", channel \"b\", device \"c\""},
        {{{" A", "c", "b"}}, "; entry 1 has leading or trailing blanks: label \" A\", channel \"b\", device \"c\""},
        {{{"A", "c", "b "}, {"B  ", "c", "b"}}, "A = b@c\r\n; entry 1 ends in blanks a label line cannot carry, which a restore "
         "drops: label \"A\", channel \"b \", device \"c\"\r\nB = b@c\r\n; entry 2 ends in blanks a label line cannot carry, "
         "which a restore drops: label \"B  \", channel \"b\", device \"c\""},
        {{{" A ", "c", "b"}}, "; entry 1 has leading or trailing blanks: label \" A \", channel \"b\", device \"c\""},
        {{{"A", "c", "  "}}, "; entry 1 has an empty field: label \"A\", channel \"  \", device \"c\""},
        {{{"A", "c", ""}}, "; entry 1 has an empty field: label \"A\", channel \"\", device \"c\""},
        {{{"", "c", "b"}}, "; entry 1 has an empty field: label \"\", channel \"b\", device \"c\""},
        {{{"A", "", "b"}}, "; entry 1 has an empty field: label \"A\", channel \"b\", device \"\""},
        {{{"A", "Rack_1", "b"}}, "; entry 1 has a device name of other than letters, digits and \"-\": label \"A\", channel \"b\", device \"Rack_1\""},
        {{{"A\xFF", "c", "b"}}, "; entry 1 holds a character no label file carries: label \"A\\xFF\", channel \"b\", device \"c\""},
        {{{"A[", "c", "]b"}}, "; entry 1 would read as a device section: label \"A[\", channel \"]b\", device \"c\""},
        {{{"A", "c", "b"}}, "A = b@c", "M\x1B[2J\r\n", "M\\x1B[2J\\x0D\\x0A"},
        {{{"", "", ""}, {"A", "c", "b"}}, "; entry 2 comes after an empty or commented entry: restoring would move it: label \"A\", channel \"b\", device \"c\""},
        {{{"A;1", "c", "b"}, {"B", "c", "b"}}, "; entry 1 holds \";\", \"=\" or \"@\": label \"A;1\", channel \"b\", device \"c\"\r\n"
         "; entry 2 comes after an empty or commented entry: restoring would move it: label \"B\", channel \"b\", device \"c\""},
    };
    // clang-format on
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_line);
        std::vector<entry_note_t> notes;
        label_entries_t fields;
        for (const label_preset_t& entry : r.m_entries) {
            fields.push_back(device_fields(entry.label, entry.device_id, entry.channel_id));
        }
        EXPECT_EQ(device_backup_text("D", r.m_mac, fields, notes),
                  "; device D, MAC " + r.m_shown_mac + "\r\n[D]\r\n" + r.m_line + "\r\n");
        // The note repeats the first comment's "entry N <reason>", and says whether the entry is
        // one.
        const std::size_t comment = r.m_line.find("; entry");
        const std::string what =
            r.m_line.substr(comment + 2, r.m_line.find(": label") - comment - 2);
        EXPECT_EQ(notes.empty()
                      ? ""
                      : "entry " + std::to_string(notes[0].m_number) + " " + notes[0].m_reason,
                  comment == std::string::npos ? "" : what);
        EXPECT_TRUE(notes.empty() || notes[0].m_commented == (comment == 0));
    }
}

TEST(BackupText, OnlyADeviceNameALabelFileCanGiveHeadsASection) {
    EXPECT_TRUE(is_section_name(std::string(32, 'A')));
    for (const std::string& name : {std::string(33, 'A'), std::string(), std::string("A B"),
                                    std::string("A\0", 2), std::string("Caf\x82")}) {
        EXPECT_FALSE(is_section_name(name)) << name;
    }
}

TEST(BackupText, VerifyComparesWholeFieldsAndTellsAnEntryChangedAddedOrErased) {
    // A preset is written up to its first zero byte, as a name field takes it.
    const label_entries_t presets = {{"A", "c", "b"},
                                     {"Caf\x82", "c", "b"},
                                     {},
                                     {std::string("Z\0z", 3), "c", "b"},
                                     {"Y", "c", "b"}};
    const label_entries_t fields = {
        device_fields("A", "c", "x"),          device_fields("", "", ""),
        device_fields("C", "c", "b"),          device_fields("Z", "c", "b"),
        device_fields("Y", "c", "b", "after"), device_fields("", "", "")};
    std::string found;
    for (const entry_difference_t& d : entry_differences(presets, fields)) {
        found += std::to_string(d.m_number) + ":" + std::to_string(d.m_kind) + " " +
                 d.m_expected.label + "/" + d.m_found.label + "/" + d.m_found.channel_id + ";";
    }
    EXPECT_EQ(found,
              "1:0 A/A/x;2:1 Caf\x82//;3:2 /C/b;5:0 Y/Y" + std::string(1, '\0') + "after/b;");
}

TEST(BackupText, BytesAfterANameAreShownInACommentAndNoted) {
    std::vector<entry_note_t> notes;
    const std::string text = device_backup_text(
        "D", "M", {device_fields("A", "c", "b", "z"), device_fields("", "", "", "q")}, notes);
    EXPECT_EQ(text,
              "; device D, MAC M\r\n[D]\r\nA = b@c\r\n; entry 1 holds bytes after the end of "
              "a name, which a restore clears: label \"A\\x00z\", channel \"b\", device "
              "\"c\"\r\n; entry 2 holds bytes after the end of a name, which a restore clears: "
              "label \"\\x00q\", channel \"\", device \"\"\r\n");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_FALSE(notes[0].m_commented || notes[1].m_commented);  // their lines stay
}

// A capture quotes what needs it, keeps the location bytes read (P 0 too) and the entries
// that hold a byte, each field whole.
TEST(CaptureText, DevicesAsTheSimulatorReadsThemBack) {
    network_view_t view;
    view.m_name = "Hall #1";
    network_device_t device;
    device.m_identifier = "02:01";
    device.m_info = net_device_info_t{"02:01", "Desk\r", 5, 2, 3, "1;0;5;2;3;8;8;1;0;"};
    captured_area_t area;
    area.m_location = label_location_t{0, 5};
    area.m_entries = {device_fields("", "", ""), device_fields("A", "d", "c", "z")};
    EXPECT_EQ(capture_head(view, "9.9"),
              "# A capture of a network by read_brimel_label 9.9, for zel_service_sim --network\n"
              "network \"Hall #1\"\n");
    EXPECT_EQ(captured_device_text(device, &area),
              "\"Desk\\x0D\" 02:01 5 2 3 0 5 info=\"1;0;5;2;3;8;8;1;0;\" area\n"
              "  02 label=\"A\\x00z\" device=\"d\" channel=\"c\"\n");
    EXPECT_EQ(captured_device_text(device, nullptr),
              "\"Desk\\x0D\" 02:01 5 2 3 0 0 info=\"1;0;5;2;3;8;8;1;0;\"\n");
    EXPECT_EQ(uncaptured_device_text(device) + unread_device_text(device),
              "# \"02:01\": no information answer\n# \"02:01\" \"Desk\\x0D\": its label area could "
              "not be read\n");
}

}  // namespace
