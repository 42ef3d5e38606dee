// Opening the History window over a full history (500 entries): time from the request to the
// first frame on screen, resident memory the window adds, and frame times while scrolling
// through the whole list. Run on a display (xvfb-run works):
//     xvfb-run -s "-screen 0 1280x800x24" build-bench/bench/HistoryWindowBench
#include "app/AppState.h"
#include "core/Clock.h"
#include "platform/MemoryPasteboard.h"
#include "platform/NotificationCenter.h"
#include "stores/HistoryStore.h"
#include "ui/DataWindows.h"
#include "ui/DesktopShell.h"
#include "ui/ShellWindows.h"
#include "ui/SymbolImageProvider.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(DictravaPlugin)

namespace {

class SilentNotifications final : public NotificationCenter
{
public:
    void requestAuthorization() override {}
    void add(const NotificationRequest &) override {}
    void removePending(const QStringList &) override {}
};

double residentMegabytes()
{
    QFile status(u"/proc/self/statm"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.value(1).toDouble() * 4096.0 / (1024.0 * 1024.0);
}

QQuickItem *findList(QQuickItem *item)
{
    if (!item)
        return nullptr;
    if (QByteArray(item->metaObject()->className()).startsWith("QQuickListView") && item->isVisible())
        return item;
    for (QQuickItem *child : item->childItems()) {
        if (QQuickItem *list = findList(child))
            return list;
    }
    return nullptr;
}

// Waits for the next frame the window puts on screen; its time in milliseconds.
double nextFrame(QQuickWindow *window, QElapsedTimer &since)
{
    bool swapped = false;
    const QMetaObject::Connection connection =
        QObject::connect(window, &QQuickWindow::frameSwapped, window, [&swapped] { swapped = true; });
    window->update();
    while (!swapped)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QObject::disconnect(connection);
    return double(since.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(u"data"_qs).toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(u"config"_qs).toUtf8());
    QApplication app(argc, argv);
    DesktopShell::prepareGraphics();

    SystemClock clock;
    QSettings settings(home.filePath(u"Dictrava.conf"_qs), QSettings::IniFormat);
    settings.setValue(u"usageEnabled"_qs, false);
    SilentNotifications notifications;
    AppServices services;
    services.notifications = &notifications;
    AppState state(settings, clock, services, home.filePath(u"data/Dictrava"_qs));
    for (int i = 0; i < HistoryStore::kCapacity; ++i)
        state.historyStore().add(u"Dictation number %1: please send the quarterly report to the finance "
                                 u"team before the review on Thursday, and copy Sam."_qs.arg(i + 1));

    MemoryPasteboard pasteboard;
    QQmlEngine engine;
    engine.addImportPath(u"qrc:/"_qs);
    SymbolImageProvider::installOn(engine);
    DataWindows windows(state, pasteboard, engine);
    ShellWindows shell;
    windows.registerWith(shell);

    // The app has the engine and the controls loaded before anyone opens History: warm both with
    // the settings window, closed again.
    shell.open(u"settings"_qs);
    if (!QTest::qWaitForWindowExposed(shell.window(u"settings"_qs))) {
        std::fprintf(stderr, "the settings window did not appear\n");
        return 1;
    }
    shell.window(u"settings"_qs)->close();
    QTest::qWait(200);

    const double before = residentMegabytes();
    QElapsedTimer timer;
    timer.start();
    shell.open(u"history"_qs);
    auto *view = qobject_cast<QQuickView *>(shell.window(u"history"_qs));
    bool firstFrame = false;
    QObject::connect(view, &QQuickWindow::frameSwapped, view, [&firstFrame] { firstFrame = true; });
    while (!firstFrame)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double toFirstFrame = double(timer.nsecsElapsed()) / 1e6;
    QTest::qWait(500);
    const double added = residentMegabytes() - before;

    // Scroll from top to bottom, a third of the window per frame, timing each frame.
    QQuickItem *list = findList(view->rootObject());
    QList<double> frames;
    if (list) {
        const double end = list->property("contentHeight").toDouble();
        for (double y = 0; y < end; y += view->height() / 3.0) {
            list->setProperty("contentY", y);
            QElapsedTimer frame;
            frame.start();
            frames << nextFrame(view, frame);
        }
    }
    std::sort(frames.begin(), frames.end());
    const auto percentile = [&frames](double p) {
        return frames.isEmpty()
                   ? 0.0
                   : frames.at(std::min<qsizetype>(frames.size() - 1, qsizetype(p * frames.size())));
    };

    std::printf("History window, %d entries (%s)\n", int(state.historyStore().entries().size()),
                qPrintable(QGuiApplication::platformName()));
    std::printf("  time to first frame: %.1f ms (goal <= 150)\n", toFirstFrame);
    std::printf("  resident memory added: %.1f MB (goal <= 20)\n", added);
    std::printf("  scrolling: %d frames, p50 %.1f ms, p95 %.1f ms, max %.1f ms\n", int(frames.size()),
                percentile(0.5), percentile(0.95), frames.isEmpty() ? 0.0 : frames.last());
    return 0;
}
