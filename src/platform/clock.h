// Monotonic time for deadlines and pauses, and the local date and time for what a program
// records.
#ifndef SRC_PLATFORM_CLOCK_H_
#define SRC_PLATFORM_CLOCK_H_

#include <cstdint>
#include <string>

namespace platform {

// Milliseconds from an arbitrary origin; never goes backwards, does not wrap.
int64_t monotonic_ms();

// Blocks the calling thread for about p_ms milliseconds (nothing for 0 or less).
void sleep_ms(int64_t p_ms);

// The local date and time now, with its offset from UTC: "2026-12-06 21:30 +0100".
std::string local_date_time();

}  // namespace platform

#endif  // SRC_PLATFORM_CLOCK_H_
