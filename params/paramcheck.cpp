#include "params/paramcheck.h"

#include "params/records.h"

#include <QCoreApplication>

namespace paramcheck {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

class Planner
{
public:
    explicit Planner(const QMap<QString, QString> &p) : params(p) {}

    QVector<Step> run()
    {
        serial("SETCOM", "setcomList",
               {"comboBox_rs232BaudRate", "comboBox_rs232DataBits", "comboBox_rs232Parity",
                "comboBox_rs232StopBits", "comboBox_dataControlRs232"},
               "dataControl") &&
            serial("SETRS", "setrsList",
                   {"comboBox_rs485BaudRate", "comboBox_rs485DataBits", "comboBox_rs485Parity",
                    "comboBox_rs485StopBits", "comboBox_flowControlRs485"},
                   "flowControl") &&
            serial("SETCAN", "setcanList",
                   {"comboBox_canBaudRate", "comboBox_canDataBits", "comboBox_canParity",
                    "comboBox_canStopBits"},
                   QString()) &&
            sim("SETSIM1", "setSim1List", "SIM1") && sim("SETSIM2", "setSim2List", "SIM2") &&
            phones("ADMTEL", "lineEdit_controlNumber") && phones("CSDTEL", "lineEdit_csdNumber") && urls() &&
            setconf() && setid() && wholeValue("SETLOG", records::flagCodeList()) &&
            wholeValue("SETCSD", records::csdModeList()) && passet() && server();
        return steps;
    }

private:
    void add(Step::Kind kind, const QString &target, const QString &text, int number = 0)
    {
        steps.append(Step{kind, target, text, number});
    }
    // A warning after which the widget keeps its previous value.
    void warnKeeping(const QString &target, const QString &text)
    {
        steps.append(Step{Step::Warn, target, text, 0, true});
    }
    bool stop(const QString &message)
    {
        add(Step::Stop, QString(), message);
        return false;
    }
    void log(const QString &label, const QStringList &fields) { add(Step::Log, label, fields.join(" | ")); }

    // The value of a key, or the missing-key stop.
    bool present(const QString &key)
    {
        if (params.contains(key))
            return true;
        return stop(tr("Отсутствует параметр ") + key);
    }

    bool serial(const QString &key, const QString &listName, const QStringList &combos, const QString &field5)
    {
        if (!present(key))
            return false;
        const QStringList f = records::splitFields(params.value(key));
        log(listName, f);
        if (f.size() != 5)
            return stop(tr("Неверная структура параметра ") + key);
        const QString valueMessage = tr("Неверное значение параметра ") + key + ": ";
        const QStringList *lists[] = {&records::baudRateList(), &records::dataBitsList(),
                                      &records::parityList(), &records::stopBitsList(),
                                      &records::onOffCodeList()};
        const char *names[] = {"BaudRate", "DataBits", "Parity", "StopBits"};
        for (int i = 0; i < combos.size(); ++i) {
            const QString item = i == 2 ? records::parityName(f.at(i)) : f.at(i);
            if (!lists[i]->contains(item))
                return stop(valueMessage + (i < 4 ? QString(names[i]) : field5));
            add(Step::SetCombo, combos.at(i), item);
        }
        return true;
    }

    bool sim(const QString &key, const QString &listName, const QString &suffix)
    {
        if (!present(key))
            return false;
        const QStringList f = records::splitFields(params.value(key));
        log(listName, f);
        if (f.size() != 4)
            return stop(tr("Неверная структура параметра ") + key);
        const int limits[] = {pinLimit, gprsFieldLimit, gprsFieldLimit, gprsFieldLimit};
        const QString edits[] = {"lineEdit_pin", "lineEdit_userNameGPRS", "lineEdit_passwordGPRS",
                                 "lineEdit_pointAPNGPRS"};
        // A field the line edit would cut is said out loud: a silently cut PIN would be written back cut.
        for (int i = 0; i < 4; ++i) {
            if (f.at(i).size() > limits[i]) {
                add(Step::Warn, key, QStringLiteral("Неверная длина параметра ") + key);
                break;
            }
        }
        for (int i = 0; i < 4; ++i)
            add(Step::SetText, edits[i] + suffix, f.at(i));
        return true;
    }

    bool phones(const QString &prefix, const QString &editPrefix)
    {
        for (int n = 1; n <= 5; ++n) {
            const QString key = prefix + QString::number(n);
            if (!present(key))
                return false;
            const QString value = params.value(key);
            add(Step::Log, "paramsMap[" + key + "]", value);
            if (n == 1 && prefix == "ADMTEL")
                add(Step::Log, "paramsMap[" + key + "].length()", QString::number(value.size()));
            if (value.size() > phoneNumberLimit)
                add(Step::Warn, key, QStringLiteral("Неверная длина параметра ") + key);
            add(Step::SetText, editPrefix + QString::number(n), value);
        }
        return true;
    }

    bool urls()
    {
        for (int n = 1; n <= 5; ++n) {
            const QString key = "SETURL" + QString::number(n);
            if (!present(key))
                return false;
            const QStringList f = records::splitFields(params.value(key));
            log("setUrl" + QString::number(n) + "List", f);
            if (f.size() != 3)
                return stop(QStringLiteral("Неверная структура параметра ") + key);
            add(Step::SetText, "lineEdit_url" + QString::number(n), f.at(0));
            add(Step::SetSpin, "spinBox_portUrl" + QString::number(n), QString(), toNumber(f.at(1)));
            add(Step::SetSpin, "spinBox_intervalUrl" + QString::number(n), QString(), toNumber(f.at(2)));
        }
        return true;
    }

    bool setconf()
    {
        if (!present("SETCONF"))
            return false;
        const QStringList f = records::splitFields(params.value("SETCONF"));
        log("SETCONFList ", f);
        if (f.size() != 6)
            return stop(tr("Неверная структура параметра ") + "SETCONF");
        const char *simCombos[] = {"comboBox_sim1Mode", "comboBox_sim2Mode"};
        const char *simWarnings[] = {"Неверное значение sim1Mode ", "Неверное значение sim2Mode "};
        for (int i = 0; i < 2; ++i) {
            const int code = records::simModeCodeList().indexOf(f.at(i));
            if (code < 0)
                warnKeeping("SETCONF", tr(simWarnings[i]) + f.at(i));
            else
                add(Step::SetCombo, simCombos[i], records::simModeList().at(code));
        }
        const int priority = records::flagCodeList().indexOf(f.at(2));
        if (priority < 0)
            warnKeeping("SETCONF", tr("Неверное значение prioritySim ") + f.at(2));
        else
            add(Step::SetCombo, "comboBox_prioritySim", records::prioritySimList().at(priority));
        const char *flags[] = {"comActive", "rsActive", "canActive"};
        for (int i = 0; i < 3; ++i) {
            if (f.at(3 + i) == "0" || f.at(3 + i) == "1")
                add(Step::SetFlag, flags[i], f.at(3 + i));
        }
        return true;
    }

    bool setid()
    {
        if (!present("SETID"))
            return false;
        const QString value = params.value("SETID");
        const QStringList f = records::splitFields(value);
        log("SETIDList ", f);
        if (f.size() != 2 || !records::flagCodeList().contains(f.at(0)))
            return stop(tr("Неверный формат параметра SETID"));
        // The settings window's field would cut it; said out loud, as for the SIM fields.
        if (f.at(1).size() > identifierLimit)
            add(Step::Warn, "SETID", QStringLiteral("Неверная длина параметра SETID"));
        add(Step::Emit, "SETID", value);
        return true;
    }

    // SETLOG and SETCSD: the whole value must be one of a list.
    bool wholeValue(const QString &key, const QStringList &allowed)
    {
        if (!present(key))
            return false;
        const QString value = params.value(key);
        log(key + "List ", {value});
        if (!allowed.contains(value))
            return stop(tr("Неверное значение параметра ") + key);
        add(Step::Emit, key, value);
        return true;
    }

    bool passet()
    {
        if (!present("PASSET"))
            return false;
        log("PASSETList ", {params.value("PASSET")});
        add(Step::Emit, "PASSET", params.value("PASSET"));
        return true;
    }

    bool server()
    {
        if (!present("SERVER"))
            return false;
        const QStringList f = records::splitFields(params.value("SERVER"));
        log("SERVERList ", f);
        if (f.size() < 4)
            return stop(QStringLiteral("Неверная структура параметра ") + "SERVER");
        if (f.at(0) != "0" && f.at(0) != "1")
            return stop(QStringLiteral("Неверное значение: режим клиент/сервер"));
        add(Step::SetServerMode, QString(), f.at(0));
        struct Checked
        {
            const char *spin;
            Range range;
            const char *message;
        };
        const Checked fields[] = {{"spinBox_portModeServer", serverPortRange, "Неверное значение: порт"},
                                  {"spinBox_timeout", timeoutRange, "Неверное значение: таймаут"},
                                  {"spinBox_rebootInterval", rebootRange,
                                   "Неверное значение: интервал принудительной перезагрузки"}};
        for (int i = 0; i < 3; ++i) {
            const int n = toNumber(f.at(1 + i));
            if (!fields[i].range.contains(n))
                return stop(QString::fromUtf8(fields[i].message));
            add(Step::SetSpin, fields[i].spin, QString(), n);
        }
        return true;
    }

    const QMap<QString, QString> &params;
    QVector<Step> steps;
};

} // namespace

QVector<Step> validate(const QMap<QString, QString> &params)
{
    return Planner(params).run();
}

int toNumber(const QString &text)
{
    bool ok = false;
    const int n = text.toInt(&ok, 10);
    return ok ? n : 0;
}

bool passwordLengthAllowed(const QString &password)
{
    return password.size() >= passwordMinLength && password.size() <= passwordMaxLength;
}

QString passwordLengthMessage()
{
    return QCoreApplication::translate("FormSettings", "Недопустимая длина пароля");
}

QStringList messages(const QVector<Step> &steps)
{
    QStringList result;
    for (const Step &s : steps) {
        if (s.kind == Step::Warn || s.kind == Step::Stop)
            result.append(s.text);
    }
    return result;
}

} // namespace paramcheck
