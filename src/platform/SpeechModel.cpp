#include "platform/SpeechModel.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// "en_US.UTF-8@euro" → "en", "us"
std::pair<QString, QString> languageAndRegion(const QString &localeName)
{
    QString name = localeName.trimmed().toLower();
    for (const QChar cut : {u'.', u'@'}) {
        const qsizetype at = name.indexOf(cut);
        if (at >= 0)
            name.truncate(at);
    }
    name.replace(u'_', u'-');
    const qsizetype dash = name.indexOf(u'-');
    const QString language = dash < 0 ? name : name.left(dash);
    const QString region = dash < 0 ? QString() : name.mid(dash + 1);
    // Both become folder names: anything but letters and digits could lead out of the root.
    const auto plain = [](const QString &part) {
        return std::all_of(part.begin(), part.end(), [](QChar c) { return c.isLetterOrNumber(); });
    };
    if (!plain(language) || !plain(region))
        return {};
    return {language, region};
}

// A file of the folder matching one of `patterns`, preferring `preferred`; names containing
// "phone" are phonetic models meant for alignment, not for words.
QString pickFile(const QDir &folder, const QString &preferred, const QStringList &patterns)
{
    if (QFileInfo(folder.filePath(preferred)).isFile())
        return folder.filePath(preferred);
    const QStringList names = folder.entryList(patterns, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (!name.contains(u"phone"_s))
            return folder.filePath(name);
    }
    return {};
}

// Whether `folder` holds a complete acoustic model. The decoder ends the whole process when some
// of these files are missing or empty, instead of failing to load, so they are looked at first.
bool isAcousticModel(const QDir &folder)
{
    const auto present = [&](const QString &name) { return QFileInfo(folder.filePath(name)).size() > 0; };
    return present(u"mdef"_s) && present(u"means"_s) && present(u"variances"_s) &&
           present(u"transition_matrices"_s) && (present(u"sendump"_s) || present(u"mixture_weights"_s));
}

std::optional<SpeechModel> modelInFolder(const QDir &folder, const QString &identifier)
{
    if (!folder.exists())
        return std::nullopt;
    SpeechModel model;
    model.localeIdentifier = identifier;
    const QString name = folder.dirName();
    QStringList candidates{name};
    candidates += folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &candidate : candidates) {
        if (isAcousticModel(QDir(folder.filePath(candidate)))) {
            model.acousticModel = folder.filePath(candidate);
            break;
        }
    }
    model.languageModel = pickFile(folder, name + u".lm.bin"_s, {u"*.lm.bin"_s, u"*.lm"_s, u"*.lm.DMP"_s});
    model.dictionary = pickFile(folder, u"cmudict-"_s + name + u".dict"_s, {u"*.dict"_s});
    if (model.acousticModel.isEmpty() || model.languageModel.isEmpty() || model.dictionary.isEmpty())
        return std::nullopt;
    return model;
}

} // namespace

QString defaultSpeechModelsRoot()
{
    return u"/usr/share/pocketsphinx/model"_s;
}

std::optional<SpeechModel> findSpeechModel(const QString &localeName, const QString &modelsRoot)
{
    const auto [language, region] = languageAndRegion(localeName);
    if (language.isEmpty() || modelsRoot.isEmpty())
        return std::nullopt;
    const QDir root(modelsRoot);
    if (!region.isEmpty()) {
        if (auto model = modelInFolder(QDir(root.filePath(language + u'-' + region)),
                                       language + u'-' + region.toUpper()))
            return model;
    }
    return modelInFolder(QDir(root.filePath(language)), language);
}

bool isSpeechRecognitionAvailable(const QString &localeName, const QString &modelsRoot)
{
    return findSpeechModel(localeName, modelsRoot) || findSpeechModel(u"en_US"_s, modelsRoot);
}
