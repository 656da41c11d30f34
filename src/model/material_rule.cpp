#include "model/material_rule.hpp"

#include <cmath>

namespace lajefem {

float held_modulus(float modulus_gpa) {
  return modulus_gpa * 1e6f;
}

std::optional<MaterialFault> material_fault(float elastic_modulus, float poisson_ratio,
                                            float thickness) {
  if (!(elastic_modulus > 0.0f) || std::isinf(elastic_modulus)) {
    return MaterialFault{0, "módulo de elasticidade tem de ser positivo e finito",
                         "the modulus of elasticity must be positive and finite"};
  }
  if (!(poisson_ratio > -1.0f && poisson_ratio < 1.0f)) {
    return MaterialFault{1, "coeficiente de Poisson fora do intervalo -1..1 (extremos excluídos)",
                         "Poisson's ratio must lie strictly between -1 and 1"};
  }
  if (!(thickness > 0.0f)) {
    return MaterialFault{2, "espessura tem de ser positiva", "the thickness must be positive"};
  }
  return std::nullopt;
}

}  // namespace lajefem
