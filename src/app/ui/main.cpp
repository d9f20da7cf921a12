#include "app/ui/TApplication.h"
#include "app/ui/TForm1.h"
#include "common/ui/MessageBoxes.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

// Milliseconds since the process started, from the kernel's record of its start time.
double MillisecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto close = text.rfind(')');
    if (close == std::string::npos) return -1;
    // The fields after the command name start with field 3; starttime is field 22.
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    unsigned long long start = std::strtoull(field.c_str(), nullptr, 10);
    double uptime = 0;
    std::ifstream up("/proc/uptime");
    up >> uptime;
    return (uptime - static_cast<double>(start) / static_cast<double>(sysconf(_SC_CLK_TCK))) * 1000.0;
}

// Runs `then` once, after the window it watches was first exposed: the window paints
// itself while the exposure is delivered, so by then it is on the screen.
class FirstExposure : public QObject {
public:
    QWidget* window = nullptr;
    std::function<void()> then;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && then && watched == window->windowHandle() &&
            window->windowHandle()->isExposed())
            QTimer::singleShot(0, this, std::exchange(then, nullptr));
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    // No Qt::AA_ShareOpenGLContexts here: it would make the application object create a
    // shared OpenGL context at once (tens of megabytes and a tenth of a second under software
    // GL) for a browser most runs never show. The browser module makes that context and sets
    // the attribute on first use, before it loads the web engine (BrowserModule); until then
    // nothing in the program may make an OpenGL context.
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillpost"));
    MessageBoxes::SetTitle(QStringLiteral("Quillpost"));
    try {
        TForm1 form;
        // QUILLPOST_STARTUP_TIMING=1: quit as soon as the window is first painted on the
        // screen (nothing is saved) and print how long it took.
        FirstExposure shown;
        if (const char* timing = std::getenv("QUILLPOST_STARTUP_TIMING"); timing && *timing == '1') {
            shown.then = [&] {
                std::printf("window shown: %.1f ms since main, %.0f ms since process start\n",
                            static_cast<double>(sinceMain.nsecsElapsed()) / 1e6, MillisecondsSinceProcessStart());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            };
            shown.window = &form;
            app.installEventFilter(&shown);
        }
        form.show();
        return app.exec();
    } catch (const std::exception& e) {
        MessageBoxes::Show(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
