#include "text/constants_file.hpp"

#include <string_view>

#include "text/line.hpp"
#include "text/text_channel.hpp"

namespace ascent {

namespace {
constexpr std::string_view CONTINUATION = "                           ";  // 27 blanks
}  // namespace

void write_constants_file(const std::filesystem::path& path, const MassBudget& budget,
                          const Vehicle& vehicle) {
  const UpperStage& stage = vehicle.upper_stage;
  TextChannel file = TextChannel::replace(path);
  file.write_line("");
  file.write_line("  {Stage 3 constants updated from simulation}");
  file.write_line(Line{}.text("  S3_Mi    =    ").fixed(budget.S3_Mi, 4, 0).text("; {kg, interstage mass}"));
  file.write_line(Line{}
                      .text("  S3_Mp    =  ")
                      .fixed(budget.S3_Mp, 6, 0)
                      .text("; {kg, mainstage propellant mass used, ")
                      .fixed(budget.total_propellant, 5, 0)
                      .text(" kg total -"));
  file.write_line(Line{}
                      .text(CONTINUATION)
                      .fixed(stage.unusable_propellant, 3, 0)
                      .text(" kg unusable - ")
                      .fixed(budget.reserve_propellant, 3, 0)
                      .text(" kg reserve - ")
                      .fixed(budget.deorbit_propellant, 3, 0)
                      .text(" kg deorbit}"));
  file.write_line(Line{}
                      .text("  S3_Ms    =   ")
                      .fixed(budget.S3_Ms, 5, 0)
                      .text("; {kg, cutoff mass, ")
                      .fixed(stage.dry_mass, 5, 0)
                      .text(" kg dry + ")
                      .fixed(stage.unusable_propellant, 4, 0)
                      .text(" kg unusable +"));
  file.write_line(Line{}
                      .text(CONTINUATION)
                      .fixed(budget.reserve_propellant, 3, 0)
                      .text(" kg reserve + ")
                      .fixed(budget.deorbit_propellant, 3, 0)
                      .text(" kg deorbit}"));
  file.write_line(Line{}
                      .text("  S3_U_Mp  =     ")
                      .fixed(budget.S3_U_Mp, 3, 0)
                      .text("; {kg, ullage and RCS propellant}"));
  file.write_line(Line{}.text("  SC_M     =  ").fixed(budget.SC_M, 6, 0).text("; {kg, Spacecraft mass}"));
  file.close();
}

}  // namespace ascent
