#pragma once

#include <string>
#include <vector>

namespace sq {

// The tips of the tip-of-the-day window: every line of the tips file in
// file order (an empty line is an empty tip), and the number of the tip
// shown, from 1; 0 before the first.
class TipList {
 public:
  // Appends every line of `path` (lines end with CR LF; a lone CR or LF
  // ends one too) and shows the first new tip. False when the path is
  // empty or names no file; nothing changes then.
  bool LoadTips(const std::string& path);
  // The next tip, wrapping around after the last.
  void ShowNextTip();
  // The tip shown, or "" before the first or without tips.
  std::string DisplayCurrentTip() const;

  int currentTip() const { return current_; }
  const std::vector<std::string>& tips() const { return tips_; }

 private:
  std::vector<std::string> tips_;
  int current_ = 0;
};

// The tips file of the program folder.
inline constexpr const char* kTipsFileName = "TIPOFDAY.TXT";

// What the tip label says when the tips file is missing.
std::string missingTipsText();

}  // namespace sq
