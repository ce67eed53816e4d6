// Numbers read from text: one strict decimal parser that every reader of a number uses,
// the tool's answer parsers and the simulator's options and network files alike.
#ifndef SRC_BASIC_TYPE_NUMBERS_H_
#define SRC_BASIC_TYPE_NUMBERS_H_

#include <string>

// Reads a whole text as a decimal int: an optional sign and at least one digit, nothing
// else. On failure (empty, junk, out of the int range) p_value is left unchanged.
bool parse_decimal_int(const std::string& p_text, int& p_value);

#endif  // SRC_BASIC_TYPE_NUMBERS_H_
