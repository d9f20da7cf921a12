#include "app/ui/TApplication.h"
#include "app/ui/TForm1.h"
#include "common/ui/MessageBoxes.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

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

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    // The embedded browser shares OpenGL contexts with the widgets; this must be set
    // before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillpost"));
    MessageBoxes::SetTitle(QStringLiteral("Quillpost"));
    try {
        TForm1 form;
        form.show();
        // QUILLPOST_STARTUP_TIMING=1: quit as soon as the window is shown (nothing is
        // saved) and print how long it took.
        if (const char* timing = std::getenv("QUILLPOST_STARTUP_TIMING"); timing && *timing == '1') {
            QTimer::singleShot(0, &app, [&] {
                std::printf("window shown: %.1f ms since main, %.0f ms since process start\n",
                            static_cast<double>(sinceMain.nsecsElapsed()) / 1e6, MillisecondsSinceProcessStart());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return app.exec();
    } catch (const std::exception& e) {
        MessageBoxes::Show(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
