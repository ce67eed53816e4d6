#include "platform/interrupt.h"

#include <signal.h>

#include <atomic>

namespace platform {
namespace {

// The signals a stop request comes by.
const int G_stop_signals[] = {SIGINT, SIGTERM};

std::atomic<bool> G_stop_requested(false);
// Lock-free, so that a signal handler may touch it.
std::atomic<bool> G_interrupted(false);
bool G_catching = false;
// The action in force before catch_interrupts(): the second Ctrl-C puts it back.
struct sigaction G_action_before_catching = {};

void on_stop_signal(int) {
    G_stop_requested.store(true);
}

// Only async-signal-safe calls: the second Ctrl-C puts back the action from before the
// catching and raises the signal again, which ends the program: the default action, or the
// handler of an output file that removes its temporary file first.
void on_interrupt(int p_signal) {
    if (!G_interrupted.exchange(true)) {
        return;
    }
    sigaction(p_signal, &G_action_before_catching, nullptr);
    raise(p_signal);
}

// A signal ignored when the program started (a background job of a script) stays ignored:
// nothing that was not to stop the program is taken as a stop.
bool ignored(int p_signal) {
    struct sigaction now = {};
    return sigaction(p_signal, nullptr, &now) == 0 && now.sa_handler == SIG_IGN;
}

// With SA_RESTART a read the signal interrupted goes on; without it, it fails with EINTR.
void set_interrupt_action(int p_flags, struct sigaction* p_before) {
    struct sigaction action = {};
    action.sa_handler = on_interrupt;
    action.sa_flags = p_flags;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, p_before);
}

}  // namespace

void install_stop_handler() {
    struct sigaction action = {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    // Also where the program was started to ignore them: a script stops the simulator it
    // started in the background with SIGINT.
    for (const int signal_number : G_stop_signals) {
        sigaction(signal_number, &action, nullptr);
    }
}

bool stop_requested() {
    return G_stop_requested.load();
}

void catch_interrupts() {
    if (!G_catching && !ignored(SIGINT)) {
        G_catching = true;
        set_interrupt_action(SA_RESTART, &G_action_before_catching);
    }
}

bool interrupted() {
    return G_interrupted.load();
}

void begin_breakable_input() {
    if (G_catching) {
        set_interrupt_action(0, nullptr);
    }
}

void end_breakable_input() {
    if (G_catching) {
        set_interrupt_action(SA_RESTART, nullptr);
    }
}

}  // namespace platform
