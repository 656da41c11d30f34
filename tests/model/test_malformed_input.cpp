// Cut, garbled and oversized data files: the reader must end with a code of its table, without
// a crash, a hang or an index outside the store, and a model it accepts must lie within the
// store's limits with every node reference valid.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "example_data.hpp"
#include "model/data_reader.hpp"
#include "model/model_store.hpp"
#include "model/scratch_records.hpp"

namespace lajefem {
namespace {

using testing::example_lines;
using testing::four_case_lines;
using testing::joined;

const std::set<int> failure_codes = {101, 102, 103, 200, 201, 300, 301, 310, 311, 312, 320, 321,
                                     322, 330, 331, 332, 400, 401, 402, 403, 414, 415, 416, 426,
                                     427, 428, 438, 439, 440, 450, 451, 452, 500, 501, 600};

// Clears what the reader writes, so that one store serves every variant.
void clear_model_items(ModelStore& store) {
  store.title = "placa1.dat  ";
  store.elastic_modulus = store.poisson_ratio = store.thickness = 0;
  store.node_count = store.element_count = store.support_count = store.load_case_count = 0;
  store.node_coord.fill(0);
  store.element_type.fill(0);
  store.element_nodes.fill(0);
  store.support_data.fill(0);
  store.loads_per_case.fill(0);
  store.load_info.fill(0);
  store.load_values.fill(0);
  store.results_file_name = std::string(12, ' ');
  store.data_error_code = 0;
}

bool within_nodes(const ModelStore& store, int node) {
  return node >= 1 && node <= store.node_count;
}

// What the later steps rely on when the reader reports success.
void expect_sound_model(const ModelStore& store, const std::string& text) {
  ASSERT_TRUE(store.node_count >= 1 && store.node_count <= max_nodes) << text;
  ASSERT_LE(store.element_count, max_elements) << text;
  ASSERT_LE(store.support_count, max_supports) << text;
  ASSERT_LE(store.load_case_count, max_load_cases) << text;
  for (int e = 1; e <= store.element_count; ++e) {
    for (int corner = 1; corner <= corners; ++corner) {
      EXPECT_TRUE(within_nodes(store, store.element_nodes(e, corner))) << text;
    }
  }
  for (int s = 1; s <= store.support_count; ++s) {
    EXPECT_TRUE(within_nodes(store, static_cast<int>(store.support_data(s, 1)))) << text;
  }
  for (int c = 1; c <= store.load_case_count; ++c) {
    ASSERT_LE(store.loads_per_case(c), max_loads_per_case) << text;
    for (int k = 1; k <= max_loads_per_case; ++k) {
      if (store.load_info(k, 1, c) == 1) {
        EXPECT_TRUE(within_nodes(store, store.load_info(k, 2, c))) << text;
      }
    }
  }
  EXPECT_GT(store.elastic_modulus, 0.0f) << text;
  EXPECT_GT(store.thickness, 0.0f) << text;
  EXPECT_NE(store.results_file_name, std::string(12, ' ')) << text;
}

void read_variant(ModelStore& store, const std::string& text) {
  clear_model_items(store);
  std::istringstream data(text);
  DataFault fault;
  read_data_file(data, store, fault);
  ASSERT_TRUE(failure_codes.count(store.data_error_code) == 1)
      << store.data_error_code << " for " << text;
  ASSERT_EQ(store.title.size(), 12u);
  ASSERT_EQ(store.results_file_name.size(), 12u);
  if (store.data_error_code == 600) {
    expect_sound_model(store, text);
  }
  std::istringstream console(text);
  std::string name = "d01         ";
  read_file_name_answer(console, name);
  ASSERT_EQ(name.size(), 12u);
}

TEST(MalformedInput, CutAtEveryByte) {
  auto store = make_model_store();
  for (const std::string& text : {joined(example_lines()), joined(four_case_lines())}) {
    for (std::size_t size = 0; size <= text.size(); ++size) {
      read_variant(*store, text.substr(0, size));
    }
  }
}

TEST(MalformedInput, EveryByteReplaced) {
  auto store = make_model_store();
  const std::string text = joined(example_lines());
  const char replacements[] = {',',  '/', '\'', '"', '*', '\0', '\n', '\r',
                               '\t', ' ', 'x',  '9', '-', '.',  'E',  '\xff'};
  for (std::size_t at = 0; at < text.size(); ++at) {
    for (const char c : replacements) {
      std::string variant = text;
      variant[at] = c;
      read_variant(*store, variant);
    }
  }
}

TEST(MalformedInput, RandomGarbling) {
  auto store = make_model_store();
  const std::string text = joined(four_case_lines());
  const std::string pieces[] = {"300", "301",  "999999999999", "-1", "0",   "80",
                                "81",  "2*",   "99*1",         "'",  ",,",  "/",
                                "\n",  "1e39", "1e-50",        "4 ", "5*5 "};
  std::mt19937 random(20260307);
  for (int variant_number = 0; variant_number < 3000; ++variant_number) {
    std::string variant = text;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int change = 0; change < changes; ++change) {
      const std::size_t at = random() % variant.size();
      switch (random() % 3) {
        case 0:
          variant.erase(at, 1 + random() % 8);
          break;
        case 1:
          variant.insert(at, pieces[random() % std::size(pieces)]);
          break;
        default:
          variant[at] = static_cast<char>(random() % 256);
      }
      if (variant.empty()) {
        variant = "x";
      }
    }
    read_variant(*store, variant);
  }
}

TEST(MalformedInput, HugeLinesAndOpenQuotes) {
  auto store = make_model_store();
  const std::string huge(10'000'000, '7');
  auto lines = example_lines();
  lines[2] = huge;  // a 10 MB title keeps its first 12 characters
  read_variant(*store, joined(lines));
  EXPECT_EQ(store->data_error_code, 600);
  EXPECT_EQ(store->title, "777777777777");

  lines = example_lines();
  lines[6] = huge + " 1 2";  // a count beyond int32
  read_variant(*store, joined(lines));
  EXPECT_EQ(store->data_error_code, 301);

  lines = example_lines();
  lines[4] = huge + "." + huge + " 0.2 0.15";  // a modulus beyond single precision
  read_variant(*store, joined(lines));
  EXPECT_EQ(store->data_error_code, 201);

  // A title quote that never closes over many long lines.
  std::string open_quote = joined(example_lines(), 2) + "'";
  for (int i = 0; i < 20; ++i) {
    open_quote += std::string(100'000, 'q') + "\n";
  }
  read_variant(*store, open_quote);
  EXPECT_EQ(store->data_error_code, 103);

  read_variant(*store, std::string(1'000'000, '\n'));
  EXPECT_EQ(store->data_error_code, 103);
  read_variant(*store, std::string(1'000'000, '\0'));
  EXPECT_EQ(store->data_error_code, 102);
}

// Input that never ends its line, as a device read as the data file or the console gives it.
class EndlessLine : public std::streambuf {
 public:
  explicit EndlessLine(char fill) { chunk_.fill(fill); }

 protected:
  int_type underflow() override {
    setg(chunk_.data(), chunk_.data(), chunk_.data() + chunk_.size());
    return traits_type::to_int_type(chunk_[0]);
  }

 private:
  std::array<char, 65536> chunk_;
};

// The reader gives up on a line beyond 32 MiB instead of filling the memory.
TEST(MalformedInput, EndlessLineIsAReadError) {
  const auto store = make_model_store();
  for (const char fill : {'\0', '7', '\''}) {
    EndlessLine endless(fill);
    std::istream data(&endless);
    DataFault fault;
    store->data_error_code = 0;
    read_data_file(data, *store, fault);
    EXPECT_EQ(store->data_error_code, 101) << fill;
    EXPECT_EQ(fault.line, 1) << fill;
    EXPECT_EQ(fault.reason, "linha com mais de 32 MiB") << fill;
  }
  EndlessLine endless('d');
  std::istream console(&endless);
  std::string name = "d01         ";
  read_file_name_answer(console, name);
  EXPECT_EQ(name, "d01         ");
}

// A record holds every value bit for bit, whatever runs of zeros it has and wherever they are.
TEST(MalformedInput, ScratchRecordsReadBackBitForBit) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::vector<double>> records = {
      {0.0, 0.0, 0.0},
      {1.0, 0.0, 2.0, 0.0, 0.0, 3.0, 0.0},
      {0.0, -0.0, 0.0, 0.0, nan, 5e-324, 0.0, 0.0, 0.0, -1.5},
      {7.0},
      std::vector<double>(1000, 0.0),
  };
  std::stringstream scratch(std::ios::in | std::ios::out | std::ios::binary);
  for (const auto& record : records) {
    write_scratch_record(scratch, record.data(), record.size());
  }
  for (const auto& record : records) {
    std::vector<double> read_back(record.size(), 9.0);
    read_scratch_record(scratch, read_back.data(), read_back.size());
    EXPECT_EQ(std::memcmp(read_back.data(), record.data(), record.size() * sizeof(double)), 0)
        << record.size() << " values";
  }
}

// A scratch record cut short (a full disk), written for another array or with runs that claim
// more values than it holds is refused.
TEST(MalformedInput, DamagedScratchRecordsStopTheRun) {
  const double values[3] = {1.0, 2.0, 3.0};
  std::stringstream whole(std::ios::in | std::ios::out | std::ios::binary);
  write_scratch_record(whole, values, 3);
  const std::string record = whole.str();
  std::string overlong = record;
  overlong[8] = 4;  // a run of four zeros in a record of three values
  std::string empty_run = record;
  empty_run.replace(8, 8, std::string(8, '\0'));  // a run of no values at all
  const struct {
    std::string bytes;
    std::size_t count;
  } rows[] = {{record.substr(0, record.size() - 1), 3},
              {record.substr(0, 4), 3},
              {record.substr(0, 12), 3},
              {"", 3},
              {record, 2},
              {overlong, 3},
              {empty_run, 3}};
  for (const auto& row : rows) {
    std::stringstream scratch(row.bytes, std::ios::in | std::ios::out | std::ios::binary);
    double read_back[3] = {};
    EXPECT_THROW(read_scratch_record(scratch, read_back, row.count), ScratchFileError);
  }
}

}  // namespace
}  // namespace lajefem
