#pragma once

#include <QString>

namespace sim {

// COM ports of a Wine prefix made of paths on the Linux side (a simulated modem's pseudo-terminal): a link
// "comN" in the prefix's dosdevices folder, which Wine follows when a program opens "COMn". Numbers are
// taken with an exclusive link, so several owners in one prefix never share one.
class ComPorts
{
public:
    // busyTarget: a folder; a port led there fails to open with "access denied", as Windows answers for a
    // port another program holds.
    ComPorts(const QString &winePrefix, const QString &busyTarget = QString());
    // "COMn" whose link leads to target; empty when every number is taken.
    QString take(const QString &target);
    void release(const QString &com);
    QString busyTarget() const { return busy; }

private:
    QString path(int n) const;
    QString dir;
    QString busy;
    int next = 0;
};

} // namespace sim
