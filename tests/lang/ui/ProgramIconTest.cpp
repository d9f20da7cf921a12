#include "lang/ui/ProgramIcon.h"
#include "lang/ui/TAboutBox.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

TEST(ProgramIcon, IsDrawnFromTheProgramsOwnSvgAndTheAboutBoxShowsIt)
{
    // A missing resource or SVG support would leave a null or empty picture.
    const QImage icon = ProgramIcon::Get().pixmap(32, 32).toImage();
    ASSERT_FALSE(icon.isNull());
    int opaque = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) opaque += qAlpha(icon.pixel(x, y)) > 0;
    EXPECT_GT(opaque, 32 * 32 / 4);

    TAboutBox about(nullptr);
    const QLabel* shown = about.findChild<QLabel*>(QStringLiteral("ProgramIcon"));
    EXPECT_EQ(shown->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              icon.convertToFormat(QImage::Format_ARGB32));
}
