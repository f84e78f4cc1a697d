#include "soaksets.h"

#include "params/formrecords.h"
#include "params/records.h"

#include <QStringList>

namespace soaksets {

namespace {

int between(std::mt19937 &rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

QString pick(std::mt19937 &rng, const QStringList &list)
{
    return list.at(between(rng, 0, list.size() - 1));
}

QString digits(std::mt19937 &rng, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar('0' + between(rng, 0, 9));
    return text;
}

QString phone(std::mt19937 &rng)
{
    return between(rng, 0, 2) == 0 ? QString() : "+79" + digits(rng, 9);
}

QString serial(std::mt19937 &rng)
{
    return pick(rng, {"9600", "19200", "38400", "57600", "115200"}) + "," + pick(rng, {"7", "8"}) + "," +
           pick(rng, {"N", "E", "O"}) + "," + pick(rng, {"1", "2"}) + "," + pick(rng, {"0", "1"});
}

QString sim(std::mt19937 &rng)
{
    return digits(rng, 4) + "," + pick(rng, {"gdata", "mts", "beeline", "user"}) + "," +
           pick(rng, {"gdata", "mts", "beeline", "pass"}) + "," +
           pick(rng, {"internet", "internet.mts.ru", "internet.beeline.ru", "m2m.msk", "gdata"});
}

QString url(std::mt19937 &rng)
{
    if (between(rng, 0, 3) == 0)
        return ",1,0";
    return pick(rng, {"93.184.216.34", "telemetry.example.net", "srv.example.org", "10.0.0.7"}) + "," +
           QString::number(between(rng, 1, 65535)) + "," + pick(rng, {"10", "30", "60", "120", "1440"});
}

QString value(const QString &key, std::mt19937 &rng)
{
    if (key == "SETCOM" || key == "SETRS")
        return serial(rng);
    if (key.startsWith("SETSIM"))
        return sim(rng);
    if (key.contains("TEL"))
        return phone(rng);
    if (key.startsWith("SETURL"))
        return url(rng);
    if (key == "SETID")
        return "1,OBJ-" + QString::number(between(rng, 1, 999));
    if (key == "SERVER")
        return QString("0,%1,%2,%3")
            .arg(between(rng, 1, 65535))
            .arg(between(rng, 1, 60))
            .arg(between(rng, 1, 168));
    // The rest stay as the simulated modem's own set has them.
    for (const auto &kv : sim::SimModem::defaultParams()) {
        if (kv.first == key)
            return kv.second;
    }
    return QString();
}

// The values the form would change go back to the simulated modem's own; a set it warns about, all of them.
sim::ParamList formStable(sim::ParamList set)
{
    const QStringList &keys = records::paramsKeyList();
    const sim::ParamList defaults = sim::SimModem::defaultParams();
    for (int round = 0; round < 3; ++round) {
        const formrecords::Outcome out = formrecords::apply(formrecords::startup(), toMap(set));
        bool changed = false;
        for (int i = 0; i < set.size(); ++i) {
            const QString text = set.at(i).first + "=" + set.at(i).second + ";";
            if (out.form.recordTexts.value(keys.indexOf(set.at(i).first)) != text) {
                set[i].second = defaults.at(i).second;
                changed = true;
            }
        }
        if (!changed && out.messages.isEmpty())
            return set;
        if (!changed)
            return defaults;
    }
    return defaults;
}

} // namespace

sim::ParamList randomSet(std::mt19937 &rng)
{
    sim::ParamList set = sim::SimModem::defaultParams();
    for (auto &kv : set)
        kv.second = value(kv.first, rng);
    return formStable(set);
}

QString otherValue(const QString &key, const QString &current, std::mt19937 &rng)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QString v = value(key, rng);
        if (v != current)
            return v;
    }
    return current;
}

sim::ParamList withChanges(const sim::ParamList &set, int count, std::mt19937 &rng)
{
    sim::ParamList changed = set;
    for (int i = 0; i < count; ++i) {
        auto &kv = changed[between(rng, 0, changed.size() - 1)];
        kv.second = otherValue(kv.first, kv.second, rng);
    }
    return formStable(changed);
}

QMap<QString, QString> toMap(const sim::ParamList &set)
{
    QMap<QString, QString> map;
    for (const auto &kv : set)
        map.insert(kv.first, kv.second);
    return map;
}

QByteArray fileText(const sim::ParamList &set)
{
    QByteArray text;
    for (const auto &kv : set)
        text += (kv.first + "=" + kv.second + ";\n").toUtf8();
    return text;
}

} // namespace soaksets
