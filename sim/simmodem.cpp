#include "sim/simmodem.h"

#include "sim/adapter.h"
#include "sim/faults.h"

#include <QTextCodec>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

// 10 bit times (start, 8 data, stop) at 9600 baud.
constexpr qint64 byteNs = 10LL * 1000000000LL / 9600;
constexpr qint64 hangUpLingerNs = 30000000;
// A reader that never takes its bytes (its port closed) does not hold the hang-up back for longer.
constexpr qint64 hangUpReaderNs = 2000000000;
constexpr qint64 never = std::numeric_limits<qint64>::max();

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QTextCodec *lineCodec()
{
    static QTextCodec *codec = QTextCodec::codecForName("Windows-1251");
    return codec;
}

QByteArray encode(const QString &text)
{
    return lineCodec() ? lineCodec()->fromUnicode(text) : text.toLatin1();
}

QString decode(const QByteArray &bytes)
{
    return lineCodec() ? lineCodec()->toUnicode(bytes) : QString::fromLatin1(bytes);
}

struct OutByte
{
    char c;
    qint64 at; // when it has come off the line into the adapter
};

struct Scheduled
{
    qint64 due;
    QByteArray bytes;
    int hangUpAt;     // -1: no hang-up during this reply
    int pauseAt = -1; // a fault's pause after this many bytes; -1: none
    qint64 pauseNs = 0;
};

// A record or command as the modem matches it: without the CR and LF around it.
QByteArray bare(QByteArray record)
{
    return record.replace('\r', QByteArray()).replace('\n', QByteArray());
}

} // namespace

struct SimModem::State
{
    mutable std::mutex m;
    std::thread thread;
    std::atomic<bool> stopping{false};
    int master = -1;
    int slaveHold = -1;
    int wake[2] = {-1, -1};
    QString path;
    QString error;
    qint64 t0 = 0;
    bool running = false;
    bool hungUp = false;
    bool hangUpRequested = false;

    int chunkBytes = 62;
    int latencyMs = 16;
    int answerDelayMs = 20;
    TransmitAdapter adapter;
    QByteArray assembling;
    qint64 assemblingFirst = 0;
    qint64 assemblingRead = 0;
    bool assemblingCut = false;

    std::deque<Scheduled> scheduled;
    std::deque<OutByte> outLine;
    qint64 outFreeAt = 0;
    qint64 enqueuedTotal = 0;
    qint64 deliveredTotal = 0;
    qint64 hangUpAtTotal = -1;
    qint64 hangUpDue = -1;

    ParamList params = SimModem::defaultParams();
    ParamList pending;
    QStringList order;
    QByteArray readAllRaw;
    bool upperSetId = false;
    QMap<QString, QString> infos{{"IMEI", "356938035643809"}, {"MODEL", "VELON-GSM3"},
                                 {"OPERATOR", "MegaFon"},     {"RFLEVEL", "23"},
                                 {"PROGVER", "2.14"},         {"GSMVER", "SIM800C R14.18"}};
    QMap<QByteArray, QByteArray> replies;
    QString debugLevel;
    bool silent = false;
    QByteArray noiseBefore, noiseAfter;
    int cutAt = -1;
    int hangUpAt = -1;
    int writeAlls = 0;

    Fault fault;
    bool faultArmed = false; // fault.after has been taken
    bool faultSpent = true;
    int faultPlacesLeft = 0; // places where it applies still to come, the one it hits included
    QVector<FaultEvent> faultEvents;
    qint64 bootUntil = 0; // a restarted modem takes nothing before
    QByteArray answering; // the command whose reply is being made

    QVector<ReceivedRecord> log;
    QByteArray received, sent;
    QVector<Handover> handovers;
    QVector<Overrun> overruns;

    double ms(qint64 t) const { return double(t - t0) / 1e6; }

    void poke()
    {
        if (wake[1] >= 0) {
            const char c = 0;
            [[maybe_unused]] ssize_t r = ::write(wake[1], &c, 1);
        }
    }

    void closeEnds()
    {
        if (master >= 0)
            ::close(master);
        if (slaveHold >= 0)
            ::close(slaveHold);
        master = slaveHold = -1;
    }

    // Bytes handed over that the configurator has not read yet.
    int unreadBySlave() const
    {
        int n = 0;
        if (slaveHold < 0 || ::ioctl(slaveHold, TIOCINQ, &n) != 0)
            return 0;
        return n;
    }

    void doHangUp()
    {
        // Closing the master removes the device and hangs up every open slave, as an unplugged adapter
        // does. The held slave keeps the pty's number taken until stop(), so that no other pty (of another
        // test running meanwhile) can appear under the path the configurator still knows.
        if (master >= 0)
            ::close(master);
        master = -1;
        hungUp = true;
        hangUpRequested = false;
        outLine.clear();
        scheduled.clear();
        adapter.purge(nowNs());
        hangUpAtTotal = -1;
        hangUpDue = -1;
    }

    void enqueue(const QByteArray &bytes, qint64 from, int hangUp)
    {
        if (hangUp >= 0)
            hangUpAtTotal = enqueuedTotal + std::min<qint64>(hangUp, bytes.size());
        qint64 t = std::max(from, outFreeAt);
        for (char c : bytes) {
            t += byteNs;
            outLine.push_back({c, t});
        }
        outFreeAt = std::max(outFreeAt, t);
        enqueuedTotal += bytes.size();
    }

    void reply(const QByteArray &body, qint64 at)
    {
        if (silent)
            return;
        QByteArray bytes = noiseBefore + body + noiseAfter;
        if (cutAt >= 0)
            bytes = bytes.left(cutAt);
        Scheduled s{at + qint64(answerDelayMs) * 1000000, bytes, hangUpAt};
        if (faultHits(answering, true, s.bytes.size()))
            injectIntoReply(s);
        scheduled.push_back(s);
        hangUpAt = -1;
    }

    // Whether the fault hits this reply (to the command what) or this received record, of size bytes: the
    // nth place where it applies once armed. Asked once per reply and per record.
    bool faultHits(const QByteArray &what, bool isReply, int size)
    {
        if (faultSpent || !faultArmed || hitsReply(fault.kind) != isReply)
            return false;
        if (!fault.target.isEmpty() &&
            !(isReply ? what == fault.target : bare(what).startsWith(fault.target)))
            return false;
        if (fault.reach && fault.offset >= size)
            return false;
        return --faultPlacesLeft <= 0;
    }

    void injectIntoReply(Scheduled &s)
    {
        faultSpent = true;
        FaultEvent event{fault.kind, ms(s.due), s.bytes, QByteArray()};
        const int size = s.bytes.size();
        switch (fault.kind) {
        case Fault::Kind::LostToHost:
            s.bytes = loseByte(s.bytes, fault.offset);
            break;
        case Fault::Kind::FlippedToHost:
            s.bytes = flipBit(s.bytes, fault.offset, fault.bit);
            break;
        case Fault::Kind::ReplyCut:
            s.bytes = s.bytes.left(size > 0 ? fault.offset % size : 0);
            break;
        case Fault::Kind::ReplyLate:
            s.due += qint64(fault.ms) * 1000000;
            break;
        case Fault::Kind::ReplyPaused:
            s.pauseAt = fault.reach ? fault.offset : size > 1 ? 1 + fault.offset % (size - 1) : 0;
            s.pauseNs = qint64(fault.ms) * 1000000;
            break;
        default:
            break;
        }
        event.after = s.bytes;
        faultEvents.append(event);
    }

    // The record fault that hit the record just assembled; true when the record is not to be taken as it
    // came (it was damaged and fed again, or lost with the modem).
    bool injectIntoRecord(const QByteArray &record, qint64 at)
    {
        faultSpent = true;
        FaultEvent event{fault.kind, ms(at), record, QByteArray()};
        switch (fault.kind) {
        case Fault::Kind::LostToModem:
        case Fault::Kind::FlippedToModem: {
            event.after = fault.kind == Fault::Kind::LostToModem ? loseByte(record, fault.offset)
                                                                 : flipBit(record, fault.offset, fault.bit);
            faultEvents.append(event);
            // The damaged bytes are assembled as they would have arrived: a lost ";" joins two records.
            const qint64 read = assemblingRead;
            assembling.clear();
            for (char c : event.after)
                take(c, at, read);
            return true;
        }
        case Fault::Kind::Restart: {
            faultEvents.append(event);
            assembling.clear();
            assemblingCut = false;
            pending.clear();
            // A restarting modem stops talking; what it had begun to say is gone.
            enqueuedTotal -= qint64(outLine.size());
            outLine.clear();
            scheduled.clear();
            bootUntil = at + qint64(fault.ms) * 1000000;
            scheduled.push_back({bootUntil, "MODEM_READY;\r\n", -1});
            return true;
        }
        case Fault::Kind::HangUp:
            // The plug is pulled while the record arrives: its end never comes.
            event.after = record.left(record.isEmpty() ? 0 : fault.offset % record.size());
            faultEvents.append(event);
            assembling.clear();
            doHangUp();
            return true;
        case Fault::Kind::DebugFlood: {
            QByteArray flood;
            for (int i = 0; i < fault.lines; ++i)
                flood += encode(QString("DEBUG=GSM: +CSQ: 23,0 cycle %1;").arg(i)) + "\r\n";
            event.after = flood;
            faultEvents.append(event);
            enqueue(flood, at, -1);
            return false;
        }
        default:
            return false;
        }
    }

    QByteArray readAllBody() const
    {
        if (!readAllRaw.isNull())
            return readAllRaw;
        ParamList ordered;
        for (const QString &key : order) {
            for (const auto &p : params) {
                if (p.first == key) {
                    ordered.append(p);
                    break;
                }
            }
        }
        for (const auto &p : params) {
            if (!order.contains(p.first))
                ordered.append(p);
        }
        QByteArray body;
        for (const auto &p : ordered)
            body += encode(p.first + "=" + p.second + ";") + "\r\n";
        return body;
    }

    static void put(ParamList &list, const QString &key, const QString &value)
    {
        for (auto &p : list) {
            if (p.first == key) {
                p.second = value;
                return;
            }
        }
        list.append({key, value});
    }

    QByteArray infoLine(const QString &word) const
    {
        return encode(word + "=" + infos.value(word) + ";") + "\r\n";
    }

    void handle(const QByteArray &record, qint64 at)
    {
        const QByteArray cmd = bare(record);
        answering = cmd;
        if (replies.contains(cmd)) {
            if (!replies.value(cmd).isEmpty())
                reply(replies.value(cmd), at);
            return;
        }
        if (cmd == "MODEM?;") {
            reply("MODEM_READY;\r\n", at);
        } else if (cmd == "READALL;") {
            reply(readAllBody(), at);
        } else if (cmd == "WRITEALL;") {
            for (const auto &p : pending)
                put(params, p.first, upperSetId && p.first == "SETID" ? p.second.toUpper() : p.second);
            pending.clear();
            ++writeAlls;
        } else if (cmd == "IMEI;" || cmd == "MODEL;" || cmd == "PROGVER;" || cmd == "GSMVER;") {
            reply(infoLine(QString::fromLatin1(cmd.left(cmd.size() - 1))), at);
        } else if (cmd == "OPERATOR;") {
            reply(infoLine("OPERATOR") + infoLine("RFLEVEL"), at);
        } else {
            const int eq = cmd.indexOf('=');
            if (eq <= 0)
                return;
            const QString key = decode(cmd.left(eq));
            const QString value = decode(cmd.mid(eq + 1, cmd.size() - eq - 2));
            if (key == "DEBUG")
                debugLevel = value;
            else
                put(pending, key, value);
        }
    }

    void advanceInput(qint64 now)
    {
        TransmitAdapter::Byte b{};
        while (adapter.arrived(now, &b)) {
            if (b.at >= bootUntil)
                take(b.c, b.at, b.readAt);
        }
    }

    // One byte off the line into the record being assembled.
    void take(char c, qint64 at, qint64 readAt)
    {
        if (assembling.isEmpty()) {
            assemblingFirst = at;
            assemblingRead = readAt;
        }
        assembling += c;
        if (c != ';')
            return;
        const QByteArray record = assembling;
        if (faultHits(record, false, record.size()) && injectIntoRecord(record, at))
            return;
        ReceivedRecord r;
        r.data = record;
        r.firstByteMs = ms(assemblingFirst);
        r.lastByteMs = ms(at);
        r.readAtMs = ms(assemblingRead);
        r.cut = assemblingCut;
        log.append(r);
        assembling.clear();
        assemblingCut = false;
        handle(record, at);
        if (!faultArmed && bare(record) == fault.after)
            faultArmed = true;
    }

    // The configurator purged its port's output at t: the adapter's buffer is emptied, and so is what the
    // driver still held (driverHeld, taken off the pty now).
    void onCleared(qint64 t, const QByteArray &driverHeld)
    {
        advanceInput(t);
        received += driverHeld;
        Overrun o;
        o.atMs = ms(t);
        o.lost = adapter.purge(t) + driverHeld;
        if (!o.lost.isEmpty()) {
            // The record begun lost its tail; the purge took everything after it too.
            if (!assembling.isEmpty())
                assemblingCut = true;
            overruns.append(o);
        }
    }

    void onRead(const QByteArray &chunk, qint64 t)
    {
        received += chunk;
        adapter.take(chunk, t);
    }

    // Everything the pty holds for the modem, read now.
    static QByteArray drainPty(int fd)
    {
        QByteArray bytes;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                return bytes;
            if (buf[0] == TIOCPKT_DATA)
                bytes.append(buf + 1, int(n - 1));
        }
    }

    void fireScheduled(qint64 now)
    {
        std::vector<Scheduled> resumed;
        for (auto it = scheduled.begin(); it != scheduled.end();) {
            if (it->due <= now) {
                if (it->pauseAt >= 0) {
                    // A fault's pause: the rest leaves once the first part is out and the pause is over.
                    enqueue(it->bytes.left(it->pauseAt), it->due, it->hangUpAt);
                    resumed.push_back({outFreeAt + it->pauseNs, it->bytes.mid(it->pauseAt), -1});
                } else {
                    enqueue(it->bytes, it->due, it->hangUpAt);
                }
                it = scheduled.erase(it);
            } else {
                ++it;
            }
        }
        scheduled.insert(scheduled.end(), resumed.begin(), resumed.end());
    }

    // When the adapter hands over its next chunk, and how many bytes that chunk holds.
    qint64 nextChunk(int *count) const
    {
        qint64 limit = std::min<qint64>(chunkBytes, qint64(outLine.size()));
        if (hangUpAtTotal >= 0)
            limit = std::min(limit, hangUpAtTotal - deliveredTotal);
        if (limit <= 0)
            return never;
        qint64 due = outLine[size_t(limit - 1)].at;
        if (latencyMs <= 0)
            due = outLine.front().at;
        else
            due = std::min(due, outLine.front().at + qint64(latencyMs) * 1000000);
        int n = 0;
        while (n < limit && outLine[size_t(n)].at <= due)
            ++n;
        *count = n;
        return due;
    }

    void deliver(qint64 now)
    {
        for (;;) {
            if (hangUpAtTotal >= 0 && deliveredTotal >= hangUpAtTotal) {
                // A pty hang-up flushes what the other side has not read yet; an unplugged adapter has
                // handed over its bytes long before, so let the reader take them, however busy the
                // machine.
                if (hangUpDue < 0)
                    hangUpDue = now + hangUpLingerNs;
                if (now >= hangUpDue && (unreadBySlave() == 0 || now >= hangUpDue + hangUpReaderNs))
                    doHangUp();
                return;
            }
            if (outLine.empty())
                return;
            int n = 0;
            if (nextChunk(&n) > now || n == 0)
                return;
            QByteArray chunk;
            for (int i = 0; i < n; ++i) {
                chunk += outLine.front().c;
                outLine.pop_front();
            }
            deliveredTotal += n;
            if (master >= 0) {
                // A full pty (nobody reading for a long time) loses bytes, like a UART overflow.
                [[maybe_unused]] ssize_t r = ::write(master, chunk.constData(), size_t(chunk.size()));
                sent += chunk;
                handovers.append({ms(now), n});
            }
        }
    }

    qint64 nextEvent() const
    {
        qint64 next = never;
        if (adapter.nextArrival() >= 0)
            next = std::min(next, adapter.nextArrival());
        for (const Scheduled &s : scheduled)
            next = std::min(next, s.due);
        if (!outLine.empty()) {
            int n = 0;
            next = std::min(next, nextChunk(&n));
        }
        if (hangUpAtTotal >= 0 && deliveredTotal >= hangUpAtTotal)
            next = hangUpDue < 0 ? 0 : std::max(hangUpDue, nowNs() + 1000000);
        return next;
    }

    void run()
    {
        char buf[4096];
        while (!stopping) {
            qint64 next;
            int fd;
            int room;
            {
                std::lock_guard<std::mutex> lock(m);
                if (hangUpRequested)
                    doHangUp();
                const qint64 now = nowNs();
                advanceInput(now);
                fireScheduled(now);
                deliver(now);
                next = nextEvent();
                fd = master;
                room = adapter.room();
            }
            // A full adapter leaves the bytes with the driver; a purge's notice (POLLPRI in packet mode)
            // is taken all the same.
            pollfd fds[2] = {{wake[0], POLLIN, 0}, {fd, short(room > 0 ? POLLIN | POLLPRI : POLLPRI), 0}};
            const int nfds = fd >= 0 ? 2 : 1;
            qint64 waitNs = next == never ? 200000000 : std::max<qint64>(0, next - nowNs());
            waitNs = std::min<qint64>(waitNs, 200000000);
            timespec ts{time_t(waitNs / 1000000000), long(waitNs % 1000000000)};
            const int r = ::ppoll(fds, nfds, &ts, nullptr);
            const qint64 t = nowNs();
            if (r <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                while (::read(wake[0], buf, sizeof buf) > 0) {
                }
            }
            if (nfds == 2 && (fds[1].revents & (POLLIN | POLLPRI))) {
                // Packet mode: a data packet starts with TIOCPKT_DATA, a status packet is one byte.
                const ssize_t n = ::read(fd, buf, std::min(sizeof buf, size_t(std::max(room, 0)) + 1));
                if (n > 0) {
                    std::lock_guard<std::mutex> lock(m);
                    if (buf[0] == TIOCPKT_DATA && n > 1)
                        onRead(QByteArray(buf + 1, int(n - 1)), t);
                    else if (buf[0] & TIOCPKT_FLUSHWRITE)
                        onCleared(t, drainPty(fd));
                }
            } else if (nfds == 2 && (fds[1].revents & (POLLHUP | POLLERR))) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
    }
};

SimModem::SimModem() : d(new State) {}

SimModem::~SimModem()
{
    stop();
}

bool SimModem::start()
{
    std::lock_guard<std::mutex> lock(d->m);
    if (d->running)
        return true;
    d->error.clear();
    // Closed on exec: a program the tests start (velon-cli) must not keep the modem's end open, or
    // unplugging the modem would hang nothing up.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        d->error = QString::fromLocal8Bit(std::strerror(errno));
        if (master >= 0)
            ::close(master);
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master, name, sizeof name) != 0) {
        d->error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(master);
        return false;
    }
    // Holding the slave open keeps the master from seeing a hang-up while the configurator has the port
    // closed; raw mode keeps the line discipline from echoing or editing anything.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) {
        d->error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(master);
        return false;
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    // Packet mode tells the modem when the configurator clears its port, at the moment it does.
    int packetMode = 1;
    ::ioctl(master, TIOCPKT, &packetMode);
    if (::pipe2(d->wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        d->error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(slave);
        ::close(master);
        return false;
    }
    d->master = master;
    d->slaveHold = slave;
    d->path = QString::fromLocal8Bit(name);
    d->t0 = nowNs();
    d->hungUp = false;
    d->stopping = false;
    d->running = true;
    d->thread = std::thread([this] {
        // A modem keeps up with its line like hardware: on a busy machine an ordinary thread may be kept
        // waiting for tens of milliseconds. Where the system refuses real-time priority it runs as it is.
        sched_param param{};
        param.sched_priority = 1;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        d->run();
    });
    return true;
}

void SimModem::stop()
{
    {
        std::lock_guard<std::mutex> lock(d->m);
        if (!d->running)
            return;
        d->stopping = true;
        d->poke();
    }
    d->thread.join();
    std::lock_guard<std::mutex> lock(d->m);
    d->closeEnds();
    for (int &fd : d->wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    d->running = false;
}

bool SimModem::isRunning() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->running;
}

QString SimModem::slavePath() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->path;
}

QString SimModem::errorString() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->error;
}

double SimModem::elapsedMs() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->ms(nowNs());
}

void SimModem::setChunking(int chunkBytes, int latencyMs)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->chunkBytes = std::max(1, chunkBytes);
    d->latencyMs = std::max(0, latencyMs);
    d->poke();
}

void SimModem::setAnswerDelayMs(int ms)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->answerDelayMs = std::max(0, ms);
}

void SimModem::setTransmitLatencyMs(double ms)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->adapter.setLatencyNs(qint64(ms * 1e6));
}

void SimModem::setParams(const ParamList &params)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->params = params;
    d->pending.clear();
}

ParamList SimModem::params() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->params;
}

QString SimModem::param(const QString &key) const
{
    std::lock_guard<std::mutex> lock(d->m);
    for (const auto &p : d->params) {
        if (p.first == key)
            return p.second.isNull() ? QString("") : p.second;
    }
    return QString();
}

ParamList SimModem::pendingParams() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->pending;
}

int SimModem::writeAllCount() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->writeAlls;
}

void SimModem::setRecordOrder(const QStringList &keys)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->order = keys;
}

void SimModem::setReadAllReply(const QByteArray &raw)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->readAllRaw = raw;
}

void SimModem::setUpperCaseSetId(bool on)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->upperSetId = on;
}

void SimModem::setInfo(const QString &word, const QString &value)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->infos[word] = value;
}

QString SimModem::info(const QString &word) const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->infos.value(word);
}

void SimModem::setReply(const QByteArray &command, const QByteArray &reply)
{
    std::lock_guard<std::mutex> lock(d->m);
    if (reply.isNull())
        d->replies.remove(command);
    else
        d->replies[command] = reply;
}

QString SimModem::debugLevel() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->debugLevel;
}

void SimModem::setSilent(bool on)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->silent = on;
}

void SimModem::setNoise(const QByteArray &before, const QByteArray &after)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->noiseBefore = before;
    d->noiseAfter = after;
}

void SimModem::setCutReplyAt(int bytes)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->cutAt = bytes;
}

void SimModem::setHangUpAt(int bytes)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->hangUpAt = bytes;
}

void SimModem::hangUp()
{
    std::lock_guard<std::mutex> lock(d->m);
    d->hangUpRequested = true;
    d->poke();
}

bool SimModem::isHungUp() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->hungUp;
}

void SimModem::sendDebug(const QString &text)
{
    sendRaw(encode("DEBUG=" + text + ";") + "\r\n");
}

void SimModem::sendRaw(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->enqueue(bytes, nowNs(), -1);
    d->poke();
}

bool SimModem::isOutputIdle() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->scheduled.empty() && d->outLine.empty();
}

QByteArray SimModem::sent() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->sent;
}

QVector<Handover> SimModem::handovers() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->handovers;
}

QVector<ReceivedRecord> SimModem::log() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->log;
}

QByteArrayList SimModem::records() const
{
    std::lock_guard<std::mutex> lock(d->m);
    QByteArrayList list;
    for (const ReceivedRecord &r : d->log)
        list.append(r.data);
    return list;
}

QByteArray SimModem::received() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->received;
}

QByteArray SimModem::unterminated() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->assembling;
}

QVector<Overrun> SimModem::overruns() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->overruns;
}

int SimModem::overrunCount() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->overruns.size();
}

void SimModem::setFault(const Fault &fault)
{
    std::lock_guard<std::mutex> lock(d->m);
    d->fault = fault;
    d->faultSpent = fault.kind == Fault::Kind::None;
    d->faultArmed = fault.after.isEmpty();
    d->faultPlacesLeft = std::max(1, fault.nth);
    d->faultEvents.clear();
}

QVector<FaultEvent> SimModem::faultEvents() const
{
    std::lock_guard<std::mutex> lock(d->m);
    return d->faultEvents;
}

void SimModem::clearLog()
{
    std::lock_guard<std::mutex> lock(d->m);
    d->log.clear();
    d->received.clear();
    d->sent.clear();
    d->handovers.clear();
    d->overruns.clear();
}

} // namespace sim
