// Filter chain splitting.
#include "FFmpegFilterChain.h"

namespace {

std::string Trim(const std::string& AText) {
  const auto first = AText.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = AText.find_last_not_of(" \t\r\n");
  return AText.substr(first, last - first + 1);
}

// Reads one filter's text: leading and trailing labels, name and arguments.
TChainFilter ReadFilter(const std::string& AText) {
  TChainFilter filter;
  filter.Text = Trim(AText);
  std::string rest = filter.Text;
  while (!rest.empty() && rest[0] == '[') {
    filter.HasLabel = true;
    const auto close = rest.find(']');
    rest = close == std::string::npos ? std::string() : Trim(rest.substr(close + 1));
  }
  // Trailing labels: a "[" outside quotes after the name or arguments.
  bool quoted = false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '\\') {
      ++i;
    } else if (rest[i] == '\'') {
      quoted = !quoted;
    } else if (rest[i] == '[' && !quoted) {
      filter.HasLabel = true;
      rest.resize(i);
      break;
    }
  }
  const auto equals = rest.find('=');
  filter.Name = Trim(rest.substr(0, equals));
  if (equals != std::string::npos) filter.Args = rest.substr(equals + 1);
  const auto at = filter.Name.find('@');
  if (at != std::string::npos) filter.Name.resize(at);
  return filter;
}

}  // namespace

TChainSplit SplitFilterChain(const std::string& AText) {
  TChainSplit split;
  std::string current;
  bool quoted = false;
  const auto finish = [&] {
    split.Filters.push_back(ReadFilter(current));
    current.clear();
  };
  for (std::size_t i = 0; i < AText.size(); ++i) {
    const char c = AText[i];
    if (c == '\\' && i + 1 < AText.size()) {
      current += c;
      current += AText[++i];
    } else if (c == '\'') {
      quoted = !quoted;
      current += c;
    } else if ((c == ',' || c == ';') && !quoted) {
      if (c == ';') split.HasSemicolon = true;
      finish();
    } else {
      current += c;
    }
  }
  finish();
  return split;
}
