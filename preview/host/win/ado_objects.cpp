#include "ado_objects.h"

#include "ado_objects_shared.h"
#include "ado_values.h"
#include "dispatch.h"
#include "text.h"

#include "../../ado/errors.h"

#include <cctype>
#include <cwctype>
#include <memory>

namespace tabulon::preview::host {
namespace {

std::string& workingCopy() {
    static std::string path;
    return path;
}

// A private interface id by which the host recognises its own Connection objects.
const IID IID_HostConnection = {0x6b1f2c3e, 0x4a5d, 0x4e7f, {0x9a, 0x10, 0x2b, 0x3c, 0x4d, 0x5e, 0x6f, 0x70}};

}  // namespace

ScriptError fromAdo(const ado::AdoError& e) { return {e.hresult(), fromUtf8(e.source()), fromUtf8(e.what())}; }

bool returnsRows(std::string_view sql) {
    std::size_t i = 0;
    while (i < sql.size() && (std::isspace(static_cast<unsigned char>(sql[i])) || sql[i] == '(')) ++i;
    std::string word;
    while (i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i])))
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(sql[i++])));
    return word == "select" || word == "transform";
}

bool namesOneTable(std::wstring_view source) {
    while (!source.empty() && iswspace(source.front())) source.remove_prefix(1);
    while (!source.empty() && iswspace(source.back())) source.remove_suffix(1);
    if (source.size() >= 2 && source.front() == L'[' && source.back() == L']')
        return source.find(L']') == source.size() - 1;
    if (source.empty()) return false;
    for (wchar_t c : source) {
        if (!(iswalnum(c) || c == L'_' || c >= 0x80)) return false;
    }
    return true;
}

std::wstring tableQuery(std::wstring_view table) {
    std::wstring name(table);
    if (name.size() >= 2 && name.front() == L'[' && name.back() == L']') name = name.substr(1, name.size() - 2);
    return L"SELECT * FROM [" + name + L"]";
}

namespace {

class ConnectionObject : public Dispatch {
public:
    ConnectionObject() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_HostConnection)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        return Dispatch::QueryInterface(riid, out);
    }

    std::shared_ptr<ado::Connection> core() const { return core_; }

    void open(const std::wstring& connectionString) {
        if (core_ && core_->isOpen())
            throw ScriptError{adErrObjectOpen, L"ADODB.Connection",
                              L"Operation is not allowed when the object is open."};
        std::string text = toUtf8(connectionString);
        if (ado::dataSourceOf(text).empty())
            throw ScriptError{static_cast<HRESULT>(0x80004005), L"Microsoft OLE DB Service Components",
                              L"The connection string is not in the form the OLE DB provider expects."};
        connectionString_ = connectionString;
        core_ = guarded(L"ADODB.Connection",
                        [] { return std::shared_ptr<ado::Connection>(ado::openWorkingCopy(workingCopy())); });
    }

    bool isOpen() const { return core_ && core_->isOpen(); }

    void recordError(const ScriptError& e) { errors_->set({e}); }

    // Runs provider work; a provider (Jet) error also goes into the Errors collection.
    template <class F>
    auto provider(F&& work) {
        try {
            return guarded(L"ADODB.Connection", std::forward<F>(work));
        } catch (const ScriptError& e) {
            if (e.source == L"Microsoft JET Database Engine") errors_->set({e});
            throw;
        }
    }

protected:
    enum : DISPID {
        idOpen = 1,
        idExecute,
        idClose,
        idState,
        idConnectionString,
        idCursorLocation,
        idBeginTrans,
        idCommitTrans,
        idRollbackTrans,
        idProvider,
        idMode,
        idConnectionTimeout,
        idCommandTimeout,
        idVersion,
        idErrors
    };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Open", idOpen},
                                                 {L"Execute", idExecute},
                                                 {L"Close", idClose},
                                                 {L"State", idState},
                                                 {L"ConnectionString", idConnectionString},
                                                 {L"CursorLocation", idCursorLocation},
                                                 {L"BeginTrans", idBeginTrans},
                                                 {L"CommitTrans", idCommitTrans},
                                                 {L"RollbackTrans", idRollbackTrans},
                                                 {L"Provider", idProvider},
                                                 {L"Mode", idMode},
                                                 {L"ConnectionTimeout", idConnectionTimeout},
                                                 {L"CommandTimeout", idCommandTimeout},
                                                 {L"Version", idVersion},
                                                 {L"Errors", idErrors}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"ADODB.Connection"; }

    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override;

private:
    std::shared_ptr<ado::Connection> core_;
    std::wstring connectionString_;
    long cursorLocation_ = 2;
    Ref<ErrorsObject> errors_{new ErrorsObject()};
};

class RecordsetObject;

class FieldObject : public Dispatch {
public:
    FieldObject(RecordsetObject* owner, int index);
    ~FieldObject() override;

protected:
    enum : DISPID {
        idName = 1,
        idType,
        idDefinedSize,
        idActualSize,
        idOriginalValue,
        idUnderlyingValue,
        idAttributes,
        idPrecision,
        idNumericScale,
        idValue
    };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Value", DISPID_VALUE},
                                                 {L"Name", idName},
                                                 {L"Type", idType},
                                                 {L"DefinedSize", idDefinedSize},
                                                 {L"ActualSize", idActualSize},
                                                 {L"OriginalValue", idOriginalValue},
                                                 {L"UnderlyingValue", idUnderlyingValue},
                                                 {L"Attributes", idAttributes},
                                                 {L"Precision", idPrecision},
                                                 {L"NumericScale", idNumericScale}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"ADODB.Field"; }
    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override;

private:
    RecordsetObject* owner_;
    int index_;
};

class FieldsObject : public Dispatch {
public:
    explicit FieldsObject(RecordsetObject* owner);
    ~FieldsObject() override;

protected:
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", DISPID_VALUE}, {L"Count", 1}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"ADODB.Fields"; }
    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override;

private:
    RecordsetObject* owner_;
};

class RecordsetObject : public Dispatch {
public:
    ado::Recordset& open() const {
        if (!core_ || !core_->isOpen())
            throw ScriptError{adErrObjectClosed, L"ADODB.Recordset",
                              L"Operation is not allowed when the object is closed."};
        return *core_;
    }

    // The field a page names by position or by name.
    int fieldIndex(const VARIANT& key) const {
        ado::Recordset& rs = open();
        Variant k = valueOf(key);
        int index = -1;
        if (V_VT(k.get()) == VT_BSTR) {
            index = rs.fieldIndex(toUtf8(textOf(*k.get())));
        } else {
            long n = longOf(*k.get());
            if (n >= 0 && n < static_cast<long>(rs.fields().size())) index = static_cast<int>(n);
        }
        if (index < 0)
            throw ScriptError{
                adErrItemNotFound, L"ADODB.Recordset",
                L"Item cannot be found in the collection corresponding to the requested name or ordinal."};
        return index;
    }

    Variant fieldValue(int index) const {
        return guarded(L"ADODB.Field", [&] { return toVariant(open().value(index)); });
    }

    void setFieldValue(int index, const VARIANT& value) {
        guarded(L"ADODB.Field", [&] {
            open().setValue(index, fromVariant(value));
            return 0;
        });
    }

    IDispatch* field(int index) { return new FieldObject(this, index); }

protected:
    enum : DISPID {
        idOpen = 1,
        idClose,
        idState,
        idEOF,
        idBOF,
        idMoveNext,
        idMovePrevious,
        idMoveFirst,
        idMoveLast,
        idMove,
        idRecordCount,
        idPageSize,
        idPageCount,
        idAbsolutePage,
        idAbsolutePosition,
        idAddNew,
        idUpdate,
        idCancelUpdate,
        idDelete,
        idFields,
        idSource,
        idCursorType,
        idLockType,
        idCursorLocation,
        idActiveConnection,
        idRequery,
        idSupports,
        idCacheSize,
        idMaxRecords,
        idGetRows,
        idEditMode,
        idFilter,
        idSort,
        idFind,
        idGetString,
        idBookmark
    };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", DISPID_VALUE},
                                                 {L"Open", idOpen},
                                                 {L"Close", idClose},
                                                 {L"State", idState},
                                                 {L"EOF", idEOF},
                                                 {L"BOF", idBOF},
                                                 {L"MoveNext", idMoveNext},
                                                 {L"MovePrevious", idMovePrevious},
                                                 {L"MoveFirst", idMoveFirst},
                                                 {L"MoveLast", idMoveLast},
                                                 {L"Move", idMove},
                                                 {L"RecordCount", idRecordCount},
                                                 {L"PageSize", idPageSize},
                                                 {L"PageCount", idPageCount},
                                                 {L"AbsolutePage", idAbsolutePage},
                                                 {L"AbsolutePosition", idAbsolutePosition},
                                                 {L"AddNew", idAddNew},
                                                 {L"Update", idUpdate},
                                                 {L"CancelUpdate", idCancelUpdate},
                                                 {L"Delete", idDelete},
                                                 {L"Fields", idFields},
                                                 {L"Source", idSource},
                                                 {L"CursorType", idCursorType},
                                                 {L"LockType", idLockType},
                                                 {L"CursorLocation", idCursorLocation},
                                                 {L"ActiveConnection", idActiveConnection},
                                                 {L"Requery", idRequery},
                                                 {L"Supports", idSupports},
                                                 {L"CacheSize", idCacheSize},
                                                 {L"MaxRecords", idMaxRecords},
                                                 {L"GetRows", idGetRows},
                                                 {L"EditMode", idEditMode},
                                                 {L"Filter", idFilter},
                                                 {L"Sort", idSort},
                                                 {L"Find", idFind},
                                                 {L"GetString", idGetString},
                                                 {L"Bookmark", idBookmark}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"ADODB.Recordset"; }
    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override;

public:
    void adopt(std::unique_ptr<ado::Recordset> core, Ref<IDispatch> connection,
               std::shared_ptr<ado::Connection> coreConnection, std::wstring source) {
        core_ = std::move(core);
        connection_ = std::move(connection);
        coreConnection_ = std::move(coreConnection);
        source_ = std::move(source);
        if (pageSize_ > 0 && core_) core_->setPageSize(pageSize_);
    }

private:
    void openWith(const Args& args);
    void requireCurrent() const {
        if (open().eof() || open().bof())
            throw ScriptError{adErrNoCurrentRecord, L"ADODB.Recordset",
                              L"Either BOF or EOF is True, or the current record has been deleted. Requested operation "
                              L"requires a current record."};
    }
    void setFieldsFromArrays(const VARIANT& names, const VARIANT& values);

    std::unique_ptr<ado::Recordset> core_;
    std::shared_ptr<ado::Connection> coreConnection_;  // keeps the core connection alive while rows are read
    Ref<IDispatch> connection_;
    std::wstring source_;
    std::wstring connectionString_;
    long cursorType_ = ado::adOpenForwardOnly;
    long lockType_ = ado::adLockReadOnly;
    long cursorLocation_ = 2;  // adUseServer
    long pageSize_ = 0;
    long cacheSize_ = 1;
    long maxRecords_ = 0;
    Variant filter_;  // as the page set it: criteria text, or 0 (adFilterNone)
    std::wstring sort_;

    void getRows(const Args& args, VARIANT* result);
    void getString(const Args& args, VARIANT* result);
    void find(const Args& args);
};

ConnectionObject* hostConnection(const VARIANT& v) {
    Variant value;
    VariantCopyInd(value.get(), const_cast<VARIANT*>(&v));
    if (V_VT(value.get()) != VT_DISPATCH || !V_DISPATCH(value.get())) return nullptr;
    void* out = nullptr;
    if (FAILED(V_DISPATCH(value.get())->QueryInterface(IID_HostConnection, &out))) return nullptr;
    auto* connection = static_cast<ConnectionObject*>(static_cast<Dispatch*>(static_cast<IDispatch*>(out)));
    connection->Release();  // the caller's variant keeps it alive
    return connection;
}

bool ConnectionObject::call(DISPID id, WORD, const Args& args, VARIANT* result) {
    switch (id) {
    case idOpen: open(args.has(0) ? textOf(args.at(0)) : connectionString_); return true;
    case idExecute: {
        if (!isOpen())
            throw ScriptError{adErrObjectClosed, L"ADODB.Connection",
                              L"Operation is not allowed when the object is closed."};
        std::wstring text = textOf(args.at(0));
        const long options = args.has(2) ? longOf(args.at(2)) : -1;
        const bool unknownType = options == -1 || (options & 0xFF) == 8;
        if ((options != -1 && (options & (adCmdTable | adCmdTableDirect))) || (unknownType && namesOneTable(text)))
            text = tableQuery(text);
        std::string sql = toUtf8(text);
        auto* recordset = static_cast<RecordsetObject*>(static_cast<Dispatch*>(makeRecordset()));
        Ref<IDispatch> keep(recordset);
        if (returnsRows(sql)) {
            auto rows = provider([&] { return core_->open(sql, ado::adOpenForwardOnly, ado::adLockReadOnly); });
            AddRef();
            recordset->adopt(std::move(rows), Ref<IDispatch>(this), core_, fromUtf8(sql));
        } else {
            long changed = provider([&] { return core_->execute(sql); });
            if (VARIANT* affected = args.reference(1)) setLong(affected, changed);  // RecordsAffected
        }
        setObject(result, recordset);
        return true;
    }
    case idClose:
        if (!isOpen())
            throw ScriptError{adErrObjectClosed, L"ADODB.Connection",
                              L"Operation is not allowed when the object is closed."};
        core_->close();
        core_.reset();
        return true;
    case idState: setLong(result, isOpen() ? 1 : 0); return true;
    case idConnectionString:
        if (args.assigned())
            connectionString_ = textOf(*args.assigned());
        else
            setText(result, connectionString_);
        return true;
    case idCursorLocation:
        if (args.assigned())
            cursorLocation_ = longOf(*args.assigned());
        else
            setLong(result, cursorLocation_);
        return true;
    case idBeginTrans:
    case idCommitTrans:
    case idRollbackTrans:
        if (!isOpen())
            throw ScriptError{adErrObjectClosed, L"ADODB.Connection",
                              L"Operation is not allowed when the object is closed."};
        provider([&] {
            if (id == idBeginTrans)
                setLong(result, core_->beginTrans());
            else if (id == idCommitTrans)
                core_->commitTrans();
            else
                core_->rollbackTrans();
            return 0;
        });
        return true;
    case idErrors:
        if (args.count() > 0)
            forwardCall(errors_.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, args, result);  // conn.Errors(0)
        else
            setObject(result, errors_.get());
        return true;
    case idProvider: setText(result, L"Microsoft.Jet.OLEDB.4.0"); return true;
    case idMode:
    case idConnectionTimeout:
    case idCommandTimeout:
        if (!args.assigned()) setLong(result, id == idMode ? 0 : 30);
        return true;
    case idVersion: setText(result, L"2.8"); return true;
    default: return false;
    }
}

FieldObject::FieldObject(RecordsetObject* owner, int index) : owner_(owner), index_(index) { owner_->AddRef(); }
FieldObject::~FieldObject() { owner_->Release(); }

bool FieldObject::call(DISPID id, WORD, const Args& args, VARIANT* result) {
    const ado::FieldInfo& info = owner_->open().fields().at(static_cast<std::size_t>(index_));
    switch (id) {
    case DISPID_VALUE:
    case idOriginalValue:
    case idUnderlyingValue:
        if (args.assigned()) {
            owner_->setFieldValue(index_, *args.assigned());
        } else {
            Variant v = owner_->fieldValue(index_);
            VariantCopy(result, v.get());
        }
        return true;
    case idName: setText(result, fromUtf8(info.name)); return true;
    case idType: setLong(result, adoTypeOf(info.type)); return true;
    case idDefinedSize: setLong(result, info.definedSize); return true;
    case idActualSize: {
        Variant v = owner_->fieldValue(index_);
        if (V_VT(v.get()) == VT_NULL)
            setLong(result, 0);
        else if (V_VT(v.get()) == VT_BSTR)
            setLong(result, static_cast<long>(SysStringLen(V_BSTR(v.get())) * 2));
        else
            setLong(result, info.definedSize);
        return true;
    }
    case idAttributes: setLong(result, (info.nullable ? 0x20 : 0) | 0x4 | 0x10); return true;
    case idPrecision:
    case idNumericScale: setLong(result, 0); return true;
    default: return false;
    }
}

FieldsObject::FieldsObject(RecordsetObject* owner) : owner_(owner) { owner_->AddRef(); }
FieldsObject::~FieldsObject() { owner_->Release(); }

bool FieldsObject::call(DISPID id, WORD flags, const Args& args, VARIANT* result) {
    (void)flags;
    if (id == 1) {
        setLong(result, static_cast<long>(owner_->open().fields().size()));
        return true;
    }
    if (id == DISPID_NEWENUM) {
        std::vector<Variant> items(owner_->open().fields().size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            V_VT(items[i].get()) = VT_DISPATCH;
            V_DISPATCH(items[i].get()) = owner_->field(static_cast<int>(i));
        }
        VariantClear(result);
        V_VT(result) = VT_UNKNOWN;
        V_UNKNOWN(result) = makeEnumerator(std::move(items));
        return true;
    }
    if (id != DISPID_VALUE) return false;
    if (args.count() == 0) {
        setObject(result, this);
        return true;
    }
    int index = owner_->fieldIndex(args.at(0));
    if (args.assigned()) {
        owner_->setFieldValue(index, *args.assigned());
        return true;
    }
    VariantClear(result);
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = owner_->field(index);
    return true;
}

void RecordsetObject::openWith(const Args& args) {
    if (core_ && core_->isOpen())
        throw ScriptError{adErrObjectOpen, L"ADODB.Recordset", L"Operation is not allowed when the object is open."};
    CommandSource command;
    const bool fromCommand = args.has(0) && commandSource(args.at(0), command);
    if (fromCommand) {
        source_ = command.text;
        if (!args.has(1) && command.connection) connection_ = command.connection;
    } else if (args.has(0)) {
        source_ = textOf(args.at(0));
    }
    if (args.has(1)) {
        if (ConnectionObject* c = hostConnection(args.at(1))) {
            c->AddRef();
            connection_ = Ref<IDispatch>(c);
        } else {
            connectionString_ = textOf(args.at(1));
            connection_ = Ref<IDispatch>();
        }
    }
    if (args.has(2)) cursorType_ = longOf(args.at(2));
    if (args.has(3)) lockType_ = longOf(args.at(3));
    const long options = args.has(4) ? longOf(args.at(4)) : -1;
    // A bare name is a table when the page says so, or says nothing (ADO then tries it as one).
    const bool unknownType = options == -1 || (options & 0xFF) == 8;  // adCmdUnspecified, adCmdUnknown
    if ((options != -1 && (options & (adCmdTable | adCmdTableDirect))) ||
        (unknownType && !fromCommand && namesOneTable(source_)))
        source_ = tableQuery(source_);
    if (cursorType_ < 0) cursorType_ = ado::adOpenForwardOnly;
    if (lockType_ < 0) lockType_ = ado::adLockReadOnly;
    if (cursorLocation_ == 3 && cursorType_ != ado::adOpenStatic)
        cursorType_ = ado::adOpenStatic;  // client cursors are static

    std::shared_ptr<ado::Connection> core;
    if (connection_) {
        auto* c = static_cast<ConnectionObject*>(static_cast<Dispatch*>(connection_.get()));
        if (!c->isOpen())
            throw ScriptError{adErrObjectClosed, L"ADODB.Recordset",
                              L"Operation is not allowed when the object is closed."};
        core = c->core();
    } else if (!connectionString_.empty()) {
        auto* c = static_cast<ConnectionObject*>(static_cast<Dispatch*>(makeConnection()));
        connection_ = Ref<IDispatch>(c);
        c->open(connectionString_);
        core = c->core();
    } else {
        throw ScriptError{adErrInvalidConnection, L"ADODB.Recordset",
                          L"The connection cannot be used to perform this operation. It is either closed or invalid in "
                          L"this context."};
    }
    std::string sql = toUtf8(source_);
    auto rows = [&] {
        try {
            return guarded(L"ADODB.Recordset", [&] {
                return core->open(sql, static_cast<int>(cursorType_), static_cast<int>(lockType_),
                                  fromCommand ? command.values : std::vector<ado::Value>{}, maxRecords_);
            });
        } catch (const ScriptError& e) {
            recordProviderError(connection_.get(), e);
            throw;
        }
    }();
    adopt(std::move(rows), connection_, core, source_);
    filter_ = Variant();
    sort_.clear();
}

void RecordsetObject::getRows(const Args& args, VARIANT* result) {
    ado::Recordset& rs = open();
    std::vector<std::vector<Variant>> rows;
    const long wanted = args.has(0) ? longOf(args.at(0)) : -1;
    std::vector<int> fields;  // GetRows(rows, start, fields): one field or an array of them
    if (args.has(2)) {
        forEachItem(args.at(2), [&](const VARIANT& item) { fields.push_back(fieldIndex(item)); });
    } else {
        for (std::size_t f = 0; f < rs.fields().size(); ++f) fields.push_back(static_cast<int>(f));
    }
    guarded(L"ADODB.Recordset", [&] {
        if (args.has(1)) {  // Start: adBookmarkCurrent, adBookmarkFirst, adBookmarkLast or a bookmark
            const VARIANT& start = args.at(1);
            const double mark = doubleOf(start);
            if (V_VT(&start) == VT_I4 && mark == 1)
                rs.moveFirst();
            else if (V_VT(&start) == VT_I4 && mark == 2)
                rs.moveLast();
            else if (mark != 0)
                rs.setBookmark(mark);
        }
        if (rs.eof()) throw ado::errors::noCurrentRecord();
        while (!rs.eof() && (wanted < 0 || static_cast<long>(rows.size()) < wanted)) {
            std::vector<Variant> row;
            for (int f : fields) row.push_back(toVariant(rs.value(f)));
            rows.push_back(std::move(row));
            rs.moveNext();
        }
        return 0;
    });
    // The first index is the field, the second the row: a(field, row).
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(fields.size()), 0}, {static_cast<ULONG>(rows.size()), 0}};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t f = 0; f < rows[r].size(); ++f) {
            LONG index[2] = {static_cast<LONG>(f), static_cast<LONG>(r)};
            SafeArrayPutElement(array, index, rows[r][f].get());
        }
    VariantClear(result);
    V_VT(result) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(result) = array;
}

void RecordsetObject::getString(const Args& args, VARIANT* result) {
    ado::Recordset& rs = open();
    const long format = args.has(0) ? longOf(args.at(0)) : 2;  // adClipString
    if (format != 2)
        throw ScriptError{adErrInvalidArgument, L"ADODB.Recordset",
                          L"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one "
                          L"another."};
    const long wanted = args.has(1) ? longOf(args.at(1)) : -1;
    const std::wstring columnDelimiter = args.has(2) ? textOf(args.at(2)) : L"\t";
    const std::wstring rowDelimiter = args.has(3) ? textOf(args.at(3)) : L"\r";
    const std::wstring nullText = args.has(4) ? textOf(args.at(4)) : L"";
    std::wstring out;
    guarded(L"ADODB.Recordset", [&] {
        if (rs.eof()) throw ado::errors::noCurrentRecord();
        for (long n = 0; !rs.eof() && (wanted < 0 || n < wanted); ++n) {
            for (std::size_t f = 0; f < rs.fields().size(); ++f) {
                Variant v = toVariant(rs.value(static_cast<int>(f)));
                if (V_VT(v.get()) == VT_NULL) {
                    out += nullText;
                } else {
                    Variant text;
                    if (SUCCEEDED(VariantChangeTypeEx(text.get(), v.get(), hostLcid, 0, VT_BSTR)))
                        out += std::wstring(V_BSTR(text.get()), SysStringLen(V_BSTR(text.get())));
                }
                out += f + 1 < rs.fields().size() ? columnDelimiter : rowDelimiter;
            }
            rs.moveNext();
        }
        return 0;
    });
    setText(result, out);
}

void RecordsetObject::find(const Args& args) {
    ado::Recordset& rs = open();
    const std::string criterion = toUtf8(textOf(args.at(0)));
    const long skip = args.has(1) ? longOf(args.at(1)) : 0;
    const bool backward = args.has(2) && longOf(args.at(2)) == -1;  // adSearchBackward
    guarded(L"ADODB.Recordset", [&] {
        if (args.has(3)) {
            const VARIANT& start = args.at(3);
            const double mark = doubleOf(start);
            if (V_VT(&start) == VT_I4 && mark == 1)
                rs.moveFirst();  // adBookmarkFirst
            else if (V_VT(&start) == VT_I4 && mark == 2)
                rs.moveLast();  // adBookmarkLast
            else if (mark != 0)
                rs.setBookmark(mark);
        }
        if (rs.eof() && !backward) throw ado::errors::noCurrentRecord();
        rs.find(criterion, skip, backward);
        return 0;
    });
}

void RecordsetObject::setFieldsFromArrays(const VARIANT& names, const VARIANT& values) {
    Variant n = valueOf(names), v = valueOf(values);
    if (V_VT(n.get()) & VT_ARRAY) {
        SAFEARRAY* na = V_ARRAY(n.get());
        SAFEARRAY* va = (V_VT(v.get()) & VT_ARRAY) ? V_ARRAY(v.get()) : nullptr;
        LONG lo = 0, hi = -1;
        SafeArrayGetLBound(na, 1, &lo);
        SafeArrayGetUBound(na, 1, &hi);
        for (LONG i = lo; i <= hi; ++i) {
            Variant name, value;
            SafeArrayGetElement(na, &i, name.get());
            if (!va)
                throw ScriptError{adErrInvalidArgument, L"ADODB.Recordset",
                                  L"Arguments are of the wrong type, are out of acceptable range, or are in conflict "
                                  L"with one another."};
            SafeArrayGetElement(va, &i, value.get());
            setFieldValue(fieldIndex(*name.get()), *value.get());
        }
    } else {
        setFieldValue(fieldIndex(*n.get()), *v.get());
    }
}

bool RecordsetObject::call(DISPID id, WORD flags, const Args& args, VARIANT* result) {
    const VARIANT* put = args.assigned();
    switch (id) {
    case DISPID_VALUE:
        if (args.count() == 0) {
            auto* fields = new FieldsObject(this);
            VariantClear(result);
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = fields;
            return true;
        }
        if (put) {
            setFieldValue(fieldIndex(args.at(0)), *put);
        } else {
            int index = fieldIndex(args.at(0));
            VariantClear(result);
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = field(index);
        }
        return true;
    case idFields:
        if (args.count() == 0 && !put) {
            VariantClear(result);
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = new FieldsObject(this);
        } else {
            Ref<IDispatch> fields(new FieldsObject(this));
            forwardCall(fields.get(), DISPID_VALUE, flags, args, result);
        }
        return true;
    case idOpen: openWith(args); return true;
    case idClose:
        open().close();
        core_.reset();
        return true;
    case idState: setLong(result, core_ && core_->isOpen() ? 1 : 0); return true;
    case idEOF: setBool(result, open().eof()); return true;
    case idBOF: setBool(result, open().bof()); return true;
    case idMoveNext:
        // After Delete the deleted row stays current until the move, even when it was the
        // last one left; the recordset itself refuses a move from EOF.
        guarded(L"ADODB.Recordset", [&] {
            open().moveNext();
            return 0;
        });
        return true;
    case idMovePrevious:
        guarded(L"ADODB.Recordset", [&] {
            open().movePrevious();
            return 0;
        });
        return true;
    case idMoveFirst:
        guarded(L"ADODB.Recordset", [&] {
            open().moveFirst();
            return 0;
        });
        return true;
    case idMoveLast:
        guarded(L"ADODB.Recordset", [&] {
            open().moveLast();
            return 0;
        });
        return true;
    case idMove: {
        long n = longOf(args.at(0));
        guarded(L"ADODB.Recordset", [&] {
            for (; n > 0 && !open().eof(); --n) open().moveNext();
            for (; n < 0 && !open().bof(); ++n) open().movePrevious();
            return 0;
        });
        return true;
    }
    case idRecordCount: setLong(result, guarded(L"ADODB.Recordset", [&] { return open().recordCount(); })); return true;
    case idPageSize:
        if (put) {
            long size = longOf(*put);
            if (size < 1)
                throw ScriptError{adErrInvalidArgument, L"ADODB.Recordset",
                                  L"Arguments are of the wrong type, are out of acceptable range, or are in conflict "
                                  L"with one another."};
            pageSize_ = size;
            if (core_ && core_->isOpen())
                guarded(L"ADODB.Recordset", [&] {
                    core_->setPageSize(size);
                    return 0;
                });
        } else {
            setLong(result, core_ && core_->isOpen() ? core_->pageSize() : (pageSize_ ? pageSize_ : 10));
        }
        return true;
    case idPageCount: setLong(result, guarded(L"ADODB.Recordset", [&] { return open().pageCount(); })); return true;
    case idAbsolutePage:
        if (put)
            guarded(L"ADODB.Recordset", [&] {
                open().setAbsolutePage(longOf(*put));
                return 0;
            });
        else
            setLong(result, guarded(L"ADODB.Recordset", [&] { return open().absolutePage(); }));
        return true;
    case idAbsolutePosition:
        if (put)
            guarded(L"ADODB.Recordset", [&] {
                open().setAbsolutePosition(longOf(*put));
                return 0;
            });
        else
            setLong(result, guarded(L"ADODB.Recordset", [&] { return open().absolutePosition(); }));
        return true;
    case idAddNew:
        guarded(L"ADODB.Recordset", [&] {
            open().addNew();
            return 0;
        });
        if (args.has(0)) setFieldsFromArrays(args.at(0), args.has(1) ? args.at(1) : args.at(0));
        return true;
    case idUpdate:
        if (args.has(0)) setFieldsFromArrays(args.at(0), args.has(1) ? args.at(1) : args.at(0));
        guarded(L"ADODB.Recordset", [&] {
            open().update();
            return 0;
        });
        return true;
    case idCancelUpdate:
        guarded(L"ADODB.Recordset", [&] {
            open().cancelUpdate();
            return 0;
        });
        return true;
    case idDelete:
        guarded(L"ADODB.Recordset", [&] {
            requireCurrent();
            open().deleteCurrent();
            return 0;
        });
        return true;
    case idSource:
        if (put)
            source_ = textOf(*put);
        else
            setText(result, source_);
        return true;
    case idCursorType:
        if (put)
            cursorType_ = longOf(*put);
        else
            setLong(result, cursorType_);
        return true;
    case idLockType:
        if (put)
            lockType_ = longOf(*put);
        else
            setLong(result, lockType_);
        return true;
    case idCursorLocation:
        if (put)
            cursorLocation_ = longOf(*put);
        else
            setLong(result, cursorLocation_);
        return true;
    case idCacheSize:
        if (put)
            cacheSize_ = longOf(*put);
        else
            setLong(result, cacheSize_);
        return true;
    case idMaxRecords:
        if (put)
            maxRecords_ = longOf(*put);
        else
            setLong(result, maxRecords_);
        return true;
    case idEditMode: setLong(result, 0); return true;
    case idActiveConnection:
        if (put) {
            if (ConnectionObject* c = hostConnection(*put)) {
                c->AddRef();
                connection_ = Ref<IDispatch>(c);
            } else {
                connectionString_ = textOf(*put);
                connection_ = Ref<IDispatch>();
            }
        } else if (connection_) {
            setObject(result, connection_.get());
        } else {
            VariantClear(result);
        }
        return true;
    case idRequery: {
        if (!core_)
            throw ScriptError{adErrObjectClosed, L"ADODB.Recordset",
                              L"Operation is not allowed when the object is closed."};
        core_->close();
        core_.reset();
        std::string sql = toUtf8(source_);
        auto rows = guarded(L"ADODB.Recordset", [&] {
            return coreConnection_->open(sql, static_cast<int>(cursorType_), static_cast<int>(lockType_), {},
                                         maxRecords_);
        });
        adopt(std::move(rows), connection_, coreConnection_, source_);
        return true;
    }
    case idSupports: {
        // CursorOptionEnum: what needs a scrollable cursor, and what needs a lock that writes.
        const long wanted = args.has(0) ? longOf(args.at(0)) : 0;
        const long scrolling = 0x2000 | 0x200 | 0x4000 | 0x100 | 0x20000 | 0x100000 | 0x200000;
        const long writing = 0x1000400 | 0x1008000 | 0x1000800 | 0x10000;
        bool supported = true;
        if ((wanted & scrolling) && cursorType_ == ado::adOpenForwardOnly) supported = false;
        if ((wanted & writing) && lockType_ == ado::adLockReadOnly) supported = false;
        setBool(result, supported);
        return true;
    }
    case idGetRows: getRows(args, result); return true;
    case idGetString: getString(args, result); return true;
    case idFind: find(args); return true;
    case idFilter:
        if (put) {
            Variant value = valueOf(*put);
            const bool none = V_VT(value.get()) != VT_BSTR;  // adFilterNone and the other constants
            guarded(L"ADODB.Recordset", [&] {
                open().setFilter(none ? std::string() : toUtf8(textOf(*value.get())));
                return 0;
            });
            filter_ = none ? Variant() : value;
        } else if (V_VT(filter_.get()) == VT_BSTR) {
            VariantCopy(result, filter_.get());
        } else {
            setLong(result, 0);
        }
        return true;
    case idSort:
        if (put) {
            sort_ = textOf(*put);
            guarded(L"ADODB.Recordset", [&] {
                open().setSort(toUtf8(sort_));
                return 0;
            });
        } else {
            setText(result, sort_);
        }
        return true;
    case idBookmark:
        if (put) {
            guarded(L"ADODB.Recordset", [&] {
                open().setBookmark(doubleOf(*put));
                return 0;
            });
        } else {
            const double mark = guarded(L"ADODB.Recordset", [&] { return open().bookmark(); });
            VariantClear(result);
            V_VT(result) = VT_R8;
            V_R8(result) = mark;
        }
        return true;
    default: return false;
    }
}

}  // namespace

void setWorkingCopy(std::string path) { workingCopy() = std::move(path); }

std::shared_ptr<ado::Connection> hostConnectionCore(const VARIANT& value, Ref<IDispatch>& object) {
    ConnectionObject* connection = hostConnection(value);
    if (!connection) return nullptr;
    connection->AddRef();
    object = Ref<IDispatch>(connection);
    if (!connection->isOpen())
        throw ScriptError{adErrObjectClosed, L"ADODB.Connection",
                          L"Operation is not allowed when the object is closed."};
    return connection->core();
}

std::shared_ptr<ado::Connection> openConnectionString(const std::wstring& text, Ref<IDispatch>& object) {
    auto* connection = new ConnectionObject();
    object = Ref<IDispatch>(connection);
    connection->open(text);
    return connection->core();
}

void recordProviderError(IDispatch* connection, const ScriptError& error) {
    if (!connection || error.source != L"Microsoft JET Database Engine") return;
    static_cast<ConnectionObject*>(static_cast<Dispatch*>(connection))->recordError(error);
}

IDispatch* recordsetOver(std::unique_ptr<ado::Recordset> rows, Ref<IDispatch> connection,
                         std::shared_ptr<ado::Connection> core, std::wstring source) {
    auto* recordset = new RecordsetObject();
    recordset->adopt(std::move(rows), std::move(connection), std::move(core), std::move(source));
    return recordset;
}

IDispatch* makeConnection() { return new ConnectionObject(); }
IDispatch* makeRecordset() { return new RecordsetObject(); }

}  // namespace tabulon::preview::host
