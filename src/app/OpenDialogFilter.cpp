// The open dialog's filter entries for adding files, and the split of a pattern list.
#include "OpenDialogFilter.h"

const std::vector<TFileFilter>& AddFilesFilters() {
  // The blanks inside the second list are part of its text; the dialog ignores them.
  static const std::vector<TFileFilter> filters = {
      {"All Supported Files (*.rm;*.rmvb;*.ram)", "*.rm;*.rmvb;*.ram"},
      {"Any video and audio files",
       "*.avi;*.mov;*.qt;*.mpeg;*.mpg;*.mpa;*.m1v;*.mv2;*.wma;*.wmv;*.asf;*.asx;*.mov; "
       "*.qt;*.3gp;*.3g2;*.mp3;*.mp2;*.ogg;*.aac;*.mp4;*.m4a;*.rm;*.rmvb;*.ram;*.ra;*.vob; "
       "*.dat;*.cda;*.dv; *.dif;*.wav; *.au; *.aiff;*.mjpg; *.mjpeg;*.ac3; *.gif; *.swf; *.flv; "
       "*.mkv"},
  };
  return filters;
}

std::vector<std::string> SplitFilterPatterns(const std::string& APatterns) {
  std::vector<std::string> patterns;
  std::size_t start = 0;
  while (start <= APatterns.size()) {
    std::size_t end = APatterns.find(';', start);
    if (end == std::string::npos) end = APatterns.size();
    std::size_t first = APatterns.find_first_not_of(' ', start);
    if (first != std::string::npos && first < end) {
      std::size_t last = APatterns.find_last_not_of(' ', end - 1);
      patterns.push_back(APatterns.substr(first, last - first + 1));
    }
    start = end + 1;
  }
  return patterns;
}
