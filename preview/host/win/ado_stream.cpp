// ADODB.Stream: bytes in memory, read and written as text in a chosen charset, loaded from
// and saved to files inside the site's folder only.
#include "ado_objects.h"
#include "ado_objects_shared.h"

#include <fstream>
#include <iterator>

namespace tabulon::preview::host {
namespace {

constexpr long adTypeBinary = 1;
constexpr long adTypeText = 2;
constexpr long adCRLF = -1, adLF = 10, adCR = 13;

// The code page of a charset name, or 1200 for UTF-16LE ("unicode"); 0 when unknown.
unsigned codePageOf(const std::wstring& charset) {
    const std::wstring name = lowerCase(charset);
    if (name == L"unicode" || name == L"utf-16" || name == L"utf-16le") return 1200;
    if (name == L"utf-8") return 65001;
    if (name == L"gb2312" || name == L"gbk" || name == L"x-gbk" || name == L"cp936") return 936;
    if (name == L"gb18030") return 54936;
    if (name == L"big5") return 950;
    if (name == L"shift_jis") return 932;
    if (name == L"us-ascii" || name == L"ascii") return 20127;
    if (name == L"iso-8859-1") return 28591;
    if (name == L"windows-1252") return 1252;
    return 0;
}

class StreamObject : public Dispatch {
public:
    explicit StreamObject(std::wstring siteFolder) : siteFolder_(std::move(siteFolder)) {}

protected:
    enum : DISPID {
        idType = 1,
        idCharset,
        idMode,
        idState,
        idOpen,
        idClose,
        idLoadFromFile,
        idSaveToFile,
        idReadText,
        idWriteText,
        idRead,
        idWrite,
        idPosition,
        idSize,
        idEOS,
        idSetEOS,
        idLineSeparator,
        idSkipLine,
        idFlush,
        idCopyTo
    };
    const std::vector<Member>& members() const override {
        static const std::vector<Member> list = {{L"Type", idType},
                                                 {L"Charset", idCharset},
                                                 {L"Mode", idMode},
                                                 {L"State", idState},
                                                 {L"Open", idOpen},
                                                 {L"Close", idClose},
                                                 {L"LoadFromFile", idLoadFromFile},
                                                 {L"SaveToFile", idSaveToFile},
                                                 {L"ReadText", idReadText},
                                                 {L"WriteText", idWriteText},
                                                 {L"Read", idRead},
                                                 {L"Write", idWrite},
                                                 {L"Position", idPosition},
                                                 {L"Size", idSize},
                                                 {L"EOS", idEOS},
                                                 {L"SetEOS", idSetEOS},
                                                 {L"LineSeparator", idLineSeparator},
                                                 {L"SkipLine", idSkipLine},
                                                 {L"Flush", idFlush},
                                                 {L"CopyTo", idCopyTo}};
        return list;
    }
    const wchar_t* errorSource() const override { return L"ADODB.Stream"; }

    bool call(DISPID id, WORD, const Args& args, VARIANT* result) override {
        const VARIANT* put = args.assigned();
        switch (id) {
        case idType:
            if (put) {
                if (open_ && position_ != 0) throw illegal();
                type_ = longOf(*put);
            } else {
                setLong(result, type_);
            }
            return true;
        case idCharset:
            if (put) {
                if (open_ && position_ != 0) throw illegal();
                if (codePageOf(textOf(*put)) == 0) throw invalidArgument();
                charset_ = textOf(*put);
            } else {
                setText(result, charset_);
            }
            return true;
        case idMode:
            if (!put) setLong(result, 0);
            return true;
        case idState: setLong(result, open_ ? 1 : 0); return true;
        case idOpen:
            if (open_)
                throw ScriptError{adErrObjectOpen, L"ADODB.Stream",
                                  L"Operation is not allowed when the object is open."};
            open_ = true;
            bytes_.clear();
            position_ = 0;
            return true;
        case idClose:
            checkOpen();
            open_ = false;
            bytes_.clear();
            position_ = 0;
            return true;
        case idLoadFromFile: loadFromFile(textOf(args.at(0))); return true;
        case idSaveToFile: saveToFile(textOf(args.at(0)), args.has(1) ? longOf(args.at(1)) : 1); return true;
        case idReadText: setText(result, readText(args.has(0) ? longOf(args.at(0)) : -1)); return true;
        case idWriteText: writeText(textOf(args.at(0)), args.has(1) && longOf(args.at(1)) == 1); return true;
        case idRead: read(args.has(0) ? longOf(args.at(0)) : -1, result); return true;
        case idWrite: write(args.at(0)); return true;
        case idPosition:
            checkOpen();
            if (put) {
                const long at = longOf(*put);
                if (at < 0 || static_cast<std::size_t>(at) > bytes_.size()) throw invalidArgument();
                position_ = static_cast<std::size_t>(at);
            } else {
                setLong(result, static_cast<long>(position_));
            }
            return true;
        case idSize:
            checkOpen();
            setLong(result, static_cast<long>(bytes_.size()));
            return true;
        case idEOS:
            checkOpen();
            setBool(result, position_ >= bytes_.size());
            return true;
        case idSetEOS:
            checkOpen();
            bytes_.resize(position_);
            return true;
        case idLineSeparator:
            if (put) {
                const long separator = longOf(*put);
                if (separator != adCRLF && separator != adLF && separator != adCR) throw invalidArgument();
                lineSeparator_ = separator;
            } else {
                setLong(result, lineSeparator_);
            }
            return true;
        case idSkipLine: readText(-2); return true;
        case idFlush: return true;
        case idCopyTo:
            throw ScriptError{adErrIllegalOperation, L"ADODB.Stream", L"The preview does not run Stream.CopyTo."};
        default: return false;
        }
    }

private:
    static ScriptError illegal() {
        return {adErrIllegalOperation, L"ADODB.Stream", L"Operation is not allowed in this context."};
    }
    static ScriptError invalidArgument() {
        return {adErrInvalidArgument, L"ADODB.Stream",
                L"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another."};
    }
    void checkOpen() const {
        if (!open_)
            throw ScriptError{adErrObjectClosed, L"ADODB.Stream",
                              L"Operation is not allowed when the object is closed."};
    }
    void checkText() const {
        checkOpen();
        if (type_ != adTypeText) throw illegal();
    }
    unsigned codePage() const { return codePageOf(charset_); }
    std::wstring separator() const {
        return lineSeparator_ == adCRLF ? L"\r\n" : (lineSeparator_ == adLF ? L"\n" : L"\r");
    }

    // A file the page names, when it lies inside the site folder; the preview writes and
    // reads nothing else.
    std::wstring insideSite(const std::wstring& path) const {
        wchar_t full[MAX_PATH * 2];
        const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
        const std::wstring root = lowerCase(siteFolder_) + L"\\";
        if (length == 0 || length >= MAX_PATH * 2 || lowerCase(std::wstring(full, length)).rfind(root, 0) != 0)
            throw ScriptError{adErrFileOpen, L"ADODB.Stream",
                              L"File could not be opened. (The preview opens files inside the site's folder only.)"};
        return std::wstring(full, length);
    }

    void loadFromFile(const std::wstring& path) {
        checkOpen();
        const std::wstring full = insideSite(path);
        std::ifstream in(full.c_str(), std::ios::binary);
        if (!in) throw ScriptError{adErrFileOpen, L"ADODB.Stream", L"File could not be opened."};
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        position_ = 0;
    }

    void saveToFile(const std::wstring& path, long options) {
        checkOpen();
        const std::wstring full = insideSite(path);
        const bool overwrite = (options & 2) != 0;  // adSaveCreateOverWrite
        if (!overwrite && GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES)
            throw ScriptError{adErrWriteFile, L"ADODB.Stream", L"Write to file failed."};
        std::ofstream out(full.c_str(), std::ios::binary | std::ios::trunc);
        if (!out || !out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size())))
            throw ScriptError{adErrWriteFile, L"ADODB.Stream", L"Write to file failed."};
        position_ = bytes_.size();
    }

    std::string encode(const std::wstring& text) const {
        if (codePage() == 1200) return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
        return narrow(text, codePage());
    }

    // The text from the position on; a byte-order mark at the start is no text.
    std::wstring decodeRest(std::size_t& consumedFrom) const {
        std::size_t start = position_;
        if (start == 0) {
            if (codePage() == 65001 && bytes_.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
            if (codePage() == 1200 && bytes_.compare(0, 2, "\xFF\xFE") == 0) start = 2;
        }
        consumedFrom = start;
        const std::string rest = bytes_.substr(start);
        if (codePage() == 1200) return std::wstring(reinterpret_cast<const wchar_t*>(rest.data()), rest.size() / 2);
        return widen(rest, codePage());
    }

    std::wstring readText(long count) {
        checkText();
        std::size_t start = 0;
        std::wstring text = decodeRest(start);
        std::wstring taken;
        if (count == -1) {  // adReadAll
            taken = text;
        } else if (count == -2) {  // adReadLine: the separator is consumed, not returned
            const std::wstring sep = separator();
            const std::size_t end = text.find(sep);
            taken = text.substr(0, end);
            position_ = start + encode(end == std::wstring::npos ? text : text.substr(0, end + sep.size())).size();
            return taken;
        } else if (count >= 0) {
            taken = text.substr(0, static_cast<std::size_t>(count));
        } else {
            throw invalidArgument();
        }
        position_ = start + encode(taken).size();
        return taken;
    }

    void writeText(const std::wstring& text, bool line) {
        checkText();
        std::string encoded = encode(line ? text + separator() : text);
        if (bytes_.empty()) {  // a new text starts with its byte-order mark, as ADO writes it
            if (codePage() == 65001) encoded.insert(0, "\xEF\xBB\xBF");
            if (codePage() == 1200) encoded.insert(0, "\xFF\xFE");
        }
        bytes_.replace(position_, std::min(encoded.size(), bytes_.size() - position_), encoded);
        position_ += encoded.size();
    }

    void read(long count, VARIANT* result) {
        checkOpen();
        if (type_ != adTypeBinary) throw illegal();
        std::size_t n = bytes_.size() - position_;
        if (count >= 0) n = std::min(n, static_cast<std::size_t>(count));
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(n));
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        std::copy(bytes_.begin() + static_cast<std::ptrdiff_t>(position_),
                  bytes_.begin() + static_cast<std::ptrdiff_t>(position_ + n), static_cast<char*>(data));
        SafeArrayUnaccessData(array);
        position_ += n;
        VariantClear(result);
        V_VT(result) = VT_ARRAY | VT_UI1;
        V_ARRAY(result) = array;
    }

    void write(const VARIANT& value) {
        checkOpen();
        if (type_ != adTypeBinary) throw illegal();
        Variant v = valueOf(value);
        if (V_VT(v.get()) != (VT_ARRAY | VT_UI1)) throw invalidArgument();
        SAFEARRAY* array = V_ARRAY(v.get());
        LONG lo = 0, hi = -1;
        SafeArrayGetLBound(array, 1, &lo);
        SafeArrayGetUBound(array, 1, &hi);
        void* data = nullptr;
        SafeArrayAccessData(array, &data);
        const std::string chunk(static_cast<const char*>(data), static_cast<std::size_t>(hi - lo + 1));
        SafeArrayUnaccessData(array);
        bytes_.replace(position_, std::min(chunk.size(), bytes_.size() - position_), chunk);
        position_ += chunk.size();
    }

    std::wstring siteFolder_;
    bool open_ = false;
    long type_ = adTypeText;
    std::wstring charset_ = L"Unicode";
    long lineSeparator_ = adCRLF;
    std::string bytes_;
    std::size_t position_ = 0;
};

}  // namespace

IDispatch* makeStream(const std::wstring& siteFolder) { return new StreamObject(siteFolder); }

}  // namespace tabulon::preview::host
