// sim::SimModem for programs under Wine: each modem lives in velon-simrunner on the Linux side (the same
// simulated modem on a pseudo-terminal) and is reached here over the runner's local connection, named in
// VELON_SIM_RUNNER ("127.0.0.1:PORT"). Its port is the COM name the runner made for it.

#include "sim/remote/protocol.h"
#include "sim/remote/standins.h"

#include <QJsonDocument>

#include <mutex>

#include <winsock2.h>
#include <ws2tcpip.h>

namespace sim {

namespace {

class Runner
{
public:
    static Runner &instance()
    {
        static Runner runner;
        return runner;
    }

    QJsonValue call(const QString &method, int modem, const QJsonArray &args = {})
    {
        std::lock_guard<std::mutex> guard(lock);
        const QJsonObject request{{"id", ++lastId}, {"modem", modem}, {"m", method}, {"a", args}};
        const QByteArray line = QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n';
        if (!sendAll(line))
            qFatal("the simulated modems' runner is gone (%s)", qPrintable(method));
        const QJsonObject answer = QJsonDocument::fromJson(readLine()).object();
        if (answer.contains("e"))
            qFatal("the simulated modems' runner refused %s: %s", qPrintable(method),
                   qPrintable(answer["e"].toString()));
        return answer["r"];
    }

private:
    Runner()
    {
        const QString address = qEnvironmentVariable("VELON_SIM_RUNNER");
        const int colon = address.lastIndexOf(':');
        if (colon < 0)
            qFatal("VELON_SIM_RUNNER is not set: start the tests through scripts/test-windows");
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        sock = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(u_short(address.mid(colon + 1).toUShort()));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (sock == INVALID_SOCKET || ::connect(sock, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0)
            qFatal("cannot reach the simulated modems' runner at %s", qPrintable(address));
        const BOOL on = TRUE;
        ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
    }

    bool sendAll(const QByteArray &bytes)
    {
        for (int done = 0; done < bytes.size();) {
            const int n = ::send(sock, bytes.constData() + done, bytes.size() - done, 0);
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    QByteArray readLine()
    {
        for (;;) {
            const int end = pending.indexOf('\n');
            if (end >= 0) {
                const QByteArray line = pending.left(end);
                pending.remove(0, end + 1);
                return line;
            }
            char buffer[65536];
            const int n = ::recv(sock, buffer, sizeof buffer, 0);
            if (n <= 0)
                qFatal("the simulated modems' runner closed the connection");
            pending.append(buffer, n);
        }
    }

    std::mutex lock;
    SOCKET sock = INVALID_SOCKET;
    QByteArray pending;
    int lastId = 0;
};

QJsonValue call(int modem, const QString &method, const QJsonArray &args = {})
{
    return Runner::instance().call(method, modem, args);
}

} // namespace

struct SimModem::State
{
    int id = -1;
};

SimModem::SimModem() : d(std::make_unique<State>())
{
    d->id = call(-1, "new").toInt();
}

SimModem::~SimModem()
{
    call(d->id, "delete");
}

bool SimModem::start()
{
    return call(d->id, "start").toBool();
}

void SimModem::stop()
{
    call(d->id, "stop");
}

bool SimModem::isRunning() const
{
    return call(d->id, "isRunning").toBool();
}

QString SimModem::slavePath() const
{
    return call(d->id, "slavePath").toString();
}

QString SimModem::errorString() const
{
    return call(d->id, "errorString").toString();
}

double SimModem::elapsedMs() const
{
    return call(d->id, "elapsedMs").toDouble();
}

void SimModem::setChunking(int chunkBytes, int latencyMs)
{
    call(d->id, "setChunking", {chunkBytes, latencyMs});
}

void SimModem::setAnswerDelayMs(int ms)
{
    call(d->id, "setAnswerDelayMs", {ms});
}

void SimModem::setTransmitLatencyMs(double ms)
{
    call(d->id, "setTransmitLatencyMs", {ms});
}

void SimModem::setParams(const ParamList &params)
{
    call(d->id, "setParams", {remote::params(params)});
}

ParamList SimModem::params() const
{
    return remote::params(call(d->id, "params"));
}

QString SimModem::param(const QString &key) const
{
    return remote::text(call(d->id, "param", {key}));
}

ParamList SimModem::pendingParams() const
{
    return remote::params(call(d->id, "pendingParams"));
}

int SimModem::writeAllCount() const
{
    return call(d->id, "writeAllCount").toInt();
}

void SimModem::setRecordOrder(const QStringList &keys)
{
    call(d->id, "setRecordOrder", {remote::strings(keys)});
}

void SimModem::setReadAllReply(const QByteArray &raw)
{
    call(d->id, "setReadAllReply", {remote::bytes(raw)});
}

void SimModem::setUpperCaseSetId(bool on)
{
    call(d->id, "setUpperCaseSetId", {on});
}

void SimModem::setInfo(const QString &word, const QString &value)
{
    call(d->id, "setInfo", {word, value});
}

QString SimModem::info(const QString &word) const
{
    return remote::text(call(d->id, "info", {word}));
}

void SimModem::setReply(const QByteArray &command, const QByteArray &reply)
{
    call(d->id, "setReply", {remote::bytes(command), remote::bytes(reply)});
}

QString SimModem::debugLevel() const
{
    return remote::text(call(d->id, "debugLevel"));
}

void SimModem::setSilent(bool on)
{
    call(d->id, "setSilent", {on});
}

void SimModem::setNoise(const QByteArray &before, const QByteArray &after)
{
    call(d->id, "setNoise", {remote::bytes(before), remote::bytes(after)});
}

void SimModem::setCutReplyAt(int bytes)
{
    call(d->id, "setCutReplyAt", {bytes});
}

void SimModem::setHangUpAt(int bytes)
{
    call(d->id, "setHangUpAt", {bytes});
}

void SimModem::hangUp()
{
    call(d->id, "hangUp");
}

bool SimModem::isHungUp() const
{
    return call(d->id, "isHungUp").toBool();
}

void SimModem::sendDebug(const QString &text)
{
    call(d->id, "sendDebug", {text});
}

void SimModem::sendRaw(const QByteArray &bytes)
{
    call(d->id, "sendRaw", {remote::bytes(bytes)});
}

bool SimModem::isOutputIdle() const
{
    return call(d->id, "isOutputIdle").toBool();
}

QByteArray SimModem::sent() const
{
    return remote::bytes(call(d->id, "sent"));
}

QVector<Handover> SimModem::handovers() const
{
    return remote::handovers(call(d->id, "handovers"));
}

QVector<ReceivedRecord> SimModem::log() const
{
    return remote::records(call(d->id, "log"));
}

QByteArrayList SimModem::records() const
{
    QByteArrayList list;
    for (const ReceivedRecord &r : log())
        list.append(r.data);
    return list;
}

QByteArray SimModem::received() const
{
    return remote::bytes(call(d->id, "received"));
}

QByteArray SimModem::unterminated() const
{
    return remote::bytes(call(d->id, "unterminated"));
}

QVector<Overrun> SimModem::overruns() const
{
    return remote::overruns(call(d->id, "overruns"));
}

int SimModem::overrunCount() const
{
    return call(d->id, "overrunCount").toInt();
}

void SimModem::setFault(const Fault &fault)
{
    call(d->id, "setFault", {remote::fault(fault)});
}

QVector<FaultEvent> SimModem::faultEvents() const
{
    return remote::faultEvents(call(d->id, "faultEvents"));
}

void SimModem::clearLog()
{
    call(d->id, "clearLog");
}

QString remote::missingPort()
{
    return call(-1, "reserve", {QStringLiteral("missing")}).toString();
}

QString remote::busyPort()
{
    return call(-1, "reserve", {QStringLiteral("busy")}).toString();
}

} // namespace sim
