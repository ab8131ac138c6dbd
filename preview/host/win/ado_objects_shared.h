#pragma once
// What the ADO automation objects (Connection and Recordset, Command, Errors) share.
#include "../../ado/ado.h"
#include "dispatch.h"
#include "text.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tabulon::preview::host {

// ADO's own errors (ErrorValueEnum), raised with the object's name as the source.
constexpr HRESULT adErrNoCurrentRecord = static_cast<HRESULT>(0x800A0BCD);
constexpr HRESULT adErrItemNotFound = static_cast<HRESULT>(0x800A0CC1);
constexpr HRESULT adErrObjectClosed = static_cast<HRESULT>(0x800A0E78);
constexpr HRESULT adErrObjectOpen = static_cast<HRESULT>(0x800A0E79);
constexpr HRESULT adErrInvalidArgument = static_cast<HRESULT>(0x800A0BB9);
constexpr HRESULT adErrInvalidConnection = static_cast<HRESULT>(0x800A0E7D);
constexpr HRESULT adErrDataConversion = static_cast<HRESULT>(0x800A0D5D);
constexpr HRESULT adErrIllegalOperation = static_cast<HRESULT>(0x800A0C93);
constexpr HRESULT adErrFileOpen = static_cast<HRESULT>(0x800A0BBA);
constexpr HRESULT adErrWriteFile = static_cast<HRESULT>(0x800A0BBC);

// CommandTypeEnum values a page passes as Open's or Execute's options.
constexpr long adCmdText = 1;
constexpr long adCmdTable = 2;
constexpr long adCmdTableDirect = 512;

ScriptError fromAdo(const ado::AdoError& e);

// Runs core work and turns its failures into script errors.
template <class F>
auto guarded(const wchar_t* source, F&& work) {
    try {
        return work();
    } catch (const ado::AdoError& e) {
        throw fromAdo(e);
    } catch (const ScriptError&) {
        throw;
    } catch (const std::exception& e) {
        throw ScriptError{static_cast<HRESULT>(0x80004005), source, fromUtf8(e.what())};
    }
}

// A statement that gives rows (SELECT, TRANSFORM) rather than a count of changed rows.
bool returnsRows(std::string_view sql);
// A source that is one name (bare or [bracketed]): a table, for ADO's adCmdUnknown.
bool namesOneTable(std::wstring_view source);
// What adCmdTable means: every row of the named table.
std::wstring tableQuery(std::wstring_view table);

// ADODB.Errors: the provider's errors of the connection's last failed operation.
class ErrorsObject : public Dispatch {
public:
    void set(std::vector<ScriptError> errors) { errors_ = std::move(errors); }

protected:
    const std::vector<Member>& members() const override;
    const wchar_t* errorSource() const override { return L"ADODB.Errors"; }
    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override;

private:
    std::vector<ScriptError> errors_;
};

// The core connection behind a page's ActiveConnection value (a host Connection object),
// or null. `object` receives the Connection object itself.
std::shared_ptr<ado::Connection> hostConnectionCore(const VARIANT& value, Ref<IDispatch>& object);
// What Recordset.Open takes from a Command given as its source.
struct CommandSource {
    std::wstring text;
    std::vector<ado::Value> values;
    Ref<IDispatch> connection;
};
// True when `value` is one of the host's Command objects; fills `out` from it.
bool commandSource(const VARIANT& value, CommandSource& out);

// A new Connection object opened with a connection string, and its core connection.
std::shared_ptr<ado::Connection> openConnectionString(const std::wstring& text, Ref<IDispatch>& object);
// Runs provider work on a host Connection object, recording Jet's errors in its Errors.
void recordProviderError(IDispatch* connection, const ScriptError& error);
// A Recordset object over rows opened on `connection`.
IDispatch* recordsetOver(std::unique_ptr<ado::Recordset> rows, Ref<IDispatch> connection,
                         std::shared_ptr<ado::Connection> core, std::wstring source);

}  // namespace tabulon::preview::host
