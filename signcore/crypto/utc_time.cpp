#include "signcore/crypto/utc_time.h"

#include <cstdio>
#include <ctime>

namespace vexamor::signcore {

bool asn1Seconds(const ASN1_TIME* time, int64_t* seconds) {
  std::tm tm{};
  if (time == nullptr || ASN1_TIME_to_tm(time, &tm) != 1) {
    ERR_clear_error();
    return false;
  }
  *seconds = static_cast<int64_t>(timegm(&tm));
  return true;
}

std::string utcTimeText(int64_t seconds) {
  const auto t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (gmtime_r(&t, &tm) == nullptr) return "?";
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d UTC", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

bool withinValidity(X509* cert, int64_t seconds) {
  int64_t notBefore = 0;
  int64_t notAfter = 0;
  return asn1Seconds(X509_get0_notBefore(cert), &notBefore) &&
         asn1Seconds(X509_get0_notAfter(cert), &notAfter) && notBefore <= seconds &&
         seconds <= notAfter;
}

}  // namespace vexamor::signcore
