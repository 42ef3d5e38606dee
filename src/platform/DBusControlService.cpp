#include "platform/DBusControlService.h"

#include "core/TranscriptLimit.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>

const QString DBusControlService::kServiceName = u"com.korvo.Dictrava"_qs;
const QString DBusControlService::kObjectPath = u"/com/korvo/Dictrava"_qs;

namespace {

void run(const std::function<void()> &handler)
{
    if (handler)
        handler();
}

} // namespace

DBusControlService::DBusControlService(Handlers handlers, QObject *parent)
    : QObject(parent), m_handlers(std::move(handlers))
{}

DBusControlService::~DBusControlService()
{
    if (!m_registered)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(kServiceName);
    bus.unregisterObject(kObjectPath);
}

DBusControlService::Registration DBusControlService::registerOnSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Registration::NoSessionBus;
    // The object goes up before the name, so a caller who sees the name can call at once.
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots))
        return Registration::AlreadyRunning;
    if (!bus.registerService(kServiceName)) {
        bus.unregisterObject(kObjectPath);
        return Registration::AlreadyRunning;
    }
    m_registered = true;
    return Registration::Registered;
}

void DBusControlService::Activate()
{
    run(m_handlers.activate);
}

void DBusControlService::StartDictation()
{
    run(m_handlers.startDictation);
}

void DBusControlService::StopDictation()
{
    run(m_handlers.stopDictation);
}

void DBusControlService::ToggleDictation()
{
    run(m_handlers.toggleDictation);
}

void DBusControlService::ToggleDeck()
{
    run(m_handlers.toggleDeck);
}

void DBusControlService::SetVoiceMode(const QString &mode)
{
    if (m_handlers.setVoiceMode && !m_handlers.setVoiceMode(mode))
        rejectMode(mode);
}

QString DBusControlService::Process(const QString &mode, const QString &text)
{
    if (TranscriptLimit::exceeds(text)) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, TranscriptLimit::explain(text));
        return {};
    }
    const Processed processed = m_handlers.process ? m_handlers.process(mode, text) : Processed();
    if (processed.json.isEmpty()) {
        rejectMode(mode);
        return {};
    }
    if (!processed.saveFailure.isEmpty()) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::Failed, processed.saveFailure);
        return {};
    }
    return QString::fromUtf8(processed.json);
}

QString DBusControlService::Status()
{
    return m_handlers.status ? QString::fromUtf8(m_handlers.status()) : QString();
}

void DBusControlService::StartMeeting()
{
    const QString error = m_handlers.meeting ? m_handlers.meeting(u"start"_qs) : QString();
    if (!error.isEmpty() && calledFromDBus())
        sendErrorReply(QDBusError::Failed, error);
}

void DBusControlService::StopMeeting()
{
    if (m_handlers.meeting)
        m_handlers.meeting(u"stop"_qs);
}

void DBusControlService::ToggleMeetingPause()
{
    if (m_handlers.meeting)
        m_handlers.meeting(u"pause"_qs);
}

QString DBusControlService::MeetingNotes()
{
    return m_handlers.meeting ? m_handlers.meeting(u"notes"_qs) : QString();
}

QString DBusControlService::DataFolder()
{
    return m_handlers.dataFolder;
}

void DBusControlService::rejectMode(const QString &mode)
{
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs,
                       u"“"_qs + mode + u"” is not a voice mode (dictate, capture, focus, briefing)"_qs);
}
