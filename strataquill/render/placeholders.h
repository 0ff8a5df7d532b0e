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
