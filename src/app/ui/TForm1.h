#pragma once

#include <QMainWindow>
#include <QString>

// The main window.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // programFolder: the folder that holds data/, language/ and help/ (the executable's
    // folder when empty).
    explicit TForm1(const QString& programFolder = QString(), QWidget* parent = nullptr);
};
