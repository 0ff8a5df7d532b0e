// The texts by which clients name and show a certificate. Subject, issuer and serial number
// together select a certificate, so they must come out the same every time: clients keep
// them and hand them back.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/win32_types.h"
#include "signcore/crypto/openssl_ptr.h"

namespace vexamor::signcore {

// Display names are cut to this many characters.
inline constexpr size_t kDisplayNameLimit = 63;

// The simple display name of the subject (or issuer): the first common name, else
// organisational unit, else organisation, else e-mail address (the name's emailAddress, then
// the rfc822 name of the subject's or issuer's alternative names), else the name's first
// attribute; at most kDisplayNameLimit characters.
std::u16string subjectDisplayName(X509* cert);
std::u16string issuerDisplayName(X509* cert);

// The subject's e-mail: the first rfc822 name of the subject alternative names, else the
// subject's emailAddress, else empty.
std::u16string subjectEmail(X509* cert);

// The name in X.500 form and encoded order: "CN=Jane Roe; O=Vexamor; C=US". Parts of a
// multi-valued RDN are joined by " + "; values with leading or trailing blanks or one of
// , + = " < > # ; or a line feed are quoted, an embedded quote doubled.
std::u16string x500Text(const X509_NAME* name);

// The values alone, joined by ", " (" + " inside an RDN): the text that a subject search
// looks into.
std::u16string simpleNameText(const X509_NAME* name);

// The serial number's encoded bytes in lower-case hexadecimal, most significant first.
std::u16string serialText(X509* cert);

// A certificate time as UTC calendar time; false for a time that cannot be read.
bool certificateTime(const ASN1_TIME* time, SYSTEMTIME* out);

// Whether a certificate is named by these texts: `subject` a case-insensitive part of the
// subject's simple name text, `issuer` and `serial` equal to its texts ignoring case.
bool matchesCertificate(X509* cert, std::u16string_view subject, std::u16string_view issuer,
                        std::u16string_view serial);

}  // namespace vexamor::signcore
