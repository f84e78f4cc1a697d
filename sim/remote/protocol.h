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

inline QJsonValue fault(const Fault &f)
{
    return QJsonObject{{"kind", int(f.kind)},
                       {"target", bytes(f.target)},
                       {"after", bytes(f.after)},
                       {"offset", f.offset},
                       {"reach", f.reach},
                       {"nth", f.nth},
                       {"ms", f.ms},
                       {"bit", f.bit},
                       {"lines", f.lines}};
}

inline Fault fault(const QJsonValue &v)
{
    const QJsonObject o = v.toObject();
    Fault f;
    f.kind = Fault::Kind(o["kind"].toInt());
    f.target = bytes(o["target"]);
    f.after = bytes(o["after"]);
    f.offset = o["offset"].toInt();
    f.reach = o["reach"].toBool();
    f.nth = o["nth"].toInt(1);
    f.ms = o["ms"].toInt();
    f.bit = o["bit"].toInt();
    f.lines = o["lines"].toInt();
    return f;
}

inline QJsonValue faultEvents(const QVector<FaultEvent> &list)
{
    QJsonArray array;
    for (const FaultEvent &e : list)
        array.append(QJsonArray{int(e.kind), e.atMs, bytes(e.before), bytes(e.after)});
    return array;
}

inline QVector<FaultEvent> faultEvents(const QJsonValue &v)
{
    QVector<FaultEvent> list;
    for (const QJsonValue &e : v.toArray()) {
        const QJsonArray a = e.toArray();
        list.append({Fault::Kind(a.at(0).toInt()), a.at(1).toDouble(), bytes(a.at(2)), bytes(a.at(3))});
    }
    return list;
}

} // namespace sim::remote
