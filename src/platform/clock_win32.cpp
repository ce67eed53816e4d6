#include "platform/clock.h"

#include <windows.h>

namespace platform {

int64_t monotonic_ms() {
    return static_cast<int64_t>(GetTickCount64());
}

void sleep_ms(int64_t p_ms) {
    if (p_ms > 0) {
        Sleep(static_cast<DWORD>(p_ms));
    }
}

}  // namespace platform
