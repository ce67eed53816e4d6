// What a program takes from its process and sets up in it at start: its standard streams
// and signals, its arguments, and the files it opens by the path it was given.
#ifndef SRC_PLATFORM_PROGRAM_H_
#define SRC_PLATFORM_PROGRAM_H_

namespace platform {

// Called first thing. A standard input, output or error that the program was started
// without is opened on the null device, so that no socket or file the program opens later
// takes its place (the prompt would read the service, the console text would be sent to
// it). A write to a closed connection or pipe fails instead of killing the program.
void prepare_process();

}  // namespace platform

#endif  // SRC_PLATFORM_PROGRAM_H_
