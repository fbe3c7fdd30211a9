#pragma once
// How tessoly-cli ends early without leaving a half-written file. SIGINT, SIGTERM and SIGHUP only
// raise a flag: the images in hand are finished (each write completes or removes its temporary
// file), no further image is started, and then the process ends by that same signal, so a
// calling shell sees the usual interrupted status. SIGPIPE is ignored: a reader that goes away
// ends the status lines, never a write in progress.

namespace tessoly::cli {

//! Installs the handlers. A signal already ignored when the program starts (nohup, a background
//! job) stays ignored.
void InstallStopHandlers();

//! The signal that asked the run to stop, 0 while none has. Safe from any thread.
int StopSignal();

//! Ends the process by sig with its default action, after flushing the standard streams.
[[noreturn]] void EndBySignal(int sig);

} // namespace tessoly::cli
