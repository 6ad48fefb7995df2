#pragma once
// Golden files: texts kept under tests/ and compared whole.
//
// To accept an intended change, run the tests with KTV_UPDATE_GOLDEN=1 in the environment
// (for example `KTV_UPDATE_GOLDEN=1 ctest -R StandardWallReport`): every compared file is then
// rewritten with the text produced, and the diff shows the change for review before committing.
#include <string>

namespace ktv::testing_util {

// Adds a test failure naming the first differing line when the file's text is not `actual`;
// rewrites the file instead when KTV_UPDATE_GOLDEN is set.
void ExpectMatchesGolden(const std::string& path, const std::string& actual);

}  // namespace ktv::testing_util
