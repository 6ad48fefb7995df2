// The report measures its text with the report font, which needs a QGuiApplication.
#include <gtest/gtest.h>

#include <QGuiApplication>

namespace {

class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ktv_tests";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);  // lives until the process ends
  }
};

[[maybe_unused]] ::testing::Environment* const kGui =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace

// The font library keeps its configuration until the process ends; under the leak checker that
// is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
