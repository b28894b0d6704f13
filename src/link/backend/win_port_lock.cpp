// The port lock on Windows: a COM port opens exclusively there, which keeps a second program
// off it while a link is open. Between the links of a flow the lock is a named mutex per port in
// the session's namespace, which every Kavrin of the session sees. A mutex belongs to the thread
// that took it; the flows take and release their locks on one thread.
#include "link/backend/port_lock_backend.h"

#include <windows.h>

namespace kavrin::backend {

std::string portLocation(const std::string& portName) {
    return portName;
}

PortLockState lockPort(const std::string& location, std::intptr_t& handle) {
    std::wstring name = L"Local\\kavrin-port-";
    for (const char c : location) {
        // Backslashes are not allowed in a mutex name below its namespace.
        name.push_back(c == '\\' ? L'_' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) {
        return PortLockState::NotLockable;
    }
    const DWORD waited = ::WaitForSingleObject(mutex, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        ::CloseHandle(mutex);
        return waited == WAIT_TIMEOUT ? PortLockState::Busy : PortLockState::NotLockable;
    }
    handle = reinterpret_cast<std::intptr_t>(mutex);
    return PortLockState::Held;
}

void unlockPort(std::intptr_t handle) noexcept {
    HANDLE mutex = reinterpret_cast<HANDLE>(handle);
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
}

} // namespace kavrin::backend
