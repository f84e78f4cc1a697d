// velon-simrunner: simulated modems on pseudo-terminals for programs that run under Wine. Each modem's
// pseudo-terminal is made a COM port of the Wine prefix (a link in its dosdevices folder), so the program
// opens "COMn" with the Windows port class and meets the same modem the Linux tests meet.
//
//     velon-simrunner --wineprefix DIR --port-file FILE
//
// Listens on 127.0.0.1 (a port of the system's choice, written to FILE) and serves sim/remote/protocol.h.
// COM numbers are taken with an exclusive link, so runners of several prefixes or trees never share one.

#include "sim/remote/comports.h"
#include "sim/remote/protocol.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <map>
#include <memory>

#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace sim::remote;

int stopPipe[2] = {-1, -1};

void stopOnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &byte, 1);
}

class Session : public QObject
{
public:
    Session(QTcpSocket *socket, sim::ComPorts *ports, QObject *parent)
        : QObject(parent), socket(socket), ports(ports)
    {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, &Session::take);
        connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        // An unplugged adapter takes its COM port with it: a modem that hung up loses its link.
        connect(&unplugs, &QTimer::timeout, this, [this] {
            for (auto it = comOf.begin(); it != comOf.end();) {
                const int k = (it++)->first;
                if (modems.at(k)->isHungUp())
                    release(k);
            }
        });
        unplugs.start(10);
    }
    ~Session() override
    {
        for (auto &m : modems)
            m.second->stop();
        for (const QString &com : links)
            ports->release(com);
    }

private:
    void take()
    {
        while (socket->canReadLine()) {
            const QJsonObject request = QJsonDocument::fromJson(socket->readLine()).object();
            QJsonObject answer{{"id", request["id"]}};
            QString error;
            const QJsonValue result =
                serve(request["m"].toString(), request["modem"].toInt(-1), request["a"].toArray(), &error);
            if (error.isEmpty())
                answer["r"] = result;
            else
                answer["e"] = error;
            socket->write(QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n');
        }
    }

    QJsonValue serve(const QString &m, int k, const QJsonArray &a, QString *error)
    {
        if (m == "new") {
            const int id = nextModem++;
            modems[id] = std::make_unique<sim::SimModem>();
            return id;
        }
        if (m == "reserve") {
            const QString com =
                ports->take(a.at(0).toString() == "busy" ? ports->busyTarget()
                                                         : QStringLiteral("/nonexistent/velon-port"));
            if (com.isEmpty())
                *error = "no COM number left";
            links.append(com);
            return com;
        }
        auto found = modems.find(k);
        if (found == modems.end()) {
            *error = "no such modem";
            return QJsonValue();
        }
        sim::SimModem &s = *found->second;
        if (m == "delete") {
            s.stop();
            release(k);
            modems.erase(found);
            return true;
        }
        if (m == "start") {
            if (!s.start())
                return false;
            if (!comOf.count(k)) {
                const QString com = ports->take(s.slavePath());
                if (com.isEmpty()) {
                    *error = "no COM number left";
                    return false;
                }
                comOf[k] = com;
                links.append(com);
            }
            return true;
        }
        if (m == "stop") {
            s.stop();
            release(k);
            return true;
        }
        if (m == "slavePath")
            return comOf.count(k) ? comOf[k] : QString();
        if (m == "isRunning")
            return s.isRunning();
        if (m == "errorString")
            return s.errorString();
        if (m == "elapsedMs")
            return s.elapsedMs();
        if (m == "setChunking")
            s.setChunking(a.at(0).toInt(), a.at(1).toInt());
        else if (m == "setAnswerDelayMs")
            s.setAnswerDelayMs(a.at(0).toInt());
        else if (m == "setTransmitLatencyMs")
            s.setTransmitLatencyMs(a.at(0).toDouble());
        else if (m == "setParams")
            s.setParams(params(a.at(0)));
        else if (m == "params")
            return params(s.params());
        else if (m == "param")
            return text(s.param(a.at(0).toString()));
        else if (m == "pendingParams")
            return params(s.pendingParams());
        else if (m == "writeAllCount")
            return s.writeAllCount();
        else if (m == "setRecordOrder")
            s.setRecordOrder(strings(a.at(0)));
        else if (m == "setReadAllReply")
            s.setReadAllReply(bytes(a.at(0)));
        else if (m == "setUpperCaseSetId")
            s.setUpperCaseSetId(a.at(0).toBool());
        else if (m == "setInfo")
            s.setInfo(a.at(0).toString(), a.at(1).toString());
        else if (m == "info")
            return text(s.info(a.at(0).toString()));
        else if (m == "setReply")
            s.setReply(bytes(a.at(0)), bytes(a.at(1)));
        else if (m == "debugLevel")
            return text(s.debugLevel());
        else if (m == "setSilent")
            s.setSilent(a.at(0).toBool());
        else if (m == "setNoise")
            s.setNoise(bytes(a.at(0)), bytes(a.at(1)));
        else if (m == "setCutReplyAt")
            s.setCutReplyAt(a.at(0).toInt());
        else if (m == "setHangUpAt")
            s.setHangUpAt(a.at(0).toInt());
        else if (m == "hangUp")
            s.hangUp();
        else if (m == "isHungUp")
            return s.isHungUp();
        else if (m == "sendDebug")
            s.sendDebug(a.at(0).toString());
        else if (m == "sendRaw")
            s.sendRaw(bytes(a.at(0)));
        else if (m == "isOutputIdle")
            return s.isOutputIdle();
        else if (m == "sent")
            return bytes(s.sent());
        else if (m == "handovers")
            return handovers(s.handovers());
        else if (m == "log")
            return records(s.log());
        else if (m == "received")
            return bytes(s.received());
        else if (m == "unterminated")
            return bytes(s.unterminated());
        else if (m == "overruns")
            return overruns(s.overruns());
        else if (m == "overrunCount")
            return s.overrunCount();
        else if (m == "setFault")
            s.setFault(fault(a.at(0)));
        else if (m == "faultEvents")
            return faultEvents(s.faultEvents());
        else if (m == "clearLog")
            s.clearLog();
        else
            *error = "unknown method " + m;
        return QJsonValue();
    }

    void release(int k)
    {
        auto com = comOf.find(k);
        if (com == comOf.end())
            return;
        ports->release(com->second);
        links.removeAll(com->second);
        comOf.erase(com);
    }

    QTcpSocket *socket;
    sim::ComPorts *ports;
    QTimer unplugs;
    std::map<int, std::unique_ptr<sim::SimModem>> modems;
    std::map<int, QString> comOf;
    QStringList links;
    int nextModem = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"wineprefix", "the Wine prefix whose COM ports are made", "DIR"});
    parser.addOption({"port-file", "where the listening port's number is written", "FILE"});
    parser.process(app);
    if (!parser.isSet("wineprefix") || !parser.isSet("port-file")) {
        fprintf(stderr, "usage: velon-simrunner --wineprefix DIR --port-file FILE\n");
        return 64;
    }
    // A signal ends the loop, so every session takes its COM links away.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, stopPipe) != 0)
        return 1;
    QSocketNotifier stopNotifier(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, stopOnSignal);
    std::signal(SIGINT, stopOnSignal);
    std::signal(SIGHUP, stopOnSignal);
    QTemporaryDir busyFolder;
    sim::ComPorts ports(parser.value("wineprefix"), busyFolder.path());
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        fprintf(stderr, "velon-simrunner: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            new Session(socket, &ports, &server);
    });
    QFile portFile(parser.value("port-file"));
    if (!portFile.open(QIODevice::WriteOnly) || portFile.write(QByteArray::number(server.serverPort())) < 0) {
        fprintf(stderr, "velon-simrunner: cannot write %s\n", qPrintable(portFile.fileName()));
        return 1;
    }
    portFile.close();
    return app.exec();
}
