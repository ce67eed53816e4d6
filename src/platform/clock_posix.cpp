#include "platform/clock.h"

#include <time.h>

#include <cerrno>
#include <ctime>

namespace platform {

int64_t monotonic_ms() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void sleep_ms(int64_t p_ms) {
    if (p_ms <= 0) {
        return;
    }
    timespec wait;
    wait.tv_sec = static_cast<time_t>(p_ms / 1000);
    wait.tv_nsec = static_cast<long>((p_ms % 1000) * 1000000);
    while (nanosleep(&wait, &wait) == -1 && errno == EINTR) {
    }
}

std::string local_date_time() {
    const time_t now = time(nullptr);
    struct tm local = {};
    char text[32] = "";
    if (localtime_r(&now, &local) != nullptr) {
        std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M %z", &local);
    }
    return text;
}

}  // namespace platform
