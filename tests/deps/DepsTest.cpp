// The cross-built libraries link into a Windows program and work under Wine.

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>
#include <sqlite3.h>
#include <zlib.h>

TEST(Dependencies, SqliteRunsStatementsInMemory) {
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(":memory:", &db));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "CREATE TABLE T(A INTEGER, B TEXT);"
                                        "INSERT INTO T VALUES(7, '提示');", nullptr, nullptr, nullptr));
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "SELECT A, B FROM T", -1, &stmt, nullptr));
  ASSERT_EQ(SQLITE_ROW, sqlite3_step(stmt));
  EXPECT_EQ(7, sqlite3_column_int(stmt, 0));
  // Texts go in and come out as the same bytes, whatever their code page.
  EXPECT_STREQ("提示", reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

TEST(Dependencies, ZlibRoundTrip) {
  const char text[] = "Velix Velix Velix Velix Velix Velix";
  Bytef packed[128];
  uLongf packedSize = sizeof(packed);
  ASSERT_EQ(Z_OK, compress(packed, &packedSize, reinterpret_cast<const Bytef*>(text), sizeof(text)));
  Bytef unpacked[128];
  uLongf unpackedSize = sizeof(unpacked);
  ASSERT_EQ(Z_OK, uncompress(unpacked, &unpackedSize, packed, packedSize));
  ASSERT_EQ(sizeof(text), unpackedSize);
  EXPECT_EQ(0, std::memcmp(text, unpacked, sizeof(text)));
}

TEST(Dependencies, PngAndJpegLibrariesInitialise) {
  EXPECT_GE(png_access_version_number(), 10600u);
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, png);
  png_destroy_read_struct(&png, nullptr, nullptr);

  // Bytes without a start-of-image marker reach the library's own error exit.
  struct Failure {
    jpeg_error_mgr errors;
    std::jmp_buf jump;
  } failure;
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&failure.errors);
  failure.errors.error_exit = [](j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<Failure*>(cinfo->err)->jump, 1);
  };
  jpeg_create_decompress(&info);
  static const unsigned char notJpeg[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
  jpeg_mem_src(&info, notJpeg, sizeof(notJpeg));
  int code = 0;
  if (setjmp(failure.jump) == 0) {
    jpeg_read_header(&info, TRUE);
  } else {
    code = failure.errors.msg_code;
  }
  jpeg_destroy_decompress(&info);
  EXPECT_EQ(JERR_NO_SOI, code);
}
