// What the programs other than the writer say when a file of theirs cannot be written: a
// backup, a capture or an undo record refused with the reason.
#ifndef SRC_DEVICE_CORE_OUTPUT_TEXT_H_
#define SRC_DEVICE_CORE_OUTPUT_TEXT_H_

#include <string>

#include "basic_type/basic_type.h"
#include "platform/output_file.h"

// "Unable to write file: " and the path, then why: it exists (p_after_reading: it appeared
// while the devices were read) and --force was not given; it is not a regular file; or the
// system's reason.
console_message_t output_refused(const std::string& p_file, platform::output_result_t p_result,
                                 const std::string& p_reason, bool p_after_reading);

#endif  // SRC_DEVICE_CORE_OUTPUT_TEXT_H_
