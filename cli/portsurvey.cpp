#include "cli/portsurvey.h"

#include "link/handshake.h"
#include "link/linepacer.h"
#include "params/linecodec.h"

#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>

#include <memory>
#include <vector>

namespace portsurvey {

namespace {

// One port's probe, driven by the shared event loop; finished() once it has its verdict.
class Probe : public QObject
{
    Q_OBJECT

public:
    explicit Probe(Port &verdict) : result(verdict)
    {
        handshake::configure(&port);
        port.setPortName(verdict.name);
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, this, &Probe::finish);
        connect(&port, &QSerialPort::readyRead, this, [this] {
            reply += port.readAll();
            if (linecodec::decode(reply).contains(handshake::answer())) {
                result.answered = true;
                finish();
            }
        });
        connect(&port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
            if (port.isOpen() && (error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
                                  error == QSerialPort::ResourceError)) {
                result.lost = true;
                finish();
            }
        });
    }

    void start()
    {
        result.problem = portopen::open(&port);
        if (result.problem != portopen::Problem::None) {
            result.errorText = port.errorString();
            QTimer::singleShot(0, this, &Probe::finish);
            return;
        }
        port.clear();
        const qint64 count = port.write(linecodec::encode(handshake::probe()));
        port.flush();
        // As in the window's search: the probe's time starts when the probe has left the line.
        LinePacer pacer;
        pacer.handedOver(qMax<qint64>(count, 0));
        timer.start(pacer.msUntilLeft() + handshake::probeWaitMs);
    }

signals:
    void finished();

private:
    void finish()
    {
        if (done)
            return;
        done = true;
        timer.stop();
        port.close();
        emit finished();
    }

    Port &result;
    bool done = false;
    QSerialPort port;
    QTimer timer;
    QByteArray reply;
};

} // namespace

QVector<Port> probeAll(const QStringList &names)
{
    QVector<Port> results(names.size());
    std::vector<std::unique_ptr<Probe>> probes;
    QEventLoop loop;
    int pending = names.size();
    for (int i = 0; i < names.size(); ++i) {
        results[i].name = names.at(i);
        probes.push_back(std::make_unique<Probe>(results[i]));
        QObject::connect(probes.back().get(), &Probe::finished, &loop, [&] {
            if (--pending == 0)
                loop.quit();
        });
    }
    for (auto &probe : probes)
        probe->start();
    if (pending > 0)
        loop.exec();
    return results;
}

} // namespace portsurvey

#include "portsurvey.moc"
