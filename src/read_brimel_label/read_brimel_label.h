// The read_brimel_label program: its command line, the devices it reads and the messages
// it shows, the backup it prints or writes to a file, --verify, --capture and --list, and
// the JSON of --list and --verify. What it reads and the texts it builds come from the
// device core; this folder holds the program alone.
// It only ever reads: it refuses memory writes before anything else (refuse_memory_writes),
// and its code calls no function that writes.
#ifndef SRC_READ_BRIMEL_LABEL_READ_BRIMEL_LABEL_H_
#define SRC_READ_BRIMEL_LABEL_READ_BRIMEL_LABEL_H_

#include <string>
#include <vector>

#include "basic_type/basic_type.h"
#include "basic_type/json_text.h"
#include "device_core/network_view.h"
#include "device_core/service_connections.h"

struct read_options_t {
    bool m_help = false;
    bool m_version = false;
    std::vector<std::string> m_devices;  // names given, in order; none: every compatible one
    std::string m_output;                // -o FILE; empty or "-": standard output
    bool m_force = false;                // --force: the output file may replace a file
    std::string m_verify;                // --verify FILE
    std::vector<std::string> m_only;     // --device NAME (with --verify): only these targets
    std::string m_capture;               // --capture FILE
    bool m_list = false;                 // --list: the network as the service reports it
    bool m_json = false;                 // --json: --list or --verify for a script
    std::string m_port;                  // --port N; empty: ZEL_SERVICE_PORT's or 7000
    std::string m_connections;           // --connections N; empty: the variable's or 1
};

// Reads the arguments after the program's name into p_options. False, with p_what saying
// why in a few words, when they cannot be carried out.
bool parse_read_options(const std::vector<std::string>& p_args, read_options_t& p_options,
                        std::string& p_what);

// The manual, lines of at most 80 characters ended by CR LF.
std::string read_user_manual_text();

// The program, on its arguments (the program's name first): back up, verify, capture, show
// the manual or the version. Its exit status is a job_status_t: done, a verify not proven the
// same, or the job could not be done. Standard output holds the
// job's results alone; the greeting, the progress and every message go to standard error,
// decided here once.
int read_brimel_label_main(const std::vector<std::string>& p_args);

// The jobs of the program, each with its options, on the program's connections; their status is a
// job_status_t.
namespace read_job {

// Why a job could not be done; each is a "kind" of the JSON error (docs/json.md).
enum trouble_t {
    TROUBLE_FILE,             // the label file could not be read
    TROUBLE_NOT_REACHED,      // the service was never reached
    TROUBLE_LISTING_REFUSED,  // the service refused the listing
    TROUBLE_NO_LISTING,       // the service gave no listing otherwise
    TROUBLE_STOPPED           // a Ctrl-C
};

job_status_t back_up(service_connections& p_links, const read_options_t& p_options);
job_status_t verify(service_connections& p_links, const read_options_t& p_options);
job_status_t capture(service_connections& p_links, const read_options_t& p_options);
// --list: the network as the service reports it.
job_status_t list(service_connections& p_links, bool p_json);

// Says why the job could not be done: the message on standard error and, for a script
// (p_json), the JSON error object alone on standard output. JOB_FAILED.
job_status_t fail(trouble_t p_trouble, const console_message_t& p_message, bool p_json);
job_status_t fail(trouble_t p_trouble, const std::string& p_words, bool p_json);

// What every job does first: from here on a Ctrl-C stops the job after the command in flight
// (platform::catch_interrupts); lists the network and asks every listed device for its
// information, then shows the greeting. False when the network could not be listed, or a
// Ctrl-C came: said with fail. A service lost on the way is warned about.
bool look(service_connections& p_links, network_view_t& p_view, bool p_json);

// Writes a job's result (JSON, the list) to standard output; false after the message when
// it could not.
bool print_result(const std::string& p_text);

}  // namespace read_job

#endif  // SRC_READ_BRIMEL_LABEL_READ_BRIMEL_LABEL_H_
