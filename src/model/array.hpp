// Fixed-size arrays indexed from 1, first index varying fastest (column by column), so that
// the code reads like the formulas: global_stiffness(i, j), load_info(k, 1, c).
// The storage order matters: whole arrays go to the results scratch file in this order.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace lajefem {

template <typename T, int N1, int N2 = 1, int N3 = 1>
class Array {
 public:
  static constexpr std::size_t size = static_cast<std::size_t>(N1) * N2 * N3;

  T& operator()(int i) { return values_[offset(i, 1, 1)]; }
  const T& operator()(int i) const { return values_[offset(i, 1, 1)]; }
  T& operator()(int i, int j) { return values_[offset(i, j, 1)]; }
  const T& operator()(int i, int j) const { return values_[offset(i, j, 1)]; }
  T& operator()(int i, int j, int k) { return values_[offset(i, j, k)]; }
  const T& operator()(int i, int j, int k) const { return values_[offset(i, j, k)]; }

  T* data() { return values_.data(); }
  const T* data() const { return values_.data(); }
  void fill(const T& value) { values_.fill(value); }

 private:
  static std::size_t offset(int i, int j, int k) {
    assert(i >= 1 && i <= N1 && j >= 1 && j <= N2 && k >= 1 && k <= N3);
    return static_cast<std::size_t>(i - 1) +
           static_cast<std::size_t>(N1) *
               (static_cast<std::size_t>(j - 1) + static_cast<std::size_t>(N2) * (k - 1));
  }

  std::array<T, size> values_{};
};

}  // namespace lajefem
