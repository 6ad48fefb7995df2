// Truncated, mutated and random records fed to the reader. Run under AddressSanitizer: any read
// outside the given bytes fails the run. A record the reader accepts must save and load back to
// the same inputs.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "project/older_format_record.h"

namespace ktv {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

OlderFormatRecord Sample() {
  OlderFormatRecord r;
  r.project_name = "擁壁ﾃｽﾄ工事";
  r.office_name = "設計室";
  r.date = 45000.5;
  r.wall_family = WallFamily::Cantilever;
  r.bar_type = 1;
  r.bar_grade = 2;
  r.bar_size = {3, 4, 5, 0, 6, 1, 7, 0};
  r.bar_spacing = {250, 250, 125, 0, 300, 150, 200, 0};
  r.dimensions.h0 = 3000;
  r.dimensions.w0 = 5;
  r.fc = 24;
  r.soil_class = 2;
  return r;
}

// Parses, and when the bytes are accepted checks that the record saves and loads unchanged.
void ParseAndCheck(std::span<const uint8_t> bytes, int* accepted = nullptr) {
  OlderFormatRecord record;
  try {
    record = ParseOlderFormatRecord(bytes, "fuzz");
  } catch (const OlderFormatError& e) {
    ASSERT_EQ(std::string(e.what()).rfind("fuzz: ", 0), 0u) << e.what();
    return;
  }
  if (accepted != nullptr) ++*accepted;
  const Bytes again = SerializeOlderFormatRecord(record, "fuzz");
  EXPECT_EQ(ParseOlderFormatRecord(again, "fuzz"), record);
}

TEST(OlderFormatRecordFuzz, EveryTruncationIsRefused) {
  const Bytes whole = SerializeOlderFormatRecord(Sample(), "fuzz");
  for (std::size_t n = 0; n < whole.size(); ++n) {
    // A fresh copy of exactly n bytes, so that reading past it is caught.
    const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(ParseOlderFormatRecord(part, "fuzz"), OlderFormatError) << n << " bytes";
  }
  EXPECT_EQ(ParseOlderFormatRecord(whole, "fuzz"), Sample());
}

TEST(OlderFormatRecordFuzz, MutatedRecords) {
  const Bytes whole = SerializeOlderFormatRecord(Sample(), "fuzz");
  std::mt19937 rng(20240401);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> field_area(0, 700);
  std::uniform_int_distribution<std::size_t> anywhere(0, whole.size() - 1);
  std::uniform_int_distribution<int> count(1, 6);
  int accepted = 0;
  for (int round = 0; round < 30000; ++round) {
    Bytes b = whole;
    const int n = count(rng);
    for (int i = 0; i < n; ++i) {
      const std::size_t at = round % 4 == 0 ? anywhere(rng) : field_area(rng);
      b[at] = static_cast<uint8_t>(byte(rng));
    }
    // Now and then cut the record as well.
    std::size_t size = b.size();
    if (round % 7 == 0) size = anywhere(rng);
    const Bytes cut(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(size));
    ParseAndCheck(cut, &accepted);
    if (HasFatalFailure()) return;
  }
  // Changes inside the texts and numbers are often still records; the test saw both kinds.
  EXPECT_GT(accepted, 0);
}

TEST(OlderFormatRecordFuzz, TextLengthsAnywhere) {
  const Bytes whole = SerializeOlderFormatRecord(Sample(), "fuzz");
  // The project name's length at byte 0 and the office name's right after the project name.
  const std::size_t office_at = 2 + whole[0] + 4;
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> length(0, 0xFFFF);
  for (int round = 0; round < 5000; ++round) {
    Bytes b = whole;
    const std::size_t at = round % 2 == 0 ? 0 : office_at;
    const int v = round < 2100 ? round : length(rng);
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
    ParseAndCheck(b);
    if (HasFatalFailure()) return;
  }
}

TEST(OlderFormatRecordFuzz, RandomBytes) {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> size(0, 2 * kOlderFormatRecordLength);
  for (int round = 0; round < 3000; ++round) {
    Bytes b(round % 3 == 0 ? kOlderFormatRecordLength : size(rng));
    for (auto& x : b) x = static_cast<uint8_t>(byte(rng));
    // Small leading lengths keep random records going further into their fields.
    if (round % 2 == 0 && b.size() >= 2) b[1] = 0;
    ParseAndCheck(b);
    if (HasFatalFailure()) return;
  }
}

TEST(OlderFormatRecordFuzz, TruncatedAndRandomFiles) {
  std::string dir_pattern = (fs::temp_directory_path() / "ktv-record-fuzz-XXXXXX").string();
  ASSERT_NE(mkdtemp(dir_pattern.data()), nullptr);
  const std::string path = (fs::path(dir_pattern) / "RWdata02.dat").string();
  const Bytes whole = SerializeOlderFormatRecord(Sample(), path);
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> size(0, 3 * kOlderFormatRecordLength);
  for (int round = 0; round < 400; ++round) {
    Bytes b;
    if (round % 2 == 0) {
      b.assign(whole.begin(),
               whole.begin() + static_cast<std::ptrdiff_t>(std::min(whole.size(), size(rng))));
    } else {
      b.resize(size(rng));
      for (auto& x : b) x = static_cast<uint8_t>(byte(rng));
    }
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    try {
      const auto loaded = ImportOlderFormatRecord(path);
      ASSERT_TRUE(loaded.has_value());  // the file exists: a record or an error, never nothing
      EXPECT_EQ(b.size() % kOlderFormatRecordLength, 0u);
    } catch (const OlderFormatError& e) {
      ASSERT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
    }
  }
  std::error_code ec;
  fs::remove_all(dir_pattern, ec);
}

}  // namespace
}  // namespace ktv
