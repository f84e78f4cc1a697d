#pragma once

#include <QString>

// Names of files and folders made of what a modem says or a port is called: nothing a modem answers may
// become a path. The same rule serves velon-cli's --out-dir and the history's folders, on Linux and on
// Windows. Nothing here touches a widget.
namespace safename {

// The longest name made here.
constexpr int maxLength = 64;

// Whether the text is an IMEI as modems give it: 14 to 17 digits, nothing else.
bool isImei(const QString &text);

// A name made of any text: "/dev/" taken off the front, every character other than a Latin letter, a digit,
// ".", "_" or "-" (separators, control characters, spaces) becomes "_", no "..", no leading or trailing dot,
// at most maxLength characters, and never a device name Windows reserves (CON, NUL, AUX, PRN, COM0 to COM9,
// LPT0 to LPT9, with or without an extension): those get "_" after them. An empty text gives "no-port".
QString fromText(const QString &text);

// The name of a modem's file or folder: its IMEI when the text is one (spaces around it aside), else its
// port's name made safe.
QString forModem(const QString &imei, const QString &port);

// Whether the path names an entry directly inside the folder, also once a symbolic link there is followed.
bool inside(const QString &folder, const QString &path);

} // namespace safename
