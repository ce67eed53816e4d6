// Ctrl-C and termination requests: for long-running programs (the simulated service), and
// for a stage of the tool that must not be cut in the middle of a page.
#ifndef SRC_PLATFORM_INTERRUPT_H_
#define SRC_PLATFORM_INTERRUPT_H_

namespace platform {

// Installs handlers for SIGINT and SIGTERM (console control events on Windows) that
// only raise a flag; the program polls it.
void install_stop_handler();

// True once a stop was requested.
bool stop_requested();

// From begin_interruptible_stage() to end_interruptible_stage(), the first Ctrl-C (SIGINT;
// CTRL_C or CTRL_BREAK on Windows) only raises a flag that the stage polls; a second one
// ends the program at once, as Ctrl-C does by default. Outside, Ctrl-C is left as it was.
void begin_interruptible_stage();
void end_interruptible_stage();

// True once Ctrl-C was pressed since begin_interruptible_stage().
bool stage_interrupted();

}  // namespace platform

#endif  // SRC_PLATFORM_INTERRUPT_H_
