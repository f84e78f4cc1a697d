#include "params/records.h"

#include "params/linecodec.h"

namespace records {

const QStringList &paramsKeyList()
{
    static const QStringList keys{"SETCOM",  "SETRS",   "SETCAN",  "SETSIM1", "SETSIM2", "ADMTEL1", "ADMTEL2",
                                  "ADMTEL3", "ADMTEL4", "ADMTEL5", "CSDTEL1", "CSDTEL2", "CSDTEL3", "CSDTEL4",
                                  "CSDTEL5", "SETURL1", "SETURL2", "SETURL3", "SETURL4", "SETURL5", "SETCONF",
                                  "SETID",   "SETLOG",  "SETCSD",  "PASSET",  "SERVER"};
    return keys;
}

const QStringList &sendingOrder()
{
    static const QStringList keys{"SETCONF", "SETCOM",  "SETRS",   "SETCAN",  "SETSIM1", "SETSIM2", "CSDTEL1",
                                  "CSDTEL2", "CSDTEL3", "CSDTEL4", "CSDTEL5", "ADMTEL1", "ADMTEL2", "ADMTEL3",
                                  "ADMTEL4", "ADMTEL5", "SETURL1", "SETURL2", "SETURL3", "SETURL4", "SETURL5",
                                  "SETID",   "SETLOG",  "SETCSD",  "PASSET",  "SERVER"};
    return keys;
}

bool hasOneField(const QString &key)
{
    static const QStringList keys{"ADMTEL1", "ADMTEL2", "ADMTEL3", "ADMTEL4", "ADMTEL5", "CSDTEL1",
                                  "CSDTEL2", "CSDTEL3", "CSDTEL4", "CSDTEL5", "SETLOG",  "PASSET"};
    return keys.contains(key);
}

const QStringList &baudRateList()
{
    static const QStringList l{"300",  "600",   "1200",  "2400",  "4800",
                               "9600", "19200", "38400", "57600", "115200"};
    return l;
}

const QStringList &dataBitsList()
{
    static const QStringList l{"7", "8", "9"};
    return l;
}

const QStringList &parityList()
{
    static const QStringList l{"None", "Even", "Odd"};
    return l;
}

const QStringList &stopBitsList()
{
    static const QStringList l{"1", "2"};
    return l;
}

const QStringList &onOffCodeList()
{
    static const QStringList l{"0", "1"};
    return l;
}

const QStringList &simModeCodeList()
{
    static const QStringList l{"0", "1", "2"};
    return l;
}

const QStringList &simModeList()
{
    static const QStringList l{QString::fromUtf8("Не установлена"), QString::fromUtf8("Авто"),
                               QString::fromUtf8("Ручной")};
    return l;
}

const QStringList &flagCodeList()
{
    static const QStringList l{"0", "1"};
    return l;
}

const QStringList &prioritySimList()
{
    static const QStringList l{"SIM1", "SIM2"};
    return l;
}

const QStringList &csdModeList()
{
    static const QStringList l{"0,0,1", "7,0,1", "71,0,1"};
    return l;
}

static const char *const parityLetters[] = {"N", "E", "O"};

QString parityLetter(const QString &name)
{
    const int i = parityList().indexOf(name);
    return i < 0 ? QString() : QString::fromLatin1(parityLetters[i]);
}

QString parityName(const QString &letter)
{
    for (int i = 0; i < 3; ++i) {
        if (letter == QLatin1String(parityLetters[i]))
            return parityList().at(i);
    }
    return QString();
}

QString buildRecord(const QString &key, const QStringList &fields)
{
    return key + '=' + fields.join(',') + ';';
}

QStringList splitRecords(const QByteArray &bytes)
{
    return splitRecordTexts(linecodec::decode(bytes));
}

QStringList splitRecordTexts(const QString &text)
{
    QStringList result;
    QString pending;
    for (const QChar c : text) {
        if (c == ';') {
            result.append(pending);
            pending.clear();
        } else if (c != '\r' && c != '\n') {
            pending.append(c);
        }
    }
    return result;
}

KeyValue splitRecord(const QString &record)
{
    const int eq = record.indexOf('=');
    if (eq < 0)
        return {};
    return {true, record.left(eq), record.mid(eq + 1)};
}

QMap<QString, QString> toParamsMap(const QStringList &recordList)
{
    QMap<QString, QString> map;
    for (const QString &record : recordList) {
        const KeyValue kv = splitRecord(record);
        if (kv.valid)
            map.insert(kv.key, kv.value);
    }
    return map;
}

bool holdsEveryKey(const QByteArray &bytes)
{
    const QMap<QString, QString> map = toParamsMap(splitRecords(bytes));
    for (const QString &key : paramsKeyList()) {
        if (!map.contains(key))
            return false;
    }
    return true;
}

QStringList splitFields(const QString &value)
{
    return value.split(',', Qt::KeepEmptyParts);
}

QString recordValue(const QString &key, const QString &recordText)
{
    QString value = recordText;
    const QString prefix = key + '=';
    if (value.startsWith(prefix))
        value.remove(0, prefix.size());
    if (value.endsWith(';'))
        value.chop(1);
    return value;
}

} // namespace records
