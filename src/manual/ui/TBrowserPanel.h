#pragma once

#include <QWidget>

#include <string>

class QComboBox;
class QProgressBar;
class QToolBar;
class QToolButton;
class QWebEngineView;

// The small web browser on the right of the Manual Submit page (object name
// "PanelBrowser"): address box, navigation buttons, the page view and a progress bar.
// Child object names: CoolBar1, ComboBoxAdress, ToolBarNavi, ToolButtonBack,
// ToolButtonForward, ToolButtonStop, ToolButtonRefresh, ToolButtonHome, ToolButtonPrint,
// WebBrowser1, ProgressBar1.
class TBrowserPanel : public QWidget {
    Q_OBJECT
public:
    explicit TBrowserPanel(QWidget* parent = nullptr);
    ~TBrowserPanel() override;

    // The address box's text as 8-bit bytes.
    std::string AddressText() const;
    // Puts `url` into the address box unchanged and loads it (no post data).
    void NavigateTo(const std::string& url);
    // Puts `url` into the address box and loads it with `postData` sent as the body of a
    // POST request.
    void NavigatePost(const std::string& url, const std::string& postData);
    // Runs a script in the current top-level page.
    void RunScript(const std::string& script);

    QWebEngineView* View() const;
    QComboBox* AddressBox() const;
    QProgressBar* Progress() const;

signals:
    // A page (or a frame of it) finished loading.
    void DocumentComplete(bool ok);

private:
    struct Impl;
    Impl* d;
};
