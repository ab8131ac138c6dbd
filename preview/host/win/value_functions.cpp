#include "value_functions.h"

#include "../core/construct_rewriter.h"
#include "../core/ole_date.h"
#include "text.h"

#include <dispex.h>

#include <cmath>

namespace tabulon::preview::host {
namespace {

// IDispatchEx's id (mingw's libuuid lacks it)
const IID dispatchExId = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

ScriptError invalidCall() { return vbError(5, L"Invalid procedure call or argument"); }

void need(const Args& args, std::size_t n) {
    if (args.count() < n) throw vbError(450, L"Wrong number of arguments or invalid property assignment");
}

bool isNull(const VARIANT& v) {
    Variant value = valueOf(v);
    return V_VT(value.get()) == VT_NULL;
}

// The value as passed: a by-reference variable followed, objects kept as objects.
Variant plain(const VARIANT& v) {
    Variant out;
    VariantCopyInd(out.get(), const_cast<VARIANT*>(&v));
    return out;
}

double dateOf(const VARIANT& v) {
    Variant value = valueOf(v);
    Variant date;
    if (FAILED(VariantChangeTypeEx(date.get(), value.get(), pageLcid(), 0, VT_DATE)))
        throw vbError(13, L"Type mismatch");
    return V_DATE(date.get());
}

void setDate(VARIANT* out, double date) {
    VariantClear(out);
    V_VT(out) = VT_DATE;
    V_DATE(out) = date;
}

// Calls an object's default member with the arguments after the first (or assigns to it).
void callDefault(IDispatch* object, const Args& args, std::size_t from, const VARIANT* assigned, VARIANT* result) {
    // rgvarg holds the last argument first: the assigned value, then the index arguments backwards
    std::vector<VARIANT> ordered;
    if (assigned) ordered.push_back(*assigned);
    for (std::size_t i = args.count(); i-- > from;) ordered.push_back(args.at(i));
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = {ordered.data(), assigned ? &put : nullptr, static_cast<UINT>(ordered.size()),
                         assigned ? 1u : 0u};
    EXCEPINFO info = {};
    Variant out;
    WORD flags = assigned ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, pageLcid(), flags, &params, out.get(), &info, nullptr);
    if (FAILED(hr)) throwInvokeFailure(hr, info);
    if (result) {
        VariantClear(result);
        *result = out.detach();
    }
}

const wchar_t* variantTypeName(VARTYPE type) {
    switch (type & VT_TYPEMASK) {
    case VT_EMPTY: return L"Empty";
    case VT_NULL: return L"Null";
    case VT_I2: return L"Integer";
    case VT_I4: return L"Long";
    case VT_R4: return L"Single";
    case VT_R8: return L"Double";
    case VT_CY: return L"Currency";
    case VT_DATE: return L"Date";
    case VT_BSTR: return L"String";
    case VT_BOOL: return L"Boolean";
    case VT_ERROR: return L"Error";
    case VT_DECIMAL: return L"Decimal";
    case VT_UI1: return L"Byte";
    case VT_VARIANT: return L"Variant";
    case VT_UNKNOWN: return L"Unknown";
    default: return L"Object";
    }
}

// Interfaces whose script name on Windows is the name of the object.
std::wstring knownObjectName(const std::wstring& interfaceName) {
    static const std::pair<const wchar_t*, const wchar_t*> names[] = {{L"IDictionary", L"Dictionary"},
                                                                      {L"IFileSystem3", L"FileSystemObject"},
                                                                      {L"IFileSystem", L"FileSystemObject"},
                                                                      {L"ITextStream", L"TextStream"},
                                                                      {L"IFile", L"File"},
                                                                      {L"IFolder", L"Folder"},
                                                                      {L"IDrive", L"Drive"},
                                                                      {L"IFileCollection", L"Files"},
                                                                      {L"IFolderCollection", L"Folders"}};
    for (const auto& [from, to] : names)
        if (interfaceName == from) return to;
    return interfaceName;
}

std::wstring objectTypeName(IDispatch* object) {
    if (!object) return L"Nothing";
    // a class of the page (or one of the host's objects) answers its own name; the engine's
    // class objects only look names up through IDispatchEx
    std::wstring method(classNameMethod.begin(), classNameMethod.end());
    DISPID id = DISPID_UNKNOWN;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    Variant name;
    EXCEPINFO failure = {};
    HRESULT hr = E_FAIL;
    Ref<IDispatchEx> ex;
    if (SUCCEEDED(object->QueryInterface(dispatchExId, reinterpret_cast<void**>(ex.put()))) && ex) {
        BSTR wanted = SysAllocString(method.c_str());
        if (SUCCEEDED(ex->GetDispID(wanted, fdexNameCaseInsensitive, &id)))
            hr = ex->InvokeEx(id, pageLcid(), DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, name.get(), &failure,
                              nullptr);
        SysFreeString(wanted);
    } else {
        LPOLESTR names[] = {method.data()};
        if (SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, pageLcid(), &id)))
            hr = object->Invoke(id, IID_NULL, pageLcid(), DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, name.get(),
                                &failure, nullptr);
    }
    SysFreeString(failure.bstrSource);
    SysFreeString(failure.bstrDescription);
    SysFreeString(failure.bstrHelpFile);
    if (SUCCEEDED(hr) && V_VT(name.get()) == VT_BSTR) return textOf(*name.get());
    Ref<ITypeInfo> info;
    if (SUCCEEDED(object->GetTypeInfo(0, pageLcid(), info.put())) && info) {
        BSTR name = nullptr;
        if (SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr)) && name) {
            std::wstring out(name, SysStringLen(name));
            SysFreeString(name);
            return knownObjectName(out);
        }
    }
    return L"Object";
}

}  // namespace

void itemOf(const Args& args, VARIANT* result) {
    need(args, 1);
    Variant target = plain(args.at(0));
    VARIANT* t = target.get();
    if (V_VT(t) & VT_ARRAY) {
        SAFEARRAY* a = V_ARRAY(t);
        UINT dims = SafeArrayGetDim(a);
        if (args.count() - 1 != dims) throw vbError(9, L"Subscript out of range");
        std::vector<LONG> index(dims);
        for (UINT d = 0; d < dims; ++d) index[d] = longOf(args.at(1 + d));
        VARTYPE type = VT_VARIANT;
        SafeArrayGetVartype(a, &type);
        if (type != VT_VARIANT) {
            Variant copy;
            if (FAILED(VariantChangeType(copy.get(), t, 0, VT_ARRAY | VT_VARIANT))) throw vbError(13, L"Type mismatch");
            target = copy;
            a = V_ARRAY(target.get());
        }
        Variant element;
        if (FAILED(SafeArrayGetElement(a, index.data(), element.get()))) throw vbError(9, L"Subscript out of range");
        VariantClear(result);
        *result = element.detach();
        return;
    }
    if (V_VT(t) == VT_DISPATCH) {
        if (!V_DISPATCH(t)) throw vbError(91, L"Object variable not set");
        callDefault(V_DISPATCH(t), args, 1, nullptr, result);
        return;
    }
    throw vbError(13, L"Type mismatch");
}

void putItem(const Args& args) {
    need(args, 2);
    Variant target = plain(args.at(0));
    // an element of a returned array is a copy: assigning to it changes nothing, as on Windows
    if (V_VT(target.get()) & VT_ARRAY) return;
    if (V_VT(target.get()) != VT_DISPATCH || !V_DISPATCH(target.get())) throw vbError(424, L"Object required");
    Variant value = plain(args.at(1));
    std::vector<VARIANT> ordered;
    ordered.push_back(*value.get());
    for (std::size_t i = args.count(); i-- > 2;) ordered.push_back(args.at(i));
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = {ordered.data(), &put, static_cast<UINT>(ordered.size()), 1};
    EXCEPINFO info = {};
    HRESULT hr =
        V_DISPATCH(target.get())
            ->Invoke(DISPID_VALUE, IID_NULL, pageLcid(), DISPATCH_PROPERTYPUT, &params, nullptr, &info, nullptr);
    if (FAILED(hr)) throwInvokeFailure(hr, info);
}

long windowsErrorNumber(long number) {
    switch (static_cast<unsigned long>(number)) {
    case 0x80020012UL: return 11;   // DISP_E_DIVBYZERO
    case 0x80020005UL: return 13;   // DISP_E_TYPEMISMATCH
    case 0x8002000AUL: return 6;    // DISP_E_OVERFLOW
    case 0x8002000BUL: return 9;    // DISP_E_BADINDEX
    case 0x80020003UL: return 438;  // DISP_E_MEMBERNOTFOUND
    case 0x8002000EUL: return 450;  // DISP_E_BADPARAMCOUNT
    default: break;
    }
    if (HRESULT_FACILITY(number) == FACILITY_CONTROL && (number & 0x80000000UL)) return HRESULT_CODE(number);
    return number;
}

std::wstring typeName(const VARIANT& v) {
    const VARIANT* p = &v;
    while (V_VT(p) == (VT_BYREF | VT_VARIANT)) p = V_VARIANTREF(p);
    VARTYPE type = V_VT(p) & ~VT_BYREF;
    if (type & VT_ARRAY) return std::wstring(variantTypeName(type & VT_TYPEMASK)) + L"()";
    if (type == VT_DISPATCH) return objectTypeName((V_VT(p) & VT_BYREF) ? *V_DISPATCHREF(p) : V_DISPATCH(p));
    return variantTypeName(type);
}

void clearArray(const Args& args) {
    need(args, 1);
    const VARIANT* v = &args.at(0);
    SAFEARRAY* a = nullptr;
    if (V_VT(v) == (VT_ARRAY | VT_VARIANT)) a = V_ARRAY(v);
    if (V_VT(v) == (VT_BYREF | VT_ARRAY | VT_VARIANT)) a = *V_ARRAYREF(v);
    if (!a) throw vbError(13, L"Type mismatch");
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(a, &data))) throw vbError(10, L"This array is fixed or temporarily locked");
    ULONG count = 1;
    for (UINT d = 0; d < a->cDims; ++d) count *= a->rgsabound[d].cElements;
    auto* items = static_cast<VARIANT*>(data);
    for (ULONG i = 0; i < count; ++i) VariantClear(&items[i]);
    SafeArrayUnaccessData(a);
}

void compareValues(const Args& args, VARIANT* result) {
    need(args, 2);
    Variant a = valueOf(args.at(0)), b = valueOf(args.at(1));
    VARTYPE ta = V_VT(a.get()), tb = V_VT(b.get());
    if (ta == VT_NULL || tb == VT_NULL) return setNull(result);
    if (ta == VT_BSTR && tb == VT_BSTR) {
        // binary comparison: by character codes
        std::wstring x = textOf(*a.get()), y = textOf(*b.get());
        return setLong(result, x < y ? -1 : x > y ? 1 : 0);
    }
    if (args.has(2) && boolOf(args.at(2)) && ta == VT_BSTR) {
        // a string against a number written in the page is read as a number
        Variant number;
        if (SUCCEEDED(VariantChangeTypeEx(number.get(), a.get(), pageLcid(), 0, VT_R8))) {
            double d = V_R8(number.get()) - doubleOf(*b.get());
            return setLong(result, d < 0 ? -1 : d > 0 ? 1 : 0);
        }
    }
    HRESULT hr = VarCmp(a.get(), b.get(), pageLcid(), 0);
    if (hr == static_cast<HRESULT>(VARCMP_NULL)) return setNull(result);
    if (FAILED(hr)) throw vbError(13, L"Type mismatch");
    setLong(result, hr == static_cast<HRESULT>(VARCMP_LT) ? -1 : hr == static_cast<HRESULT>(VARCMP_GT) ? 1 : 0);
}

void datePart(const Args& args, VARIANT* result) {
    need(args, 2);
    if (isNull(args.at(1))) return setNull(result);
    std::wstring interval = lowerCase(textOf(args.at(0)));
    double date = dateOf(args.at(1));
    int firstDay = args.has(2) ? static_cast<int>(longOf(args.at(2))) : 1;
    if (firstDay == 0) firstDay = 1;
    if (firstDay < 1 || firstDay > 7) throw invalidCall();
    DateParts p = splitDate(date);
    long value = 0;
    if (interval == L"yyyy")
        value = p.year;
    else if (interval == L"q")
        value = (p.month - 1) / 3 + 1;
    else if (interval == L"m")
        value = p.month;
    else if (interval == L"d")
        value = p.day;
    else if (interval == L"y")
        value = static_cast<long>(std::floor(date) - std::floor(joinDate(p.year, 1, 1, 0))) + 1;
    else if (interval == L"w")
        value = (weekday(date) - firstDay + 7) % 7 + 1;
    else if (interval == L"ww") {
        double jan1 = joinDate(p.year, 1, 1, 0);
        long offset = (weekday(jan1) - firstDay + 7) % 7;  // days of week 1 before 1 January
        long dayOfYear = static_cast<long>(std::floor(date) - std::floor(jan1));
        value = (dayOfYear + offset) / 7 + 1;
    } else if (interval == L"h")
        value = static_cast<long>(p.secondOfDay / 3600);
    else if (interval == L"n")
        value = static_cast<long>(p.secondOfDay / 60 % 60);
    else if (interval == L"s")
        value = static_cast<long>(p.secondOfDay % 60);
    else
        throw invalidCall();
    setLong(result, value);
}

void dateValue(const Args& args, VARIANT* result, bool timePart) {
    need(args, 1);
    if (isNull(args.at(0))) return setNull(result);
    double date = dateOf(args.at(0));
    DateParts p = splitDate(date);
    if (timePart)
        setDate(result, joinDate(1899, 12, 30, p.secondOfDay));
    else
        setDate(result, joinDate(p.year, p.month, p.day, 0));
}

void stringOf(const Args& args, VARIANT* result) {
    need(args, 2);
    if (isNull(args.at(0)) || isNull(args.at(1))) return setNull(result);
    long count = longOf(args.at(0));
    if (count < 0) throw invalidCall();
    Variant c = valueOf(args.at(1));
    wchar_t ch;
    if (V_VT(c.get()) == VT_BSTR) {
        std::wstring s = textOf(*c.get());
        if (s.empty()) throw invalidCall();
        ch = s[0];
    } else {
        long code = longOf(*c.get()) % 256;
        if (code < 0) code += 256;
        ch = static_cast<wchar_t>(code);
    }
    setText(result, std::wstring(static_cast<std::size_t>(count), ch));
}

void lenB(const Args& args, VARIANT* result) {
    need(args, 1);
    Variant v = valueOf(args.at(0));
    if (V_VT(v.get()) == VT_NULL) return setNull(result);
    if (V_VT(v.get()) == VT_BSTR) return setLong(result, static_cast<long>(SysStringByteLen(V_BSTR(v.get()))));
    setLong(result, static_cast<long>(textOf(*v.get()).size() * 2));
}

void mid(const Args& args, VARIANT* result) {
    need(args, 2);
    long start = longOf(args.at(1));
    long length = args.has(2) ? longOf(args.at(2)) : -1;
    if (start < 1 || (args.has(2) && length < 0)) throw invalidCall();
    if (isNull(args.at(0))) return setNull(result);
    std::wstring s = textOf(args.at(0));
    if (static_cast<std::size_t>(start) > s.size()) return setText(result, L"");
    std::size_t from = static_cast<std::size_t>(start - 1);
    setText(result, length < 0 ? s.substr(from) : s.substr(from, static_cast<std::size_t>(length)));
}

}  // namespace tabulon::preview::host
