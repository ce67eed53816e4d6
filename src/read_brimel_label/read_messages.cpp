#include "read_brimel_label/read_messages.h"

#include "basic_type/label_area.h"
#include "device_core/backup_text.h"
#include "device_core/network_view.h"
#include "file_parser/file_parser.h"
#include "project_version.h"
#include "read_brimel_label/read_brimel_label.h"

namespace {

const std::string G_nl = "\r\n";
const std::string G_program = read_msg::program;

// A name and MAC the service reported.
console_message_t name_and_mac(const std::string& p_name, const std::string& p_mac) {
    return service_text(p_name) + " (" + service_text(p_mac) + ")";
}

// Names the service reported, "A, B, C", or "none".
console_message_t names(const std::vector<std::string>& p_names) {
    console_message_t text(PROGRAM_TEXT, p_names.empty() ? "none" : "");
    for (std::size_t k = 0; k < p_names.size(); ++k) {
        text += (k == 0 ? "" : ", ") + service_text(p_names[k]);
    }
    return text;
}

std::string plural(std::size_t p_count, const char* p_one, const char* p_more) {
    return std::to_string(p_count) + " " + (p_count == 1 ? p_one : p_more);
}

}  // namespace

namespace read_msg {

const char* const program = "read_brimel_label";

console_message_t network_line(const std::string& p_name, std::size_t p_listed) {
    return "Network \"" + service_text(p_name) + "\": " + plural(p_listed, "device", "devices") +
           " listed" + G_nl;
}

std::string identifiers(int p_mir, int p_pir, int p_fir) {
    return "mir " + std::to_string(p_mir) + "  pir " + std::to_string(p_pir) + "  fir " +
           std::to_string(p_fir) + "  ";
}

std::string version() {
    return G_program + " " + G_project_version + G_nl;
}

console_message_t not_nameable(const std::string& p_name, const std::string& p_mac) {
    return "Warning: " + name_and_mac(p_name, p_mac) +
           " has a name no label file can give: it is not read." + G_nl;
}

console_message_t no_answer(const std::string& p_mac) {
    return "Warning: " + service_text(p_mac) + no_information_answer + ": it is not read." + G_nl;
}

const char* const no_device = "No KALDEN-RM6X device to read.\r\n";

console_message_t stopped(const std::vector<std::string>& p_read,
                          const std::vector<std::string>& p_not_read) {
    return "Stopped by Ctrl-C. Read: " + names(p_read) + ". Not read: " + names(p_not_read) + "." +
           G_nl;
}

console_message_t read_failed_at(const std::string& p_name, const area_read_t& p_read) {
    return service_text(p_name) + "'s labels could not be read (" +
           read_failure_words(p_read.m_failed_page, p_read.m_why) + "), check device connection." +
           G_nl;
}

console_message_t area_unsafe(const std::string& p_name, const label_location_t& p_location) {
    return service_text(p_name) + "'s " +
           unsafe_area_words(p_location.m_page_index, p_location.m_start_offset) +
           ": it is not read." + G_nl;
}

console_message_t entry_warning(const std::string& p_name, const entry_note_t& p_note) {
    return "Warning: " + service_text(p_name) + "'s entry " + std::to_string(p_note.m_number) +
           " " + p_note.m_reason + (p_note.m_commented ? ": it is written as a comment." : ".") +
           G_nl;
}

std::string left_out_no_answer(const std::string& p_mac) {
    return comment_text(p_mac) + no_information_answer;
}

std::string left_out_not_found(const std::string& p_name, bool p_unanswered) {
    return comment_text(p_name) + not_found_reason(p_unanswered);
}

std::string left_out_not_compatible(const std::string& p_name, const std::string& p_mac) {
    return comment_text(p_name) + " (" + comment_text(p_mac) + ") is not a compatible device";
}

std::string left_out_not_nameable(const std::string& p_name, const std::string& p_mac) {
    return comment_text(p_name) + " (" + comment_text(p_mac) +
           ") has a name no label file can give";
}

std::string left_out_ambiguous(const std::string& p_name) {
    return comment_text(p_name) + " names more than one device, or its device answers as more";
}

std::string left_out_unread(const std::string& p_name, const std::string& p_mac, uint32_t p_page) {
    return comment_text(p_name) + " (" + comment_text(p_mac) + ") could not be read (page " +
           std::to_string(p_page) + ")";
}

std::string left_out_unsafe(const std::string& p_name, const std::string& p_mac,
                            const label_location_t& p_location) {
    return comment_text(p_name) + " (" + comment_text(p_mac) + ")'s " +
           unsafe_area_words(p_location.m_page_index, p_location.m_start_offset);
}

std::string backup_head(const std::string& p_date, const std::string& p_network,
                        const std::vector<std::string>& p_left_out) {
    std::string head = "; Backup by " + G_program + " " + G_project_version + " of the network \"" +
                       comment_text(p_network) + "\", " + p_date + G_nl;
    for (const std::string& left_out : p_left_out) {
        head += "; Not in this backup: " + left_out + G_nl;
    }
    return head + G_nl;
}

console_message_t file_not_read(const std::string& p_file) {
    return given_text(p_file) + " could not be read: nothing is verified." + G_nl;
}

console_message_t no_target(const std::string& p_file) {
    return given_text(p_file) + " names no target device: nothing is verified." + G_nl;
}

std::string no_such_target(const std::string& p_name, const std::string& p_file) {
    return "--device " + p_name + " is no target of " + p_file;
}

console_message_t backup_written(const std::string& p_file) {
    return "Backup written to " + given_text(p_file) + G_nl;
}

console_message_t backup_not_written(const std::string& p_file) {
    return "No backup written: " + given_text(p_file) + " is left as it was." + G_nl;
}

const char* const nothing_listed = "No device listed on the network: nothing to capture.\r\n";

console_message_t capture_written(const std::string& p_file) {
    return "Capture written to " + given_text(p_file) + G_nl;
}

console_message_t capture_not_written(const std::string& p_file) {
    return "No capture written: " + given_text(p_file) + " is left as it was." + G_nl;
}

}  // namespace read_msg

std::string read_user_manual_text() {
    const std::string text =
        G_program + " " + G_project_version +
        " User's manual:\n"
        "The program reads the labels of the KALDEN RM6X devices back; it never writes\n"
        "to a device.\n"
        "read_brimel_label --list [--json]\n"
        "    shows the network: its name, then each device's name, MAC, mir, pir and\n"
        "    fir, and whether it is compatible, not compatible or gave no information\n"
        "    answer\n"
        "read_brimel_label [DEVICE ...] [-o FILE [--force]]\n"
        "    backs up the labels of the named devices, or of every compatible device,\n"
        "    as a label file write_brimel_label reads: printed, or written to FILE\n"
        "    (- for standard output) once every device was read; a file is replaced\n"
        "    only with --force, and only a regular file\n"
        "read_brimel_label --verify FILE [--json] [--device NAME]...\n"
        "    reads FILE as write_brimel_label does, then reads the devices it names on\n"
        "    one progress line, shows each that differs with its differences, and a\n"
        "    totals line: how many differ, how many hold exactly what FILE would write\n"
        "read_brimel_label --capture FILE [--force]\n"
        "    writes every device of the network, its information and its labels, to\n"
        "    FILE for zel_service_sim --network FILE, to rehearse the venue elsewhere\n"
        "read_brimel_label -h | --help | --version\n"
        "    shows this manual, or the version\n"
        "Options:\n"
        "    -o FILE, --output FILE  where the backup goes\n"
        "    --force                 lets -o or --capture replace a regular file\n"
        "    --json                  with --list or --verify: one JSON object alone on\n"
        "                            standard output, for scripts; the messages go to\n"
        "                            standard error\n"
        "    --device NAME           with --verify: only this target of FILE is read\n"
        "                            (repeatable)\n"
        "    --port N                the service's port on 127.0.0.1, 1 to 65535; wins\n"
        "                            over ZEL_SERVICE_PORT\n"
        "    --connections N         reads up to N devices at once, each on its own\n"
        "                            connection, 1 to 16 (default 1); wins over\n"
        "                            ZEL_SERVICE_CONNECTIONS. The same output; try it in\n"
        "                            a rehearsal first\n"
        "    --                      ends the options; a value may also follow \"=\", as\n"
        "                            in --verify=FILE\n"
        "Environment:\n"
        "    ZEL_SERVICE_PORT  the service's port when --port is not given (default 7000)\n"
        "    ZEL_SERVICE_CONNECTIONS  the connections when --connections is not given\n"
        "    ZEL_REHEARSAL     1: a service not saying it is simulated gets no command\n"
        "    NO_COLOR          when not empty, messages are written without colour\n"
        "Exit status:\n"
        "    0  the job was done completely: every device asked for backed up and the\n"
        "       backup written, the network listed, every listed device captured, or\n"
        "       every device FILE names holds exactly what FILE would write\n"
        "    1  --verify did not prove it: a device differs, a device FILE names is\n"
        "       missing, not compatible or ambiguous, FILE had a refused label line, or\n"
        "       FILE names no device\n"
        "    2  the job could not be done: a wrong command line or port, a file that\n"
        "       cannot be read, the service unreachable, a device that could not be\n"
        "       read or backed up, an output not written\n";
    return with_crlf_line_ends(text);
}
