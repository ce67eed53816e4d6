// The text protocol spoken with the device-management service, in one place: the command
// words and answer heads, the limits of lines and answers, the time-outs, the rule that
// tells a refused command ("FAILED" as a whole field), and the rule that tells whether an
// answer line is the answer to the command just sent (the identity it echoes). The link,
// the commands, the answer parsers, the simulated service and the fuzz targets use these.
#ifndef SRC_BASIC_TYPE_ZEL_PROTOCOL_H_
#define SRC_BASIC_TYPE_ZEL_PROTOCOL_H_

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

// ---- Words ------------------------------------------------------------------------------

constexpr char zel_list_dev_word[] = "LIST_DEV";
constexpr char zel_info_ext_word[] = "INFO_EXT";
constexpr char zel_tbox_mem_word[] = "TBOX_MEM";
// An answer line of a command holds its word followed by this.
constexpr char zel_answer_mark[] = "=";
constexpr char zel_failed_word[] = "FAILED";
constexpr char zel_memory_read_mode[] = ";R;";
constexpr char zel_memory_write_mode[] = ";W;";
constexpr char zel_line_end[] = "\r\n";
constexpr char zel_greeting_text[] = "Welcome to Quentara ZEL-Service";

// The head of the answer lines of a command word: "LIST_DEV=" for "LIST_DEV".
std::string zel_answer_head(const char* p_word);

// ---- Limits and time-outs ---------------------------------------------------------------

// A command line holds at most 2047 bytes: the service's command buffer is 2048 bytes with
// the terminating zero.
constexpr std::size_t zel_command_max_length = 2047;
// An answer line, without its line end, and a whole answer; longer ones fail the exchange.
constexpr std::size_t zel_answer_line_max_length = 64 * 1024;
constexpr std::size_t zel_answer_max_length = 1024 * 1024;
// Answer time-outs in milliseconds.
const time_t zel_list_timeout_ms = 2000;
const time_t zel_cmd_timeout_ms = 500;
// The listing may come in several lines: it ends when no line comes for this long, which a
// busy service keeps to.
constexpr int64_t zel_listing_quiet_ms = 100;
// The greeting: without its text the service gets 2 s per wait; once the greeting line has
// arrived, a short quiet time tells that nothing more follows. A service that keeps sending
// never holds the wait longer than the limits.
constexpr int64_t zel_greeting_wait_ms = 2000;
constexpr int64_t zel_greeting_quiet_ms = 25;
constexpr int64_t zel_greeting_limit_ms = 10000;
constexpr std::size_t zel_greeting_limit_bytes = 64 * 1024;
// A name field of device memory, and the memory slot of the label area.
constexpr std::size_t zel_name_field_length = 32;
constexpr uint8_t zel_label_slot = 0;

// ---- Rules ------------------------------------------------------------------------------

// True when the text holds "FAILED" as a whole field of an answer line: right after "=",
// or after ";" or ",", and followed by ";", "," or the end of its line. "RACK-FAILED" or
// "FAILED-OVER" are names, not a refusal.
bool zel_has_failed_field(const std::string& p_text);

// What an answer line must echo to be the answer to the command just sent; any other line
// of the command is a late answer to an earlier one.
enum zel_echo_t {
    ZEL_ECHO_NONE,            // any line of the command (the listing)
    ZEL_ECHO_DEVICE,          // "WORD=" MAC ";" (device information)
    ZEL_ECHO_LOCATION,        // "WORD=" MAC ";" slot "," page "," offset ";" (memory read)
    ZEL_ECHO_DEVICE_IF_NAMED  // "WORD=" MAC ";..." or no device at all (memory write)
};

struct zel_echo_rule_t {
    zel_echo_t m_echo = ZEL_ECHO_NONE;
    std::string m_device;  // the MAC text the command named
    uint32_t m_slot = 0;
    uint32_t m_page = 0;
    uint32_t m_offset = 0;
};

// True when p_line (an answer line of the command, "WORD=...") echoes what the rule asks.
// The MAC text is compared without regard to letter case, the location as numbers, as a
// service may write them ("00:1d:..." answers "00:1D:...", "0,01,014" answers "0,1,14").
bool zel_line_echoes(const std::string& p_line, const zel_echo_rule_t& p_rule);

// True when a "FAILED" line names a device other than the one the rule asks about: a late
// refusal of an earlier command, not the answer to this one.
bool zel_failure_of_another_device(const std::string& p_line, const zel_echo_rule_t& p_rule);

// Reads a number of an answer as the standard text-to-int conversion does: leading white
// space skipped, an optional sign, then digits up to the first other character. False,
// with p_value unchanged, when there is no digit or the number is out of the int range.
bool zel_read_int(const std::string& p_text, int& p_value);

// Two MAC texts name the same device: equal but for the letter case.
bool zel_same_device(const std::string& p_first, const std::string& p_second);

#endif  // SRC_BASIC_TYPE_ZEL_PROTOCOL_H_
