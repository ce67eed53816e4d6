// Helpers shared by the tests: output capture, temporary files, a clean registry.
#ifndef TESTS_TEST_SUPPORT_H_
#define TESTS_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <functional>
#include <string>

struct captured_t {
    std::string m_out;
    std::string m_err;
};

// Runs p_action and returns what it wrote to standard output and standard error.
captured_t capture_output(const std::function<void()>& p_action);

// Writes p_content into a new file of a per-process temporary directory; returns its path.
std::string write_temp_file(const std::string& p_name, const std::string& p_content);

// A path in the per-process temporary directory (nothing is created).
std::string temp_path(const std::string& p_name);

// Empties the registry and the current section devices, as a new transfer run does, with
// p_file and p_line as the current file and line for messages.
void reset_registry(const std::string& p_file = "t.ini", uint32_t p_line = 1);

#include <vector>

#include "basic_type/basic_type.h"

struct parse_run_t {
    Status m_last_status = SUCCESS;
    captured_t m_output;
};

// Starts a fresh run of file "t.ini" and feeds p_lines to the line parser as lines 1, 2, ...,
// stopping at the first rejected line, as a transfer run does.
parse_run_t parse_lines(const std::vector<std::string>& p_lines);

// "Error in: t.ini at line n\r\n"
std::string error_at(int p_line);

// The presets of the first record of that name, as "label|device|channel" texts;
// "<none>" when there is no record.
std::vector<std::string> presets_of(const std::string& p_device);

// Label-file text as the console shows it: UTF-8 where the console uses it, the code page
// 850 bytes as they are elsewhere (Windows).
std::string as_shown(const std::string& p_utf8, const std::string& p_cp850);

// A loopback port on which nothing listens.
uint16_t unused_port();

// Names of the records in device_list, in order.
std::vector<std::string> record_names();
#endif  // TESTS_TEST_SUPPORT_H_
