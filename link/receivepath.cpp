#include "link/receivepath.h"

namespace receivepath {

QByteArray reassemble(QByteArray &kept, const QByteArray &incoming)
{
    QByteArray all = kept + incoming;
    kept.clear();
    const int lastLineFeed = all.lastIndexOf('\n');
    const QByteArray tail = all.mid(lastLineFeed + 1);
    QByteArray bare = tail;
    bare.replace('\r', QByteArray());
    if (bare.isEmpty() || bare.endsWith(';') || tail.size() > maxKeptBytes)
        return all;
    kept = tail;
    return all.left(lastLineFeed + 1);
}

LineEffect interpretLine(const QString &line)
{
    static const QVector<QPair<QString, Field>> words{
        {"IMEI", Field::Imei},         {"MODEL", Field::Model},     {"PROGVER", Field::ProgVer},
        {"OPERATOR", Field::Operator}, {"RFLEVEL", Field::RfLevel}, {"GSMVER", Field::GsmVer}};
    LineEffect effect;
    QString part = line;
    part.remove('\r');
    part.remove(';');
    for (const auto &word : words) {
        if (part.contains(word.first)) {
            part.remove(word.first);
            part.remove('=');
            effect.fields.append({word.second, part});
        }
    }
    if (part.contains("DEBUG")) {
        part.remove("DEBUG");
        part.remove('=');
        effect.debug = true;
        effect.debugText = part;
    }
    effect.part = part;
    return effect;
}

QString debugEntry(const QDateTime &when, const QString &text)
{
    return when.date().toString("dd.MM.yyyy") + "   " + when.time().toString("hh:mm:ss.zzz") + "   " + text;
}

} // namespace receivepath
