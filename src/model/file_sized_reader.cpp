#include "model/file_sized_reader.hpp"

#include <map>
#include <string>
#include <vector>

#include "files/run_files.hpp"
#include "model/data_destination.hpp"
#include "model/group_size.hpp"

namespace lajefem {

namespace {

// The plate model as the data reader's destination. Nodes, elements and supports are appended as
// their statements are read; a case's loads wait in the slots their numbers choose (only the
// slots written are held) until the file is read whole.
class ModelDestination final : public DataDestination {
 public:
  explicit ModelDestination(PlateModel& model) : model_(model) {}

  DataCapacity capacity() const override { return file_sized_capacity; }
  void set_data_error_code(int code) override { data_error_code_ = code; }
  std::string& title() override { return title_; }
  void take_material(float elastic_modulus_gpa, float poisson_ratio, float thickness) override {
    model_.elastic_modulus_gpa = elastic_modulus_gpa;
    model_.poisson_ratio = poisson_ratio;
    model_.thickness = thickness;
  }
  void take_counts(int, int, int) override {}
  void take_node(int, const PlateNode& values) override { model_.nodes.push_back(values); }
  void take_element(int, const PlateElement& values) override { model_.elements.push_back(values); }
  void take_support(int, const PlateSupport& values) override { model_.supports.push_back(values); }
  void take_load_case_count(int) override {}
  void take_load_case(int, int loads) override {
    load_counts_.push_back(loads);
    slots_.emplace_back();
  }
  PlateLoad load_slot(int load_case, int load) const override {
    const auto& slots = slots_[static_cast<std::size_t>(load_case - 1)];
    const auto slot = slots.find(load);
    return slot == slots.end() ? PlateLoad{} : slot->second;
  }
  void take_load(int load_case, int load, const PlateLoad& values) override {
    slots_[static_cast<std::size_t>(load_case - 1)][load] = values;
  }
  std::string& results_name() override { return results_name_; }

  int data_error_code() const { return data_error_code_; }

  // Once the file is read whole: the names without their padding, and each case's loads in slots
  // 1..count (a slot never written stays empty, one beyond the count is not part of the case).
  void complete_model() {
    model_.title = trimmed_name(title_);
    model_.results_name = trimmed_name(results_name_);
    for (std::size_t c = 0; c < load_counts_.size(); ++c) {
      const int loads = group_size(load_counts_[c]);
      LoadCase load_case;
      load_case.loads.resize(static_cast<std::size_t>(loads));
      for (const auto& [load, values] : slots_[c]) {
        if (load <= loads) {
          load_case.loads[static_cast<std::size_t>(load - 1)] = values;
        }
      }
      model_.load_cases.push_back(std::move(load_case));
    }
  }

 private:
  PlateModel& model_;
  int data_error_code_ = 0;
  std::string title_ = std::string(limits::name_length, ' ');
  std::string results_name_ = std::string(limits::name_length, ' ');
  std::vector<int> load_counts_;
  std::vector<std::map<int, PlateLoad>> slots_;
};

}  // namespace

int read_file_sized_model(std::istream& data, PlateModel& model, DataFault& fault) {
  model = PlateModel();
  ModelDestination destination(model);
  read_data_statements(data, destination, fault);
  if (destination.data_error_code() == 600) {
    destination.complete_model();
  }
  return destination.data_error_code();
}

}  // namespace lajefem
