#pragma once

#include "params/records.h"

#include <QRandomGenerator>
#include <QStringList>

// Random parameter sets for the agreement between the window, the form's rules and velon-cli: mostly
// valid values, and now and then each kind of value the checks stop on, warn about or keep the previous
// value for, and each kind the form's widgets cut, clamp or lift.
namespace setgen {

class Generator
{
public:
    explicit Generator(quint32 seed) : rng(seed) {}

    // The records of one set (one per line in a file), in a random order, sometimes with a key missing or
    // given twice.
    QStringList records()
    {
        QStringList list;
        for (const QString &key : records::paramsKeyList()) {
            if (chance(1.0 / 400))
                continue;
            list.append(key + '=' + value(key) + ';');
            if (chance(1.0 / 200))
                list.append(key + '=' + value(key) + ';');
        }
        if (chance(0.3)) {
            for (int i = list.size() - 1; i > 0; --i)
                list.swapItemsAt(i, int(rng.bounded(i + 1)));
        }
        return list;
    }

private:
    bool chance(double p) { return rng.generateDouble() < p; }
    int between(int low, int high) { return low + int(rng.bounded(high - low + 1)); }
    QString pick(const QStringList &list) { return list.at(int(rng.bounded(list.size()))); }
    QString number(int low, int high) { return QString::number(between(low, high)); }

    // Text without "," or ";", now and then Cyrillic, empty or long.
    QString text(int maxLength)
    {
        static const QString letters = QString::fromUtf8("abcxyzABC0123456789.-_+ фыйЯЖ");
        const int length = chance(0.1) ? 0 : between(1, maxLength);
        QString t;
        for (int i = 0; i < length; ++i)
            t.append(letters.at(int(rng.bounded(letters.size()))));
        return t;
    }

    // Every field of a serial interface valid, or one of them not.
    QString serial(bool canKey)
    {
        QStringList f{pick(records::baudRateList()), pick(records::dataBitsList()), pick({"N", "E", "O"}),
                      pick(records::stopBitsList()), canKey ? pick({"0", "1", "7"}) : pick({"0", "1"})};
        if (chance(0.02))
            f[int(rng.bounded(canKey ? 4 : 5))] = pick({"None", "3", "", "x", "115201"});
        if (chance(0.01))
            f.removeLast();
        return f.join(',');
    }

    QString sim()
    {
        QStringList f{chance(0.1) ? text(8) : number(0, 9999), text(chance(0.1) ? 40 : 12), text(12),
                      text(chance(0.1) ? 40 : 20)};
        if (chance(0.01))
            f.append("extra");
        return f.join(',');
    }

    QString phone()
    {
        if (chance(0.3))
            return QString();
        QString n = "+7" + number(100000000, 999999999);
        if (chance(0.1))
            n += number(10000, 99999); // longer than the field
        if (chance(0.03))
            n += ",9";
        return n;
    }

    QString url()
    {
        const QString port =
            chance(0.1) ? pick({"0", "-5", "70000", "abc", "", "65535", "1"}) : number(1, 65535);
        QString interval;
        if (chance(0.2))
            interval = number(1, 9); // lifted to 10
        else if (chance(0.1))
            interval = pick({"1441", "-1", "x", "", "99999"});
        else
            interval = chance(0.3) ? "0" : number(10, 1440);
        QStringList f{chance(0.3) ? QString() : text(30), port, interval};
        if (chance(0.01))
            f.removeLast();
        return f.join(',');
    }

    QString setconf()
    {
        QStringList f{pick({"0", "1", "2"}), pick({"0", "1", "2"}), pick({"0", "1"}),
                      pick({"0", "1"}),      pick({"0", "1"}),      pick({"0", "1"})};
        if (chance(0.05))
            f[int(rng.bounded(3))] = pick({"3", "", "a"}); // warns and keeps the previous code
        if (chance(0.05))
            f[3 + int(rng.bounded(3))] = pick({"2", ""}); // ignored without a word
        if (chance(0.01))
            f.removeLast();
        return f.join(',');
    }

    QString setid()
    {
        if (chance(0.02))
            return pick({"1", "2,x", "0,a,b", ""});
        return pick({"0", "1"}) + ',' + text(chance(0.05) ? 120 : 20);
    }

    QString passet()
    {
        static const QString letters = QString::fromUtf8("abcXYZ019,ф");
        const int length = chance(0.1) ? between(0, 10) : between(4, 7);
        QString t;
        for (int i = 0; i < length; ++i)
            t.append(letters.at(int(rng.bounded(letters.size()))));
        return t;
    }

    QString server()
    {
        QStringList f{pick({"0", "1"}), number(1, 65535), number(1, 60), number(1, 168)};
        if (chance(0.03))
            f[int(rng.bounded(4))] = pick({"2", "0", "61", "169", "x", "-1"});
        if (chance(0.02))
            f.append("9");
        if (chance(0.01))
            f.removeLast();
        return f.join(',');
    }

    QString value(const QString &key)
    {
        if (key == "SETCOM" || key == "SETRS")
            return serial(false);
        if (key == "SETCAN")
            return serial(true);
        if (key.startsWith("SETSIM"))
            return sim();
        if (key.contains("TEL"))
            return phone();
        if (key.startsWith("SETURL"))
            return url();
        if (key == "SETCONF")
            return setconf();
        if (key == "SETID")
            return setid();
        if (key == "SETLOG")
            return chance(0.02) ? pick({"2", ""}) : pick({"0", "1"});
        if (key == "SETCSD")
            return chance(0.02) ? pick({"7,0,2", "0"}) : pick(records::csdModeList());
        if (key == "PASSET")
            return passet();
        return server();
    }

    QRandomGenerator rng;
};

} // namespace setgen
