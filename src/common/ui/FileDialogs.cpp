#include "common/ui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

struct State {
    bool testMode = false;
    std::deque<QString> names;
    std::vector<FileDialogs::Shown> shown;
};

State& S()
{
    static State s;
    return s;
}

} // namespace

QString FileDialogs::Open(QWidget* parent)
{
    return Run(parent, Kind::Open, QString(), Filter, DefaultSuffix);
}

QString FileDialogs::Save(QWidget* parent, const QString& presetName)
{
    return Run(parent, Kind::Save, presetName, Filter, DefaultSuffix);
}

QString FileDialogs::SaveAs(QWidget* parent, const QString& presetName, const char* filter, const char* suffix)
{
    return Run(parent, Kind::Save, presetName, filter, suffix);
}

QString FileDialogs::OpenAs(QWidget* parent, const char* filter, const char* suffix)
{
    return Run(parent, Kind::Open, QString(), filter, suffix);
}

QString FileDialogs::WithDefaultSuffix(const QString& name, const char* suffix)
{
    if (!suffix || name.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
    return name + QLatin1Char('.') + QString::fromUtf8(suffix);
}

QString FileDialogs::Run(QWidget* parent, Kind kind, const QString& preset, const char* filterText, const char* suffix)
{
    const QString objectName = kind == Kind::Open ? QStringLiteral("OpenDialog1") : QStringLiteral("SaveDialog1");
    const QString filter = QString::fromUtf8(filterText);
    State& s = S();
    if (s.testMode) {
        s.shown.push_back({kind, objectName, preset, filter});
        if (s.names.empty()) return QString();
        QString name = s.names.front();
        s.names.pop_front();
        return WithDefaultSuffix(name, suffix);
    }
    QFileDialog dialog(parent);
    dialog.setObjectName(objectName);
    dialog.setNameFilter(filter);
    if (suffix) dialog.setDefaultSuffix(QString::fromUtf8(suffix));
    if (kind == Kind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        dialog.selectFile(preset);
    }
    if (dialog.exec() != QDialog::Accepted) return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : WithDefaultSuffix(files.first(), suffix);
}

void FileDialogs::setTestMode(bool on)
{
    S().testMode = on;
    S().names.clear();
}

void FileDialogs::setNextFileName(const QString& name)
{
    S().names.push_back(name);
}

const std::vector<FileDialogs::Shown>& FileDialogs::shown()
{
    return S().shown;
}

void FileDialogs::clearShown()
{
    S().shown.clear();
}
