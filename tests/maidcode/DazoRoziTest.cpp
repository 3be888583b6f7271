#include "maidcode/DazoRozi.h"

#include <gtest/gtest.h>

TEST(DazoRozi, Placeholder) { EXPECT_EQ(digit_value('Z'), 61); }
