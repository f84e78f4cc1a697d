#pragma once

// Blocks the caller for ms milliseconds while the event loop keeps delivering every event (port
// notifications, clicks, timers). Once the application has been told to quit, nested loops end at once, so
// code after a wait must not assume the time has passed.
void delayMs(int ms);

// delayMs that says whether the time really passed: false when the wait was cut short because the
// application has been told to quit (from then on every nested loop returns at once, until the main loop
// has ended).
bool waitMs(int ms);
