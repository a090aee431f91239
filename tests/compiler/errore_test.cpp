#include "compiler/errore.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(Errore, TheMessageIsTheNumberAfterALeadingBlank) {
  EXPECT_EQ(errore_message(1250), " Errore n. 1250");
  EXPECT_EQ(errore_message(1251), " Errore n. 1251");
}

}  // namespace
}  // namespace scenario
