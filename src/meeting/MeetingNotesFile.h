#pragma once

#include <QObject>
#include <QString>

class MeetingSession;

// Keeps each meeting's notes in the data folder, as Markdown in Meetings/<start time>.md: written
// once the transcript is final after a stop, and whenever write() is called (on the way out), so
// quitting mid-meeting does not lose what was said.
class MeetingNotesFile : public QObject
{
    Q_OBJECT

public:
    MeetingNotesFile(MeetingSession &session, QString dataFolder, QObject *parent = nullptr);

    // Writes the notes of the current or last meeting; nothing for a meeting without a
    // transcript. Returns the file written, or an empty string.
    QString write();
    // The file of the meeting last started; empty before any.
    QString path() const;
    // The newest notes file in `dataFolder`, or an empty string.
    static QString newest(const QString &dataFolder);

private:
    MeetingSession &m_session;
    const QString m_dataFolder;
};
