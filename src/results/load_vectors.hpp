// The right-hand sides of every load case: nodal loads and distributed loads over the plate.
#pragma once

#include <iosfwd>

#include "model/model_store.hpp"

namespace lajefem {

// Adds every load of every case into load_vectors (zeroed by the caller). An unknown load type
// (an empty slot included) writes "Erro: Tipo de carga desconhecido" and stops the run.
void form_load_vectors(ModelStore& store, std::ostream& console);

}  // namespace lajefem
