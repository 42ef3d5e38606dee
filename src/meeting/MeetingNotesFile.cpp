#include "meeting/MeetingNotesFile.h"

#include "meeting/MeetingSession.h"
#include "stores/DataFolder.h"

#include <QDir>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace {

QString meetingsFolder(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(u"Meetings"_s);
}

} // namespace

MeetingNotesFile::MeetingNotesFile(MeetingSession &session, QString dataFolder, QObject *parent)
    : QObject(parent), m_session(session), m_dataFolder(std::move(dataFolder))
{
    connect(&m_session, &MeetingSession::finishedProcessing, this, [this] { write(); });
}

QString MeetingNotesFile::path() const
{
    const QDateTime started = m_session.startedAt();
    if (!started.isValid())
        return {};
    // Sortable, and free of characters some file systems refuse.
    return QDir(meetingsFolder(m_dataFolder))
        .filePath(started.toLocalTime().toString(u"yyyy-MM-dd HH-mm-ss"_s) + u".md"_s);
}

QString MeetingNotesFile::write()
{
    const QString file = path();
    if (file.isEmpty() || m_session.segments().isEmpty())
        return {};
    if (!DataFolder::ensureExists(m_dataFolder) || !QDir().mkpath(meetingsFolder(m_dataFolder)))
        return {};
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    out.write(m_session.exportMarkdown().toUtf8());
    return out.commit() ? file : QString();
}

QString MeetingNotesFile::newest(const QString &dataFolder)
{
    const QStringList files =
        QDir(meetingsFolder(dataFolder)).entryList({u"*.md"_s}, QDir::Files, QDir::Name | QDir::Reversed);
    return files.isEmpty() ? QString() : QDir(meetingsFolder(dataFolder)).filePath(files.first());
}
