#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>

#include "model/free_format.hpp"

namespace lajefem {
namespace {

struct Row {
  std::string input;
  const char* expected;
};

// The first `count` items of one statement, written one after another: a value as its text
// (quoted values as q[text]), "~" for a null value, "/" for the end of the statement, and the
// failure that ends the statement: "EOF", "ERR" or "LONG".
std::string statement_items(const std::string& text, int count) {
  std::istringstream stream(text);
  FreeFormatInput input(stream);
  std::string shown;
  for (int i = 0; i < count; ++i) {
    const Item item = next_item(input);
    if (i > 0) {
      shown += ' ';
    }
    switch (item.kind) {
      case ItemKind::value:
        shown += item.quoted ? "q[" + item.text + "]" : item.text;
        break;
      case ItemKind::null_value:
        shown += "~";
        break;
      case ItemKind::slash:
        shown += "/";
        break;
      case ItemKind::end_of_file:
        return shown + "EOF";
      case ItemKind::unreadable:
        return shown + "ERR";
      case ItemKind::long_line:
        return shown + "LONG";
    }
  }
  return shown;
}

void expect_items(const Row* rows, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    EXPECT_EQ(statement_items(rows[i].input, 4), rows[i].expected) << "input: " << rows[i].input;
  }
}

TEST(FreeFormat, CharacterClasses) {
  EXPECT_EQ(classify_char(' '), CharClass::blank);
  EXPECT_EQ(classify_char('\t'), CharClass::blank);
  EXPECT_EQ(classify_char('\r'), CharClass::blank);
  EXPECT_EQ(classify_char(','), CharClass::comma);
  EXPECT_EQ(classify_char('/'), CharClass::slash);
  EXPECT_EQ(classify_char('\''), CharClass::quote);
  EXPECT_EQ(classify_char('"'), CharClass::quote);
  EXPECT_EQ(classify_char('\0'), CharClass::other);
  EXPECT_EQ(classify_char('*'), CharClass::other);
  EXPECT_EQ(classify_char('\xe9'), CharClass::other);
}

TEST(FreeFormat, SeparatorsAndLineEnds) {
  const Row rows[] = {
      {"1 2 3 4", "1 2 3 4"},
      {"1,2,3,4", "1 2 3 4"},
      {"1 , 2 ,3  ,  4", "1 2 3 4"},
      {"1\t2\r3 4", "1 2 3 4"},
      {"1\n2\n3\n4\n", "1 2 3 4"},
      {"1\r\n2\r\n3\r\n4\r\n", "1 2 3 4"},
      {"1\n\n   \n\t\n2 3", "1 2 3 EOF"},  // lines of blanks are passed over
      {"1,\n2 3", "1 2 3 EOF"},            // a comma ending a line separates once
      {"1\n,2 3", "1 2 3 EOF"},
      {"   1   2   ", "1 2 EOF"},
      {"", "EOF"},
  };
  expect_items(rows, std::size(rows));
}

TEST(FreeFormat, NullValues) {
  const Row rows[] = {
      {"1,,3 4", "1 ~ 3 4"},    {",2 3 4", "~ 2 3 4"}, {"1, ,3 4", "1 ~ 3 4"},
      {"1,\n,3 4", "1 ~ 3 4"},  // the line end separates like a blank
      {"  ,  ,3", "~ ~ 3 EOF"}, {"\n\n,1", "~ 1 EOF"}, {",,,", "~ ~ ~ EOF"},
  };
  expect_items(rows, std::size(rows));
}

TEST(FreeFormat, SlashEndsTheStatement) {
  const Row rows[] = {
      {"1/2 3", "1 / / /"},  {"4.0/ 5", "4.0 / / /"},    {"1,/", "1 / / /"}, {"/", "/ / / /"},
      {"1 /\n2", "1 / / /"}, {"'a/b'/", "q[a/b] / / /"}, {",/", "~ / / /"},
  };
  expect_items(rows, std::size(rows));
}

TEST(FreeFormat, Repeats) {
  const Row rows[] = {
      {"3*5", "5 5 5 EOF"},
      {"2*5 7 8", "5 5 7 8"},
      {"2*5,7", "5 5 7 EOF"},
      {"2*5,,7", "5 5 ~ 7"},
      {"2* 7 8", "~ ~ 7 8"},
      {"2*,7", "~ ~ 7 EOF"},
      {"2*/", "~ ~ / /"},
      {"3*\n5", "~ ~ ~ 5"},
      {"2*'a b' c", "q[a b] q[a b] c EOF"},
      {"2*1.5e3", "1.5e3 1.5e3 EOF"},
      {"0*5", "ERR"},
      {"00*5", "ERR"},
      {"2147483648*5", "ERR"},
      {"1*5 6", "5 6 EOF"},
      {"*5 6", "*5 6 EOF"},  // no count: an ordinary value
      {"-2*5", "-2*5 EOF"},
      {"2*'ab'cd", "ERR"},
  };
  expect_items(rows, std::size(rows));
  EXPECT_EQ(statement_items("2147483647*5", 3), "5 5 5");
}

TEST(FreeFormat, QuotedValues) {
  const Row rows[] = {
      {"'a b,c/d' 2", "q[a b,c/d] 2 EOF"},
      {"\"it's\"", "q[it's] EOF"},
      {"'it''s'", "q[it's] EOF"},
      {"\"say \"\"x\"\"\"", "q[say \"x\"] EOF"},
      {"'' 2", "q[] 2 EOF"},
      {"'ab',5", "q[ab] 5 EOF"},
      {"'ab'/", "q[ab] / / /"},
      {"'ab'cd", "ERR"},
      {"'ab'\"cd\"", "ERR"},
      {"'ab\ncd' 2", "q[abcd] 2 EOF"},  // the line end inside adds nothing
      {"'ab\r\ncd'\r\n", "q[abcd] EOF"},
      {"'a\tb\rc'", "q[a b c] EOF"},
      {"'ab", "EOF"},
      {"'ab\n\n", "EOF"},
      {"'abcdefghijklmnopq'", "q[abcdefghijkl] EOF"},
  };
  expect_items(rows, std::size(rows));
}

TEST(FreeFormat, UnquotedValues) {
  const Row rows[] = {
      {"ab'cd x", "ab'cd x EOF"},
      {"a\"b c", "a\"b c EOF"},
      {"abc/def", "abc / / /"},
      {"placa1.res\r\n", "placa1.res EOF"},
      {"abcdefghijklmnopq", "abcdefghijklmnopq EOF"},
  };
  expect_items(rows, std::size(rows));
  // Bytes are copied as they are, NUL included.
  EXPECT_EQ(statement_items(std::string("\xe1gua\0z y", 8), 3),
            std::string("\xe1gua\0z y EOF", 12));
}

TEST(FreeFormat, StatementsAndHeadings) {
  std::istringstream stream("head 1,2\n1 2 3\n4\n\n5 6\n3*7\n8 /\n'x\ny'\n\n");
  FreeFormatInput input(stream);
  ASSERT_TRUE(skip_line(input));  // a heading is one line, whatever it holds
  start_statement(input);
  EXPECT_EQ(next_item(input).text, "1");
  start_statement(input);  // the rest of "1 2 3" is ignored
  EXPECT_EQ(next_item(input).text, "4");
  ASSERT_TRUE(skip_line(input));  // the empty line counts as a heading
  start_statement(input);
  EXPECT_EQ(next_item(input).text, "5");
  start_statement(input);
  EXPECT_EQ(next_item(input).text, "7");
  start_statement(input);  // repeats do not carry over
  EXPECT_EQ(next_item(input).text, "8");
  EXPECT_EQ(next_item(input).kind, ItemKind::slash);
  start_statement(input);  // a slash ends only its own statement
  EXPECT_EQ(next_item(input).text, "xy");
  ASSERT_TRUE(skip_line(input));  // the statement ended on the line of its closing quote
  EXPECT_FALSE(skip_line(input));
  start_statement(input);
  EXPECT_EQ(next_item(input).kind, ItemKind::end_of_file);
}

TEST(FreeFormat, IntegerForms) {
  const struct {
    const char* text;
    int value;
  } accepted[] = {{"0", 0},
                  {"-12", -12},
                  {"+7", 7},
                  {"007", 7},
                  {"-0", 0},
                  {"2147483647", 2147483647},
                  {"-2147483648", std::numeric_limits<int>::min()}};
  for (const auto& row : accepted) {
    int value = 99;
    EXPECT_TRUE(parse_integer(row.text, value)) << row.text;
    EXPECT_EQ(value, row.value) << row.text;
  }
  for (const char* text : {"", "+", "-", "3.0", "3.", "1e3", "2147483648", "-2147483649", "12a",
                           " 1", "0x1", "+-1", "1+", "99999999999999999999999"}) {
    int value = 99;
    EXPECT_FALSE(parse_integer(text, value)) << text;
    EXPECT_EQ(value, 99) << text;
  }
}

TEST(FreeFormat, RealForms) {
  const struct {
    const char* text;
    float value;
  } accepted[] = {
      {"30.0", 30.0f},
      {"30", 30.0f},
      {".5", 0.5f},
      {"-.5", -0.5f},
      {"5.", 5.0f},
      {"+1.5E+2", 150.0f},
      {"1.5e2", 150.0f},
      {"1.5D2", 150.0f},
      {"1.5d-2", 0.015f},
      {"1.E1", 10.0f},
      {"0.1", 0.1f},
      {"16777217", 16777216.0f},  // halfway between two floats: to even
      {"16777219", 16777220.0f},
      // Just above the halfway point between 1 and the next float: read directly, not through
      // a double (which would land on the halfway point and round down to 1).
      {"1.0000000596046447753906250000001", 1.00000012f},
      {"3.4028235e38", std::numeric_limits<float>::max()},
      {"1e-40", 1e-40f},  // subnormal
      {"1e-50", 0.0f},    // underflow: the nearest float
      {"1e-5000000000000", 0.0f},
      {"0e999999", 0.0f},
      {"0.000000000000000000000000000000000000000000000000001", 0.0f},
  };
  for (const auto& row : accepted) {
    float value = 99;
    EXPECT_TRUE(parse_real(row.text, value)) << row.text;
    EXPECT_EQ(value, row.value) << row.text;
  }
  float negative = 99;
  ASSERT_TRUE(parse_real("-1e-50", negative));
  EXPECT_TRUE(negative == 0.0f && std::signbit(negative));
  for (const char* text : {"",      ".",        "-",     "+.",    "e5",           ".e5",
                           "1e",    "1e+",      "1.5.2", "inf",   "-inf",         "nan",
                           "NaN",   "infinity", "1e39",  "-1e39", "3.4028236e38", "1e5000000000000",
                           "0x10",  "1,5",      "1 5",   "--1",   "1.5E2.0",      "1f",
                           "1.5q2", "1e2e3",    "1E 2"}) {
    float value = 99;
    EXPECT_FALSE(parse_real(text, value)) << text;
    EXPECT_EQ(value, 99.0f) << text;
  }
}

TEST(FreeFormat, TextFitted) {
  EXPECT_EQ(fitted_text("abc", 12), "abc         ");
  EXPECT_EQ(fitted_text("abcdefghijklm", 12), "abcdefghijkl");
  EXPECT_EQ(fitted_text("", 12), "            ");
}

TEST(FreeFormat, ItemReadsKeepOrStoreOrFail) {
  struct IntegerRow {
    const char* input;
    bool read;
    int value;  // starts at 5
  };
  const IntegerRow integers[] = {
      {"7", true, 7},     {",", true, 5},     {"/", true, 5},   {"3*", true, 5},
      {"'7'", false, 5},  {"3.0", false, 5},  {"x", false, 5},  {"", false, 5},
      {"\n\n", false, 5}, {"-8 x", true, -8}, {"2*9", true, 9}, {"0*9", false, 5},
  };
  for (const auto& row : integers) {
    std::istringstream stream(row.input);
    FreeFormatInput input(stream);
    int value = 5;
    EXPECT_EQ(read_integer_item(input, value), row.read) << row.input;
    EXPECT_EQ(value, row.value) << row.input;
  }
  struct TextRow {
    const char* input;
    bool read;
    const char* value;  // starts as "d01"
  };
  const TextRow texts[] = {
      {"placa1", true, "placa1      "}, {"'a b'", true, "a b         "},
      {",", true, "d01         "},      {"/", true, "d01         "},
      {"'ab", false, "d01         "},   {"''", true, "            "},
      {"2*x", true, "x           "},    {"'ab'c", false, "d01         "},
  };
  for (const auto& row : texts) {
    std::istringstream stream(row.input);
    FreeFormatInput input(stream);
    std::string value = "d01         ";
    EXPECT_EQ(read_text_item(input, value), row.read) << row.input;
    EXPECT_EQ(value, row.value) << row.input;
  }
  std::istringstream stream("1.5");
  FreeFormatInput input(stream);
  float real = 0;
  EXPECT_TRUE(read_real_item(input, real));
  EXPECT_EQ(real, 1.5f);
}

}  // namespace
}  // namespace lajefem
