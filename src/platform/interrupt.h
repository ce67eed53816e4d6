// Ctrl-C and termination requests for long-running programs (the simulated service).
#ifndef SRC_PLATFORM_INTERRUPT_H_
#define SRC_PLATFORM_INTERRUPT_H_

namespace platform {

// Installs handlers for SIGINT and SIGTERM (console control events on Windows) that
// only raise a flag; the program polls it.
void install_stop_handler();

// True once a stop was requested.
bool stop_requested();

}  // namespace platform

#endif  // SRC_PLATFORM_INTERRUPT_H_
