#pragma once

#include <QtGlobal>

// Names the link's port types without their headers (link/serialport.h has them).
#ifdef Q_OS_WIN
class WinSerialPort;
class WinSerialPortInfo;
using SerialPort = WinSerialPort;
using SerialPortInfo = WinSerialPortInfo;
#else
class QSerialPort;
class QSerialPortInfo;
using SerialPort = QSerialPort;
using SerialPortInfo = QSerialPortInfo;
#endif
