// Monotonic time for deadlines and pauses.
#ifndef SRC_PLATFORM_CLOCK_H_
#define SRC_PLATFORM_CLOCK_H_

#include <cstdint>

namespace platform {

// Milliseconds from an arbitrary origin; never goes backwards, does not wrap.
int64_t monotonic_ms();

// Blocks the calling thread for about p_ms milliseconds (nothing for 0 or less).
void sleep_ms(int64_t p_ms);

}  // namespace platform

#endif  // SRC_PLATFORM_CLOCK_H_
