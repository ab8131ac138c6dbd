#include "vb_errors.h"

namespace tabulon::preview::host {
namespace {

// One row per error: the English wording and the one a Chinese (zh-CN) server shows.
struct Known {
    int number;
    const char* english;
    const char* chinese;  // UTF-8
};

constexpr Known kKnownErrors[] = {
    {5, "Invalid procedure call or argument", "无效的过程调用或参数"},
    {6, "Overflow", "溢出"},
    {7, "Out of memory", "内存不够"},
    {9, "Subscript out of range", "下标越界"},
    {10, "This array is fixed or temporarily locked", "该数组为定长的或临时被锁定"},
    {11, "Division by zero", "被零除"},
    {13, "Type mismatch", "类型不匹配"},
    {14, "Out of string space", "字符串空间不够"},
    {28, "Out of stack space", "堆栈溢出"},
    {35, "Sub or Function not defined", "未定义 Sub 或 Function"},
    {48, "Error in loading DLL", "加载 DLL 时出错"},
    {51, "Internal error", "内部错误"},
    {53, "File not found", "文件未找到"},
    {70, "Permission denied", "没有权限"},
    {91, "Object variable not set", "对象变量未设置"},
    {92, "For loop not initialized", "For 循环未初始化"},
    {94, "Invalid use of Null", "无效使用 Null"},
    {424, "Object required", "缺少对象"},
    {429, "ActiveX component can't create object", "ActiveX 部件不能创建对象"},
    {438, "Object doesn't support this property or method", "对象不支持此属性或方法"},
    {445, "Object doesn't support this action", "对象不支持此操作"},
    {450, "Wrong number of arguments or invalid property assignment", "错误的参数个数或无效的参数属性值"},
    {451, "Object not a collection", "对象不是一个集合"},
    {458, "Variable uses an Automation type not supported in VBScript", "变量使用了一个 VBScript 中不支持的自动化类型"},
    {462, "The remote server machine does not exist or is unavailable", "远程服务器机器不存在或不可用"},
    {500, "Variable is undefined", "变量未定义"},
    {501, "Illegal assignment", "非法赋值"},
    {502, "Object not safe for scripting", "对于脚本对象不安全"},
    {505, "Invalid or unqualified reference", "无效的或不合格的引用"},
    {506, "Class not defined", "类没有被定义"},
    {507, "An exception occurred", "出现一个意外错误"},
    {1001, "Out of memory", "内存不够"},
    {1002, "Syntax error", "语法错误"},
    {1003, "Expected ':'", "缺少 ':'"},
    {1005, "Expected '('", "缺少 '('"},
    {1006, "Expected ')'", "缺少 ')'"},
    {1007, "Expected ']'", "缺少 ']'"},
    {1010, "Expected identifier", "缺少标识符"},
    {1011, "Expected '='", "缺少 '='"},
    {1012, "Expected 'If'", "缺少 'If'"},
    {1013, "Expected 'To'", "缺少 'To'"},
    {1014, "Expected 'End'", "缺少 'End'"},
    {1015, "Expected 'Function'", "缺少 'Function'"},
    {1016, "Expected 'Sub'", "缺少 'Sub'"},
    {1017, "Expected 'Then'", "缺少 'Then'"},
    {1018, "Expected 'Wend'", "缺少 'Wend'"},
    {1019, "Expected 'Loop'", "缺少 'Loop'"},
    {1020, "Expected 'Next'", "缺少 'Next'"},
    {1021, "Expected 'Case'", "缺少 'Case'"},
    {1022, "Expected 'Select'", "缺少 'Select'"},
    {1023, "Expected expression", "缺少表达式"},
    {1024, "Expected statement", "缺少语句"},
    {1025, "Expected end of statement", "语句未结束"},
    {1026, "Expected integer constant", "缺少整型常数"},
    {1027, "Expected 'While' or 'Until'", "缺少 'While' 或 'Until'"},
    {1028, "Expected 'While', 'Until' or end of statement", "缺少 'While'、'Until' 或语句未结束"},
    {1029, "Expected 'With'", "缺少 'With'"},
    {1030, "Identifier too long", "标识符太长"},
    {1031, "Invalid number", "无效数字"},
    {1032, "Invalid character", "无效字符"},
    {1033, "Unterminated string constant", "未结束的字符串常量"},
    {1034, "Unterminated comment", "未结束的注释"},
    {1037, "Invalid use of 'Me' keyword", "无效使用 'Me' 关键字"},
    {1038, "'loop' without 'do'", "'loop' 语句缺少 'do'"},
    {1039, "Invalid 'exit' statement", "无效的 'exit' 语句"},
    {1040, "Invalid 'for' loop control variable", "循环控制变量 'for' 无效"},
    {1041, "Name redefined", "名称重定义"},
    {1042, "Must be first statement on the line", "必须是行的第一个语句"},
    {1044, "Cannot use parentheses when calling a Sub", "调用 Sub 时不能使用括号"},
    {1045, "Expected literal constant", "缺少文字常数"},
    {1046, "Expected 'In'", "缺少 'In'"},
    {1047, "Expected 'Class'", "缺少 'Class'"},
    {1048, "Must be defined inside a Class", "必须在一个类的内部定义"},
    {1049, "Expected Let or Set or Get in property declaration", "在属性声明中缺少 Let，Set 或 Get"},
    {1050, "Expected 'Property'", "缺少 'Property'"},
    {1051, "Property Get, Let and Set of one property must take the same arguments", "参数数目在属性说明中必须一致"},
    {1052, "Cannot have multiple default property/method in a Class", "在一个类中不能有多个缺省的属性/方法"},
    {1053, "Class initialize or terminate do not have arguments", "类的初始化或终止不能带参数"},
    {1054, "Property Set or Let must have at least one argument", "Property Let 或 Set 至少应该有一个参数"},
    {1055, "Unexpected 'Next'", "不需要的 'Next'"},
    {1056, "'Default' can be specified only on 'Property' or 'Function' or 'Sub'",
     "'Default' 只能在 'Property'，'Function' 或 'Sub' 中指定"},
    {1057, "A 'Default' member must also be 'Public'", "说明 'Default' 必须同时说明 'Public'"},
    {1058, "'Default' can only be given to a Property Get", "只能在 Property Get 中指定 'Default'"},
};

const Known* find(int number) {
    for (const Known& known : kKnownErrors)
        if (known.number == number) return &known;
    return nullptr;
}

}  // namespace

std::optional<std::string_view> vbErrorText(int number) {
    const Known* known = find(number);
    if (!known) return std::nullopt;
    return known->english;
}

std::optional<std::string_view> vbErrorTextChinese(int number) {
    const Known* known = find(number);
    if (!known) return std::nullopt;
    return known->chinese;
}

bool isEnglishRuntimeErrorText(std::string_view text) {
    if (text == "Unknown runtime error") return true;
    for (const Known& known : kKnownErrors)
        if (!isCompileErrorNumber(known.number) && text == known.english) return true;
    return false;
}

}  // namespace tabulon::preview::host
