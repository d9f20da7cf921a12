#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The small window that follows a Submit All run: the product and the site started last,
// the progress of the current product and of the whole run, below the bars a line with the
// counts and times the run gives it, and Cancel. It takes the font of the window that owns
// it, and lays its controls out in that font when shown.
class TFormProgress : public QDialog {
    Q_OBJECT
public:
    explicit TFormProgress(QWidget* parent = nullptr);

    QLabel* LabelProductTitle() const { return labelProductTitle_; }
    QLabel* LabelSiteTitle() const { return labelSiteTitle_; }
    QProgressBar* ProgressBarCurrent() const { return barCurrent_; }
    QProgressBar* ProgressBarTotal() const { return barTotal_; }
    QPushButton* ButtonCancel() const { return buttonCancel_; }
    QLabel* LabelCounts() const { return labelCounts_; }

    // The line below the bars: `line` is asked for it now, on RefreshCounts and each second
    // while the window is shown, so that its times move on between outcomes.
    void ShowCounts(std::function<QString()> line);
    void RefreshCounts();

    // Shows the window modally until the run closes it, Cancel is pressed or the close box
    // is used. With a test hook set, the window is shown without a modal loop and the hook
    // drives it.
    void ShowModal();
    static void setExecHook(std::function<void(TFormProgress&)> hook);

    void ButtonCancelClick();
    // Cancel, Escape and the title-bar close box all end the run, not only the window.
    void reject() override;

signals:
    // Cancel was pressed (or the window is going away): the run is to stop.
    void CancelRun();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void PlaceControls();

    QLabel* labelProduct_;
    QLabel* labelProductTitle_;
    QLabel* labelSite_;
    QLabel* labelSiteTitle_;
    QLabel* labelCurrent_;
    QLabel* labelTotal_;
    QProgressBar* barCurrent_;
    QProgressBar* barTotal_;
    QLabel* labelCounts_;
    QPushButton* buttonCancel_;
    QTimer* countsTimer_;
    std::function<QString()> countsLine_;
};
