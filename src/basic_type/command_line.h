// The command line of the programs other than the writer (read_brimel_label,
// sync_brimel_label and zel_service_sim), read by one table-driven rule: options in any order
// before "--", each as "--name value" or "--name=value"; an option word is never taken as
// another option's value; each option is once-only unless the table says it repeats; two
// options that cannot go together are refused; every other word is an operand. A usage
// error is one line that ends by pointing to --help.
#ifndef SRC_BASIC_TYPE_COMMAND_LINE_H_
#define SRC_BASIC_TYPE_COMMAND_LINE_H_

#include <string>
#include <utility>
#include <vector>

#include "basic_type/basic_type.h"

// One option of a program's table.
struct option_rule_t {
    const char* m_name;             // "--port"
    const char* m_value = nullptr;  // what its value is, for a message; nullptr: a flag
    bool m_repeatable = false;      // every value is kept, in order
    const char* m_alias = nullptr;  // another spelling: "-h" for "--help"
    // Without "=VALUE" its value is the first operand, wherever it stands ("--verify").
    bool m_value_is_first_operand = false;
};

// What the values of the programs' options are, as their usage errors name them.
constexpr char option_file_value[] = "a file name";
constexpr char option_device_value[] = "a device name";
constexpr char option_port_value[] = "a port number";
constexpr char option_count_value[] = "a count";

// Two options of a table that cannot be given together.
struct option_conflict_t {
    const char* m_first;
    const char* m_second;
};

// What a command line gave, options by their table names.
struct command_line_t {
    std::vector<std::pair<std::string, std::string>> m_options;  // (name, value) in order
    std::vector<std::string> m_operands;

    bool has(const std::string& p_name) const;
    // The value of a once-only option; empty when it was not given.
    std::string value(const std::string& p_name) const;
    // Every value of an option, in order.
    std::vector<std::string> values(const std::string& p_name) const;
};

// Reads p_args (the words after the program's name) by the table. False, with p_what saying
// why in a few words ("--yes is given twice", "--port needs a port number", "unknown option
// -x", "--yes and --dry-run cannot go together"), when they break a rule.
bool parse_command_line(const std::vector<option_rule_t>& p_table,
                        const std::vector<option_conflict_t>& p_conflicts,
                        const std::vector<std::string>& p_args, command_line_t& p_line,
                        std::string& p_what);

// How the programs of this command line are asked for their manual, for a hint: "-h or
// --help" (a word such as "help" is an operand for them).
extern const char* const help_options;

// "PROGRAM: WHAT (see --help)" and the line end.
std::string usage_line(const std::string& p_program, const std::string& p_what,
                       const char* p_line_end = "\r\n");

// True when p_option is among p_words before a "--" that ends the options: a wrong command
// line of a program asked for JSON is then said in JSON too, whatever else was wrong with it.
bool option_given(const std::vector<std::string>& p_words, const std::string& p_option);

// Says why a command line cannot be carried out: the line on standard error and, for a
// script (p_json), the JSON error object of kind "usage" alone on standard output.
void tell_usage_error(const console_message_t& p_line, bool p_json);

#endif  // SRC_BASIC_TYPE_COMMAND_LINE_H_
