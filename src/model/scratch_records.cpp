#include "model/scratch_records.hpp"

#include <cstdint>
#include <istream>
#include <ostream>

#include "model/buffered_write.hpp"
#include "model/run_stop.hpp"
#include "report/text_fields.hpp"

namespace lajefem {

void write_scratch_record(std::ostream& scratch, const double* values, std::size_t count) {
  const std::uint64_t header = count;
  scratch.write(reinterpret_cast<const char*>(&header), sizeof header);
  write_through_buffer(scratch, reinterpret_cast<const char*>(values), count * sizeof(double));
}

void read_scratch_record(std::istream& scratch, double* values, std::size_t count,
                         std::ostream& console) {
  std::uint64_t header = 0;
  scratch.read(reinterpret_cast<char*>(&header), sizeof header);
  if (scratch && header == count) {
    scratch.read(reinterpret_cast<char*>(values),
                 static_cast<std::streamsize>(count * sizeof(double)));
  }
  if (!scratch || header != count) {
    console << "\n     ERRO: leitura do ficheiro temporário de resultados falhou\n"_l1;
    throw RunStop();
  }
}

void rewind_scratch(std::iostream& scratch) {
  scratch.clear();
  scratch.seekg(0);
}

}  // namespace lajefem
