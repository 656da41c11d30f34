// The reader sized by the file takes memory as it reads statements, never for a count alone: short
// files that claim 10⁹ nodes, elements, supports, load cases or loads end as the file ends, with
// the program's data error, and no allocation along the way is larger than the file could need.
// The test replaces the global operator new to see the largest block asked for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <sstream>
#include <string>

#include "model/file_sized_reader.hpp"

namespace {

std::size_t largest_block = 0;

}  // namespace

void* operator new(std::size_t size) {
  largest_block = std::max(largest_block, size);
  if (void* block = std::malloc(size == 0 ? 1 : size)) {
    return block;
  }
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
  std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

namespace lajefem {
namespace {

const std::string opening =
    "LAJEFEM\nTitulo\nGRANDE\nMaterial\n30 0.2 0.2\nNos, elementos, apoios\n";

struct BlowUpRow {
  const char* name;
  std::string text;
  int code;        // the data error of the file's end
  long long line;  // its line
};

std::string nodes_of_a_square() {
  return "1 0 0\n2 1 0\n3 1 1\n4 0 1\n";
}

std::string through_the_supports(const std::string& counts) {
  return opening + counts + "\nNos\nNo X Y\n" + nodes_of_a_square() +
         "Elementos\nNum\n1 1 1 2 3 4\nApoios\nNum\n1 1 1 1 1\n";
}

TEST(FileSizedReader, CountsAloneClaimNoMemory) {
  const std::string loads_opening = through_the_supports("4 1 1") + "Casos\nNum\n";
  const BlowUpRow rows[] = {
      {"nodes", opening + "1000000000 1 0\nNos\nNo X Y\n" + nodes_of_a_square(), 312, 13},
      {"elements",
       opening + "4 1000000000 0\nNos\nNo X Y\n" + nodes_of_a_square() +
           "Elementos\nNum\n1 1 1 2 3 4\n",
       322, 16},
      {"supports", through_the_supports("4 1 2000000000"), 332, 19},
      {"load cases after a slash", loads_opening + "1000000000 /\nCargas\n", 414, 23},
      {"load cases of a repeat", loads_opening + "2000000000 2000000000*3\nCargas\n", 414, 23},
      {"loads of a case", loads_opening + "1 2000000000\nCargas\nCaso\nNum\n", 416, 25},
      {"a load's slot", loads_opening + "1 2000000000\nCargas\nCaso\nNum\n1999999999 2 0\n", 416,
       26},
  };
  for (const BlowUpRow& row : rows) {
    std::istringstream data(row.text);
    PlateModel model;
    DataFault fault;
    largest_block = 0;
    const int code = read_file_sized_model(data, model, fault);
    EXPECT_EQ(code, row.code) << row.name;
    EXPECT_EQ(fault.line, row.line) << row.name;
    EXPECT_EQ(fault.explanation, "the file ends before all the data are read") << row.name;
    EXPECT_LT(largest_block, std::size_t{1} << 16) << row.name;
  }
}

}  // namespace
}  // namespace lajefem
