#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <optional>

// One match of a Regex: UTF-16 offsets into the subject and the captured texts.
struct RegexMatch
{
    qsizetype start = 0;
    qsizetype end = 0;
    // Index 0 is the whole match; a group that did not take part holds no value.
    QList<std::optional<QString>> groups;

    bool matched(int group) const { return group < groups.size() && groups[group].has_value(); }
    QString captured(int group) const { return matched(group) ? *groups[group] : QString(); }
};

// An ICU regular expression, compiled once and safe to share between threads. Gives the
// patterns ICU's meaning of "\s", "\b", "(?i)" and "$1" replacement templates.
class Regex
{
public:
    enum class Case { Sensitive, Insensitive };

    explicit Regex(const QString &pattern, Case matchCase = Case::Sensitive);
    ~Regex();
    Regex(const Regex &);
    Regex &operator=(const Regex &);

    bool isValid() const;

    // Replaces every non-overlapping match, scanning once from left to right. "$n" in the
    // template stands for group n and a backslash escapes the next character. A template that
    // cannot be applied (a group the pattern lacks, a trailing backslash) leaves the subject
    // unchanged and sets *ok to false.
    QString replaceAll(const QString &subject, const QString &replacementTemplate, bool *ok = nullptr) const;

    std::optional<RegexMatch> firstMatch(const QString &subject, qsizetype from = 0) const;
    QList<RegexMatch> allMatches(const QString &subject) const;

    // The literal text as a pattern: every regex metacharacter backslash-escaped.
    static QString escapePattern(const QString &literal);
    // The literal text as a replacement template: "$" and "\" escaped.
    static QString escapeTemplate(const QString &literal);

private:
    struct Compiled;
    std::shared_ptr<const Compiled> m_compiled;
};
