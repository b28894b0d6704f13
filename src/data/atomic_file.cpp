// Atomic whole-file writes.
#include "data/atomic_file.h"

#include <chrono>
#include <fstream>
#include <optional>
#include <random>
#include <string>

namespace kavrin {

namespace {

// A name beside the target that is not in use, so that writing it cannot harm another file.
std::optional<std::filesystem::path> temporaryBeside(const std::filesystem::path& target) {
    std::mt19937_64 generator(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    const std::filesystem::path directory = target.parent_path();
    std::string base = ".";
    base += target.filename().string();
    base += '.';
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string name = base;
        name += std::to_string(generator() % 1'000'000'000u);
        name += ".tmp";
        const auto candidate = directory / name;
        std::error_code error;
        const auto status = std::filesystem::symlink_status(candidate, error);
        if (status.type() == std::filesystem::file_type::not_found) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace

bool writeFileAtomically(const std::filesystem::path& path, std::string_view contents) {
    const auto temporary = temporaryBeside(path);
    if (!temporary) {
        return false;
    }
    std::error_code error;
    {
        std::ofstream out(*temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            std::filesystem::remove(*temporary, error);
            return false;
        }
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        // close() flushes; a full disk shows up here at the latest.
        out.close();
        if (!out) {
            std::filesystem::remove(*temporary, error);
            return false;
        }
    }
    std::filesystem::rename(*temporary, path, error);
    if (error) {
        std::filesystem::remove(*temporary, error);
        return false;
    }
    return true;
}

} // namespace kavrin
