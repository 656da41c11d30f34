#include <gtest/gtest.h>

#include <string>

#include "postprocessing/number_text.hpp"

namespace lajefem {
namespace {

TEST(NumberText, ShortestRoundTripNeverNegativeZero) {
  EXPECT_EQ(float_text(0.1f), "0.1");
  EXPECT_EQ(float_text(-0.0f), "0");
  EXPECT_EQ(float_text(-20.398073f), "-20.398073");
  EXPECT_EQ(double_text(-0.0), "0");
  EXPECT_EQ(double_text(1.0 / 3.0), "0.3333333333333333");
  for (const float value : {1e-30f, 3.4e38f, -6.4835277f, 0.068331696f, 1.17549435e-38f}) {
    EXPECT_EQ(std::stof(float_text(value)), value) << float_text(value);
  }
}

TEST(NumberText, LabelsTitlesAndXml) {
  EXPECT_EQ(short_text(12.3456, 4), "12.35");
  EXPECT_EQ(short_text(-0.0, 3), "0");
  EXPECT_EQ(short_text(-1e-20, 3), "-1e-20");
  EXPECT_EQ(xml_escaped("a<b & \"c\">"), "a&lt;b &amp; &quot;c&quot;&gt;");
}

}  // namespace
}  // namespace lajefem
