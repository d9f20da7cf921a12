#include "app/ui/TForm1.h"

TForm1::TForm1(const QString& programFolder, QWidget* parent) : QMainWindow(parent)
{
    (void)programFolder;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillpost 1.3"));
    resize(597, 454);
}
