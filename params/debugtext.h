#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// What a debug line shows of something that may be as long as a whole file: at most a few hundred
// characters, and how much there was.
namespace debugtext {

constexpr int shownCharacters = 300;

// The text itself, or its beginning and its length.
QString excerpt(const QString &text);
// The first entries of the list that fit, each cut, and how many there were.
QStringList excerpt(const QStringList &list);
// The first entries of the map (a parsed set of 26 keys shows whole; a file of thousands of keys does not).
QMap<QString, QString> firstEntries(const QMap<QString, QString> &map);

} // namespace debugtext
