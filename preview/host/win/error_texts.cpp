#include "error_texts.h"

#include "value_functions.h"

namespace tabulon::preview::host {
namespace {

struct Text {
    long number;
    const wchar_t* text;
};

const Text texts[] = {
    {5, L"无效的过程调用或参数"},
    {6, L"溢出"},
    {7, L"内存不够"},
    {9, L"下标越界"},
    {10, L"该数组为定长的或临时被锁定"},
    {11, L"被零除"},
    {13, L"类型不匹配"},
    {14, L"字符串空间不够"},
    {28, L"堆栈溢出"},
    {35, L"未定义 Sub 或 Function"},
    {48, L"加载 DLL 时出错"},
    {51, L"内部错误"},
    {53, L"文件未找到"},
    {70, L"没有权限"},
    {91, L"对象变量未设置"},
    {92, L"For 循环未初始化"},
    {94, L"无效使用 Null"},
    {424, L"缺少对象"},
    {429, L"ActiveX 部件不能创建对象"},
    {438, L"对象不支持此属性或方法"},
    {445, L"对象不支持此操作"},
    {450, L"错误的参数个数或无效的参数属性值"},
    {451, L"对象不是一个集合"},
    {458, L"变量使用了一个 VBScript 中不支持的自动化类型"},
    {462, L"远程服务器机器不存在或不可用"},
    {500, L"变量未定义"},
    {501, L"非法赋值"},
    {502, L"对于脚本对象不安全"},
    {505, L"无效的或不合格的引用"},
    {506, L"类没有被定义"},
    {507, L"出现一个意外错误"},
    {1001, L"内存不够"},
    {1002, L"语法错误"},
    {1003, L"缺少 ':'"},
    {1005, L"缺少 '('"},
    {1006, L"缺少 ')'"},
    {1007, L"缺少 ']'"},
    {1010, L"缺少标识符"},
    {1011, L"缺少 '='"},
    {1012, L"缺少 'If'"},
    {1013, L"缺少 'To'"},
    {1014, L"缺少 'End'"},
    {1015, L"缺少 'Function'"},
    {1016, L"缺少 'Sub'"},
    {1017, L"缺少 'Then'"},
    {1018, L"缺少 'Wend'"},
    {1019, L"缺少 'Loop'"},
    {1020, L"缺少 'Next'"},
    {1021, L"缺少 'Case'"},
    {1022, L"缺少 'Select'"},
    {1023, L"缺少表达式"},
    {1024, L"缺少语句"},
    {1025, L"语句未结束"},
    {1026, L"缺少整型常数"},
    {1027, L"缺少 'While' 或 'Until'"},
    {1028, L"缺少 'While'、'Until' 或语句未结束"},
    {1029, L"缺少 'With'"},
    {1030, L"标识符太长"},
    {1031, L"无效数字"},
    {1032, L"无效字符"},
    {1033, L"未结束的字符串常量"},
    {1034, L"未结束的注释"},
    {1037, L"无效使用 'Me' 关键字"},
    {1038, L"'loop' 语句缺少 'do'"},
    {1039, L"无效的 'exit' 语句"},
    {1040, L"循环控制变量 'for' 无效"},
    {1041, L"名称重定义"},
    {1042, L"必须是行的第一个语句"},
    {1044, L"调用 Sub 时不能使用括号"},
    {1045, L"缺少文字常数"},
    {1046, L"缺少 'In'"},
    {1047, L"缺少 'Class'"},
    {1048, L"必须在一个类的内部定义"},
    {1049, L"在属性声明中缺少 Let，Set 或 Get"},
    {1050, L"缺少 'Property'"},
    {1051, L"参数数目在属性说明中必须一致"},
    {1052, L"在一个类中不能有多个缺省的属性/方法"},
    {1053, L"类的初始化或终止不能带参数"},
    {1054, L"Property Let 或 Set 至少应该有一个参数"},
    {1055, L"不需要的 'Next'"},
    {1056, L"'Default' 只能在 'Property'，'Function' 或 'Sub' 中指定"},
    {1057, L"说明 'Default' 必须同时说明 'Public'"},
    {1058, L"只能在 Property Get 中指定 'Default'"},
};

bool allAscii(const std::wstring& s) {
    for (wchar_t c : s)
        if (c > 0x7E) return false;
    return true;
}

}  // namespace

const wchar_t* windowsErrorText(long number) {
    for (const Text& t : texts)
        if (t.number == number) return t.text;
    return nullptr;
}

std::wstring windowsErrorDescription(long rawNumber, const std::wstring& given) {
    long number = windowsErrorNumber(rawNumber);
    const wchar_t* text = windowsErrorText(number);
    if (!text) return given;
    // empty, the engine's English or its own Chinese wording: the server's words; a page's
    // own ASCII text (Err.Raise 5, , "mine") stays
    bool engineWords =
        given.empty() || number != rawNumber || !allAscii(given) || given.find(L"runtime error") != std::wstring::npos;
    if (!engineWords) {
        static const wchar_t* english[] = {L"Invalid procedure call or argument",
                                           L"Overflow",
                                           L"Subscript out of range",
                                           L"Division by zero",
                                           L"Type mismatch",
                                           L"Object required",
                                           L"Object doesn't support this property or method",
                                           L"Wrong number of arguments or invalid property assignment",
                                           L"Variable is undefined",
                                           L"Invalid use of Null",
                                           L"Unknown runtime error"};
        for (const wchar_t* e : english)
            if (given == e) engineWords = true;
    }
    return engineWords ? std::wstring(text) : given;
}

}  // namespace tabulon::preview::host
