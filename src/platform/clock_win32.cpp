#include "platform/clock.h"

#include <windows.h>

#include <cstdio>

namespace platform {
namespace {

// A clock reading in 100 ns steps: two readings give the offset between them.
long long file_time_of(const SYSTEMTIME& p_time) {
    FILETIME steps;
    SystemTimeToFileTime(&p_time, &steps);
    return static_cast<long long>((static_cast<unsigned long long>(steps.dwHighDateTime) << 32) |
                                  steps.dwLowDateTime);
}

}  // namespace

int64_t monotonic_ms() {
    return static_cast<int64_t>(GetTickCount64());
}

void sleep_ms(int64_t p_ms) {
    if (p_ms > 0) {
        Sleep(static_cast<DWORD>(p_ms));
    }
}

std::string local_date_time() {
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    SYSTEMTIME local = utc;
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    const int minutes = static_cast<int>((file_time_of(local) - file_time_of(utc)) / 600000000LL);
    const int distance = minutes < 0 ? -minutes : minutes;
    char text[40];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u %c%02d%02d", local.wYear,
                  local.wMonth, local.wDay, local.wHour, local.wMinute, minutes < 0 ? '-' : '+',
                  distance / 60, distance % 60);
    return text;
}

}  // namespace platform
