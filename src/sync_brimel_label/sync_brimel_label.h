// The sync_brimel_label program: brings each device a label file names to what an update with
// the file would leave in its label area, by writing only the name fields that differ, each
// whole in one write of its 32 final bytes, and reading back each field written. Nothing is
// erased first: whatever stops it, every field holds its old bytes or its new ones. It can
// keep an undo record of what it writes and put those fields back from it. This header holds
// its command line, the sync of one device as values (the plan, then the writes and
// read-backs), the undo record, the jobs of a run, and the program's entry, all in namespace
// sync_job; the reads, the network and the comparison come from the device core.
#ifndef SRC_SYNC_BRIMEL_LABEL_SYNC_BRIMEL_LABEL_H_
#define SRC_SYNC_BRIMEL_LABEL_SYNC_BRIMEL_LABEL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "device_core/label_compare.h"
#include "device_core/label_reading.h"
#include "device_core/service_connections.h"
#include "device_core/venue_report.h"
#include "file_parser/file_parser.h"
#include "zel_socket_handler/zel_socket_handler.h"

// The program, on its arguments (the program's name first); its exit status is a job_status_t.
int sync_brimel_label_main(const std::vector<std::string>& p_args);

// The manual, in lines of at most 80 characters.
std::string sync_user_manual_text();

namespace sync_job {

struct options_t {
    bool m_yes = false;                // --yes: written without asking
    bool m_dry_run = false;            // --dry-run: the plan only
    bool m_json = false;               // --json: the plan and the results for a script
    bool m_force = false;              // --force: the undo record may replace a regular file
    std::string m_save_undo;           // --save-undo U: where the undo record goes
    std::string m_undo;                // --undo U: the record to undo
    std::vector<std::string> m_only;   // --device NAME: only these targets
    std::string m_port;                // --port's text, read when the job starts
    std::string m_connections;         // --connections's text, read when the job starts
    std::vector<std::string> m_files;  // the label files
};

// Reads the arguments after the program's name. False, with p_what saying why in a few words,
// when they cannot be carried out; p_help and p_version tell the rest.
bool parse_options(const std::vector<std::string>& p_args, options_t& p_options, bool& p_help,
                   bool& p_version, std::string& p_what);

// ---- The sync of one device ----------------------------------------------------------------

// What a name field to write holds now.
enum field_state_t {
    FIELD_OLD,      // its old bytes: not written, or the write did not take
    FIELD_WRITTEN,  // the write was acknowledged, and the field not read back
    FIELD_NEW,      // read back: the bytes written
    FIELD_UNKNOWN,  // the write failed and the field could not be read: old or new bytes
    FIELD_OTHER     // read back: neither its old nor its new bytes
};

// A name field whose 32 bytes are to change.
struct field_change_t {
    std::size_t m_entry;  // 1 to 64
    uint32_t m_field;     // its page in the entry: 0 label, 1 Dante device, 2 channel
    std::string m_old;    // the 32 bytes read
    std::string m_new;    // the 32 bytes to write
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
// when no write failed. A Ctrl-C of the stage ends the run before its next command.
writes_result_t apply_plan(socket_handle& p_link, const zel_network_keys_t& p_network,
                           const std::string& p_mac, plan_t& p_plan);

// ---- The undo record ----------------------------------------------------------------------

// One field a sync writes: the device (its name and MAC), the field, the 32 bytes it held
// just before and the 32 bytes written.
struct undo_field_t {
    std::string m_name;
    std::string m_mac;
    std::size_t m_entry;  // 1 to 64
    uint32_t m_field;     // 0 label, 1 Dante device, 2 channel
    std::string m_old;
    std::string m_new;
};

// The record as a text file a person reads: comment lines (the program, the date, the
// network, the label file, how to undo it, p_undo_command), then one line per field: the
// device's name and MAC, the entry, the field, the bytes held and the bytes written, each
// quoted (quoted_cp850) up to its last byte that is not zero.
std::string undo_record_text(const std::vector<undo_field_t>& p_fields, const std::string& p_date,
                             const std::string& p_network, const std::string& p_file,
                             const std::string& p_undo_command);

// Reads a record back, every byte as it was. False, with p_why naming the line and what is
// wrong with it, for a text that is no undo record.
bool read_undo_record(const std::string& p_text, std::vector<undo_field_t>& p_fields,
                      std::string& p_why);

// The plan that puts the recorded fields of one device back, from a read of those fields: a
// field holding the bytes written gets its old bytes again; one holding its old bytes is left;
// one holding neither is refused, into p_refused (its m_old the bytes it holds).
plan_t undo_plan_of(const area_read_t& p_read, const std::vector<undo_field_t>& p_fields,
                    std::vector<field_change_t>& p_refused);

// The fields of a device's record, as places in its area for a read (0 to 191).
std::vector<uint32_t> recorded_places(const std::vector<undo_field_t>& p_fields);

// ---- The jobs of a run --------------------------------------------------------------------

// What became of a target.
enum device_state_t {
    DEVICE_SAME,     // it held the file already
    DEVICE_WRITTEN,  // its changes were written and read back
    DEVICE_DIFFERS,  // nothing written: a dry run, or the operator declined
    DEVICE_STOPPED,  // a Ctrl-C stopped its writes, or came before its read or writes
    DEVICE_FAILED,   // a write or a read-back failed
    DEVICE_NOT_READ,
    DEVICE_NOT_FOUND,
    DEVICE_NOT_COMPATIBLE,
    DEVICE_AMBIGUOUS,
    DEVICE_CHANGED,        // read again before its writes, its plan had changed: not written
    DEVICE_NOT_CONTACTED,  // the service went away before its writes: its labels are the old
    DEVICE_OTHER           // an undo's device that answers under its name is another one
};

struct device_sync_t {
    std::string m_name;
    std::string m_mac;  // empty when not found
    device_state_t m_state = DEVICE_NOT_FOUND;
    plan_t m_plan;
    writes_result_t m_result;
    // A sync: the presets the file gives it, and how its entries differ from them.
    label_entries_t m_presets;
    std::vector<entry_difference_t> m_differences;
    // An undo: its fields in the record, and those that hold neither their bytes.
    std::vector<undo_field_t> m_record;
    std::vector<field_change_t> m_refused;
    int64_t m_read_ms = 0;  // when the read its plan came from ended
};

enum file_state_t {
    FILE_READ,        // read whole: its targets were looked at
    FILE_NOT_READ,    // it could not be opened or read, or a line stopped the reading
    FILE_REFUSED,     // a label line of it was refused: nothing of it is synced
    FILE_NO_NETWORK,  // the service was not reached, refused the listing or gave none
    FILE_NOT_RUN,     // a Ctrl-C stopped the run before it
    FILE_NO_TARGET    // it names no target device
};

struct file_sync_t {
    std::string m_file;  // a label file, or the undo record
    file_state_t m_state = FILE_NOT_RUN;
    std::vector<uint32_t> m_refused_lines;
    std::vector<device_sync_t> m_devices;  // its targets, in its order, with their presets
    venue_totals_t m_plan;                 // its targets counted by their plans
    bool m_wrote = false;                  // the writes were made
    venue_totals_t m_done;                 // and counted by what was done
    bool m_record_failed = false;          // its undo record could not be written: no write
};

// What a run holds across its files: the connections (the writes go on the first), the
// options, the undo record of what it writes and whether the greeting was shown.
struct run_t {
    service_connections& m_links;
    const options_t& m_options;
    std::size_t m_file_count = 1;         // the files of the run: several name theirs
    std::vector<undo_field_t> m_written;  // every field the run is about to write, or wrote
    bool m_record_made = false;           // the undo record is the run's own file
    bool m_record_failed = false;         // the undo record could not be written: stop
    bool m_greeted = false;
};

// Reads a label file into its targets (the first 64 presets of each), with every message of
// its reading; the refused lines are said. The state tells whether it can be synced.
file_sync_t read_file(const std::string& p_file);
// Reads an undo record into its targets, each with its recorded fields.
file_sync_t read_record(const std::string& p_file);

// Syncs the targets of a file read by read_file or read_record (only those --device names):
// finds them on the network, reads and plans each, shows the plan, asks the operator (unless
// --yes) and writes them (unless --dry-run), telling the operator all along. From its first
// command on a Ctrl-C is caught: the sync stops after the command in flight, and
// platform::interrupted() tells the run.
void sync_file(run_t& p_run, file_sync_t& p_file);

// The status of a run that came to these results.
job_status_t run_status(const std::vector<file_sync_t>& p_files);

// The run as one JSON object for a script: its schema, the service's greeting and the
// connections it accepted, whether it was a dry run, and each file with its refused lines,
// each target with its state and fields, and its totals.
std::string run_json(const std::vector<file_sync_t>& p_files, bool p_dry_run,
                     const std::string& p_greeting, std::size_t p_connections);

}  // namespace sync_job

#endif  // SRC_SYNC_BRIMEL_LABEL_SYNC_BRIMEL_LABEL_H_
