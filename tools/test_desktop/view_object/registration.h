// The registry entries that let a client reach the test desktop's view-object server
// and carry item ID lists to it, made for the life of one object and then taken out
// again, so that they stay in the test prefix only while a test needs them:
//   CLSID\{ShellWindows}\TreatAs           -> the server's class
//   CLSID\{server}                         (a name, nothing to start)
//   Interface\{IFolderView}\ProxyStubClsid32, Interface\{IShellFolder}\ProxyStubClsid32,
//   Interface\{IEnumIDList}\ProxyStubClsid32 -> our proxy/stub DLL's class
//   CLSID\{proxy}\InprocServer32           -> shell_view_ps.dll, ThreadingModel Both
// What was there before (Wine's own proxies) is put back afterwards.
#pragma once

#include <string>
#include <vector>

namespace testdesk {

class ViewObjectRegistration {
public:
    ViewObjectRegistration();
    ~ViewObjectRegistration();
    ViewObjectRegistration(const ViewObjectRegistration&) = delete;
    ViewObjectRegistration& operator=(const ViewObjectRegistration&) = delete;

    // Every entry was written.
    bool Ok() const { return m_ok; }

private:
    struct Undo {
        std::wstring key;
        std::wstring value;  // its name ("" for the default)
        bool hadValue = false;
        std::wstring old;      // the value it had
        std::wstring created;  // the topmost key this made, deleted whole; "" if none
    };
    bool Set(const std::wstring& key, const std::wstring& value, const std::wstring& data);

    std::vector<Undo> m_undo;
    bool m_ok = true;
};

}  // namespace testdesk
