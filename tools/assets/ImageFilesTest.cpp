// Round trips through ImageMagick, an independent decoder, so that row
// order, padding and byte order are checked against what readers expect.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "Assets.h"
#include "ImageFiles.h"

namespace assets {
namespace {

class ImageFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/clangster-assets-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string Save(const std::string& name, const Bytes& bytes) {
    std::string path = dir_ + "/" + name;
    std::string error;
    EXPECT_TRUE(WriteFile(path, bytes, &error)) << error;
    return path;
  }

  // Runs ImageMagick's convert and returns its standard output.
  static std::string Convert(const std::string& args) {
    std::string out;
    FILE* p = popen(("convert " + args + " 2>/dev/null").c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
  }

  static std::string RawRgb(const RgbImage& img) {
    std::string s;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        Rgb c = img.at(x, y);
        s += static_cast<char>(c.r);
        s += static_cast<char>(c.g);
        s += static_cast<char>(c.b);
      }
    return s;
  }

  // Every pixel distinct from its neighbours and rows, so a flipped, shifted
  // or channel-swapped decode cannot match.
  static RgbImage Pattern(int w, int h) {
    RgbImage img(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        img.set(x, y, Rgb{static_cast<uint8_t>(17 * x + 1), static_cast<uint8_t>(29 * y + 3),
                          static_cast<uint8_t>(7 * x + 11 * y + 5)});
    return img;
  }

  std::string dir_;
};

TEST_F(ImageFilesTest, Bmp24DecodesToTheSamePixelsForEveryRowPadding) {
  for (int w : {1, 2, 3, 4, 5, 9, 14}) {
    RgbImage img = Pattern(w, 5);
    std::string path = Save("p24.bmp", EncodeBmp24(img));
    EXPECT_EQ(Convert(path + " -depth 8 rgb:-"), RawRgb(img)) << "width " << w;
  }
}

TEST_F(ImageFilesTest, Bmp24HeaderDescribesAnUncompressedBottomUpImage) {
  Bytes b = EncodeBmp24(Pattern(9, 5));
  ASSERT_EQ(b.size(), 54u + 28u * 5u);  // 27 bytes a row, padded to 28
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(b[2] | b[3] << 8, static_cast<int>(b.size()));
  EXPECT_EQ(b[10], 54);                    // pixel data offset
  EXPECT_EQ(b[22] | b[23] << 8, 5);        // positive height: bottom-up
  EXPECT_EQ(b[28], 24);                    // bits per pixel
  EXPECT_EQ(b[30] | b[31] << 8, 0);        // BI_RGB
}

TEST_F(ImageFilesTest, Bmp8DecodesToTheSamePixels) {
  RgbImage img(13, 7);
  img.fillRect(2, 1, 5, 4, Rgb{0, 255, 50});
  img.fillRect(8, 3, 4, 4, Rgb{0, 58, 15});
  img.set(12, 0, Rgb{1, 2, 3});
  for (const std::vector<Rgb>& palette :
       {std::vector<Rgb>{}, {Rgb{9, 9, 9}, Rgb{1, 2, 3}, Rgb{0, 58, 15}, Rgb{0, 255, 50}, kMagenta}}) {
    Bytes b = EncodeBmp8(img, palette);
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b[28], 8);
    std::string path = Save("p8.bmp", b);
    EXPECT_EQ(Convert(path + " -depth 8 rgb:-"), RawRgb(img));
  }
}

TEST_F(ImageFilesTest, Bmp8RefusesColoursItCannotIndex) {
  RgbImage img(2, 1, Rgb{1, 1, 1});
  img.set(1, 0, Rgb{2, 2, 2});
  EXPECT_TRUE(EncodeBmp8(img, {Rgb{1, 1, 1}}).empty());
  EXPECT_TRUE(EncodeBmp8(Pattern(17, 17)).empty());  // 289 colours
}

TEST_F(ImageFilesTest, IcoHoldsEachSizeWithMagentaTransparent) {
  RgbImage big = Pattern(32, 32), small = Pattern(16, 16);
  big.set(0, 0, kMagenta);
  big.set(31, 31, kMagenta);
  small.set(15, 0, kMagenta);
  std::string path = Save("i.ico", EncodeIco({big, small}));

  EXPECT_EQ(Convert(path + " -format '%wx%h ' info:"), "32x32 16x16 ");
  for (int index : {0, 1}) {
    const RgbImage& img = index == 0 ? big : small;
    std::string rgba = Convert("'" + path + "[" + std::to_string(index) + "]' -depth 8 rgba:-");
    ASSERT_EQ(rgba.size(), 4u * img.width() * img.height()) << "image " << index;
    for (int y = 0; y < img.height(); ++y) {
      for (int x = 0; x < img.width(); ++x) {
        const size_t i = 4u * (y * img.width() + x);
        const Rgb c = img.at(x, y);
        const auto alpha = static_cast<uint8_t>(rgba[i + 3]);
        if (c == kMagenta) {
          EXPECT_EQ(alpha, 0) << x << "," << y;
        } else {
          EXPECT_EQ(alpha, 255) << x << "," << y;
          EXPECT_EQ(Rgb({static_cast<uint8_t>(rgba[i]), static_cast<uint8_t>(rgba[i + 1]),
                         static_cast<uint8_t>(rgba[i + 2])}),
                    c)
              << x << "," << y;
        }
      }
    }
  }
}

TEST(AssetsTest, ButtonImagesHaveTheirSizesAndATransparentBorder) {
  struct Expected {
    const char* file;
    int w, h;
  };
  const Expected expected[] = {{"play_idle.bmp", 9, 5},
                               {"play_playing.bmp", 9, 5},
                               {"play_paused.bmp", 9, 5},
                               {"stop.bmp", 14, 14}};
  for (const Expected& e : expected) {
    const BitmapAsset* found = nullptr;
    for (const BitmapAsset& a : Bitmaps())
      if (std::string(a.file) == e.file) found = &a;
    ASSERT_NE(found, nullptr) << e.file;
    RgbImage img = found->draw();
    EXPECT_EQ(img.width(), e.w) << e.file;
    EXPECT_EQ(img.height(), e.h) << e.file;
    // Something is drawn, and the corners stay transparent.
    int drawn = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) drawn += img.at(x, y) != kMagenta;
    EXPECT_GT(drawn, 4) << e.file;
    EXPECT_EQ(img.at(0, 0), kMagenta) << e.file;
    EXPECT_EQ(img.at(e.w - 1, e.h - 1), kMagenta) << e.file;
  }
}

TEST(AssetsTest, IconHasBothSizesWithRoundedTransparentCorners) {
  std::vector<RgbImage> icon = DrawAppIcon();
  ASSERT_EQ(icon.size(), 2u);
  for (const RgbImage& img : icon) {
    ASSERT_EQ(img.width(), img.height());
    const int n = img.width();
    for (auto [x, y] : {std::pair{0, 0}, {n - 1, 0}, {0, n - 1}, {n - 1, n - 1}})
      EXPECT_EQ(img.at(x, y), kMagenta) << n << ": " << x << "," << y;
    EXPECT_EQ(img.at(n / 2, 0), (Rgb{0, 0, 0})) << n;  // the panel reaches the edge
  }
  EXPECT_EQ(icon[0].width(), 32);
  EXPECT_EQ(icon[1].width(), 16);
}

}  // namespace
}  // namespace assets
