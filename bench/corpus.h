// The benchmarks' records: the demo log's, each with its line end, to be repeated as needed.
#pragma once

#include <fstream>
#include <string>
#include <vector>

inline std::vector<std::string> corpusRecords() {
  std::ifstream corpus(FERLANG_CORPUS_FILE, std::ios::binary);
  std::string line;
  std::vector<std::string> records;
  std::getline(corpus, line);  // heading
  while (std::getline(corpus, line)) records.push_back(line + "\n");
  return records;
}
