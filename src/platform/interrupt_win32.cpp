#include "platform/interrupt.h"

#include <windows.h>

#include <atomic>

namespace platform {
namespace {

std::atomic<bool> G_stop_requested(false);
std::atomic<bool> G_interrupted(false);
bool G_catching = false;

BOOL WINAPI on_console_event(DWORD p_event) {
    if (p_event == CTRL_C_EVENT || p_event == CTRL_BREAK_EVENT || p_event == CTRL_CLOSE_EVENT) {
        G_stop_requested.store(true);
        return TRUE;
    }
    return FALSE;
}

// FALSE passes the event on to the default handler, which ends the process: so does the
// second Ctrl-C, and every other event.
BOOL WINAPI on_interrupt_event(DWORD p_event) {
    if (p_event != CTRL_C_EVENT && p_event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    return G_interrupted.exchange(true) ? FALSE : TRUE;
}

}  // namespace

void install_stop_handler() {
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

bool stop_requested() {
    return G_stop_requested.load();
}

void catch_interrupts() {
    if (!G_catching) {
        G_catching = true;
        SetConsoleCtrlHandler(on_interrupt_event, TRUE);
    }
}

bool interrupted() {
    return G_interrupted.load();
}

// A console read ends by itself when Ctrl-C is pressed: nothing to change around it.
void begin_breakable_input() {}

void end_breakable_input() {}

}  // namespace platform
