// The text rules of a backup: an entry that a label file carries back unchanged becomes a
// label line; any other, and every entry after an empty or commented one, a comment with a
// warning. And the lines of --verify for each kind of difference.
#include "read_brimel_label/read_brimel_label.h"
#include "unit_support.h"

namespace {

TEST(BackupText, WhatCannotBeCarriedBackBecomesACommentWithAWarning) {
    struct row_t {
        label_entries_t m_entries;  // label, Dante device, channel each
        std::string m_line;         // after the device's head
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
        {{{"A", "c", "b "}}, "; entry 1 has leading or trailing blanks: label \"A\", channel \"b \", device \"c\""},
        {{{"A", "c", ""}}, "; entry 1 has an empty field: label \"A\", channel \"\", device \"c\""},
        {{{"", "c", "b"}}, "; entry 1 has an empty field: label \"\", channel \"b\", device \"c\""},
        {{{"A", "Rack_1", "b"}}, "; entry 1 has a device name of other than letters, digits and \"-\": label \"A\", channel \"b\", device \"Rack_1\""},
        {{{"A\xFF", "c", "b"}}, "; entry 1 holds a character no label file carries: label \"A\\xFF\", channel \"b\", device \"c\""},
        {{{"A[", "c", "]b"}}, "; entry 1 would read as a device section: label \"A[\", channel \"]b\", device \"c\""},
        {{{"", "", ""}, {"A", "c", "b"}}, "; entry 2 comes after an empty or commented entry: restoring would move it: label \"A\", channel \"b\", device \"c\""},
    };
    // clang-format on
    for (const row_t& r : rows) {
        SCOPED_TRACE(r.m_line);
        std::string text;
        const captured_t got =
            capture_output([&] { text = device_backup_text("D", "M", r.m_entries); });
        EXPECT_EQ(text, "; device D, MAC M\r\n[D]\r\n" + r.m_line + "\r\n");
        // The warning repeats the comment's "entry N <reason>".
        const std::string what = r.m_line.substr(2, r.m_line.find(": label") - 2);
        EXPECT_EQ(got.m_err, r.m_line[0] == ';'
                                 ? "Warning: D's " + what + ": it is written as a comment.\r\n"
                                 : "");
    }
}

TEST(BackupText, AnEntryAfterACommentedOneIsCommentedToo) {
    std::string text;
    capture_output([&] {
        text = device_backup_text("D", "M", {{"A;1", "c", "b"}, {"B", "c", "b"}});
    });
    EXPECT_NE(text.find("; entry 2 comes after an empty or commented entry"), std::string::npos);
}

TEST(BackupText, VerifyTellsAnEntryChangedAddedOrErased) {
    const label_entries_t presets = {{"A", "c", "b"}, {"Caf\x82", "c", "b"}};
    EXPECT_EQ(entry_differences(presets, {{"A", "c", "x"}, {}, {"C", "c", "b"}}),
              "\tentry 1: expected label \"A\", channel \"b\", device \"c\"; found label \"A\", "
              "channel \"x\", device \"c\"\r\n\tentry 2 would be added: label \"" +
                  as_shown("Caf\xC3\xA9", "Caf\x82") +
                  "\", channel \"b\", device \"c\"\r\n\tentry 3 would be erased: label \"C\", "
                  "channel \"b\", device \"c\"\r\n");
}

}  // namespace
