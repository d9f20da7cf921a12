// The progress window's controls and its Cancel button.
#include "submit/ui/TFormProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(TFormProgress, ControlsDoNotOverlapWhateverTheCaptions)
{
    {
        // Centred on the desktop, not over the window that owns it.
        QWidget owner;
        owner.setGeometry(0, 0, 200, 150);
        owner.show();
        TFormProgress centred(&owner);
        TFormProgress::setExecHook([](TFormProgress&) {});
        centred.ShowModal();
        TFormProgress::setExecHook(nullptr);
        const QPoint middle = centred.screen()->availableGeometry().center();
        EXPECT_LE((centred.frameGeometry().center() - middle).manhattanLength(), 2);
        centred.hide();
    }
    TFormProgress form;
    for (const char* caption : {"Product:", "Продукт отправки:"}) {
        SCOPED_TRACE(caption);
        form.findChild<QLabel*>(QStringLiteral("LabelProduct"))->setText(QString::fromUtf8(caption));
        TFormProgress::setExecHook([](TFormProgress&) {});
        form.ShowModal();
        TFormProgress::setExecHook(nullptr);
        EXPECT_EQ(form.windowTitle(), QStringLiteral(" Submission Progress"));
        EXPECT_GE(form.width(), 291);
        EXPECT_GE(form.height(), 131);
        QProgressBar* current = form.ProgressBarCurrent();
        QProgressBar* total = form.ProgressBarTotal();
        EXPECT_EQ(current->size(), QSize(225, 16));
        EXPECT_EQ(total->size(), QSize(225, 16));
        EXPECT_EQ(current->maximum(), 100);
        for (const char* name : {"LabelProduct", "LabelSite", "LabelCurrent", "LabelTotal"}) {
            QLabel* l = form.findChild<QLabel*>(QString::fromUtf8(name));
            EXPECT_LE(l->x() + l->sizeHint().width(), current->x()) << name;
        }
        EXPECT_EQ(form.LabelProductTitle()->x(), current->x());
        // The line of counts between the Total bar and Cancel, wide enough for its longest text.
        QLabel* counts = form.LabelCounts();
        EXPECT_LE(total->geometry().bottom(), counts->y());
        EXPECT_LE(counts->geometry().bottom(), form.ButtonCancel()->y());
        EXPECT_LE(counts->x() + counts->fontMetrics().horizontalAdvance(
                                    QStringLiteral("Ok 999  X 999  Failed 999  9:59:59 elapsed, 9:59:59 left")),
                  form.width());
        EXPECT_LE(form.ButtonCancel()->geometry().bottom(), form.height());
        form.hide();
    }
}

TEST(TFormProgress, CancelAsksTheRunToStopAndCloses)
{
    TFormProgress form;
    QSignalSpy cancel(&form, &TFormProgress::CancelRun);
    TFormProgress::setExecHook([](TFormProgress& f) { QTest::mouseClick(f.ButtonCancel(), Qt::LeftButton); });
    form.ShowModal();
    TFormProgress::setExecHook(nullptr);
    EXPECT_EQ(cancel.count(), 1);
    EXPECT_FALSE(form.isVisible());
}

TEST(TFormProgress, TakesTheFontOfTheWindowThatOwnsItAndLaysOutWithIt)
{
    QWidget owner;
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    owner.setFont(font);
    owner.show();
    TFormProgress form(&owner);
    EXPECT_EQ(form.font().toString().toStdString(), owner.font().toString().toStdString());
    EXPECT_EQ(form.LabelProductTitle()->font().toString().toStdString(), owner.font().toString().toStdString());

    // The layout is measured in that font: the same as a window given it directly.
    TFormProgress reference;
    reference.setFont(font);
    TFormProgress::setExecHook([](TFormProgress&) {});
    form.ShowModal();
    reference.ShowModal();
    TFormProgress::setExecHook(nullptr);
    EXPECT_EQ(form.width(), reference.width());
    EXPECT_EQ(form.height(), reference.height());
    EXPECT_EQ(form.ProgressBarCurrent()->x(), reference.ProgressBarCurrent()->x());
    form.hide();
    reference.hide();
}
