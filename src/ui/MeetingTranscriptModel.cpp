#include "ui/MeetingTranscriptModel.h"

#include "meeting/MeetingSession.h"

#include <QLocale>

namespace {

bool sameIds(const QList<MeetingSegment> &a, const QList<MeetingSegment> &b, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        if (a[i].id != b[i].id)
            return false;
    }
    return true;
}

} // namespace

MeetingTranscriptModel::MeetingTranscriptModel(MeetingSession &session, QObject *parent)
    : QAbstractListModel(parent), m_session(session), m_rows(session.segments())
{
    connect(&m_session, &MeetingSession::segmentsChanged, this, &MeetingTranscriptModel::update);
}

int MeetingTranscriptModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant MeetingTranscriptModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const MeetingSegment &segment = m_rows.at(index.row());
    switch (role) {
    case SpeakerLabelRole:
        return segment.speakerLabel;
    case InitialRole:
        return segment.speakerLabel.left(1);
    case ColorIndexRole:
        return ((segment.speakerIndex % 5) + 5) % 5;
    case TimeRole:
        return QLocale().toString(segment.date.toLocalTime().time(), QLocale::ShortFormat);
    case TextRole:
        return segment.text;
    default:
        return {};
    }
}

QHash<int, QByteArray> MeetingTranscriptModel::roleNames() const
{
    return {{SpeakerLabelRole, "speakerLabel"},
            {InitialRole, "initial"},
            {ColorIndexRole, "colorIndex"},
            {TimeRole, "time"},
            {TextRole, "text"}};
}

void MeetingTranscriptModel::update()
{
    const QList<MeetingSegment> &segments = m_session.segments();
    const qsizetype kept = std::min(m_rows.size(), segments.size());
    if (!sameIds(m_rows, segments, kept) || segments.size() < m_rows.size()) {
        beginResetModel();
        m_rows = segments;
        endResetModel();
        return;
    }
    // Earlier rows may have been relabelled.
    for (qsizetype i = 0; i < kept; ++i) {
        if (m_rows[i] != segments[i]) {
            m_rows[i] = segments[i];
            emit dataChanged(index(int(i)), index(int(i)));
        }
    }
    if (segments.size() > kept) {
        beginInsertRows({}, int(kept), int(segments.size() - 1));
        m_rows = segments;
        endInsertRows();
    }
}
