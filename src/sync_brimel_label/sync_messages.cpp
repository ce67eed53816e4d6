#include "sync_brimel_label/sync_messages.h"

#include "basic_type/confirmation.h"
#include "basic_type/label_area.h"
#include "basic_type/service_address.h"
#include "device_core/backup_text.h"
#include "device_core/network_view.h"
#include "device_core/venue_report.h"
#include "project_version.h"

using sync_job::field_change_t;
using sync_job::field_state_t;

namespace {

// " --port N" for a port other than 7000, which a command must name.
std::string port_words(uint16_t p_port) {
    return p_port == zel_service_default_port ? "" : " --port " + std::to_string(p_port);
}

const std::string G_nl = "\r\n";
const std::string G_program = sync_msg::program;

std::string fields(std::size_t p_count) {
    return counted(p_count, "field", "fields");
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

std::string no_such_target(const std::string& p_name) {
    return "--device " + p_name + " is no target of the label files";
}

console_message_t record_not_read(const std::string& p_file, const std::string& p_why) {
    return given_text(p_file) + " is no undo record of " + G_program + " (" + p_why +
           "): nothing is undone." + G_nl;
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

console_message_t undo_plan(const std::string& p_name, const std::string& p_mac,
                            const std::vector<field_change_t>& p_changes) {
    console_message_t text =
        name_and_mac(p_name, p_mac) + ": " + fields(p_changes.size()) + " to put back:" + G_nl;
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

console_message_t refused_field(const std::string& p_name, const field_change_t& p_field) {
    return "Warning: " + label_file_text(p_name) + "'s " + field_of_entry(p_field) + " holds " +
           shown(p_field.m_old) +
           ", neither the bytes written nor those it held before: it is left as it is." + G_nl;
}

console_message_t other_device(const std::string& p_name, const std::string& p_mac,
                               const std::string& p_recorded_mac) {
    return "Warning: " + label_file_text(p_name) + " is " + service_text(p_mac) +
           " now, not the device of the undo record (" + service_text(p_recorded_mac) +
           "): nothing is undone on it." + G_nl;
}

console_message_t plan_totals(const sync_job::file_sync_t& p_file, bool p_name_file, bool p_undo) {
    const venue_totals_t& totals = p_file.m_plan;
    const console_message_t head = p_name_file ? "Plan for " + given_text(p_file.m_file)
                                               : console_message_t(PROGRAM_TEXT, "Plan");
    return p_undo ? totals_line(head, fields(totals.m_differences) + " to write", totals,
                                "already holds what the record says it held",
                                "already hold what the record says they held")
                  : totals_line(head, fields(totals.m_differences) + " to write", totals,
                                "already holds the file", "already hold the file");
}

console_message_t done_totals(const sync_job::file_sync_t& p_file, bool p_name_file) {
    const venue_totals_t& totals = p_file.m_done;
    const console_message_t head = p_name_file ? "Done for " + given_text(p_file.m_file)
                                               : console_message_t(PROGRAM_TEXT, "Done");
    return totals_line(head, fields(totals.m_differences) + " written and read back", totals,
                       "held them already", "held them already");
}

console_message_t writing(const std::vector<sync_job::device_sync_t*>& p_devices) {
    if (p_devices.size() == 1) {
        return "Writing " + label_file_text(p_devices[0]->m_name) + "'s labels...";
    }
    std::size_t changes = 0;
    for (const sync_job::device_sync_t* device : p_devices) {
        changes += device->m_plan.m_changes.size();
    }
    return console_message_t(PROGRAM_TEXT, "Writing " + fields(changes) + " on " +
                                               counted(p_devices.size(), "device", "devices") +
                                               "...");
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

console_message_t changed_since(const std::string& p_name, const std::string& p_mac) {
    return name_and_mac(p_name, p_mac) +
           " changed since it was read: nothing is written to it. Its plan now:" + G_nl;
}

console_message_t not_contacted(const std::string& p_name) {
    return label_file_text(p_name) +
           ": not written, ZEL-Service could not be reached any more: its label area is "
           "unchanged." +
           G_nl;
}

console_message_t stopped_before(const std::string& p_name) {
    return label_file_text(p_name) +
           ": stopped by Ctrl-C before its first write: its label area is unchanged." + G_nl;
}

console_message_t stopped_before_writes(const std::string& p_file) {
    return "The sync of " + given_text(p_file) +
           " was stopped by Ctrl-C before anything was written." + G_nl;
}

std::string undo_command(const std::string& p_record, uint16_t p_port) {
    return G_program + " --undo " + p_record + port_words(p_port);
}

console_message_t undo_hint(const std::string& p_record, uint16_t p_port) {
    return "Undo: " + G_program + " --undo " + given_text(p_record) + port_words(p_port) + G_nl;
}

console_message_t no_undo_record(const std::string& p_record) {
    return "No undo record written: nothing was written, " + given_text(p_record) +
           " is left as it was." + G_nl;
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
        "sync_brimel_label [--yes | --dry-run] [--json] [--port N] [--connections N]\n"
        "                  [--device NAME]... [--save-undo UNDO [--force]] FILE...\n"
        "    reads each label FILE as write_brimel_label does (a file with a refused\n"
        "    line is not synced), reads the devices it names on one progress line,\n"
        "    shows the devices that differ and a totals line, asks to confirm and\n"
        "    writes the fields that differ\n"
        "sync_brimel_label [--yes | --dry-run] [--json] [--port N] --undo UNDO\n"
        "    puts back what a sync wrote, from its undo record\n"
        "sync_brimel_label -h | --help | --version\n"
        "    shows this manual, or the version\n"
        "Options:\n"
        "    --yes              writes without asking\n"
        "    --dry-run          stops after the plan: nothing is written\n"
        "    --json             the plan and the results as one JSON object alone on\n"
        "                       standard output, for scripts; the messages go to\n"
        "                       standard error\n"
        "    --device NAME      only this target is read and synced (repeatable)\n"
        "    --save-undo UNDO   writes the undo record UNDO before the first write: each\n"
        "                       field to write with its bytes before and after\n"
        "    --force            lets --save-undo replace a regular file\n"
        "    --undo UNDO        writes back the old bytes of each field of UNDO that\n"
        "                       still holds the bytes written; leaves the others\n"
        "    --port N           the service's port on 127.0.0.1, 1 to 65535; wins over\n"
        "                       ZEL_SERVICE_PORT\n"
        "    --connections N    reads up to N devices at once, each on its own\n"
        "                       connection, 1 to 16 (default 1); wins over\n"
        "                       ZEL_SERVICE_CONNECTIONS. Writes stay on one connection,\n"
        "                       one device at a time. Try it in a rehearsal first\n"
        "    --                 ends the options\n"
        "Environment:\n"
        "    ZEL_SERVICE_PORT  the service's port when --port is not given (default 7000)\n"
        "    ZEL_SERVICE_CONNECTIONS  the connections when --connections is not given\n"
        "    ZEL_REHEARSAL     1: a service not saying it is simulated gets no command\n"
        "    NO_COLOR          when not empty, messages are written without colour\n"
        "Exit status:\n"
        "    0  every device the files name holds what they would write: written and\n"
        "       read back, or already so\n"
        "    1  differences remain: a dry run, the operator declined, Ctrl-C stopped\n"
        "       the sync, a device changed since it was read, an undo left a field\n"
        "       holding other bytes, or a file names no target device\n"
        "    2  the job could not be done: a wrong command line or port, a file that\n"
        "       cannot be read or has a refused line, an undo record not written, a\n"
        "       device missing, not compatible or ambiguous, a read, write or\n"
        "       read-back that failed, a service that is not simulated in a rehearsal,\n"
        "       standard output not written\n";
    return with_crlf_line_ends(text);
}
