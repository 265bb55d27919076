#pragma once
// The arguments of --profile and --compare, beside the other runs'.
#include "GenerateTool.h"

namespace kovagenerate {

enum class OptionRead { NotMine, Taken, Failed };

// Reads the option at args[i] (and its value, moving i on) when it is one of
// the profiles' options; Failed with *error set when its value is wrong.
OptionRead ReadProfileOption(const QStringList& args, qsizetype& i, Arguments& parsed, QString* error);

// The arguments of a --profile or --compare run, whose other arguments are
// `rest` (--auto given or not), or none with *error saying what is wrong.
std::optional<Arguments> CheckProfileArguments(Arguments parsed, const QStringList& rest, bool automatic,
                                               QString* error);

}  // namespace kovagenerate
