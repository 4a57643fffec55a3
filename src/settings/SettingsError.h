#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quorvel {

inline constexpr std::uint32_t kErrAppNameEmpty = 0x800403E8u;
inline constexpr std::uint32_t kErrSectionEmpty = 0x800403E9u;
inline constexpr std::uint32_t kErrKeyEmpty = 0x800403EAu;
// The registry status or the value's type is added to this number.
inline constexpr std::uint32_t kErrRegistryBase = 0x800407D0u;

// A numbered error of the settings reader: number, source and description as the caller
// shows them; `Detail` says more about a damaged or unreadable settings file when known.
class SettingsError : public std::runtime_error {
public:
    SettingsError(std::uint32_t number, std::string source, std::string description,
                  std::string detail = {})
        : std::runtime_error(description),
          m_number(number),
          m_source(std::move(source)),
          m_description(std::move(description)),
          m_detail(std::move(detail)) {}

    std::uint32_t Number() const { return m_number; }
    const std::string& Source() const { return m_source; }
    const std::string& Description() const { return m_description; }
    const std::string& Detail() const { return m_detail; }

private:
    std::uint32_t m_number = 0;
    std::string m_source;
    std::string m_description;
    std::string m_detail;
};

}  // namespace quorvel
