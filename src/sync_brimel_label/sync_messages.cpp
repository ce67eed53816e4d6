#include "sync_brimel_label/sync_messages.h"

#include "basic_type/confirmation.h"
#include "basic_type/label_area.h"
#include "device_core/backup_text.h"
#include "device_core/network_view.h"
#include "project_version.h"

using sync_job::field_change_t;
using sync_job::field_state_t;

namespace {

const std::string G_nl = "\r\n";
const std::string G_program = sync_msg::program;

std::string plural(std::size_t p_count, const char* p_one, const char* p_more) {
    return std::to_string(p_count) + " " + (p_count == 1 ? p_one : p_more);
}

std::string fields(std::size_t p_count) {
    return plural(p_count, "field", "fields");
}

// A device of the label file, and its MAC as the service gave it.
console_message_t name_and_mac(const std::string& p_name, const std::string& p_mac) {
    return label_file_text(p_name) + " (" + service_text(p_mac) + ")";
}

// "a", "a and b", "a, b and c".
std::string joined(const std::vector<std::string>& p_parts) {
    std::string text;
    for (std::size_t k = 0; k < p_parts.size(); ++k) {
        text += (k == 0 ? "" : k + 1 == p_parts.size() ? " and " : ", ") + p_parts[k];
    }
    return text;
}

// A name field as a message shows it: up to its last byte that is not zero, every byte a
// label file cannot carry written as \xHH.
console_message_t shown(const std::string& p_field) {
    return "'" + typed_text(comment_text(field_bytes(p_field))) + "'";
}

// The groups of what the fields hold, in the order the area line tells them.
struct state_words_t {
    field_state_t m_state;
    const char* m_words;
};
const state_words_t G_state_words[] = {
    {sync_job::FIELD_NEW, "the file's labels, read back"},
    {sync_job::FIELD_WRITTEN, "the file's labels, not read back"},
    {sync_job::FIELD_UNKNOWN, "the old or the file's labels"},
    {sync_job::FIELD_OTHER, "other bytes"},
    {sync_job::FIELD_OLD, "the old labels"},
};

// Whole entries (m_field null), or one field of an entry.
struct piece_t {
    std::size_t m_first;
    std::size_t m_last;
    const char* m_field;
};

std::string piece_text(const piece_t& p_piece) {
    if (p_piece.m_field != nullptr) {
        return "entry " + std::to_string(p_piece.m_first) + "'s " + p_piece.m_field;
    }
    return p_piece.m_first == p_piece.m_last ? "entry " + std::to_string(p_piece.m_first)
                                             : "entries " + std::to_string(p_piece.m_first) +
                                                   " to " + std::to_string(p_piece.m_last);
}

std::string field_of_entry(const field_change_t& p_change) {
    return piece_text(
        piece_t{p_change.m_entry, p_change.m_entry, sync_msg::field_name(p_change.m_field)});
}

// In entry order, what holds p_state: each entry whose changes all hold it, consecutive ones
// as one range, and each change that holds it in an entry whose changes differ.
std::vector<std::string> holding(const std::vector<field_change_t>& p_changes,
                                 field_state_t p_state) {
    std::vector<piece_t> pieces;
    for (std::size_t first = 0; first < p_changes.size();) {
        const std::size_t entry = p_changes[first].m_entry;
        bool same = true;
        std::size_t end = first;
        for (; end < p_changes.size() && p_changes[end].m_entry == entry; ++end) {
            same = same && p_changes[end].m_now == p_changes[first].m_now;
        }
        const bool extends = !pieces.empty() && pieces.back().m_field == nullptr &&
                             pieces.back().m_last + 1 == entry;
        if (same && p_changes[first].m_now == p_state && extends) {
            pieces.back().m_last = entry;
        } else if (same && p_changes[first].m_now == p_state) {
            pieces.push_back(piece_t{entry, entry, nullptr});
        }
        for (std::size_t k = first; k < end && !same; ++k) {
            if (p_changes[k].m_now == p_state) {
                pieces.push_back(piece_t{entry, entry, sync_msg::field_name(p_changes[k].m_field)});
            }
        }
        first = end;
    }
    std::vector<std::string> texts;
    for (const piece_t& piece : pieces) {
        texts.push_back(piece_text(piece));
    }
    return texts;
}

std::string after_failed_write(field_state_t p_now) {
    switch (p_now) {
        case sync_job::FIELD_OLD:
            return "read again, it holds its old bytes.";
        case sync_job::FIELD_NEW:
            return "read again, it holds its new bytes.";
        case sync_job::FIELD_OTHER:
            return "read again, it holds other bytes.";
        default:
            return "it could not be read again: it holds its old or its new bytes.";
    }
}

}  // namespace

namespace sync_msg {

const char* const program = "sync_brimel_label";

std::string version() {
    return G_program + " " + G_project_version + G_nl;
}

console_message_t refused_lines(const std::string& p_file, const std::vector<uint32_t>& p_lines) {
    std::vector<std::string> numbers;
    for (const uint32_t line : p_lines) {
        numbers.push_back(std::to_string(line));
    }
    return given_text(p_file) + " is not synced: its " +
           (p_lines.size() == 1 ? "line " : "lines ") + joined(numbers) +
           (p_lines.size() == 1 ? " was" : " were") + " refused, nothing is written." + G_nl;
}

console_message_t no_target(const std::string& p_file) {
    return given_text(p_file) + " names no target device: nothing to sync." + G_nl;
}

console_message_t files_not_run(const std::vector<std::string>& p_files) {
    console_message_t text(PROGRAM_TEXT, "Stopped by Ctrl-C; these label files were not synced: ");
    for (std::size_t k = 0; k < p_files.size(); ++k) {
        text += (k == 0 ? "" : ", ") + given_text(p_files[k]);
    }
    return text + G_nl;
}

console_message_t reading(const std::string& p_name) {
    return "Reading " + label_file_text(p_name) + "'s labels...";
}

console_message_t read_failed_at(const std::string& p_name, const area_read_t& p_read) {
    return label_file_text(p_name) + "'s labels could not be read (" +
           read_failure_words(p_read.m_failed_page, p_read.m_why) + "): nothing is written to it." +
           G_nl;
}

console_message_t area_unsafe(const std::string& p_name, const label_location_t& p_location) {
    return label_file_text(p_name) + "'s " +
           unsafe_area_words(p_location.m_page_index, p_location.m_start_offset) +
           ": nothing is written to it." + G_nl;
}

console_message_t same(const std::string& p_name, const std::string& p_mac,
                       const std::string& p_file, std::size_t p_presets) {
    return name_and_mac(p_name, p_mac) + " already holds what " + given_text(p_file) +
           " would write (" + plural(p_presets, "preset", "presets") + ")." + G_nl;
}

console_message_t plan(const std::string& p_name, const std::string& p_mac,
                       const std::vector<field_change_t>& p_changes) {
    console_message_t text =
        name_and_mac(p_name, p_mac) + ": " + fields(p_changes.size()) + " to write:" + G_nl;
    for (std::size_t k = 0; k < p_changes.size(); ++k) {
        const field_change_t& change = p_changes[k];
        const bool first = k == 0 || p_changes[k - 1].m_entry != change.m_entry;
        text = text + (first ? "\tentry " + std::to_string(change.m_entry) + ": " : ", ");
        text += std::string(field_name(change.m_field)) + " " + shown(change.m_old) + " -> " +
                shown(change.m_new);
        const bool last = k + 1 == p_changes.size() || p_changes[k + 1].m_entry != change.m_entry;
        text = text + (last ? G_nl : "");
    }
    return text;
}

console_message_t confirmation_line(std::size_t p_number, const std::string& p_name,
                                    const std::string& p_mac, std::size_t p_fields) {
    return numbered_device_line(p_number, name_and_mac(p_name, p_mac) + ": " + fields(p_fields));
}

console_message_t writing(const std::string& p_name) {
    return "Writing " + label_file_text(p_name) + "'s labels...";
}

console_message_t written(const std::string& p_name, const std::string& p_mac,
                          std::size_t p_fields) {
    return name_and_mac(p_name, p_mac) + ": " + fields(p_fields) + " written and verified." + G_nl;
}

console_message_t failure(const std::string& p_name, const field_change_t& p_change,
                          sync_job::writes_end_t p_end) {
    const bool write = p_end == sync_job::WRITE_FAILED;
    const console_message_t head = label_file_text(p_name) + ": the " +
                                   (write ? "write" : "read-back") + " of " +
                                   field_of_entry(p_change);
    if (write) {
        return head + " failed; " + after_failed_write(p_change.m_now) + G_nl;
    }
    if (p_end == sync_job::READ_BACK_FAILED) {
        return head + " failed; its write was acknowledged." + G_nl;
    }
    return head + " found " +
           (p_change.m_now == sync_job::FIELD_OLD ? "its old bytes: the write did not take."
                                                  : "other bytes than the ones written.") +
           G_nl;
}

console_message_t area_now(const std::string& p_name,
                           const std::vector<field_change_t>& p_changes) {
    std::vector<std::string> groups;
    bool erased = false;
    for (const state_words_t& words : G_state_words) {
        const std::vector<std::string> items = holding(p_changes, words.m_state);
        if (!items.empty()) {
            groups.push_back(joined(items) + ": " + words.m_words);
            erased = erased || words.m_state == sync_job::FIELD_OTHER;
        }
    }
    console_message_t text = label_file_text(p_name) + "'s label area now: ";
    for (std::size_t k = 0; k < groups.size(); ++k) {
        text = text + ((k == 0 ? "" : "; ") + groups[k]);
    }
    return text + "." +
           (erased ? "" : " No field is erased: each holds its old or its new bytes.") + G_nl;
}

console_message_t stopped_before(const std::string& p_name) {
    return label_file_text(p_name) +
           ": stopped by Ctrl-C before its first write: its label area is unchanged." + G_nl;
}

console_message_t stopped_before_writes(const std::string& p_file) {
    return "The sync of " + given_text(p_file) +
           " was stopped by Ctrl-C before anything was written." + G_nl;
}

const char* field_name(uint32_t p_field) {
    const char* const names[label_pages_per_preset] = {"label", "device", "channel"};
    return names[p_field];
}

}  // namespace sync_msg

std::string sync_user_manual_text() {
    const std::string text =
        G_program + " " + G_project_version +
        " User's manual:\n"
        "The program brings the labels of the KALDEN RM6X devices to what\n"
        "write_brimel_label would leave, writing only the name fields that differ and\n"
        "reading each one back; nothing is erased first, so whatever stops it, every\n"
        "field holds its old or its new text.\n"
        "sync_brimel_label [--yes | --dry-run] [--json] [--port N] FILE...\n"
        "    reads each label FILE as write_brimel_label does (a file with a refused\n"
        "    line is not synced), reads each device it names, shows the fields to\n"
        "    write, asks to confirm and writes them\n"
        "sync_brimel_label -h | --help | --version\n"
        "    shows this manual, or the version\n"
        "Options:\n"
        "    --yes      writes without asking\n"
        "    --dry-run  stops after the plan: nothing is written\n"
        "    --json     the plan and the results as one JSON object alone on standard\n"
        "               output, for scripts; the messages go to standard error\n"
        "    --port N   the service's port on 127.0.0.1, 1 to 65535; wins over\n"
        "               ZEL_SERVICE_PORT\n"
        "    --         ends the options\n"
        "Environment:\n"
        "    ZEL_SERVICE_PORT  the service's port when --port is not given (default 7000)\n"
        "    NO_COLOR          when not empty, messages are written without colour\n"
        "Exit status:\n"
        "    0  every device the files name holds what they would write: written and\n"
        "       read back, or already so\n"
        "    1  differences remain: a dry run, the operator declined, or Ctrl-C stopped\n"
        "       the sync\n"
        "    2  the job could not be done: a wrong command line or port, a file that\n"
        "       cannot be read or has a refused line, a device missing, not compatible\n"
        "       or ambiguous, a read, write or read-back that failed, standard output\n"
        "       not written\n";
    return with_crlf_line_ends(text);
}
