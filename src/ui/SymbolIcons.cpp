#include "ui/SymbolIcons.h"

#include <QFileInfo>
#include <QHash>

namespace {

const QString kIconFolder = u"/usr/share/bootstrap-icons/svg/"_qs;

const QHash<QString, QString> &iconNames()
{
    static const QHash<QString, QString> names{
        {u"waveform.circle"_qs, u"soundwave"_qs},
        {u"waveform.circle.fill"_qs, u"record-circle-fill"_qs},
        {u"rectangle.3.group"_qs, u"grid-3x3-gap"_qs},
        {u"stop.circle"_qs, u"stop-circle"_qs},
        {u"mic.circle"_qs, u"mic"_qs},
        {u"target"_qs, u"bullseye"_qs},
        {u"sun.horizon.fill"_qs, u"sunrise-fill"_qs},
        {u"rectangle.inset.filled.and.person.filled"_qs, u"person-workspace"_qs},
        {u"checklist"_qs, u"card-checklist"_qs},
        {u"person.3"_qs, u"people"_qs},
        {u"clock.arrow.circlepath"_qs, u"clock-history"_qs},
        {u"gearshape"_qs, u"gear"_qs},
        {u"exclamationmark.triangle"_qs, u"exclamation-triangle"_qs},
        {u"power"_qs, u"power"_qs},
        {u"text.cursor"_qs, u"input-cursor-text"_qs},
        {u"calendar.badge.clock"_qs, u"calendar-event"_qs},
        {u"xmark.circle.fill"_qs, u"x-circle-fill"_qs},
        {u"sparkles"_qs, u"stars"_qs},
        {u"waveform"_qs, u"soundwave"_qs},
        {u"checkmark.circle.fill"_qs, u"check-circle-fill"_qs},
        {u"circle"_qs, u"circle"_qs},
        {u"clock"_qs, u"clock"_qs},
        {u"person.2"_qs, u"people"_qs},
        {u"sun.max"_qs, u"sun"_qs},
        // The Meeting window.
        {u"play.circle.fill"_qs, u"play-circle-fill"_qs},
        {u"pause.circle.fill"_qs, u"pause-circle-fill"_qs},
        {u"stop.circle.fill"_qs, u"stop-circle-fill"_qs},
        {u"record.circle"_qs, u"record-circle"_qs},
        {u"person.crop.circle.badge.plus"_qs, u"person-plus"_qs},
        {u"person.wave.2"_qs, u"people"_qs},
        {u"doc.on.doc"_qs, u"files"_qs},
        // The tasks, history and settings windows.
        {u"mic.fill"_qs, u"mic-fill"_qs},
        {u"calendar"_qs, u"calendar"_qs},
        {u"bell"_qs, u"bell"_qs},
        {u"trash"_qs, u"trash"_qs},
        {u"arrow.right"_qs, u"arrow-right"_qs},
        {u"character.book.closed"_qs, u"book"_qs},
        {u"text.badge.plus"_qs, u"journal-plus"_qs},
        {u"chart.bar"_qs, u"bar-chart"_qs},
    };
    return names;
}

} // namespace

QString SymbolIcons::path(const QString &symbol)
{
    const QString name = iconNames().value(symbol);
    if (name.isEmpty())
        return {};
    const QString file = kIconFolder + name + u".svg"_qs;
    return QFileInfo::exists(file) ? file : QString();
}

QUrl SymbolIcons::source(const QString &symbol)
{
    const QString file = path(symbol);
    return file.isEmpty() ? QUrl() : QUrl::fromLocalFile(file);
}

QUrl SymbolIcons::tinted(const QString &symbol, const QColor &color)
{
    return QUrl(u"image://symbols/"_qs + symbol + u'/' + color.name(QColor::HexRgb).mid(1));
}
