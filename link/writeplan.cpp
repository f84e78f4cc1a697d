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
        if (!readBack.contains(key) || written.value(key) != readBack.value(key))
            keys.append(key);
    }
    return keys;
}

QStringList confirmedMismatches(const QMap<QString, QString> &written, const QMap<QString, QString> &first,
                                const QMap<QString, QString> &second)
{
    const QStringList inFirst = mismatchedKeys(written, first);
    QStringList keys;
    for (const QString &key : mismatchedKeys(written, second)) {
        if (inFirst.contains(key))
            keys.append(key);
    }
    return keys;
}

QStringList changedSinceRead(const QMap<QString, QString> &read, const QStringList &formAfterRead,
                             const QStringList &recordTexts, const QMap<QString, QString> &modemNow)
{
    const QMap<QString, QString> asRead = writtenValues(formAfterRead);
    const QMap<QString, QString> now = writtenValues(recordTexts);
    QStringList keys;
    for (const QString &key : mismatchedKeys(read, modemNow)) {
        if (now.value(key) == asRead.value(key))
            keys.append(key);
    }
    return keys;
}

QString changedSinceReadQuestion(const QStringList &keys)
{
    return QCoreApplication::translate(
               "MainWindow",
               "Набор в модеме отличается от прочитанного в параметрах, которые вы не меняли: ") +
           keys.join(QStringLiteral(", "));
}

QVector<ComparedKey> compare(const QStringList &recordTexts, const QMap<QString, QString> &other)
{
    const QMap<QString, QString> form = writtenValues(recordTexts);
    const QStringList differing = mismatchedKeys(form, other);
    QVector<ComparedKey> rows;
    QVector<ComparedKey> same;
    for (const QString &key : records::paramsKeyList()) {
        const ComparedKey row{key, form.value(key), other.value(key), other.contains(key),
                              differing.contains(key)};
        (row.differs ? rows : same).append(row);
    }
    return rows + same;
}

QString differingCountText(int count)
{
    return QCoreApplication::translate("CompareWindow", "Различаются параметров: %1").arg(count);
}

QString mismatchMessage(const QString &key)
{
    return QCoreApplication::translate("MainWindow", "Параметр записан некорректно: ") + key;
}

} // namespace writeplan
