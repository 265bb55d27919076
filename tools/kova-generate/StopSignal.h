#pragma once
// Ctrl-C (SIGINT) and SIGTERM stop a run the way its stop button would: the
// signal only sets a flag, which the run reads between rows and then keeps
// nothing (files discarded, the database rolled back).

namespace kovagenerate {

// Installs the handlers; done once, by the program, before any run.
void CatchStopSignals();
// The signal that asked the run to stop, or 0 while none has.
int StopSignal();

}  // namespace kovagenerate
