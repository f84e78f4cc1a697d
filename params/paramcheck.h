#pragma once

#include <QMap>
#include <QString>
#include <QVector>

// The validation of a parameter set as a plan: the checks of the 26 keys, in their fixed order, turned into
// the steps the main window carries out one after another (set a widget, warn, stop, hand a value to the
// settings window). The checks need no widget: the combo boxes hold the fixed value lists.
namespace paramcheck {

struct Step
{
    enum Kind {
        Log,           // target: label, text: what it shows (developer diagnostics)
        SetCombo,      // target: combo box object name, text: item to make current
        SetText,       // target: line edit object name, text: new text
        SetSpin,       // target: spin box object name, number: new value
        SetFlag,       // target: "comActive", "rsActive" or "canActive", text: "0" or "1"
        SetServerMode, // text: "0" (client) or "1" (server)
        Emit,          // target: "SETID", "SETLOG", "SETCSD" or "PASSET", text: the value
        Warn,          // text: message; the validation goes on
        Stop           // text: message; the validation ends here
    };
    Kind kind = Log;
    QString target;
    QString text;
    int number = 0;
    // For a Warn: the value is not taken and its widget keeps what it held before.
    bool keepsPrevious = false;
};

// The steps for a parsed set; when a check fails hard, the last step is its Stop.
QVector<Step> validate(const QMap<QString, QString> &params);

// Decimal conversion where a range is checked or a spin box is set: text that is no number gives 0.
int toNumber(const QString &text);

// The messages of a plan, warnings and the stop, in order.
QStringList messages(const QVector<Step> &steps);

// Length limits of the fields a line edit shows.
constexpr int phoneNumberLimit = 12;
constexpr int pinLimit = 4;
constexpr int gprsFieldLimit = 32;
constexpr int identifierLimit = 100;
// A server address has no limit of its own, only the line edit's.
constexpr int addressLimit = 32767;

// What a spin box takes; it brings any number into its range.
struct Range
{
    int low, high;
    constexpr int clamp(int n) const { return n < low ? low : n > high ? high : n; }
    constexpr bool contains(int n) const { return n >= low && n <= high; }
};
constexpr Range urlPortRange{1, 65535};
constexpr Range intervalRange{0, 1440};
constexpr Range serverPortRange{1, 65535};
constexpr Range timeoutRange{1, 60};
constexpr Range rebootRange{1, 168};

// The settings password the settings window takes from a read or a load: 4 to 7 characters. A password
// of another length is refused with passwordLengthMessage() and the previous one is kept.
constexpr int passwordMinLength = 4;
constexpr int passwordMaxLength = 7;
bool passwordLengthAllowed(const QString &password);
QString passwordLengthMessage();

} // namespace paramcheck
