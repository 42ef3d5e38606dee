#pragma once

#include "meeting/MeetingSegment.h"

#include <QAbstractListModel>
#include <QList>
#include <QtQml/qqmlregistration.h>

class MeetingSession;

// The meeting's transcript as rows for the Meeting window: one per segment, oldest first. New
// segments arrive as inserted rows (the view scrolls to them), relabelled voices as changed rows.
class MeetingTranscriptModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made for the Meeting window")

public:
    enum Role {
        SpeakerLabelRole = Qt::UserRole + 1,
        InitialRole,    // first character of the label, for the avatar
        ColorIndexRole, // voice index mod 5
        TimeRole,       // when the segment was added, as a time of day
        TextRole,
    };

    explicit MeetingTranscriptModel(MeetingSession &session, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    void update();

    MeetingSession &m_session;
    QList<MeetingSegment> m_rows;
};
