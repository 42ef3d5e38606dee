#include "ui/MeetingViewModel.h"

#include "core/Text.h"
#include "meeting/MeetingSession.h"
#include "meeting/SpeakerDiarizer.h"
#include "ui/MeetingTranscriptModel.h"

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

using namespace Qt::StringLiterals;

MeetingViewModel::MeetingViewModel(MeetingSession &session, QObject *parent)
    : QObject(parent), m_session(session), m_transcript(new MeetingTranscriptModel(session, this))
{
    for (const auto signal :
         {&MeetingSession::isRunningChanged, &MeetingSession::isPausedChanged,
          &MeetingSession::segmentsChanged, &MeetingSession::speakerNamesChanged,
          &MeetingSession::liveTextChanged, &MeetingSession::errorMessageChanged,
          &MeetingSession::pendingEnrollmentNameChanged, &MeetingSession::enrollmentHintChanged})
        connect(&m_session, signal, this, &MeetingViewModel::changed);
    connect(&m_session, &MeetingSession::audioLevelChanged, this, &MeetingViewModel::levelChanged);
    connect(&m_session, &MeetingSession::startedAtChanged, this, &MeetingViewModel::elapsedChanged);
    // The elapsed time redraws once a second.
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &MeetingViewModel::elapsedChanged);
    m_tick.start();
}

bool MeetingViewModel::isRunning() const
{
    return m_session.isRunning();
}

float MeetingViewModel::audioLevel() const
{
    return m_session.audioLevel();
}

QString MeetingViewModel::elapsedText() const
{
    return m_session.elapsedDescription();
}

QString MeetingViewModel::wordCountText() const
{
    return QString::number(m_session.wordCount()) + u" words"_s;
}

QStringList MeetingViewModel::speakerNames() const
{
    return m_session.speakerNames();
}

QString MeetingViewModel::pauseButtonText() const
{
    return m_session.isPaused() ? u"Resume"_s : u"Pause"_s;
}

QString MeetingViewModel::pauseButtonSymbol() const
{
    return m_session.isPaused() ? u"play.circle.fill"_s : u"pause.circle.fill"_s;
}

QString MeetingViewModel::primaryButtonText() const
{
    return m_session.isRunning() ? u"End meeting"_s : u"Start meeting"_s;
}

QString MeetingViewModel::primaryButtonSymbol() const
{
    return m_session.isRunning() ? u"stop.circle.fill"_s : u"record.circle"_s;
}

void MeetingViewModel::setEnrollName(const QString &name)
{
    if (m_enrollName == name)
        return;
    m_enrollName = name;
    emit changed();
}

bool MeetingViewModel::canMapVoice() const
{
    if (Text::trimmed(m_enrollName).isEmpty())
        return false;
    return m_session.speakerNames().size() < SpeakerDiarizer::maxSpeakers ||
           !m_session.pendingEnrollmentName().isEmpty();
}

bool MeetingViewModel::showsCancel() const
{
    return !m_session.pendingEnrollmentName().isEmpty();
}

QString MeetingViewModel::hintText() const
{
    if (!hintIsTip())
        return m_session.enrollmentHint();
    return u"Tip: type a name, click Map voice, then have that person speak. Or say “Hi, my name is …” live."_s;
}

bool MeetingViewModel::hintIsTip() const
{
    return m_session.enrollmentHint().isEmpty();
}

bool MeetingViewModel::showsEmptyState() const
{
    return m_session.segments().isEmpty() && !m_session.isRunning();
}

QString MeetingViewModel::liveText() const
{
    return m_session.liveText();
}

QString MeetingViewModel::footerText() const
{
    if (footerIsError())
        return m_session.errorMessage();
    const qsizetype items = m_session.actionItems().size();
    if (items == 0)
        return {};
    return QString::number(items) + (items == 1 ? u" action item detected"_s : u" action items detected"_s);
}

bool MeetingViewModel::footerIsError() const
{
    return !m_session.errorMessage().isEmpty();
}

bool MeetingViewModel::canCopyNotes() const
{
    return !m_session.segments().isEmpty();
}

void MeetingViewModel::toggleRunning()
{
    if (m_session.isRunning())
        m_session.stop();
    else
        m_session.start();
}

void MeetingViewModel::togglePause()
{
    m_session.togglePause();
}

void MeetingViewModel::mapVoice()
{
    if (!canMapVoice())
        return;
    m_session.beginEnrollment(m_enrollName);
    setEnrollName({});
}

void MeetingViewModel::cancelCheckIn()
{
    m_session.cancelEnrollment();
}

void MeetingViewModel::clearRoster()
{
    m_session.clearRoster();
}

QString MeetingViewModel::renameText(int index) const
{
    return m_renameDrafts.value(index, m_session.speakerNames().value(index));
}

void MeetingViewModel::setRenameDraft(int index, const QString &text)
{
    m_renameDrafts.insert(index, text);
}

void MeetingViewModel::saveRename(int index)
{
    m_session.renameSpeaker(index, renameText(index));
}

void MeetingViewModel::copyNotes()
{
    if (canCopyNotes())
        m_session.copyMarkdown();
}

bool MeetingViewModel::saveNotes(const QUrl &file)
{
    if (!file.isLocalFile())
        return false;
    QSaveFile out(file.toLocalFile());
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(m_session.exportMarkdown().toUtf8());
    return out.commit();
}

QString MeetingViewModel::notesFileName() const
{
    return u"Meeting notes "_s + m_session.startedAt().toLocalTime().toString(u"yyyy-MM-dd HH-mm"_s) +
           u".md"_s;
}

void MeetingViewModel::saveNotesAs()
{
    const QString path = QFileDialog::getSaveFileName(
        nullptr, u"Save notes"_s, QDir::home().filePath(notesFileName()), u"Markdown (*.md)"_s);
    if (!path.isEmpty())
        saveNotes(QUrl::fromLocalFile(path));
}
