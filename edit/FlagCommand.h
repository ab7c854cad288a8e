#pragma once

#include "edit/EditCommand.h"

#include <cstdint>
#include <memory>
#include <vector>

class CProgDb;

// The one-key flags of programs: Lock, Skip and Hide, and the favourite group (FavType).
enum ProgFlag
{
    FLAG_LOCK,
    FLAG_SKIP,
    FLAG_HIDE,
};

// The favourite groups a program can be in: FavType 1 to 15; 0 is none.
constexpr uint32_t FAVOURITE_GROUPS = 15;

// Lock, Skip or Hide on the first program with each id: when every one of them has the flag already
// it is cleared on all of them ("Unlock 3 programs"), otherwise set on all ("Lock 3 programs"). Null
// when no id names a program.
std::unique_ptr<CEditCommand> MakeToggleFlagCommand(const CProgDb& db, ProgFlag nFlag,
                                                    std::vector<int32_t> ids);

// FavType nGroup (0: none; at most FAVOURITE_GROUPS) on the first program with each id: "Favourite
// Group 3 for 12 programs", "No Favourite Group for 12 programs". Null for a group beyond the last.
std::unique_ptr<CEditCommand> MakeFavouriteGroupCommand(std::vector<int32_t> ids, uint32_t nGroup);
