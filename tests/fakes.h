// Stand-ins for the platform: a directory search over a fixed table, a
// resolver that answers from a table, after a delay if asked, and remembers
// what it was asked, and a scratch folder on disk that removes itself.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/directory_search.h"
#include "platform/resolver.h"

class FakeDirectorySearch : public DirectorySearch {
 public:
  std::vector<FoundFile> Find(std::string_view pattern) override {
    auto it = matches.find(std::string(pattern));
    return it == matches.end() ? std::vector<FoundFile>() : it->second;
  }
  std::map<std::string, std::vector<FoundFile>> matches;
};

// Lookups may come from several threads at once; everything they touch is
// guarded. Set the tables before the lookups start.
class FakeResolver : public Resolver {
 public:
  int StartUp(std::uint16_t requested, std::uint16_t* granted) override {
    Note("startup");
    *granted = granted_version ? *granted_version : requested;
    return startup_result;
  }
  void CleanUp() override { Note("cleanup"); }

  std::optional<std::string> NameOfIPv4(const std::array<std::uint8_t, 4>& a) override {
    std::string key = std::to_string(a[0]) + "." + std::to_string(a[1]) + "." +
                      std::to_string(a[2]) + "." + std::to_string(a[3]);
    return Answer("v4 " + key, key);
  }
  std::optional<std::string> NameOfIPv6(const std::array<std::uint8_t, 16>& a) override {
    std::string key = "v6";
    for (std::uint8_t byte : a) key += " " + std::to_string(byte);
    return Answer(key, key);
  }

  // Keyed by the dotted address, or by the call for an IPv6 address.
  std::map<std::string, std::string> names;
  std::map<std::string, int> delay_ms;  // else `default_delay_ms`
  int default_delay_ms = 0;
  std::vector<std::string> calls;  // in the order they came
  int startup_result = 0;
  std::optional<std::uint16_t> granted_version;
  int most_in_flight = 0;  // lookups under way at once, at most

 private:
  void Note(const std::string& call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls.push_back(call);
  }

  std::optional<std::string> Answer(const std::string& call, const std::string& key) {
    int delay;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      calls.push_back(call);
      most_in_flight = std::max(most_in_flight, ++in_flight_);
      auto it = delay_ms.find(key);
      delay = it == delay_ms.end() ? default_delay_ms : it->second;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    std::lock_guard<std::mutex> lock(mutex_);
    --in_flight_;
    auto it = names.find(key);
    if (it == names.end()) return std::nullopt;
    return it->second;
  }

  std::mutex mutex_;
  int in_flight_ = 0;
};

/// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "vantrix-test.XXXXXX").string();
    path_ = mkdtemp(templ.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  /// Writes a file below the folder and returns its full path.
  std::string Write(const std::string& name, const std::string& content) const {
    std::string full = path_ + "/" + name;
    std::ofstream(full, std::ios::binary) << content;
    return full;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

/// Sets TZ for the life of the object, and back afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (old_) setenv("TZ", old_->c_str(), 1); else unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> old_;
};
