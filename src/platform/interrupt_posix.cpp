#include "platform/interrupt.h"

#include <signal.h>

#include <atomic>

namespace platform {
namespace {

std::atomic<bool> G_stop_requested(false);

void on_stop_signal(int) {
    G_stop_requested.store(true);
}

}  // namespace

void install_stop_handler() {
    struct sigaction action = {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool stop_requested() {
    return G_stop_requested.load();
}

}  // namespace platform
