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

/// Whether any -f among the arguments after the first names a format other
/// than text. The format acts after all arguments are read, but what it
/// shows is gathered while the files are read, before a later -f is met.
bool AnyFormatBeyondText(int argc, char** argv);
