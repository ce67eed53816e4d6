// What the programs other than the writer say when their output cannot be written: a file
// (a backup, a capture, an undo record) refused with the reason, or standard output that did
// not take the text.
#ifndef SRC_DEVICE_CORE_OUTPUT_TEXT_H_
#define SRC_DEVICE_CORE_OUTPUT_TEXT_H_

#include <string>

#include "platform/output_file.h"

// "Unable to write file: " and the path, then why: it exists (p_after_reading: it appeared
// while the devices were read) and --force was not given; it is not a regular file; or the
// system's reason.
std::string output_refused(const std::string& p_file, platform::output_result_t p_result,
                           const std::string& p_reason, bool p_after_reading);

std::string standard_output_failed(const std::string& p_reason);

#endif  // SRC_DEVICE_CORE_OUTPUT_TEXT_H_
