#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <functional>
#include <string>

#include "strataquill/render/boring_data.h"

namespace sq::render {

// What placeholders are filled from besides the project data.
struct PlaceholderRun {
  std::string projectPath;  // <<FILE PATH>>; <<FILE NAME>> is its last part
  int pageNumber = 1;       // <<PAGE NUMBER>>
  int pageCount = 0;        // <<PAGE COUNT>>: the boring's pages; 0 while not yet known
  // Today's date and the time as the system writes them; replaceable for tests.
  std::function<std::string()> printDate;
  std::function<std::string()> printTime;
};

// The value of a text item that starts with "<<": the whole text, compared
// without regard to case, must be one token of the table (or one of the
// combined tokens, blanks and "+" signs as written); anything else gives "".
// Company values come from the settings section "Preferences" with the
// renderer's own defaults; project, boring and label values from the
// boring's data. A null field contributes nothing.
std::string getVariableText(const BoringData& data, const PlaceholderRun& run,
                            const std::string& theText);

// The text a text item prints. One that starts with "<<" is a placeholder
// as above. In any other text each single token written inside it is
// replaced by its value ("Page <<Page Number>> of <<Page Count>>" reads
// "Page 1 of 3"), and anything between "<<" and ">>" that is no token stays
// as typed.
std::string fillText(const BoringData& data, const PlaceholderRun& run, const std::string& text);

// Whether the text prints the page count, which is known only when the
// boring's pages are composed.
bool needsPageCount(const std::string& text);

// The system's short date and its time form, as the print run uses them.
std::string systemShortDate();
std::string systemTime();

// A date in the locale's short form, and a time in the locale's time form
// with seconds but without the time zone, which a log page has no room for.
std::string printDateText(const QLocale& locale, const QDate& date);
std::string printTimeText(const QLocale& locale, const QTime& time);
// A time format (QLocale's notation) without its zone designator.
QString timeFormatWithoutZone(const QString& format);

}  // namespace sq::render
