#include "host_functions.h"
#include "script_engine.h"

#include <map>

namespace tabulon::preview::host {
namespace {

// Objects whose default values are Null, Empty or a number, and the report of each probe.
class ProbeItem : public Dispatch {
public:
    std::map<std::string, bool> results;

protected:
    enum : DISPID { idReport = 1, idNullField, idEmptyField, idNumberField };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Report", idReport},
                                                 {L"NullField", idNullField},
                                                 {L"EmptyField", idEmptyField},
                                                 {L"NumberField", idNumberField}};
        return list;
    }
    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override;
};

class DefaultValue : public Dispatch {
public:
    explicit DefaultValue(VARTYPE type) : type_(type) {}

protected:
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Value", DISPID_VALUE}};
        return list;
    }
    bool call(DISPID id, WORD, const Args&, VARIANT* result) override {
        if (id != DISPID_VALUE) return false;
        VariantClear(result);
        if (type_ == VT_I4)
            setLong(result, 42);
        else
            V_VT(result) = type_;
        return true;
    }

private:
    VARTYPE type_;
};

bool ProbeItem::call(DISPID id, WORD, const Args& args, VARIANT* result) {
    switch (id) {
    case idReport: {
        std::wstring name = textOf(args.at(0));
        results[std::string(name.begin(), name.end())] = boolOf(args.at(1));
        return true;
    }
    case idNullField:
    case idEmptyField:
    case idNumberField:
        VariantClear(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = new DefaultValue(id == idNullField ? VT_NULL : id == idEmptyField ? VT_EMPTY : VT_I4);
        return true;
    default: return false;
    }
}

// Each probe sets ok to True only when the built-in behaves as on a Windows server.
struct Probe {
    const char* name;
    const wchar_t* code;
};

const Probe probes[] = {
    {"join", L"ok = (Join(Array(\"a\", \"b\"), \"-\") = \"a-b\")"},
    {"filter", L"ok = (UBound(Filter(Array(\"ab\", \"c\", \"xa\"), \"a\")) = 1)"},
    {"split", L"ok = (UBound(Split(\"\", \",\")) = -1 And UBound(Split(\"a<>b<>c\", \"<>\")) = 2)"},
    {"isdate", L"ok = (IsDate(\"2024-01-31\") And Not IsDate(\"abc\"))"},
    {"datediff",
     L"ok = (DateDiff(\"d\", #2024-01-01#, #2024-03-01#) = 60 And DateDiff(\"m\", #2024-01-31#, #2024-02-01#) = 1)"},
    {"dateadd",
     L"ok = (DateAdd(\"m\", 1, #2024-01-31#) = #2024-02-29# And DateAdd(\"d\", 1, #2024-01-31#) = #2024-02-01#)"},
    {"round", L"ok = (Round(2.5) = 2 And Round(3.5) = 4 And Round(1.2345, 2) = 1.23 And Round(0.125, 2) = 0.12)"},
    {"trim", L"ok = (VarType(Trim(Null)) = 1)"},
    {"ltrim", L"ok = (VarType(LTrim(Null)) = 1)"},
    {"rtrim", L"ok = (VarType(RTrim(Null)) = 1)"},
    {"chrw", L"ok = (Len(ChrW(20013)) = 1)"},
    {"ascw", L"ok = (AscW(\"A\") = 65)"},
    {"escape", L"ok = (Escape(\"a b\") = \"a%20b\")"},
    {"unescape", L"ok = (Unescape(\"a%20b\") = \"a b\")"},
    {"eval", L"ok = (Eval(\"1+2\") = 3)"},
    {"execute", L"Execute \"probeExecuted = 5\"\r\nok = (probeExecuted = 5)"},
    {"executeglobal", L"ExecuteGlobal \"probeGlobal = 6\"\r\nok = (probeGlobal = 6)"},
    {"getref", L"Set probeRef = GetRef(\"ProbeProcedure\")\r\nok = IsObject(probeRef)"},
    {"setlocale", L"ok = (SetLocale(2052) > 0)"},
    {"getlocale", L"ok = (GetLocale() > 0)"},
    {"datepart", L"ok = (DatePart(\"ww\", #2024-03-05#) = 10 And DatePart(\"y\", #2024-03-05#) = 65)"},
    {"datevalue", L"ok = (DateValue(\"2024-03-05 14:05:09\") = #2024-03-05#)"},
    {"timevalue", L"ok = (TimeValue(\"2024-03-05 14:05:09\") = #14:05:09#)"},
    {"string", L"ok = (String(3, \"ab\") = \"aaa\" And String(2, 65) = \"AA\")"},
    {"lenb", L"ok = (LenB(\"abc\") = 6)"},
    {"mid",
     L"ok = False\r\nprobeMid = Mid(\"abc\", 0, 1)\r\nok = (Err.Number = 5)\r\nErr.Clear\r\nok = ok And Mid(\"abc\", "
     L"2) = \"bc\""},
    {"isnull", L"ok = IsNull(Tabulon_Probe.NullField)"},
    {"isempty", L"ok = IsEmpty(Tabulon_Probe.EmptyField)"},
    {"isnumeric", L"ok = (IsNumeric(Tabulon_Probe.NumberField) And Not IsNumeric(Null))"},
};

}  // namespace

std::set<std::string> probeBuiltins() {
    auto* item = new ProbeItem();
    Ref<IDispatch> keep(item);
    std::wstring script = L"On Error Resume Next\r\nSub ProbeProcedure()\r\nEnd Sub\r\nDim ok\r\n";
    for (const Probe& p : probes) {
        script += L"ok = False\r\nErr.Clear\r\n";
        script += p.code;
        script += L"\r\nIf Err.Number <> 0 Then ok = False\r\nTabulon_Probe.Report \"";
        script += std::wstring(p.name, p.name + strlen(p.name));
        script += L"\", ok\r\n";
    }
    {
        ScriptEngine engine({{L"Tabulon_Probe", item, SCRIPTITEM_ISVISIBLE}});
        engine.run(script);
    }
    // TypeName must know the page's classes and not fall over Nothing: always the host's
    std::set<std::string> broken = {"createobject", "typename"};
    for (const Probe& p : probes) {
        auto it = item->results.find(p.name);
        if (it == item->results.end() || !it->second) broken.insert(p.name);
    }
    return broken;
}

}  // namespace tabulon::preview::host
