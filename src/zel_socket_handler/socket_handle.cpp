#include "zel_socket_handler/zel_socket_handler.h"

#include <algorithm>
#include <cstring>

#include "basic_type/basic_type.h"
#include "platform/clock.h"

namespace {

std::size_t skip_spaces(const std::string& p_text, std::size_t p_pos) {
    while (p_pos < p_text.size() && is_white_space(p_text[p_pos])) {
        ++p_pos;
    }
    return p_pos;
}

// The greeting text has arrived with a line end after it: CR LF, or a LF alone.
bool greeting_complete(const std::string& p_greeting) {
    const std::size_t found = p_greeting.find(zel_greeting_text);
    return found != std::string::npos &&
           p_greeting.find('\n', found + std::strlen(zel_greeting_text)) != std::string::npos;
}

console_message_t command_failure(const std::string& p_line, const char* p_what) {
    // The line holds an identifier the service listed.
    return "Send cmd [" + service_text(p_line) + "] " + p_what + " !\r\n";
}

}  // namespace

const char* command_end_words(command_end_t p_end) {
    switch (p_end) {
        case COMMAND_ANSWERED:
            return "answered";
        case COMMAND_NOT_SENT:
            return "the command could not be sent";
        case COMMAND_REFUSED:
            return "refused by the service";
        case COMMAND_NO_ANSWER:
            return "no answer";
        case COMMAND_TOO_LONG:
            return "an answer too long";
        case COMMAND_UNREADABLE:
            break;
    }
    return "an answer that does not hold what was asked";
}

std::string not_reached_message(const std::string& p_ip, uint16_t p_port,
                                const std::string& p_why) {
    return "ZEL-Service not reached at " + p_ip + ":" + std::to_string(p_port) + " (" + p_why +
           "): start the device-management service, or zel_service_sim to rehearse.\r\n";
}

console_message_t greeting_as_shown(const std::string& p_greeting) {
    console_message_t shown;
    std::size_t begin = 0;
    for (std::size_t lf = p_greeting.find('\n'); lf != std::string::npos;
         lf = p_greeting.find('\n', begin)) {
        const std::size_t end = lf > begin && p_greeting[lf - 1] == '\r' ? lf - 1 : lf;
        shown += service_text(p_greeting.substr(begin, end - begin)) +
                 p_greeting.substr(end, lf + 1 - end);
        begin = lf + 1;
    }
    return shown + service_text(p_greeting.substr(begin));
}

void show_greeting(const std::string& p_greeting) {
    if (p_greeting.find(zel_greeting_text) != std::string::npos) {
        printf_str(greeting_as_shown(p_greeting) + "\r\n");
        printf_str_color("ZEL-Service Connected.\r\n", GREEN);
    }
}

socket_handle::socket_handle() {}

socket_handle::~socket_handle() {
    platform::socket_close(m_sock);
}

void socket_handle::tell_failure(const console_message_t& p_message) {
    if (!m_quiet) {
        printf_error_message(p_message);
    }
}

void socket_handle::tell_failure(const std::string& p_text) {
    tell_failure(console_message_t(PROGRAM_TEXT, p_text));
}

bool socket_handle::end_exchange(command_end_t p_end) {
    m_last_end = p_end;
    return p_end == COMMAND_ANSWERED;
}

bool socket_handle::checkinit_ZELService_connection() {
    m_open_failed = false;
    if (m_init_state) {
        return true;
    }
    m_last_end = COMMAND_NOT_SENT;  // until a command goes out
    if (m_not_simulated) {
        m_open_failed = true;
        return false;  // said once, when it greeted
    }
    if (!platform::net_startup()) {
        tell_failure("ZEL-Service Connection failed! WSAStartup ERROR.\r\n");
        report_not_reached("the socket library did not start");
        return false;
    }
    std::string why;
    m_sock = platform::tcp_connect(m_ip, m_port, &why);
    if (m_sock == platform::INVALID_SOCKET_HANDLE) {
        m_open_failed = true;
        tell_failure("ZEL-Service connection failed!\r\n");
        report_not_reached(why);
        return false;
    }
    m_init_state = true;
    m_collector.clear();
    std::string greeting;
    if (!read_greeting(greeting)) {
        drop_connection();
        m_open_failed = true;
        tell_failure("ZEL-Service connection failed!\r\n");
        report_not_reached("it closed the connection during its greeting");
        return false;
    }
    if (m_greeting_required && greeting.find(zel_greeting_text) == std::string::npos) {
        drop_connection();
        m_open_failed = true;
        report_not_reached("it did not greet within the greeting wait");
        return false;
    }
    if (m_rehearsal && greeting.find(zel_simulated_mark) == std::string::npos) {
        drop_connection();
        m_not_simulated = true;
        m_open_failed = true;
        tell_failure("ZEL-Service connection failed!\r\n");
        report_not_reached(std::string("its greeting does not say it is simulated, and ") +
                           zel_rehearsal_variable + " asks for a rehearsal: no command is sent");
        return false;
    }
    m_ever_reached = true;
    m_open_failure.clear();
    m_greeting = greeting;
    if (!m_quiet) {
        show_greeting(greeting);
    }
    return true;
}

void socket_handle::report_not_reached(const std::string& p_why) {
    m_open_failure = p_why;
    tell_failure(not_reached_message(m_ip, m_port, p_why));
}

bool socket_handle::read_greeting(std::string& p_greeting) {
    const int64_t limit = platform::monotonic_ms() + zel_greeting_limit_ms;
    char chunk[zel_socket_buffer_size];
    while (p_greeting.size() < zel_greeting_limit_bytes) {
        const int64_t left = limit - platform::monotonic_ms();
        const int64_t wait = std::min(
            greeting_complete(p_greeting) ? zel_greeting_quiet_ms : zel_greeting_wait_ms, left);
        if (wait <= 0 ||
            platform::socket_wait_readable(m_sock, wait) != platform::WAIT_RESULT_READY) {
            break;
        }
        const long got = platform::socket_recv(m_sock, chunk, sizeof(chunk));
        if (got <= 0) {
            return false;  // closed by the service while greeting
        }
        // The greeting is text: a chunk counts up to its first zero byte.
        p_greeting.append(chunk, strnlen(chunk, static_cast<std::size_t>(got)));
    }
    return true;
}

bool socket_handle::close_ZELService_connection() {
    drop_connection();
    return true;
}

void socket_handle::drop_connection() {
    platform::socket_close(m_sock);
    m_sock = platform::INVALID_SOCKET_HANDLE;
    m_init_state = false;
    m_collector.clear();
}

bool socket_handle::IsDataAvailable(int iSeconds, int iMillis) {
    if (m_sock == platform::INVALID_SOCKET_HANDLE) {
        return false;
    }
    const int64_t wait = static_cast<int64_t>(iSeconds) * 1000 + iMillis;
    return platform::socket_wait_readable(m_sock, wait) == platform::WAIT_RESULT_READY;
}

bool socket_handle::getCmd(const std::string& p_buff, std::string& p_cmd) const {
    const std::size_t begin = skip_spaces(p_buff, 0);
    if (begin == p_buff.size()) {
        return false;
    }
    std::size_t end = begin;
    while (end < p_buff.size() && !is_white_space(p_buff[end])) {
        ++end;
    }
    p_cmd = p_buff.substr(begin, end - begin);
    // A line with a blank must hold a second word ("LIST_DEV " alone is malformed).
    return p_buff.find(' ') == std::string::npos || skip_spaces(p_buff, end) < p_buff.size();
}

bool socket_handle::checkCmd(const std::string& p_buff, const std::string& p_cmd) const {
    return p_buff.find(p_cmd + "=") != std::string::npos;
}

int socket_handle::write_data(const std::string& p_str) {
    if (!m_init_state || !platform::socket_send_all(m_sock, p_str.data(), p_str.size())) {
        return -1;
    }
    return static_cast<int>(p_str.size());
}

long socket_handle::receive_into_collector() {
    char chunk[zel_receive_chunk_size];
    const long got = platform::socket_recv(m_sock, chunk, sizeof(chunk));
    if (got > 0) {
        m_collector.append(chunk, static_cast<std::size_t>(got));
    }
    return got;
}

void socket_handle::discard_pending_data() {
    // A late answer to an earlier command must never pass for the answer of this one.
    m_collector.clear();
    std::size_t discarded = 0;
    while (m_init_state &&
           platform::socket_wait_readable(m_sock, 0) == platform::WAIT_RESULT_READY) {
        const long got = receive_into_collector();
        m_collector.clear();
        if (got <= 0 || discarded > zel_answer_max_length) {
            drop_connection();  // closed, or a service that never stops sending
            return;
        }
        discarded += static_cast<std::size_t>(got);
    }
}

bool socket_handle::ZEL_cmd_WR(const std::string& p_cmd, std::string& p_answer,
                               std::string& p_ZEL_Command, const time_t& p_timeout,
                               const answer_rule_t& p_rule) {
    m_bStatus = true;
    const std::string line(p_cmd.c_str());
    p_ZEL_Command.clear();
    // An empty command is a success that sends nothing; its empty answer fails the caller.
    if (line.empty()) {
        p_answer = line;
        return end_exchange(COMMAND_ANSWERED);
    }
    // A line is never sent cut short: one that does not fit the command buffer is refused.
    if (line.size() > zel_command_max_length || !getCmd(line, p_ZEL_Command)) {
        tell_failure(command_failure(line, "syntax error"));
        m_bStatus = false;
        return end_exchange(COMMAND_NOT_SENT);
    }
    if (m_init_state) {
        discard_pending_data();
        // Closed by the service while idle: the command goes out once, on a new link.
        if (!m_init_state && !checkinit_ZELService_connection()) {
            m_bStatus = false;
            return end_exchange(COMMAND_NOT_SENT);
        }
    }
    if (write_data(line) < 0) {
        if (m_init_state) {
            drop_connection();
        }
        tell_failure(command_failure(line, "failed"));
        m_bStatus = false;
        return end_exchange(COMMAND_NOT_SENT);
    }
    m_bStatus = end_exchange(
        collect_answer(p_ZEL_Command, p_answer, static_cast<int64_t>(p_timeout), p_rule));
    return m_bStatus;
}

command_end_t socket_handle::collect_answer(const std::string& p_word, std::string& p_answer,
                                            int64_t p_timeout, const answer_rule_t& p_rule) {
    const int64_t started = platform::monotonic_ms();
    const int64_t deadline = started + p_timeout;
    p_answer.clear();
    std::size_t received = 0;
    std::string line;
    for (;;) {
        while (m_collector.take_line(line)) {
            if (!checkCmd(line, p_word)) {
                continue;  // not an answer of this command
            }
            const zel_line_verdict_t verdict = zel_judge_line(line, p_rule.m_echo);
            if (verdict == ZEL_LINE_REFUSAL) {
                p_answer = line;  // the refusal, for the caller who tells it
                return COMMAND_REFUSED;
            }
            if (verdict == ZEL_LINE_LATE) {
                continue;  // the answer or refusal of an earlier command
            }
            p_answer += line;
            if (p_rule.m_first_line_completes) {
                return COMMAND_ANSWERED;
            }
        }
        if (m_collector.overflowed()) {
            m_collector.clear();
            tell_failure("Cmd failed (answer line over " +
                         std::to_string(zel_answer_line_max_length) + " bytes)!\r\n");
            return COMMAND_TOO_LONG;
        }
        // Past the deadline only what has already arrived is looked at; the whole answer
        // ends at its limit, whatever still comes.
        const int64_t now = platform::monotonic_ms();
        int64_t wait =
            p_answer.empty() ? std::max<int64_t>(deadline - now, 0) : zel_listing_quiet_ms;
        if (p_rule.m_limit_ms > 0) {
            wait = std::min(wait, started + p_rule.m_limit_ms - now);
        }
        if (wait < 0 ||
            platform::socket_wait_readable(m_sock, wait) != platform::WAIT_RESULT_READY) {
            break;
        }
        const long got = receive_into_collector();
        if (got <= 0) {
            drop_connection();  // the next command opens a new link
            break;
        }
        received += static_cast<std::size_t>(got);
        if (received > zel_answer_max_length) {
            tell_failure("Cmd failed (answer over " + std::to_string(zel_answer_max_length) +
                         " bytes)!\r\n");
            return COMMAND_TOO_LONG;
        }
    }
    if (p_answer.empty()) {
        tell_failure("Cmd failed (No respons)!\r\n");
        return COMMAND_NO_ANSWER;
    }
    return COMMAND_ANSWERED;
}
