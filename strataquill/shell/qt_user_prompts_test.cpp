#include "strataquill/shell/qt_user_prompts.h"

#include <gtest/gtest.h>

namespace sq {
namespace {

TEST(QtUserPromptsTest, ClassicFiltersBecomeQtNameFilters) {
  EXPECT_EQ(qtNameFilters("Strataquill Data (*.sq2)|*.sq2"),
            QStringList{"Strataquill Data (*.sq2)"});
  EXPECT_EQ(qtNameFilters("Layouts|*.sqf;*.tpl|All (*.*)|*.*"),
            (QStringList{"Layouts (*.sqf *.tpl)", "All (*.*)"}));
  EXPECT_TRUE(qtNameFilters("").isEmpty());
  EXPECT_TRUE(qtNameFilters("Dangling label").isEmpty()) << "a label without patterns is dropped";
}

}  // namespace
}  // namespace sq
