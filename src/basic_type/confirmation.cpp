#include "basic_type/confirmation.h"

#include <cctype>
#include <iostream>

#include "platform/interrupt.h"

namespace {

// The longest answer word kept; no answer word is nearly that long.
const std::size_t G_max_answer_word = 4096;

// One whitespace-delimited word of standard input, as formatted extraction reads it, but at
// most G_max_answer_word bytes of it: a longer word comes back too long (an invalid answer)
// and the rest of it is skipped. End of input leaves the word empty.
void read_answer_word(std::istream& p_in, std::string& p_word) {
    p_word.clear();
    p_in >> std::ws;
    for (int c = p_in.peek(); c != EOF && !std::isspace(c); c = p_in.peek()) {
        p_in.get();
        if (p_word.size() <= G_max_answer_word) {
            p_word.push_back(static_cast<char>(c));
        }
    }
}

}  // namespace

console_message_t numbered_device_line(std::size_t p_number, const console_message_t& p_text) {
    return "\tdevice " + std::to_string(p_number) + ": " + p_text + "\r\n";
}

confirmation_t ask_confirmation(const console_message_t& p_device_lines) {
    const std::string user_device_msg = "Ready to update label in those devices:";
    for (int try_count = 2;; --try_count) {
        if (platform::interrupted()) {
            return STOPPED_AT_PROMPT;
        }
        printf_str_color(user_device_msg + "\r\n", GREEN);
        printf_str_color(p_device_lines, CYAN);
        printf_str_color("Please confirm you want to update the labels: yes(y), no(n): ", CYAN);
        std::string user_ans;
        platform::begin_breakable_input();
        read_answer_word(std::cin, user_ans);
        platform::end_breakable_input();
        printf_str("\r\n");
        if (platform::interrupted()) {
            return STOPPED_AT_PROMPT;
        }
        bool write_label = false;
        const bool valid = valid_user_ans(user_ans, write_label);
        if (write_label) {
            printf_str("Write labels:\r\n\r\n");
            return CONFIRMED;
        }
        if (valid) {
            printf_str_color("Update labels canceled\r\n", GREEN);
            return REFUSED;
        }
        if (try_count == 0) {
            printf_error_message("Update label canceled\r\n");
            return ANSWERS_RAN_OUT;
        }
        printf_error_message("Unvalid answer (remains " + std::to_string(try_count) + " try)\r\n");
    }
}
