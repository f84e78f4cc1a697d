#pragma once

#include <QList>
#include <QString>

// The serial ports Windows lists, with the part of QSerialPortInfo's interface the program uses. The names
// come from the system's map of serial devices, in COM-number order; description, maker and serial number
// from the device's own entry where the system has one.
class WinSerialPortInfo
{
public:
    WinSerialPortInfo() = default;
    // The port of that name as the system lists it, or one that only carries the name.
    explicit WinSerialPortInfo(const QString &name);

    static QList<WinSerialPortInfo> availablePorts();
    // Windows has a device of that name now: it opens, or is held by a program (opening it with no access
    // asked does not change its lines). An unplugged adapter's port answers "not found".
    static bool deviceExists(const QString &portName);

    QString portName() const { return name; }
    // The name Windows users know the port by ("COM3"): the port class adds the device prefix itself.
    QString systemLocation() const { return name; }
    QString description() const { return descriptionText; }
    QString manufacturer() const { return manufacturerText; }
    QString serialNumber() const { return serialNumberText; }
    bool isNull() const { return name.isEmpty(); }

    // The number of "COM12" (12); 0 for a name without one. Orders the list.
    static int comNumber(const QString &name);
    // The serial number inside a device instance id ("USB\VID_0403&PID_6001\A50285BI" gives "A50285BI");
    // empty where the last part is made up by Windows (it holds "&").
    static QString serialFromInstanceId(const QString &instanceId);

private:
    QString name;
    QString descriptionText;
    QString manufacturerText;
    QString serialNumberText;
};
