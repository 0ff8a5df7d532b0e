// VexaSystemTime and VexaSignature::GetRFC867Time through COM, against Time Protocol peers on
// the loopback interface.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <tuple>

#include "platform/com/com_ptr.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/calendar.h"
#include "signcore/crypto/testing/loopback_time_server.h"
#include "signcore/crypto/time_protocol_client.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore {
namespace {

using com::Bstr;
using com::ComPtr;
using testing::BlackHole;
using testing::LoopbackTimeServer;
using Behaviour = LoopbackTimeServer::Behaviour;

const std::string kReply2003("\xC1\xF5\x3A\xAB", 4);

struct Fields {
  SHORT year, month, day, hour, minutes, seconds;
  bool operator==(const Fields&) const = default;
};

Fields read(IVexaSystemTime* time) {
  Fields f{};
  EXPECT_EQ(time->get_Year(&f.year), S_OK);
  time->get_Month(&f.month);
  time->get_Day(&f.day);
  time->get_Hour(&f.hour);
  time->get_Minutes(&f.minutes);
  time->get_Seconds(&f.seconds);
  return f;
}

class TimeServer : public ::testing::Test {
 protected:
  void SetUp() override {
    registry_.importBuildTree();
    ASSERT_EQ(com::createInstance<IVexaSignature>(CLSID_VexaSignature, &signature_), S_OK);
  }

  HRESULT fetch(const std::string& server, LONG timeoutMs, ComPtr<IVexaSystemTime>* time) {
    return signature_->GetRFC867Time(Bstr(server).get(), timeoutMs, time->out());
  }

  // Elapsed milliseconds of a fetch that must fail with `expected`.
  long failingFetchMs(const std::string& server, LONG timeoutMs, HRESULT expected) {
    ComPtr<IVexaSystemTime> time;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch(server, timeoutMs, &time), expected) << server;
    EXPECT_EQ(time.get(), nullptr);
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count());
  }

  static std::u16string lastDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK) return u"<none>";
    Bstr text;
    info->GetDescription(text.out());
    return std::u16string(text.view());
  }

  registry::TempRegistry registry_;
  ComPtr<IVexaSignature> signature_;
};

TEST_F(TimeServer, ReplyBecomesTheServersUtcTime) {
  LoopbackTimeServer server(kReply2003 + "ignored tail");
  ASSERT_TRUE(server.listening());
  ComPtr<IVexaSystemTime> time;
  ASSERT_EQ(fetch(server.address(), 2000, &time), S_OK);
  EXPECT_EQ(read(time.get()), (Fields{2003, 2, 12, 21, 27, 7}));
}

TEST_F(TimeServer, AReplyInPiecesIsGatheredWithinTheTimeout) {
  LoopbackTimeServer server(kReply2003, Behaviour::kReplySlowly);
  ComPtr<IVexaSystemTime> time;
  ASSERT_EQ(fetch(server.address(), 2000, &time), S_OK);
  EXPECT_EQ(read(time.get()), (Fields{2003, 2, 12, 21, 27, 7}));
}

TEST_F(TimeServer, ShortRepliesAreRefused) {
  LoopbackTimeServer closes("", Behaviour::kCloseAtOnce);
  failingFetchMs(closes.address(), 2000, HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  EXPECT_EQ(lastDescription(), u"The data is invalid.");
  LoopbackTimeServer twoBytes("\xC1\xF5");
  failingFetchMs(twoBytes.address(), 2000, HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
}

TEST_F(TimeServer, TimesBefore1970AreUnexpected) {
  LoopbackTimeServer server(std::string("\x83\xAA\x7E\x7F", 4));  // one second before 1970
  failingFetchMs(server.address(), 2000, E_UNEXPECTED);
  EXPECT_EQ(lastDescription(), u"Catastrophic failure");
}

// A loaded machine may add any delay to a call, so waits are checked from below (the
// time-out is honoured) and against each other (a shorter time-out ends sooner), with only
// a bound far beyond any load from above (the wait ends at all).
constexpr long kHangMs = 15000;

TEST_F(TimeServer, SilentServerTimesOutAndZeroMeansOneSecond) {
  LoopbackTimeServer silent("", Behaviour::kNeverAnswer);
  const long quick = failingFetchMs(silent.address(), 200, static_cast<HRESULT>(0x800705B4));
  EXPECT_GE(quick, 150);
  EXPECT_EQ(lastDescription(), u"This operation returned because the timeout period expired.");
  const long standard = failingFetchMs(silent.address(), 0, static_cast<HRESULT>(0x800705B4));
  EXPECT_GE(standard, 950);
  EXPECT_LT(quick, standard);
  EXPECT_LT(standard, kHangMs);
}

TEST_F(TimeServer, ABlackHoledConnectionEndsWithTheTimeout) {
  BlackHole hole;
  if (!hole.swallowing()) GTEST_SKIP() << "this kernel answers connections beyond the backlog";
  const long ms = failingFetchMs(hole.address(), 300, static_cast<HRESULT>(0x800705B4));
  EXPECT_GE(ms, 250);
  EXPECT_LT(ms, kHangMs);
}

// A name service that never answers: the look-up ends with the time-out as a failed
// look-up, not as a timed-out connection.
TEST(TimeProtocolClient, ALookUpThatDoesNotFinishInTimeIsAFailedLookUp) {
  static std::atomic<int> cancelled{0};
  const NameResolver silent{
      [](gaicb*) { return 0; },
      [](gaicb*) { return EAI_INPROGRESS; },
      [](gaicb*, const timespec* limit) { nanosleep(limit, nullptr); },
      [](gaicb*) {
        ++cancelled;
        return EAI_CANCELED;
      },
  };
  SYSTEMTIME time{};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(fetchTimeProtocol("slow.example", 300, &time, silent),
            static_cast<HRESULT>(0x800704D0));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  EXPECT_EQ(cancelled.load(), 1);

  const NameResolver unknown{
      [](gaicb*) { return 0; },
      [](gaicb*) { return EAI_NONAME; },
      [](gaicb*, const timespec*) {},
      [](gaicb*) { return EAI_ALLDONE; },
  };
  EXPECT_EQ(fetchTimeProtocol("unknown.example", 300, &time, unknown),
            static_cast<HRESULT>(0x800704D0));
  // Dotted addresses are never looked up.
  LoopbackTimeServer server(kReply2003);
  EXPECT_EQ(fetchTimeProtocol(server.address(), 2000, &time, silent), S_OK);
  EXPECT_EQ(time.wYear, 2003);
}

TEST_F(TimeServer, RefusedConnectionsAndUnknownHosts) {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(probe);  // nothing listens on this port now
  failingFetchMs("127.0.0.1:" + std::to_string(ntohs(addr.sin_port)), 1000,
                 static_cast<HRESULT>(0x8000401D));

  failingFetchMs("no-such-host.invalid", 1000, static_cast<HRESULT>(0x800704D0));
  EXPECT_EQ(lastDescription(),
            u"The network location cannot be reached. For information about network "
            u"troubleshooting, see Windows Help.");
  failingFetchMs("", 1000, static_cast<HRESULT>(0x800704D0));
  failingFetchMs(std::string(5000, 'h'), 1000, static_cast<HRESULT>(0x800704D0));
  ComPtr<IVexaSystemTime> time;
  EXPECT_EQ(signature_->GetRFC867Time(Bstr(std::u16string_view(u"127.0.0.1\0:1", 12)).get(), 100,
                                      time.out()),
            static_cast<HRESULT>(0x800704D0));
}

Fields fieldsOf(const SYSTEMTIME& t) {
  return {static_cast<SHORT>(t.wYear),   static_cast<SHORT>(t.wMonth),
          static_cast<SHORT>(t.wDay),    static_cast<SHORT>(t.wHour),
          static_cast<SHORT>(t.wMinute), static_cast<SHORT>(t.wSecond)};
}

bool notLater(const Fields& a, const Fields& b) {
  return std::tie(a.year, a.month, a.day, a.hour, a.minutes, a.seconds) <=
         std::tie(b.year, b.month, b.day, b.hour, b.minutes, b.seconds);
}

// The clock the time server reads. std::time() may read a coarser clock that is still in the
// previous second when this one has moved on.
std::time_t realtimeSeconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec;
}

TEST_F(TimeServer, NoServerReadsTheLocalClock) {
  ComPtr<IVexaSystemTime> time;
  const std::time_t before = realtimeSeconds();
  ASSERT_EQ(signature_->GetRFC867Time(nullptr, 0, time.out()), S_OK);
  const std::time_t after = realtimeSeconds();
  // Bracketed by the clock before and after, to the second: right across midnight too.
  const Fields got = read(time.get());
  EXPECT_TRUE(notLater(fieldsOf(systemTimeFromUnix(before)), got));
  EXPECT_TRUE(notLater(got, fieldsOf(systemTimeFromUnix(after))));
  EXPECT_EQ(signature_->GetRFC867Time(nullptr, 0, nullptr), E_POINTER);
}

TEST(SystemTime, ClientCreatedObjectsReadZeroAndRefuseNullPointers) {
  registry::TempRegistry registry;
  registry.importBuildTree();
  ComPtr<IVexaSystemTime> time;
  ASSERT_EQ(com::createInstance<IVexaSystemTime>(CLSID_VexaSystemTime, &time), S_OK);
  EXPECT_EQ(read(time.get()), (Fields{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(time->get_Seconds(nullptr), E_POINTER);
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.out()), S_OK);
  Bstr source;
  info->GetSource(source.out());
  EXPECT_EQ(source.view(), u"DxSignCore.VexaSystemTime.1");
}

TEST(Calendar, DatesAcrossLeapYearsAndWeekdays) {
  const SYSTEMTIME leap = systemTimeFromUnix(951782400);  // 2000-02-29 00:00:00, a Tuesday
  EXPECT_EQ(leap.wYear, 2000);
  EXPECT_EQ(leap.wMonth, 2);
  EXPECT_EQ(leap.wDay, 29);
  EXPECT_EQ(leap.wDayOfWeek, 2);
  const SYSTEMTIME century = systemTimeFromUnix(4107542399);  // 2100-02-28 23:59:59
  EXPECT_EQ(century.wMonth, 2);
  EXPECT_EQ(century.wDay, 28);
  EXPECT_EQ(systemTimeFromUnix(4107542400).wMonth, 3);  // 2100 has no 29 February
  const SYSTEMTIME end = systemTimeFromUnix(4294967295LL - 2208988800LL);  // last count
  EXPECT_EQ(end.wYear, 2036);
  EXPECT_EQ(end.wMonth, 2);
  EXPECT_EQ(end.wDay, 7);
  EXPECT_EQ(end.wHour, 6);
  EXPECT_EQ(end.wMinute, 28);
  EXPECT_EQ(end.wSecond, 15);
}

}  // namespace
}  // namespace vexamor::signcore
