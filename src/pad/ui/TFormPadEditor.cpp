#include "pad/ui/TFormPadEditor.h"

#include "common/FileReplace.h"
#include "common/ui/ErrorGuard.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/LanguageListeners.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/ShownText.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr const char* PadFilter = "PAD File (*.xml)";
constexpr const char* AnyFilter = "All Files (*)";
// PadDocument takes no more; a longer file is not read past this.
constexpr qint64 MaxPadBytes = 1024 * 1024;

template <typename T>
T* Named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QPushButton* Button(const char* name, const char* caption)
{
    return Named(new QPushButton(QString::fromUtf8(caption)), QString::fromUtf8(name));
}

QString Q(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string Utf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

const char* TabObjectName(const std::string& tab)
{
    if (tab == "Company") return "TabCompany";
    if (tab == "Program") return "TabProgram";
    if (tab == "File") return "TabFile";
    if (tab == "Descriptions") return "TabDescriptions";
    return "TabWeb";
}

} // namespace

TFormPadEditor::TFormPadEditor(PadEditorCalls calls, QWidget* parent)
    : QWidget(parent, Qt::Window), calls_(std::move(calls))
{
    setObjectName(QStringLiteral("FormPadEditor"));
    setWindowTitle(QStringLiteral("PAD Editor"));
    rules_ = calls_.Rules ? calls_.Rules() : PadRule::BuiltIn();
    Build();
    ShowState();
    // The status line in the language applied last (a download keeps its own line until it ends).
    LanguageListeners::Follow(this, [this] {
        if (!downloading_) ShowState();
    });
}

TFormPadEditor::~TFormPadEditor() = default;

void TFormPadEditor::Build()
{
    resize(900, 640);
    auto* buttons = new QHBoxLayout;
    auto* newFile = Button("ButtonNew", "New");
    auto* open = Button("ButtonOpen", "Open...");
    download_ = Button("ButtonDownload", "Download From Product");
    save_ = Button("ButtonSave", "Save");
    saveAs_ = Button("ButtonSaveAs", "Save As...");
    for (QPushButton* b : {newFile, open, download_, save_, saveAs_}) buttons->addWidget(b);
    buttons->addStretch(1);
    auto guarded = [](const std::function<void()>& fn) { return [fn] { ErrorGuard::Run(fn); }; };
    connect(newFile, &QPushButton::clicked, this, guarded([this] { NewFile(); }));
    connect(open, &QPushButton::clicked, this, guarded([this] { OpenFile(); }));
    connect(download_, &QPushButton::clicked, this, guarded([this] { DownloadFile(); }));
    connect(save_, &QPushButton::clicked, this, guarded([this] { Save(); }));
    connect(saveAs_, &QPushButton::clicked, this, guarded([this] { SaveAs(); }));
    // The buttons' keys, in this window only: a key presses its button, and does nothing
    // while the button cannot be pressed.
    auto key = [this](const char* name, const QKeySequence& sequence, const std::function<void()>& run) {
        auto* a = new QAction(this);
        a->setObjectName(QString::fromUtf8(name));
        a->setShortcut(sequence);
        addAction(a);
        connect(a, &QAction::triggered, this, [run] { ErrorGuard::Run(run); });
    };
    key("AKeyNewPad", QKeySequence(Qt::CTRL | Qt::Key_N), [newFile] { newFile->click(); });
    key("AKeyOpenPad", QKeySequence(Qt::CTRL | Qt::Key_O), [open] { open->click(); });
    key("AKeySavePad", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { save_->click(); });
    key("AKeyHelpPad", QKeySequence(Qt::Key_F1), [this] {
        if (calls_.Help) calls_.Help();
    });

    tabWidget_ = Named(new QTabWidget, QStringLiteral("PadEditorTabs"));
    tabs_ = PadForm::Tabs(rules_);
    for (const PadFormTab& tab : tabs_) {
        auto* page = Named(new QScrollArea, QString::fromUtf8(TabObjectName(tab.Name)));
        page->setWidgetResizable(true);
        pages_.push_back(page);
        tabWidget_->addTab(page, Q(tab.Name));
    }
    BuildRows();

    status_ = Named(new QLabel, QStringLiteral("LabelPadStatus"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(tabWidget_, 1);
    layout->addWidget(status_);
}

void TFormPadEditor::BuildRows()
{
    tabs_ = PadForm::Tabs(rules_);
    rows_.clear();
    for (std::size_t t = 0; t < tabs_.size(); ++t) {
        auto* grid = new QWidget;
        auto* layout = new QGridLayout(grid);
        layout->setColumnStretch(1, 1);
        int line = 0;
        for (const PadFormField& field : tabs_[t].Fields) {
            Row row;
            row.Field = &field;
            const QString path = Q(field.Path);
            auto* label = new QLabel(Q(field.Label));
            label->setToolTip(path);
            QWidget* editor = nullptr;
            if (field.Multiline) {
                row.Text = Named(new QPlainTextEdit, path);
                row.Text->setMinimumHeight(field.Limit > 500 ? 140 : 70);
                editor = row.Text;
            } else {
                row.Line = Named(new QLineEdit, path);
                editor = row.Line;
            }
            label->setBuddy(editor);
            row.Problem = Named(new QLabel, path + QStringLiteral(":Problem"));
            row.Problem->setWordWrap(true);
            row.Problem->setMinimumWidth(220);
            row.Problem->setStyleSheet(QStringLiteral("color: #b00000"));
            layout->addWidget(label, line, 0, Qt::AlignTop);
            layout->addWidget(editor, line, 1);
            if (field.Counted) {
                row.Count = Named(new QLabel, path + QStringLiteral(":Count"));
                layout->addWidget(row.Count, line, 2, Qt::AlignTop);
            } else if (field.Label == "Program_Release_Year") {
                auto* today = Button("ButtonToday", "Today");
                connect(today, &QPushButton::clicked, this, [this] { ErrorGuard::Run([this] { Today(); }); });
                layout->addWidget(today, line, 2, Qt::AlignTop);
            } else if (field.Label == "File_Size_Bytes") {
                auto* sizes = Button("ButtonSizes", "Sizes From File...");
                connect(sizes, &QPushButton::clicked, this, [this] { ErrorGuard::Run([this] { SizesFromFile(); }); });
                layout->addWidget(sizes, line, 2, Qt::AlignTop);
            }
            layout->addWidget(row.Problem, line, 3, Qt::AlignTop);
            rows_.push_back(row);
            ++line;
        }
        layout->setRowStretch(line, 1);
        auto* page = static_cast<QScrollArea*>(pages_[t]);
        delete page->takeWidget();
        page->setWidget(grid);
    }
    // The rows are in place: now they may tell of their edits (the addresses stay put).
    for (Row& row : rows_) {
        Row* r = &row;
        if (row.Line) connect(row.Line, &QLineEdit::textEdited, this, [this, r] { Edited(*r); });
        if (row.Text) connect(row.Text, &QPlainTextEdit::textChanged, this, [this, r] { Edited(*r); });
    }
}

void TFormPadEditor::Open()
{
    // Its texts in the language chosen since it was built.
    ShowState();
    ShowProblems();
    show();
    raise();
    activateWindow();
    if (!document_ && !downloading_ && calls_.SelectedLink && !calls_.SelectedLink().empty()) DownloadFile();
}

void TFormPadEditor::NewFile()
{
    if (!MayDrop()) return;
    rules_ = calls_.Rules ? calls_.Rules() : PadRule::BuiltIn();
    Take(PadForm::Template(rules_), {}, QStringLiteral("a new PAD file"));
    changed_ = true; // a new file is not on disk yet
    ShowState();
}

void TFormPadEditor::OpenFile()
{
    if (!MayDrop()) return;
    const QString path = FileDialogs::OpenAs(this, PadFilter);
    if (!path.isEmpty()) OpenPath(path);
}

bool TFormPadEditor::OpenPath(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        MessageBoxes::Show(
            Phrase("Cannot open %1: %2", {Phrase::Text(Utf8(path)), Phrase::Text(Utf8(file.errorString()))}));
        return false;
    }
    const QByteArray bytes = file.read(MaxPadBytes + 1);
    if (bytes.size() > MaxPadBytes) {
        MessageBoxes::Show(Phrase("Cannot open %1: a PAD file is at most 1 MiB.", {Phrase::Text(Utf8(path))}));
        return false;
    }
    return Take(std::string(bytes.constData(), static_cast<size_t>(bytes.size())), Utf8(path), path);
}

void TFormPadEditor::DownloadFile()
{
    const std::string link = calls_.SelectedLink ? calls_.SelectedLink() : std::string();
    if (link.empty()) {
        MessageBoxes::Show(Phrase("Select a product with a PAD link in the Products list first."));
        return;
    }
    if (!calls_.Download || downloading_ || !MayDrop()) return;
    downloading_ = true;
    ShowState();
    status_->setText(ShownText::Message(Phrase("Downloading %1 ...", {Phrase::Text(link)})));
    calls_.Download(link, [this, link](std::optional<std::string> bytes, const std::string& why) {
        downloading_ = false;
        ShowState();
        if (!bytes) {
            MessageBoxes::Show(
                Phrase("The PAD file at %1 could not be downloaded: %2", {Phrase::Text(link), Phrase(why)}));
            return;
        }
        // Downloaded, it has no file name of its own: Save asks for one.
        if (Take(*bytes, {}, Q(link))) ShowState();
    });
}

bool TFormPadEditor::Take(const std::string& bytes, const std::string& path, const QString& from)
{
    PadDocument document;
    std::string error;
    if (!document.Open(bytes, error)) {
        MessageBoxes::Show(Phrase("Cannot edit %1: %2", {Phrase::Text(Utf8(from)), Phrase(error)}));
        return false;
    }
    std::vector<PadRule> rules = calls_.Rules ? calls_.Rules() : PadRule::BuiltIn();
    auto same = [](const PadRule& a, const PadRule& b) {
        return a.Path == b.Path && a.Pattern == b.Pattern && a.Required == b.Required && a.Message == b.Message &&
               a.OrPath == b.OrPath;
    };
    if (!std::equal(rules.begin(), rules.end(), rules_.begin(), rules_.end(), same)) {
        rules_ = std::move(rules);
        BuildRows();
    }
    document.AddKnownFields(PadForm::RulePaths(rules_));
    document_ = std::move(document);
    path_ = path;
    changed_ = false;
    refused_.clear();
    FillEditors();
    ShowState();
    return true;
}

bool TFormPadEditor::MayDrop()
{
    if (!document_ || !changed_) return true;
    switch (MessageBoxes::AskYesNoCancel(QStringLiteral("Save the changes to the PAD file?"), windowTitle())) {
    case MessageBoxes::Answer::Yes: return Save();
    case MessageBoxes::Answer::No: return true;
    default: return false;
    }
}

bool TFormPadEditor::Save()
{
    if (!document_) return false;
    if (path_.empty()) return SaveAs();
    return WriteTo(path_);
}

bool TFormPadEditor::SaveAs()
{
    if (!document_) return false;
    const QString preset = path_.empty() ? QStringLiteral("pad_file.xml") : Q(path_);
    const QString path = FileDialogs::SaveAs(this, preset, PadFilter, "xml");
    if (path.isEmpty()) return false;
    return WriteTo(Utf8(path));
}

bool TFormPadEditor::WriteTo(const std::string& path)
{
    if (!refused_.empty()) {
        QString fields;
        for (const auto& [field, why] : refused_) fields += QStringLiteral("\n") + Q(why);
        MessageBoxes::Show(ShownText::Message(Phrase("Not saved: these texts cannot be written to the file:")) +
                           fields);
        return false;
    }
    try {
        FileReplace::Write(path, document_->Bytes());
    } catch (const FileError& e) {
        MessageBoxes::Show(Phrase("Not saved: %1", {e.Words()}));
        return false;
    }
    path_ = path;
    changed_ = false;
    ShowState();
    return true;
}

void TFormPadEditor::SizesFromFile()
{
    if (!document_) return;
    const QString path = FileDialogs::OpenAs(this, AnyFilter);
    if (path.isEmpty()) return;
    const QFileInfo info(path);
    if (!info.isFile()) {
        MessageBoxes::Show(Phrase("%1 is not a file.", {Phrase::Text(Utf8(path))}));
        return;
    }
    std::string error;
    if (!document_->SetSizes(static_cast<std::uint64_t>(info.size()), error)) {
        MessageBoxes::Show(Q(error));
        return;
    }
    changed_ = true;
    FillEditors();
    ShowState();
}

void TFormPadEditor::Today()
{
    if (!document_) return;
    const QDate today = QDate::currentDate();
    std::string error;
    if (!document_->SetReleaseDate(today.year(), today.month(), today.day(), error)) {
        MessageBoxes::Show(Q(error));
        return;
    }
    changed_ = true;
    FillEditors();
    ShowState();
}

QString TFormPadEditor::EditorText(const Row& row) const
{
    return row.Line ? row.Line->text() : row.Text->toPlainText();
}

void TFormPadEditor::Edited(Row& row)
{
    if (filling_ || !document_) return;
    const std::string path = row.Field->Path;
    const std::string value = Utf8(EditorText(row));
    std::string error;
    if (document_->Value(path) != value) {
        if (document_->Set(path, value, error)) {
            refused_.erase(path);
            changed_ = true;
        } else {
            refused_[path] = error;
        }
    } else {
        refused_.erase(path);
    }
    ShowProblems();
    ShowState();
}

void TFormPadEditor::FillEditors()
{
    filling_ = true;
    for (Row& row : rows_) {
        const QString text = Q(document_ ? document_->Value(row.Field->Path).value_or(std::string()) : std::string());
        if (row.Line && row.Line->text() != text) row.Line->setText(text);
        if (row.Text && row.Text->toPlainText() != text) row.Text->setPlainText(text);
    }
    filling_ = false;
    ShowProblems();
}

void TFormPadEditor::ShowProblems()
{
    for (Row& row : rows_) {
        const auto refused = refused_.find(row.Field->Path);
        QString problem;
        if (refused != refused_.end())
            problem = Q(refused->second);
        else if (document_)
            problem = ShownText::Message(PadForm::Problem(*document_, *row.Field));
        row.Problem->setText(problem);
        if (row.Count) {
            const std::size_t count = PadForm::Characters(Utf8(EditorText(row)));
            row.Count->setText(QStringLiteral("%1 / %2").arg(count).arg(row.Field->Limit));
            row.Count->setStyleSheet(count > row.Field->Limit ? QStringLiteral("color: #b00000") : QString());
        }
    }
}

void TFormPadEditor::ShowState()
{
    for (Row& row : rows_) {
        if (row.Line) row.Line->setEnabled(document_.has_value());
        if (row.Text) row.Text->setEnabled(document_.has_value());
    }
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->objectName() == QStringLiteral("ButtonToday") || b->objectName() == QStringLiteral("ButtonSizes"))
            b->setEnabled(document_.has_value());
    save_->setEnabled(document_.has_value());
    saveAs_->setEnabled(document_.has_value());
    download_->setEnabled(!downloading_);
    if (!status_) return;
    QString where;
    if (!document_)
        where = ShownText::Message(Phrase("No PAD file open: New, Open or Download From Product."));
    else if (path_.empty())
        where = ShownText::Message(Phrase("Not saved yet (Save As gives it a name)."));
    else
        where = Q(path_);
    if (document_ && changed_) where += QStringLiteral("  ") + ShownText::Message(Phrase("(changed)"));
    if (!refused_.empty())
        where +=
            QStringLiteral("  ") + ShownText::Message(Phrase("%1 text(s) cannot be written in the file's encoding.",
                                                             {Phrase::Text(std::to_string(refused_.size()))}));
    status_->setText(where);
}

void TFormPadEditor::closeEvent(QCloseEvent* event)
{
    if (!MayDrop()) {
        event->ignore();
        return;
    }
    if (downloading_ && calls_.CancelDownload) calls_.CancelDownload();
    downloading_ = false;
    // Closed, the window holds no file: the next Edit PAD File starts afresh.
    document_.reset();
    path_.clear();
    changed_ = false;
    refused_.clear();
    FillEditors();
    ShowState();
    event->accept();
}
