// The sync_brimel_label program: brings each device a label file names to what an update with
// the file would leave in its label area, by writing only the name fields that differ, each
// whole in one write of its 32 final bytes, and reading back each field written. Nothing is
// erased first: whatever stops it, every field holds its old bytes or its new ones. This
// header holds its command line, the sync of one device as values (the plan, then the writes
// and read-backs), the jobs of a run, and the program's entry, all in namespace sync_job; the
// reads, the network and the comparison come from the device core.
#ifndef SRC_SYNC_BRIMEL_LABEL_SYNC_BRIMEL_LABEL_H_
#define SRC_SYNC_BRIMEL_LABEL_SYNC_BRIMEL_LABEL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "device_core/label_reading.h"
#include "zel_socket_handler/zel_socket_handler.h"

// The program, on its arguments (the program's name first); its exit status is a job_status_t.
int sync_brimel_label_main(const std::vector<std::string>& p_args);

// The manual, in lines of at most 80 characters.
std::string sync_user_manual_text();

namespace sync_job {

struct options_t {
    bool m_yes = false;      // --yes: written without asking
    bool m_dry_run = false;  // --dry-run: the plan only
    bool m_json = false;     // --json: the plan and the results for a script
    std::vector<std::string> m_files;
};

// Reads the arguments after the program's name. False, with p_what saying why in a few words,
// when they cannot be carried out; p_help, p_version and p_port (--port's text, empty when not
// given) tell the rest.
bool parse_options(const std::vector<std::string>& p_args, options_t& p_options, bool& p_help,
                   bool& p_version, std::string& p_port, std::string& p_what);

// ---- The sync of one device ----------------------------------------------------------------

// What a name field to write holds now.
enum field_state_t {
    FIELD_OLD,      // its old bytes: not written, or the write did not take
    FIELD_WRITTEN,  // the write was acknowledged, and the field not read back
    FIELD_NEW,      // read back: the file's bytes
    FIELD_UNKNOWN,  // the write failed and the field could not be read: old or new bytes
    FIELD_OTHER     // read back: neither its old nor its new bytes
};

// A name field whose 32 bytes differ from what the file leaves there.
struct field_change_t {
    std::size_t m_entry;  // 1 to 64
    uint32_t m_field;     // its page in the entry: 0 label, 1 Dante device, 2 channel
    std::string m_old;    // the 32 bytes read
    std::string m_new;    // the 32 bytes the file leaves
    field_state_t m_now;
};

// Where a device's label area is, and the fields to write, entry by entry.
struct plan_t {
    label_location_t m_location;
    std::vector<field_change_t> m_changes;
};

// Every field of a device's area, read whole, that differs from what an update with
// p_presets leaves (entry_differences), in entry and page order.
plan_t plan_of(const area_read_t& p_read, const label_entries_t& p_presets);

// How the writes and read-backs of a plan ended, and at which change.
enum writes_end_t {
    WRITES_COMPLETE,    // every field written and read back with its new bytes
    WRITE_FAILED,       // a write failed: the writes after it were not made
    READ_BACK_FAILED,   // a read-back failed: the fields after it were not read back
    READ_BACK_DIFFERS,  // a read-back found other bytes than the ones written
    WRITES_STOPPED      // a Ctrl-C of the stage, before the command of that change
};
struct writes_result_t {
    writes_end_t m_end = WRITES_COMPLETE;
    std::size_t m_at = 0;
};

// Writes each change of the plan in one command on p_link, in plan order, then reads each
// written field back whole, telling each change what its field holds now. After a failed write
// no other is made: the fields written before it are read back, and it is read to tell what it
// holds. The first read-back that fails ends the reads, and so does the first that differs
// when no write failed. A Ctrl-C of the stage ends the run before its next command. The
// count, when given, is told the commands done.
writes_result_t apply_plan(socket_handle& p_link, const zel_network_keys_t& p_network,
                           const std::string& p_mac, plan_t& p_plan,
                           progress_counter* p_progress = nullptr);

// ---- The jobs of a run --------------------------------------------------------------------

// What became of a target of a label file.
enum device_state_t {
    DEVICE_SAME,     // it held the file already
    DEVICE_WRITTEN,  // its changes were written and read back
    DEVICE_DIFFERS,  // nothing written: a dry run, or the operator declined
    DEVICE_STOPPED,  // a Ctrl-C stopped its writes, or came before its read or writes
    DEVICE_FAILED,   // a write or a read-back failed
    DEVICE_NOT_READ,
    DEVICE_NOT_FOUND,
    DEVICE_NOT_COMPATIBLE,
    DEVICE_AMBIGUOUS
};

struct device_sync_t {
    std::string m_name;
    std::string m_mac;  // empty when not found
    device_state_t m_state = DEVICE_NOT_FOUND;
    plan_t m_plan;
    writes_result_t m_result;
};

enum file_state_t {
    FILE_READ,        // read whole: its targets were looked at
    FILE_NOT_READ,    // it could not be opened or read, or a line stopped the reading
    FILE_REFUSED,     // a label line of it was refused: nothing of it is synced
    FILE_NO_NETWORK,  // the service was not reached, refused the listing or gave none
    FILE_NOT_RUN      // a Ctrl-C stopped the run before it
};

struct file_sync_t {
    std::string m_file;
    file_state_t m_state = FILE_NOT_RUN;
    std::vector<uint32_t> m_refused_lines;
    std::vector<device_sync_t> m_devices;
};

// Reads the label file, finds its targets, reads and plans each, asks the operator (unless
// --yes) and writes them (unless --dry-run), over p_link, telling the operator all along.
// From its first command on a Ctrl-C is caught: the sync stops after the command in flight,
// and platform::interrupted() tells the run.
file_sync_t sync_file(socket_handle& p_link, const std::string& p_file, const options_t& p_options);

// The status of a run that came to these results.
job_status_t run_status(const std::vector<file_sync_t>& p_files);

// The run as one JSON object for a script: its schema, the service's greeting, whether it was a
// dry run, and each file with its refused lines and each target with its state and fields.
std::string run_json(const std::vector<file_sync_t>& p_files, bool p_dry_run,
                     const std::string& p_greeting);

}  // namespace sync_job

#endif  // SRC_SYNC_BRIMEL_LABEL_SYNC_BRIMEL_LABEL_H_
