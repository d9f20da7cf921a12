#include "app/ui/TForm1.h"

#include <gtest/gtest.h>

TEST(TForm1Start, OpensWithItsCaption)
{
    TForm1 form(QStringLiteral("/nonexistent"));
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quillpost 1.3"));
}
