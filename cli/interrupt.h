#pragma once

// Ctrl+C and SIGTERM during a run on modems: the first asks the work to stop where a modem is left whole
// (no new modem starts, a write stops before "WRITEALL;" or finishes its read-back), so that the run can
// still say what it did; a second one ends the process at once.
namespace interrupt {

// From here on the two signals ask instead of ending the process.
void install();
// Whether a stop was asked; safe from any thread.
bool requested();
// The exit status of a run that was asked to stop: 128 plus the signal's number (130 for Ctrl+C, 143 for
// SIGTERM); 0 while none was asked.
int status();

} // namespace interrupt
