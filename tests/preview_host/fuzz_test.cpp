// Mutated requests, forms, cookies and saved host states against the host core's readers:
// nothing may read past its input, and what is read must keep the readers' own promises.
// Runs natively with a few hundred cases, and under AddressSanitizer and UBSan by
// tests/preview_host/sanitize; TABULON_FUZZ_ITERATIONS sets the count.
#include "http_request.h"
#include "stored_state.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace tabulon::preview::host;
using tabulon::preview::RequestParser;

namespace {

int iterations() {
    const char* text = std::getenv("TABULON_FUZZ_ITERATIONS");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 300;
}

class Mutator {
public:
    explicit Mutator(unsigned seed) : random_(seed) {}

    std::size_t below(std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }

    // A few random edits: flipped bytes, interesting bytes, cuts, repeats and insertions.
    std::string mutate(std::string s) {
        static constexpr std::string_view kInteresting[] = {
            "%",  "%0", "%zz",      "&",    "=",    ";",  "+",  "\r\n",
            "\n", ":",  "\r\n\r\n", "\x80", "\xFF", "\0", "%u", "999999999999999999999",
            "-1", " ",  "\t"};
        const auto edits = 1 + below(6);
        for (std::size_t e = 0; e < edits; ++e) {
            const auto at = below(s.size() + 1);
            switch (below(5)) {
            case 0:
                if (!s.empty()) s[below(s.size())] = static_cast<char>(below(256));
                break;
            case 1: s.insert(at, kInteresting[below(std::size(kInteresting))]); break;
            case 2: s.erase(at, below(16)); break;
            case 3: {
                const auto from = below(s.size() + 1);
                const auto piece = s.substr(from, below(64));
                for (std::size_t r = below(40); r > 0; --r) s.insert(at, piece);
                break;
            }
            default: s.insert(at, 1, static_cast<char>(below(256))); break;
            }
        }
        return s;
    }

private:
    std::mt19937 random_;
};

const std::string kRequest =
    "POST /manage/a%20b.asp?x=1&y=%D6%D0 HTTP/1.1\r\nHost: 127.0.0.1:8080\r\nContent-Type: "
    "application/x-www-form-urlencoded\r\nContent-Length: 19\r\nCookie: a=1; b=%D6; ASPSESSIONIDABCDEFGH=QQ\r\n\r\n"
    "k=v&w=2&k=%41+b&z=";

TEST(Fuzz, RequestsInAnyPiecesKeepTheParsersPromises) {
    Mutator m(1);
    for (int i = 0; i < iterations(); ++i) {
        const auto wire = m.mutate(kRequest);
        RequestParser parser;
        // Fed in random pieces, as a socket delivers them.
        for (std::size_t at = 0; at < wire.size() && parser.state() == RequestParser::State::NeedMore;) {
            const auto piece = 1 + m.below(64);
            parser.feed(std::string_view(wire).substr(at, piece));
            at += piece;
        }
        if (parser.state() != RequestParser::State::Complete) continue;
        const auto& parsed = parser.request();
        ASSERT_LE(parsed.body.size(), wire.size());
        ASSERT_TRUE(parsed.target.starts_with('/'));
        const auto request = pageRequest(RequestParser(parser).take());
        ASSERT_LE(request.path.size(), request.rawPath.size());
        (void)parseCookieHeader(request.header("Cookie").value_or(""));
        const auto fields = parseUrlEncoded(request.body);
        ASSERT_EQ(fields.size(), std::min(countUrlEncodedFields(request.body), kMaxFormFields));
    }
}

TEST(Fuzz, FormsAndCookies) {
    Mutator m(2);
    const std::string form = "a=1&b=%D6%D0&c=%zz&d=+%2B&&e&f==g&%41=%42";
    for (int i = 0; i < iterations() * 4; ++i) {
        const auto text = m.mutate(form);
        const auto limit = m.below(12);
        const auto fields = parseUrlEncoded(text, limit);
        ASSERT_EQ(fields.size(), std::min(countUrlEncodedFields(text), limit)) << text;
        for (const auto& [name, value] : fields) ASSERT_LE(name.size() + value.size(), text.size());
        for (const auto& [name, value] : parseCookieHeader(text)) ASSERT_LE(name.size() + value.size(), text.size());
        // The strict decoder agrees with the lenient one wherever it accepts the text.
        if (const auto strict = tabulon::percentDecodeStrict(text)) ASSERT_EQ(*strict, tabulon::percentDecode(text));
        ASSERT_LE(urlEncode(text).size(), text.size() * 3);
    }
}

TEST(Fuzz, SavedStatesReadWholeOrNotAtAll) {
    StoredValue text;
    text.type = 8;
    text.payload = StoredValue::Payload::Text;
    text.text = u"中文 value";
    StoredValue list;
    list.type = 0x200C;
    list.payload = StoredValue::Payload::Array;
    list.bounds = {{0, 2}, {1, 2}};
    list.items = {text, StoredValue{}, text, text};
    StoredState state;
    state.cookieName = "ASPSESSIONIDABCDEFGH";
    state.application = {{u"a", text}, {u"b", list}};
    StoredSession session;
    session.cookieValue = std::string(24, 'Q');
    session.values = {{u"list", list}};
    state.sessions = {session};
    const auto bytes = encodeState(state);
    Mutator m(3);
    for (int i = 0; i < iterations() * 4; ++i) {
        const auto damaged = m.mutate(bytes);
        if (const auto read = decodeState(damaged)) {
            // Whatever reads as a state writes back to the same bytes.
            ASSERT_EQ(encodeState(*read), damaged);
        }
    }
}

}  // namespace
