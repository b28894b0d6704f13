// Reading and writing virtual radio registrations.
#include "link/virtual_ports.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#define KAVRIN_HAVE_POSIX 1
#endif

namespace kavrin {

namespace fs = std::filesystem;

bool virtualPortsOnly() {
    const char* dir = std::getenv(kVirtualPortsEnv);
    return dir != nullptr && *dir != '\0';
}

fs::path virtualPortDirectory() {
    if (virtualPortsOnly()) {
        return fs::path(std::getenv(kVirtualPortsEnv));
    }
#ifdef KAVRIN_HAVE_POSIX
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return fs::path(runtime) / "kavrin" / "virtual-ports";
    }
    std::error_code ec;
    return fs::temp_directory_path(ec) /
           ("kavrin-" + std::to_string(static_cast<long long>(::getuid()))) / "virtual-ports";
#else
    std::error_code ec;
    return fs::temp_directory_path(ec) / "kavrin" / "virtual-ports";
#endif
}

bool isProcessRunning(long long pid) {
#ifdef KAVRIN_HAVE_POSIX
    if (pid <= 0) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#else
    // Virtual radios are pseudo-terminals and exist only where POSIX does.
    (void)pid;
    return false;
#endif
}

namespace {

// The registration's fields, whether or not its process still runs.
std::optional<VirtualPort> readRegistrationFile(const fs::path& file) {
    std::ifstream in(file);
    if (!in) {
        return std::nullopt;
    }
    VirtualPort port;
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const auto key = line.substr(0, eq);
        const auto value = line.substr(eq + 1);
        if (key == "name") {
            port.name = value;
        } else if (key == "path") {
            port.devicePath = value;
        } else if (key == "pid") {
            port.pid = std::strtoll(value.c_str(), nullptr, 10);
        }
    }
    if (port.name.empty() || port.devicePath.empty()) {
        return std::nullopt;
    }
    return port;
}

std::optional<VirtualPort> readRegistration(const fs::path& file) {
    auto port = readRegistrationFile(file);
    if (port && !isProcessRunning(port->pid)) {
        return std::nullopt;
    }
    return port;
}

} // namespace

std::vector<VirtualPort> listVirtualPorts() {
    std::vector<VirtualPort> ports;
    std::error_code ec;
    fs::directory_iterator it(virtualPortDirectory(), ec);
    if (ec) {
        return ports;
    }
    for (const auto& entry : it) {
        if (entry.path().extension() != kVirtualPortExtension) {
            continue;
        }
        if (auto port = readRegistration(entry.path())) {
            ports.push_back(std::move(*port));
        }
    }
    std::sort(ports.begin(), ports.end(),
              [](const VirtualPort& a, const VirtualPort& b) { return a.name < b.name; });
    return ports;
}

std::optional<VirtualPort> findVirtualPort(const std::string& name) {
    if (name.empty() || name.find_first_of("/\\") != std::string::npos) {
        return std::nullopt;
    }
    return readRegistration(virtualPortDirectory() / (name + kVirtualPortExtension));
}

std::vector<VirtualPort> removeStaleVirtualPorts() {
    std::vector<VirtualPort> removed;
    std::error_code ec;
    fs::directory_iterator it(virtualPortDirectory(), ec);
    if (ec) {
        return removed;
    }
    for (const auto& entry : it) {
        if (entry.path().extension() != kVirtualPortExtension) {
            continue;
        }
        auto port = readRegistrationFile(entry.path());
        if (port && !isProcessRunning(port->pid) && fs::remove(entry.path(), ec)) {
            removed.push_back(std::move(*port));
        }
    }
    std::sort(removed.begin(), removed.end(),
              [](const VirtualPort& a, const VirtualPort& b) { return a.name < b.name; });
    return removed;
}

fs::path registerVirtualPort(const VirtualPort& port, std::string& error) {
    const auto dir = virtualPortDirectory();
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        error = "cannot create " + dir.string() + ": " + ec.message();
        return {};
    }
    const auto target = dir / (port.name + kVirtualPortExtension);
    const auto temp = dir / ("." + port.name + ".tmp");
    {
        std::ofstream out(temp, std::ios::trunc);
        out << "name=" << port.name << "\npath=" << port.devicePath << "\npid=" << port.pid << "\n";
        out.flush();
        if (!out) {
            error = "cannot write " + temp.string();
            fs::remove(temp, ec);
            return {};
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        error = "cannot rename " + temp.string() + ": " + ec.message();
        fs::remove(temp, ec);
        return {};
    }
    return target;
}

} // namespace kavrin
