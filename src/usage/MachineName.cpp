#include "usage/MachineName.h"

#include <QFile>
#include <QStringView>

namespace {

// machine-info holds a few short lines; anything larger is not the file we are looking for.
constexpr qint64 kMaxFileSize = 64LL * 1024;

// Undoes the quoting hostnamectl and shells write: '…' is literal, "…" honours \" \\ \` \$,
// and outside quotes a backslash escapes the next character. An unclosed quote runs to the end
// of the line.
QString unquoteValue(QStringView raw)
{
    enum class State { Plain, SingleQuoted, DoubleQuoted };
    State state = State::Plain;
    QString value;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        const bool hasNext = i + 1 < raw.size();
        switch (state) {
        case State::Plain:
            if (c == u'\'') {
                state = State::SingleQuoted;
            } else if (c == u'"') {
                state = State::DoubleQuoted;
            } else if (c == u'\\' && hasNext) {
                value += raw[++i];
            } else {
                value += c;
            }
            break;
        case State::SingleQuoted:
            if (c == u'\'') {
                state = State::Plain;
            } else {
                value += c;
            }
            break;
        case State::DoubleQuoted:
            if (c == u'"') {
                state = State::Plain;
            } else if (c == u'\\' && hasNext && QStringView(u"\"\\`$").contains(raw[i + 1])) {
                value += raw[++i];
            } else {
                value += c;
            }
            break;
        }
    }
    return value;
}

QStringView withoutLeadingSpace(QStringView text)
{
    while (!text.isEmpty() && text.front().isSpace())
        text = text.mid(1);
    return text;
}

QString prettyHostname(const QString &machineInfoPath)
{
    QFile file(machineInfoPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString contents = QString::fromUtf8(file.read(kMaxFileSize));
    QString pretty;
    for (QStringView line : QStringView(contents).split(u'\n')) {
        // Only leading space goes here: trimming the end would leave a stray backslash where
        // a final space was escaped.
        line = withoutLeadingSpace(line);
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0 || line.left(equals).trimmed() != u"PRETTY_HOSTNAME")
            continue;
        pretty = unquoteValue(withoutLeadingSpace(line.mid(equals + 1))); // the last assignment wins
    }
    return pretty.trimmed();
}

} // namespace

namespace MachineName {

QString displayName(const QString &machineInfoPath, const QString &hostName)
{
    if (QString pretty = prettyHostname(machineInfoPath); !pretty.isEmpty())
        return pretty;
    if (QString host = hostName.trimmed(); !host.isEmpty())
        return host;
    return QStringLiteral("mac");
}

} // namespace MachineName
