#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel::test {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }
    // Writes bytes exactly as given (no line-end conversion); returns the path.
    std::filesystem::path Write(std::string_view name, std::string_view bytes) const;
    std::string Read(std::string_view name) const;

private:
    std::filesystem::path m_path;
};

}  // namespace quorvel::test
