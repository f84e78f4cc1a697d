#pragma once

#include "verdict.h"

#include "sim/simmodem.h"

#include <QVector>

#include <functional>

// Read-edit-write cycles of the real main window against a simulated modem, in this process: the window
// reads the modem, the engineer types a new value into one field, the window writes. One window lives
// through every cycle, so its memory can be followed.
namespace windowcycles {

struct Options
{
    int cycles = 200;
    double share = 0.2;
    quint32 seed = 1;
    int hangMs = 60000;
    // The fault of a cycle whose modem holds set; empty: sim::pickFault() with the seed, share and sites().
    std::function<sim::Fault(int cycle, const sim::ParamList &set)> chooseFault;
};

struct Memory
{
    int cycle = 0; // cycles done when measured
    double rssMb = 0;
};

// Runs every cycle and adds its outcome to tally; the window's resident memory at the start, after cycles
// 100 and 200 and at the end goes to memory; progress(done) after each cycle.
void run(const Options &options, soak::Tally &tally, QVector<Memory> *memory,
         const std::function<void(int)> &progress);

// Where a window cycle's fault may land: the read's reply and the read-back, the records, "WRITEALL;" and
// both "READALL;".
sim::FaultSites sites();

} // namespace windowcycles
