#pragma once

// Blocks the caller for ms milliseconds while the event loop keeps delivering every event (port
// notifications, clicks, timers). Returns early only when the application is quitting.
void delayMs(int ms);
