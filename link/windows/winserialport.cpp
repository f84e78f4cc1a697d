#include "link/windows/winserialport.h"

#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <windows.h>

namespace {

QString systemText(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString result = length ? QString::fromWCharArray(text, int(length)).trimmed()
                            : QStringLiteral("системная ошибка %1").arg(code);
    if (text)
        LocalFree(text);
    return result;
}

// A read or write that fails because the device is gone, as an unplugged USB adapter reports it.
bool deviceGone(DWORD code)
{
    switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_BROKEN_PIPE:
    case ERROR_HANDLE_EOF:
    case ERROR_INVALID_HANDLE:
    case ERROR_NOT_READY:
    case ERROR_IO_DEVICE:
        return true;
    default:
        return false;
    }
}

// Reads: the first byte waits as long as it must; what follows it is taken at once.
COMMTIMEOUTS waitForAByte()
{
    return {0, 0, 0, 0, 0};
}

COMMTIMEOUTS takeWhatIsThere()
{
    return {MAXDWORD, 0, 0, 0, 0};
}

} // namespace

struct WinSerialPort::Private
{
    QString name;
    qint32 baudRate = Baud9600;
    DataBits dataBits = Data8;
    Parity parity = NoParity;
    StopBits stopBits = OneStop;
    FlowControl flowControl = NoFlowControl;
    // Raised on opening, as a Linux tty raises them.
    bool dtr = true;
    bool rts = true;
    qint64 readBufferSize = 0;
    SerialPortError error = NoError;

    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE stopEvent = nullptr;
    std::thread reader;
    std::thread writer;

    // Shared with the threads, under mutex.
    std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false;
    QByteArray arrived;  // off the line, not yet taken in
    QByteArray toSend;   // waiting for the writer
    qint64 sending = 0;  // handed to the driver, not yet taken by it
    qint64 handedOn = 0; // taken by the driver, not yet announced
    // A failure stays until the port is closed (the thread that met it has ended); it is reported once.
    DWORD readFailure = 0;
    DWORD writeFailure = 0;
    bool readReported = false;
    bool writeReported = false;
    std::atomic<bool> notifyPosted{false};

    // This object's thread only.
    QByteArray rx;
    bool announcing = false;
    bool arrivedWhileAnnouncing = false;
    quint64 session = 0;

    void readLoop(WinSerialPort *q, quint64 forSession);
    void writeLoop(WinSerialPort *q, quint64 forSession);
    void post(WinSerialPort *q, quint64 forSession);
    // Runs one overlapped transfer to its end; false with the system's code when it failed or was stopped.
    bool transfer(bool reading, char *data, DWORD size, DWORD *done, DWORD *code);
};

void WinSerialPort::Private::post(WinSerialPort *q, quint64 forSession)
{
    if (notifyPosted.exchange(true))
        return;
    QMetaObject::invokeMethod(
        q,
        [q, forSession] {
            if (q->d->session == forSession && q->isOpen())
                q->takeIn();
            else
                q->d->notifyPosted = false;
        },
        Qt::QueuedConnection);
}

bool WinSerialPort::Private::transfer(bool reading, char *data, DWORD size, DWORD *done, DWORD *code)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    OVERLAPPED overlapped{};
    overlapped.hEvent = event;
    *done = 0;
    *code = 0;
    const BOOL started = reading ? ReadFile(port, data, size, nullptr, &overlapped)
                                 : WriteFile(port, data, size, nullptr, &overlapped);
    bool ok = true;
    if (!started && GetLastError() != ERROR_IO_PENDING) {
        *code = GetLastError();
        ok = false;
    } else {
        HANDLE waits[2] = {event, stopEvent};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
            CancelIoEx(port, &overlapped);
        if (!GetOverlappedResult(port, &overlapped, done, TRUE)) {
            *code = GetLastError();
            ok = false;
        }
    }
    CloseHandle(event);
    return ok;
}

void WinSerialPort::Private::readLoop(WinSerialPort *q, quint64 forSession)
{
    char buffer[4096];
    bool first = true;
    int abortedInARow = 0;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (stopping)
                return;
        }
        // Timeouts belong to the handle; only this thread reads, and the write timeouts stay off.
        COMMTIMEOUTS timeouts = first ? waitForAByte() : takeWhatIsThere();
        SetCommTimeouts(port, &timeouts);
        DWORD got = 0;
        DWORD code = 0;
        const bool ok = transfer(true, buffer, first ? 1 : DWORD(sizeof buffer), &got, &code);
        std::unique_lock<std::mutex> lock(mutex);
        if (stopping)
            return;
        // An input purge aborts a read and the line is still there; a driver that aborts every read has lost
        // its device (some report an unplug so), and then the next read says what is wrong.
        if (!ok && code == ERROR_OPERATION_ABORTED && ++abortedInARow < 100) {
            first = true;
            continue;
        }
        abortedInARow = 0;
        // A wait for one byte that ends without one is the far end gone.
        if (!ok || (first && got == 0)) {
            readFailure = ok ? ERROR_HANDLE_EOF : code;
            lock.unlock();
            changed.notify_all();
            post(q, forSession);
            return;
        }
        if (got > 0) {
            arrived.append(buffer, int(got));
            lock.unlock();
            changed.notify_all();
            post(q, forSession);
        }
        first = !first ? got < sizeof buffer : false;
    }
}

void WinSerialPort::Private::writeLoop(WinSerialPort *q, quint64 forSession)
{
    for (;;) {
        QByteArray chunk;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return stopping || !toSend.isEmpty(); });
            if (stopping)
                return;
            chunk.swap(toSend);
            sending = chunk.size();
        }
        DWORD done = 0;
        DWORD code = 0;
        const bool ok = transfer(false, chunk.data(), DWORD(chunk.size()), &done, &code);
        bool failed = false;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (stopping)
                return;
            sending = 0;
            handedOn += done;
            // An output purge aborts the write under way: what it had not sent is gone, the line is not.
            const bool purged = !ok && code == ERROR_OPERATION_ABORTED;
            if (ok && done < DWORD(chunk.size()))
                toSend.prepend(chunk.mid(int(done)));
            failed = !ok && !purged;
            if (failed) {
                writeFailure = code;
                toSend.clear();
            }
        }
        changed.notify_all();
        post(q, forSession);
        if (failed)
            return;
    }
}

WinSerialPort::WinSerialPort(QObject *parent) : QIODevice(parent), d(std::make_unique<Private>())
{
    // Queued connections and signal spies carry the error as Qt's port does.
    qRegisterMetaType<WinSerialPort::SerialPortError>();
}

WinSerialPort::WinSerialPort(const QString &name, QObject *parent) : WinSerialPort(parent)
{
    setPortName(name);
}

WinSerialPort::~WinSerialPort()
{
    close();
}

void WinSerialPort::setPortName(const QString &name)
{
    QString plain = name;
    if (plain.startsWith(QLatin1String("\\\\.\\")) || plain.startsWith(QLatin1String("//./")))
        plain = plain.mid(4);
    d->name = plain.startsWith(QLatin1String("com"), Qt::CaseInsensitive) ? plain.toUpper() : plain;
}

QString WinSerialPort::portName() const
{
    return d->name;
}

bool WinSerialPort::setBaudRate(qint32 baudRate, Directions)
{
    d->baudRate = baudRate;
    return applySettings();
}

qint32 WinSerialPort::baudRate(Directions) const
{
    return d->baudRate;
}

bool WinSerialPort::setDataBits(DataBits dataBits)
{
    d->dataBits = dataBits;
    return applySettings();
}

WinSerialPort::DataBits WinSerialPort::dataBits() const
{
    return d->dataBits;
}

bool WinSerialPort::setParity(Parity parity)
{
    d->parity = parity;
    return applySettings();
}

WinSerialPort::Parity WinSerialPort::parity() const
{
    return d->parity;
}

bool WinSerialPort::setStopBits(StopBits stopBits)
{
    d->stopBits = stopBits;
    return applySettings();
}

WinSerialPort::StopBits WinSerialPort::stopBits() const
{
    return d->stopBits;
}

bool WinSerialPort::setFlowControl(FlowControl flowControl)
{
    d->flowControl = flowControl;
    return applySettings();
}

WinSerialPort::FlowControl WinSerialPort::flowControl() const
{
    return d->flowControl;
}

bool WinSerialPort::setDataTerminalReady(bool set)
{
    // As Qt's port: a line signal is a state of an open port.
    if (!isOpen()) {
        setError(NotOpenError, QStringLiteral("порт не открыт"));
        return false;
    }
    d->dtr = set;
    return EscapeCommFunction(d->port, set ? SETDTR : CLRDTR) != 0;
}

bool WinSerialPort::isDataTerminalReady() const
{
    return isOpen() && d->dtr;
}

bool WinSerialPort::setRequestToSend(bool set)
{
    if (!isOpen()) {
        setError(NotOpenError, QStringLiteral("порт не открыт"));
        return false;
    }
    d->rts = set;
    return EscapeCommFunction(d->port, set ? SETRTS : CLRRTS) != 0;
}

bool WinSerialPort::isRequestToSend() const
{
    return isOpen() && d->rts;
}

void WinSerialPort::setReadBufferSize(qint64 size)
{
    d->readBufferSize = size;
}

qint64 WinSerialPort::readBufferSize() const
{
    return d->readBufferSize;
}

bool WinSerialPort::clear(Directions directions)
{
    if (!isOpen()) {
        setError(NotOpenError, QStringLiteral("порт не открыт"));
        return false;
    }
    DWORD flags = 0;
    if (directions & Input)
        flags |= PURGE_RXCLEAR;
    if (directions & Output)
        flags |= PURGE_TXCLEAR | PURGE_TXABORT;
    const bool purged = PurgeComm(d->port, flags) != 0;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        if (directions & Input)
            d->arrived.clear();
        if (directions & Output)
            d->toSend.clear();
    }
    if (directions & Input) {
        d->rx.clear();
        // What the base class already buffered (a peek) goes too.
        char discard[256];
        while (QIODevice::bytesAvailable() > 0 && QIODevice::read(discard, sizeof discard) > 0) {
        }
    }
    return purged;
}

bool WinSerialPort::flush()
{
    return bytesToWrite() > 0;
}

WinSerialPort::SerialPortError WinSerialPort::error() const
{
    return d->error;
}

void WinSerialPort::clearError()
{
    setError(NoError, QString());
}

Qt::HANDLE WinSerialPort::handle() const
{
    return d->port;
}

void WinSerialPort::setError(SerialPortError error, const QString &text)
{
    d->error = error;
    if (error != NoError)
        setErrorString(text);
    emit errorOccurred(error);
}

bool WinSerialPort::applySettings()
{
    if (!isOpen() && d->port == INVALID_HANDLE_VALUE)
        return true;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(d->port, &dcb)) {
        setError(UnsupportedOperationError, systemText(GetLastError()));
        return false;
    }
    dcb.BaudRate = DWORD(d->baudRate);
    dcb.ByteSize = BYTE(d->dataBits);
    dcb.fBinary = TRUE;
    dcb.fParity = d->parity == NoParity ? FALSE : TRUE;
    switch (d->parity) {
    case NoParity:
        dcb.Parity = NOPARITY;
        break;
    case EvenParity:
        dcb.Parity = EVENPARITY;
        break;
    case OddParity:
        dcb.Parity = ODDPARITY;
        break;
    case SpaceParity:
        dcb.Parity = SPACEPARITY;
        break;
    case MarkParity:
        dcb.Parity = MARKPARITY;
        break;
    }
    dcb.StopBits = d->stopBits == TwoStop          ? TWOSTOPBITS
                   : d->stopBits == OneAndHalfStop ? ONE5STOPBITS
                                                   : ONESTOPBIT;
    const bool hardware = d->flowControl == HardwareControl;
    const bool software = d->flowControl == SoftwareControl;
    dcb.fOutxCtsFlow = hardware;
    dcb.fRtsControl = hardware ? RTS_CONTROL_HANDSHAKE : d->rts ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = d->dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = software;
    dcb.fInX = software;
    dcb.fNull = FALSE;
    // An error on the line must not stop every later read and write until it is acknowledged.
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(d->port, &dcb)) {
        setError(UnsupportedOperationError, systemText(GetLastError()));
        return false;
    }
    return true;
}

bool WinSerialPort::open(OpenMode mode)
{
    if (isOpen()) {
        setError(OpenError, QStringLiteral("порт уже открыт"));
        return false;
    }
    const std::wstring path = (QStringLiteral("\\\\.\\") + d->name).toStdWString();
    HANDLE port = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            setError(DeviceNotFoundError, systemText(code));
            break;
        // Windows answers both for a port another program holds.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            setError(PermissionError, systemText(code));
            break;
        default:
            setError(OpenError, systemText(code));
            break;
        }
        return false;
    }
    d->port = port;
    d->dtr = true;
    d->rts = true;
    if (!applySettings()) {
        CloseHandle(port);
        d->port = INVALID_HANDLE_VALUE;
        return false;
    }
    SetupComm(port, 4096, 4096);
    // Only what came in before: bytes an earlier opening wrote may still be on their way in the adapter.
    PurgeComm(port, PURGE_RXCLEAR);
    d->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    d->stopping = false;
    d->arrived.clear();
    d->toSend.clear();
    d->rx.clear();
    d->sending = d->handedOn = 0;
    d->readFailure = d->writeFailure = 0;
    d->readReported = d->writeReported = false;
    d->notifyPosted = false;
    const quint64 session = ++d->session;
    QIODevice::open(mode);
    d->error = NoError;
    d->reader = std::thread([this, session] { d->readLoop(this, session); });
    d->writer = std::thread([this, session] { d->writeLoop(this, session); });
    return true;
}

void WinSerialPort::close()
{
    if (d->port == INVALID_HANDLE_VALUE) {
        if (isOpen())
            QIODevice::close();
        return;
    }
    {
        // What was written goes to the driver before the port closes (a shutdown record among it), unless
        // the line is gone or the driver does not take it within a second.
        std::unique_lock<std::mutex> lock(d->mutex);
        d->changed.wait_for(lock, std::chrono::seconds(1), [this] {
            return (d->toSend.isEmpty() && d->sending == 0) || d->writeFailure || d->readFailure;
        });
        d->stopping = true;
    }
    SetEvent(d->stopEvent);
    d->changed.notify_all();
    if (d->reader.joinable())
        d->reader.join();
    if (d->writer.joinable())
        d->writer.join();
    CloseHandle(d->port);
    CloseHandle(d->stopEvent);
    d->port = INVALID_HANDLE_VALUE;
    d->stopEvent = nullptr;
    d->rx.clear();
    d->arrived.clear();
    d->toSend.clear();
    d->sending = d->handedOn = 0;
    ++d->session;
    QIODevice::close();
}

bool WinSerialPort::isSequential() const
{
    return true;
}

qint64 WinSerialPort::bytesAvailable() const
{
    return d->rx.size() + QIODevice::bytesAvailable();
}

qint64 WinSerialPort::bytesToWrite() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->toSend.size() + d->sending;
}

bool WinSerialPort::canReadLine() const
{
    return d->rx.contains('\n') || QIODevice::canReadLine();
}

void WinSerialPort::takeIn()
{
    QByteArray got;
    qint64 written = 0;
    DWORD readFailure = 0;
    DWORD writeFailure = 0;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->notifyPosted = false;
        got.swap(d->arrived);
        written = d->handedOn;
        d->handedOn = 0;
        if (d->readFailure && !d->readReported) {
            readFailure = d->readFailure;
            d->readReported = true;
        }
        if (d->writeFailure && !d->writeReported) {
            writeFailure = d->writeFailure;
            d->writeReported = true;
        }
    }
    if (!got.isEmpty()) {
        d->rx += got;
        if (d->announcing) {
            d->arrivedWhileAnnouncing = true;
        } else {
            d->announcing = true;
            do {
                d->arrivedWhileAnnouncing = false;
                emit readyRead();
            } while (d->arrivedWhileAnnouncing && isOpen());
            d->announcing = false;
        }
    }
    if (written > 0)
        emit bytesWritten(written);
    if (readFailure)
        setError(deviceGone(readFailure) ? ResourceError : ReadError, systemText(readFailure));
    if (writeFailure)
        setError(deviceGone(writeFailure) ? ResourceError : WriteError, systemText(writeFailure));
}

bool WinSerialPort::waitForReadyRead(int msecs)
{
    if (!isOpen())
        return false;
    {
        std::unique_lock<std::mutex> lock(d->mutex);
        const auto ready = [this] { return !d->arrived.isEmpty() || d->readFailure || d->stopping; };
        if (msecs < 0)
            d->changed.wait(lock, ready);
        else
            d->changed.wait_for(lock, std::chrono::milliseconds(msecs), ready);
    }
    const qint64 before = d->rx.size();
    takeIn();
    return isOpen() && d->rx.size() > before;
}

bool WinSerialPort::waitForBytesWritten(int msecs)
{
    if (!isOpen() || bytesToWrite() == 0)
        return false;
    bool drained = false;
    {
        std::unique_lock<std::mutex> lock(d->mutex);
        const auto done = [this] {
            return (d->toSend.isEmpty() && d->sending == 0) || d->writeFailure || d->stopping;
        };
        if (msecs < 0)
            d->changed.wait(lock, done);
        else
            d->changed.wait_for(lock, std::chrono::milliseconds(msecs), done);
        drained = d->toSend.isEmpty() && d->sending == 0 && !d->writeFailure;
    }
    takeIn();
    return drained;
}

qint64 WinSerialPort::readData(char *data, qint64 maxSize)
{
    const qint64 count = qMin<qint64>(maxSize, d->rx.size());
    if (count > 0) {
        memcpy(data, d->rx.constData(), size_t(count));
        d->rx.remove(0, int(count));
    }
    return count;
}

qint64 WinSerialPort::writeData(const char *data, qint64 maxSize)
{
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        if (d->port == INVALID_HANDLE_VALUE || d->stopping)
            return -1;
        if (!d->writeFailure) {
            d->toSend.append(data, int(maxSize));
            d->changed.notify_all();
            return maxSize;
        }
    }
    takeIn();
    return -1;
}
