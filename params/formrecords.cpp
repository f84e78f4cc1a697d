#include "params/formrecords.h"

#include "params/fieldtext.h"
#include "params/paramcheck.h"
#include "params/recordbuilder.h"
#include "params/records.h"

namespace formrecords {

namespace {

// How a widget turns what the validation sets into its record's field.
enum class Kind { Item, Parity, SimMode, Priority, Text, Number, Interval };

struct Widget
{
    QString key;
    int field = 0;
    Kind kind = Kind::Item;
    int limit = 0;                 // Text: the line edit's length limit
    paramcheck::Range range{0, 0}; // Number, Interval: the spin box's range
};

const QMap<QString, Widget> &widgets()
{
    static const QMap<QString, Widget> map = [] {
        QMap<QString, Widget> m;
        const struct
        {
            const char *prefix, *key, *field5;
        } serial[] = {{"comboBox_rs232", "SETCOM", "comboBox_dataControlRs232"},
                      {"comboBox_rs485", "SETRS", "comboBox_flowControlRs485"},
                      {"comboBox_can", "SETCAN", nullptr}};
        for (const auto &s : serial) {
            const QString prefix = QLatin1String(s.prefix);
            m.insert(prefix + "BaudRate", {s.key, 0, Kind::Item});
            m.insert(prefix + "DataBits", {s.key, 1, Kind::Item});
            m.insert(prefix + "Parity", {s.key, 2, Kind::Parity});
            m.insert(prefix + "StopBits", {s.key, 3, Kind::Item});
            if (s.field5)
                m.insert(s.field5, {s.key, 4, Kind::Item});
        }
        for (int n = 1; n <= 2; ++n) {
            const QString sim = QString("SIM%1").arg(n);
            const QString key = "SETSIM" + QString::number(n);
            m.insert("lineEdit_pin" + sim, {key, 0, Kind::Text, paramcheck::pinLimit});
            m.insert("lineEdit_userNameGPRS" + sim, {key, 1, Kind::Text, paramcheck::gprsFieldLimit});
            m.insert("lineEdit_passwordGPRS" + sim, {key, 2, Kind::Text, paramcheck::gprsFieldLimit});
            m.insert("lineEdit_pointAPNGPRS" + sim, {key, 3, Kind::Text, paramcheck::gprsFieldLimit});
            m.insert(QString("comboBox_sim%1Mode").arg(n), {"SETCONF", n - 1, Kind::SimMode});
        }
        m.insert("comboBox_prioritySim", {"SETCONF", 2, Kind::Priority});
        for (int n = 1; n <= 5; ++n) {
            const QString d = QString::number(n);
            m.insert("lineEdit_controlNumber" + d,
                     {"ADMTEL" + d, 0, Kind::Text, paramcheck::phoneNumberLimit});
            m.insert("lineEdit_csdNumber" + d, {"CSDTEL" + d, 0, Kind::Text, paramcheck::phoneNumberLimit});
            m.insert("lineEdit_url" + d, {"SETURL" + d, 0, Kind::Text, paramcheck::addressLimit});
            m.insert("spinBox_portUrl" + d, {"SETURL" + d, 1, Kind::Number, 0, paramcheck::urlPortRange});
            m.insert("spinBox_intervalUrl" + d,
                     {"SETURL" + d, 2, Kind::Interval, 0, paramcheck::intervalRange});
        }
        m.insert("spinBox_portModeServer", {"SERVER", 1, Kind::Number, 0, paramcheck::serverPortRange});
        m.insert("spinBox_timeout", {"SERVER", 2, Kind::Number, 0, paramcheck::timeoutRange});
        m.insert("spinBox_rebootInterval", {"SERVER", 3, Kind::Number, 0, paramcheck::rebootRange});
        return m;
    }();
    return map;
}

QString fieldFor(const Widget &w, const paramcheck::Step &step)
{
    switch (w.kind) {
    case Kind::Item:
        return step.text;
    case Kind::Parity:
        return records::parityLetter(step.text);
    case Kind::SimMode:
        return recordbuilder::simModeCode(step.text);
    case Kind::Priority:
        return recordbuilder::prioritySimCode(step.text);
    case Kind::Text:
        return step.text.left(w.limit);
    case Kind::Number:
        return QString::number(w.range.clamp(step.number));
    case Kind::Interval:
        return recordbuilder::intervalField(w.range.clamp(step.number));
    }
    return QString();
}

// The fields of every key, changed field by field; a key whose widgets changed is rebuilt by its handler.
class Fields
{
public:
    explicit Fields(const QStringList &recordTexts)
    {
        const QStringList &keys = records::paramsKeyList();
        for (int i = 0; i < keys.size(); ++i) {
            const QString value = records::recordValue(keys.at(i), recordTexts.value(i));
            // Telephone numbers and the password are one field, whatever they hold; so is SETCSD here.
            const bool whole = records::hasOneField(keys.at(i)) || keys.at(i) == "SETCSD";
            fields.insert(keys.at(i), whole ? QStringList{value} : records::splitFields(value));
            texts.insert(keys.at(i), recordTexts.value(i));
        }
    }

    // A widget takes a new value: its handler runs only when the value changes.
    void set(const QString &key, int field, const QString &value)
    {
        QStringList &f = fields[key];
        while (f.size() <= field)
            f.append(QString());
        if (f.at(field) != value) {
            f[field] = value;
            rebuild(key);
        }
    }
    // A handler called whatever the widget held.
    void rebuild(const QString &key)
    {
        const QStringList &f = fields[key];
        texts[key] = key == "SETCAN"
                         ? recordbuilder::canRecord(f.value(0), f.value(1), f.value(2), f.value(3))
                         : records::buildRecord(key, f);
    }
    void force(const QString &key, int field, const QString &value)
    {
        set(key, field, value);
        rebuild(key);
    }
    QString field(const QString &key, int field) const { return fields.value(key).value(field); }

    QStringList recordTexts() const
    {
        QStringList result;
        for (const QString &key : records::paramsKeyList())
            result.append(texts.value(key));
        return result;
    }

private:
    QMap<QString, QStringList> fields;
    QMap<QString, QString> texts;
};

const char *const interfaceFlags[] = {"comActive", "rsActive", "canActive"};

} // namespace

Form startup()
{
    QStringList texts{"SETCOM=300,7,N,1,0;", "SETRS=300,7,N,1,0;", "SETCAN=300,7,N,1,0;", "SETSIM1=3759,,,;",
                      "SETSIM2=3759,,,;"};
    for (const char *key : {"ADMTEL", "CSDTEL"}) {
        for (int n = 1; n <= 5; ++n)
            texts.append(QString("%1%2=;").arg(key).arg(n));
    }
    for (int n = 1; n <= 5; ++n)
        texts.append(QString("SETURL%1=,1,0;").arg(n));
    texts << "SETCONF=0,0,0,0,0,0;"
          << "SETID=0,;"
          << "SETLOG=0;"
          << "SETCSD=7,0,1;"
          << "PASSET=KVR38;"
          << "SERVER=0,1,1,1;";
    return {texts, QString()};
}

Outcome apply(const Form &before, const QMap<QString, QString> &params)
{
    Outcome out;
    Fields fields(before.recordTexts);
    QString passwordField = before.passwordField;
    const auto refuse = [&out](const QString &message) {
        if (out.refusal.isEmpty())
            out.refusal = message;
    };
    for (const paramcheck::Step &step : paramcheck::validate(params)) {
        switch (step.kind) {
        case paramcheck::Step::Log:
            break;
        case paramcheck::Step::SetCombo:
        case paramcheck::Step::SetText:
        case paramcheck::Step::SetSpin: {
            const Widget w = widgets().value(step.target);
            fields.set(w.key, w.field, fieldFor(w, step));
            break;
        }
        case paramcheck::Step::SetFlag:
            for (int i = 0; i < 3; ++i) {
                if (step.target == QLatin1String(interfaceFlags[i]))
                    fields.force("SETCONF", 3 + i, step.text);
            }
            break;
        case paramcheck::Step::SetServerMode:
            fields.force("SERVER", 0, step.text);
            break;
        case paramcheck::Step::Emit:
            if (step.target == "SETID") {
                // The switch goes out with the identifier held so far, then the identifier field takes the
                // new one, cut at its limit and cleaned like anything set into it.
                const QStringList f = records::splitFields(step.text);
                fields.force("SETID", 0, f.value(0));
                fields.set("SETID", 1,
                           fieldtext::without(f.value(1).left(paramcheck::identifierLimit),
                                              fieldtext::separators()));
            } else if (step.target == "SETLOG") {
                fields.force("SETLOG", 0, step.text);
            } else if (step.target == "SETCSD") {
                fields.set("SETCSD", 0, step.text);
            } else if (!paramcheck::passwordLengthAllowed(step.text)) {
                out.messages.append(paramcheck::passwordLengthMessage());
                refuse(out.messages.last());
            } else {
                const QString shown =
                    fieldtext::without(step.text.left(paramcheck::passwordMaxLength), QStringLiteral(";"));
                if (shown != passwordField) {
                    passwordField = shown;
                    fields.force("PASSET", 0, shown);
                }
            }
            break;
        case paramcheck::Step::Warn:
            out.messages.append(step.text);
            if (step.keepsPrevious)
                refuse(step.text);
            break;
        case paramcheck::Step::Stop:
            out.messages.append(step.text);
            refuse(step.text);
            out.stopped = true;
            break;
        }
    }
    out.form = {fields.recordTexts(), passwordField};
    return out;
}

} // namespace formrecords
