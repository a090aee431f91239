#include "compiler/errore.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(Errore, PrintsOneLineAndEndsTheBuild) {
  ::testing::internal::CaptureStderr();
  try {
    errore("1250");
    FAIL() << "errore returned";
  } catch (const BuildAborted& e) {
    EXPECT_EQ(e.number(), "1250");
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), " Errore n. 1250\n");
}

}  // namespace
}  // namespace scenario
