#include "host_functions.h"

#include "asp_objects.h"
#include "text.h"
#include "value_functions.h"
#include "../core/builtin_rewriter.h"
#include "../core/comparison_rewriter.h"
#include "../core/compile_diagnosis.h"
#include "../core/construct_rewriter.h"
#include "../core/vb_dates.h"
#include "../core/vb_escape.h"
#include "error_texts.h"

#include <cmath>
#include <memory>

namespace tabulon::preview::host {
namespace {

ScriptError invalidCall() { return vbError(5, L"Invalid procedure call or argument"); }

std::vector<Variant> arrayItems(const VARIANT& v) {
    Variant value = valueOf(v);
    if (!(V_VT(value.get()) & VT_ARRAY)) throw vbError(13, L"Type mismatch");
    SAFEARRAY* a = V_ARRAY(value.get());
    LONG lo = 0, hi = -1;
    SafeArrayGetLBound(a, 1, &lo);
    SafeArrayGetUBound(a, 1, &hi);
    std::vector<Variant> out;
    VARTYPE type = VT_VARIANT;
    SafeArrayGetVartype(a, &type);
    for (LONG i = lo; i <= hi; ++i) {
        Variant item;
        if (type == VT_VARIANT) {
            SafeArrayGetElement(a, &i, item.get());
        } else if (type == VT_BSTR) {
            BSTR s = nullptr;
            SafeArrayGetElement(a, &i, &s);
            V_VT(item.get()) = VT_BSTR;
            V_BSTR(item.get()) = s;
        } else {
            throw vbError(13, L"Type mismatch");
        }
        out.push_back(item);
    }
    return out;
}

void setStringArray(VARIANT* out, const std::vector<std::wstring>& items) {
    SAFEARRAYBOUND bound = {static_cast<ULONG>(items.size()), 0};
    SAFEARRAY* a = SafeArrayCreate(VT_VARIANT, 1, &bound);
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
        Variant s;
        setText(s.get(), items[static_cast<std::size_t>(i)]);
        SafeArrayPutElement(a, &i, s.get());
    }
    VariantClear(out);
    V_VT(out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out) = a;
}

bool textCompare(const Args& args, std::size_t i) { return args.has(i) && longOf(args.at(i)) == 1; }

std::wstring::size_type findText(const std::wstring& in, const std::wstring& what, std::size_t from, bool noCase) {
    if (!noCase) return in.find(what, from);
    return lowerCase(in).find(lowerCase(what), from);
}

double dateOf(const VARIANT& v) {
    Variant value = valueOf(v);
    if (V_VT(value.get()) == VT_NULL) throw vbError(94, L"Invalid use of Null");
    Variant date;
    if (FAILED(VariantChangeTypeEx(date.get(), value.get(), hostLcid, 0, VT_DATE))) throw vbError(13, L"Type mismatch");
    return V_DATE(date.get());
}

void setDate(VARIANT* out, double date) {
    VariantClear(out);
    V_VT(out) = VT_DATE;
    V_DATE(out) = date;
}

std::wstring trimSpaces(const std::wstring& s, bool left, bool right) {
    std::size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == L' ') ++b;
    if (right)
        while (e > b && s[e - 1] == L' ') --e;
    return s.substr(b, e - b);
}

std::wstring fromUtf16(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string toUtf16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

bool isNumericValue(const VARIANT& v) {
    Variant value = valueOf(v);
    switch (V_VT(value.get())) {
    case VT_EMPTY:
    case VT_BOOL:
    case VT_UI1:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL:
    case VT_I1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_INT:
    case VT_UINT: return true;
    case VT_BSTR: {
        Variant number;
        return SUCCEEDED(VariantChangeTypeEx(number.get(), value.get(), hostLcid, 0, VT_R8));
    }
    default: return false;
    }
}

bool isDateValue(const VARIANT& v) {
    Variant value = valueOf(v);
    if (V_VT(value.get()) == VT_DATE) return true;
    if (V_VT(value.get()) != VT_BSTR) return false;
    std::wstring text = textOf(*value.get());
    if (trimSpaces(text, true, true).empty()) return false;
    DATE date;
    return SUCCEEDED(VarDateFromStr(text.data(), hostLcid, 0, &date)) ||
           SUCCEEDED(VarDateFromStr(text.data(), MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT),
                                    0, &date));
}

// Banker's rounding at `digits` places, keeping the value's type as VBScript does.
void roundValue(const VARIANT& v, long digits, VARIANT* out) {
    Variant value = valueOf(v);
    VARTYPE type = V_VT(value.get());
    if (type == VT_NULL) return setNull(out);
    if (type == VT_EMPTY) return setLong(out, 0), void(V_VT(out) = VT_I2);
    if (type == VT_I2 || type == VT_I4 || type == VT_UI1 || type == VT_BOOL) {
        VariantCopy(out, value.get());
        return;
    }
    if (digits < 0) throw invalidCall();
    double x = doubleOf(*value.get());
    double scale = std::pow(10.0, static_cast<double>(digits));
    double scaled = x * scale;
    // the product of a decimal and a power of ten lands a hair off; read it at 1e-9 relative
    double nearest = std::nearbyint(scaled);
    double frac = scaled - std::floor(scaled);
    double rounded;
    if (std::fabs(frac - 0.5) < 1e-9 * std::max(1.0, std::fabs(scaled))) {
        double lower = std::floor(scaled);
        rounded = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    } else {
        rounded = nearest;
    }
    double result = rounded / scale;
    VariantClear(out);
    if (type == VT_R4) {
        V_VT(out) = VT_R4;
        V_R4(out) = static_cast<float>(result);
    } else if (type == VT_CY || type == VT_DECIMAL) {
        Variant r;
        V_VT(r.get()) = VT_R8;
        V_R8(r.get()) = result;
        VariantChangeType(out, r.get(), 0, type);
    } else {
        V_VT(out) = VT_R8;
        V_R8(out) = result;
    }
}

// A procedure of the page as an object: GetRef's result.
class ProcedureReference : public Dispatch {
public:
    ProcedureReference(IDispatch* scriptDispatch, DISPID id) : target_(scriptDispatch), id_(id) { target_->AddRef(); }
    ~ProcedureReference() override { target_->Release(); }

protected:
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list;
        return list;
    }
    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override {
        if (id != DISPID_VALUE) return false;
        forwardCall(target_, id_, DISPATCH_METHOD, args, result);
        return true;
    }

private:
    IDispatch* target_;
    DISPID id_;
};

class HostFunctions : public Dispatch {
public:
    HostFunctions(std::shared_ptr<PageContext> context, std::shared_ptr<ScriptAccess> access)
        : context_(std::move(context)), access_(std::move(access)) {}

protected:
    enum : DISPID {
        idJoin = 1,
        idFilter,
        idSplit,
        idIsDate,
        idDateDiff,
        idDateAdd,
        idRound,
        idTrim,
        idLTrim,
        idRTrim,
        idChrW,
        idAscW,
        idEscape,
        idUnescape,
        idEval,
        idExecute,
        idExecuteGlobal,
        idGetRef,
        idSetLocale,
        idGetLocale,
        idIsNull,
        idIsEmpty,
        idIsNumeric,
        idCreateObject,
        idItem,
        idPutItem,
        idErrNumber,
        idErrDescription,
        idTypeName,
        idDatePart,
        idDateValue,
        idTimeValue,
        idString,
        idLenB,
        idMid,
        idErased,
        idExecuteLocal,
        idEvalLocal,
        idLocal,
        idCompare
    };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Join", idJoin},
                                                 {L"Filter", idFilter},
                                                 {L"Split", idSplit},
                                                 {L"IsDate", idIsDate},
                                                 {L"DateDiff", idDateDiff},
                                                 {L"DateAdd", idDateAdd},
                                                 {L"Round", idRound},
                                                 {L"Trim", idTrim},
                                                 {L"LTrim", idLTrim},
                                                 {L"RTrim", idRTrim},
                                                 {L"ChrW", idChrW},
                                                 {L"AscW", idAscW},
                                                 {L"Escape", idEscape},
                                                 {L"Unescape", idUnescape},
                                                 {L"Eval", idEval},
                                                 {L"Execute", idExecute},
                                                 {L"ExecuteGlobal", idExecuteGlobal},
                                                 {L"GetRef", idGetRef},
                                                 {L"SetLocale", idSetLocale},
                                                 {L"GetLocale", idGetLocale},
                                                 {L"IsNull", idIsNull},
                                                 {L"IsEmpty", idIsEmpty},
                                                 {L"IsNumeric", idIsNumeric},
                                                 {L"CreateObject", idCreateObject},
                                                 {L"Item", idItem},
                                                 {L"PutItem", idPutItem},
                                                 {L"ErrNumber", idErrNumber},
                                                 {L"ErrDescription", idErrDescription},
                                                 {L"TypeName", idTypeName},
                                                 {L"DatePart", idDatePart},
                                                 {L"DateValue", idDateValue},
                                                 {L"TimeValue", idTimeValue},
                                                 {L"String", idString},
                                                 {L"LenB", idLenB},
                                                 {L"Mid", idMid},
                                                 {L"ClearArray", idErased},
                                                 {L"ExecuteLocal", idExecuteLocal},
                                                 {L"EvalLocal", idEvalLocal},
                                                 {L"Local", idLocal},
                                                 {L"Compare", idCompare}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"Microsoft VBScript runtime error"; }

    bool call(DISPID id, WORD flags, const Args& args, VARIANT* result) override {
        auto need = [&](std::size_t n) {
            if (args.count() < n) throw vbError(450, L"Wrong number of arguments or invalid property assignment");
        };
        switch (id) {
        case idJoin: {
            need(1);
            std::wstring delimiter = args.has(1) ? textOf(args.at(1)) : L" ";
            std::wstring out;
            std::vector<Variant> items = arrayItems(args.at(0));
            for (std::size_t i = 0; i < items.size(); ++i) out += (i ? delimiter : L"") + textOf(*items[i].get());
            setText(result, out);
            return true;
        }
        case idFilter: {
            need(2);
            std::wstring match = textOf(args.at(1));
            bool include = !args.has(2) || boolOf(args.at(2));
            bool noCase = textCompare(args, 3);
            std::vector<std::wstring> kept;
            for (const Variant& item : arrayItems(args.at(0))) {
                std::wstring s = textOf(*item.get());
                if ((findText(s, match, 0, noCase) != std::wstring::npos) == include) kept.push_back(s);
            }
            setStringArray(result, kept);
            return true;
        }
        case idSplit: {
            need(1);
            if (isNull(args.at(0))) return setNull(result), true;
            std::wstring text = textOf(args.at(0));
            std::wstring delimiter = args.has(1) ? textOf(args.at(1)) : L" ";
            long limit = args.has(2) ? longOf(args.at(2)) : -1;
            bool noCase = textCompare(args, 3);
            std::vector<std::wstring> parts;
            if (!text.empty()) {
                if (delimiter.empty()) {
                    parts.push_back(text);
                } else {
                    std::size_t at = 0;
                    while (limit < 0 || static_cast<long>(parts.size()) < limit - 1) {
                        std::size_t hit = findText(text, delimiter, at, noCase);
                        if (hit == std::wstring::npos) break;
                        parts.push_back(text.substr(at, hit - at));
                        at = hit + delimiter.size();
                    }
                    if (limit != 0) parts.push_back(text.substr(at));
                }
            }
            setStringArray(result, parts);
            return true;
        }
        case idIsDate:
            need(1);
            setBool(result, isDateValue(args.at(0)));
            return true;
        case idDateDiff: {
            need(3);
            if (isNull(args.at(1)) || isNull(args.at(2))) return setNull(result), true;
            int firstDay = args.has(3) ? static_cast<int>(longOf(args.at(3))) : 1;
            if (firstDay == 0) firstDay = 1;
            const auto difference =
                dateDiff(toUtf8(textOf(args.at(0))), dateOf(args.at(1)), dateOf(args.at(2)), firstDay);
            if (!difference) throw invalidCall();
            setLong(result, *difference);
            return true;
        }
        case idDateAdd: {
            need(3);
            if (isNull(args.at(2))) return setNull(result), true;
            const auto sum = dateAdd(toUtf8(textOf(args.at(0))), doubleOf(args.at(1)), dateOf(args.at(2)));
            if (!sum) throw invalidCall();
            setDate(result, *sum);
            return true;
        }
        case idRound:
            need(1);
            roundValue(args.at(0), args.has(1) ? longOf(args.at(1)) : 0, result);
            return true;
        case idTrim:
        case idLTrim:
        case idRTrim:
            need(1);
            if (isNull(args.at(0))) return setNull(result), true;
            setText(result, trimSpaces(textOf(args.at(0)), id != idRTrim, id != idLTrim));
            return true;
        case idChrW: {
            need(1);
            long code = longOf(args.at(0));
            if (code < -32768 || code > 65535) throw invalidCall();
            wchar_t ch = static_cast<wchar_t>(code < 0 ? code + 65536 : code);
            setText(result, std::wstring(1, ch));
            return true;
        }
        case idAscW: {
            need(1);
            std::wstring s = textOf(args.at(0));
            if (s.empty()) throw invalidCall();
            VariantClear(result);
            V_VT(result) = VT_I2;
            V_I2(result) = static_cast<SHORT>(s[0]);
            return true;
        }
        case idEscape:
            need(1);
            if (isNull(args.at(0))) return setNull(result), true;
            setText(result, fromUtf16(escape(toUtf16(textOf(args.at(0))))));
            return true;
        case idUnescape:
            need(1);
            if (isNull(args.at(0))) return setNull(result), true;
            setText(result, fromUtf16(unescape(toUtf16(textOf(args.at(0))))));
            return true;
        case idEval:
            need(1);
            run(textOf(args.at(0)), true, result);
            return true;
        case idExecute:
        case idExecuteGlobal:
            need(1);
            run(textOf(args.at(0)), false, nullptr);
            return true;
        case idGetRef: {
            need(1);
            std::wstring name = textOf(args.at(0));
            Ref<IDispatch> script;
            if (!access_->engine || FAILED(access_->engine->script()->GetScriptDispatch(nullptr, script.put())) ||
                !script)
                throw invalidCall();
            DISPID procedure = DISPID_UNKNOWN;
            LPOLESTR names[] = {name.data()};
            if (FAILED(script->GetIDsOfNames(IID_NULL, names, 1, hostLcid, &procedure))) throw invalidCall();
            VariantClear(result);
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = new ProcedureReference(script.get(), procedure);
            return true;
        }
        case idSetLocale: {
            long previous = context_->lcid;
            if (args.has(0)) {
                Variant v = valueOf(args.at(0));
                long lcid = previous;
                if (V_VT(v.get()) == VT_BSTR) {
                    std::wstring name = textOf(*v.get());
                    lcid = name.empty() ? static_cast<long>(hostLcid)
                                        : static_cast<long>(LocaleNameToLCID(name.c_str(), 0));
                } else {
                    lcid = longOf(*v.get());
                    if (lcid == 0) lcid = hostLcid;
                }
                if (lcid == 0 || !IsValidLocale(static_cast<LCID>(lcid), LCID_SUPPORTED)) throw invalidCall();
                context_->lcid = lcid;
                setPageLcid(static_cast<LCID>(lcid));
            }
            setLong(result, previous);
            return true;
        }
        case idGetLocale: setLong(result, context_->lcid); return true;
        case idIsNull:
            need(1);
            setBool(result, isNull(args.at(0)));
            return true;
        case idIsEmpty: {
            need(1);
            Variant v = valueOf(args.at(0));
            setBool(result, V_VT(v.get()) == VT_EMPTY);
            return true;
        }
        case idIsNumeric:
            need(1);
            setBool(result, isNumericValue(args.at(0)));
            return true;
        case idCreateObject: {
            need(1);
            IDispatch* object = createObject(textOf(args.at(0)), context_);
            VariantClear(result);
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = object;
            return true;
        }
        case idItem: itemOf(args, result); return true;
        case idPutItem: putItem(args); return true;
        case idErrNumber:
            need(1);
            setLong(result, windowsErrorNumber(longOf(args.at(0))));
            return true;
        case idErrDescription:
            need(2);
            setText(result, windowsErrorDescription(longOf(args.at(0)), textOf(args.at(1))));
            return true;
        case idTypeName:
            need(1);
            setText(result, host::typeName(args.at(0)));
            return true;
        case idDatePart: datePart(args, result); return true;
        case idDateValue:
        case idTimeValue: dateValue(args, result, id == idTimeValue); return true;
        case idString: stringOf(args, result); return true;
        case idLenB: lenB(args, result); return true;
        case idMid: mid(args, result); return true;
        case idErased: clearArray(args); return true;
        case idCompare: compareValues(args, result); return true;
        case idExecuteLocal:
        case idEvalLocal: {
            need(2);
            LocalFrame frame(*this, args);
            std::wstring code = fromUtf8(bindLocals(toUtf8(textOf(args.at(0))), frame.names(), "Tabulon_.Local"));
            run(code, id == idEvalLocal, id == idEvalLocal ? result : nullptr);
            return true;
        }
        case idLocal: {
            need(1);
            VARIANT* variable = findLocal(lowerCase(textOf(args.at(0))));
            if (!variable) throw vbError(500, L"Variable is undefined");
            if (!args.assigned()) {
                VariantClear(result);
                VariantCopyInd(result, variable);
            } else if (flags & DISPATCH_PROPERTYPUTREF) {
                VariantCopyInd(variable, const_cast<VARIANT*>(args.assigned()));
            } else {
                Variant value = valueOf(*args.assigned());
                VariantCopy(variable, value.get());
            }
            return true;
        }
        default: return false;
        }
    }

private:
    // The variables of the procedure whose Execute/Eval runs: names and the variables
    // themselves (passed by reference), or copies when the engine passed values.
    struct Frame {
        std::vector<std::string> names;
        std::vector<VARIANT*> variables;
        std::vector<std::unique_ptr<Variant>> copies;
    };
    class LocalFrame {
    public:
        LocalFrame(HostFunctions& owner, const Args& args) : owner_(owner) {
            Frame frame;
            std::string list = toUtf8(lowerCase(textOf(args.at(1))));
            for (std::size_t at = 0, i = 2; at < list.size() && i < args.count(); ++i) {
                std::size_t comma = list.find(',', at);
                frame.names.push_back(list.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
                VARIANT* variable = args.reference(i);
                if (!variable) {
                    frame.copies.push_back(std::make_unique<Variant>());
                    VariantCopyInd(frame.copies.back()->get(), const_cast<VARIANT*>(&args.at(i)));
                    variable = frame.copies.back()->get();
                }
                frame.variables.push_back(variable);
                at = comma == std::string::npos ? list.size() : comma + 1;
            }
            owner_.frames_.push_back(std::move(frame));
        }
        ~LocalFrame() { owner_.frames_.pop_back(); }
        const std::vector<std::string>& names() const { return owner_.frames_.back().names; }

    private:
        HostFunctions& owner_;
    };

    VARIANT* findLocal(const std::wstring& name) {
        if (frames_.empty()) return nullptr;
        const Frame& f = frames_.back();
        std::string wanted = toUtf8(name);
        for (std::size_t i = 0; i < f.names.size(); ++i)
            if (f.names[i] == wanted) return f.variables[i];
        return nullptr;
    }

    std::vector<Frame> frames_;

    static bool isNull(const VARIANT& v) {
        Variant value = valueOf(v);
        return V_VT(value.get()) == VT_NULL;
    }

    void run(const std::wstring& code, bool expression, VARIANT* result) {
        if (!access_->engine) throw invalidCall();
        std::string prepared =
            rewriteBuiltins(rewriteComparisons(rewriteConstructs(toUtf8(code), "Tabulon_"), "Tabulon_"),
                            access_->rewritten, "Tabulon_");
        std::wstring text = fromUtf8(prepared);
        EXCEPINFO info = {};
        Variant value;
        HRESULT hr = access_->engine->parse()->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                                               expression ? SCRIPTTEXT_ISEXPRESSION : 0,
                                                               expression ? value.get() : nullptr, &info);
        // the code's error belongs to the caller (who may resume after it), not to the page
        std::optional<ScriptFailure> failure = access_->engine->takeFailure();
        if (FAILED(hr) || failure) {
            SysFreeString(info.bstrSource);
            SysFreeString(info.bstrDescription);
            SysFreeString(info.bstrHelpFile);
            ScriptFailure f = failure.value_or(ScriptFailure{hr, L"", L"", 0, 0});
            if (f.code == responseEndCode) throw ScriptError{responseEndCode, L"Response object", L"Response.End"};
            bool compile =
                f.source.find(L"compil") != std::wstring::npos || f.source.find(L"\u7F16\u8BD1") != std::wstring::npos;
            if (compile && HRESULT_FACILITY(f.code) != FACILITY_CONTROL) {
                std::optional<CompileDiagnosis> d = diagnoseCompileError(prepared);
                f.code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, d ? d->number : 1002);
                f.description.clear();
            }
            if (f.source.empty()) f.source = L"Microsoft VBScript runtime error";
            throw ScriptError{f.code, f.source, windowsErrorDescription(f.code, f.description)};
        }
        if (result) VariantCopy(result, value.get());
    }

    std::shared_ptr<PageContext> context_;
    std::shared_ptr<ScriptAccess> access_;
};

}  // namespace

IDispatch* makeHostFunctions(std::shared_ptr<PageContext> context, std::shared_ptr<ScriptAccess> access) {
    return new HostFunctions(std::move(context), std::move(access));
}

}  // namespace tabulon::preview::host
