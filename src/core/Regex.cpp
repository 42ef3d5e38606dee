#include "core/Regex.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

struct Regex::Compiled
{
    std::unique_ptr<icu::RegexPattern> pattern;
};

namespace {

icu::UnicodeString aliasOf(const QString &text)
{
    // Read-only alias: no copy. The QString must outlive the UnicodeString.
    return icu::UnicodeString(false, reinterpret_cast<const UChar *>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

QString toQString(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

RegexMatch currentMatch(icu::RegexMatcher &matcher, const QString &subject)
{
    UErrorCode status = U_ZERO_ERROR;
    RegexMatch match;
    match.start = matcher.start(status);
    match.end = matcher.end(status);
    const int32_t groupCount = matcher.groupCount();
    match.groups.reserve(groupCount + 1);
    for (int32_t g = 0; g <= groupCount; ++g) {
        UErrorCode groupStatus = U_ZERO_ERROR;
        const int32_t start = matcher.start(g, groupStatus);
        const int32_t end = matcher.end(g, groupStatus);
        if (U_FAILURE(groupStatus) || start < 0)
            match.groups.append(std::nullopt);
        else
            match.groups.append(subject.mid(start, end - start));
    }
    return match;
}

// ICU quietly drops a backslash that has nothing left to escape instead of failing.
bool endsInLoneBackslash(const QString &replacementTemplate)
{
    qsizetype backslashes = 0;
    for (qsizetype i = replacementTemplate.size() - 1; i >= 0 && replacementTemplate[i] == u'\\'; --i)
        ++backslashes;
    return backslashes % 2 == 1;
}

} // namespace

Regex::Regex(const QString &pattern, Case matchCase)
{
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    const uint32_t flags = matchCase == Case::Insensitive ? UREGEX_CASE_INSENSITIVE : 0;
    auto compiled = std::make_shared<Compiled>();
    compiled->pattern.reset(icu::RegexPattern::compile(aliasOf(pattern), flags, parseError, status));
    if (U_FAILURE(status))
        compiled->pattern.reset();
    m_compiled = std::move(compiled);
}

Regex::~Regex() = default;
Regex::Regex(const Regex &) = default;
Regex &Regex::operator=(const Regex &) = default;

bool Regex::isValid() const
{
    return m_compiled && m_compiled->pattern;
}

QString Regex::replaceAll(const QString &subject, const QString &replacementTemplate, bool *ok) const
{
    if (ok)
        *ok = isValid() && !endsInLoneBackslash(replacementTemplate);
    if (!isValid() || endsInLoneBackslash(replacementTemplate))
        return subject;
    const icu::UnicodeString input = aliasOf(subject);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_compiled->pattern->matcher(input, status));
    if (U_FAILURE(status)) {
        if (ok)
            *ok = false;
        return subject;
    }
    const icu::UnicodeString result = matcher->replaceAll(aliasOf(replacementTemplate), status);
    if (U_FAILURE(status)) {
        if (ok)
            *ok = false;
        return subject;
    }
    return toQString(result);
}

std::optional<RegexMatch> Regex::firstMatch(const QString &subject, qsizetype from) const
{
    if (!isValid() || from < 0 || from > subject.size())
        return std::nullopt;
    const icu::UnicodeString input = aliasOf(subject);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_compiled->pattern->matcher(input, status));
    if (U_FAILURE(status) || !matcher->find(static_cast<int64_t>(from), status) || U_FAILURE(status))
        return std::nullopt;
    return currentMatch(*matcher, subject);
}

QList<RegexMatch> Regex::allMatches(const QString &subject) const
{
    QList<RegexMatch> matches;
    if (!isValid())
        return matches;
    const icu::UnicodeString input = aliasOf(subject);
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_compiled->pattern->matcher(input, status));
    if (U_FAILURE(status))
        return matches;
    while (matcher->find(status) && U_SUCCESS(status))
        matches.append(currentMatch(*matcher, subject));
    return matches;
}

QString Regex::escapePattern(const QString &literal)
{
    static const QString metacharacters = QStringLiteral("\\*?+[](){}^$|./-");
    QString escaped;
    escaped.reserve(literal.size() * 2);
    for (const QChar c : literal) {
        if (metacharacters.contains(c))
            escaped.append(QLatin1Char('\\'));
        escaped.append(c);
    }
    return escaped;
}

QString Regex::escapeTemplate(const QString &literal)
{
    QString escaped;
    escaped.reserve(literal.size() + 8);
    for (const QChar c : literal) {
        if (c == QLatin1Char('$') || c == QLatin1Char('\\'))
            escaped.append(QLatin1Char('\\'));
        escaped.append(c);
    }
    return escaped;
}
