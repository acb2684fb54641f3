// The program's icon is a picture of its own at every usual size, not a blank or the toolkit's.

#include "app/shell/ProgramIcon.h"

#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

using namespace vellumora;

TEST(ProgramIcon, APictureAtEveryUsualSize)
{
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(size);
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        QSet<QRgb> colours;
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                colours.insert(image.pixel(x, y));
                opaque += qAlpha(image.pixel(x, y)) == 255 ? 1 : 0;
            }
        EXPECT_GE(colours.size(), 4) << "lines, sheet, boxes and the transparent corners";
        EXPECT_GT(opaque, size * size / 2) << "the sheet covers most of the square";
    }
}
