#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>

#include <functional>

// The app's control interface on the session bus (com.korvo.Dictrava at /com/korvo/Dictrava):
// how a second launch hands over to the first, and how a desktop or compositor key binding, or
// dictrava-cli, drives the running app.
class DBusControlService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.korvo.Dictrava")

public:
    static const QString kServiceName;
    static const QString kObjectPath;

    // What Process gives back: the result as JSON (empty when the mode is not one of the voice
    // modes), and why the records it made are not on disk, when they are not.
    struct Processed
    {
        QByteArray json;
        QString saveFailure;
    };

    // What each call does; an unset handler makes the call a no-op.
    struct Handlers
    {
        std::function<void()> activate;
        std::function<void()> startDictation;
        std::function<void()> stopDictation;
        std::function<void()> toggleDictation;
        std::function<void()> toggleDeck;
        // False when the mode is not one of the voice modes.
        std::function<bool(const QString &mode)> setVoiceMode;
        // Answers only once what it stored is on disk.
        std::function<Processed(const QString &mode, const QString &text)> process;
        // "start", "stop", "pause" (pause or resume) or "notes" for the meeting. Answers the
        // notes' Markdown for "notes", and why the meeting did not start for "start".
        std::function<QString(const QString &action)> meeting;
        // What the app is doing, as JSON, for status bars and scripts.
        std::function<QByteArray()> status;
        QString dataFolder;
    };

    enum class Registration { Registered, AlreadyRunning, NoSessionBus };

    explicit DBusControlService(Handlers handlers, QObject *parent = nullptr);
    ~DBusControlService() override;

    // Exports the object and takes the bus name. Another owner of the name means another
    // instance of the app is running.
    Registration registerOnSessionBus();

public slots:
    Q_SCRIPTABLE void Activate();
    Q_SCRIPTABLE void StartDictation();
    Q_SCRIPTABLE void StopDictation();
    Q_SCRIPTABLE void ToggleDictation();
    Q_SCRIPTABLE void ToggleDeck();
    Q_SCRIPTABLE void SetVoiceMode(const QString &mode);
    // Texts over the transcript limit are refused with InvalidArgs; a save that failed is an error.
    Q_SCRIPTABLE QString Process(const QString &mode, const QString &text);
    Q_SCRIPTABLE QString Status();
    Q_SCRIPTABLE void StartMeeting();
    Q_SCRIPTABLE void StopMeeting();
    // Pauses a running meeting, or resumes a paused one.
    Q_SCRIPTABLE void ToggleMeetingPause();
    // The Markdown notes of the running or last meeting.
    Q_SCRIPTABLE QString MeetingNotes();
    // The folder whose data files this instance writes.
    Q_SCRIPTABLE QString DataFolder();

private:
    void rejectMode(const QString &mode);

    Handlers m_handlers;
    bool m_registered = false;
};
