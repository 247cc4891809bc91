// The reverse name lookup behind a small interface, so that tests can put a
// fake in its place. StartUp and CleanUp are called from one thread; the
// lookups between them from several threads at once, so an implementation
// must be safe for that.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class Resolver {
 public:
  virtual ~Resolver() = default;

  /// Starts the name service, asking for `requested` (major version in the
  /// low byte, minor in the high byte). Returns 0 on success and stores the
  /// granted version.
  virtual int StartUp(std::uint16_t requested, std::uint16_t* granted) {
    *granted = requested;
    return 0;
  }
  virtual void CleanUp() {}

  /// The host name of an address, or nothing. Never a numeric rendering.
  virtual std::optional<std::string> NameOfIPv4(
      const std::array<std::uint8_t, 4>& address) = 0;
  virtual std::optional<std::string> NameOfIPv6(
      const std::array<std::uint8_t, 16>& address) = 0;
};

/// The system's resolver. On POSIX systems, getnameinfo with NI_NAMEREQD,
/// which is safe to call from several threads, and no start-up; on Windows,
/// Windows Sockets 1.1 (WSAStartup, gethostbyaddr, whose answer each thread
/// has for itself, WSACleanup).
class SystemResolver : public Resolver {
 public:
#ifdef _WIN32
  int StartUp(std::uint16_t requested, std::uint16_t* granted) override;
  void CleanUp() override;
#endif
  std::optional<std::string> NameOfIPv4(
      const std::array<std::uint8_t, 4>& address) override;
  std::optional<std::string> NameOfIPv6(
      const std::array<std::uint8_t, 16>& address) override;
};
