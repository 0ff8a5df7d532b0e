#include "signcore/crypto/cert_text.h"

#include <openssl/x509v3.h>

#include "platform/com/utf.h"
#include "signcore/crypto/calendar.h"

namespace vexamor::signcore {
namespace {

void appendHex(std::u16string& out, const unsigned char* data, size_t size) {
  static const char16_t kHex[] = u"0123456789abcdef";
  for (size_t i = 0; i < size; ++i) {
    out += kHex[data[i] >> 4];
    out += kHex[data[i] & 15];
  }
}

// A value as text; one that is not a character string shows as '#' and its bytes in hex.
std::u16string valueText(const ASN1_STRING* value) {
  unsigned char* utf8 = nullptr;
  const int n = ASN1_STRING_to_UTF8(&utf8, value);
  if (n >= 0) {
    std::u16string text =
        text::utf8ToUtf16(std::string_view(reinterpret_cast<char*>(utf8), static_cast<size_t>(n)));
    OPENSSL_free(utf8);
    return text;
  }
  ERR_clear_error();
  std::u16string text = u"#";
  appendHex(text, ASN1_STRING_get0_data(value), static_cast<size_t>(ASN1_STRING_length(value)));
  return text;
}

std::u16string entryText(const X509_NAME* name, int nid) {
  const int index = X509_NAME_get_index_by_NID(name, nid, -1);
  if (index < 0) return {};
  return valueText(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index)));
}

std::u16string alternativeEmail(X509* cert, int extensionNid) {
  auto* names = static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(cert, extensionNid, nullptr, nullptr));
  std::u16string email;
  for (int i = 0; names != nullptr && i < sk_GENERAL_NAME_num(names); ++i) {
    const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, i);
    if (name->type == GEN_EMAIL) {
      email = valueText(name->d.rfc822Name);
      break;
    }
  }
  GENERAL_NAMES_free(names);
  ERR_clear_error();
  return email;
}

// Cuts to the display limit without splitting a surrogate pair.
std::u16string limited(std::u16string text) {
  if (text.size() > kDisplayNameLimit) {
    size_t keep = kDisplayNameLimit;
    if (text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
    text.resize(keep);
  }
  return text;
}

std::u16string displayName(const X509_NAME* name, X509* cert, int alternativeNameNid) {
  for (int nid :
       {NID_commonName, NID_organizationalUnitName, NID_organizationName, NID_pkcs9_emailAddress}) {
    if (std::u16string text = entryText(name, nid); !text.empty()) return limited(text);
  }
  if (std::u16string email = alternativeEmail(cert, alternativeNameNid); !email.empty()) {
    return limited(email);
  }
  if (X509_NAME_entry_count(name) > 0) {
    return limited(valueText(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, 0))));
  }
  return {};
}

std::u16string x500Key(const ASN1_OBJECT* object) {
  switch (OBJ_obj2nid(object)) {
    case NID_countryName:
      return u"C";
    case NID_stateOrProvinceName:
      return u"S";
    case NID_localityName:
      return u"L";
    case NID_organizationName:
      return u"O";
    case NID_organizationalUnitName:
      return u"OU";
    case NID_commonName:
      return u"CN";
    case NID_pkcs9_emailAddress:
      return u"E";
    case NID_title:
      return u"T";
    default:
      break;
  }
  char dotted[128];
  const int n = OBJ_obj2txt(dotted, sizeof dotted, object, 1);
  if (n <= 0 || n >= static_cast<int>(sizeof dotted)) return u"OID";
  return u"OID." + text::utf8ToUtf16(dotted);
}

bool needsQuotes(std::u16string_view value) {
  if (value.empty()) return false;
  if (value.front() == u' ' || value.back() == u' ') return true;
  return value.find_first_of(u",+=\"<>#;\n") != std::u16string_view::npos;
}

std::u16string quoted(std::u16string_view value) {
  if (!needsQuotes(value)) return std::u16string(value);
  std::u16string out = u"\"";
  for (char16_t c : value) {
    out += c;
    if (c == u'"') out += c;
  }
  out += u'"';
  return out;
}

// Joins the entries of a name in encoded order, RDNs by `separator`, parts of one RDN by
// " + ", each entry formed by `entry`.
template <class EntryText>
std::u16string joinName(const X509_NAME* name, std::u16string_view separator, EntryText entry) {
  std::u16string out;
  int previousSet = -1;
  for (int i = 0; i < X509_NAME_entry_count(name); ++i) {
    const X509_NAME_ENTRY* e = X509_NAME_get_entry(name, i);
    const int set = X509_NAME_ENTRY_set(e);
    if (i > 0) out += set == previousSet ? std::u16string_view(u" + ") : separator;
    previousSet = set;
    out += entry(e);
  }
  return out;
}

// Days since 1 January 1970 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::u16string subjectDisplayName(X509* cert) {
  return displayName(X509_get_subject_name(cert), cert, NID_subject_alt_name);
}

std::u16string issuerDisplayName(X509* cert) {
  return displayName(X509_get_issuer_name(cert), cert, NID_issuer_alt_name);
}

std::u16string subjectEmail(X509* cert) {
  if (std::u16string email = alternativeEmail(cert, NID_subject_alt_name); !email.empty()) {
    return email;
  }
  return entryText(X509_get_subject_name(cert), NID_pkcs9_emailAddress);
}

std::u16string x500Text(const X509_NAME* name) {
  return joinName(name, u"; ", [](const X509_NAME_ENTRY* e) {
    return x500Key(X509_NAME_ENTRY_get_object(e)) + u"=" +
           quoted(valueText(X509_NAME_ENTRY_get_data(e)));
  });
}

std::u16string simpleNameText(const X509_NAME* name) {
  return joinName(name, u", ",
                  [](const X509_NAME_ENTRY* e) { return valueText(X509_NAME_ENTRY_get_data(e)); });
}

std::u16string serialText(X509* cert) {
  // The bytes as encoded, sign byte included, as the certificate carries them.
  unsigned char* der = nullptr;
  const int n = i2d_ASN1_INTEGER(X509_get0_serialNumber(cert), &der);
  std::u16string text;
  if (n > 0) {
    const unsigned char* p = der;
    long length = 0;
    int tag = 0, cls = 0;
    if ((ASN1_get_object(&p, &length, &tag, &cls, n) & 0x80) == 0) {
      appendHex(text, p, static_cast<size_t>(length));
    }
  }
  OPENSSL_free(der);
  ERR_clear_error();
  return text;
}

bool certificateTime(const ASN1_TIME* time, SYSTEMTIME* out) {
  tm fields{};
  if (time == nullptr || ASN1_TIME_to_tm(time, &fields) != 1) {
    ERR_clear_error();
    return false;
  }
  const int64_t days =
      daysFromCivil(int64_t{fields.tm_year} + 1900, static_cast<unsigned>(fields.tm_mon + 1),
                    static_cast<unsigned>(fields.tm_mday));
  *out =
      systemTimeFromUnix(days * 86400 + fields.tm_hour * 3600 + fields.tm_min * 60 + fields.tm_sec);
  return true;
}

bool matchesCertificate(X509* cert, std::u16string_view subject, std::u16string_view issuer,
                        std::u16string_view serial) {
  const std::u16string name = text::toLower(simpleNameText(X509_get_subject_name(cert)));
  return name.find(text::toLower(subject)) != std::u16string::npos &&
         text::equalsIgnoreCase(issuerDisplayName(cert), issuer) &&
         text::equalsIgnoreCase(serialText(cert), serial);
}

}  // namespace vexamor::signcore
