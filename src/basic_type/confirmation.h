// The operator's confirmation before labels are written, asked the same way by every program
// that writes: the devices to be written, then a prompt answered with one word, read from
// standard input; an invalid answer shows it all again, at most three answers in all.
#ifndef SRC_BASIC_TYPE_CONFIRMATION_H_
#define SRC_BASIC_TYPE_CONFIRMATION_H_

#include <cstddef>
#include <string>

#include "basic_type/basic_type.h"

// "\tdevice N: TEXT\r\n": one line of a numbered device list.
console_message_t numbered_device_line(std::size_t p_number, const console_message_t& p_text);

enum confirmation_t { CONFIRMED, REFUSED, ANSWERS_RAN_OUT, STOPPED_AT_PROMPT };

// Shows the header, p_device_lines and the prompt, and reads the answer: an accepting word
// confirms ("Write labels:" follows), a refusing word refuses ("Update labels canceled"); an
// invalid one, the empty answer at the end of the input included, asks again, and the third
// cancels ("Update label canceled"). A caught Ctrl-C, before a screen or while the answer is
// awaited, stops the asking.
confirmation_t ask_confirmation(const console_message_t& p_device_lines);

#endif  // SRC_BASIC_TYPE_CONFIRMATION_H_
