#pragma once

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;

// The about window: the program's icon, name and version, the tagline, the author and
// e-mail lines and the link line, which turns red under the pointer and opens the maker's
// page (its current text) when any mouse button is pressed on it.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* EmailLine = "E-mail: support@quillpost.example";

    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* LabelSite() const { return labelSite_; }
    QPushButton* OKButton() const { return okButton_; }

    // Shows the window modally; with a test hook set, it is shown without a modal loop and
    // the hook drives it.
    void ShowModal();
    static void setExecHook(std::function<void(TAboutBox&)> hook);
    QColor LinkColour() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetLinkColour(const QColor& colour);

    QFrame* panel_;
    QLabel* labelSite_;
    QPushButton* okButton_;
};
