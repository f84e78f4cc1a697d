#include "sim/remote/comports.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace sim {

namespace {
constexpr int first = 10;
constexpr int last = 250;
} // namespace

ComPorts::ComPorts(const QString &winePrefix, const QString &busyTarget)
    : dir(winePrefix + "/dosdevices"), busy(busyTarget)
{
    // Links an owner that ended without tidying left behind: nothing answers on them any more.
    for (int n = first; n <= last; ++n) {
        const QFileInfo info(path(n));
        if (info.isSymLink() && !QFileInfo::exists(info.symLinkTarget()))
            QFile::remove(path(n));
    }
}

QString ComPorts::take(const QString &target)
{
    for (int i = 0; i <= last - first; ++i) {
        const int n = first + (next + i) % (last - first + 1);
        if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path(n)).constData()) == 0) {
            next = n - first + 1;
            return QStringLiteral("COM%1").arg(n);
        }
    }
    return QString();
}

void ComPorts::release(const QString &com)
{
    if (com.startsWith(QLatin1String("COM")))
        QFile::remove(path(com.mid(3).toInt()));
}

QString ComPorts::path(int n) const
{
    return dir + QStringLiteral("/com%1").arg(n);
}

} // namespace sim
