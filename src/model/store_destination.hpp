// The model store as the data reader's destination: every value goes into the store's arrays as
// the console program holds it (the modulus in kN/m², a support's node as a real), within the
// store's limits.
#pragma once

#include "model/data_destination.hpp"
#include "model/model_store.hpp"

namespace lajefem {

class StoreDestination final : public DataDestination {
 public:
  explicit StoreDestination(ModelStore& store) : store_(store) {}

  DataCapacity capacity() const override { return store_capacity; }
  void set_data_error_code(int code) override { store_.data_error_code = code; }
  std::string& title() override { return store_.title; }
  void take_material(float elastic_modulus_gpa, float poisson_ratio, float thickness) override;
  void take_counts(int nodes, int elements, int supports) override;
  void take_node(int node, const PlateNode& values) override;
  void take_element(int element, const PlateElement& values) override;
  void take_support(int support, const PlateSupport& values) override;
  void take_load_case_count(int load_cases) override { store_.load_case_count = load_cases; }
  void take_load_case(int load_case, int loads) override {
    store_.loads_per_case(load_case) = loads;
  }
  PlateLoad load_slot(int load_case, int load) const override;
  void take_load(int load_case, int load, const PlateLoad& values) override;
  std::string& results_name() override { return store_.results_file_name; }

 private:
  ModelStore& store_;
};

}  // namespace lajefem
