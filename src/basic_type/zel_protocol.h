// The text protocol spoken with the device-management service, in one place: the command
// words and answer heads, the limits of lines and answers, the time-outs, the rule that
// tells a refused command ("FAILED" as a word), and the rule that tells whether an answer
// line is the answer to the command just sent (the identity it echoes). The link,
// the commands, the answer parsers, the simulated service and the fuzz targets use these.
#ifndef SRC_BASIC_TYPE_ZEL_PROTOCOL_H_
#define SRC_BASIC_TYPE_ZEL_PROTOCOL_H_

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <unordered_set>

#include "basic_type/basic_type.h"

// ---- Words ------------------------------------------------------------------------------

constexpr char zel_list_dev_word[] = "LIST_DEV";
constexpr char zel_list_net_word[] = "LIST_NET";  // no command of the tools sends it
constexpr char zel_info_ext_word[] = "INFO_EXT";
constexpr char zel_tbox_mem_word[] = "TBOX_MEM";
// An answer line of a command holds its word followed by this.
constexpr char zel_answer_mark[] = "=";
constexpr char zel_failed_word[] = "FAILED";
constexpr char zel_memory_read_mode[] = ";R;";
constexpr char zel_memory_write_mode[] = ";W;";
constexpr char zel_line_end[] = "\r\n";
constexpr char zel_greeting_text[] = "Welcome to Quentara ZEL-Service";
// What a simulated service says after those words, and what a rehearsal looks for in a
// greeting: "Welcome to Quentara ZEL-Service (simulated by zel_service_sim: ...)".
constexpr char zel_simulated_mark[] = " (simulated by ";

// The head of the answer lines of a command word: "LIST_DEV=" for "LIST_DEV".
std::string zel_answer_head(const char* p_word);

// ---- Limits and time-outs ---------------------------------------------------------------

// A command line holds at most 2047 bytes: the service's command buffer is 2048 bytes with
// the terminating zero.
constexpr std::size_t zel_command_max_length = 2047;
// The largest network whose listing comes whole: 200,000 devices. A listing gives each
// identifier with its comma (a MAC text is 17 bytes) and each line its "LIST_DEV=" and
// network name: 40 bytes a device leave room for longer identifiers and names.
constexpr std::size_t zel_listing_max_devices = 200000;
constexpr std::size_t zel_listing_bytes_per_device = 40;
// An answer line, without its line end, and a whole answer; longer ones fail the exchange.
constexpr std::size_t zel_answer_line_max_length = 64 * 1024;
constexpr std::size_t zel_answer_max_length =
    zel_listing_max_devices * zel_listing_bytes_per_device;
// Answer time-outs in milliseconds.
const time_t zel_list_timeout_ms = 2000;
const time_t zel_cmd_timeout_ms = 500;
// The listing may come in several lines: it ends when no line comes for this long, which a
// busy service keeps to.
constexpr int64_t zel_listing_quiet_ms = 100;
// The listing ends this long after it was asked for, whatever still trickles in: a service
// sending a byte every 90 ms would otherwise hold the tool for hours.
constexpr int64_t zel_listing_limit_ms = 10000;
// The greeting: without its text the service gets 2 s per wait; once the greeting line has
// arrived, a short quiet time tells that nothing more follows. A service that keeps sending
// never holds the wait longer than the limits.
constexpr int64_t zel_greeting_wait_ms = 2000;
constexpr int64_t zel_greeting_quiet_ms = 25;
constexpr int64_t zel_greeting_limit_ms = 10000;
constexpr std::size_t zel_greeting_limit_bytes = 64 * 1024;

// ---- Rules ------------------------------------------------------------------------------

// True when the text holds "FAILED" that no name character (a letter, a digit or "-")
// touches on either side. "<mac>; FAILED", "FAILED: device busy", "WRITE_FAILED",
// "ERR:FAILED", "(FAILED)" and "W;FAILED (timeout)" refuse; "RACK-FAILED", "FAILED-OVER",
// "FAILEDX" and "XFAILED" are names.
bool zel_has_failed_word(const std::string& p_text);

// A device identifier (MAC text) as the identity rule compares it: without its outer blanks,
// letters in upper case. A service may echo "00:1d:..." for "00:1D:...", or " M1" as "M1".
std::string zel_device_key(const std::string& p_identifier);

// Two identifiers name the same device: their keys are equal.
bool zel_same_device(const std::string& p_first, const std::string& p_second);

// The keys of the identifiers of one network: those the listing gave and those the
// information answers reported.
typedef std::unordered_set<std::string> zel_network_keys_t;

// What an answer line must echo to be the answer to the command just sent.
enum zel_echo_t {
    ZEL_ECHO_NONE,            // any line of the command (the listing)
    ZEL_ECHO_DEVICE,          // "WORD=" MAC ";" (device information)
    ZEL_ECHO_LOCATION,        // "WORD=" MAC ";" slot "," page "," offset ";" (memory read)
    ZEL_ECHO_DEVICE_IF_NAMED  // anything but another device of the network (memory write)
};

struct zel_echo_rule_t {
    zel_echo_t m_echo = ZEL_ECHO_NONE;
    std::string m_device;  // the MAC text the command named
    uint32_t m_slot = 0;
    uint32_t m_page = 0;
    uint32_t m_offset = 0;
    // The network's identifiers; none known without it.
    const zel_network_keys_t* m_network = nullptr;
};

// What a line of the command's answer ("WORD=...") is to the command just sent.
enum zel_line_verdict_t {
    ZEL_LINE_ANSWER,   // the answer
    ZEL_LINE_REFUSAL,  // a refusal of this command: it fails
    ZEL_LINE_LATE      // the answer or refusal of an earlier command: dropped
};

// Judges an answer line by one identity rule. A line whose first field (up to ";" or the
// line end) names another identifier of the network is late, refusal or not. Otherwise a
// line with the word FAILED refuses; a listing takes any other line; an information answer
// must echo the device and a memory read the device and location (another line is late);
// a write acknowledgement is any other line ("OK", "OK;", "0,14,0;OK").
zel_line_verdict_t zel_judge_line(const std::string& p_line, const zel_echo_rule_t& p_rule);

// ---- Requests ---------------------------------------------------------------------------

// One kind of request: its command word, its answer time-out, what its answer must echo,
// whether the first answer line completes the answer, and the limit of the whole answer.
struct zel_request_t {
    zel_req_id_t m_id;
    const char* m_word;
    time_t m_timeout_ms;
    zel_echo_t m_echo;
    bool m_first_line_completes;  // only a listing answers over several lines
    int64_t m_limit_ms;           // 0: none
};

// The row of a request kind; an unknown value gets the row of a memory write.
const zel_request_t& zel_request(zel_req_id_t p_id);

#endif  // SRC_BASIC_TYPE_ZEL_PROTOCOL_H_
