#include "meshing/gmsh_reader.hpp"

#include <charconv>
#include <cmath>
#include <istream>
#include <sstream>

#include "meshing/meshing_error.hpp"
#include "model/free_format.hpp"

namespace lajefem::meshing {

namespace {

constexpr const char* how_to_save_41 =
    "save it as MSH 4.1 ASCII (gmsh FILE.geo -2 -format msh41 -o FILE.msh, or "
    "Mesh.MshFileVersion = 4.1 and Mesh.Binary = 0)";

// The file read a line at a time: the line last read and its number, for messages that name it.
struct MshLines {
  std::istream& stream;
  std::string line;
  std::size_t next = 0;  // lines read so far: the number of `line`
};

[[noreturn]] void fail_at(const MshLines& in, const std::string& what) {
  throw MeshingError("line " + std::to_string(in.next) + ": " + what);
}

std::vector<std::string> split_words(const std::string& line) {
  std::istringstream words(line);
  std::vector<std::string> result;
  for (std::string word; words >> word;) {
    result.push_back(word);
  }
  return result;
}

// Reads the next line, without its LF or a CR before that; false at the end of the file. A line
// longer than the data file reader takes is refused before it is held.
bool read_line(MshLines& in) {
  std::streambuf& bytes = *in.stream.rdbuf();
  in.line.clear();
  int byte = bytes.sbumpc();
  if (byte == std::char_traits<char>::eof()) {
    return false;
  }
  ++in.next;
  for (; byte != std::char_traits<char>::eof() && byte != '\n'; byte = bytes.sbumpc()) {
    if (in.line.size() == longest_line) {
      fail_at(in, "the line is longer than 32 MiB");
    }
    in.line.push_back(static_cast<char>(byte));
  }
  if (!in.line.empty() && in.line.back() == '\r') {
    in.line.pop_back();
  }
  return true;
}

// The next line's words; at least `least` of them.
std::vector<std::string> next_words(MshLines& in, std::size_t least, const char* what) {
  if (!read_line(in)) {
    fail_at(in, std::string("the file ends where ") + what + " should be");
  }
  std::vector<std::string> words = split_words(in.line);
  if (words.size() < least) {
    fail_at(in, std::string(what) + " needs " + std::to_string(least) + " values");
  }
  return words;
}

long whole_number(const MshLines& in, const std::string& word) {
  long value = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  if (error != std::errc() || stop != end) {
    fail_at(in, "'" + word + "' is not a whole number");
  }
  return value;
}

int small_number(const MshLines& in, const std::string& word) {
  const long value = whole_number(in, word);
  if (value < -1'000'000'000L || value > 1'000'000'000L) {
    fail_at(in, "'" + word + "' is out of range");
  }
  return static_cast<int>(value);
}

double real_number(const MshLines& in, const std::string& word) {
  double value = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value)) {
    fail_at(in, "'" + word + "' is not a number");
  }
  return value;
}

// A count of the lines that follow. Nothing is reserved for it: what is kept grows with the lines
// actually read, so a count far beyond the file ends at the end of the file.
std::size_t count_of(const MshLines& in, const std::string& word) {
  const long count = whole_number(in, word);
  if (count < 0) {
    fail_at(in, "count " + word + " is negative");
  }
  return static_cast<std::size_t>(count);
}

void expect_end(MshLines& in, const std::string& section) {
  const auto words = next_words(in, 1, ("$End" + section).c_str());
  if (words[0] != "$End" + section) {
    fail_at(in, "expected $End" + section);
  }
}

void read_mesh_format(MshLines& in) {
  const auto words = next_words(in, 3, "the version line");
  if (words[1] != "0") {
    throw MeshingError("this is a binary MSH file: " + std::string(how_to_save_41));
  }
  if (words[0] != "4.1") {
    throw MeshingError("this is MSH version " + words[0] + ", import reads 4.1: " + how_to_save_41);
  }
  expect_end(in, "MeshFormat");
}

void read_physical_names(MshLines& in, GmshMesh& mesh) {
  const std::size_t count = count_of(in, next_words(in, 1, "the group count")[0]);
  for (std::size_t k = 0; k < count; ++k) {
    const auto words = next_words(in, 3, "a physical name");
    const std::string& line = in.line;
    const auto open = line.find('"');
    const auto close = line.rfind('"');
    if (open == std::string::npos || close == open) {
      fail_at(in, "a physical name must be in quotation marks");
    }
    mesh.group_names[{small_number(in, words[0]), small_number(in, words[1])}] =
        line.substr(open + 1, close - open - 1);
  }
  expect_end(in, "PhysicalNames");
}

// One entity line: tag, its box (a point only x y z), its physical tags, then bounding entities.
void read_entity(MshLines& in, GmshMesh& mesh, int dim) {
  const std::size_t box_values = dim == 0 ? 3 : 6;
  const auto words = next_words(in, 2 + box_values, "an entity");
  const std::size_t physical_count = count_of(in, words[1 + box_values]);
  if (words.size() < 2 + box_values + physical_count) {
    fail_at(in, "the entity lists fewer physical tags than it counts");
  }
  std::vector<int>& groups = mesh.entity_groups[{dim, small_number(in, words[0])}];
  for (std::size_t k = 0; k < physical_count; ++k) {
    groups.push_back(std::abs(small_number(in, words[2 + box_values + k])));
  }
}

void read_entities(MshLines& in, GmshMesh& mesh) {
  const auto counts = next_words(in, 4, "the entity counts");
  for (int dim = 0; dim < 4; ++dim) {
    const std::size_t count = count_of(in, counts[static_cast<std::size_t>(dim)]);
    for (std::size_t k = 0; k < count; ++k) {
      read_entity(in, mesh, dim);
    }
  }
  expect_end(in, "Entities");
  mesh.has_entities = true;
}

void read_node_block(MshLines& in, GmshMesh& mesh) {
  const auto header = next_words(in, 4, "a node block");
  const int dim = small_number(in, header[0]);
  const bool parametric = whole_number(in, header[2]) != 0;
  const std::size_t count = count_of(in, header[3]);
  const std::size_t first = mesh.nodes.size();
  for (std::size_t k = 0; k < count; ++k) {
    mesh.nodes.push_back({whole_number(in, next_words(in, 1, "a node tag")[0]), 0, 0, 0});
  }
  const std::size_t values = 3 + (parametric ? static_cast<std::size_t>(dim) : 0);
  for (std::size_t k = 0; k < count; ++k) {
    const auto words = next_words(in, values, "node coordinates");
    GmshNode& node = mesh.nodes[first + k];
    node.x = real_number(in, words[0]);
    node.y = real_number(in, words[1]);
    node.z = real_number(in, words[2]);
  }
}

void read_nodes(MshLines& in, GmshMesh& mesh) {
  const std::size_t blocks = count_of(in, next_words(in, 4, "the node counts")[0]);
  for (std::size_t b = 0; b < blocks; ++b) {
    read_node_block(in, mesh);
  }
  expect_end(in, "Nodes");
}

void read_element_block(MshLines& in, GmshMesh& mesh) {
  const auto header = next_words(in, 4, "an element block");
  GmshElement element;
  element.entity_dim = small_number(in, header[0]);
  element.entity_tag = small_number(in, header[1]);
  element.type = small_number(in, header[2]);
  const std::size_t count = count_of(in, header[3]);
  for (std::size_t k = 0; k < count; ++k) {
    const auto words = next_words(in, 2, "an element");
    element.tag = whole_number(in, words[0]);
    element.nodes.clear();
    for (std::size_t w = 1; w < words.size(); ++w) {
      element.nodes.push_back(whole_number(in, words[w]));
    }
    mesh.elements.push_back(element);
  }
}

void read_elements(MshLines& in, GmshMesh& mesh) {
  const std::size_t blocks = count_of(in, next_words(in, 4, "the element counts")[0]);
  for (std::size_t b = 0; b < blocks; ++b) {
    read_element_block(in, mesh);
  }
  expect_end(in, "Elements");
}

// Passes over a section this reader does not use.
void skip_section(MshLines& in, const std::string& name) {
  const std::string end = "$End" + name.substr(1);
  const std::size_t start = in.next;
  while (read_line(in)) {
    if (split_words(in.line) == std::vector{end}) {
      return;
    }
  }
  in.next = start;
  fail_at(in, "section " + name + " has no " + end);
}

}  // namespace

GmshMesh read_gmsh_mesh(std::istream& stream) {
  MshLines in{stream, {}, 0};
  if (!read_line(in) || split_words(in.line) != std::vector<std::string>{"$MeshFormat"}) {
    throw MeshingError("not a gmsh mesh file (it does not begin with $MeshFormat)");
  }
  read_mesh_format(in);
  GmshMesh mesh;
  bool has_nodes = false;
  bool has_elements = false;
  while (read_line(in)) {
    const auto words = split_words(in.line);
    if (words.empty()) {
      continue;
    }
    if (words[0] == "$PhysicalNames") {
      read_physical_names(in, mesh);
    } else if (words[0] == "$Entities") {
      read_entities(in, mesh);
    } else if (words[0] == "$Nodes") {
      read_nodes(in, mesh);
      has_nodes = true;
    } else if (words[0] == "$Elements") {
      read_elements(in, mesh);
      has_elements = true;
    } else if (words[0].front() == '$') {
      skip_section(in, words[0]);
    } else {
      fail_at(in, "'" + words[0] + "' outside any section");
    }
  }
  if (!has_nodes || !has_elements) {
    throw MeshingError("the file has no " + std::string(has_nodes ? "$Elements" : "$Nodes") +
                       " section");
  }
  return mesh;
}

std::string gmsh_type_name(int type) {
  switch (type) {
    case 1:
      return "2-node line";
    case 2:
      return "3-node triangle";
    case 3:
      return "4-node quadrangle";
    case 9:
      return "6-node triangle";
    case 10:
      return "9-node quadrangle";
    case 15:
      return "1-node point";
    case 16:
      return "8-node quadrangle";
    default:
      return "element type " + std::to_string(type);
  }
}

}  // namespace lajefem::meshing
