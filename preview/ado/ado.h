#pragma once
// ADO over the preview's working copy: the part of ADODB.Connection / Recordset / Field
// that generated sites use, answered by SQLite. Portable C++ over the sqlite3 C API only,
// so the same code runs in the Windows ASP host (mingw, SQLite amalgamation) and in native
// unit tests. The host wraps these classes in IDispatch objects; nothing here knows COM.
//
// Text is UTF-8 throughout. SQL arrives in Access (Jet) dialect and is translated here;
// a statement Jet would refuse is refused with a Jet-like error.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::preview::ado {

// Column types of a Jet table, as recorded in the working copy. Currency is a decimal at
// four places; Binary values are kept but never handed to a page (Null) nor written by one.
enum class JetType {
    Counter,
    Text,
    Memo,
    Long,
    Short,
    Byte,
    Single,
    Double,
    Numeric,
    DateTime,
    Boolean,
    Currency,
    Binary
};

// A cell or parameter value with the variant kinds VBScript distinguishes.
struct Value {
    enum class Kind { Empty, Null, Boolean, Byte, Integer, Long, Single, Double, Decimal, Date, Text };
    Kind kind = Kind::Empty;
    bool boolean = false;      // Boolean
    std::int64_t integer = 0;  // Byte, Integer, Long
    double number = 0;         // Single, Double, Date (OLE automation date: days since 1899-12-30)
    std::string text;          // Text (UTF-8); Decimal as exact decimal text ("1234.56")

    static Value null() {
        Value v;
        v.kind = Kind::Null;
        return v;
    }
};

// A failure as ADO reports it to the page: the HRESULT the page's Err.Number shows, the
// source ("Microsoft JET Database Engine", "ADODB.Recordset", …) and the description.
class AdoError : public std::runtime_error {
public:
    AdoError(std::int32_t hresult, std::string source, const std::string& description)
        : std::runtime_error(description), hresult_(hresult), source_(std::move(source)) {}
    std::int32_t hresult() const { return hresult_; }
    const std::string& source() const { return source_; }

private:
    std::int32_t hresult_;
    std::string source_;
};

struct FieldInfo {
    std::string name;  // as the query names it
    JetType type = JetType::Text;
    long definedSize = 0;  // Text: characters; others: bytes
    bool nullable = true;
};

// ADO's CursorTypeEnum and LockTypeEnum values as pages pass them.
enum CursorType : int { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockType : int { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };

class Recordset {
public:
    virtual ~Recordset() = default;

    virtual const std::vector<FieldInfo>& fields() const = 0;
    // Index of a field by name (case-insensitive like Jet), or -1.
    virtual int fieldIndex(std::string_view name) const = 0;

    virtual bool eof() const = 0;
    virtual bool bof() const = 0;
    virtual void moveNext() = 0;
    virtual void movePrevious() = 0;  // fails on a forward-only cursor, as ADO does
    virtual void moveFirst() = 0;
    virtual void moveLast() = 0;

    // -1 for a forward-only cursor; the row count otherwise. Counting must not load every
    // row into memory (a 10,000-row table pages through a window of rows).
    virtual long recordCount() const = 0;
    virtual long pageSize() const = 0;
    virtual void setPageSize(long rows) = 0;
    virtual long pageCount() const = 0;     // -1 for a forward-only cursor
    virtual long absolutePage() const = 0;  // ADO's adPosBOF/adPosEOF/adPosUnknown: -2/-3/-1
    virtual void setAbsolutePage(long page) = 0;
    virtual long absolutePosition() const = 0;
    virtual void setAbsolutePosition(long position) = 0;

    // The current row's value; throws AdoError at EOF/BOF as ADO does.
    virtual Value value(int field) const = 0;
    // Edits the current row (or the row being added). Checks the value against the
    // column's type the way Jet does: "" into a number or date column, text that is not a
    // number, a number out of range, text too long, Null into a required column all fail.
    virtual void setValue(int field, const Value& value) = 0;
    virtual void addNew() = 0;
    virtual void update() = 0;  // writes the edited or added row; the Counter is assigned here
    virtual void cancelUpdate() = 0;
    virtual void deleteCurrent() = 0;  // ADO's Delete: the current row
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

class Connection {
public:
    virtual ~Connection() = default;

    // Runs a statement that returns no rows; returns the number of rows it changed.
    virtual long execute(std::string_view accessSql) = 0;
    // Opens a query the way Recordset.Open does (CursorLocation is accepted and ignored:
    // a client cursor behaves like a static one).
    virtual std::unique_ptr<Recordset> open(std::string_view accessSql, int cursorType, int lockType) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

// The index of the field named `name` (case-insensitive), or ADO's "Item cannot be found in
// the collection…" (0x800A0CC1) that rs("name") raises for a field the query does not have.
int requireField(const Recordset& recordset, std::string_view name);

// Opens the working copy at `sqlitePath` (UTF-8 path). Throws AdoError when the file is
// missing or not a working copy.
std::unique_ptr<Connection> openWorkingCopy(const std::string& sqlitePath);

// The connection strings the skeleton uses ("Provider=Microsoft.Jet.OLEDB.4.0;Data
// Source=…\data\data.mdb", "DBQ=…", "Driver={Microsoft Access Driver (*.mdb)};…"): the
// data source file they name, or "" when the text names none.
std::string dataSourceOf(std::string_view connectionString);

}  // namespace tabulon::preview::ado
