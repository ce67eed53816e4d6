#include "platform/interrupt.h"

#include <windows.h>

#include <atomic>

namespace platform {
namespace {

std::atomic<bool> G_stop_requested(false);

BOOL WINAPI on_console_event(DWORD p_event) {
    if (p_event == CTRL_C_EVENT || p_event == CTRL_BREAK_EVENT || p_event == CTRL_CLOSE_EVENT) {
        G_stop_requested.store(true);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void install_stop_handler() {
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

bool stop_requested() {
    return G_stop_requested.load();
}

}  // namespace platform
