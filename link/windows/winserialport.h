#pragma once

#include <QIODevice>
#include <QString>

#include <memory>

// A serial port over Win32, with the part of QSerialPort's interface the program uses, so that the link,
// velon-cli and the exchange log are one code base on Linux and Windows.
//
// Bytes are taken off the line by a reader thread and handed to this object's thread only while it
// dispatches events or waits in waitForReadyRead(), as QSerialPort does, so the exchange log sees every
// byte once. Writes go to the driver from a writer thread in the order given; bytesToWrite() counts what
// the driver has not yet taken.
class WinSerialPort : public QIODevice
{
    Q_OBJECT

public:
    enum Direction { Input = 1, Output = 2, AllDirections = Input | Output };
    Q_DECLARE_FLAGS(Directions, Direction)
    enum BaudRate {
        Baud1200 = 1200,
        Baud2400 = 2400,
        Baud4800 = 4800,
        Baud9600 = 9600,
        Baud19200 = 19200,
        Baud38400 = 38400,
        Baud57600 = 57600,
        Baud115200 = 115200
    };
    enum DataBits { Data5 = 5, Data6 = 6, Data7 = 7, Data8 = 8 };
    enum Parity { NoParity = 0, EvenParity = 2, OddParity = 3, SpaceParity = 4, MarkParity = 5 };
    enum StopBits { OneStop = 1, OneAndHalfStop = 3, TwoStop = 2 };
    enum FlowControl { NoFlowControl, HardwareControl, SoftwareControl };
    enum SerialPortError {
        NoError,
        DeviceNotFoundError,
        PermissionError,
        OpenError,
        ParityError,
        FramingError,
        BreakConditionError,
        WriteError,
        ReadError,
        ResourceError,
        UnsupportedOperationError,
        UnknownError,
        TimeoutError,
        NotOpenError
    };
    Q_ENUM(SerialPortError)

    explicit WinSerialPort(QObject *parent = nullptr);
    explicit WinSerialPort(const QString &name, QObject *parent = nullptr);
    ~WinSerialPort() override;

    // "COM3" for "COM3", "\\.\COM3" or "com3".
    void setPortName(const QString &name);
    QString portName() const;

    bool setBaudRate(qint32 baudRate, Directions directions = AllDirections);
    qint32 baudRate(Directions directions = AllDirections) const;
    bool setDataBits(DataBits dataBits);
    DataBits dataBits() const;
    bool setParity(Parity parity);
    Parity parity() const;
    bool setStopBits(StopBits stopBits);
    StopBits stopBits() const;
    bool setFlowControl(FlowControl flowControl);
    FlowControl flowControl() const;
    bool setDataTerminalReady(bool set);
    bool isDataTerminalReady() const;
    bool setRequestToSend(bool set);
    bool isRequestToSend() const;
    void setReadBufferSize(qint64 size);
    qint64 readBufferSize() const;

    // Input: what the driver and this object hold unread. Output: what the driver has not sent yet and
    // what waits for it here. Closed: fails quietly with NotOpenError.
    bool clear(Directions directions = AllDirections);
    // Writes never wait in this object longer than the writer thread needs to hand them on; true while
    // anything is still on its way to the driver.
    bool flush();

    SerialPortError error() const;
    void clearError();
    Qt::HANDLE handle() const;

    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override;
    qint64 bytesAvailable() const override;
    qint64 bytesToWrite() const override;
    bool canReadLine() const override;
    bool waitForReadyRead(int msecs) override;
    bool waitForBytesWritten(int msecs) override;

signals:
    void errorOccurred(WinSerialPort::SerialPortError error);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    struct Private;
    std::unique_ptr<Private> d;

    void setError(SerialPortError error, const QString &text);
    // Moves what the reader thread took off the line into this object and announces it; reports what the
    // threads found wrong and what the writer handed on. Runs on this object's thread only.
    void takeIn();
    bool applySettings();
};

Q_DECLARE_OPERATORS_FOR_FLAGS(WinSerialPort::Directions)
