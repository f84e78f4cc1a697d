#include "cli/output.h"

#include "cli/terminal.h"
#include "files/paramfile.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace output {

namespace {

std::recursive_mutex lock;
bool stdoutFailed = false;
QStringList progressLines{QString()};
int drawnLines = 0; // lines of a several-line progress on the screen, the cursor below them
bool singleShown = false;

void toStderr(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

bool terminal()
{
    return ::terminal::isTerminal();
}

void clear()
{
    if (singleShown)
        toStderr("\r\033[K");
    else if (drawnLines > 0)
        toStderr(QByteArray("\033[") + QByteArray::number(drawnLines) + "A\r\033[J");
    singleShown = false;
    drawnLines = 0;
}

void draw()
{
    if (progressLines.size() == 1) {
        if (progressLines.first().isEmpty())
            return;
        toStderr(("\r" + progressLines.first() + "\033[K").toUtf8());
        singleShown = true;
        return;
    }
    // A line longer than the terminal would wrap, and a board taller than it would scroll: either would
    // throw the count of lines to go back up. What does not fit is counted on the last line.
    const ::terminal::Size size = ::terminal::size();
    const int width = size.columns - 1;
    QStringList lines = progressLines;
    if (lines.size() > size.rows - 1) {
        const int shown = size.rows - 2;
        const int hidden = lines.size() - shown;
        lines = lines.mid(0, shown) << QStringLiteral("… и ещё модемов: %1").arg(hidden);
    }
    QByteArray bytes;
    if (drawnLines > 0)
        bytes += QByteArray("\033[") + QByteArray::number(drawnLines) + "A";
    for (const QString &line : lines)
        bytes += ("\r" + line.left(width) + "\033[K\n").toUtf8();
    toStderr(bytes);
    drawnLines = lines.size();
}

bool anyProgress()
{
    return std::any_of(progressLines.begin(), progressLines.end(),
                       [](const QString &l) { return !l.isEmpty(); });
}

} // namespace

bool toStdout(const QByteArray &bytes)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    clear();
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
        std::fflush(stdout) != 0)
        stdoutFailed = true;
    return !stdoutFailed;
}

bool closeStdout()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        stdoutFailed = true;
    if (std::fclose(stdout) != 0)
        stdoutFailed = true;
    return !stdoutFailed;
}

void say(const QString &line)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    clear();
    toStderr((line + '\n').toUtf8());
    if (drawnLines == 0 && progressLines.size() > 1 && terminal() && anyProgress())
        draw();
}

void setProgressLines(int count)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    clear();
    progressLines = QStringList();
    for (int i = 0; i < qMax(1, count); ++i)
        progressLines.append(QString());
}

void progress(int line, const QString &text)
{
    if (!terminal())
        return;
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (line < 0 || line >= progressLines.size())
        return;
    progressLines[line] = text;
    draw();
}

void endProgress()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    clear();
    for (QString &line : progressLines)
        line.clear();
}

Written writeFile(const QString &path, const QByteArray &bytes, QString *message)
{
    if (path == "-") {
        // The end of the run says it, once for all that was written there.
        message->clear();
        return toStdout(bytes) ? Written::Done : Written::WriteFailed;
    }
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat info
    {
    };
    const bool exists = ::stat(name.constData(), &info) == 0;
    // The file standard output already is: written through its descriptor, so that what a ">>" or a pipe
    // holds stays, and the bytes come in order with anything else printed there.
    struct stat out
    {
    };
    if (exists && ::fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == info.st_dev &&
        out.st_ino == info.st_ino) {
        message->clear();
        return toStdout(bytes) ? Written::Done : Written::WriteFailed;
    }
    // A FIFO, a device or a descriptor named through /dev or /proc is written as it is: a file put in its
    // place would hide what the caller wanted to reach (and, run as root, replace a system device). Nothing
    // there is truncated; a regular file reached that way is appended to, as its opener may have asked.
    const bool special = path.startsWith("/dev/") || path.startsWith("/proc/");
    if (exists && (!S_ISREG(info.st_mode) || special)) {
        const int fd = ::open(name.constData(),
                              O_WRONLY | O_NOCTTY | O_CLOEXEC | (S_ISREG(info.st_mode) ? O_APPEND : 0));
        if (fd < 0) {
            *message = QStringLiteral("Не удалось открыть файл для записи: %1: %2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return Written::NotCreated;
        }
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        const int writeErrno = errno;
        const bool closed = ::close(fd) == 0;
        if (done == bytes.size() && closed)
            return Written::Done;
        *message =
            QStringLiteral("Не удалось записать файл: %1: %2")
                .arg(path, QString::fromLocal8Bit(std::strerror(done < bytes.size() ? writeErrno : errno)));
        return Written::WriteFailed;
    }
#endif
    switch (paramfile::save(path, bytes)) {
    case paramfile::SaveResult::Saved:
        return Written::Done;
    case paramfile::SaveResult::OpenFailed:
        *message = QStringLiteral("Не удалось создать файл: ") + path;
        return Written::NotCreated;
    case paramfile::SaveResult::WriteFailed:
        break;
    }
    *message = QStringLiteral("Не удалось сохранить файл: ") + path;
    return Written::WriteFailed;
}

bool readStdin(qint64 limit, QByteArray *bytes)
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return false;
    *bytes = in.read(limit + 1);
    return in.error() == QFileDevice::NoError;
}

namespace {

bool control(QChar c)
{
    const ushort u = c.unicode();
    return u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0);
}

QString hex(QChar c)
{
    return QStringLiteral("\\x") + QString::number(c.unicode(), 16).toUpper().rightJustified(2, '0');
}

} // namespace

QString escaped(const QString &value)
{
    QString text;
    text.reserve(value.size());
    for (const QChar c : value) {
        if (c == '\\')
            text += QLatin1String("\\\\");
        else if (c == '\t')
            text += QLatin1String("\\t");
        else if (c == '\r')
            text += QLatin1String("\\r");
        else if (c == '\n')
            text += QLatin1String("\\n");
        else if (control(c))
            text += hex(c);
        else
            text += c;
    }
    return text;
}

QString withControlsShown(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text)
        shown += control(c) && c != '\t' && c != '\r' && c != '\n' ? hex(c) : QString(c);
    return shown;
}

} // namespace output
