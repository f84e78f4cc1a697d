// The project's own Windows serial port, on COM ports that velon-simrunner makes of simulated modems'
// pseudo-terminals: the part of QSerialPort's interface the program uses, case by case.

#include "link/handshake.h"
#include "link/portopen.h"
#include "link/serialport.h"
#include "sim/remote/standins.h"
#include "sim/simmodem.h"
#include "testmain.h"

#include <QSignalSpy>

#include <windows.h>

class TestWinSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void cases_data();
    void cases();
    void portNames();
};

void TestWinSerialPort::cases_data()
{
    QTest::addColumn<QString>("which");
    for (const char *which :
         {"missing port", "busy port", "settings", "write and read", "wait for reply",
          "clear of the input keeps what is sent", "unplug is a lost link", "closed port writes nothing"})
        QTest::newRow(which) << QString(which);
}

void TestWinSerialPort::cases()
{
    QFETCH(QString, which);
    if (which == "missing port" || which == "busy port") {
        // Windows refuses a port that another program holds with "access denied"; Wine lets two programs
        // open one port, so the runner's busy port answers the way Windows does.
        const bool busy = which == "busy port";
        SerialPort port(busy ? sim::remote::busyPort() : sim::remote::missingPort());
        QSignalSpy errors(&port, &SerialPort::errorOccurred);
        QCOMPARE(portopen::open(&port), busy ? portopen::Problem::Busy : portopen::Problem::Missing);
        QVERIFY(!port.isOpen());
        QCOMPARE(port.error(), busy ? SerialPort::PermissionError : SerialPort::DeviceNotFoundError);
        QCOMPARE(errors.size(), 1);
        QVERIFY(!port.errorString().isEmpty());
        return;
    }

    sim::SimModem modem;
    QVERIFY2(modem.start(), qPrintable(modem.errorString()));
    SerialPort port(modem.slavePath());
    handshake::configure(&port);
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    QCOMPARE(portopen::open(&port), portopen::Problem::None);

    if (which == "settings") {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        QVERIFY(GetCommState(port.handle(), &dcb));
        QCOMPARE(int(dcb.BaudRate), 9600);
        QCOMPARE(int(dcb.ByteSize), 8);
        QCOMPARE(int(dcb.Parity), NOPARITY);
        QCOMPARE(int(dcb.StopBits), ONESTOPBIT);
        QCOMPARE(int(dcb.fOutxCtsFlow), 0);
        QCOMPARE(port.baudRate(), qint32(SerialPort::Baud9600));
        QCOMPARE(port.dataBits(), SerialPort::Data8);
        QCOMPARE(port.parity(), SerialPort::NoParity);
        QCOMPARE(port.stopBits(), SerialPort::OneStop);
        QCOMPARE(port.flowControl(), SerialPort::NoFlowControl);
    } else if (which == "write and read") {
        // Written in pieces, announced as taken, read back in whatever chunks the line gives.
        QSignalSpy written(&port, &SerialPort::bytesWritten);
        QCOMPARE(port.write("MOD"), qint64(3));
        QCOMPARE(port.write("EM?;"), qint64(4));
        QTRY_COMPARE(port.bytesToWrite(), qint64(0));
        QTRY_VERIFY(written.size() > 0);
        qint64 total = 0;
        for (const QList<QVariant> &signal : written)
            total += signal.at(0).toLongLong();
        QCOMPARE(total, qint64(7));
        QByteArray reply;
        QTRY_VERIFY((reply += port.readAll()).contains("MODEM_READY;\r\n"));
        QCOMPARE(reply, QByteArray("MODEM_READY;\r\n"));
        QCOMPARE(modem.records(), QByteArrayList{"MODEM?;"});
        // A peek leaves the bytes where they are; a read takes them.
        modem.sendRaw("IMEI=356938035643809;\r\n");
        QTRY_COMPARE(port.bytesAvailable(), qint64(23));
        QCOMPARE(port.peek(5), QByteArray("IMEI="));
        QCOMPARE(port.readAll(), QByteArray("IMEI=356938035643809;\r\n"));
        QCOMPARE(port.bytesAvailable(), qint64(0));
    } else if (which == "wait for reply") {
        QSignalSpy ready(&port, &QIODevice::readyRead);
        port.write("IMEI;");
        QVERIFY(port.waitForBytesWritten(5000) || port.bytesToWrite() == 0);
        QByteArray reply;
        while (!reply.contains('\n') && port.waitForReadyRead(5000))
            reply += port.readAll();
        QCOMPARE(reply, QByteArray("IMEI=356938035643809;\r\n"));
        QVERIFY(ready.size() >= 1);
        QVERIFY(!port.waitForReadyRead(100));
    } else if (which == "clear of the input keeps what is sent") {
        modem.sendRaw("DEBUG=old;\r\n");
        QTRY_VERIFY(port.bytesAvailable() > 0);
        // What came in goes; what is on its way out arrives whole.
        const QByteArray record = "SETURL2=telemetry.example.net,8080,60;";
        port.write(record);
        QVERIFY(port.clear(SerialPort::Input));
        QCOMPARE(port.bytesAvailable(), qint64(0));
        QTRY_COMPARE(modem.records(), QByteArrayList{record});
        QCOMPARE(modem.overrunCount(), 0);
        port.write("IMEI;");
        QByteArray reply;
        QTRY_VERIFY((reply += port.readAll()).contains('\n'));
        QCOMPARE(reply, QByteArray("IMEI=356938035643809;\r\n"));
    } else if (which == "unplug is a lost link") {
        modem.hangUp();
        QTRY_VERIFY(!errors.isEmpty());
        const auto lost = SerialPort::SerialPortError(errors.first().at(0).toInt());
        QVERIFY2(lost == SerialPort::ResourceError || lost == SerialPort::ReadError,
                 qPrintable(QString::number(lost)));
        QCOMPARE(port.error(), lost);
        // Once, not a stream of errors.
        QTest::qWait(200);
        QCOMPARE(errors.size(), 1);
        // And it stays lost until the port is closed: writes fail rather than wait for ever, and so does a
        // wait for a reply.
        QTRY_COMPARE(port.write("IMEI;"), qint64(-1));
        QCOMPARE(port.bytesToWrite(), qint64(0));
        QVERIFY(!port.waitForReadyRead(-1));
        port.close();
        QVERIFY(!port.isOpen());
    } else if (which == "closed port writes nothing") {
        port.close();
        QCOMPARE(port.write("IMEI;"), qint64(-1));
        QCOMPARE(port.clear(SerialPort::Input), false);
        QCOMPARE(port.error(), SerialPort::NotOpenError);
        QTest::qWait(100);
        QCOMPARE(modem.records(), QByteArrayList());
    }
}

// The port's name is "COMn" however it is written; the system's list is in COM-number order.
void TestWinSerialPort::portNames()
{
    QCOMPARE(SerialPort("\\\\.\\COM12").portName(), QString("COM12"));
    QCOMPARE(SerialPort("com3").portName(), QString("COM3"));
    QCOMPARE(SerialPortInfo::comNumber("COM12"), 12);
    QCOMPARE(SerialPortInfo::comNumber("LPT1"), 0);
    QCOMPARE(SerialPortInfo::serialFromInstanceId("USB\\VID_0403&PID_6001\\A50285BI"), QString("A50285BI"));
    QCOMPARE(SerialPortInfo::serialFromInstanceId("FTDIBUS\\VID_0403+PID_6001+A5\\0000"), QString("0000"));
    QCOMPARE(SerialPortInfo::serialFromInstanceId("USB\\VID_1A86&PID_7523\\5&2E0E3C2&0&2"), QString());
    const QList<SerialPortInfo> ports = SerialPortInfo::availablePorts();
    for (int i = 1; i < ports.size(); ++i)
        QVERIFY(SerialPortInfo::comNumber(ports.at(i - 1).portName()) <=
                SerialPortInfo::comNumber(ports.at(i).portName()));
}

VELON_TEST_MAIN(TestWinSerialPort)
#include "tst_winserialport.moc"
