#pragma once

namespace zelvaro {

// A request from outside to stop (SIGTERM, SIGINT, Ctrl+C). The handler only
// notes the signal: the update run looks at every statement boundary, ends
// there, releases its lock and records itself; the program then exits with
// 128 + the signal's number. SIGPIPE is ignored, so output lost to a closed
// pipe (`… | head`) never stops a run.
class StopRequest {
public:
    static void installHandlers();
    // The signal that asked to stop; 0 when none did.
    static int signal();
    // As if the signal had arrived (tests); 0 clears it.
    static void set(int signal);
};

} // namespace zelvaro
