// The registries of users who are not logged on, read from their hive files
// without loading them: for every profile of the system's profile list whose
// SID is not loaded below HKEY_USERS, its NTUSER.DAT and, where it exists, its
// UsrClass.dat are read into memory (opened with read, write and delete
// sharing, held only for the read), brought up to date from their logs where
// dirty, and walked whole under the names they have when loaded:
// "HKEY_USERS\<SID>" and "HKEY_USERS\<SID>_Classes". Their REG_EXPAND_SZ
// texts expand with that user's profile and Environment key.
//
// One NOTICE 30 per hive file read; WARNING 31 for a file that cannot be read
// (an NTUSER.DAT, or a UsrClass.dat that exists), WARNING 32 for one that is
// damaged. A file in use (its user is logging on) is skipped with a debug line.
#pragma once

#include "app/CandidateSink.h"
#include "app/KeySource.h"
#include "shared/library/common/Log.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace Velmar {

// Answers the number of keys walked, as the registry scan counts them.
size_t scanOfflineProfiles(std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log);

// What the texts of the loaded hives below HKEY_USERS expand with: each user
// of the profile list with that user's profile and the Environment key of the
// loaded hive, every other key with the process's environment.
std::unique_ptr<TextExpander> loadedUserEnvironments(TextExpander& process, Log& log);

// Reads the whole file into `bytes`, opened with read, write and delete
// sharing and closed before returning. False with the system error in `error`.
bool readSharedFile(const std::string& path, std::vector<uint8_t>& bytes, uint32_t& error);

}  // namespace Velmar
