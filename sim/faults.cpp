#include "sim/faults.h"

#include <random>

namespace sim {

bool hitsReply(Fault::Kind kind)
{
    switch (kind) {
    case Fault::Kind::LostToHost:
    case Fault::Kind::FlippedToHost:
    case Fault::Kind::ReplyCut:
    case Fault::Kind::ReplyLate:
    case Fault::Kind::ReplyPaused:
        return true;
    default:
        return false;
    }
}

QString faultName(Fault::Kind kind)
{
    switch (kind) {
    case Fault::Kind::None:
        return QStringLiteral("none");
    case Fault::Kind::LostToHost:
        return QStringLiteral("byte lost, modem → configurator");
    case Fault::Kind::FlippedToHost:
        return QStringLiteral("byte flipped, modem → configurator");
    case Fault::Kind::LostToModem:
        return QStringLiteral("byte lost, configurator → modem");
    case Fault::Kind::FlippedToModem:
        return QStringLiteral("byte flipped, configurator → modem");
    case Fault::Kind::ReplyCut:
        return QStringLiteral("reply cut short");
    case Fault::Kind::ReplyLate:
        return QStringLiteral("reply late 0.4-2.5 s");
    case Fault::Kind::ReplyPaused:
        return QStringLiteral("pause mid-reply");
    case Fault::Kind::Restart:
        return QStringLiteral("restart mid-write");
    case Fault::Kind::HangUp:
        return QStringLiteral("hang-up mid-record");
    case Fault::Kind::DebugFlood:
        return QStringLiteral("DEBUG flood");
    }
    return QString();
}

QVector<Fault::Kind> faultKinds()
{
    return {Fault::Kind::LostToHost,     Fault::Kind::FlippedToHost, Fault::Kind::LostToModem,
            Fault::Kind::FlippedToModem, Fault::Kind::ReplyCut,      Fault::Kind::ReplyLate,
            Fault::Kind::ReplyPaused,    Fault::Kind::Restart,       Fault::Kind::HangUp,
            Fault::Kind::DebugFlood};
}

QByteArray loseByte(const QByteArray &bytes, int offset)
{
    if (bytes.isEmpty())
        return bytes;
    QByteArray result = bytes;
    result.remove(offset % bytes.size(), 1);
    return result;
}

QByteArray flipBit(const QByteArray &bytes, int offset, int bit)
{
    if (bytes.isEmpty())
        return bytes;
    QByteArray result = bytes;
    const int at = offset % bytes.size();
    result[at] = char(quint8(result.at(at)) ^ quint8(1u << (bit & 7)));
    return result;
}

Fault pickFault(quint32 seed, int cycle, double share, const FaultSites &sites)
{
    // Each cycle its own stream: a cycle's fault does not depend on which cycles ran before it.
    std::seed_seq seq{seed, quint32(cycle), 0x51a7u};
    std::mt19937 rng(seq);
    const auto between = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    Fault fault;
    if (std::uniform_real_distribution<double>(0, 1)(rng) >= share)
        return fault;
    const QVector<Fault::Kind> kinds = faultKinds();
    fault.kind = kinds.at(between(0, kinds.size() - 1));
    const QVector<FaultSite> &list = hitsReply(fault.kind) ? sites.replies : sites.records;
    if (list.isEmpty())
        return Fault();
    const FaultSite &site = list.at(between(0, list.size() - 1));
    fault.target = site.what;
    fault.after = site.after;
    fault.offset = between(0, 9999);
    fault.bit = between(0, 7);
    switch (fault.kind) {
    case Fault::Kind::ReplyLate:
        fault.ms = between(400, 2500);
        break;
    case Fault::Kind::ReplyPaused:
        fault.ms = between(200, 1200);
        break;
    case Fault::Kind::Restart:
        fault.ms = between(100, 1000);
        break;
    case Fault::Kind::DebugFlood:
        fault.lines = between(10, 60);
        break;
    default:
        break;
    }
    return fault;
}

} // namespace sim
