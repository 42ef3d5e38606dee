#pragma once

#include "stores/DictionaryEntry.h"

#include <QList>
#include <QString>

// Turns the raw transcript of one recording into the text that is delivered or stored. Every
// operation is a pure function; which of them run, and in which order, is the caller's choice:
// coalesce, stripFillers, applyDictionary, (snippet expansion), capitalize, punctuate.
class TextCleaner
{
public:
    // Tidies white space and drops a sentence mark that the recogniser put before a lower-case word.
    static QString coalesce(const QString &text);

    // Removes spoken fillers ("um", "you know", "like," …) that stand as whole words.
    static QString stripFillers(const QString &text);

    // Replaces each entry's spoken phrase (whole words, any case) by its written form, entry after
    // entry. A written form is a replacement template ("$0", "\$"); one that cannot be applied as a
    // template is inserted literally.
    static QString applyDictionary(const QString &text, const QList<DictionaryEntry> &entries);

    // Upper-cases the first character and each ASCII letter that starts a sentence.
    static QString capitalize(const QString &text);

    // Trims the text and closes it with a full stop unless it already ends in a sentence mark.
    static QString punctuate(const QString &text);

private:
    static QString collapseWhitespace(const QString &text);
};
