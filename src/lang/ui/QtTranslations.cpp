#include "lang/ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>
#include <vector>

namespace {

// The Qt modules whose texts the windows show: the widgets and dialogs, and the web page's
// context menu.
constexpr const char* kModules[] = {"qtbase", "qtwebengine"};

struct State {
    QString folder; // empty: Qt's own translations folder
    bool applied = false;
    std::string language; // what the translators installed are for
    std::vector<std::unique_ptr<QTranslator>> installed;
};

State& Current()
{
    static State state;
    return state;
}

// The language Qt calls `name` in English; AnyLanguage when there is none.
QLocale::Language LanguageNamed(const QString& name)
{
    for (int value = QLocale::AnyLanguage + 1; value <= QLocale::LastLanguage; ++value) {
        const auto language = static_cast<QLocale::Language>(value);
        if (QLocale::languageToString(language) == name) return language;
    }
    return QLocale::AnyLanguage;
}

} // namespace

void QtTranslations::Use(const std::string& language)
{
    State& s = Current();
    // Applied before every dialog: the files are read only when the language changes.
    if (s.applied && s.language == language) return;
    for (const auto& translator : s.installed) QCoreApplication::removeTranslator(translator.get());
    s.installed.clear();
    s.applied = true;
    s.language = language;

    const QLocale::Language qtLanguage =
        LanguageNamed(QString::fromLocal8Bit(language.data(), qsizetype(language.size())));
    // Qt's texts are English by themselves.
    if (qtLanguage == QLocale::AnyLanguage || qtLanguage == QLocale::English) return;
    const QString folder = s.folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : s.folder;
    for (const char* module : kModules) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(QLocale(qtLanguage), QString::fromLatin1(module), QStringLiteral("_"), folder)) continue;
        QCoreApplication::installTranslator(translator.get());
        s.installed.push_back(std::move(translator));
    }
}

void QtTranslations::SetFolder(const QString& folder)
{
    State& s = Current();
    s.folder = folder;
    s.applied = false; // the next Use reads from the new folder
}
