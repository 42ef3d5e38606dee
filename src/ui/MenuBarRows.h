#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QtQml/qqmlregistration.h>

class AppState;

// One clickable row of the menu-bar panel.
struct MenuBarRow
{
    QString action; // the id passed to MenuBarModel::trigger()
    QString title;
    QString symbol;

    bool operator==(const MenuBarRow &) const = default;
};

// The menu-bar panel's rows. Their titles carry counts (focus progress, open tasks) that follow
// the focus coach and the task store as they change, and the HUD row comes and goes with the
// focus session.
class MenuBarRows : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the menu-bar model")

public:
    enum Role { ActionRole = Qt::UserRole + 1, TitleRole, SymbolRole };

    explicit MenuBarRows(AppState &app, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QList<MenuBarRow> &rows() const { return m_rows; }

    // A progress fraction as a whole percentage, truncated.
    static int percentOf(double progress);

private:
    QList<MenuBarRow> current() const;
    void refresh();

    AppState &m_app;
    QList<MenuBarRow> m_rows;
};
