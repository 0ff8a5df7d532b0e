#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>

#include <string>

#include "strataquill/widgets/recordset_model.h"

namespace sq::forms {

// The swatches of the classification designer: each pattern list drawn as
// it fills a column, its slices side by side at their shares; a list that
// prints nothing, or names a picture that is not there, gets a plain marker
// and a tool tip that says why. Pictures and swatches are drawn once.
class PatternSwatches {
 public:
  explicit PatternSwatches(std::string patternFolder, QSize size = QSize(56, 18));

  widgets::CellDecoration decorate(const QString& list);
  // Forgets what was drawn, so pictures added since are found.
  void clear();

  QSize size() const { return size_; }

 private:
  QPixmap swatch(const QString& list);
  QPixmap marker() const;
  const QImage& picture(const std::string& name);

  std::string folder_;
  QSize size_;
  QHash<QString, widgets::CellDecoration> done_;
  QHash<QString, QImage> pictures_;
};

}  // namespace sq::forms
