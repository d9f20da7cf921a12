// Figures of a large language file, with the shipped English.ini and with one padded to about
// 32 MB (comment lines, long values and keys the program never asks for, in [Interface] after
// its own keys and in a section of their own after [Texts]):
//   - start: the main window from its construction (the language applied on the way) to shown;
//   - a dialog: the About window opened from the menu, which applies the current language
//     again first (as the item dialogs do), each time;
//   - a switch: Russian, then English again from the menu.
// Each figure is the median of RUNS (5 by default), with the best. The built program's
// data/, language/ and help/ folders are copied into a temporary program folder.
// Usage: bench_language [RUNS] [MB]

#include "../BenchMeasure.h"

#include "app/ui/TForm1.h"
#include "common/ui/MessageBoxes.h"
#include "lang/ui/TAboutBox.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// English.ini grown to `bytes`: a third of the padding as keys of [Interface] after the
// program's own, the rest after every section the program reads.
std::string Padded(const std::string& shipped, size_t bytes)
{
    const std::string longValue(1500, 'x');
    auto junk = [&](size_t upTo, const char* prefix) {
        std::string out;
        for (size_t i = 0; out.size() < upTo; ++i) {
            if (i % 3 == 0) out += "; padding line " + std::to_string(i) + " of a large language file\r\n";
            out += std::string(prefix) + std::to_string(i) + "->Caption=\"" +
                   (i % 5 == 0 ? longValue : "Unused caption") + "\"\r\n";
        }
        return out;
    };
    const size_t at = shipped.find("\n[", shipped.find("[Interface]"));
    const std::string inside = junk(bytes / 3, "Padding");
    std::string out = shipped.substr(0, at == std::string::npos ? shipped.size() : at + 1) + inside;
    if (at != std::string::npos) out += shipped.substr(at + 1);
    out += "\r\n[Padding]\r\n" + junk(bytes > out.size() ? bytes - out.size() : 0, "Junk");
    return out;
}

// A program folder with the built program's data/, language/ and help/.
class Folder : public BenchFolder {
public:
    explicit Folder(const std::string& bin) : BenchFolder("quillpost-lang")
    {
        for (const char* sub : {"data", "language", "help"})
            fs::copy(bin + sub, File(sub), fs::copy_options::recursive);
    }
};

struct Figure {
    double median = 0;
    double best = 0;
};

Figure Of(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

double Time(const std::function<void()>& fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void Measure(const char* what, const std::string& folder, int runs)
{
    std::vector<double> start, dialog, change;
    for (int i = 0; i < runs; ++i) {
        std::unique_ptr<TForm1> form;
        start.push_back(Time([&] {
            form = std::make_unique<TForm1>(QString::fromStdString(folder));
            form->show();
            QApplication::processEvents();
        }));
        QAction* about = form->findChild<QAction*>(QStringLiteral("AAbout"));
        QAction* russian = form->findChild<QAction*>(QStringLiteral("MLangRussian"));
        QAction* english = form->findChild<QAction*>(QStringLiteral("MLangEnglish"));
        if (!about || !russian || !english) throw std::runtime_error("the window has no AAbout or language entries");
        dialog.push_back(Time([&] {
            about->trigger();
            QApplication::processEvents();
        }));
        change.push_back(Time([&] {
            russian->trigger();
            english->trigger();
            QApplication::processEvents();
        }));
    }
    const Figure s = Of(start), d = Of(dialog), c = Of(change);
    std::printf("%s:\n", what);
    std::printf("   start to window shown      %8.1f ms (best %8.1f)   goal <= 1000 ms\n", s.median, s.best);
    std::printf("   About opened from the menu %8.1f ms (best %8.1f)   goal <=  200 ms\n", d.median, d.best);
    std::printf("   Russian, then English      %8.1f ms (best %8.1f)\n", c.median, c.best);
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int runs = argc > 1 && std::atoi(argv[1]) > 0 ? std::atoi(argv[1]) : 5;
    const size_t mb = argc > 2 && std::atoi(argv[2]) > 0 ? static_cast<size_t>(std::atoi(argv[2])) : 32;
    MessageBoxes::setTestMode(true);
    TAboutBox::setExecHook([](TAboutBox&) {}); // shown and closed at once

    const std::string bin = BinFolder();
    Folder shipped(bin), large(bin);
    std::ifstream in(bin + "language/English.ini", std::ios::binary);
    const std::string english((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string padded = Padded(english, mb << 20);
    std::ofstream(large.File("language/English.ini"), std::ios::binary) << padded;

    std::printf("language files, %d runs each (median, best)\n", runs);
    Measure("shipped English.ini", shipped.File(""), runs);
    Measure(("English.ini of " + std::to_string(padded.size() >> 20) + " MB").c_str(), large.File(""), runs);
    return 0;
}
