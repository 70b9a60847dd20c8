#pragma once
// The jobs of the impedance windows store each register they write in the shadow
// without refreshing the windows; when a job ends, by its end, a failure or an error,
// the refresh chain runs once (every register-driven window, from the program's list),
// so that every one of them shows the shadow.

#include "common/scope_exit.h"
#include "link/mx_up.h"

// Runs the refresh chain when the scope is left; made at the top of a job.
inline ScopeExit RefreshChainOnExit(TMx_UP& up) {
  return ScopeExit([&up] { up.RunRefreshChain(); });
}
