// --undo=EXPORT: the INF that puts back, value for value, what a registry
// export taken before a deployment holds for some zones (undo_writer.h).
#pragma once

#include "commands/options.h"

namespace zoneinf {

// Reads the export --undo names, resolves its ZONE operands (a key the
// export holds, or an IANA zone CLDR maps to one, the database and the
// mapping opened only then) or --all, and writes the INF to -o's FILE or
// standard output; the exit status.
int RunUndo(const Options& options);

}  // namespace zoneinf
