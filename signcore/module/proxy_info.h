// What GetProxyDllInfo hands out: the module's interfaces with their IIDs and method counts.
// Objects are only ever used in-process here, so no marshaling code stands behind the table;
// it tells a client which interfaces the module describes.
#pragma once

#include "platform/com/guid.h"

struct ProxyInterfaceInfo {
  const IID* iid;
  const char* name;
  ULONG methodCount;  // IUnknown's three included
};

struct ProxyFileInfo {
  const ProxyInterfaceInfo* interfaces;
  ULONG interfaceCount;
};

// *pInfo receives a null-terminated list of ProxyFileInfo pointers, *pId the CLSID of the
// interfaces' proxy factory (the IID of the first interface, as for merged proxy/stubs).
using PfnGetProxyDllInfo = void (*)(const ProxyFileInfo*** pInfo, const CLSID** pId);
