#include "basic_type/command_line.h"

#include <algorithm>

#include "basic_type/json_text.h"
#include "platform/output_file.h"

namespace {

const char G_end_of_options[] = "--";

const option_rule_t* find_rule(const std::vector<option_rule_t>& p_table,
                               const std::string& p_word) {
    for (const option_rule_t& rule : p_table) {
        if (p_word == rule.m_name || (rule.m_alias != nullptr && p_word == rule.m_alias)) {
            return &rule;
        }
    }
    return nullptr;
}

// An option word: "-" alone is an operand (standard output, or a file of that name).
bool is_option_word(const std::string& p_word) {
    return p_word.size() > 1 && p_word[0] == '-';
}

// Takes the option at p_args[p_k] into p_line; p_k moves past its value.
bool take_option(const std::vector<option_rule_t>& p_table, const std::vector<std::string>& p_args,
                 std::size_t& p_k, command_line_t& p_line, std::string& p_what) {
    const std::string& word = p_args[p_k];
    const std::size_t equals = word.find('=');
    const option_rule_t* rule = find_rule(p_table, word.substr(0, equals));
    if (rule == nullptr) {
        p_what = "unknown option " + word;
        return false;
    }
    const std::string name = rule->m_name;
    if (!rule->m_repeatable && p_line.has(name)) {
        p_what = name + " is given twice";
        return false;
    }
    const bool attached = equals != std::string::npos;
    if (rule->m_value == nullptr || (rule->m_value_is_first_operand && !attached)) {
        if (attached) {
            p_what = name + " takes no value";
            return false;
        }
        p_line.m_options.emplace_back(name, std::string());
        return true;
    }
    // A value given after "=" is taken as written; a next word only when it is no option.
    const bool next = !attached && p_k + 1 < p_args.size() && !is_option_word(p_args[p_k + 1]);
    const std::string value = attached ? word.substr(equals + 1) : next ? p_args[p_k + 1] : "";
    if (value.empty()) {
        p_what = name + " needs " + rule->m_value;
        return false;
    }
    p_line.m_options.emplace_back(name, value);
    p_k += next ? 1 : 0;
    return true;
}

}  // namespace

const char* const help_options = "-h or --help";

bool command_line_t::has(const std::string& p_name) const {
    return std::any_of(m_options.begin(), m_options.end(),
                       [&](const std::pair<std::string, std::string>& p_option) {
                           return p_option.first == p_name;
                       });
}

std::string command_line_t::value(const std::string& p_name) const {
    const std::vector<std::string> given = values(p_name);
    return given.empty() ? std::string() : given[0];
}

std::vector<std::string> command_line_t::values(const std::string& p_name) const {
    std::vector<std::string> given;
    for (const std::pair<std::string, std::string>& option : m_options) {
        if (option.first == p_name) {
            given.push_back(option.second);
        }
    }
    return given;
}

bool parse_command_line(const std::vector<option_rule_t>& p_table,
                        const std::vector<option_conflict_t>& p_conflicts,
                        const std::vector<std::string>& p_args, command_line_t& p_line,
                        std::string& p_what) {
    p_line = command_line_t();
    bool options_ended = false;
    for (std::size_t k = 0; k < p_args.size(); ++k) {
        const std::string& word = p_args[k];
        if (!options_ended && word == G_end_of_options) {
            options_ended = true;
        } else if (!options_ended && is_option_word(word)) {
            if (!take_option(p_table, p_args, k, p_line, p_what)) {
                return false;
            }
        } else {
            p_line.m_operands.push_back(word);
        }
    }
    for (const option_rule_t& rule : p_table) {
        for (auto& option : p_line.m_options) {
            if (!rule.m_value_is_first_operand || option.first != rule.m_name ||
                !option.second.empty()) {
                continue;
            }
            if (p_line.m_operands.empty()) {
                p_what = option.first + " needs " + rule.m_value;
                return false;
            }
            option.second = p_line.m_operands.front();
            p_line.m_operands.erase(p_line.m_operands.begin());
        }
    }
    for (const option_conflict_t& conflict : p_conflicts) {
        if (p_line.has(conflict.m_first) && p_line.has(conflict.m_second)) {
            p_what =
                std::string(conflict.m_first) + " and " + conflict.m_second + " cannot go together";
            return false;
        }
    }
    return true;
}

std::string usage_line(const std::string& p_program, const std::string& p_what,
                       const char* p_line_end) {
    return p_program + ": " + p_what + " (see --help)" + p_line_end;
}

bool option_given(const std::vector<std::string>& p_words, const std::string& p_option) {
    const auto end = std::find(p_words.begin(), p_words.end(), G_end_of_options);
    return std::find(p_words.begin(), end, p_option) != end;
}

void tell_usage_error(const console_message_t& p_line, bool p_json) {
    printf_error_message(p_line);
    std::string reason;
    if (p_json) {
        // Standard output carries the object alone: a failure to write it is left untold.
        platform::write_standard_output(json_error_result("usage", p_line.shown(false)), reason);
    }
}
