#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class AppState;
class CommandDeckController;

// What the Command Deck shows, computed from the deck controller, the app state and the stores
// as each of them changes: the status line, the panel of the selected mode and the footer. Also
// the actions of its buttons.
class CommandDeckViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the Command Deck panel")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString hint READ hint CONSTANT)
    Q_PROPERTY(QVariantList tiles READ tiles CONSTANT)
    Q_PROPERTY(QString mode READ mode NOTIFY modeChanged)
    Q_PROPERTY(bool isDictating READ isDictating NOTIFY isDictatingChanged)
    Q_PROPERTY(StatusKind statusKind READ statusKind NOTIFY statusChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusChanged)
    Q_PROPERTY(PanelKind panelKind READ panelKind NOTIFY panelChanged)
    Q_PROPERTY(QString panelTitle READ panelTitle NOTIFY panelChanged)
    Q_PROPERTY(QString northStar READ northStar NOTIFY panelChanged)
    Q_PROPERTY(QVariantList milestones READ milestones NOTIFY panelChanged)
    Q_PROPERTY(QStringList lines READ lines NOTIFY panelChanged)
    Q_PROPERTY(bool canShowBriefingCard READ canShowBriefingCard NOTIFY panelChanged)
    Q_PROPERTY(QString footerMode READ footerMode NOTIFY footerChanged)
    Q_PROPERTY(QString footerFocus READ footerFocus NOTIFY footerChanged)
    Q_PROPERTY(QString footerOpen READ footerOpen NOTIFY footerChanged)

public:
    // The status line: live words, the deck's banner, or the voice mode's ready line.
    enum class StatusKind { Transcript, Banner, Ready };
    Q_ENUM(StatusKind)
    // The panel under the status line.
    enum class PanelKind { None, Focus, Briefing, Tasks };
    Q_ENUM(PanelKind)

    static constexpr int kMilestonesShown = 4;
    static constexpr int kTasksShown = 3;

    CommandDeckViewModel(AppState &app, CommandDeckController &deck, QObject *parent = nullptr);

    static QString title();
    static QString hint();
    static QVariantList tiles();
    QString mode() const;
    bool isDictating() const;
    StatusKind statusKind() const { return m_statusKind; }
    const QString &statusText() const { return m_statusText; }
    PanelKind panelKind() const { return m_panel.kind; }
    const QString &panelTitle() const { return m_panel.title; }
    const QString &northStar() const { return m_panel.northStar; }
    const QVariantList &milestones() const { return m_panel.milestones; }
    // Task lines ("• Call Maya"), or the briefing's day lines.
    const QStringList &lines() const { return m_panel.lines; }
    bool canShowBriefingCard() const { return m_panel.canShowBriefingCard; }
    const QString &footerMode() const { return m_footer.mode; }
    const QString &footerFocus() const { return m_footer.focus; }
    const QString &footerOpen() const { return m_footer.open; }

    Q_INVOKABLE void select(const QString &mode);
    Q_INVOKABLE void close();
    Q_INVOKABLE void showHud();
    Q_INVOKABLE void clearFocus();
    Q_INVOKABLE void showBriefingCard();

signals:
    void modeChanged();
    void isDictatingChanged();
    void statusChanged();
    void panelChanged();
    void footerChanged();

private:
    struct Panel
    {
        PanelKind kind = PanelKind::None;
        QString title;
        QString northStar;
        QVariantList milestones;
        QStringList lines;
        bool canShowBriefingCard = false;
        bool operator==(const Panel &) const = default;
    };
    struct Footer
    {
        QString mode;
        QString focus;
        QString open;
        bool operator==(const Footer &) const = default;
    };

    void updateStatus();
    void updatePanel();
    void updateFooter();
    Panel focusPanel() const;
    Panel briefingPanel() const;
    Panel tasksPanel() const;

    AppState &m_app;
    CommandDeckController &m_deck;
    StatusKind m_statusKind = StatusKind::Ready;
    QString m_statusText;
    Panel m_panel;
    Footer m_footer;
};
