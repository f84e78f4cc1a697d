#pragma once

#include "sim/simmodem.h"

#include <QString>
#include <QVector>

// velon-cli on a whole rack of simulated modems in one process, each figure beside the same work on one
// modem measured in the same run.
namespace clifleet {

struct Figure
{
    QString what;
    double ms = 0;
    double lineLimitMs = 0; // 0: not a line figure
    QString note;
};

QVector<Figure> measure(int answerDelayMs);

// A parameter file of set, as velon-cli write takes it.
void writeSetFile(const QString &path, const sim::ParamList &set);

// One run of a program (its path first, then its arguments) with VELON_PORTS set to ports: its wall time,
// its start included; a failure noted in note.
double runTimed(const QStringList &command, const QStringList &ports, QString *note);

} // namespace clifleet
