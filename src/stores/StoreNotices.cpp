#include "stores/StoreNotices.h"

#include "core/Diagnostics.h"

#include <QList>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

// Notices from before the app listens (the stores load while it is being built); a few are
// plenty, since each store reports a file once.
constexpr qsizetype kMaximumUnseen = 32;

struct Deliveries
{
    std::mutex mutex;
    std::function<void(const StoreNotice &)> listener;
    QList<StoreNotice> unseen;
};

Deliveries &deliveries()
{
    static Deliveries instance;
    return instance;
}

} // namespace

namespace StoreNotices {

void report(const StoreNotice &notice)
{
    printDiagnostic(QStringLiteral("[Store] ") + notice.message);
    Deliveries &d = deliveries();
    std::lock_guard lock(d.mutex);
    if (d.listener)
        d.listener(notice);
    else if (d.unseen.size() < kMaximumUnseen)
        d.unseen.append(notice);
}

void setListener(std::function<void(const StoreNotice &)> listener)
{
    Deliveries &d = deliveries();
    std::lock_guard lock(d.mutex);
    d.listener = std::move(listener);
    if (!d.listener) {
        d.unseen.clear();
        return;
    }
    for (const StoreNotice &notice : std::as_const(d.unseen))
        d.listener(notice);
    d.unseen.clear();
}

QString describeData(const QString &fileName)
{
    QString name = fileName;
    if (name.endsWith(QStringLiteral(".json")))
        name.chop(5);
    return QStringLiteral("your ") + name.replace(QLatin1Char('-'), QLatin1Char(' '));
}

QString describeError(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("disk full");
    case EDQUOT:
        return QStringLiteral("disk quota exceeded");
    case EROFS:
        return QStringLiteral("the disk is read-only");
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied");
    case EFBIG:
        return QStringLiteral("the file would be too large to read back");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace StoreNotices
