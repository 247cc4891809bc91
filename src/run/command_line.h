// Reading the options of the command line into the run, one function an
// option. A value is glued to its letter ("-n25"); a later option overrides
// an earlier one.
#pragma once

struct Run;

enum class OptionRead {
  kDone,     // the option took effect
  kUnknown,  // no such option: the usage text follows
  kFailed,   // the option could not take effect; its message is written
};

/// Reads `arg`, which begins with "-", into the run.
OptionRead ReadOption(Run* run, const char* arg);
