// Splitting a filter chain text ("vf") into its filters, as libavfilter's parser reads them.
#pragma once

#include <string>
#include <vector>

// One filter of a chain: its text as written, its name (without "@instance") and arguments.
struct TChainFilter {
  std::string Text;
  std::string Name;
  std::string Args;
  bool HasLabel = false;  // a "[label]" before or after it
};

struct TChainSplit {
  std::vector<TChainFilter> Filters;
  bool HasSemicolon = false;  // more than one chain (a graph)
};

// Splits at top-level "," and ";", honouring '...' quoting and backslash escapes.
TChainSplit SplitFilterChain(const std::string& AText);
