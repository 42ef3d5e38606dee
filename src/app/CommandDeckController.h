#pragma once

#include "app/DeckMode.h"
#include "planning/DictraTask.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class AppState;
class DeckPanel;
class OpenWindowBridge;

// The Command Deck's state: the highlighted mode, a one-line banner, whether the panel is on
// screen and the tasks of the last capture. The panel itself sits behind DeckPanel.
class CommandDeckController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isVisible READ isVisible NOTIFY isVisibleChanged)
    Q_PROPERTY(QString mode READ modeRaw NOTIFY modeChanged)
    Q_PROPERTY(QString banner READ bannerText NOTIFY bannerChanged)
    Q_PROPERTY(bool hasBanner READ hasBanner NOTIFY bannerChanged)
    Q_PROPERTY(QList<DictraTask> lastCaptured READ lastCaptured NOTIFY lastCapturedChanged)

public:
    CommandDeckController(AppState &app, OpenWindowBridge &windows, QObject *parent = nullptr);

    // The window; may stay unset when running headless. Must outlive the controller or be reset
    // to null first.
    void setPanel(DeckPanel *panel) { m_panel = panel; }

    bool isVisible() const { return m_isVisible; }
    DeckMode mode() const { return m_mode; }
    QString modeRaw() const { return info(m_mode).raw; }
    const std::optional<QString> &banner() const { return m_banner; }
    QString bannerText() const { return m_banner.value_or(QString()); }
    bool hasBanner() const { return m_banner.has_value(); }
    const QList<DictraTask> &lastCaptured() const { return m_lastCaptured; }

    void setMode(DeckMode mode);
    void setBanner(const std::optional<QString> &banner);

    void toggle();
    void show();
    // Takes the panel off screen without destroying it (the close button, or a window opened
    // from the deck).
    void hide();
    void select(DeckMode mode);
    void presentCapture(const QList<DictraTask> &tasks);

    static QString captureBanner(qsizetype taskCount);

signals:
    void isVisibleChanged();
    void modeChanged();
    void bannerChanged();
    void lastCapturedChanged();

private:
    void setVisible(bool visible);

    AppState &m_app;
    OpenWindowBridge &m_windows;
    DeckPanel *m_panel = nullptr;
    bool m_isVisible = false;
    DeckMode m_mode = DeckMode::Capture;
    std::optional<QString> m_banner;
    QList<DictraTask> m_lastCaptured;
};
