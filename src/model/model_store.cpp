#include "model/model_store.hpp"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace lajefem {

namespace {

constexpr std::size_t huge_page = std::size_t{2} << 20;

}  // namespace

void* ModelStore::operator new(std::size_t size) {
  const std::size_t rounded = (size + huge_page - 1) / huge_page * huge_page;
  void* block = std::aligned_alloc(huge_page, rounded);
  if (block == nullptr) {
    throw std::bad_alloc();
  }
#ifdef MADV_HUGEPAGE
  madvise(block, rounded, MADV_HUGEPAGE);  // advice only: without huge pages nothing changes
#endif
  return block;
}

void ModelStore::operator delete(void* block) {
  std::free(block);
}

}  // namespace lajefem
