#include "ui/DataWindows.h"

#include "app/AppState.h"
#include "core/Diagnostics.h"
#include "ui/HistoryListModel.h"
#include "ui/PermissionListModel.h"
#include "ui/SettingsModel.h"
#include "ui/ShellWindows.h"
#include "ui/TaskListModel.h"
#include "ui/WindowSizes.h"

#include <QQmlEngine>
#include <QQuickView>

const QList<DataWindows::Kind> &DataWindows::kinds()
{
    static const QList<Kind> kinds{
        {u"tasks"_qs, u"Tasks & Reminders"_qs, u"TasksView"_qs, WindowSizes::kTasks,
         WindowSizes::kTasksMinimum},
        {u"history"_qs, u"History"_qs, u"HistoryView"_qs, WindowSizes::kHistory,
         WindowSizes::kHistoryMinimum},
        {u"settings"_qs, u"Dictrava Settings"_qs, u"SettingsView"_qs, WindowSizes::kSettings,
         WindowSizes::kSettings, false},
    };
    return kinds;
}

DataWindows::DataWindows(AppState &app, Pasteboard &pasteboard, QQmlEngine &engine, QObject *parent)
    : QObject(parent), m_app(app), m_pasteboard(pasteboard), m_engine(engine),
      m_desktop(std::make_unique<DesktopAccess>())
{}

DataWindows::~DataWindows() = default;

void DataWindows::setDesktopAccess(const DesktopAccess &desktop)
{
    *m_desktop = desktop;
}

void DataWindows::registerWith(ShellWindows &windows)
{
    for (const Kind &kind : kinds())
        windows.registerWindow(kind.id, [this, id = kind.id] { return create(id); });
}

QObject *DataWindows::modelFor(const QString &id, QObject *owner)
{
    if (id == u"tasks")
        return new TaskListModel(m_app.taskStore(), m_app, owner);
    if (id == u"history")
        return new HistoryListModel(m_app.historyStore(), m_pasteboard, owner);
    return new SettingsModel(m_app, *m_desktop, owner);
}

QQuickView *DataWindows::create(const QString &id)
{
    const auto kind =
        std::find_if(kinds().begin(), kinds().end(), [&id](const Kind &k) { return k.id == id; });
    if (kind == kinds().end())
        return nullptr;
    auto *window = new QQuickView(&m_engine, nullptr);
    window->setTitle(kind->title);
    window->setResizeMode(QQuickView::SizeRootObjectToView);
    window->setMinimumSize(kind->minimumSize);
    if (!kind->resizable)
        window->setMaximumSize(kind->size);
    window->resize(kind->size);
    window->setInitialProperties({{u"model"_qs, QVariant::fromValue(modelFor(id, window))}});
    window->setSource(QUrl(u"qrc:/Dictrava/"_qs + kind->view + u".qml"_qs));
    for (const QQmlError &error : window->errors())
        printDiagnostic(u"[Shell] "_qs + error.toString());
    return window;
}
