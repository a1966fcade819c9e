// Damaged files made from every valid sample: cut short, bit-flipped, and with size
// fields lying. Each must load as false or as a picture; the crash inputs the fuzzers
// found (tests/image/regress) are loaded the same way.

#include <gtest/gtest.h>

#include <windows.h>

#include "image/CxImage.h"
#include "tests/image/samples/ImageWriters.h"

namespace {

// How many damaged files loaded and how many were refused: a corpus in which nothing
// loads (or nothing fails) would not be testing what it means to.
struct Tally {
  int loaded = 0;
  int refused = 0;
};

// A loaded picture must be whole: its record agrees with its pixel data.
void LoadAndCheck(const Bytes& bytes, const std::string& what, Tally& tally) {
  CxImage image;
  if (!image.LoadFromBytes(bytes.data(), static_cast<long long>(bytes.size()))) {
    EXPECT_FALSE(image.HasPixels()) << what;
    tally.refused++;
    return;
  }
  tally.loaded++;
  ASSERT_TRUE(image.HasPixels()) << what;
  EXPECT_EQ(image.Width(), image.Pixels().Width()) << what;
  EXPECT_EQ(image.Height(), image.Pixels().Height()) << what;
  EXPECT_GE(image.FrameCount(), 1) << what;
  // Every frame a GIF counts can be decoded or refused without harm, in order.
  if (image.Type() == kImageGif) {
    for (int i = 1; i < image.FrameCount() && i < 8; i++) {
      image.SetFrameIndex(i);
      image.LoadFromBytes(bytes.data(), static_cast<long long>(bytes.size()));
    }
  }
}

uint32_t Next(uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  return seed >> 8;
}

// The regression inputs, from the source tree (reached through Wine's Z: drive).
std::vector<Bytes> RegressionInputs(std::vector<std::string>& names) {
  std::string dir = "Z:" VELIX_IMAGE_REGRESS_DIR;
  for (char& c : dir)
    if (c == '/') c = '\\';
  std::vector<Bytes> inputs;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return inputs;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    HANDLE file = CreateFileA((dir + "\\" + found.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) continue;
    Bytes bytes(found.nFileSizeLow);
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, NULL);
    CloseHandle(file);
    bytes.resize(got);
    inputs.push_back(bytes);
    names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return inputs;
}

}  // namespace

TEST(ImageCorpus, CutFilesLoadOrFail) {
  Tally tally;
  for (const Sample& s : AllSamples()) {
    const size_t n = s.bytes.size();
    ASSERT_GT(n, 0u) << s.name;
    // Every length through the headers, then a spread over the rest.
    for (size_t cut = 0; cut < n; cut += cut < 80 ? 1 : 1 + n / 40) {
      LoadAndCheck(Bytes(s.bytes.begin(), s.bytes.begin() + static_cast<long>(cut)), s.name + " cut at " + std::to_string(cut), tally);
    }
  }
  EXPECT_GT(tally.loaded, 100);
  EXPECT_GT(tally.refused, 1000);
}

TEST(ImageCorpus, FlippedBitsLoadOrFail) {
  Tally tally;
  uint32_t seed = 12345;
  for (const Sample& s : AllSamples()) {
    for (int round = 0; round < 60; round++) {
      Bytes bad = s.bytes;
      // One to four flips, mostly in the first bytes where the headers are.
      const int flips = 1 + round % 4;
      for (int i = 0; i < flips; i++) {
        const size_t span = round % 2 ? bad.size() : (bad.size() < 64 ? bad.size() : 64);
        bad[Next(seed) % span] ^= static_cast<uint8_t>(1u << (Next(seed) % 8));
      }
      LoadAndCheck(bad, s.name + " flip round " + std::to_string(round), tally);
    }
  }
  EXPECT_GT(tally.loaded, 1000);
  EXPECT_GT(tally.refused, 100);
}

TEST(ImageCorpus, LyingSizeFieldsLoadOrFail) {
  Tally tally;
  const uint32_t lies[] = {0, 1, 0x7FFF, 0xFFFF, 0x8000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x01000000};
  for (const Sample& s : AllSamples()) {
    const size_t limit = s.bytes.size() < 48 ? s.bytes.size() : 48;
    for (size_t at = 0; at + 2 <= limit; at += 2) {
      for (uint32_t lie : lies) {
        Bytes bad = s.bytes;
        const int width = lie > 0xFFFF && at + 4 <= bad.size() ? 4 : 2;
        for (int i = 0; i < width; i++) bad[at + i] = static_cast<uint8_t>(lie >> (8 * i));
        LoadAndCheck(bad, s.name + " lie at " + std::to_string(at), tally);
      }
    }
  }
  EXPECT_GT(tally.loaded, 1000);
  EXPECT_GT(tally.refused, 1000);
}

TEST(ImageCorpus, FuzzerFindingsLoadOrFail) {
  std::vector<std::string> names;
  const std::vector<Bytes> inputs = RegressionInputs(names);
  if (inputs.empty()) GTEST_SKIP() << "no fuzzer findings kept in " VELIX_IMAGE_REGRESS_DIR;
  Tally tally;
  for (size_t i = 0; i < inputs.size(); i++) LoadAndCheck(inputs[i], names[i], tally);
}
