#pragma once

#include "cli/portopen.h"

#include <QString>
#include <QStringList>
#include <QVector>

// Every port probed at the same time, on one event loop: the survey takes one probe's time however many
// ports there are.
namespace portsurvey {

struct Port
{
    QString name;
    portopen::Problem problem = portopen::Problem::None;
    QString errorText;     // the system's words when the port could not be opened for another reason
    bool answered = false; // "MODEM_READY;" arrived within the probe's time
    bool lost = false;     // the port failed while it was probed
};

QVector<Port> probeAll(const QStringList &names);

} // namespace portsurvey
