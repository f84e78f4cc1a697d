#pragma once

#include "clifleet.h"

#include <QString>
#include <QVector>

// velon-cli.exe, the Windows build, under Wine against the same simulated modem as the Linux velon-cli, each
// figure beside the Linux one measured in the same run; none without a Windows build (build-windows/).
namespace windowsrows {

QVector<clifleet::Figure> measure(const QString &windowsBuild, int answerDelayMs);

} // namespace windowsrows
