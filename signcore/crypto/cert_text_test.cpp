// The texts that name and show a certificate: display names and their fallbacks, e-mail,
// the X.500 form with its quoting, serial numbers.
#include <gtest/gtest.h>

#include "signcore/crypto/cert_text.h"
#include "signcore/crypto/testing/test_pki.h"

namespace vexamor::signcore {
namespace {

using testing::CertificateSpec;
using testing::NameEntry;
using testing::TestCertificate;

TestCertificate withName(std::vector<NameEntry> subject, const std::string& email = "",
                         const std::string& serial = "01") {
  CertificateSpec certSpec;
  certSpec.subject = std::move(subject);
  certSpec.email = email;
  certSpec.serialHex = serial;
  return testing::makeCertificate(certSpec);
}

TEST(CertificateText, X500FormKeepsTheEncodedOrderAndQuotesWhatNeedsIt) {
  const TestCertificate cert = withName({
      {"C", "US"},
      {"ST", "California"},
      {"L", " padded "},
      {"O", "Roe, Jane & Co"},
      {"OU", "Signing"},
      {"CN", "Jane Roe", true},
      {"title", "say \"hi\""},
      {"emailAddress", "jane@example.com"},
      {"1.2.3.4", "x=y"},
      {"2.5.4.9", "plain street"},
      {"OU", "line\nfeed"},
      {"OU", "#1"},
      {"OU", "<a>;b+c"},
  });
  EXPECT_EQ(x500Text(X509_get_subject_name(cert.cert.get())),
            u"C=US; S=California; L=\" padded \"; O=\"Roe, Jane & Co\"; OU=Signing + "
            u"CN=Jane Roe; T=\"say \"\"hi\"\"\"; E=jane@example.com; OID.1.2.3.4=\"x=y\"; "
            u"OID.2.5.4.9=plain street; OU=\"line\nfeed\"; OU=\"#1\"; OU=\"<a>;b+c\"");
  EXPECT_EQ(simpleNameText(X509_get_subject_name(cert.cert.get())),
            u"US, California,  padded , Roe, Jane & Co, Signing + Jane Roe, say \"hi\", "
            u"jane@example.com, x=y, plain street, line\nfeed, #1, <a>;b+c");
}

TEST(CertificateText, DisplayNameFallsBackInOrder) {
  auto display = [](std::vector<NameEntry> name, const std::string& email = "") {
    return subjectDisplayName(withName(std::move(name), email).cert.get());
  };
  EXPECT_EQ(display({{"O", "Org"}, {"OU", "Unit"}, {"CN", "First"}, {"CN", "Second"}}), u"First");
  EXPECT_EQ(display({{"O", "Org"}, {"OU", "Unit"}}), u"Unit");
  EXPECT_EQ(display({{"L", "Town"}, {"O", "Org"}, {"emailAddress", "a@b.c"}}), u"Org");
  EXPECT_EQ(display({{"L", "Town"}, {"emailAddress", "a@b.c"}}, "alt@b.c"), u"a@b.c");
  EXPECT_EQ(display({{"L", "Town"}}, "alt@b.c"), u"alt@b.c");
  EXPECT_EQ(display({{"L", "Town"}, {"C", "DE"}}), u"Town");

  // Cut to 63 characters, but never inside a surrogate pair.
  EXPECT_EQ(display({{"CN", std::string(70, 'n')}}), std::u16string(63, u'n'));
  const std::u16string cut = display({{"CN", std::string(62, 'n') + "\xF0\x9F\x98\x80" + "x"}});
  EXPECT_EQ(cut, std::u16string(62, u'n'));
}

TEST(CertificateText, EmailPrefersTheAlternativeName) {
  EXPECT_EQ(
      subjectEmail(withName({{"CN", "A"}, {"emailAddress", "rdn@b.c"}}, "alt@b.c").cert.get()),
      u"alt@b.c");
  EXPECT_EQ(subjectEmail(withName({{"CN", "A"}, {"emailAddress", "rdn@b.c"}}).cert.get()),
            u"rdn@b.c");
  EXPECT_EQ(subjectEmail(withName({{"CN", "A"}}).cert.get()), u"");
}

TEST(CertificateText, SerialIsItsEncodedBytesInLowerCaseHex) {
  EXPECT_EQ(serialText(withName({{"CN", "A"}}, "", "010AFF").cert.get()), u"010aff");
  EXPECT_EQ(serialText(withName({{"CN", "A"}}, "", "FF").cert.get()), u"00ff");
  EXPECT_EQ(serialText(withName({{"CN", "A"}}, "", "7F").cert.get()), u"7f");
}

TEST(CertificateText, CertificatesAreMatchedByPartOfTheSubjectAndWholeIssuerAndSerial) {
  const TestCertificate cert = withName({{"O", "Vexamor"}, {"CN", "Jane Roe"}}, "", "0A");
  X509* x = cert.cert.get();
  EXPECT_TRUE(matchesCertificate(x, u"jane", u"JANE ROE", u"0A"));
  EXPECT_TRUE(matchesCertificate(x, u"vexamor, jane", u"jane roe", u"0a"));
  EXPECT_FALSE(matchesCertificate(x, u"jane", u"jane", u"0a"));     // issuer is whole
  EXPECT_FALSE(matchesCertificate(x, u"jane", u"jane roe", u"a"));  // so is the serial
  EXPECT_FALSE(matchesCertificate(x, u"john", u"jane roe", u"0a"));
}

}  // namespace
}  // namespace vexamor::signcore
