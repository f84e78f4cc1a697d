#include "params/recordbuilder.h"

#include "params/records.h"

namespace recordbuilder {

QString simModeCode(const QString &name)
{
    const int i = records::simModeList().indexOf(name);
    return i < 0 ? QString() : records::simModeCodeList().at(i);
}

QString prioritySimCode(const QString &name)
{
    const int i = records::prioritySimList().indexOf(name);
    return i < 0 ? QString() : records::flagCodeList().at(i);
}

QString activeCode(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

QString serverModeAfterClientClick(bool checked)
{
    return checked ? QStringLiteral("0") : QStringLiteral("1");
}

QString serverModeAfterServerClick(bool checked)
{
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

bool intervalNeedsLift(int minutes)
{
    return minutes != 0 && minutes < shortestInterval;
}

QString intervalField(int minutes)
{
    return QString::number(intervalNeedsLift(minutes) ? shortestInterval : minutes);
}

QString canRecord(const QString &baudRate, const QString &dataBits, const QString &parity,
                  const QString &stopBits)
{
    return records::buildRecord(QStringLiteral("SETCAN"),
                                {baudRate, dataBits, parity, stopBits, QStringLiteral("0")});
}

} // namespace recordbuilder
