#include "support/UnprivilegedUser.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <unistd.h>

uint unprivilegedUserId()
{
    if (geteuid() != 0)
        return geteuid();
    uint uid = 47000;
    while (getpwuid(uid))
        ++uid;
    return uid;
}

QStringList userLookupEnvironment(const QString &folder)
{
    const uint uid = unprivilegedUserId();
    if (uid == geteuid())
        return {};
    const QString id = QString::number(uid);
    const QString passwd = QDir(folder).filePath(u"passwd"_qs);
    const QString group = QDir(folder).filePath(u"group"_qs);
    QFile passwdFile(passwd);
    QFile groupFile(group);
    if (!passwdFile.open(QIODevice::WriteOnly) || !groupFile.open(QIODevice::WriteOnly))
        return {};
    passwdFile.write("root:x:0:0:root:/root:/bin/sh\ndictrava-test:x:" + id.toUtf8() + ':' + id.toUtf8() +
                     ":Dictrava test:/nonexistent:/bin/sh\n");
    groupFile.write("root:x:0:\ndictrava-test:x:" + id.toUtf8() + ":\n");
    return {u"LD_PRELOAD=libnss_wrapper.so"_qs, u"NSS_WRAPPER_PASSWD="_qs + passwd,
            u"NSS_WRAPPER_GROUP="_qs + group};
}
