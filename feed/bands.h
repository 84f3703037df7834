// Amateur bands by name, with their usual edges, for "--band 30m".
//
// Edges are the widest allocation across the three regions, so that a decode on a band's WSPR
// frequency in any region falls inside (60 m covers the UK and US WSPR channels).
#pragma once

#include <optional>
#include <string_view>

namespace feed {

struct Band {
  std::string_view name;  // "30m", "70cm"
  double lowMhz;
  double highMhz;
  bool contains(double megahertz) const { return megahertz >= lowMhz && megahertz <= highMhz; }
};

// The band named `name` (as "30m", letter case ignored), or nothing for an unknown name.
std::optional<Band> findBand(std::string_view name);

// The band names known, blank-separated, for messages and the usage text.
std::string_view bandNames();

}  // namespace feed
