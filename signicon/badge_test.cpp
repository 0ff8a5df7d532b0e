// The rendered badge: the picture sits in the upper-right quarter and leaves the rest of the
// square clear, so that the file's own icon shows through.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <string>

namespace {

struct Colours {
  int red = 0, yellow = 0, black = 0;
};

TEST(Badge, RenderedSizesKeepToTheUpperRightQuarter) {
  for (const int size : {16, 32, 48}) {
    SCOPED_TRACE(size);
    const std::string path = std::string(VEXAMOR_ICON_DIR) + "/" + std::to_string(size) + "x" +
                             std::to_string(size) + "/emblems/emblem-dxsign-signed.png";
    const QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull()) << path;
    ASSERT_EQ(image.width(), size);
    ASSERT_EQ(image.height(), size);
    ASSERT_TRUE(image.hasAlphaChannel());
    Colours seen;
    int strayPixels = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const QColor c = image.pixelColor(x, y);
        if (x < size / 2 || y >= size / 2) {
          if (c.alpha() != 0) ++strayPixels;
          continue;
        }
        if (c.alpha() < 250) continue;
        if (c.red() > 180 && c.green() < 80 && c.blue() < 80) ++seen.red;
        if (c.red() > 200 && c.green() > 160 && c.blue() < 100) ++seen.yellow;
        if (c.red() < 90 && c.green() < 90 && c.blue() < 90) ++seen.black;
      }
    }
    EXPECT_EQ(strayPixels, 0);
    EXPECT_GT(seen.red, 0);
    EXPECT_GT(seen.yellow, 0);
    if (size > 16) {
      EXPECT_GT(seen.black, 0);  // at 16 pixels the stroke blends into the card
    }
  }
}

}  // namespace
