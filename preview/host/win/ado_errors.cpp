// ADODB.Errors and ADODB.Error: what the provider said about the last failed operation.
#include "ado_objects_shared.h"

namespace tabulon::preview::host {
namespace {

class ErrorObject : public Dispatch {
public:
    explicit ErrorObject(ScriptError error) : error_(std::move(error)) {}

protected:
    enum : DISPID { idNumber = 1, idSource, idSqlState, idNativeError, idHelpFile, idHelpContext };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Description", DISPID_VALUE},  {L"Number", idNumber},
                                                 {L"Source", idSource},           {L"SQLState", idSqlState},
                                                 {L"NativeError", idNativeError}, {L"HelpFile", idHelpFile},
                                                 {L"HelpContext", idHelpContext}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"ADODB.Error"; }
    bool call(DISPID id, WORD, const Args&, VARIANT* result) override {
        switch (id) {
        case DISPID_VALUE: setText(result, error_.description); return true;
        case idNumber: setLong(result, static_cast<long>(error_.code)); return true;
        case idSource: setText(result, error_.source); return true;
        case idSqlState: setText(result, L""); return true;
        case idNativeError: setLong(result, 0); return true;
        case idHelpFile: setText(result, L""); return true;
        case idHelpContext: setLong(result, 0); return true;
        default: return false;
        }
    }

private:
    ScriptError error_;
};

enum : DISPID { idCount = 1, idClear, idRefresh };

}  // namespace

const std::vector<Dispatch::Member>& ErrorsObject::members() const {
    static const std::vector<Member> list = {
        {L"Item", DISPID_VALUE}, {L"Count", idCount}, {L"Clear", idClear}, {L"Refresh", idRefresh}};
    return list;
}

bool ErrorsObject::call(DISPID id, WORD, const Args& args, VARIANT* result) {
    switch (id) {
    case idCount: setLong(result, static_cast<long>(errors_.size())); return true;
    case idClear: errors_.clear(); return true;
    case idRefresh: return true;
    case DISPID_NEWENUM: {
        std::vector<Variant> items(errors_.size());
        for (std::size_t i = 0; i < errors_.size(); ++i) {
            V_VT(items[i].get()) = VT_DISPATCH;
            V_DISPATCH(items[i].get()) = new ErrorObject(errors_[i]);
        }
        VariantClear(result);
        V_VT(result) = VT_UNKNOWN;
        V_UNKNOWN(result) = makeEnumerator(std::move(items));
        return true;
    }
    case DISPID_VALUE: {
        if (args.count() == 0) {
            setObject(result, this);
            return true;
        }
        const long index = longOf(args.at(0));
        if (index < 0 || index >= static_cast<long>(errors_.size()))
            throw ScriptError{adErrItemNotFound, L"ADODB.Errors",
                              L"Item cannot be found in the collection corresponding to the requested name or "
                              L"ordinal."};
        VariantClear(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = new ErrorObject(errors_[static_cast<std::size_t>(index)]);
        return true;
    }
    default: return false;
    }
}

}  // namespace tabulon::preview::host
