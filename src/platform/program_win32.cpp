#include "platform/program.h"

namespace platform {

// Sockets are handles of their own on Windows, never the C runtime's standard descriptors,
// and a missing standard stream reads as end of input and swallows writes; there is no
// SIGPIPE. Nothing to set up.
void prepare_process() {}

}  // namespace platform
