// The exception family of the library layers. An exception carries a numeric
// code, an optional free text and a trace of the source places it passed
// through; each family names its codes and gives each a fixed message.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Velmar {

// One row of a family's code table. Codes without a row have an empty name
// and an empty message.
struct ExceptionCodeInfo {
    const char* name;
    const char* message;
};

class Exception {
public:
    struct TraceEntry {
        std::string unit;  // source unit name, without folder and extension
        int32_t line;
    };

    explicit Exception(uint32_t code);
    // Stores code and message and adds one trace entry for the source place.
    Exception(uint32_t code, std::string message, const std::string& sourcePath, int32_t line);
    virtual ~Exception();

    // One line: family name, ": ", the code's message (or "Unknown error"),
    // " (Code: ", family number, ".", code, ")".
    virtual std::string text() const;
    virtual uint32_t family() const;

    // text(), then the message and the trace on lines of their own.
    std::string details() const;

    // Adds the unit name of sourcePath (after the last "\" or "/", without the
    // extension) and the line; an empty path adds nothing.
    void addTrace(const std::string& sourcePath, int32_t line);

    uint32_t code() const { return code_; }
    const std::string& message() const { return message_; }
    const std::vector<TraceEntry>& trace() const { return trace_; }

    // The table row of this exception's code; {"", ""} when the family has none.
    virtual ExceptionCodeInfo codeInfo() const;

protected:
    // Renders text() for a family with the given name.
    std::string renderText(const char* familyName) const;

private:
    uint32_t code_;
    std::vector<TraceEntry> trace_;
    std::string message_;
};

class ConfigException : public Exception {
public:
    enum Code : uint32_t { CF_MEM = 0, CF_CONF = 1, CF_CANNOT_UNCOMPRESS = 2 };
    using Exception::Exception;
    std::string text() const override;
    uint32_t family() const override;
    ExceptionCodeInfo codeInfo() const override;
};

class TimeException : public Exception {
public:
    enum Code : uint32_t {
        TM_NONE = 0,
        TM_DAYS,
        TM_HOURS,
        TM_MINUTES,
        TM_SECONDS,
        TM_YEAR,
        TM_MONTH,
        TM_DAY,
        TM_DATETIME,
        TM_ANCIENT,
        TM_INPUT
    };
    using Exception::Exception;
    std::string text() const override;
    uint32_t family() const override;
    ExceptionCodeInfo codeInfo() const override;
};

class FileException : public Exception {
public:
    enum Code : uint32_t {
        FL_NONE = 0,
        FL_MEM,
        FL_EXISTS_NOT,
        FL_EXISTS,
        FL_IS_OPEN,
        FL_CANNOT_OPEN,
        FL_IS_CLOSED,
        FL_CANNOT_CLOSE,
        FL_ACCESS_COMB,
        FL_CANNOT_READ,
        FL_READ,
        FL_CANNOT_WRITE,
        FL_WRITE,
        FL_FLUSH,
        FL_EOF,
        FL_POSITION,
        FL_CANNOT_UNLOCK,
        FL_CANNOT_LOCK,
        FL_IS_LOCKED,
        FL_CANNOT_COPY,
        FL_RENAME,
        FL_REMOVE,
        FL_CREATE_DIR,
        FL_GET_DIR,
        FL_NO_DIR,
        FL_SPACE,
        FL_ACCESS,
        // 27 has no row: raised for text that is not printable.
        FL_NOT_PRINTABLE = 27,
        FL_ERROR = 28
    };
    using Exception::Exception;
    std::string text() const override;
    uint32_t family() const override;
    ExceptionCodeInfo codeInfo() const override;
};

class IPCException : public Exception {
public:
    enum Code : uint32_t {
        IC_NONE = 0,
        IC_NO_MESSAGE_FILE,
        IC_CANNOT_CREATE_COMM,
        IC_NOT_SENDER,
        IC_NOT_RECEIVER,
        IC_CANNOT_SEND,
        IC_CANNOT_RECEIVE,
        IC_MEM
    };
    using Exception::Exception;
    std::string text() const override;
    uint32_t family() const override;
    ExceptionCodeInfo codeInfo() const override;
};

}  // namespace Velmar

// Throws an exception of the family with the raising source place in its trace.
#define VELMAR_THROW(Family, code, message) throw Family((code), (message), __FILE__, __LINE__)
