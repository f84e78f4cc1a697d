#include "link/windows/winserialportinfo.h"

#include <QMap>
#include <QRegularExpression>

#include <algorithm>

#include <windows.h>
// After windows.h.
#include <devguid.h>
#include <setupapi.h>

namespace {

QString registryText(HKEY key, const wchar_t *value)
{
    wchar_t buffer[256];
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return QString();
    buffer[size / sizeof(wchar_t)] = 0;
    return QString::fromWCharArray(buffer);
}

QString deviceProperty(HDEVINFO set, SP_DEVINFO_DATA *device, DWORD property)
{
    wchar_t buffer[256] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, device, property, nullptr, reinterpret_cast<BYTE *>(buffer),
                                           sizeof buffer - sizeof(wchar_t), nullptr))
        return QString();
    return QString::fromWCharArray(buffer);
}

// Every COM name of the system's serial device map.
QStringList mappedNames()
{
    QStringList names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[256];
        DWORD nameSize = 255;
        wchar_t data[256];
        DWORD dataSize = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, i, valueName, &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE *>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataSize / sizeof(wchar_t)] = 0;
        const QString name = QString::fromWCharArray(data).trimmed();
        if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    RegCloseKey(key);
    return names;
}

} // namespace

WinSerialPortInfo::WinSerialPortInfo(const QString &portName)
{
    QString plain = portName;
    if (plain.startsWith(QLatin1String("\\\\.\\")))
        plain = plain.mid(4);
    for (const WinSerialPortInfo &info : availablePorts()) {
        if (info.name.compare(plain, Qt::CaseInsensitive) == 0) {
            *this = info;
            return;
        }
    }
    name = plain;
}

bool WinSerialPortInfo::deviceExists(const QString &portName)
{
    const std::wstring path = (QStringLiteral("\\\\.\\") + portName).toStdWString();
    HANDLE device =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device != INVALID_HANDLE_VALUE) {
        CloseHandle(device);
        return true;
    }
    const DWORD code = GetLastError();
    return code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND;
}

int WinSerialPortInfo::comNumber(const QString &portName)
{
    static const QRegularExpression com(QStringLiteral("^COM([0-9]+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(portName);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString WinSerialPortInfo::serialFromInstanceId(const QString &instanceId)
{
    const int slash = instanceId.lastIndexOf('\\');
    if (slash < 0)
        return QString();
    const QString last = instanceId.mid(slash + 1);
    return last.contains('&') ? QString() : last;
}

QList<WinSerialPortInfo> WinSerialPortInfo::availablePorts()
{
    // The devices of the ports class, by the COM name each was given.
    QMap<QString, WinSerialPortInfo> devices;
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set != INVALID_HANDLE_VALUE) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
            HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
            if (key == INVALID_HANDLE_VALUE)
                continue;
            WinSerialPortInfo info;
            info.name = registryText(key, L"PortName");
            RegCloseKey(key);
            if (info.name.isEmpty())
                continue;
            info.descriptionText = deviceProperty(set, &device, SPDRP_FRIENDLYNAME);
            if (info.descriptionText.isEmpty())
                info.descriptionText = deviceProperty(set, &device, SPDRP_DEVICEDESC);
            info.manufacturerText = deviceProperty(set, &device, SPDRP_MFG);
            wchar_t instance[512] = {};
            if (SetupDiGetDeviceInstanceIdW(set, &device, instance, 511, nullptr))
                info.serialNumberText = serialFromInstanceId(QString::fromWCharArray(instance));
            devices.insert(info.name.toUpper(), info);
        }
        SetupDiDestroyDeviceInfoList(set);
    }

    QList<WinSerialPortInfo> ports;
    QStringList names = mappedNames();
    for (const QString &name : devices.keys()) {
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(devices.value(name).name);
    }
    for (const QString &name : names) {
        WinSerialPortInfo info = devices.value(name.toUpper());
        info.name = name;
        ports.append(info);
    }
    std::stable_sort(ports.begin(), ports.end(), [](const WinSerialPortInfo &a, const WinSerialPortInfo &b) {
        return comNumber(a.name) < comNumber(b.name);
    });
    return ports;
}
