#include "StopSignal.h"

#include <csignal>

namespace kovagenerate {

namespace {

volatile std::sig_atomic_t Caught = 0;

extern "C" void OnStopSignal(int signal)
{
    Caught = signal;
}

}  // namespace

void CatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or a dropped ssh session.
    sigaction(SIGHUP, &action, nullptr);
    // A loader that stops reading its pipe shows as a write that fails, with
    // its reason, instead of ending the program without a word.
    std::signal(SIGPIPE, SIG_IGN);
}

int StopSignal()
{
    return Caught;
}

}  // namespace kovagenerate
