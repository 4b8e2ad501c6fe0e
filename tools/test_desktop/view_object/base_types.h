// What base_types.idl declares, from the system headers: the proxy's generated header
// includes this in place of the IDL's own declarations.
#pragma once

#include <windows.h>
#include <objbase.h>

/* The C side of mingw-w64's unknwn.h leaves out the IUnknown proxies that a generated
   proxy vtable starts with (rpcrt4 provides them). */
#ifndef __cplusplus
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** ppv);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);
#endif
