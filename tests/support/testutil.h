#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>

// The named child of the given kind. A missing one ends the run: a renamed widget breaks every test of it.
template <class W = QObject> W *child(const QObject *in, const char *name)
{
    W *w = in->findChild<W *>(name);
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

// Writes the whole file; false when it cannot.
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// How a text file the program writes ends its lines: the platform's way (CR LF on Windows).
inline QByteArray textLineEnd()
{
#ifdef Q_OS_WIN
    return "\r\n";
#else
    return "\n";
#endif
}

// The whole file; a null array when it cannot be read (so a file that must not exist compares as null).
inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
