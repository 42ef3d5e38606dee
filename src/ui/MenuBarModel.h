#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class AppState;
class ShellWindows;

// One clickable row of the menu-bar panel.
struct MenuBarRow
{
    QString action; // the id passed to MenuBarModel::trigger()
    QString title;
    QString symbol;

    bool operator==(const MenuBarRow &) const = default;
};

// What the menu-bar panel shows, read from the app state each time it publishes a change (and
// when the panel opens); the focus coach and task store are read at that moment only. Also runs
// the rows' actions.
class MenuBarModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the menu-bar panel")
    Q_PROPERTY(bool isDictating READ isDictating NOTIFY changed)
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY changed)
    Q_PROPERTY(QString listeningHint READ listeningHint NOTIFY changed)
    Q_PROPERTY(QString liveTranscript READ liveTranscript NOTIFY changed)
    Q_PROPERTY(bool showsLiveBox READ showsLiveBox NOTIFY changed)
    Q_PROPERTY(QString lastResult READ lastResult NOTIFY changed)
    Q_PROPERTY(QString lastResultLabel READ lastResultLabel NOTIFY changed)
    Q_PROPERTY(bool showsLastResultBox READ showsLastResultBox NOTIFY changed)
    Q_PROPERTY(bool showsAccessibilityWarning READ showsAccessibilityWarning NOTIFY changed)
    Q_PROPERTY(QString accessibilityWarning READ accessibilityWarning CONSTANT)
    Q_PROPERTY(QVariantList rows READ rowsForViews NOTIFY changed)
    Q_PROPERTY(QVariantMap quitRow READ quitRowForViews CONSTANT)
    Q_PROPERTY(double audioLevel READ audioLevel NOTIFY audioLevelChanged)
    Q_PROPERTY(bool waveRunning READ waveRunning NOTIFY waveRunningChanged)

public:
    MenuBarModel(AppState &app, ShellWindows &windows, QObject *parent = nullptr);

    bool isDictating() const { return m_isDictating; }
    const QString &statusMessage() const { return m_statusMessage; }
    const QString &listeningHint() const { return m_listeningHint; }
    const QString &liveTranscript() const { return m_liveTranscript; }
    bool showsLiveBox() const { return m_isDictating && !m_liveTranscript.isEmpty(); }
    const QString &lastResult() const { return m_lastResult; }
    const QString &lastResultLabel() const { return m_lastResultLabel; }
    bool showsLastResultBox() const { return !showsLiveBox() && !m_lastResult.isEmpty(); }
    bool showsAccessibilityWarning() const { return m_showsAccessibilityWarning; }
    static QString accessibilityWarning();
    const QList<MenuBarRow> &rows() const { return m_rows; }
    static MenuBarRow quitRow();
    double audioLevel() const { return m_audioLevel; }
    // The small wave animates only while the panel is on screen and a recording runs.
    bool waveRunning() const { return m_shown && m_isDictating; }
    void setShown(bool shown);

    // Runs the row's action. Rows that open something else first ask for the panel to close
    // (closePanelRequested) and then act on the next turn of the event loop.
    Q_INVOKABLE void trigger(const QString &action);

    // Reads the app state again.
    void refresh();

    // A progress fraction as a whole percentage, truncated.
    static int percentOf(double progress);

    // Height of bar `index` (of 12) of the panel's level meter at time t and level L.
    Q_INVOKABLE static double waveBarHeight(int index, double time, double level);

signals:
    void changed();
    void audioLevelChanged();
    void waveRunningChanged();
    void closePanelRequested();

private:
    QVariantList rowsForViews() const;
    QVariantMap quitRowForViews() const;
    void toggleFocusHud();

    AppState &m_app;
    ShellWindows &m_windows;
    bool m_shown = false;
    bool m_isDictating = false;
    QString m_statusMessage;
    QString m_listeningHint;
    QString m_liveTranscript;
    QString m_lastResult;
    QString m_lastResultLabel;
    bool m_showsAccessibilityWarning = false;
    QList<MenuBarRow> m_rows;
    double m_audioLevel = 0;
};
