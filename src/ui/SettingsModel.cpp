#include "ui/SettingsModel.h"

#include "app/AppState.h"
#include "planning/BriefingStore.h"
#include "planning/TaskStore.h"
#include "ui/DictionaryListModel.h"
#include "ui/HourStepper.h"
#include "ui/SnippetListModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMorningFirst = 5;
constexpr int kMorningLast = 11;
constexpr int kMiddayFirst = 11;
constexpr int kMiddayLast = 16;

HourStepper *hourStepper(const QString &prefix, int first, int last, BriefingStore &briefings,
                         int (BriefingStore::*read)() const, void (BriefingStore::*write)(int),
                         void (BriefingStore::*changed)(), QObject *parent)
{
    auto *stepper = new HourStepper(
        prefix, first, last, [&briefings, read] { return (briefings.*read)(); },
        [&briefings, write](int hour) { (briefings.*write)(hour); }, parent);
    QObject::connect(&briefings, changed, stepper, &HourStepper::hourChanged);
    return stepper;
}

} // namespace

SettingsModel::SettingsModel(AppState &app, DesktopAccess desktop, QObject *parent)
    : QObject(parent), m_app(app), m_tasks(app.taskStore()),
      m_morningHour(hourStepper(u"Morning hour: "_qs, kMorningFirst, kMorningLast, app.briefingStore(),
                                &BriefingStore::morningHour, &BriefingStore::setMorningHour,
                                &BriefingStore::morningHourChanged, this)),
      m_middayHour(hourStepper(u"Midday hour: "_qs, kMiddayFirst, kMiddayLast, app.briefingStore(),
                               &BriefingStore::middayHour, &BriefingStore::setMiddayHour,
                               &BriefingStore::middayHourChanged, this)),
      m_permissions(new PermissionListModel(app, std::move(desktop), this)),
      m_dictionary(new DictionaryListModel(app.dictionaryStore(), this)),
      m_snippets(new SnippetListModel(app.snippetStore(), this)), m_outputIndex(outputIndex())
{
    // Other views write the same settings (the menu, a second settings tab): follow them.
    connect(app.settings(), &AppSettings::changed, this, [this] {
        const int index = outputIndex();
        if (index == m_outputIndex)
            return;
        m_outputIndex = index;
        emit outputIndexChanged();
    });
    connect(&m_tasks, &TaskStore::reminderLeadHoursChanged, this, &SettingsModel::leadHoursChanged);
}

AppSettings *SettingsModel::settings() const
{
    return m_app.settings();
}

int SettingsModel::outputIndex() const
{
    return m_app.settings()->clipboardOnly() ? ClipboardOnly : TypeAtCursor;
}

void SettingsModel::setOutputIndex(int index)
{
    if (index != TypeAtCursor && index != ClipboardOnly)
        return;
    if (index == outputIndex())
        return;
    m_app.settings()->setInsertModeRaw(index == ClipboardOnly ? u"clipboardOnly"_qs : u"typeAtCursor"_qs);
}

double SettingsModel::leadHours() const
{
    return m_tasks.reminderLeadHours();
}

void SettingsModel::setLeadHours(double hours)
{
    if (!std::isfinite(hours))
        return;
    const double snapped =
        std::clamp(std::round(hours / kLeadStepHours) * kLeadStepHours, kMinimumLeadHours, kMaximumLeadHours);
    if (snapped == m_tasks.reminderLeadHours())
        return;
    m_tasks.setReminderLeadHours(snapped);
    m_tasks.rescheduleAll();
}

QString SettingsModel::leadLabel() const
{
    return QString::number(leadHours(), 'f', 1) + u"h"_qs;
}

void SettingsModel::recheckPermissions()
{
    m_app.recheckPermissions();
    m_permissions->refresh();
}
