#include "actions/FixActions.h"

#include <cstdint>

#include "actions/FixMessages.h"
#include "actions/FixTarget.h"
#include "registry/modRegistry.h"

namespace actions {
namespace {

void ShowFixMessage(HWND owner, const FixMessage& message) {
    MessageBoxW(owner, message.text, message.title, MB_OK);
}

}  // namespace

FixMessage ApplyFix() noexcept {
    const modRegistry::Variant scriptingOff(std::int16_t{0});
    const modRegistry::RegStatus status = modRegistry::WriteRegValue(
        TARGET_ROOT, TARGET_KEY, TARGET_VALUE, TARGET_TYPE, scriptingOff);
    return status == 0 ? MESSAGE_APPLY_SUCCESS : MESSAGE_APPLY_FAILURE;
}

FixMessage UndoFix() noexcept {
    const modRegistry::RegStatus status =
        modRegistry::DeleteRegValue(TARGET_ROOT, TARGET_KEY, TARGET_VALUE);
    return status == 0 ? MESSAGE_UNDO_SUCCESS : MESSAGE_UNDO_FAILURE;
}

void Command1_Click(HWND owner) noexcept {
    ShowFixMessage(owner, ApplyFix());
}

void Command2_Click(HWND owner) noexcept {
    ShowFixMessage(owner, UndoFix());
}

}  // namespace actions
