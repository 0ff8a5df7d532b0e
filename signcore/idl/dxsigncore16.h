// DxSignCore16 1.0 Type Library (DXSIGNCORE16Lib) for C++ clients: the interfaces, records,
// IIDs, CLSIDs and ProgIDs of dxsigncore16.idl, with the COM binary layout.
//
// A client needs only this header and the COM runtime (platform/com): it creates the classes
// with CoCreateInstance, by CLSID or through CLSIDFromProgID, and never links the module.
//
// Widths: the type library's `long` is 32 bits and is written LONG here (plain `long` is 64
// bits on LP64 Linux); `unsigned long` is ULONG, `short` SHORT, `unsigned char` BYTE.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/com/com.h"

inline constexpr GUID LIBID_DXSIGNCORE16Lib = {
    0x3CA3DBD0, 0x201B, 0x4CB1, {0xBF, 0x2B, 0xC3, 0x3B, 0x5D, 0x65, 0x85, 0xA9}};

inline constexpr IID IID_IVexaFindSignFile = {
    0xB8FF6B76, 0xDED2, 0x45CD, {0xA7, 0x8F, 0x25, 0x98, 0x93, 0x30, 0x74, 0x7B}};
inline constexpr IID IID_IVexaSignFile = {
    0x263DFED8, 0xEFB5, 0x48FF, {0xA7, 0x64, 0xA9, 0xE0, 0x07, 0xD7, 0xE8, 0xAE}};
inline constexpr IID IID_IVexaSignature = {
    0xE320C5C5, 0xD0C7, 0x4002, {0x9E, 0x9F, 0x68, 0x00, 0x5B, 0x6C, 0x35, 0x5E}};
inline constexpr IID IID_IVexaGetData = {
    0x6091093F, 0x88A5, 0x4740, {0x9A, 0xCB, 0x11, 0xAB, 0x8E, 0x86, 0x1A, 0xFB}};
inline constexpr IID IID_IVexaSystemTime = {
    0x203A7C10, 0xDC7B, 0x4355, {0x88, 0x03, 0x98, 0x28, 0x60, 0xB6, 0x25, 0x8D}};
inline constexpr IID IID_IVexaSecurity = {
    0x5DBD1C1B, 0xACD6, 0x405B, {0x9D, 0xEA, 0x26, 0xF3, 0x56, 0xD0, 0x03, 0xFC}};
inline constexpr IID IID_IVexaSignFile2 = {
    0xE28F9065, 0x2560, 0x47FC, {0x86, 0x05, 0x4A, 0xE4, 0x79, 0x9F, 0x6F, 0x7A}};
inline constexpr IID IID_IVexaSignature2 = {
    0x48AA614C, 0x7F8D, 0x4208, {0x8C, 0x52, 0xD2, 0xDC, 0xF3, 0xBD, 0x3C, 0xFA}};

inline constexpr CLSID CLSID_VexaFindSignFile = {
    0x47775DA0, 0xE874, 0x4EAF, {0xA2, 0x8C, 0x20, 0xC6, 0xE2, 0xD3, 0x87, 0xA0}};
inline constexpr CLSID CLSID_VexaSignature = {
    0x46BFCC8B, 0xD25B, 0x4A00, {0x84, 0x2A, 0x99, 0xC1, 0x7C, 0x4D, 0xA3, 0xA2}};
inline constexpr CLSID CLSID_VexaSignDRX = {
    0x72EC5935, 0x3EC3, 0x4E94, {0xA3, 0xF1, 0xD2, 0xFC, 0x47, 0x85, 0x21, 0xC2}};
inline constexpr CLSID CLSID_VexaSignAppend = {
    0xBF7227D0, 0xD41D, 0x48FC, {0xB5, 0x45, 0x82, 0x63, 0xF2, 0xCD, 0xA6, 0x21}};
inline constexpr CLSID CLSID_VexaGetData = {
    0xAD1F611D, 0x8D79, 0x46F5, {0xB7, 0xD1, 0x9F, 0xF8, 0x83, 0x00, 0x21, 0x38}};
inline constexpr CLSID CLSID_R18GetData = {
    0xD8C4556C, 0x2407, 0x4DD5, {0x87, 0x4F, 0x04, 0x07, 0xD1, 0xFC, 0xCF, 0x85}};
inline constexpr CLSID CLSID_VexaSystemTime = {
    0x88A10E3A, 0xF60F, 0x473A, {0x80, 0xEB, 0x9C, 0xC1, 0x6B, 0xA1, 0xF4, 0x89}};
inline constexpr CLSID CLSID_VexaSecurity = {
    0xA746B08D, 0x3E25, 0x4C93, {0x8B, 0xEB, 0xCA, 0xC8, 0x20, 0x8A, 0xEC, 0x62}};

inline constexpr const OLECHAR* kProgIdVexaFindSignFile = u"DxSignCore.VexaFindSignFile.1";
inline constexpr const OLECHAR* kProgIdVexaSignature = u"DxSignCore.VexaSignature.1";
inline constexpr const OLECHAR* kProgIdVexaSignDRX = u"DxSignCore.VexaSignDRX.1";
inline constexpr const OLECHAR* kProgIdVexaSignAppend = u"DxSignCore.VexaSignAppend.1";
inline constexpr const OLECHAR* kProgIdVexaGetData = u"DxSignCore.VexaGetData.1";
inline constexpr const OLECHAR* kProgIdR18GetData = u"DxSignCore.R18GetData.1";
inline constexpr const OLECHAR* kProgIdVexaSystemTime = u"DxSignCore.VexaSystemTime.1";
inline constexpr const OLECHAR* kProgIdVexaSecurity = u"DxSignCore.VexaSecurity.1";

// Signing parameters. The type library lays the record out for a 32-bit process, where every
// field is 4 bytes and cbSize is 36:
//
//   offset  0  long     cbSize
//   offset  4  BSTR     bstrCertSubject
//   offset  8  BSTR     bstrCertIssuer
//   offset 12  BSTR     bstrCertSerialNumber
//   offset 16  BSTR     bstrCertSubjectEMail
//   offset 20  BSTR     bstrCertX500String
//   offset 24  BSTR     bstrComment
//   offset 28  BSTR     bstrTimestamp
//   offset 32  VARIANT* pvReserved
//
// On 64-bit Linux the pointers are 8 bytes and the record is 72 bytes (4 bytes of padding
// after cbSize). cbSize is a version tag here, not the byte size: callers still set 36 and the
// server still checks for 36, so code and stored expectations carry over unchanged.
struct SIGNPARAMS {
  LONG cbSize;
  BSTR bstrCertSubject;
  BSTR bstrCertIssuer;
  BSTR bstrCertSerialNumber;
  BSTR bstrCertSubjectEMail;
  BSTR bstrCertX500String;
  BSTR bstrComment;
  BSTR bstrTimestamp;
  VARIANT* pvReserved;
};
constexpr LONG kSignParamsSize = 36;

// A cipher of a cryptographic provider. The 32-bit layout, with cbSize 40:
//
//   offset  0  unsigned long cbSize
//   offset  4  unsigned long dwFlags
//   offset  8  unsigned long dwProvType
//   offset 12  BSTR          bstrProvName
//   offset 16  unsigned long algId
//   offset 20  BSTR          bstrAlgName
//   offset 24  unsigned long dwMinKeyLen
//   offset 28  unsigned long dwMaxKeyLen
//   offset 32  unsigned long dwDefaultKeyLen
//   offset 36  VARIANT*      pvReserved
//
// On 64-bit Linux the record is 64 bytes; cbSize keeps the value 40 as its version tag.
struct CIPHER {
  ULONG cbSize;
  ULONG dwFlags;
  ULONG dwProvType;
  BSTR bstrProvName;
  ULONG algId;
  BSTR bstrAlgName;
  ULONG dwMinKeyLen;
  ULONG dwMaxKeyLen;
  ULONG dwDefaultKeyLen;
  VARIANT* pvReserved;
};
constexpr ULONG kCipherSize = 40;

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SIGNPARAMS) == kSignParamsSize && sizeof(CIPHER) == kCipherSize);
#else
static_assert(sizeof(SIGNPARAMS) == 72 && offsetof(SIGNPARAMS, pvReserved) == 64);
static_assert(sizeof(CIPHER) == 64 && offsetof(CIPHER, bstrAlgName) == 32 &&
              offsetof(CIPHER, pvReserved) == 56);
#endif

// "IVexaSystemTime Interface": a read-only calendar time (UTC).
struct IVexaSystemTime : IUnknown {
  virtual HRESULT get_Year(SHORT* pVal) = 0;     // "Year: 4-digit format"
  virtual HRESULT get_Month(SHORT* pVal) = 0;    // "Month: 1 - 12"
  virtual HRESULT get_Day(SHORT* pVal) = 0;      // "Day: 1 - 31"
  virtual HRESULT get_Hour(SHORT* pVal) = 0;     // "Hour: 0 - 23"
  virtual HRESULT get_Minutes(SHORT* pVal) = 0;  // "Minutes: 0 - 59"
  virtual HRESULT get_Seconds(SHORT* pVal) = 0;  // "Seconds: 0 - 59"
};

// "IVexaGetData Interface": delivers the bytes to sign or verify, block by block.
struct IVexaGetData : IUnknown {
  // "Get next block of data"
  virtual HRESULT GetNextDataBlock(LONG* pElems, BYTE** rgbData, LONG* bMore) = 0;
};

// "IVexaFindSignFile Interface": the file-type registry.
struct IVexaFindSignFile : IUnknown {
  // "Register a file extension"
  virtual HRESULT Register(BSTR bstrExt, GUID* pClsid) = 0;
  // "Unregister a file extension"
  virtual HRESULT Unregister(BSTR bstrExt) = 0;
  // "Lookup the CLSID of a component that implements IVexaSignFile for the specified file
  // extension"
  virtual HRESULT Lookup(BSTR bstrExt, GUID* pClsid) = 0;
  // "Enumerate all supported file extensions"
  virtual HRESULT GetSupportedExtensions(LONG* pCount, BSTR** rgExt) = 0;
};

// "IVexaSignFile Interface": a signature handler for one kind of file.
struct IVexaSignFile : IUnknown {
  // "Determine if a file is signed"
  virtual HRESULT IsFileSigned(BSTR bstrPath, VARIANT* pvReserved, LONG* bResult) = 0;
  // "Attach a digital signature to the file"
  virtual HRESULT AddSign(BSTR bstrPath, BSTR bstrCertSubject, BSTR bstrCertIssuer,
                          BSTR bstrCertSerialNumber, BSTR bstrComment, BSTR bstrTimeServer,
                          IVexaSystemTime* pTimestamp, VARIANT* pvReserved) = 0;
  // "Verify a digital signature"
  virtual HRESULT VerifySign(BSTR bstrPath, VARIANT* pvReserved, LONG* bResult) = 0;
  // "Extract information from signature data"
  virtual HRESULT ExtractSignatureInfo(BSTR bstrPath, VARIANT* pvReserved, BSTR* pbstrCertSubject,
                                       BSTR* pbstrCertIssuer, BSTR* pbstrCertSubjectEMail,
                                       BSTR* pbstrCertSerialNum, BSTR* pbstrCertX500,
                                       BSTR* pbstrComment, IVexaSystemTime** ppCertNotBefore,
                                       IVexaSystemTime** ppCertExpiration, BSTR* pbstrTimeServer,
                                       IVexaSystemTime** ppTimestamp) = 0;
};

// "IVexaSignature Interface": certificates, signatures and the time server.
struct IVexaSignature : IUnknown {
  // "List all the certificates installed in the user's personal store"
  virtual HRESULT EnumerateCertificates(LONG* pElems, BSTR** rgSubject, BSTR** rgIssuer,
                                        BSTR** rgSerialNumber, IVexaSystemTime*** rgExpiration) = 0;
  // "Verify a certificate"
  virtual HRESULT VerifyCertificate(BSTR bstrSubject, BSTR bstrIssuer, BSTR bstrSerialNumber,
                                    LONG* bResult, LONG* plStatus) = 0;
  // "Compute the digital signature"
  virtual HRESULT ComputeSignature(SIGNPARAMS* pSignParams, IVexaGetData* pGetFileData,
                                   LONG* pElemsSign, BYTE** rgbSignData) = 0;
  // "Verify a digital signature"
  virtual HRESULT VerifySignature(IVexaGetData* pGetFileData, LONG cElemsSign, BYTE* rgbSignData,
                                  LONG* bResult) = 0;
  // "Fetch the current time from a remote server"
  virtual HRESULT GetRFC867Time(BSTR bstrTimeServer, LONG lTimeoutMilliSec,
                                IVexaSystemTime** ppST) = 0;
  // "method ExtractSignatureInfo"
  virtual HRESULT ExtractSignatureInfo(LONG cElemsSign, BYTE* rgSignData, SIGNPARAMS* pSignParams,
                                       IVexaSystemTime** ppCertNotBefore,
                                       IVexaSystemTime** ppCertExpiration) = 0;
};

// How VerifySignEx and VerifySignatureEx check the revocation of the signer's certificates and
// of the time-stamping authority's: not at all, softly (a status that cannot be learnt is a
// warning) or hard (it is a failure); with VEXA_REVOCATION_CACHE_ONLY added, from answers
// kept from earlier checks alone, never waiting on the network.
enum VEXA_REVOCATION : LONG {
  VEXA_REVOCATION_NONE = 0,
  VEXA_REVOCATION_SOFT = 1,
  VEXA_REVOCATION_HARD = 2,
  VEXA_REVOCATION_CACHE_ONLY = 0x100,
};

// "IVexaSignFile2 Interface": a signature handler that also time-stamps signatures and checks
// time stamps and revocation. Objects of IVexaSignFile answer QueryInterface for it.
struct IVexaSignFile2 : IVexaSignFile {
  // "Attach a digital signature time-stamped by a time-stamping authority": as AddSign, with
  // the signature value time-stamped by the first of the cTsaUrls authorities (HTTP or
  // HTTPS URLs, tried in turn) that gives a good token, under bstrTsaPolicy (a dotted object
  // identifier, or null for the authority's default). lTimeoutMilliSec bounds each request
  // (10000 when 0 or less). Nothing is written when no authority gives a token.
  virtual HRESULT AddSignWithTimestamp(BSTR bstrPath, BSTR bstrCertSubject, BSTR bstrCertIssuer,
                                       BSTR bstrCertSerialNumber, BSTR bstrComment,
                                       BSTR bstrTimeServer, IVexaSystemTime* pTimestamp,
                                       LONG cTsaUrls, BSTR* rgTsaUrls, BSTR bstrTsaPolicy,
                                       LONG lTimeoutMilliSec) = 0;
  // "Verify a digital signature, its time stamp and the revocation of its certificates": as
  // VerifySign, with revocation checked as lRevocation (VEXA_REVOCATION) says. *plTrustStatus
  // receives the trust status bits (CERT_TRUST_IS_REVOKED 0x4, revocation status unknown
  // 0x40 among them), *pbstrVerdict on success what holds besides the signature: "time-stamped
  // 2026-12-08 10:15:02 UTC by <TSA>, not revoked at that time".
  virtual HRESULT VerifySignEx(BSTR bstrPath, LONG lRevocation, LONG* bResult, LONG* plTrustStatus,
                               BSTR* pbstrVerdict) = 0;
  // "Extract the time stamp of a signature": the authority's name, the time (UTC), the
  // policy and the token's serial number (lower-case hexadecimal). S_FALSE, outputs null,
  // when the file is not signed or its signature has no time stamp. The token is read, not
  // verified: VerifySignEx does that.
  virtual HRESULT ExtractTimestampInfo(BSTR bstrPath, BSTR* pbstrTsaName, IVexaSystemTime** ppTime,
                                       BSTR* pbstrPolicy, BSTR* pbstrSerialNumber) = 0;
};

// "IVexaSignature2 Interface": time-stamped signatures and verification with revocation
// checking. VexaSignature answers QueryInterface for it. IVexaSignature's methods check
// revocation softly from the revocation cache alone (unless the user's setting
// "RevocationFetch" lets them fetch), so that they never wait on the network.
struct IVexaSignature2 : IVexaSignature {
  // "Compute the digital signature and have a time-stamping authority stamp it": as
  // ComputeSignature, then the RFC 3161 token kept with the signature after its note. The
  // signature needs a note (a comment or a time-stamp text): readers take its first
  // unauthenticated attribute as the note.
  virtual HRESULT ComputeSignatureWithTimestamp(SIGNPARAMS* pSignParams, IVexaGetData* pGetFileData,
                                                LONG cTsaUrls, BSTR* rgTsaUrls, BSTR bstrTsaPolicy,
                                                LONG lTimeoutMilliSec, LONG* pElemsSign,
                                                BYTE** rgbSignData) = 0;
  // "Verify a digital signature, its time stamp and the revocation of its certificates"
  virtual HRESULT VerifySignatureEx(IVexaGetData* pGetFileData, LONG cElemsSign, BYTE* rgbSignData,
                                    LONG lRevocation, LONG* bResult, LONG* plTrustStatus,
                                    BSTR* pbstrVerdict) = 0;
  // "Extract the time stamp of a signature"
  virtual HRESULT ExtractTimestampInfo(LONG cElemsSign, BYTE* rgSignData, BSTR* pbstrTsaName,
                                       IVexaSystemTime** ppTime, BSTR* pbstrPolicy,
                                       BSTR* pbstrSerialNumber) = 0;
};

// "IVexaSecurity Interface": ciphers and password encryption.
struct IVexaSecurity : IUnknown {
  // "Determine whether the specified encryption cipher is supported"
  virtual HRESULT IsCipherSupported(CIPHER* pCipher, LONG* bResult) = 0;
  // "Enumerate all ciphers installed on the system"
  virtual HRESULT EnumerateAllCiphers(LONG* pElems, CIPHER*** rgCipher) = 0;
  // "Enumerate the RC4 ciphers installed on the system"
  virtual HRESULT EnumerateRC4Ciphers(LONG* pElems, CIPHER*** rgCipher) = 0;
  // "Extract information about the default cipher"
  virtual HRESULT GetDefaultCipher(CIPHER* pCipher) = 0;
  // "Compare two ciphers"
  virtual HRESULT IsEqualCipher(CIPHER* pCipher1, CIPHER* pCipher2, LONG* bResult) = 0;
  // "Encrypt a block of data using a key derived from the supplied password"
  virtual HRESULT EncryptData(BSTR bstrPassword, CIPHER* pCipher, LONG* pcElems,
                              BYTE** rgbData) = 0;
  // "Decrypt a block of data using a key derived from the supplied password"
  virtual HRESULT DecryptData(BSTR bstrPassword, CIPHER* pCipher, LONG* pcElems,
                              BYTE** rgbData) = 0;
};

VEXA_DECLARE_IID(IVexaSystemTime, IID_IVexaSystemTime);
VEXA_DECLARE_IID(IVexaGetData, IID_IVexaGetData);
VEXA_DECLARE_IID(IVexaFindSignFile, IID_IVexaFindSignFile);
VEXA_DECLARE_IID(IVexaSignFile, IID_IVexaSignFile);
VEXA_DECLARE_IID(IVexaSignature, IID_IVexaSignature);
VEXA_DECLARE_IID(IVexaSecurity, IID_IVexaSecurity);
VEXA_DECLARE_IID(IVexaSignFile2, IID_IVexaSignFile2);
VEXA_DECLARE_IID(IVexaSignature2, IID_IVexaSignature2);
