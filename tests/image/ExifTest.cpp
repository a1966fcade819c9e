// The Exif reader on TIFF structures of both byte orders, and on damaged ones.

#include <gtest/gtest.h>

#include "image/codec/ExifReader.h"
#include "tests/image/samples/ImageWriters.h"

TEST(ImageExif, ReadsTheFieldsInBothByteOrders) {
  for (bool bigEndian : {false, true}) {
    Bytes tiff = ExifBlock("Maker", "Model 7", 6, "2008:03:07 10:20:30", "2008:03:06 09:00:00", bigEndian);
    KxExifInfo exif;
    ASSERT_TRUE(ParseExif(tiff.data(), tiff.size(), exif)) << bigEndian;
    EXPECT_TRUE(exif.present);
    EXPECT_STREQ("Maker", exif.make);
    EXPECT_STREQ("Model 7", exif.model);
    EXPECT_EQ(6, exif.orientation);
    EXPECT_STREQ("2008:03:07 10:20:30", exif.dateTime);
    EXPECT_STREQ("2008:03:06 09:00:00", exif.dateTimeOriginal);
  }
}

TEST(ImageExif, ShortTextsSitInTheEntryAndLongOnesAreCut) {
  Bytes tiff = ExifBlock("Abc", std::string(100, 'm'), 1, "", "", false);
  KxExifInfo exif;
  ASSERT_TRUE(ParseExif(tiff.data(), tiff.size(), exif));
  EXPECT_STREQ("Abc", exif.make);
  EXPECT_EQ(std::string(63, 'm'), exif.model);
}

TEST(ImageExif, DamagedStructuresGiveWhatIsSound) {
  Bytes good = ExifBlock("Maker", "Model 7", 3, "2008:03:07 10:20:30", "2008:03:06 09:00:00", false);
  KxExifInfo exif;
  const Bytes notTiff = {'X', 'X', 42, 0, 8, 0, 0, 0};
  EXPECT_FALSE(ParseExif(notTiff.data(), notTiff.size(), exif));
  EXPECT_FALSE(ParseExif(good.data(), 7, exif));
  // IFD 0 beyond the end: a TIFF header with nothing in it.
  Bytes far = good;
  far[4] = 0xF0;
  far[5] = 0xFF;
  ASSERT_TRUE(ParseExif(far.data(), far.size(), exif));
  EXPECT_EQ(0, exif.orientation);
  EXPECT_STREQ("", exif.make);
  // Every cut keeps within the bytes (the sanitizer builds watch this) and loses only
  // the fields past the cut.
  for (size_t n = 8; n < good.size(); n++) {
    Bytes cut(good.begin(), good.begin() + static_cast<long>(n));
    EXPECT_TRUE(ParseExif(cut.data(), cut.size(), exif));
  }
}
