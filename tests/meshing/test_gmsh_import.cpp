// The gmsh reader and the import on small hand-written MSH 4.1 files.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <tuple>

#include "meshing/gmsh_reader.hpp"
#include "meshing/mesh_import.hpp"
#include "meshing/meshing_error.hpp"

namespace lajefem::meshing {
namespace {

// Two unit squares side by side, the second written clockwise, sparse node tags, a node that no
// quadrangle uses (tag 99), the left edge in curve group "left" and node 5 in point group "pin".
const std::string two_squares =
    "$MeshFormat\n4.1 0 8\n$EndMeshFormat\n"
    "$PhysicalNames\n3\n0 7 \"pin\"\n1 3 \"left\"\n2 1 \"slab\"\n$EndPhysicalNames\n"
    "$Entities\n1 1 1 0\n"
    "5 1 1 0 1 7\n"
    "4 0 0 0 0 1 0 1 3 2 1 -2\n"
    "1 0 0 0 2 1 0 1 1 4 1 2 3 4\n"
    "$EndEntities\n"
    "$Comments\nanything at all\n$EndComments\n"
    "$Nodes\n2 7 1 99\n"
    "2 1 1 6\n1\n2\n3\n4\n5\n6\n0 0 0 0 0\n1 0 0 1 0\n2 0 0 2 0\n0 1 0 0 1\n1 1 0 1 1\n2 1 0 2 1\n"
    "0 9 0 1\n99\n7 7 0\n"
    "$EndNodes\n"
    "$Elements\n3 4 1 12\n"
    "0 5 15 1\n11 5\n"
    "1 4 1 1\n12 1 4\n"
    "2 1 3 2\n1 1 2 5 4\n2 2 5 6 3\n"
    "$EndElements\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

ImportedMesh import_text(const std::string& text, const std::vector<GroupSupport>& supports = {}) {
  std::istringstream in(text);
  const GmshMesh mesh = read_gmsh_mesh(in);
  ImportedMesh imported = import_quadrangles(mesh);
  add_group_supports(imported, mesh, supports);
  return imported;
}

TEST(GmshImport, QuadranglesAnticlockwiseAndUnusedNodesDropped) {
  const ImportedMesh imported = import_text(two_squares);
  EXPECT_EQ(imported.model.elements.size(), 2u);
  EXPECT_EQ(imported.reversed_elements, 1);
  EXPECT_EQ(imported.dropped_nodes, 1);
  EXPECT_EQ(imported.model.nodes.size(), 6u);
  for (const PlateElement& element : imported.model.elements) {
    double twice_area = 0;
    for (std::size_t a = 0; a < 4; ++a) {
      const PlateNode& p = imported.model.nodes[element.nodes[a] - 1];
      const PlateNode& q = imported.model.nodes[element.nodes[(a + 1) % 4] - 1];
      twice_area += p.x * q.y - q.x * p.y;
    }
    EXPECT_DOUBLE_EQ(twice_area, 2.0);
  }
}

TEST(GmshImport, GroupsSupportTheirNodesWithTheStiffestSprings) {
  const ImportedMesh imported =
      import_text(two_squares, {{"left", {1, 0, 0}}, {"pin", {1, 2, 3}}, {"slab", {0, 0.5f, 0}}});
  ASSERT_EQ(imported.model.supports.size(), 6u);  // "slab" holds every node
  for (const PlateSupport& support : imported.model.supports) {
    const long tag = imported.node_tags[static_cast<std::size_t>(support.node) - 1];
    const bool left = tag == 1 || tag == 4;
    EXPECT_EQ(support.spring_w, tag == 5 || left ? 1.0f : 0.0f) << tag;
    EXPECT_EQ(support.spring_theta_x, tag == 5 ? 2.0f : 0.5f) << tag;
    EXPECT_EQ(support.spring_theta_y, tag == 5 ? 3.0f : 0.0f) << tag;
  }
}

TEST(GmshImport, FilesItCannotUseSayWhatToDo) {
  const std::pair<std::string, const char*> rows[] = {
      {replaced(two_squares, "4.1 0 8", "2.2 0 8"), "MSH version 2.2"},
      {replaced(two_squares, "4.1 0 8", "4.1 1 8"), "binary"},
      {replaced(two_squares, "2 1 3 2\n", "2 1 2 2\n"), "Mesh.RecombineAll = 1"},
      {replaced(two_squares, "2 1 3 2\n", "2 1 10 2\n"), "9-node quadrangle"},
      {replaced(two_squares, "1 1 0 1 1\n", "1 1 0.5 1 1\n"), "not flat"},
      {replaced(two_squares, "2 2 5 6 3", "2 2 6 5 3"), "not convex"},
      {replaced(two_squares, "1 1 2 5 4", "1 1 2 5 8"), "node 8"},
      {replaced(two_squares, "$MeshFormat", "$Mesh"), "not a gmsh mesh file"},
      {two_squares.substr(0, two_squares.find("$Elements")), "no $Elements"},
      {replaced(two_squares, "0 9 0 1\n99", "0 9 0 x\n99"), "line 34"},
  };
  for (const auto& [text, message] : rows) {
    try {
      import_text(text);
      ADD_FAILURE() << "accepted, expected: " << message;
    } catch (const MeshingError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
}

TEST(GmshImport, UnknownGroupListsTheNamesTheFileHolds) {
  try {
    import_text(two_squares, {{"edges", {1, 0, 0}}});
    FAIL();
  } catch (const MeshingError& error) {
    EXPECT_STREQ(error.what(), "no physical group 'edges' in the mesh; it holds: pin, left, slab");
  }
}

// Every file cut short after any line, or with any word replaced by a hostile one, either imports
// or is refused with a message: no crash, no huge allocation from a count.
TEST(GmshImport, DamagedFilesAreRefusedCleanly) {
  std::vector<std::string> damaged;
  for (std::size_t end = two_squares.find('\n'); end != std::string::npos;
       end = two_squares.find('\n', end + 1)) {
    damaged.push_back(two_squares.substr(0, end + 1));
  }
  for (std::size_t at = 0; at < two_squares.size(); ++at) {
    const bool word_start = at == 0 || two_squares[at - 1] == ' ' || two_squares[at - 1] == '\n';
    if (!word_start || two_squares[at] == ' ' || two_squares[at] == '\n') {
      continue;
    }
    const std::size_t end = two_squares.find_first_of(" \n", at);
    for (const char* word : {"-1", "0", "9999999999", "x", "4"}) {
      damaged.push_back(two_squares.substr(0, at) + word + two_squares.substr(end));
    }
  }
  for (const std::string& text : damaged) {
    try {
      import_text(text, {{"left", {1, 0, 0}}});
    } catch (const MeshingError&) {
    }
  }
}

// A group that the file lists but whose elements cannot be found supports nothing: refused, as
// is a group without elements, rather than a model without the supports asked for.
TEST(GmshImport, GroupsThatHoldNoNodeAreRefused) {
  const std::string without_entities = two_squares.substr(0, two_squares.find("$Entities")) +
                                       two_squares.substr(two_squares.find("$Comments"));
  const std::string without_point = replaced(replaced(two_squares, "0 5 15 1\n11 5\n", ""),
                                             "$Elements\n3 4 1 12", "$Elements\n2 3 1 12");
  const std::tuple<std::string, const char*, const char*> rows[] = {
      {without_entities, "left", "no $Entities section"},
      {without_point, "pin", "holds no element"},
  };
  for (const auto& [text, group, message] : rows) {
    try {
      import_text(text, {{group, {1, 0, 0}}});
      ADD_FAILURE() << "accepted, expected: " << message;
    } catch (const MeshingError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
}

// Bytes of the file that a message quotes are shown whole, a NUL byte and what follows it.
TEST(GmshImport, MessagesShowANulByte) {
  try {
    import_text(replaced(two_squares, "$Comments", std::string("$Comm\0nts", 9)));
    FAIL();
  } catch (const MeshingError& error) {
    EXPECT_STREQ(error.what(), "line 16: section $Comm\\0nts has no $EndComm\\0nts");
  }
}

// A mesh followed by 5 million empty lines (64 bytes a line kept would be 320 MB): the lines are
// read, not kept.
class EmptyLinesAfter : public std::streambuf {
 public:
  EmptyLinesAfter(const std::string& text, long long lines) : text_(text), lines_(lines) {
    setg(text_.data(), text_.data(), text_.data() + text_.size());
  }

 protected:
  int_type underflow() override {
    if (lines_ <= 0) {
      return traits_type::eof();
    }
    const long long now = std::min<long long>(lines_, static_cast<long long>(block_.size()));
    lines_ -= now;
    setg(block_.data(), block_.data(), block_.data() + now);
    return traits_type::to_int_type('\n');
  }

 private:
  std::string text_;
  long long lines_;
  std::string block_ = std::string(1 << 16, '\n');
};

long peak_kilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(GmshImport, ReadsALineAtATime) {
  const long before = peak_kilobytes();
  EmptyLinesAfter lines(two_squares, 5'000'000);
  std::istream in(&lines);
  EXPECT_EQ(read_gmsh_mesh(in).nodes.size(), 7u);
  EXPECT_LT(peak_kilobytes() - before, 64 * 1024);
  // A count far beyond the file reserves nothing: the file ends where the data should be.
  try {
    const std::string huge = replaced(two_squares, "0 5 15 1\n", "0 5 15 4000000000000000000\n");
    import_text(huge.substr(0, huge.find("11 5\n") + 5));
    FAIL();
  } catch (const MeshingError& error) {
    EXPECT_NE(std::string(error.what()).find("the file ends where"), std::string::npos)
        << error.what();
  }
  // A line longer than 32 MiB is refused, not held.
  try {
    import_text(replaced(two_squares, "anything at all", std::string((1u << 25) + 1, 'x')));
    FAIL();
  } catch (const MeshingError& error) {
    EXPECT_STREQ(error.what(), "line 17: the line is longer than 32 MiB");
  }
}

// trapezoid_plate.geo, meshed by gmsh: 4 m × 3 m, the left edge leaning from (0, 0) to (1, 3).
GmshMesh trapezoid_plate() {
  std::ifstream in(LAJEFEM_SOURCE_DIR "/tests/meshing/trapezoid_plate.msh");
  return read_gmsh_mesh(in);
}

// Springs on the x and y edges of the trapezoid: bottom y = 0, right x = 4, top y = 3, middle
// x = 2; none elsewhere.
using Expected = SupportSprings (*)(const PlateNode&);

struct CurveSupportCase {
  const char* name;
  std::vector<CurveSupport> supports;
  Expected expected;
};

class CurveSupports : public ::testing::TestWithParam<CurveSupportCase> {};

bool holds_any(const SupportSprings& s) {
  return s.w > 0 || s.theta_x > 0 || s.theta_y > 0;
}

// H holds w and the slope along the curve, Y the slope across it: θx = ∂w/∂x along x.
TEST_P(CurveSupports, HoldTheSlopeAlongOrAcrossTheCurve) {
  const CurveSupportCase& c = GetParam();
  const GmshMesh mesh = trapezoid_plate();
  ImportedMesh imported = import_quadrangles(mesh);
  add_group_supports(imported, mesh, {}, c.supports);
  std::size_t held = 0;
  for (const PlateNode& node : imported.model.nodes) {
    held += holds_any(c.expected(node)) ? 1 : 0;
  }
  ASSERT_GT(held, 0u);
  ASSERT_EQ(imported.model.supports.size(), held);
  for (const PlateSupport& support : imported.model.supports) {
    const PlateNode& node = imported.model.nodes[static_cast<std::size_t>(support.node) - 1];
    const SupportSprings expected = c.expected(node);
    EXPECT_EQ(support.spring_w, expected.w) << node.x << ", " << node.y;
    EXPECT_EQ(support.spring_theta_x, expected.theta_x) << node.x << ", " << node.y;
    EXPECT_EQ(support.spring_theta_y, expected.theta_y) << node.x << ", " << node.y;
  }
}

using Slope = CurveSupport::Slope;

INSTANTIATE_TEST_SUITE_P(
    Trapezoid, CurveSupports,
    ::testing::Values(
        CurveSupportCase{"hard_along_x",
                         {{"bottom", Slope::along, 7}},
                         [](const PlateNode& n) {
                           return n.y == 0 ? SupportSprings{7, 7, 0} : SupportSprings{};
                         }},
        CurveSupportCase{"hard_along_y",
                         {{"right", Slope::along, 7}},
                         [](const PlateNode& n) {
                           return n.x == 4 ? SupportSprings{7, 0, 7} : SupportSprings{};
                         }},
        CurveSupportCase{"symmetry_along_x",
                         {{"top", Slope::across, 7}},
                         [](const PlateNode& n) {
                           return n.y == 3 ? SupportSprings{0, 0, 7} : SupportSprings{};
                         }},
        CurveSupportCase{"symmetry_along_y",
                         {{"middle", Slope::across, 7}},
                         [](const PlateNode& n) {
                           return n.x == 2 ? SupportSprings{0, 7, 0} : SupportSprings{};
                         }},
        CurveSupportCase{"hard_meeting_at_a_corner",
                         {{"bottom", Slope::along, 7}, {"right", Slope::along, 7}},
                         [](const PlateNode& n) {
                           return SupportSprings{n.y == 0 || n.x == 4 ? 7.0f : 0.0f,
                                                 n.y == 0 ? 7.0f : 0.0f, n.x == 4 ? 7.0f : 0.0f};
                         }}),
    [](const ::testing::TestParamInfo<CurveSupportCase>& row) { return row.param.name; });

TEST(GmshImport, SlopeSupportsRefuseWhatTheyCannotHold) {
  const GmshMesh mesh = trapezoid_plate();
  const std::tuple<CurveSupport, const char*> rows[] = {
      {{"slant", Slope::along, 1}, "group 'slant': the segment from (1, 3) to (0.6666667, 2)"},
      {{"slant", Slope::across, 1}, "runs along neither x nor y"},
      {{"corner", Slope::along, 1}, "group 'corner' holds no curve"},
      {{"right_part", Slope::across, 1}, "takes a physical curve"},
  };
  for (const auto& [support, message] : rows) {
    ImportedMesh imported = import_quadrangles(mesh);
    try {
      add_group_supports(imported, mesh, {}, {support});
      ADD_FAILURE() << "accepted, expected: " << message;
    } catch (const MeshingError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
}

// A patch takes a physical surface, a line load a physical curve (their totals are checked
// against the reactions in the import command's tests).
TEST(GmshImport, GroupLoadsNeedGroupsOfTheirDimension) {
  const GmshMesh mesh = trapezoid_plate();
  const ImportedMesh imported = import_quadrangles(mesh);
  EXPECT_EQ(curve_line_forces(imported, mesh, "bottom", 1).size(), 7u);
  EXPECT_THROW(surface_patch_forces(imported, mesh, "middle", -1), MeshingError);
  EXPECT_THROW(curve_line_forces(imported, mesh, "left_part", -1), MeshingError);
  EXPECT_THROW(curve_line_forces(imported, mesh, "edges", -1), MeshingError);
}

}  // namespace
}  // namespace lajefem::meshing
