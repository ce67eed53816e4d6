#include "platform/interrupt.h"

#include <windows.h>

#include <atomic>

namespace platform {
namespace {

std::atomic<bool> G_stop_requested(false);
std::atomic<bool> G_stage_interrupted(false);

BOOL WINAPI on_console_event(DWORD p_event) {
    if (p_event == CTRL_C_EVENT || p_event == CTRL_BREAK_EVENT || p_event == CTRL_CLOSE_EVENT) {
        G_stop_requested.store(true);
        return TRUE;
    }
    return FALSE;
}

// FALSE passes the event on to the default handler, which ends the process: so does the
// second Ctrl-C, and every other event.
BOOL WINAPI on_stage_event(DWORD p_event) {
    if (p_event != CTRL_C_EVENT && p_event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    return G_stage_interrupted.exchange(true) ? FALSE : TRUE;
}

}  // namespace

void install_stop_handler() {
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

bool stop_requested() {
    return G_stop_requested.load();
}

void begin_interruptible_stage() {
    G_stage_interrupted.store(false);
    SetConsoleCtrlHandler(on_stage_event, TRUE);
}

void end_interruptible_stage() {
    SetConsoleCtrlHandler(on_stage_event, FALSE);
}

bool stage_interrupted() {
    return G_stage_interrupted.load();
}

}  // namespace platform
