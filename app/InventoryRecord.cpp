#include "app/InventoryRecord.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

// The reporting interval is one day; the fixed texts belong to the suite's
// data format.
constexpr char kIntervalLength[] = "86400:";
constexpr char kRecordKind[] = ":33";
constexpr char kFieldLead[] = ":0:";
constexpr char kEmptyFields[] = ": : : : : : ";
constexpr char kLineEnd[] = "\r\n";
constexpr char kSecondLine[] = "1";
constexpr char kReplacement = '_';

void appendField(std::string& record, std::string text) {
    replaceFieldBreakers(text);
    record += kFieldLead;
    record += text;
}

}  // namespace

void replaceFieldBreakers(std::string& text) {
    for (char& c : text) {
        if (c == ':' || c == '\r' || c == '\n') c = kReplacement;
    }
}

std::string formatInventoryRecord(int64_t intervalStart, const HostIdentity& host,
                                  const CandidateRecord& candidate) {
    std::string path = candidate.path;
    replaceFieldBreakers(path);
    std::string record = kIntervalLength;
    record += std::to_string(intervalStart);
    record += kRecordKind;
    appendField(record, host.domainName);
    appendField(record, host.hostName);
    appendField(record, host.architecture);
    appendField(record, host.osName);
    appendField(record, candidate.appName);
    appendField(record, fileName(path));
    appendField(record, dirPart(path));
    record += kEmptyFields;
    record += kLineEnd;
    record += kSecondLine;
    record += kLineEnd;
    return record;
}

std::string inventoryFileName(int64_t seconds) {
    return "inventory-" + std::to_string(seconds) + ".data";
}

}  // namespace Velmar
