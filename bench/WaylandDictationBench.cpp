// Key release to text in the field on a headless sway, run by hand (bench/run.sh):
//   WaylandDictationBench [runs]
// The app runs natively on Wayland with the README's sway bindings; Right Alt is held on a virtual
// keyboard while flite speech plays into a private PulseAudio microphone, and the time from the
// release to the field showing text is measured over the runs (p50, p95).
#include "platform/WaylandConnection.h"
#include "platform/WaylandVirtualKeyboard.h"
#include "support/IsolatedHome.h"
#include "support/PrivatePulseServer.h"
#include "support/PrivateSessionBus.h"
#include "support/PrivateWaylandCompositor.h"
#include "support/RenderedSpeech.h"
#include "support/WaylandTextField.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

constexpr uint32_t keyRightAlt = 100;

const QStringList sentences{
    u"please send the quarterly report to the finance team"_qs,
    u"the meeting starts at ten in the main conference room"_qs,
    u"remember to water the plants before you leave"_qs,
    u"call the dentist and book an appointment for friday"_qs,
    u"buy milk bread and eggs on the way home"_qs,
};

double percentile(QList<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, qsizetype(p / 100 * double(values.size() - 1) + 0.5))];
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QTest::qWait(2);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    const QString cli = QStringLiteral(DICTRAVA_CLI);

    IsolatedHome home;
    PrivateSessionBus bus(PrivateSessionBus::Access::EveryUser);
    QProcessEnvironment busVariables;
    busVariables.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, bus.address());
    PrivateWaylandCompositor sway({u"bindcode --no-repeat 108 exec "_qs + cli + u" ptt start"_qs,
                                   u"bindcode --release 108 exec "_qs + cli + u" ptt stop"_qs,
                                   u"for_window [app_id=\"^dictrava$\"] floating enable"_qs,
                                   u"no_focus [app_id=\"^dictrava$\"]"_qs},
                                  busVariables);
    PrivatePulseServer pulse;
    if (!sway.isRunning() || !bus.isRunning() || !pulse.isRunning()) {
        std::fprintf(stderr, "cannot run: %s\n",
                     qPrintable(sway.errorString() + bus.errorString() + pulse.errorString()));
        return 1;
    }
    QProcessEnvironment environment = sway.environment();
    environment.insert(u"PULSE_SERVER"_qs, pulse.serverAddress());
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, bus.address());

    QProcess dictrava;
    dictrava.setProcessEnvironment(environment);
    dictrava.start(QStringLiteral(DICTRAVA_APP), {});
    QByteArray output;
    if (!waitFor([&] { return (output += dictrava.readAllStandardOutput()).contains("[Shell] Ready"); },
                 20000)) {
        std::fprintf(stderr, "the app did not start\n");
        return 1;
    }
    WaylandTextField field(environment);
    const std::unique_ptr<WaylandConnection> connection = WaylandConnection::open(sway.socket());
    const std::unique_ptr<WaylandVirtualKeyboard> keyboard =
        connection ? WaylandVirtualKeyboard::create(*connection) : nullptr;
    if (!keyboard || !waitFor([&] { return field.wasFocused(); }, 15000)) {
        std::fprintf(stderr, "no keyboard or no focused field\n");
        return 1;
    }
    QTemporaryDir files;
    QStringList speech;
    for (const QString &sentence : sentences) {
        speech.append(files.filePath(QString::number(speech.size()) + u".wav"_qs));
        renderSpeechFile(u"slt"_qs, sentence, speech.last());
    }
    QTest::qWait(5000); // the speech model loads in the background

    const auto dictating = [&] {
        QProcess status;
        status.setProcessEnvironment(environment);
        status.start(cli, {u"status"_qs});
        status.waitForFinished(10000);
        return QJsonDocument::fromJson(status.readAllStandardOutput())
            .object()
            .value(u"isDictating"_qs)
            .toBool();
    };
    QList<double> latencies;
    int missed = 0;
    for (int n = 0; n < runs; ++n) {
        field.clear();
        keyboard->sendKey(keyRightAlt, true);
        waitFor(dictating, 10000);
        pulse.feedFile(speech[n % speech.size()]);
        pulse.feedSilence(0.4);
        pulse.waitUntilFed();
        QElapsedTimer released;
        released.start();
        keyboard->sendKey(keyRightAlt, false);
        if (waitFor([&] { return !field.text().isEmpty(); }, 10000))
            latencies.append(double(released.nsecsElapsed()) / 1e6);
        else
            ++missed;
        QTest::qWait(600); // the clipboard restore
    }
    dictrava.terminate();
    dictrava.waitForFinished(5000);
    if (latencies.isEmpty()) {
        std::fprintf(stderr, "no text arrived\n");
        return 1;
    }
    std::printf(
        "key release to text in the field on sway over %lld runs: p50 %.0f ms, p95 %.0f ms (no text: %d)\n",
        qlonglong(latencies.size()), percentile(latencies, 50), percentile(latencies, 95), missed);
    return 0;
}
