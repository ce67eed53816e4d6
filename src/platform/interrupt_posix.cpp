#include "platform/interrupt.h"

#include <signal.h>

#include <atomic>

namespace platform {
namespace {

std::atomic<bool> G_stop_requested(false);
// Lock-free, so that a signal handler may touch it.
std::atomic<bool> G_stage_interrupted(false);
struct sigaction G_action_before_stage = {};

void on_stop_signal(int) {
    G_stop_requested.store(true);
}

// Only async-signal-safe calls: the second Ctrl-C puts back the action from before the stage
// and raises the signal again, which ends the program: the default action, or the handler of
// an output file that removes its temporary file first.
void on_stage_interrupt(int p_signal) {
    if (!G_stage_interrupted.exchange(true)) {
        return;
    }
    struct sigaction ending = G_action_before_stage;
    if (ending.sa_handler == SIG_IGN) {
        ending.sa_handler = SIG_DFL;  // ignored before the stage, the second Ctrl-C still ends it
    }
    sigaction(p_signal, &ending, nullptr);
    raise(p_signal);
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

void begin_interruptible_stage() {
    G_stage_interrupted.store(false);
    struct sigaction action = {};
    action.sa_handler = on_stage_interrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &G_action_before_stage);
}

void end_interruptible_stage() {
    sigaction(SIGINT, &G_action_before_stage, nullptr);
}

bool stage_interrupted() {
    return G_stage_interrupted.load();
}

}  // namespace platform
