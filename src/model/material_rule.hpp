// The material values the program takes, shared by its data file reader and by whatever writes a
// data file for it: a modulus that stays positive and finite once held in kN/m² (in single
// precision: from about 3.4E32 GPa it overflows), a Poisson's ratio strictly between -1 and 1 and
// a positive thickness. Anything else would give non-positive or infinite plate rigidities.
#pragma once

#include <optional>

namespace lajefem {

// The modulus as the program holds it, kN/m², from the GPa of the data file (in single precision).
float held_modulus(float modulus_gpa);

struct MaterialFault {
  int value = 0;            // 0 the modulus, 1 Poisson's ratio, 2 the thickness
  const char* reason;       // Portuguese, for the data-error message
  const char* explanation;  // the same in English
};

// The first of the three values that the program refuses; elastic_modulus in kN/m² as held.
std::optional<MaterialFault> material_fault(float elastic_modulus, float poisson_ratio,
                                            float thickness);

}  // namespace lajefem
