#pragma once

#include "sim/simmodem.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <random>

// The sets a soak writes: all 26 keys, each value one that the form holds exactly as it came (nothing cut,
// lifted, refused or warned about), so that what the configurator writes is the set itself and a modem that
// holds it can be told apart from one that does not.
namespace soaksets {

// A set with every key drawn at random.
sim::ParamList randomSet(std::mt19937 &rng);
// The set with count keys given other values of the same kind.
sim::ParamList withChanges(const sim::ParamList &set, int count, std::mt19937 &rng);
// A new value for one key, other than the one given: telephone numbers may be emptied.
QString otherValue(const QString &key, const QString &value, std::mt19937 &rng);

QMap<QString, QString> toMap(const sim::ParamList &set);
// A parameter file of the set: one record per line.
QByteArray fileText(const sim::ParamList &set);

} // namespace soaksets
