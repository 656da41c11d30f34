#include <gtest/gtest.h>

#include "text/latin1.hpp"

namespace lajefem {
namespace {

TEST(Latin1, ProgramTextsLeaveAsLatin1) {
  EXPECT_EQ(to_latin1("Cálculo"), "C\xE1lculo");
  EXPECT_EQ("ATENÇÃO: MÊS Nº"_l1, "ATEN\xC7\xC3O: M\xCAS N\xBA");
  EXPECT_EQ(to_latin1("plain"), "plain");
  // A file's own bytes quoted in a message keep the console's old rendering: '?' for a byte that
  // does not start a Latin-1 character in UTF-8.
  EXPECT_EQ(to_latin1("1.5\xE9"), "1.5?");
  EXPECT_EQ(to_latin1("\xE2\x82\xAC"), "???");
}

TEST(Latin1, TypedTextToTheDataFilesBytesAndBack) {
  const struct {
    std::string typed;
    std::optional<std::string> latin1;
    std::string utf8;
  } rows[] = {
      {"AÇO", "A\xC7O", "AÇO"},
      {"plain", "plain", "plain"},
      {"N\xBA 1", "N\xBA 1", "Nº 1"},           // Latin-1 already: kept, and read as such
      {"\xC3", "\xC3", "Ã"},                    // a lone lead byte is no UTF-8
      {"5 \xE2\x82\xAC", std::nullopt, "5 €"},  // the euro sign has no Latin-1 byte
      {"\xF0\x9F\x99\x82", std::nullopt, "\xF0\x9F\x99\x82"},
      {"", "", ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(typed_as_latin1(row.typed), row.latin1) << row.typed;
    EXPECT_EQ(utf8_text(row.typed), row.utf8) << row.typed;
    if (row.latin1) {
      EXPECT_EQ(utf8_text(*row.latin1), row.typed == row.utf8 ? row.typed : row.utf8);
    }
  }
}

}  // namespace
}  // namespace lajefem
