#include "link/writeplan.h"

#include "params/records.h"

#include <QCoreApplication>

namespace writeplan {

QStringList sends(const QStringList &recordTexts)
{
    const QStringList &keys = records::paramsKeyList();
    QStringList texts;
    for (const QString &key : records::sendingOrder())
        texts.append(recordTexts.value(keys.indexOf(key)));
    texts.append(QStringLiteral("WRITEALL;"));
    return texts;
}

QMap<QString, QString> writtenValues(const QStringList &recordTexts)
{
    const QStringList &keys = records::paramsKeyList();
    QMap<QString, QString> values;
    for (int i = 0; i < keys.size(); ++i)
        values.insert(keys.at(i), records::recordValue(keys.at(i), recordTexts.value(i)));
    return values;
}

QStringList mismatchedKeys(const QMap<QString, QString> &written, const QMap<QString, QString> &readBack)
{
    QStringList keys;
    for (const QString &key : records::paramsKeyList()) {
        if (written.value(key) != readBack.value(key))
            keys.append(key);
    }
    return keys;
}

QString mismatchMessage(const QString &key)
{
    return QCoreApplication::translate("MainWindow", "Параметр записан некорректно: ") + key;
}

} // namespace writeplan
