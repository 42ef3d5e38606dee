#include "app/DesktopPermissions.h"

#include "platform/PulseAudioInput.h"
#include "platform/SpeechModel.h"

#include <QLocale>
#include <QThreadPool>

DesktopPermissions::DesktopPermissions(QString soundServer, std::function<bool(bool)> accessibility)
    : m_soundServer(std::move(soundServer)), m_accessibility(std::move(accessibility))
{}

void DesktopPermissions::requestMicrophone(std::function<void(bool)> answer)
{
    QThreadPool::globalInstance()->start([server = m_soundServer, answer = std::move(answer)] {
        answer(PulseAudioInput::hasCaptureSource(server));
    });
}

void DesktopPermissions::requestSpeech(std::function<void(bool)> answer)
{
    answer(isSpeechRecognitionAvailable(QLocale::system().name()));
}

bool DesktopPermissions::isAccessibilityTrusted(bool prompt)
{
    return m_accessibility && m_accessibility(prompt);
}
