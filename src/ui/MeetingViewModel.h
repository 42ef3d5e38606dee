#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class MeetingSession;
class MeetingTranscriptModel;

// What the Meeting window shows and does, over the app's one meeting session. Every text the
// window shows is made here; the QML only lays it out. Closing the window does not stop the
// meeting: this object only reads and drives the session.
class MeetingViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made for the Meeting window")
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY changed)
    Q_PROPERTY(float audioLevel READ audioLevel NOTIFY levelChanged)
    Q_PROPERTY(QString elapsedText READ elapsedText NOTIFY elapsedChanged)
    Q_PROPERTY(QString wordCountText READ wordCountText NOTIFY changed)
    Q_PROPERTY(QStringList speakerNames READ speakerNames NOTIFY changed)
    Q_PROPERTY(QString pauseButtonText READ pauseButtonText NOTIFY changed)
    Q_PROPERTY(QString pauseButtonSymbol READ pauseButtonSymbol NOTIFY changed)
    Q_PROPERTY(QString primaryButtonText READ primaryButtonText NOTIFY changed)
    Q_PROPERTY(QString primaryButtonSymbol READ primaryButtonSymbol NOTIFY changed)
    Q_PROPERTY(QString enrollName READ enrollName WRITE setEnrollName NOTIFY changed)
    Q_PROPERTY(bool canMapVoice READ canMapVoice NOTIFY changed)
    Q_PROPERTY(bool showsCancel READ showsCancel NOTIFY changed)
    Q_PROPERTY(QString hintText READ hintText NOTIFY changed)
    Q_PROPERTY(bool hintIsTip READ hintIsTip NOTIFY changed)
    Q_PROPERTY(bool showsEmptyState READ showsEmptyState NOTIFY changed)
    Q_PROPERTY(QString liveText READ liveText NOTIFY changed)
    Q_PROPERTY(QString footerText READ footerText NOTIFY changed)
    Q_PROPERTY(bool footerIsError READ footerIsError NOTIFY changed)
    Q_PROPERTY(bool canCopyNotes READ canCopyNotes NOTIFY changed)
    Q_PROPERTY(MeetingTranscriptModel *transcript READ transcript CONSTANT)

public:
    explicit MeetingViewModel(MeetingSession &session, QObject *parent = nullptr);

    bool isRunning() const;
    float audioLevel() const;
    QString elapsedText() const;
    QString wordCountText() const;
    QStringList speakerNames() const;
    QString pauseButtonText() const;
    QString pauseButtonSymbol() const;
    QString primaryButtonText() const;
    QString primaryButtonSymbol() const;
    const QString &enrollName() const { return m_enrollName; }
    void setEnrollName(const QString &name);
    bool canMapVoice() const;
    bool showsCancel() const;
    QString hintText() const;
    bool hintIsTip() const;
    bool showsEmptyState() const;
    QString liveText() const;
    QString footerText() const;
    bool footerIsError() const;
    bool canCopyNotes() const;
    MeetingTranscriptModel *transcript() const { return m_transcript; }

    // Start meeting / End meeting.
    Q_INVOKABLE void toggleRunning();
    Q_INVOKABLE void togglePause();
    Q_INVOKABLE void mapVoice();
    Q_INVOKABLE void cancelCheckIn();
    Q_INVOKABLE void clearRoster();
    // The rename field of voice `index`: what was typed there, else the voice's label.
    Q_INVOKABLE QString renameText(int index) const;
    Q_INVOKABLE void setRenameDraft(int index, const QString &text);
    Q_INVOKABLE void saveRename(int index);
    Q_INVOKABLE void copyNotes();
    // Writes the notes as Markdown to a local file; false when it could not be written.
    Q_INVOKABLE bool saveNotes(const QUrl &file);
    // "Save notes…": asks where, then saves.
    Q_INVOKABLE void saveNotesAs();
    // The suggested file name for "Save notes…".
    QString notesFileName() const;

signals:
    void changed();
    void levelChanged();
    void elapsedChanged();

private:
    MeetingSession &m_session;
    MeetingTranscriptModel *m_transcript;
    QString m_enrollName;
    QHash<int, QString> m_renameDrafts; // typed rename texts are kept
    QTimer m_tick;
};
