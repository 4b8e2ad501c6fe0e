/* The proxy/stub DLL's entry points (DllGetClassObject, DllCanUnloadNow) for the
   interfaces of shell_view_ps.idl, under a class identifier of our own. */
#include "tools/test_desktop/view_object/ids.h"

#define PROXY_CLSID_IS TESTDESK_PROXY_CLSID
#include <rpcproxy.h>

extern const ExtendedProxyFileInfo shell_view_ps_ProxyFileInfo;

const ProxyFileInfo* aProxyFileList[] = {(const ProxyFileInfo*)&shell_view_ps_ProxyFileInfo, NULL};

DLLDATA_ROUTINES(aProxyFileList, GET_DLL_CLSID)
