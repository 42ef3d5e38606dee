#include "ui/MenuBarRows.h"

#include "app/AppState.h"
#include "planning/FocusCoachStore.h"
#include "planning/TaskStore.h"

#include <cmath>

MenuBarRows::MenuBarRows(AppState &app, QObject *parent)
    : QAbstractListModel(parent), m_app(app), m_rows(current())
{
    connect(&app, &AppState::isDictatingChanged, this, &MenuBarRows::refresh);
    connect(&app.focusCoach(), &FocusCoachStore::sessionChanged, this, &MenuBarRows::refresh);
    connect(&app.taskStore(), &TaskStore::tasksChanged, this, &MenuBarRows::refresh);
}

int MenuBarRows::percentOf(double progress)
{
    // A hair over the product, so that 0.29 × 100 = 28.999… still reads 29.
    return static_cast<int>(std::floor(progress * 100 + 1e-9));
}

QList<MenuBarRow> MenuBarRows::current() const
{
    const bool dictating = m_app.isDictating();
    const bool focused = m_app.focusCoach().session().has_value();
    QList<MenuBarRow> rows{
        {u"deck"_qs, u"Command Deck (Ctrl+Space)"_qs, u"rectangle.3.group"_qs},
        dictating ? MenuBarRow{u"listening"_qs, u"Stop listening"_qs, u"stop.circle"_qs}
                  : MenuBarRow{u"listening"_qs, u"Start listening"_qs, u"mic.circle"_qs},
        {u"focus"_qs,
         focused ? u"Focus · "_qs + QString::number(percentOf(m_app.focusCoach().progress())) + u'%'
                 : u"Focus Coach"_qs,
         u"target"_qs},
        {u"briefing"_qs, u"Tomorrow Briefing"_qs, u"sun.horizon.fill"_qs},
    };
    if (focused)
        rows.append({u"focusHud"_qs, u"Toggle Focus HUD"_qs, u"rectangle.inset.filled.and.person.filled"_qs});
    rows.append({u"tasks"_qs,
                 u"Tasks & Reminders ("_qs + QString::number(m_app.taskStore().openTasks().size()) + u')',
                 u"checklist"_qs});
    rows.append({u"meeting"_qs, u"Meeting Mode"_qs, u"person.3"_qs});
    rows.append({u"history"_qs, u"History"_qs, u"clock.arrow.circlepath"_qs});
    rows.append({u"settings"_qs, u"Settings"_qs, u"gearshape"_qs});
    return rows;
}

void MenuBarRows::refresh()
{
    QList<MenuBarRow> rows = current();
    if (rows == m_rows)
        return;
    if (rows.size() != m_rows.size()) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i] == m_rows[i])
            continue;
        m_rows[i] = rows[i];
        emit dataChanged(index(int(i)), index(int(i)));
    }
}

int MenuBarRows::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant MenuBarRows::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const MenuBarRow &row = m_rows.at(index.row());
    switch (role) {
    case ActionRole:
        return row.action;
    case TitleRole:
        return row.title;
    case SymbolRole:
        return row.symbol;
    default:
        return {};
    }
}

QHash<int, QByteArray> MenuBarRows::roleNames() const
{
    return {{ActionRole, "action"}, {TitleRole, "title"}, {SymbolRole, "symbol"}};
}
