// Sets one environment variable for the life of the object and restores the
// previous value (or its absence) afterwards. Changing TZ also re-reads the
// zone rules (tzset), so time functions see the new zone at once.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace qe::test {

class ScopedEnv {
 public:
  // A null value unsets the variable.
  ScopedEnv(std::string name, const char* value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    Apply(value);
  }
  ~ScopedEnv() { Apply(old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Apply(const char* value) {
    if (value) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
    if (name_ == "TZ") tzset();
  }

  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace qe::test
