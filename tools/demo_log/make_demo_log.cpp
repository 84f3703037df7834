// make-demo-log: writes Ferlang's demo spot log, one made-up day of 30 m WSPR reception, so that
// a first start has a chart to show.
//
//   make-demo-log [FILE]        (no FILE: standard output)
//
// Regenerate the shipped log after changing this file (the DemoLog.MatchesTheGenerator test
// fails until the two agree):
//   cmake --build build -j2 --target make-demo-log
//   build/tools/make-demo-log assets/wspr-demo.log
//
// The receiver sits in JN58. Every station below is invented (a call sign that belongs to someone
// is a coincidence) and transmits in a share of the day's 720 two-minute slots. Its signal
// follows a daily curve whose peak hour and width come from its path: short paths peak at the
// local noon of the path's midpoint, middle ones in its evening, long ones in its night, and a
// slow fade and per-spot noise ride on the curve; a spot is decoded down to about -33 dB. A
// station with a six-character locator or a compound call sends its call and locator in two
// messages by turns; the second carries a hash of the call, shown as <...> until the call
// itself has been decoded.
//
// Output is the same on every platform: a fixed seed, our own generator (splitmix64) and integer
// arithmetic only; CRLF line ends, as spot logs written on Windows have.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kSlots = 720;  // two-minute slots in a day
constexpr int kMinutesPerDay = 1440;
constexpr uint64_t kSeed = 20240317;
constexpr const char* kHeading = "Spots heard on 30 m WSPR in one made-up day (demo log)";

// Where the receiver is: the centre of JN58, in half degrees.
constexpr int kHomeLon2 = 22;  // 11 degrees east
constexpr int kHomeLat2 = 97;  // 48.5 degrees north

class SplitMix64 {
 public:
  explicit SplitMix64(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // A whole number in [0, n); the bias of the remainder is negligible for the small n used here.
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

// FNV-1a of a call sign: seeds each station's own quirks, so that they do not change when the
// table is reordered or grows.
uint64_t hashOf(std::string_view text) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  return hash;
}

struct Station {
  const char* call;
  const char* grid;  // four characters, or six: then it alternates with a hashed message
  int powerDbm;
  int txPercent;                     // share of slots it transmits in
  int onFromHour = 0, onToHour = 0;  // on the air from..to (UTC, may wrap); equal: all day
  bool compound = false;             // a call with a prefix or suffix: sent without locator
};

// The stations. Watched in the sample Ferlang.SET: DK7QX, G4WNT, SM5XPA, EA5HQO, W3RJD, OH2LRT.
const Station kStations[] = {
    // Within about 1 500 km.
    {"DK7QX", "JO31", 37, 45},
    {"DL3EBW", "JO62qm", 30, 25},
    {"OE3DMZ", "JN88", 23, 20},
    {"OK1FWE", "JO70", 37, 30},
    {"HB9FKT", "JN47", 30, 20, 5, 21},
    {"F5LPJ", "JN18du", 37, 25},
    {"PA3GRV", "JO22", 23, 20},
    {"ON4KVB", "JO20", 30, 20, 6, 22},
    {"G4WNT", "IO91", 37, 40},
    {"OZ1HJT", "JO55", 23, 20},
    {"SP3JNV", "JO82", 33, 20},
    {"IK2YWB", "JN45", 37, 20},
    {"S57QDR", "JN76", 23, 15},
    {"HA5BZF", "JN97", 30, 20},
    {"OM3TQX", "JN98", 20, 15, 4, 20},
    {"G0VQT/P", "IO70ke", 37, 50, 9, 15, true},
    {"SM5XPA", "JO89", 37, 40},
    {"EA5HQO", "IM99", 37, 40},
    {"EI8JQ", "IO52", 37, 20},
    {"GM4FXU", "IO85", 23, 20},
    {"LA9QF", "JP50", 30, 20},
    // Up to about 4 000 km.
    {"OH2LRT", "KP20", 37, 40},
    {"CT1EQJ", "IM58", 30, 20},
    {"YO9CRB", "KN34", 30, 20},
    {"LZ1NQW", "KN22", 23, 20},
    {"UR5ZTP", "KO50gk", 37, 20},
    {"SV1JHX", "KM18", 30, 20},
    {"4X1VQ", "KM72", 37, 20},
    {"TF3MBK", "HP94", 30, 25},
    {"EA8/DL2RSN", "IL18qi", 37, 30, 0, 0, true},
    {"RA3YQK", "KO85", 37, 20},
    // Other continents.
    {"W3RJD", "FM19", 37, 40},
    {"K9QWF", "EN52", 37, 25},
    {"N4ZBT", "EM73", 30, 20},
    {"VE3OYK", "FN03", 30, 20},
    {"VE1BXN", "FN74ih", 37, 25},
    {"KD2HMV", "FN20", 23, 20},
    {"W5TQJ", "EM10", 40, 20},
    {"K7JLP", "DN31", 37, 20},
    {"AA4XRG", "EL98", 30, 20},
    {"PY2XQB", "GG66", 37, 25},
    {"LU7HMB", "GF05", 37, 20},
    {"CX2DQB", "GF15", 30, 15},
    {"TI2JRW", "EJ79", 30, 15},
    {"ZS6BWT", "KG44", 37, 25},
    {"5Z4RQD", "KI88", 30, 15},
    {"JA1QZR", "PM95ts", 37, 20},
    {"VK3FQS", "QF22", 37, 20},
    {"ZL2BKQ", "RE78", 37, 20},
    {"VU2JXH", "MK82", 30, 15},
    {"9M2TVL", "OJ03", 30, 15},
    {"KH6QBW", "BL11", 37, 20},
};

// cos(0, 10, ..., 90 degrees) in thousandths.
constexpr int kCosine[] = {1000, 985, 940, 866, 766, 643, 500, 342, 174, 0};

int cosineOfHalfDegrees(int lat2) {
  const int degrees = std::min(std::abs(lat2) / 2, 89);
  const int lower = kCosine[degrees / 10], upper = kCosine[degrees / 10 + 1];
  return lower + (upper - lower) * (degrees % 10) / 10;
}

int64_t squareRoot(int64_t value) {
  int64_t root = 0;
  for (int64_t bit = int64_t{1} << 30; bit != 0; bit >>= 1) {
    if ((root + bit) * (root + bit) <= value) root += bit;
  }
  return root;
}

int wrapMinutes(int minutes) {
  return ((minutes % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
}

// A station's daily curve: SNR at `peakMinute` is `peakDb`, and it falls by 20 dB over
// `riseMinutes` before and `fallMinutes` after, as the square of the time from the peak (a
// band that opens fast and closes slowly).
struct Path {
  int peakMinute;
  int riseMinutes, fallMinutes;
  int peakDb;
  int frequency;  // tenths of a hertz above 10.14 MHz

  int snrAt(int minute) const {
    const int after = wrapMinutes(minute - peakMinute);
    const int before = kMinutesPerDay - after;
    const int fromPeak = std::min(after, before);
    const int width = after <= before ? fallMinutes : riseMinutes;
    return peakDb - 20 * fromPeak * fromPeak / (width * width);
  }
};

Path pathOf(const Station& station) {
  // The centre of the four-character square, in half degrees.
  const char* g = station.grid;
  const int lon2 = ((g[0] - 'A') * 20 + (g[2] - '0') * 2 - 180) * 2 + 2;
  const int lat2 = ((g[1] - 'A') * 10 + (g[3] - '0') - 90) * 2 + 1;
  const int64_t northKm = (lat2 - kHomeLat2) * 111 / 2;
  const int64_t eastKm =
      int64_t{lon2 - kHomeLon2} * 111 * cosineOfHalfDegrees((lat2 + kHomeLat2) / 2) / 2000;
  const int distanceKm = static_cast<int>(squareRoot(northKm * northKm + eastKm * eastKm));
  // Local time at the path's midpoint runs 4 minutes ahead of UTC per degree east.
  const int midpointLon = (lon2 + kHomeLon2) / 4;
  // The peak moves from the midpoint's noon on short paths through its evening to after its
  // midnight on long ones, taken straight between these distances.
  struct Point {
    int km, localPeakMinute, widthMinutes;
  };
  constexpr Point kCurve[] = {{0, 12 * 60, 300},
                              {2500, 20 * 60, 420},
                              {5000, 25 * 60, 330},
                              {11000, 25 * 60, 230},
                              {40000, 25 * 60, 230}};
  size_t next = 1;
  while (kCurve[next].km < distanceKm) ++next;
  const Point& a = kCurve[next - 1];
  const Point& b = kCurve[next];
  const int along = distanceKm - a.km, span = b.km - a.km;
  const int localPeak = a.localPeakMinute + (b.localPeakMinute - a.localPeakMinute) * along / span;
  const int width = a.widthMinutes + (b.widthMinutes - a.widthMinutes) * along / span;
  SplitMix64 quirks(hashOf(station.call));
  Path path;
  path.peakMinute = wrapMinutes(localPeak - midpointLon * 4 + quirks.below(81) - 40);
  path.riseMinutes = width * (75 + quirks.below(26)) / 100;
  path.fallMinutes = width * (100 + quirks.below(31)) / 100;
  path.peakDb = std::min(6, station.powerDbm - 36 - distanceKm / 400 + quirks.below(9) - 4);
  path.frequency = 1020 + quirks.below(1960);
  return path;
}

bool onTheAir(const Station& station, int minute) {
  if (station.onFromHour == station.onToHour) return true;
  const int hour = minute / 60;
  if (station.onFromHour < station.onToHour) {
    return hour >= station.onFromHour && hour < station.onToHour;
  }
  return hour >= station.onFromHour || hour < station.onToHour;
}

// Whether a signal of `snrDb` is decoded: surely from -28 dB (but for a collision now and then),
// less and less often below, never under -33 dB.
bool decoded(int snrDb, SplitMix64& random) {
  if (snrDb >= -28) return random.below(100) >= 3;
  if (snrDb < -33) return false;
  return random.below(100) < (snrDb + 34) * 16;
}

struct Spot {
  int snrDb;
  int frequency;
  size_t station;
  std::string line;
};

std::string twoDigits(int value) {
  return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string spotLine(const std::string& call, int frequency, int minute, const std::string& grid,
                     int snrDb, int powerDbm) {
  std::string frequencyText = std::to_string(1400000 + frequency);  // 10.14 MHz + frequency
  return call + ",10." + frequencyText + "," + twoDigits(minute / 60) + ":" +
         twoDigits(minute % 60) + ":00," + grid + "," + std::to_string(snrDb) + "," +
         std::to_string(powerDbm) + " dBm\r\n";
}

std::string demoLog() {
  constexpr size_t kCount = std::size(kStations);
  std::vector<Path> paths;
  for (const Station& station : kStations) paths.push_back(pathOf(station));
  std::vector<int> fade(kCount, 0);
  std::vector<int> sent(kCount, 0);
  std::vector<bool> callKnown(kCount, false);
  SplitMix64 random(kSeed);
  int conditions = 0;

  std::string log = std::string(kHeading) + "\r\n";
  for (int slot = 0; slot < kSlots; ++slot) {
    const int minute = slot * 2;
    std::vector<Spot> spots;
    // The band as a whole drifts a little better or worse over the day.
    if (random.below(4) == 0) conditions = std::clamp(conditions + random.below(3) - 1, -3, 3);
    for (size_t i = 0; i < kCount; ++i) {
      const Station& station = kStations[i];
      const Path& path = paths[i];
      fade[i] = std::clamp(fade[i] + random.below(3) - 1, -6, 6);
      if (!onTheAir(station, minute) || random.below(100) >= station.txPercent) continue;
      const bool hashedTurn = sent[i]++ % 2 == 1;
      const int noise = random.below(7) + random.below(7) - 6;
      const int snr = path.snrAt(minute) + conditions + fade[i] + noise;
      const int drift = random.below(31) - 15;
      if (!decoded(snr, random)) continue;

      const std::string grid = station.grid;
      const bool twoMessages = grid.size() == 6 || station.compound;
      std::string call = station.call, shownGrid = grid.substr(0, 4);
      if (twoMessages && hashedTurn) {
        call = callKnown[i] ? "<" + call + ">" : "<...>";
        shownGrid = grid;
      } else {
        callKnown[i] = true;
        if (station.compound) shownGrid.clear();
      }
      const int frequency = path.frequency + drift;
      spots.push_back(
          {snr, frequency, i, spotLine(call, frequency, minute, shownGrid, snr, station.powerDbm)});
    }
    // The decoder lists a slot's spots strongest first.
    std::sort(spots.begin(), spots.end(), [](const Spot& a, const Spot& b) {
      if (a.snrDb != b.snrDb) return a.snrDb > b.snrDb;
      if (a.frequency != b.frequency) return a.frequency < b.frequency;
      return a.station < b.station;
    });
    for (const Spot& spot : spots) log += spot.line;
  }
  return log;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: make-demo-log [FILE]\n");
    return 2;
  }
  const std::string log = demoLog();
  std::FILE* out = argc == 2 ? std::fopen(argv[1], "wb") : stdout;
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(log.data(), 1, log.size(), out) == log.size();
  if ((argc == 2 ? std::fclose(out) : std::fflush(out)) != 0 || !written) {
    std::fprintf(stderr, "make-demo-log: the log could not be written\n");
    return 1;
  }
  return 0;
}
