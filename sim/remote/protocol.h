#pragma once

#include "sim/simmodem.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

// The simulated modems' runner and the programs under Wine that use its modems speak one JSON object a
// line over a local TCP connection: {"id":n,"modem":k,"m":"method","a":[...]} answered by {"id":n,"r":...}
// or {"id":n,"e":"text"}. Bytes travel as base64, a null array as null. One connection owns the modems it
// made; they stop when it closes.
namespace sim::remote {

inline QJsonValue bytes(const QByteArray &b)
{
    return b.isNull() ? QJsonValue() : QJsonValue(QString::fromLatin1(b.toBase64()));
}

inline QByteArray bytes(const QJsonValue &v)
{
    if (v.isNull())
        return QByteArray();
    const QByteArray decoded = QByteArray::fromBase64(v.toString().toLatin1());
    return decoded.isNull() ? QByteArray("") : decoded;
}

inline QJsonValue text(const QString &s)
{
    return s.isNull() ? QJsonValue() : QJsonValue(s);
}

inline QString text(const QJsonValue &v)
{
    return v.isNull() ? QString() : v.toString(QStringLiteral(""));
}

inline QJsonValue params(const ParamList &list)
{
    QJsonArray array;
    for (const auto &kv : list)
        array.append(QJsonArray{kv.first, kv.second});
    return array;
}

inline ParamList params(const QJsonValue &v)
{
    ParamList list;
    for (const QJsonValue &kv : v.toArray())
        list.append({kv.toArray().at(0).toString(), kv.toArray().at(1).toString()});
    return list;
}

inline QJsonValue strings(const QStringList &list)
{
    return QJsonArray::fromStringList(list);
}

inline QStringList strings(const QJsonValue &v)
{
    QStringList list;
    for (const QJsonValue &s : v.toArray())
        list.append(s.toString());
    return list;
}

inline QJsonValue records(const QVector<ReceivedRecord> &log)
{
    QJsonArray array;
    for (const ReceivedRecord &r : log)
        array.append(QJsonObject{{"data", bytes(r.data)},
                                 {"first", r.firstByteMs},
                                 {"last", r.lastByteMs},
                                 {"read", r.readAtMs},
                                 {"cut", r.cut}});
    return array;
}

inline QVector<ReceivedRecord> records(const QJsonValue &v)
{
    QVector<ReceivedRecord> log;
    for (const QJsonValue &item : v.toArray()) {
        const QJsonObject o = item.toObject();
        log.append({bytes(o["data"]), o["first"].toDouble(), o["last"].toDouble(), o["read"].toDouble(),
                    o["cut"].toBool()});
    }
    return log;
}

inline QJsonValue handovers(const QVector<Handover> &list)
{
    QJsonArray array;
    for (const Handover &h : list)
        array.append(QJsonArray{h.atMs, h.bytes});
    return array;
}

inline QVector<Handover> handovers(const QJsonValue &v)
{
    QVector<Handover> list;
    for (const QJsonValue &h : v.toArray())
        list.append({h.toArray().at(0).toDouble(), h.toArray().at(1).toInt()});
    return list;
}

inline QJsonValue overruns(const QVector<Overrun> &list)
{
    QJsonArray array;
    for (const Overrun &o : list)
        array.append(QJsonArray{o.atMs, bytes(o.lost)});
    return array;
}

inline QVector<Overrun> overruns(const QJsonValue &v)
{
    QVector<Overrun> list;
    for (const QJsonValue &o : v.toArray())
        list.append({o.toArray().at(0).toDouble(), bytes(o.toArray().at(1))});
    return list;
}

} // namespace sim::remote
