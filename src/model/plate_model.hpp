// The plate model as plain data, sized by the model itself: what the data file describes, with
// nodes, elements and supports numbered by position from 1 (index + 1), as the program numbers
// them. Input values keep the single precision in which the program holds them.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace lajefem {

struct PlateNode {
  float x = 0;  // m
  float y = 0;  // m
};

struct PlateElement {
  int type = 1;                // element type code; 1 is the four-node plate element
  std::array<int, 4> nodes{};  // corner node numbers (1-based), anticlockwise
};

struct PlateSupport {
  int node = 0;              // supported node (1-based)
  float spring_w = 0;        // GN/m against w
  float spring_theta_x = 0;  // GN·m/rad against θx
  float spring_theta_y = 0;  // GN·m/rad against θy
};

// Load codes of the data file: 1 a nodal load (values 1..3: Fw kN, Mx, My kN·m on `node`),
// 2 a distributed load over the whole plate (values as the data file gives them).
struct PlateLoad {
  int type = 0;  // 0: the slot was never filled
  int node = 0;  // node of a nodal load; as read for other types
  std::array<float, 8> values{};
};

struct LoadCase {
  std::vector<PlateLoad> loads;  // slots 1..n of the case, in slot order
};

struct PlateModel {
  std::string title;              // up to 12 characters, trailing blanks removed
  float elastic_modulus_gpa = 0;  // as written in the data file, GPa
  float poisson_ratio = 0;
  float thickness = 0;  // m
  std::vector<PlateNode> nodes;
  std::vector<PlateElement> elements;
  std::vector<PlateSupport> supports;
  std::vector<LoadCase> load_cases;
  std::string results_name;  // up to 12 characters, trailing blanks removed
};

}  // namespace lajefem
