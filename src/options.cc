#include "options.h"

#include "texts.h"

Options::Options() : ExcludePattern(texts::kDefaultExcludePattern) {}
