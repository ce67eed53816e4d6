// Ctrl-C and termination requests: for long-running programs (the simulated service), and
// for programs that talk to the service, which must not be cut in the middle of a command.
#ifndef SRC_PLATFORM_INTERRUPT_H_
#define SRC_PLATFORM_INTERRUPT_H_

namespace platform {

// Installs handlers for SIGINT and SIGTERM (console control events on Windows) that
// only raise a flag; the program polls it. Also where they were ignored when the program
// started: a script stops a simulator it started in the background with SIGINT.
void install_stop_handler();

// True once a stop was requested.
bool stop_requested();

// From this call on, for the rest of the program, the first Ctrl-C (SIGINT; CTRL_C or
// CTRL_BREAK on Windows) only raises the flag that interrupted() reads; a second one ends
// the program at once, as Ctrl-C does by default. Before the first call Ctrl-C is left as
// it was; later calls change nothing. A Ctrl-C the program was started to ignore (a
// background job of a script) stays ignored: nothing is caught.
void catch_interrupts();

// True once a Ctrl-C was caught. Nothing lowers the flag: a program that sees it stops its
// work at the next point it looks, however many commands, stages or files are left.
bool interrupted();

// Between these two, a caught Ctrl-C also breaks off a read of standard input that waits
// for the operator: the read ends as at the end of input, and the program sees
// interrupted(). Elsewhere a call that the Ctrl-C interrupted goes on.
void begin_breakable_input();
void end_breakable_input();

}  // namespace platform

#endif  // SRC_PLATFORM_INTERRUPT_H_
