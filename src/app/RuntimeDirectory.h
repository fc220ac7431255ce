#pragma once

namespace tarnwick {

// Qt keeps a user's sockets and locks in the folder XDG_RUNTIME_DIR names, and where that is
// unset (a root shell, sudo, a service) it warns on the terminal at every start. Where it is
// unset, this makes a private folder runtime-<uid> under TMPDIR, or /tmp, mode 0700 and the
// user's own, and names it there; a path that is a link, not a folder, or someone else's is
// left alone with the variable unset, for Qt to deal with as before. Call it before any Qt
// application exists. True when the variable names a folder afterwards.
bool PrepareRuntimeDirectory();

}  // namespace tarnwick
