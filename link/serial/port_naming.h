#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "link/serial/serial_types.h"

/// How "COM 1" to "COM 4" find their device. On Windows they are the system's COM1 to COM4.
/// Elsewhere COM n is the device named by the environment variable VXM90_COMn when it is set
/// and not empty, otherwise the n-th serial port the system lists (see orderSerialPorts).
/// All functions may be called from any thread; the system ones enumerate ports on each call.

/// Reads an environment variable; empty when unset.
using EnvironmentLookup = std::function<QString(const QString& name)>;

/// Names the device behind a port number (empty: no device bound).
using ComPortDeviceResolver = std::function<QString(TComPortNumber port)>;

/// The system's serial ports (device paths such as "/dev/ttyS0") in the order COM n takes
/// them: USB serial adapters (ttyUSB*, ttyACM*) first, then the rest; each group by name, a
/// trailing number compared as a number (ttyS2 before ttyS10).
QStringList orderSerialPorts(QStringList devicePaths);

/// The device bound to COM portNumber (1 to 4): the variable VXM90_COM<portNumber> from env,
/// else entry portNumber of orderSerialPorts(systemPorts); empty when neither exists.
QString comPortDevice(int portNumber, const EnvironmentLookup& env, const QStringList& systemPorts);

/// The program's resolver: reads the four VXM90_COMn variables from env once, at this call,
/// and resolves each port from them and the serial ports the system lists at that moment.
ComPortDeviceResolver systemComPortResolver(const EnvironmentLookup& env);

/// The tooltip of a port panel: "COM 1: /dev/ttyUSB0" or "COM 1: no serial port present".
QString comPortToolTip(int portNumber, const QString& device);
