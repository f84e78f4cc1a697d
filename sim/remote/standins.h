#pragma once

#include <QString>

// Ports of a runner's Wine prefix that stand for what a test needs besides modems.
namespace sim::remote {

// A COM name that no device answers to: opening it fails with "file not found".
QString missingPort();
// A COM name whose opening fails with "access denied", as Windows answers for a port another program holds.
// (Wine lets two programs open one port, so holding it open would not do.)
QString busyPort();

} // namespace sim::remote
