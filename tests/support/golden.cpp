#include "golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace ktv::testing_util {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

void ExpectMatchesGolden(const std::string& path, const std::string& actual) {
  if (const char* update = std::getenv("KTV_UPDATE_GOLDEN"); update && *update) {
    std::ofstream out(path, std::ios::binary);
    out << actual;
    out.close();
    ASSERT_TRUE(out) << "cannot rewrite " << path;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << path << " is missing (KTV_UPDATE_GOLDEN=1 writes it)";
  std::stringstream expected;
  expected << in.rdbuf();
  if (expected.str() == actual) return;
  const std::vector<std::string> want = Lines(expected.str()), got = Lines(actual);
  size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  ADD_FAILURE() << path << " differs from line " << i + 1
                << ":\n  expected: " << (i < want.size() ? want[i] : "(end)")
                << "\n  actual:   " << (i < got.size() ? got[i] : "(end)");
}

}  // namespace ktv::testing_util
