#include "platform/ProcessStart.h"

#include "platform/ProcessHardening.h"
#include "platform/StackGuard.h"

namespace platform {

void StartProcess() noexcept {
    __stack_chk_guard = DrawStackGuard(HardenProcess());
}

}  // namespace platform
