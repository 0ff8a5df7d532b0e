#include "strataquill/shell/tips.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace sq {

bool TipList::LoadTips(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    tips_.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
  ShowNextTip();
  return true;
}

void TipList::ShowNextTip() {
  ++current_;
  if (current_ > static_cast<int>(tips_.size())) current_ = 1;
}

std::string TipList::DisplayCurrentTip() const {
  if (tips_.empty() || current_ < 1) return {};
  return tips_[current_ - 1];
}

std::string missingTipsText() {
  return std::string("That the ") + kTipsFileName + " file was not found? " + "\r\n" + "\r\n" +
         "Create a text file named " + kTipsFileName + " using NotePad with 1 tip per line. " +
         "Then place it in the same directory as the application. ";
}

}  // namespace sq
