#pragma once

#include <QFile>
#include <QString>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, the folder cannot be written: its write permissions go and, for a process running as
// root (which would pass over them), so do the permission overrides of the calling thread. Both come back
// afterwards.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path) : path(path), permissions(QFile::permissions(path))
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadUser | QFile::ExeUser |
                                        QFile::ReadGroup | QFile::ExeGroup);
        if (geteuid() == 0 && syscall(SYS_capget, &header, saved) == 0) {
            __user_cap_data_struct lowered[2] = {saved[0], saved[1]};
            lowered[0].effective &=
                ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
            capsLowered = syscall(SYS_capset, &header, lowered) == 0;
        }
        QFile probe(path + "/.probe");
        active = !probe.open(QIODevice::WriteOnly);
        if (!active)
            probe.remove();
    }
    ~ReadOnlyFolder()
    {
        if (capsLowered)
            syscall(SYS_capset, &header, saved);
        QFile::setPermissions(path, permissions);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    // Whether creating a file in the folder now fails.
    bool isActive() const { return active; }

private:
    QString path;
    QFile::Permissions permissions;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{};
    bool capsLowered = false;
    bool active = false;
};
