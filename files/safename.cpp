#include "files/safename.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace safename {

namespace {

bool reserved(const QString &name)
{
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return device.match(name.section('.', 0, 0)).hasMatch();
}

} // namespace

bool isImei(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{14,17}$"));
    return digits.match(text).hasMatch();
}

QString fromText(const QString &text)
{
    QString name = text;
    for (const char *prefix : {"/dev/", "\\\\.\\"}) {
        if (name.startsWith(QLatin1String(prefix)))
            name.remove(0, int(qstrlen(prefix)));
    }
    for (QChar &c : name) {
        const ushort u = c.unicode();
        const bool kept = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                          u == '.' || u == '_' || u == '-';
        if (!kept)
            c = '_';
    }
    while (name.contains(QLatin1String("..")))
        name.replace(QLatin1String(".."), QLatin1String("_"));
    if (reserved(name)) {
        const int dot = name.indexOf('.');
        name.insert(dot < 0 ? name.size() : dot, '_');
    }
    name.truncate(maxLength);
    // A leading dot hides the file (or is "." itself); Windows drops a trailing one.
    if (name.startsWith('.'))
        name[0] = '_';
    if (name.endsWith('.'))
        name[name.size() - 1] = '_';
    return name.isEmpty() ? QStringLiteral("no-port") : name;
}

QString forModem(const QString &imei, const QString &port)
{
    const QString trimmed = imei.trimmed();
    return isImei(trimmed) ? trimmed : fromText(port);
}

bool inside(const QString &folder, const QString &path)
{
    const QString dir = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QFileInfo entry(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (entry.path() != dir || entry.fileName().isEmpty() || entry.fileName() == "..")
        return false;
    if (!entry.isSymLink())
        return true;
    // A link may lead anywhere: where it leads must be inside the folder too.
    const QFileInfo target(entry.symLinkTarget());
    const QString canonicalDir = QFileInfo(dir).canonicalFilePath();
    return !canonicalDir.isEmpty() && QFileInfo(target.absolutePath()).canonicalFilePath() == canonicalDir &&
           !target.isSymLink();
}

} // namespace safename
