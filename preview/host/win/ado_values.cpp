#include "ado_values.h"

#include "text.h"

namespace tabulon::preview::host {

Variant toVariant(const ado::Value& value) {
    using K = ado::Value::Kind;
    Variant out;
    VARIANT* v = out.get();
    switch (value.kind) {
    case K::Empty: break;
    case K::Null: V_VT(v) = VT_NULL; break;
    case K::Boolean:
        V_VT(v) = VT_BOOL;
        V_BOOL(v) = value.boolean ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case K::Byte:
        V_VT(v) = VT_UI1;
        V_UI1(v) = static_cast<BYTE>(value.integer);
        break;
    case K::Integer:
        V_VT(v) = VT_I2;
        V_I2(v) = static_cast<SHORT>(value.integer);
        break;
    case K::Long:
        V_VT(v) = VT_I4;
        V_I4(v) = static_cast<LONG>(value.integer);
        break;
    case K::Single:
        V_VT(v) = VT_R4;
        V_R4(v) = static_cast<float>(value.number);
        break;
    case K::Double:
        V_VT(v) = VT_R8;
        V_R8(v) = value.number;
        break;
    case K::Date:
        V_VT(v) = VT_DATE;
        V_DATE(v) = value.number;
        break;
    case K::Decimal: {
        DECIMAL d;
        std::wstring text = fromUtf8(value.text);
        if (SUCCEEDED(VarDecFromStr(text.data(), MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT),
                                    0, &d))) {
            V_DECIMAL(v) = d;
            V_VT(v) = VT_DECIMAL;
        } else {
            setText(v, text);
        }
        break;
    }
    case K::Text: setText(v, fromUtf8(value.text)); break;
    }
    return out;
}

ado::Value fromVariant(const VARIANT& in) {
    using K = ado::Value::Kind;
    Variant holder = valueOf(in);
    const VARIANT* v = holder.get();
    ado::Value out;
    switch (V_VT(v)) {
    case VT_EMPTY: out.kind = K::Empty; break;
    case VT_NULL: out.kind = K::Null; break;
    case VT_BOOL:
        out.kind = K::Boolean;
        out.boolean = V_BOOL(v) != VARIANT_FALSE;
        break;
    case VT_UI1:
        out.kind = K::Byte;
        out.integer = V_UI1(v);
        break;
    case VT_I1:
        out.kind = K::Integer;
        out.integer = V_I1(v);
        break;
    case VT_I2:
        out.kind = K::Integer;
        out.integer = V_I2(v);
        break;
    case VT_UI2:
        out.kind = K::Long;
        out.integer = V_UI2(v);
        break;
    case VT_I4:
    case VT_INT:
        out.kind = K::Long;
        out.integer = V_I4(v);
        break;
    case VT_UI4:
    case VT_UINT:
        out.kind = K::Double;
        out.number = V_UI4(v);
        break;
    case VT_I8:
        out.kind = K::Double;
        out.number = static_cast<double>(V_I8(v));
        break;
    case VT_R4:
        out.kind = K::Single;
        out.number = V_R4(v);
        break;
    case VT_R8:
        out.kind = K::Double;
        out.number = V_R8(v);
        break;
    case VT_DATE:
        out.kind = K::Date;
        out.number = V_DATE(v);
        break;
    case VT_CY:
    case VT_DECIMAL: {
        Variant text;
        VariantChangeTypeEx(text.get(), const_cast<VARIANT*>(v),
                            MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT), 0, VT_BSTR);
        out.kind = K::Decimal;
        out.text = toUtf8(V_BSTR(text.get()) ? V_BSTR(text.get()) : L"");
        break;
    }
    case VT_BSTR:
        out.kind = K::Text;
        out.text = toUtf8(textOf(*v));
        break;
    default: throw vbError(13, L"Type mismatch");
    }
    return out;
}

long adoTypeOf(ado::JetType type) {
    using T = ado::JetType;
    switch (type) {
    case T::Counter:
    case T::Long: return 3;       // adInteger
    case T::Text: return 202;     // adVarWChar
    case T::Memo: return 203;     // adLongVarWChar
    case T::Short: return 2;      // adSmallInt
    case T::Byte: return 17;      // adUnsignedTinyInt
    case T::Single: return 4;     // adSingle
    case T::Double: return 5;     // adDouble
    case T::Numeric: return 131;  // adNumeric
    case T::DateTime: return 7;   // adDate
    case T::Boolean: return 11;   // adBoolean
    }
    return 12;  // adVariant
}

}  // namespace tabulon::preview::host
