// The band table. Edges in MHz from the IARU region band plans (widest of the three regions).
#include "feed/bands.h"

#include <array>

namespace feed {
namespace {

constexpr std::array<Band, 18> bands = {{
    {"2200m", 0.1357, 0.1378},
    {"630m", 0.472, 0.479},
    {"160m", 1.8, 2.0},
    {"80m", 3.5, 4.0},
    {"60m", 5.25, 5.45},
    {"40m", 7.0, 7.3},
    {"30m", 10.1, 10.15},
    {"20m", 14.0, 14.35},
    {"17m", 18.068, 18.168},
    {"15m", 21.0, 21.45},
    {"12m", 24.89, 24.99},
    {"10m", 28.0, 29.7},
    {"6m", 50.0, 54.0},
    {"4m", 70.0, 70.5},
    {"2m", 144.0, 148.0},
    {"1.25m", 222.0, 225.0},
    {"70cm", 420.0, 450.0},
    {"23cm", 1240.0, 1300.0},
}};

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerCase(a[i]) != lowerCase(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<Band> findBand(std::string_view name) {
  for (const Band& band : bands) {
    if (equalIgnoringCase(band.name, name)) return band;
  }
  return std::nullopt;
}

std::string_view bandNames() {
  return "2200m 630m 160m 80m 60m 40m 30m 20m 17m 15m 12m 10m 6m 4m 2m 1.25m 70cm 23cm";
}

}  // namespace feed
