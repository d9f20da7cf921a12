#pragma once

#include "pad/PadSummary.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class ListRows;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What the four item dialogs share: a group box with labelled boxes for the title, the
// link and (product dialogs) the category, and the buttons OK and Cancel. OK checks that
// title and link hold something and then writes the row straight into the list; Cancel
// and the close box write nothing. The boxes keep their text between uses.
//
// The product dialogs also have From PAD beside the link box: it fetches the PAD file at the
// link (through the fetch the window hands in) and, when the file's name, version and
// category are good, puts them into the title and category boxes. Otherwise a line under
// the boxes says why and nothing else changes. While it fetches, the button is disabled and
// the dialog stays usable; OK, Cancel or the close box break the fetch off.
class TItemDialog : public QDialog {
    Q_OBJECT
public:
    struct Layout {
        const char* Name;      // window name, e.g. "FormAddProduct"
        const char* Caption;   // window title
        const char* GroupName; // GroupBoxAdd or GroupBoxEdit
        const char* GroupCaption;
        const char* LinkLabelName; // LabelUrl or LabelText
        const char* LinkLabelCaption;
        const char* InitialLink; // "http://" in the Add dialogs
        bool Category;
        int Width, Height;    // client size
        const char* LinkLine; // the validation line of an empty link box
    };

    // From PAD's download, from the window. Start fetches `link` and calls `done` once, later,
    // on the GUI thread, unless Cancel comes first; Cancel breaks the fetch off and waits for it.
    struct PadFetchCalls {
        std::function<void(const std::string& link, const std::vector<std::string>& categories,
                           std::function<void(const PadSummary&)> done)>
            Start;
        std::function<void()> Cancel;
    };

    TItemDialog(const Layout& layout, QWidget* parent);

    void SetList(ListRows* list) { list_ = list; }
    ListRows* List() const { return list_; }

    QLineEdit* EditTitle() const { return editTitle_; }
    QLineEdit* EditLink() const { return editLink_; }
    QComboBox* ComboBoxCat() const { return comboCat_; }
    QPushButton* ButtonOk() const { return buttonOk_; }
    QPushButton* ButtonCancel() const { return buttonCancel_; }
    QPushButton* ButtonFromPad() const { return buttonFromPad_; } // null in the site dialogs
    QLabel* LabelFromPad() const { return labelFromPad_; }        // why From PAD changed nothing

    void SetPadFetch(PadFetchCalls calls) { padFetch_ = std::move(calls); }

    // The boxes' texts as bytes. A text the user left as it was filled in gives back the
    // very bytes it was filled from, even when they are not in the locale's encoding.
    std::string TitleText() const;
    std::string LinkText() const;
    std::string CategoryText() const;

    // Puts a row's title and link into the boxes.
    void SetTexts(const std::string& title, const std::string& link);

    // Fills the category box with `categories` in order and selects entry `select` (-1:
    // none, the box is empty).
    void FillCategories(const std::vector<std::string>& categories, int select);

    // Shows the dialog modally. With a test hook set, the dialog is shown without a modal
    // loop, the hook drives it, and a dialog the hook leaves open is cancelled.
    void ShowModal();
    static void setExecHook(std::function<void(TItemDialog&)> hook);

    void ButtonOkClick();
    void ButtonCancelClick();
    void ButtonFromPadClick();

protected:
    // Whether the checked input may go into the list (a dialog may ask first); false keeps
    // the dialog open.
    virtual bool ConfirmWrite() { return true; }
    // Writes the accepted input into the list.
    virtual void WriteRow() = 0;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void PadFetched(const PadSummary& summary);
    void StopPadFetch();

    ListRows* list_ = nullptr;
    QGroupBox* group_;
    QLabel* labelTitle_;
    QLabel* labelLink_;
    QLabel* labelCat_ = nullptr;
    QLineEdit* editTitle_;
    QLineEdit* editLink_;
    QComboBox* comboCat_ = nullptr;
    QPushButton* buttonOk_;
    QPushButton* buttonCancel_;
    QPushButton* buttonFromPad_ = nullptr;
    QLabel* labelFromPad_ = nullptr;
    PadFetchCalls padFetch_;
    bool fetching_ = false;
    QSize givenSize_;
    std::string linkLine_;
    std::string titleBytes_;
    std::string linkBytes_;
    std::vector<std::string> categories_;
};
