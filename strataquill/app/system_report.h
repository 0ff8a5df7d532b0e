#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace sq {

// One part of the system report: a title and its lines of name and value.
struct ReportSection {
  QString title;
  std::vector<std::pair<QString, QString>> items;
};

// What a support call asks about an installation: the program and the
// files of its program folder, Qt, the operating system, the processor and
// memory, the printers, the fonts the logs use, the user's settings and
// where the registry lives.
std::vector<ReportSection> systemReport();

// The report as plain text, one "name: value" line per item under each
// section's title, for the clipboard and for a file.
QString reportText(const std::vector<ReportSection>& report);

}  // namespace sq
