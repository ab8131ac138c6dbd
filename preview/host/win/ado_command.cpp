// ADODB.Command, Parameters and Parameter: a statement with `?` marks run with values that
// never become SQL text.
#include "ado_objects.h"
#include "ado_objects_shared.h"
#include "ado_values.h"

#include "../../ado/jet_values.h"

namespace tabulon::preview::host {
namespace {

// A private interface id by which the host recognises its own Parameter objects.
const IID IID_HostParameter = {0x3d2e1f4a, 0x5b6c, 0x4d7e, {0x8f, 0x90, 0xa1, 0xb2, 0xc3, 0xd4, 0xe5, 0xf6}};

class ParameterObject : public Dispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_HostParameter)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return Dispatch::QueryInterface(riid, out);
    }

    std::wstring name;
    long type = 12;      // adVariant
    long direction = 1;  // adParamInput
    long size = 0;
    Variant value;
    long precision = 0;
    long scale = 0;

    // The value as the parameter's type makes it, as ADO converts before the provider sees it.
    ado::Value coreValue() const {
        ado::Value v = fromVariant(*value.get());
        if (v.kind != ado::Value::Kind::Text) return v;
        const bool numeric = type == 2 || type == 3 || type == 4 || type == 5 || type == 6 || type == 14 ||
                             type == 16 || type == 17 || type == 18 || type == 19 || type == 20 || type == 21 ||
                             type == 131 || type == 139 || type == 11;
        const bool date = type == 7 || type == 133 || type == 135;
        if (numeric) {
            auto number = ado::parseNumberText(v.text);
            if (!number)
                throw ScriptError{adErrDataConversion, L"ADODB.Parameter",
                                  L"Application uses a value of the wrong type for the current operation."};
            ado::Value n;
            n.kind = ado::Value::Kind::Double;
            n.number = *number;
            return n;
        }
        if (date) {
            auto when = ado::parseDateText(v.text, false);
            if (!when)
                throw ScriptError{adErrDataConversion, L"ADODB.Parameter",
                                  L"Application uses a value of the wrong type for the current operation."};
            ado::Value d;
            d.kind = ado::Value::Kind::Date;
            d.number = *when;
            return d;
        }
        return v;
    }

protected:
    enum : DISPID { idName = 1, idType, idDirection, idSize, idPrecision, idNumericScale, idAttributes, idAppendChunk };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Value", DISPID_VALUE},
                                                 {L"Name", idName},
                                                 {L"Type", idType},
                                                 {L"Direction", idDirection},
                                                 {L"Size", idSize},
                                                 {L"Precision", idPrecision},
                                                 {L"NumericScale", idNumericScale},
                                                 {L"Attributes", idAttributes},
                                                 {L"AppendChunk", idAppendChunk}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"ADODB.Parameter"; }
    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override {
        const VARIANT* put = args.assigned();
        auto number = [&](long& field) {
            if (put)
                field = longOf(*put);
            else
                setLong(result, field);
        };
        switch (id) {
        case DISPID_VALUE:
            if (put) {
                Variant v = valueOf(*put);
                value = v;
            } else {
                VariantCopy(result, value.get());
            }
            return true;
        case idName:
            if (put)
                name = textOf(*put);
            else
                setText(result, name);
            return true;
        case idType: number(type); return true;
        case idDirection: number(direction); return true;
        case idSize: number(size); return true;
        case idPrecision: number(precision); return true;
        case idNumericScale: number(scale); return true;
        case idAttributes:
            if (!put) setLong(result, 0x40);  // adParamNullable
            return true;
        case idAppendChunk: {
            Variant more = valueOf(args.at(0));
            std::wstring text = textOf(*value.get()) + textOf(*more.get());
            VariantClear(value.get());
            setText(value.get(), text);
            return true;
        }
        default: return false;
        }
    }
};

class ParametersObject : public Dispatch {
public:
    std::vector<Ref<ParameterObject>> items;

    ParameterObject* find(const VARIANT& key) const {
        Variant k = valueOf(key);
        if (V_VT(k.get()) == VT_BSTR) {
            const std::wstring wanted = textOf(*k.get());
            for (const auto& item : items)
                if (equalNoCase(item->name, wanted)) return item.get();
        } else {
            const long index = longOf(*k.get());
            if (index >= 0 && index < static_cast<long>(items.size()))
                return items[static_cast<std::size_t>(index)].get();
        }
        throw ScriptError{adErrItemNotFound, L"ADODB.Parameters",
                          L"Item cannot be found in the collection corresponding to the requested name or ordinal."};
    }

protected:
    enum : DISPID { idCount = 1, idAppend, idDelete, idRefresh };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Item", DISPID_VALUE},
                                                 {L"Count", idCount},
                                                 {L"Append", idAppend},
                                                 {L"Delete", idDelete},
                                                 {L"Refresh", idRefresh}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"ADODB.Parameters"; }
    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        switch (id) {
        case idCount: setLong(result, static_cast<long>(items.size())); return true;
        case idRefresh: return true;
        case idAppend: {
            Variant v;
            VariantCopyInd(v.get(), const_cast<VARIANT*>(&args.at(0)));
            IDispatch* object = V_VT(v.get()) == VT_DISPATCH ? V_DISPATCH(v.get()) : nullptr;
            void* found = nullptr;
            if (object && FAILED(object->QueryInterface(IID_HostParameter, &found))) found = nullptr;
            auto* parameter =
                found ? static_cast<ParameterObject*>(static_cast<Dispatch*>(static_cast<IDispatch*>(found))) : nullptr;
            if (parameter) parameter->Release();  // the argument keeps it alive
            if (!parameter)
                throw ScriptError{adErrInvalidArgument, L"ADODB.Parameters",
                                  L"Arguments are of the wrong type, are out of acceptable range, or are in conflict "
                                  L"with one another."};
            parameter->AddRef();
            items.push_back(Ref<ParameterObject>(parameter));
            return true;
        }
        case idDelete: {
            ParameterObject* parameter = find(args.at(0));
            for (auto it = items.begin(); it != items.end(); ++it) {
                if (it->get() == parameter) {
                    items.erase(it);
                    break;
                }
            }
            return true;
        }
        case DISPID_NEWENUM: {
            std::vector<Variant> list(items.size());
            for (std::size_t i = 0; i < items.size(); ++i) setObject(list[i].get(), items[i].get());
            VariantClear(result);
            V_VT(result) = VT_UNKNOWN;
            V_UNKNOWN(result) = makeEnumerator(std::move(list));
            return true;
        }
        case DISPID_VALUE: {
            if (args.count() == 0) {
                setObject(result, this);
                return true;
            }
            ParameterObject* parameter = find(args.at(0));
            if (args.assigned()) {
                Variant v = valueOf(*args.assigned());
                parameter->value = v;
            } else {
                setObject(result, parameter);
            }
            return true;
        }
        default: (void)flags; return false;
        }
    }
};

const IID IID_HostCommand = {0x3d2e1f4b, 0x5b6c, 0x4d7e, {0x8f, 0x90, 0xa1, 0xb2, 0xc3, 0xd4, 0xe5, 0xf7}};

class CommandObject : public Dispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_HostCommand)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return Dispatch::QueryInterface(riid, out);
    }

    void describe(CommandSource& out) const {
        out.text = type_ != -1 && (type_ & (adCmdTable | adCmdTableDirect)) ? tableQuery(text_) : text_;
        out.values.clear();
        for (const auto& parameter : parameters_->items) out.values.push_back(parameter->coreValue());
        out.connection = connection_;
    }

protected:
    enum : DISPID {
        idActiveConnection = 1,
        idCommandText,
        idCommandType,
        idCommandTimeout,
        idPrepared,
        idParameters,
        idCreateParameter,
        idExecute,
        idName,
        idState
    };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Parameters", DISPID_VALUE},
                                                 {L"ActiveConnection", idActiveConnection},
                                                 {L"CommandText", idCommandText},
                                                 {L"CommandType", idCommandType},
                                                 {L"CommandTimeout", idCommandTimeout},
                                                 {L"Prepared", idPrepared},
                                                 {L"CreateParameter", idCreateParameter},
                                                 {L"Execute", idExecute},
                                                 {L"Name", idName},
                                                 {L"State", idState}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"ADODB.Command"; }

    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        const VARIANT* put = args.assigned();
        switch (id) {
        case DISPID_VALUE:
            if (args.count() == 0 && !put)
                setObject(result, parameters_.get());
            else
                forwardCall(parameters_.get(), DISPID_VALUE, flags, args, result);
            return true;
        case idActiveConnection:
            if (put) {
                Ref<IDispatch> object;
                core_ = hostConnectionCore(*put, object);
                connection_ = object;
                if (!core_) core_ = openConnectionString(textOf(*put), connection_);  // the command's own
            } else if (connection_) {
                setObject(result, connection_.get());
            } else {
                VariantClear(result);
            }
            return true;
        case idCommandText:
            if (put)
                text_ = textOf(*put);
            else
                setText(result, text_);
            return true;
        case idCommandType:
            if (put)
                type_ = longOf(*put);
            else
                setLong(result, type_);
            return true;
        case idCommandTimeout:
            if (!put) setLong(result, 30);
            return true;
        case idPrepared:
            if (put)
                prepared_ = boolOf(*put);
            else
                setBool(result, prepared_);
            return true;
        case idName:
            if (put)
                name_ = textOf(*put);
            else
                setText(result, name_);
            return true;
        case idState: setLong(result, 0); return true;
        case idParameters: setObject(result, parameters_.get()); return true;
        case idCreateParameter: {
            auto* parameter = new ParameterObject();
            if (args.has(0)) parameter->name = textOf(args.at(0));
            if (args.has(1)) parameter->type = longOf(args.at(1));
            if (args.has(2)) parameter->direction = longOf(args.at(2));
            if (args.has(3)) parameter->size = longOf(args.at(3));
            if (args.has(4)) parameter->value = valueOf(args.at(4));
            VariantClear(result);
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = parameter;
            return true;
        }
        case idExecute: execute(args, result); return true;
        default: return false;
        }
    }

private:
    void execute(const Args& args, VARIANT* result) {
        if (!core_ || !core_->isOpen())
            throw ScriptError{adErrInvalidConnection, L"ADODB.Command",
                              L"The connection cannot be used to perform this operation. It is either closed or "
                              L"invalid in this context."};
        std::vector<ado::Value> values;
        if (args.has(1)) {  // Execute(RecordsAffected, Parameters): values for this run only
            forEachItem(args.at(1), [&](const VARIANT& item) { values.push_back(fromVariant(item)); });
        } else {
            for (const auto& parameter : parameters_->items) values.push_back(parameter->coreValue());
        }
        const long options = args.has(2) ? longOf(args.at(2)) : type_;
        std::wstring text = text_;
        if (options != -1 && (options & (adCmdTable | adCmdTableDirect))) text = tableQuery(text);
        const std::string sql = toUtf8(text);
        try {
            if (returnsRows(sql)) {
                auto rows = guarded(L"ADODB.Command", [&] {
                    return core_->open(sql, ado::adOpenForwardOnly, ado::adLockReadOnly, values);
                });
                IDispatch* recordset = recordsetOver(std::move(rows), connection_, core_, text);
                VariantClear(result);
                V_VT(result) = VT_DISPATCH;
                V_DISPATCH(result) = recordset;
                return;
            }
            const long changed = guarded(L"ADODB.Command", [&] { return core_->execute(sql, values); });
            if (VARIANT* affected = args.reference(0)) setLong(affected, changed);
        } catch (const ScriptError& e) {
            recordProviderError(connection_.get(), e);
            throw;
        }
        // A statement without rows gives a closed Recordset.
        IDispatch* closed = makeRecordset();
        VariantClear(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = closed;
    }

    Ref<IDispatch> connection_;
    std::shared_ptr<ado::Connection> core_;
    Ref<ParametersObject> parameters_{new ParametersObject()};
    std::wstring text_;
    std::wstring name_;
    long type_ = -1;  // adCmdUnspecified
    bool prepared_ = false;
};

}  // namespace

bool commandSource(const VARIANT& value, CommandSource& out) {
    Variant v;
    VariantCopyInd(v.get(), const_cast<VARIANT*>(&value));
    if (V_VT(v.get()) != VT_DISPATCH || !V_DISPATCH(v.get())) return false;
    void* found = nullptr;
    if (FAILED(V_DISPATCH(v.get())->QueryInterface(IID_HostCommand, &found)) || !found) return false;
    auto* command = static_cast<CommandObject*>(static_cast<Dispatch*>(static_cast<IDispatch*>(found)));
    command->describe(out);
    command->Release();
    return true;
}

IDispatch* makeCommand() { return new CommandObject(); }

}  // namespace tabulon::preview::host
