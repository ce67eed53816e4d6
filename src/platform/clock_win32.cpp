#include "platform/clock.h"

#include <windows.h>

#include <cstdio>

namespace platform {

int64_t monotonic_ms() {
    return static_cast<int64_t>(GetTickCount64());
}

void sleep_ms(int64_t p_ms) {
    if (p_ms > 0) {
        Sleep(static_cast<DWORD>(p_ms));
    }
}

std::string local_date_time() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    char text[32];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u", local.wYear, local.wMonth,
                  local.wDay, local.wHour, local.wMinute);
    return text;
}

}  // namespace platform
