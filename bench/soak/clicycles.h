#pragma once

#include "verdict.h"

#include <QString>

// velon-cli write cycles, each its own process against its own simulated modem, several at once.
namespace clicycles {

struct Options
{
    int cycles = 1000;
    int lanes = 8; // modems written at the same time
    double share = 0.2;
    quint32 seed = 1;
    int hangMs = 60000;
    QString cliPath;
};

// Runs every cycle and adds its outcome to tally; progress(done) after each.
void run(const Options &options, soak::Tally &tally, const std::function<void(int)> &progress);

// Where a velon-cli write's fault may land: the read-back, the records, "WRITEALL;" and "READALL;".
sim::FaultSites sites();

} // namespace clicycles
