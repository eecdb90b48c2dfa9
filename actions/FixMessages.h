// What the user is told after each action, word for word.
#pragma once

#include "actions/FixActions.h"

namespace actions {

inline constexpr FixMessage MESSAGE_APPLY_SUCCESS{
    L"Success! --> WMP Scripting disabled",
    L"Scripting in WMP has been disabled for the current user! Re-run this program for every "
    L"additional user on this computer to disable scripting for everyone."};

inline constexpr FixMessage MESSAGE_APPLY_FAILURE{
    L"Error", L"There was an error creating the registry key - scripting in WMP is NOT disabled."};

inline constexpr FixMessage MESSAGE_UNDO_SUCCESS{
    L"Scripting re-enabled in WMP.", L"Scripting in WMP has been re-enabled for the current user."};

inline constexpr FixMessage MESSAGE_UNDO_FAILURE{
    L"Error", L"There was an error deleting the registry key - it may have already been deleted."};

}  // namespace actions
