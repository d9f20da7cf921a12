#pragma once

#include "pad/PadDocument.h"
#include "pad/PadForm.h"
#include "pad/PadRule.h"

#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// What the PAD editor asks of the rest of the program.
struct PadEditorCalls {
    // The rules in use now (the program folder's pad_spec.xml, or the built-in ones).
    std::function<std::vector<PadRule>()> Rules;
    // The PAD link of the product selected in the Products list; empty when there is none.
    std::function<std::string()> SelectedLink;
    // Downloads the file at a link with the program's client on a worker; `done` comes on this
    // thread with the bytes, or with nothing and why.
    std::function<void(const std::string& link,
                       std::function<void(std::optional<std::string> bytes, const std::string& why)> done)>
        Download;
    std::function<void()> CancelDownload;
    // Opens the help at the PAD editor's section (F1).
    std::function<void()> Help;
};

// The PAD editor (FormPadEditor): one PAD file at a time, opened from disk, made new from a
// template or downloaded from the selected product's PAD link (a downloaded file has no name
// of its own: it is saved only with Save As). Its fields stand in five tabs, each with the
// problem its rule finds shown beside it as the author types, and a description with its
// count of characters against the rule's limit. Every change goes straight into a
// PadDocument, so a save writes the author's file with only the changed texts different.
//
// Ctrl+N, Ctrl+O and Ctrl+S press New, Open... and Save (when they can be pressed), F1 opens
// the help at the editor's section. Not modal; a window of its own (Qt::Window) kept for the
// program's life and shown again by the Edit PAD File command. Lives on the GUI thread.
class TFormPadEditor : public QWidget {
    Q_OBJECT
public:
    explicit TFormPadEditor(PadEditorCalls calls, QWidget* parent = nullptr);
    ~TFormPadEditor() override;

    // Shows and raises the window; with no file open, downloads the selected product's file.
    void Open();

    // The commands of the buttons.
    void NewFile();
    void OpenFile();
    void DownloadFile();
    bool Save();
    bool SaveAs();
    void SizesFromFile();
    void Today();

    // Opens `path` (a message says why not, and the file open stays).
    bool OpenPath(const QString& path);

    // Asks whether to save a changed document first (the program asks too before it ends);
    // false when the user keeps it open.
    bool MayDrop();

    bool HasDocument() const { return document_.has_value(); }
    bool Changed() const { return changed_; }
    const std::string& FilePath() const { return path_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Row {
        const PadFormField* Field = nullptr;
        QLineEdit* Line = nullptr;
        QPlainTextEdit* Text = nullptr;
        QLabel* Count = nullptr;
        QLabel* Problem = nullptr;
    };

    void Build();
    // The rows of the fields of `rules_`, in the tabs (made anew when the rules change).
    void BuildRows();
    // Puts `bytes` in as the document; false (and says why) when they cannot be edited.
    bool Take(const std::string& bytes, const std::string& path, const QString& from);
    bool WriteTo(const std::string& path);
    void Edited(Row& row);
    void FillEditors();
    void ShowProblems();
    void ShowState();
    QString EditorText(const Row& row) const;

    PadEditorCalls calls_;
    std::vector<PadFormTab> tabs_;
    std::vector<PadRule> rules_;
    std::vector<Row> rows_;
    std::optional<PadDocument> document_;
    std::string path_;
    bool changed_ = false;
    bool filling_ = false;
    bool downloading_ = false;
    std::map<std::string, std::string> refused_; // path -> why its text was not taken

    QTabWidget* tabWidget_ = nullptr;
    std::vector<QWidget*> pages_; // the tabs' scrolled pages, in the order of tabs_
    QLabel* status_ = nullptr;
    QPushButton* download_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* saveAs_ = nullptr;
};
