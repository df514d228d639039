#include "shared/library/logger/LogRecord.h"

#include "shared/library/files/FileUtils.h"
#include "shared/library/common/IntegerText.h"
#include "shared/library/logger/ParamStream.h"

namespace Velmar {
namespace {

const char kProductMark[] = "Velmar";
const char kDebugKind[] = "DEBUG";
const char kCatalogueKind[] = "LOG";
// Offset of the kind field: the product mark and its separator come first.
constexpr size_t kKindOffset = sizeof kProductMark;
constexpr size_t kDebugKindLength = sizeof kDebugKind - 1;

void appendField(std::string& out, const std::string& field) {
    out += field;
    out += kRecordSeparator;
}

// Reads the fields of a record text one after the other; past the end every
// field is empty.
class FieldReader {
public:
    explicit FieldReader(const std::string& text) : text_(text) {}

    std::string next() {
        if (position_ > text_.size()) return std::string();
        size_t end = text_.find(kRecordSeparator, position_);
        if (end == std::string::npos) end = text_.size();
        std::string field = text_.substr(position_, end - position_);
        position_ = end + 1;
        return field;
    }

    int32_t nextInt32() { return clampToInt32(leadingInteger(next())); }

private:
    const std::string& text_;
    size_t position_ = 0;
};

}  // namespace

std::string recordToText(const LogRecord& record) {
    const bool debug = record.kind == LogRecord::kDebug;
    std::string text;
    text.reserve(record.text.size() + 64);
    appendField(text, kProductMark);
    appendField(text, debug ? kDebugKind : kCatalogueKind);
    appendField(text, intToText(record.application));
    appendField(text, intToText(record.module));
    appendField(text, intToText(record.time.getSeconds()));
    appendField(text, intToText(debug ? record.debugLevel : record.severity));
    appendField(text, record.text);
    appendField(text, std::to_string(record.threadId));
    if (!debug) appendField(text, intToText(record.messageNumber));
    return text;
}

bool recordFromText(const std::string& text, LogRecord& record) {
    FieldReader fields(text);
    if (fields.next() != kProductMark) return false;
    const std::string kind = fields.next();
    LogRecord result;
    if (kind == kDebugKind) {
        result.kind = LogRecord::kDebug;
    } else if (kind == kCatalogueKind) {
        result.kind = LogRecord::kCatalogue;
    } else {
        return false;
    }
    result.application = fields.nextInt32();
    result.module = fields.nextInt32();
    result.time.setSeconds(fields.nextInt32());
    const int32_t level = fields.nextInt32();
    if (result.kind == LogRecord::kDebug) {
        result.debugLevel = level;
    } else {
        result.severity = level;
    }
    result.text = fields.next();
    const int64_t threadId = leadingInteger(fields.next());
    result.threadId = threadId < 0            ? 0
                      : threadId > UINT32_MAX ? UINT32_MAX
                                              : static_cast<uint32_t>(threadId);
    result.messageNumber = result.kind == LogRecord::kDebug ? kNoMessageNumber : fields.nextInt32();
    record = std::move(result);
    return true;
}

bool isDebugText(const std::string& text) {
    constexpr size_t kMinimumLength = 12;
    return text.size() >= kMinimumLength &&
           text.compare(kKindOffset, kDebugKindLength, kDebugKind) == 0;
}

}  // namespace Velmar
