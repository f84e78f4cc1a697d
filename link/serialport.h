#pragma once

// The link's serial port. Qt's own on Linux; on Windows, where Qt's serial-port module is not at hand, the
// project's own port over Win32 (link/windows/), with the same interface as far as the program uses it.
#include "link/serialportfwd.h"

#ifdef Q_OS_WIN
#include "link/windows/winserialport.h"
#include "link/windows/winserialportinfo.h"
#else
#include <QSerialPort>
#include <QSerialPortInfo>
#endif
