// The records of the inventory data file, byte for byte, and the file's name.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace Velmar {

// The host identity every record carries, in record order.
struct HostIdentity {
    std::string domainName;
    std::string hostName;
    std::string architecture;
    std::string osName;
};

// One accepted executable: its cleaned, lower-case path and the application
// name the resolver gave it, blanks trimmed.
struct CandidateRecord {
    std::string path;
    std::string appName;
};

// Keyed by the cleaned path; byte order is the order of the data file.
using CandidateMap = std::map<std::string, CandidateRecord>;

// Replaces every ":", carriage return and line feed by "_": these bytes
// separate the fields and records of the data file.
void replaceFieldBreakers(std::string& text);

// One record: the line
//   "86400:" <intervalStart> ":33" ":0:" domain ":0:" host ":0:" architecture
//   ":0:" OS name ":0:" application ":0:" file name ":0:" directory ": : " x3
// then CR LF, "1", CR LF. The file name is the text after the last "\" or "/"
// of the path, the directory the text up to it. The identity fields, the
// application name and the path go through replaceFieldBreakers first, so a
// drive's colon is written as "_" (c_\tools\).
std::string formatInventoryRecord(int64_t intervalStart, const HostIdentity& host,
                                  const CandidateRecord& candidate);

// "inventory-" <seconds since 1970> ".data".
std::string inventoryFileName(int64_t seconds);

}  // namespace Velmar
