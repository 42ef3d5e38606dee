#pragma once

#include <QString>
#include <QSysInfo>

// The name a person knows this computer by, as sent with usage pings.
namespace MachineName {

inline const QString kMachineInfoPath = QStringLiteral("/etc/machine-info");

// PRETTY_HOSTNAME from the machine-info file (systemd's environment-file syntax, shell quoting
// undone); else the host name; "mac" when the computer has neither.
QString displayName(const QString &machineInfoPath = kMachineInfoPath,
                    const QString &hostName = QSysInfo::machineHostName());

} // namespace MachineName
