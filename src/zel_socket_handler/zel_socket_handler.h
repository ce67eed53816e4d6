// The TCP link to the device-management service: opening it with its greeting, and one
// command exchange at a time, with the answer lines of that command collected within its
// time-out. It knows nothing of what the commands mean.
#ifndef SRC_ZEL_SOCKET_HANDLER_ZEL_SOCKET_HANDLER_H_
#define SRC_ZEL_SOCKET_HANDLER_ZEL_SOCKET_HANDLER_H_

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "basic_type/service_address.h"
#include "basic_type/zel_protocol.h"
#include "platform/socket.h"

// A command line with its terminating zero, as the service's buffer holds it; the link
// itself works on strings and never sends a longer line.
const std::size_t zel_socket_buffer_size = zel_command_max_length + 1;
// What one receive of an answer takes at most.
const std::size_t zel_receive_chunk_size = 16 * 1024;
typedef char t_socketBuff[zel_socket_buffer_size];

// Cuts received bytes into lines ending in "\r\n". A line split over several receives is
// joined; a partial line waits for the next bytes. Bounded: a line that grows past
// max_line_length marks the collector as overflowed.
class line_collector {
  public:
    static constexpr std::size_t max_line_length = zel_answer_line_max_length;
    // The lines already taken are dropped from the buffer once they weigh this much and
    // more than what is still pending: an answer of many lines stays linear.
    static constexpr std::size_t compact_after = 4096;

    void append(const char* p_data, std::size_t p_len);

    // Takes the next complete line, with its "\r\n"; false when none is complete.
    bool take_line(std::string& p_line);

    // A line grew longer than max_line_length: nothing more is taken until clear().
    bool overflowed() const { return m_overflowed; }

    // Drops everything received so far, and the overflow.
    void clear();

  private:
    std::string m_data;
    std::size_t m_begin = 0;        // start of the first line not taken yet
    std::size_t m_searched_to = 0;  // "\r\n" is not in [m_begin, m_searched_to)
    bool m_overflowed = false;
};

// How the lines of a command's answer are told from the rest of what the service sends:
// a line holds the command word and "=", and zel_judge_line tells the answer from a
// refusal and from the late answer of an earlier command, which is dropped.
struct answer_rule_t {
    bool m_first_line_completes = true;  // only a listing answers over several lines
    zel_echo_rule_t m_echo;
    int64_t m_limit_ms = 0;  // the whole answer ends this long after the command; 0: no limit
};

// How one command ended: answered, or why not. The link tells the first five; the commands
// that read an answer into values tell the last.
enum command_end_t {
    COMMAND_ANSWERED = 0,  // an answer of the command came
    COMMAND_NOT_SENT,      // the link could not be opened, or the line could not be sent
    COMMAND_REFUSED,       // the service refused it (FAILED)
    COMMAND_NO_ANSWER,     // no answer within its time-out, or the link closed before it
    COMMAND_TOO_LONG,      // an answer line or an answer past its bound
    COMMAND_UNREADABLE     // an answer that does not hold what was asked
};

// Why a command failed, in a few words for a message: "no answer", "refused by the service".
const char* command_end_words(command_end_t p_end);

// "ZEL-Service not reached at 127.0.0.1:7000 (why): start the device-management service, or
// zel_service_sim to rehearse." and a line end.
std::string not_reached_message(const std::string& p_ip, uint16_t p_port, const std::string& p_why);

// Shows a greeting the way every program shows it: its lines, then "ZEL-Service Connected."
// in green; nothing when the service's words are not in it.
void show_greeting(const std::string& p_greeting);

// The greeting for the console: each line's text as a text of the service, its line end
// (CR LF, or a LF alone) kept as a line end.
console_message_t greeting_as_shown(const std::string& p_greeting);

class socket_handle {
  public:
    static constexpr uint16_t default_port = zel_service_default_port;

    socket_handle();
    ~socket_handle();
    socket_handle(const socket_handle&) = delete;
    socket_handle& operator=(const socket_handle&) = delete;

    // Opens the link if it is not open: connect, then read and show the greeting.
    // True when the link is open. When it cannot be opened, the failure message is followed
    // by one line with the address, the reason and what to start.
    bool checkinit_ZELService_connection();

    // Closes the link; the next command opens a new one. Always true.
    bool close_ZELService_connection();

    // Waits up to iSeconds + iMillis for data to read.
    bool IsDataAvailable(int iSeconds, int iMillis);

    // One command exchange: p_cmd is sent (its text up to the first zero byte), and the
    // answer lines of the command (see answer_rule_t) are collected into p_answer within
    // p_timeout ms. When the rule says so, the first such line completes the answer;
    // otherwise the answer ends when no more lines come within the listing's quiet time, or
    // at the rule's limit. A refusal fails the exchange at once, silently, its line left in
    // p_answer; every other failure is reported. A link the service closed while idle is opened
    // again first, and the command is sent once, on the new link. p_ZEL_Command receives the
    // command word.
    bool ZEL_cmd_WR(const std::string& p_cmd, std::string& p_answer, std::string& p_ZEL_Command,
                    const time_t& p_timeout, const answer_rule_t& p_rule);

    // The service port: the one the operator chose, or a simulated service's in the tests.
    void set_service_port(uint16_t p_port) { m_port = p_port; }
    uint16_t service_port() const { return m_port; }

    // From now on the link prints nothing: what it would say (the greeting, a failed
    // opening, a failed exchange) is kept as values for its owner to tell. The writer's
    // link prints, as it always has; the other programs keep their links quiet and name
    // the device a failure belongs to themselves.
    void keep_quiet() { m_quiet = true; }

    // From now on a service that does not greet within the greeting wait fails the opening:
    // an extra connection is only worth keeping when the service took it.
    void require_greeting() { m_greeting_required = true; }

    // How the last exchange ended.
    command_end_t last_end() const { return m_last_end; }

    // What the service sent as its greeting when the link was last opened; empty before.
    const std::string& greeting() const { return m_greeting; }

    // In a rehearsal (ZEL_REHEARSAL), the service greeted without saying it is simulated: it
    // got no command, and the link is never opened again.
    bool refused_as_not_simulated() const { return m_not_simulated; }

    bool is_open() const { return m_init_state; }

    // True when the last command found the link closed and could not open it again: the
    // service is gone, and every further command would fail the same way.
    bool open_failed() const { return m_open_failed; }

    // True once a link to the service was opened in this process.
    bool ever_reached() const { return m_ever_reached; }

    // Why the last attempt to open the link failed, in the system's words ("Connection
    // refused"); empty once an attempt succeeded, and before any.
    const std::string& open_failure() const { return m_open_failure; }

  private:
    bool getCmd(const std::string& p_buff, std::string& p_cmd) const;
    bool checkCmd(const std::string& p_buff, const std::string& p_cmd) const;
    int write_data(const std::string& p_str);
    bool read_greeting(std::string& p_greeting);
    void report_not_reached(const std::string& p_why);
    void discard_pending_data();
    // Receives once into the collector: the byte count, 0 or less when the service closed
    // the link or it failed.
    long receive_into_collector();
    command_end_t collect_answer(const std::string& p_word, std::string& p_answer,
                                 int64_t p_timeout, const answer_rule_t& p_rule);
    void drop_connection();

    // The link's own messages: printed, or only kept when the link is quiet.
    void tell_failure(const console_message_t& p_message);
    void tell_failure(const std::string& p_text);
    // Ends an exchange as p_end; true when it was answered.
    bool end_exchange(command_end_t p_end);

    bool m_bStatus = false;
    bool m_quiet = false;
    bool m_greeting_required = false;
    bool m_rehearsal = rehearsal_asked();
    bool m_not_simulated = false;
    command_end_t m_last_end = COMMAND_ANSWERED;
    std::string m_greeting;
    bool m_init_state = false;
    bool m_open_failed = false;
    bool m_ever_reached = false;
    std::string m_open_failure;
    platform::socket_t m_sock = platform::INVALID_SOCKET_HANDLE;
    std::string m_ip = zel_service_ip;
    uint16_t m_port = default_port;
    line_collector m_collector;
};

#endif  // SRC_ZEL_SOCKET_HANDLER_ZEL_SOCKET_HANDLER_H_
