#include "common/StopRequest.h"

#include <csignal>

namespace zelvaro {

namespace {
volatile std::sig_atomic_t requested = 0;

extern "C" void noteSignal(int signal)
{
    requested = signal;
}
} // namespace

void StopRequest::installHandlers()
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    std::signal(SIGTERM, noteSignal);
    std::signal(SIGINT, noteSignal);
}

int StopRequest::signal()
{
    return requested;
}

void StopRequest::set(int signal)
{
    requested = signal;
}

} // namespace zelvaro
