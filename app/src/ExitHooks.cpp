#include "app/ExitHooks.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<ExitHook>& exitHooks() {
    static std::vector<ExitHook> hooks;
    return hooks;
}

}  // namespace

void registerExitHook(ExitHook hook) {
    auto& hooks = exitHooks();
    if (hook != nullptr && std::find(hooks.begin(), hooks.end(), hook) == hooks.end()) {
        hooks.push_back(hook);
    }
}

void runExitHooks() {
    // Taken out first so that a hook registering another one cannot make the list grow under the loop.
    const std::vector<ExitHook> hooks = std::move(exitHooks());
    exitHooks().clear();
    for (const ExitHook hook : hooks) {
        hook();
    }
}
