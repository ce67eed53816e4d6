// JSON text for scripts, built piece by piece: a string escaped by the JSON rules, numbers,
// truth values, null, and objects and arrays of values already written as JSON. Members
// keep the order they are given in.
#ifndef SRC_BASIC_TYPE_JSON_TEXT_H_
#define SRC_BASIC_TYPE_JSON_TEXT_H_

#include <string>
#include <utility>
#include <vector>

// p_utf8 as a JSON string: quoted, with the quote, the backslash and every control byte
// escaped, and each byte that is no part of well-formed UTF-8 (a Latin-1 byte of a path, a
// sequence cut short) written as U+FFFD, so that the string is always valid.
std::string json_string(const std::string& p_utf8);
// Code page 850 text as a JSON string of its UTF-8 form.
std::string json_cp850_string(const std::string& p_cp850);
std::string json_number(long long p_value);
std::string json_bool(bool p_value);
extern const char* const json_null;

typedef std::vector<std::pair<std::string, std::string>> json_members_t;
// {"name": value, ...}; each value is JSON text already.
std::string json_object(const json_members_t& p_members);
// [value, ...]; each value is JSON text already.
std::string json_array(const std::vector<std::string>& p_values);

// The version of the layout of the objects the programs write for scripts: a script checks
// it before reading on (docs/json.md).
constexpr long long json_schema = 1;

// What the results say of the service first: "service", its greeting's text without the line
// end that ends it (null when no greeting came), and "connections", how many connections it
// accepted (0 when it was not reached).
json_members_t json_service(const std::string& p_greeting, std::size_t p_connections);

// A program's JSON result: one object, "schema" first, then p_members, and a line end.
std::string json_result(const json_members_t& p_members);
// The result that says why a job could not be done: {"schema": 1, "error": {"kind": p_kind,
// "message": p_message without its line end}}.
std::string json_error_result(const std::string& p_kind, const std::string& p_message);

#endif  // SRC_BASIC_TYPE_JSON_TEXT_H_
