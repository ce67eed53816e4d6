// Numbers and delimiters read from text, each number reader named by its rule: the strict one that
// options, files and identities use; one like the standard text-to-int conversion, for the numbers
// of an information answer; one like C's atoi keeping the low 8 bits, for the location of a
// memory-read answer; and the reader of a memory-read answer's values.
#ifndef SRC_BASIC_TYPE_NUMBERS_H_
#define SRC_BASIC_TYPE_NUMBERS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Moves p_pos past the next occurrence of p_delimiter at or after p_pos; false, p_pos
// unchanged, when there is none.
bool get_delimiter(const std::string& p_line, const std::string& p_delimiter, std::size_t& p_pos);

// White space as the C locale has it: blank, tab, LF, VT, FF, CR.
bool is_white_space(char p_c);

// Strict: the whole text is an optional sign and at least one digit, in the int range.
// On failure (empty, junk, out of range) p_value is left unchanged.
bool read_int_strict(const std::string& p_text, int& p_value);

// Like std::stoi: leading white space skipped, an optional sign, then digits up to the
// first other character. False, with p_value unchanged, without a digit or out of the int
// range.
bool read_int_like_stoi(const std::string& p_text, int& p_value);

// Like C's atoi (blanks, a sign, digits up to the first other character; no digit gives 0),
// keeping the low 8 bits of the number, however long it is.
uint8_t read_low_byte_like_atoi(const std::string& p_text);

// The values of a memory-read answer, from p_pos: decimal numbers separated by ",", the
// last one ended by "\r"; the text's last character is never read. An empty value (no
// digit) reads as value_list_empty, a value past the int range as value_list_overflow.
// Values are appended to p_values; a number with no "\r" after it before the last character
// is not. False when a character other than a digit, "," or "\r" came (reading goes on).
const int value_list_empty = -1;
const int value_list_overflow = 2147483647;
bool read_value_list(const std::string& p_text, std::size_t p_pos, std::vector<int>& p_values);

#endif  // SRC_BASIC_TYPE_NUMBERS_H_
