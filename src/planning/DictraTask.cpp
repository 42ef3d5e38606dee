#include "planning/DictraTask.h"

#include "core/Json.h"

QByteArray DictraTask::toJson() const
{
    return JsonObjectWriter()
        .add("id", id)
        .add("title", title)
        .add("notes", notes)
        .add("people", people)
        .add("dueAt", dueAt)
        .add("remindAt", remindAt)
        .add("isDone", isDone)
        .add("createdAt", createdAt)
        .add("sourceTranscript", sourceTranscript)
        .finish();
}

std::optional<DictraTask> DictraTask::fromJson(const QJsonValue &value)
{
    JsonObjectReader reader(value);
    DictraTask task;
    task.id = reader.uuid("id");
    task.title = reader.string("title");
    task.notes = reader.string("notes");
    task.people = reader.stringList("people");
    task.dueAt = reader.optionalTimestamp("dueAt");
    task.remindAt = reader.optionalTimestamp("remindAt");
    task.isDone = reader.boolean("isDone");
    task.createdAt = reader.timestamp("createdAt");
    task.sourceTranscript = reader.string("sourceTranscript");
    if (!reader.ok())
        return std::nullopt;
    return task;
}
