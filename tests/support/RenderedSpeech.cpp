#include "support/RenderedSpeech.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <random>

using namespace Qt::StringLiterals;

bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return false;
}

bool renderSpeechFile(const QString &voice, const QString &text, const QString &path)
{
    return runTool(u"flite"_s, {u"-voice"_s, voice, u"-t"_s, text, u"-o"_s, path});
}

std::vector<float> renderSpeech(const QString &voice, const QString &text, int sampleRate)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath(u"speech.wav"_s);
    const QString raw = dir.filePath(u"speech.f32"_s);
    if (!renderSpeechFile(voice, text, wav) ||
        !runTool(u"sox"_s, {wav, u"-r"_s, QString::number(sampleRate), u"-c"_s, u"1"_s, u"-e"_s,
                            u"floating-point"_s, u"-b"_s, u"32"_s, u"-t"_s, u"raw"_s, raw}))
        return {};
    QFile file(raw);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<float> samples(std::size_t(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

bool renderConversation(const QList<SpokenLine> &lines, const QString &folder, int sampleRate,
                        const QString &output)
{
    const QString pause = folder + u"/pause.wav"_s;
    if (!runTool(u"sox"_s, {u"-n"_s, u"-r"_s, u"16000"_s, u"-c"_s, u"1"_s, u"-b"_s, u"16"_s, pause, u"trim"_s,
                            u"0"_s, u"2"_s}))
        return false;
    QStringList pieces{pause};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString spoken = folder + u"/line%1.wav"_s.arg(i);
        const QString uniform = folder + u"/line%1-16k.wav"_s.arg(i);
        if (!runTool(u"flite"_s, lines[i].options + QStringList{u"-voice"_s, lines[i].voice, u"-t"_s,
                                                                lines[i].text, u"-o"_s, spoken}) ||
            !runTool(u"sox"_s, QStringList{spoken, u"-r"_s, u"16000"_s, u"-c"_s, u"1"_s, u"-b"_s, u"16"_s,
                                           u"-e"_s, u"signed"_s, uniform}))
            return false;
        pieces << uniform << pause;
    }
    const QString joined = folder + u"/joined.wav"_s;
    // Joining can change the sample format, so the result is converted explicitly.
    return runTool(u"sox"_s, pieces + QStringList{joined}) &&
           runTool(u"sox"_s, {joined, u"-r"_s, QString::number(sampleRate), u"-c"_s, u"1"_s, u"-b"_s, u"16"_s,
                              u"-e"_s, u"signed"_s, output});
}

std::vector<float> silence(double seconds, int sampleRate, float noiseLevel)
{
    std::vector<float> samples(std::size_t(seconds * sampleRate), 0.0f);
    if (noiseLevel > 0) {
        std::mt19937 random(1);
        std::uniform_real_distribution<float> uniform(-noiseLevel, noiseLevel);
        for (float &sample : samples)
            sample = uniform(random);
    }
    return samples;
}

double wordOverlap(const QString &expected, const QString &heard)
{
    const auto words = [](const QString &text) {
        static const QRegularExpression separators(u"[^a-z']+"_s);
        const QStringList list = text.toLower().split(separators, Qt::SkipEmptyParts);
        return QSet<QString>(list.begin(), list.end());
    };
    const QSet<QString> wanted = words(expected);
    if (wanted.isEmpty())
        return 0;
    return double((wanted & words(heard)).size()) / double(wanted.size());
}
