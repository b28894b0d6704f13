// The port probe on POSIX systems: the device file's mode and group, the groups of this process
// and of its user, and on Linux the holders found through /proc/PID/fd.
#include "link/port_probe.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <system_error>
#include <unistd.h>

namespace kavrin {

namespace {

namespace fs = std::filesystem;

bool isDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string groupName(gid_t gid) {
    if (const group* entry = ::getgrgid(gid); entry != nullptr && entry->gr_name != nullptr) {
        return entry->gr_name;
    }
    return std::to_string(gid);
}

std::string userName(uid_t uid) {
    if (const passwd* entry = ::getpwuid(uid); entry != nullptr && entry->pw_name != nullptr) {
        return entry->pw_name;
    }
    return std::to_string(uid);
}

bool processCarriesGroup(gid_t gid) {
    if (::getegid() == gid) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

bool userListedInGroup(gid_t gid) {
    const passwd* user = ::getpwuid(::geteuid());
    if (user == nullptr || user->pw_name == nullptr) {
        return false;
    }
    if (user->pw_gid == gid) {
        return true;
    }
    const group* entry = ::getgrgid(gid);
    if (entry == nullptr || entry->gr_mem == nullptr) {
        return false;
    }
    for (char** member = entry->gr_mem; *member != nullptr; ++member) {
        if (std::string(*member) == user->pw_name) {
            return true;
        }
    }
    return false;
}

std::string commandName(const fs::path& processDir) {
    std::ifstream in(processDir / "comm");
    std::string name;
    std::getline(in, name);
    return name;
}

} // namespace

std::vector<PortHolder> portHolders(const std::string& devicePath) {
    std::vector<PortHolder> holders;
    struct stat device {};
    if (::stat(devicePath.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) {
        return holders;
    }
    const long long self = ::getpid();
    std::error_code ec;
    fs::directory_iterator processes("/proc", ec);
    if (ec) {
        return holders;
    }
    for (const auto& process : processes) {
        const auto pidText = process.path().filename().string();
        if (!isDigits(pidText)) {
            continue;
        }
        const long long pid = std::stoll(pidText);
        if (pid == self) {
            continue;
        }
        // Another user's descriptors are unreadable without privileges: such a holder stays
        // unknown, and the open's own failure still tells that the port is busy.
        fs::directory_iterator descriptors(process.path() / "fd", ec);
        if (ec) {
            ec.clear();
            continue;
        }
        for (const auto& descriptor : descriptors) {
            struct stat target {};
            if (::stat(descriptor.path().c_str(), &target) == 0 && S_ISCHR(target.st_mode) &&
                target.st_rdev == device.st_rdev) {
                holders.push_back({pid, commandName(process.path())});
                break;
            }
        }
    }
    std::sort(holders.begin(), holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
    return holders;
}

DeviceAccess deviceAccess(const std::string& devicePath) {
    DeviceAccess access;
    struct stat info {};
    if (::stat(devicePath.c_str(), &info) != 0) {
        return access;
    }
    access.exists = true;
    access.readWrite = ::access(devicePath.c_str(), R_OK | W_OK) == 0;
    access.permissionsKnown = true;
    access.owner = userName(info.st_uid);
    access.group = groupName(info.st_gid);
    access.mode = static_cast<unsigned>(info.st_mode) & 07777U;
    access.inGroupNow = processCarriesGroup(info.st_gid);
    access.inGroupListed = access.inGroupNow || userListedInGroup(info.st_gid);
    return access;
}

std::string currentUserName() {
    return userName(::geteuid());
}

bool udevRuleInstalled() {
    std::error_code ec;
    return fs::exists(kUdevRulePath, ec);
}

} // namespace kavrin
