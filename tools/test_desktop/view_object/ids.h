// The class identifiers of the test desktop's view-object server, shared by the server
// and the fixture that registers it.
#pragma once

// The server's stand-in for the shell's ShellWindows class: HKCR\CLSID\{ShellWindows}
// \TreatAs names it, and the test desktop registers its class object under it.
#define TESTDESK_SHELL_WINDOWS_CLSID_TEXT "{61294F98-0A44-4DFF-8DE4-9A9A8CA23CF2}"
#define TESTDESK_SHELL_WINDOWS_CLSID                                                   \
    {                                                                                  \
        0x61294f98, 0x0a44, 0x4dff, { 0x8d, 0xe4, 0x9a, 0x9a, 0x8c, 0xa2, 0x3c, 0xf2 } \
    }

// The proxy/stub DLL (shell_view_ps.dll) as a class: the proxy of IFolderView and
// IShellFolder.
#define TESTDESK_PROXY_CLSID_TEXT "{B89E46AA-E8B3-4FB3-8719-83E991806E29}"
#define TESTDESK_PROXY_CLSID                                                           \
    {                                                                                  \
        0xb89e46aa, 0xe8b3, 0x4fb3, { 0x87, 0x19, 0x83, 0xe9, 0x91, 0x80, 0x6e, 0x29 } \
    }

#define TESTDESK_WIDEN_(text) L##text
#define TESTDESK_WIDEN(text) TESTDESK_WIDEN_(text)
#define TESTDESK_SHELL_WINDOWS_CLSID_WTEXT TESTDESK_WIDEN(TESTDESK_SHELL_WINDOWS_CLSID_TEXT)
#define TESTDESK_PROXY_CLSID_WTEXT TESTDESK_WIDEN(TESTDESK_PROXY_CLSID_TEXT)
